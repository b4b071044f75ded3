#pragma once

#include <QString>

// A file written beside its final name and put in its place only once it is whole and on
// the disk: a failure or a stop halfway leaves whatever was at the name as it was, and no
// half-written file under it. The file at a symbolic link's end is the one replaced; one
// that was there keeps its permissions.
class ReplacingOutput {
public:
    ReplacingOutput() = default;
    ~ReplacingOutput();  // removes the file beside, unless committed
    ReplacingOutput(const ReplacingOutput&) = delete;
    ReplacingOutput& operator=(const ReplacingOutput&) = delete;

    // Creates the file beside `path`, open to read and write. 0, or -errno: -EISDIR or
    // -EBADF when `path` names a folder or something else than a regular file, -EACCES
    // when it names a read-only file.
    int open(const QString& path);
    int fd() const { return fd_; }
    // Puts the bytes written on the disk, then the file in the place of the one at the path.
    // 0 or -errno; the file beside is removed on a failure.
    int commit();

private:
    void discard();

    QString final_, temporary_;
    int fd_ = -1;
};
