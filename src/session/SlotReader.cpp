#include "SlotReader.h"

#include <fcntl.h>

#include "FileLayer.h"

SlotReader::~SlotReader() { close(); }

bool SlotReader::open(const QString& path) {
    close();
    path_ = path;
    if (path.isEmpty()) return false;
    const int fd = FileLayer::open(path, O_RDONLY);
    if (fd < 0) return false;
    const DiskStamp stamp = DiskStamp::ofDescriptor(fd);
    if (!stamp.known()) {
        FileLayer::close(fd);
        return false;
    }
    fd_ = fd;
    stamp_ = stamp;
    return true;
}

void SlotReader::close() {
    if (fd_ >= 0) FileLayer::close(fd_);
    fd_ = -1;
    stamp_ = DiskStamp();
}

std::int64_t SlotReader::read(std::int64_t address, std::uint8_t* into, std::int64_t count) const {
    if (fd_ < 0) return -EBADF;
    if (address < 0 || count <= 0) return 0;
    std::int64_t done = 0;
    while (done < count) {
        const std::int64_t n = FileLayer::pread(fd_, into + done, count - done, address + done);
        if (n < 0) return n;
        if (n == 0) break;
        done += n;
    }
    return done;
}

bool SlotReader::changedOnDisk() const {
    return !path_.isEmpty() && DiskStamp::ofPath(path_) != stamp_;
}

SlotReader::Look SlotReader::look() {
    if (path_.isEmpty()) return Look::Same;
    const DiskStamp now = DiskStamp::ofPath(path_);
    if (fd_ >= 0 && now == stamp_) return Look::Same;
    if (fd_ >= 0 && now.known() && now.identity == stamp_.identity) {
        stamp_ = now;
        return Look::Written;
    }
    const bool wasOpen = fd_ >= 0;
    if (!now.known() || !open(path_)) {
        close();
        return wasOpen ? Look::Gone : Look::Same;
    }
    return Look::Replaced;
}
