#include "FileIdentity.h"

#include "FileLayer.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace {

FileIdentity identity(int dirfd, const char* path, int flags) {
    struct statx info;
    if (::statx(dirfd, path, flags, STATX_INO | STATX_BTIME, &info) != 0) return {};
    FileIdentity id;
    id.device = (std::uint64_t(info.stx_dev_major) << 32) | info.stx_dev_minor;
    id.inode = info.stx_ino;
    if (info.stx_mask & STATX_BTIME)
        id.bornNs = std::int64_t(info.stx_btime.tv_sec) * 1'000'000'000 + info.stx_btime.tv_nsec;
    id.known = true;
    return id;
}

}  // namespace

FileIdentity FileIdentity::ofPath(const QString& path) {
    if (path.isEmpty()) return {};
    return identity(AT_FDCWD, FileLayer::encodeName(path).constData(), 0);
}

FileIdentity FileIdentity::ofDescriptor(int fd) {
    if (fd < 0) return {};
    return identity(fd, "", AT_EMPTY_PATH);
}

bool FileIdentity::isOneOf(const QStringList& paths) const {
    for (const QString& path : paths)
        if (ofPath(path) == *this) return true;
    return false;
}
