#include "FileIdentity.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>

#include "FileLayer.h"

namespace {

std::int64_t birthAt(int directory, const char* path, int flags) {
    struct statx info;
    if (::statx(directory, path, flags | AT_STATX_SYNC_AS_STAT, STATX_BTIME, &info) != 0 ||
        !(info.stx_mask & STATX_BTIME))
        return 0;
    return std::int64_t(info.stx_btime.tv_sec) * 1000000000 + info.stx_btime.tv_nsec;
}

FileIdentity fromStat(const struct stat& info, std::int64_t birth) {
    return FileIdentity{std::uint64_t(info.st_dev), std::uint64_t(info.st_ino), true, birth};
}

}  // namespace

std::int64_t FileIdentity::birthOf(int fd) { return birthAt(fd, "", AT_EMPTY_PATH); }

FileIdentity FileIdentity::ofPath(const QString& path) {
    struct stat info;
    if (path.isEmpty() || FileLayer::stat(path, info) != 0) return {};
    return fromStat(info, birthAt(AT_FDCWD, QFile::encodeName(path).constData(), 0));
}

FileIdentity FileIdentity::ofDescriptor(int fd) {
    struct stat info;
    if (fd < 0 || FileLayer::fstat(fd, info) != 0) return {};
    return fromStat(info, birthOf(fd));
}
