#include "InputFile.h"

#include "FileErrors.h"
#include "FileLayer.h"

#include <fcntl.h>
#include <sys/stat.h>

InputFile::InputFile(const QString& path) : path_(path) {
    struct stat info {};
    if (const int failed = FileLayer::stat(path, info); failed < 0) {
        refusal_ = failed == -ENOENT || failed == -ENOTDIR ? Refusal::Missing : Refusal::Unreadable;
        error_ = failed;
        return;
    }
    if (!S_ISREG(info.st_mode)) {
        refusal_ = Refusal::NotRegular;
        return;
    }
    const int fd = FileLayer::open(path, O_RDONLY);
    if (fd < 0) {
        // Put in a regular file's place since the look: refused as such.
        refusal_ = fd == -EBADF || fd == -EISDIR ? Refusal::NotRegular : Refusal::Unreadable;
        error_ = fd;
        return;
    }
    opened_ = DiskStamp::ofDescriptor(fd);
    if (!opened_.known()) {
        error_ = -EIO;
        refusal_ = Refusal::Unreadable;
        FileLayer::close(fd);
        return;
    }
    fd_ = fd;
    refusal_ = Refusal::None;
}

InputFile::~InputFile() {
    if (fd_ >= 0) FileLayer::close(fd_);
}

QString InputFile::reason() const {
    const QString name = QStringLiteral("«") + path_ + QStringLiteral("» ");
    switch (refusal_) {
    case Refusal::None:
        return {};
    case Refusal::Missing:
        return name + QStringLiteral("не найден");
    case Refusal::NotRegular:
        return name + QStringLiteral("не является обычным файлом");
    case Refusal::Unreadable:
        break;
    }
    return name + QStringLiteral("не удаётся прочитать (") +
           FileErrors::description(FileErrors::codeForErrno(-error_, FileErrors::Access::Read), -error_) +
           QLatin1Char(')');
}
