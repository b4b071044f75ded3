#include "RowBytes.h"

#include <algorithm>

#include "FileLayer.h"
#include "RunList.h"

namespace RowBytes {

namespace {

// The first of `length` bytes from `address`, at most `most`; how many were read.
int read(int fd, std::int64_t address, std::int64_t length, std::uint8_t* into, int most) {
    if (fd < 0 || length <= 0) return 0;
    const std::int64_t got = FileLayer::pread(fd, into, std::min<std::int64_t>(length, most), address);
    return got > 0 ? int(got) : 0;
}

}  // namespace

QString hex(int fd, std::int64_t address, std::int64_t length) {
    std::uint8_t bytes[kHexBytes];
    return DifferenceText::hexBytes(bytes, read(fd, address, length, bytes, kHexBytes));
}

QString text(int fd, std::int64_t address, std::int64_t length, bool dos) {
    std::uint8_t bytes[kTextBytes];
    return DifferenceText::characters(bytes, read(fd, address, length, bytes, kTextBytes), dos);
}

}  // namespace RowBytes
