#include "FilePair.h"

#include <fcntl.h>

#include "FileLayer.h"

FilePair::FilePair(const QString& pathA, const QString& pathB) {
    fdA_ = open(pathA, sizeA_);
    if (fdA_ < 0) {
        error_ = fdA_;
        failedPath_ = pathA;
        return;
    }
    fdB_ = open(pathB, sizeB_);
    if (fdB_ < 0) {
        error_ = fdB_;
        failedPath_ = pathB;
    }
}

FilePair::~FilePair() {
    if (fdA_ >= 0) FileLayer::close(fdA_);
    if (fdB_ >= 0) FileLayer::close(fdB_);
}

int FilePair::open(const QString& path, std::int64_t& size) {
    const int fd = FileLayer::open(path, O_RDONLY);
    if (fd < 0) return fd;
    struct stat info {};
    if (const int failed = FileLayer::fstat(fd, info); failed < 0) {
        FileLayer::close(fd);
        return failed;
    }
    size = info.st_size;
    return fd;
}
