#include "TempDir.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "FileLayer.h"

#include <stdexcept>

TempDir::TempDir() {
    if (!dir_.isValid()) throw std::runtime_error("cannot create a temporary folder");
}

QString TempDir::path(const QString& name) const { return dir_.filePath(name); }

QString TempDir::write(const QString& name, const QByteArray& bytes) const {
    QString full = path(name);
    QFile f(full);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write a test file");
    return full;
}

QString TempDir::writeSparse(const QString& name, const QByteArray& bytes) const {
    const QString full = path(name);
    const int fd = ::open(QFile::encodeName(full).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    bool ok = fd >= 0 && ::ftruncate(fd, bytes.size()) == 0;
    constexpr qsizetype kBlock = 4096;
    for (qsizetype at = 0; ok && at < bytes.size(); at += kBlock) {
        const QByteArray block = bytes.mid(at, kBlock);
        if (block.count('\0') != block.size()) ok = ::pwrite(fd, block.constData(), block.size(), at) == block.size();
    }
    if (fd >= 0) ::close(fd);
    if (!ok) throw std::runtime_error("cannot write a sparse test file");
    return full;
}

QByteArray TempDir::patternBytes(qint64 size) {
    QByteArray bytes(size, Qt::Uninitialized);
    for (qint64 a = 0; a < size; ++a) bytes[a] = char((a * 7 + 3) % 256);
    return bytes;
}

QString TempDir::pattern(const QString& name, qint64 size) const {
    return write(name, patternBytes(size));
}

QByteArray TempDir::read(const QString& fullPath) {
    // By the name's own bytes, which need not be UTF-8.
    const int fd = ::open(FileLayer::encodeName(fullPath).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return QByteArray();
    QFile f;
    if (!f.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return QByteArray();
    }
    return f.readAll();
}

void TempDir::makeReadOnly(const QString& fullPath) {
    ::chmod(QFile::encodeName(fullPath).constData(), 0444);
}
