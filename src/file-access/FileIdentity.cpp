#include "FileIdentity.h"

#include "FileLayer.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace {

std::int64_t nanoseconds(const struct statx_timestamp& t) { return std::int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec; }

DiskStamp stamp(int dirfd, const char* path, int flags) {
    struct statx info;
    if (::statx(dirfd, path, flags, STATX_INO | STATX_BTIME | STATX_SIZE | STATX_MTIME | STATX_CTIME, &info) != 0)
        return {};
    DiskStamp stamp;
    FileIdentity& id = stamp.identity;
    id.device = (std::uint64_t(info.stx_dev_major) << 32) | info.stx_dev_minor;
    id.inode = info.stx_ino;
    if (info.stx_mask & STATX_BTIME) id.bornNs = nanoseconds(info.stx_btime);
    id.known = true;
    stamp.size = std::int64_t(info.stx_size);
    stamp.modifiedNs = nanoseconds(info.stx_mtime);
    stamp.changedNs = nanoseconds(info.stx_ctime);
    return stamp;
}

}  // namespace

FileIdentity FileIdentity::ofPath(const QString& path) {
    return DiskStamp::ofPath(path).identity;
}

FileIdentity FileIdentity::ofDescriptor(int fd) {
    return DiskStamp::ofDescriptor(fd).identity;
}

DiskStamp DiskStamp::ofPath(const QString& path) {
    if (path.isEmpty()) return {};
    return stamp(AT_FDCWD, FileLayer::encodeName(path).constData(), 0);
}

DiskStamp DiskStamp::ofDescriptor(int fd) {
    if (fd < 0) return {};
    return stamp(fd, "", AT_EMPTY_PATH);
}

bool FileIdentity::isOneOf(const QStringList& paths) const {
    for (const QString& path : paths)
        if (ofPath(path) == *this) return true;
    return false;
}
