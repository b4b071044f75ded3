#include "DumpSink.h"

#include "FileErrors.h"
#include "FileIdentity.h"
#include "FileLayer.h"
#include "UiServices.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool isOneOf(const FileIdentity& target, const QStringList& loadedPaths) {
    for (const QString& loaded : loadedPaths)
        if (FileIdentity::ofPath(loaded) == target) return true;
    return false;
}

}  // namespace

void reportFileFailure(UiServices& ui, int err, FileErrors::Access access) {
    const int code = FileErrors::codeForErrno(err, access);
    QString text = FileErrors::fixedMessage(code);
    if (text.isNull()) text = FileErrors::description(code, err);
    ui.message(QStringLiteral("Bivex"), text, MessageIcon::Critical, MessageButtons::Ok);
}

QString loadedTargetMessage() { return QStringLiteral("Файл уже открыт и не может быть записан сам в себя."); }

bool isLoadedFile(const QString& path, const QStringList& loadedPaths) {
    return isOneOf(FileIdentity::ofPath(path), loadedPaths);
}

DumpFile::DumpFile(UiServices& ui) : ui_(ui) {}

DumpFile::~DumpFile() {
    if (owned_ && fd_ >= 0) FileLayer::close(fd_);
}

DumpFile::OpenResult DumpFile::open(const QString& path, const QStringList& loadedPaths, bool waitForReader) {
    // Nothing is truncated by the open itself: the file is emptied only once the open
    // descriptor is known not to be a file the program has loaded.
    const int fd = FileLayer::openOutput(path, O_WRONLY | O_CREAT, waitForReader);
    if (fd < 0) {
        fail(-fd, FileErrors::Access::Create);
        return OpenResult::Failed;
    }
    struct stat info;
    const bool regular = FileLayer::fstat(fd, info) == 0 && S_ISREG(info.st_mode);
    // A file whose identity cannot be told might be a loaded one: it is not emptied.
    const FileIdentity target = FileIdentity::ofDescriptor(fd);
    if (!target.known) {
        FileLayer::close(fd);
        fail(EBADF);
        return OpenResult::Failed;
    }
    if (isOneOf(target, loadedPaths)) {
        FileLayer::close(fd);
        return OpenResult::LoadedFile;
    }
    if (regular && ::ftruncate(fd, 0) < 0) {
        const int err = errno;
        FileLayer::close(fd);
        fail(err);
        return OpenResult::Failed;
    }
    fd_ = fd;
    owned_ = true;
    regular_ = regular;
    written_ = 0;
    error_ = 0;
    return OpenResult::Opened;
}

void DumpFile::attach(int fd) {
    fd_ = fd;
    owned_ = false;
    struct stat info;
    regular_ = FileLayer::fstat(fd, info) == 0 && S_ISREG(info.st_mode);
    written_ = 0;
    error_ = 0;
}

bool DumpFile::write(const char* data, std::int64_t size) {
    if (error_ != 0) return false;
    if (fd_ < 0) {
        fail(EBADF);
        return false;
    }
    const std::int64_t r = FileLayer::write(fd_, data, size);
    if (r < 0) {
        fail(int(-r));
        dropPartialLine(data);
        return false;
    }
    written_ += size;
    return true;
}

void DumpFile::stop(const QString& why) {
    if (error_ != 0) return;
    error_ = FileErrors::OutOfRange;  // the input ended before its size
    ui_.message(QStringLiteral("Bivex"), why, MessageIcon::Critical, MessageButtons::Ok);
}

bool DumpFile::close() {
    if (fd_ < 0 || !owned_) {
        fd_ = -1;
        return true;
    }
    const int r = FileLayer::close(fd_);
    fd_ = -1;
    // A failure already shown is not followed by a second message for the same file.
    if (r < 0 && error_ == 0) {
        fail(-r);
        return false;
    }
    return r == 0;
}

void DumpFile::fail(int err, FileErrors::Access access) {
    error_ = FileErrors::codeForErrno(err, access);
    reportFileFailure(ui_, err, access);
}

// A write that failed part-way may have left the start of a line behind; the file then
// ends with the last whole line instead. Line ends are the only LF bytes a dump holds.
void DumpFile::dropPartialLine(const char* data) {
    if (!owned_ || !regular_ || fd_ < 0) return;
    const off_t reached = ::lseek(fd_, 0, SEEK_CUR);
    if (reached <= written_) return;
    std::int64_t keep = 0;
    for (std::int64_t i = reached - written_ - 1; i >= 0; --i)
        if (data[i] == '\n') {
            keep = i + 1;
            break;
        }
    // Should this fail too, the partial line stays: the failed write is reported already.
    if (::ftruncate(fd_, written_ + keep) != 0) return;
}
