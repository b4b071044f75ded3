#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>

// Which file a path or an open descriptor stands for: its device and inode. Two spellings
// of one path, a hard link and a symlink all give the same identity; a file replaced under
// the same name gives another.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    // When the file system tells it, the file's creation time: a file made after another
    // was deleted may get the freed inode, but not its creation time.
    std::int64_t bornNs = -1;
    bool known = false;  // false when the file could not be looked at

    bool operator==(const FileIdentity& other) const {
        return known && other.known && device == other.device && inode == other.inode &&
               (bornNs < 0 || other.bornNs < 0 || bornNs == other.bornNs);
    }
    bool operator!=(const FileIdentity& other) const { return !(*this == other); }

    // The identity of the file a path names now (following symlinks); unknown when none.
    static FileIdentity ofPath(const QString& path);
    static FileIdentity ofDescriptor(int fd);
    // This is the file one of `paths` names now; a path that cannot be looked up names none.
    bool isOneOf(const QStringList& paths) const;
};

// A file as the disk has it at one moment: which file, how long, when last written or
// changed. Another stamp later means the bytes read before may no longer hold.
struct DiskStamp {
    FileIdentity identity;
    std::int64_t size = -1;
    std::int64_t modifiedNs = 0;
    std::int64_t changedNs = 0;

    bool known() const { return identity.known; }
    bool operator==(const DiskStamp& other) const {
        return identity == other.identity && size == other.size && modifiedNs == other.modifiedNs &&
               changedNs == other.changedNs;
    }
    bool operator!=(const DiskStamp& other) const { return !(*this == other); }

    static DiskStamp ofPath(const QString& path);
    static DiskStamp ofDescriptor(int fd);
};
