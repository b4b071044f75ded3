#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A temporary folder for one test, with helpers to make and read real files.
class TempDir {
public:
    TempDir();
    QString path(const QString& name) const;
    // Writes `bytes` to `name` and returns the full path.
    QString write(const QString& name, const QByteArray& bytes) const;
    // The same, leaving every block of 4096 bytes that holds only zeros as a hole (never
    // written, no room on the disk), as disk and machine images have them.
    QString writeSparse(const QString& name, const QByteArray& bytes) const;
    // A file of `size` bytes whose byte at address a is (a * 7 + 3) mod 256.
    QString pattern(const QString& name, qint64 size) const;
    static QByteArray patternBytes(qint64 size);
    static QByteArray read(const QString& fullPath);
    // Removes every write permission bit (also refuses writes under root for our checks).
    static void makeReadOnly(const QString& fullPath);

private:
    QTemporaryDir dir_;
};
