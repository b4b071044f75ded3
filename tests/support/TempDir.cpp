#include "TempDir.h"

#include <QFile>

#include <sys/stat.h>

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

QByteArray TempDir::patternBytes(qint64 size) {
    QByteArray bytes(size, Qt::Uninitialized);
    for (qint64 a = 0; a < size; ++a) bytes[a] = char((a * 7 + 3) % 256);
    return bytes;
}

QString TempDir::pattern(const QString& name, qint64 size) const {
    return write(name, patternBytes(size));
}

QByteArray TempDir::read(const QString& fullPath) {
    QFile f(fullPath);
    if (!f.open(QIODevice::ReadOnly)) return QByteArray();
    return f.readAll();
}

void TempDir::makeReadOnly(const QString& fullPath) {
    ::chmod(QFile::encodeName(fullPath).constData(), 0444);
}
