#pragma once

#include <QString>

#include <cstdint>

#include "FileIdentity.h"

// Which files can be compared, listed and dumped: an existing regular file that opens
// read-only. A folder, a FIFO or a device is refused before anything reads it (a FIFO
// would block, a device never ends).
class InputFile {
public:
    enum class Refusal { None, Missing, NotRegular, Unreadable };

    InputFile() = default;
    explicit InputFile(const QString& path);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    const QString& path() const { return path_; }
    // The size, identity and times of the file as opened.
    const DiskStamp& opened() const { return opened_; }
    std::int64_t size() const { return opened_.size; }
    Refusal refusal() const { return refusal_; }
    int error() const { return error_; }  // -errno of a failed open, 0 otherwise
    // Why the file was refused: "«name» не является обычным файлом" and the like.
    QString reason() const;
    // The file at the path is still the one opened, as long and unwritten since.
    bool unchangedOnDisk() const { return DiskStamp::ofPath(path_) == opened_; }

private:
    QString path_;
    int fd_ = -1;
    DiskStamp opened_;
    Refusal refusal_ = Refusal::Missing;
    int error_ = 0;
};
