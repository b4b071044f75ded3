#include "ReplacingOutput.h"

#include <QRandomGenerator>

#include "FileLayer.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

ReplacingOutput::~ReplacingOutput() { discard(); }

void ReplacingOutput::discard() {
    if (fd_ >= 0) FileLayer::close(fd_);
    fd_ = -1;
    if (!temporary_.isEmpty()) ::unlink(FileLayer::encodeName(temporary_).constData());
    temporary_.clear();
}

int ReplacingOutput::open(const QString& path) {
    discard();
    final_ = path;
    struct stat info {};
    const bool exists = FileLayer::stat(path, info) == 0;
    if (exists && !S_ISREG(info.st_mode)) return S_ISDIR(info.st_mode) ? -EISDIR : -EBADF;
    // A file its owner made read-only is not replaced behind their back (not even by root).
    if (exists && ((info.st_mode & 0222) == 0 || FileLayer::access(path, W_OK) < 0)) return -EACCES;
    if (exists) {
        // Through any symbolic links to the file itself: the link stays a link.
        if (char* real = ::realpath(FileLayer::encodeName(path).constData(), nullptr)) {
            final_ = FileLayer::decodeName(QByteArray(real));
            ::free(real);
        }
    }
    const qsizetype slash = final_.lastIndexOf(QLatin1Char('/'));
    const QString folder = slash >= 0 ? final_.left(slash + 1) : QString();
    const QString name = final_.mid(slash + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString candidate = folder + QLatin1Char('.') + name + QStringLiteral(".bivex-") +
                                  QString::number(QRandomGenerator::global()->generate(), 36);
        const int fd = FileLayer::open(candidate, O_RDWR | O_CREAT | O_EXCL, 0666);
        if (fd == -EEXIST) continue;
        if (fd < 0) return fd;
        fd_ = fd;
        temporary_ = candidate;
        if (exists && ::fchmod(fd_, info.st_mode & 07777) != 0) {
            const int error = -errno;
            discard();
            return error;
        }
        return 0;
    }
    return -EEXIST;
}

int ReplacingOutput::commit() {
    int error = ::fsync(fd_) == 0 ? 0 : -errno;
    if (const int closed = FileLayer::close(fd_); error == 0) error = closed;
    fd_ = -1;
    if (error == 0 && ::rename(FileLayer::encodeName(temporary_).constData(), FileLayer::encodeName(final_).constData()) != 0)
        error = -errno;
    if (error < 0) {
        discard();
        return error;
    }
    temporary_.clear();
    // The new name on the disk too, so that a crash now leaves the new file, not none.
    const qsizetype slash = final_.lastIndexOf(QLatin1Char('/'));
    const QByteArray folder = FileLayer::encodeName(slash > 0 ? final_.left(slash) : slash == 0 ? QStringLiteral("/") : QStringLiteral("."));
    if (const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return 0;
}
