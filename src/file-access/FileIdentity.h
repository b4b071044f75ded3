#pragma once

#include <QString>

#include <cstdint>

// Which file a path or an open descriptor stands for: its device and inode, and its birth
// time where the file system keeps one (a freed inode number is soon given to the next new
// file, so a file replaced twice under its name may come back with the number it had). Two
// spellings of one path, a hard link and a symlink all give the same identity; a file
// replaced under the same name gives another.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool known = false;  // false when the file could not be looked at
    std::int64_t birth = 0;  // nanoseconds since the epoch; 0 where the file system has none

    bool operator==(const FileIdentity& other) const {
        return known && other.known && device == other.device && inode == other.inode && birth == other.birth;
    }
    bool operator!=(const FileIdentity& other) const { return !(*this == other); }

    // The identity of the file a path names now (following symlinks); unknown when none.
    static FileIdentity ofPath(const QString& path);
    static FileIdentity ofDescriptor(int fd);
    // The birth time of an open file, 0 where the file system does not keep it.
    static std::int64_t birthOf(int fd);
};
