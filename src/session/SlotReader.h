#pragma once

#include <QString>

#include <cstdint>

#include "FileIdentity.h"

// One slot's file as the window shows it: opened read-only once and read from there for
// every screen, status line and view of it, so that all of them show the same file. A
// redraw looks at the path (look()): the same file written shows its new bytes through the
// same descriptor; another file put under the name is opened in its place.
class SlotReader {
public:
    SlotReader() = default;
    ~SlotReader();
    SlotReader(const SlotReader&) = delete;
    SlotReader& operator=(const SlotReader&) = delete;

    // Opens the file at `path` ("" closes). False when it cannot be opened: the reader
    // then gives no bytes until the next look finds a file there.
    bool open(const QString& path);
    void close();
    bool isOpen() const { return fd_ >= 0; }
    const QString& path() const { return path_; }
    // The file as last looked at: which one, how long, when written.
    const DiskStamp& stamp() const { return stamp_; }
    const FileIdentity& identity() const { return stamp_.identity; }
    std::int64_t size() const { return stamp_.size; }
    int fd() const { return fd_; }

    // Up to `count` bytes from `address` into `into`: how many there were (fewer at the
    // end, 0 past it), or -errno when the read failed.
    std::int64_t read(std::int64_t address, std::uint8_t* into, std::int64_t count) const;

    enum class Look {
        Same,      // nothing to tell
        Written,   // the same file, written or resized since the last look
        Replaced,  // another file under the name: it is open now
        Gone,      // nothing that opens under the name; the reader gives no bytes
    };
    // Compares the file at the path with the one open.
    Look look();
    // Whether another look would tell anything, without changing what is open.
    bool changedOnDisk() const;

private:
    QString path_;
    int fd_ = -1;
    DiskStamp stamp_;
};
