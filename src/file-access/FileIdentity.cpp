#include "FileIdentity.h"

#include "FileLayer.h"

namespace {

FileIdentity fromStat(const struct stat& info) {
    return FileIdentity{std::uint64_t(info.st_dev), std::uint64_t(info.st_ino), true};
}

}  // namespace

FileIdentity FileIdentity::ofPath(const QString& path) {
    struct stat info;
    if (path.isEmpty() || FileLayer::stat(path, info) != 0) return {};
    return fromStat(info);
}

FileIdentity FileIdentity::ofDescriptor(int fd) {
    struct stat info;
    if (fd < 0 || FileLayer::fstat(fd, info) != 0) return {};
    return fromStat(info);
}
