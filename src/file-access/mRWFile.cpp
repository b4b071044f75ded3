#include "mRWFile.h"

#include "CodePage.h"
#include "FileErrors.h"
#include "FileIdentity.h"
#include "FileLayer.h"
#include "FileStamp.h"
#include "UiServices.h"

#include <QDateTime>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr qsizetype kInputChunk = 64 * 1024;
const QString kZeroText = QStringLiteral("0");  // date and time of an emptied object

// 0 when a regular file is at the path, TextFileGone when none is, else -errno of the
// lookup.
int lookUp(const QString& path, struct stat& info) {
    const int r = FileLayer::stat(path, info);
    if (r == -ENOENT || r == -ENOTDIR || (r == 0 && !S_ISREG(info.st_mode)))
        return FileErrors::TextFileGone;
    return r;
}

bool isExistingFile(const QString& path) {
    struct stat info;
    return !path.isEmpty() && lookUp(path, info) == 0;
}

}  // namespace

mRWFile::mRWFile(UiServices& ui) : ui_(ui) {}

mRWFile::~mRWFile() {
    if (fd_ >= 0 && ownsFd_) FileLayer::close(fd_);
}

void mRWFile::MsgView(bool messageView) { msgView_ = messageView; }

void mRWFile::MsgTitle(const QString& title) { msgTitle_ = title; }

QDate mRWFile::DateFile() {
    if (path_.isEmpty() || error_ == FileErrors::TextFileGone || dateText_ == kZeroText)
        return QDate();
    const QDate date = FileStamp::toDate(dateText_);
    if (!date.isValid()) subErrMessage(FileErrors::TypeMismatch);
    return date;
}

QTime mRWFile::TimeFile() {
    if (path_.isEmpty() || error_ == FileErrors::TextFileGone || timeText_ == kZeroText)
        return QTime();
    const QTime time = FileStamp::toTime(timeText_);
    if (!time.isValid()) subErrMessage(FileErrors::TypeMismatch);
    return time;
}

void mRWFile::OpenFileRW(const QString& pathName, std::uint8_t regime) {
    // Refused before anything is touched: the file that is open keeps its path, mode
    // and line count.
    if (fd_ >= 0) {
        subErrMessage(FileErrors::AlreadyOpen);
        return;
    }
    regime_ = regime;
    error_ = 0;
    item_ = 0;
    path_ = pathName;
    dump_ = dumpStopped_ = false;
    ownsFd_ = true;
    wholeLines_ = -1;
    if (path_.isEmpty() || (regime == 0 && !isExistingFile(path_))) {
        subErrMessage(FileErrors::NoPath);
        return;
    }
    int flags;
    switch (regime) {
    case 0:
        flags = O_RDONLY;
        break;
    case 1:
        flags = O_WRONLY | O_CREAT | O_APPEND;
        break;
    case 2:
        flags = O_WRONLY | O_CREAT | O_TRUNC;
        break;
    default:
        reportLayerError(EINVAL);
        return;
    }
    const int fd = FileLayer::open(path_, flags);
    if (fd < 0) {
        reportLayerError(-fd, regime == 0 ? FileErrors::Access::Read : FileErrors::Access::Create);
        return;
    }
    fd_ = fd;
    input_.clear();
    inputPos_ = 0;
}

int mRWFile::readByte(std::uint8_t& byte) {
    if (inputPos_ >= input_.size()) {
        input_.resize(kInputChunk);
        const std::int64_t n = FileLayer::read(fd_, input_.data(), kInputChunk);
        input_.resize(n > 0 ? qsizetype(n) : 0);
        inputPos_ = 0;
        if (n <= 0) return int(n);
    }
    byte = std::uint8_t(input_[inputPos_++]);
    return 1;
}

QString mRWFile::GetString() {
    if (regime_ == 0 && !path_.isEmpty() && !isExistingFile(path_)) {
        error_ = FileErrors::TextFileGone;
        path_.clear();
        return QString();
    }
    if (path_.isEmpty()) {
        subErrMessage(FileErrors::TextFileGone);
        return QString();
    }
    if (fd_ < 0) {
        subErrMessage(FileErrors::BadHandle);
        return QString();
    }
    std::uint8_t byte = 0;
    int r = readByte(byte);
    if (r == 0) {
        error_ = FileErrors::OutOfRange;
        return QString();
    }
    QString line;
    // A line ends at CR LF, and also at a lone LF or CR.
    while (r > 0 && byte != '\n') {
        if (byte == '\r') {
            r = readByte(byte);
            if (r > 0 && byte != '\n') --inputPos_;  // the first byte of the next line
            break;
        }
        line.append(CodePage::ansiChar(byte));
        r = readByte(byte);
    }
    if (r < 0) {
        reportLayerError(-r, FileErrors::Access::Read);
        return QString();
    }
    lineBuffer_ = line;
    ++item_;
    error_ = 0;
    return line;
}

void mRWFile::PutString(const QString& lineString) {
    if (path_.isEmpty()) {
        subErrMessage(FileErrors::NoPath);
        return;
    }
    if (fd_ < 0) {
        subErrMessage(FileErrors::BadHandle);
        return;
    }
    lineBuffer_ = lineString;
    const QByteArray bytes = CodePage::toAnsi(lineString) + "\r\n";
    const std::int64_t r = FileLayer::write(fd_, bytes.constData(), bytes.size());
    if (r < 0) {
        reportLayerError(int(-r));
        return;
    }
    ++item_;
    error_ = 0;
}

mRWFile::DumpTarget mRWFile::OpenDump(const QString& pathName, const QStringList& loadedPaths, bool waitForReader) {
    if (fd_ >= 0) {
        subErrMessage(FileErrors::AlreadyOpen);
        return DumpTarget::Failed;
    }
    regime_ = 2;
    error_ = 0;
    item_ = 0;
    path_ = pathName;
    dump_ = true;
    dumpStopped_ = true;  // until the target is open: nothing goes into a refused one
    // Nothing is emptied by the open itself: only once the descriptor is known not to be a
    // file the program has loaded.
    const int fd = FileLayer::openOutput(path_, O_WRONLY | O_CREAT, waitForReader);
    if (fd < 0) {
        reportLayerError(-fd, FileErrors::Access::Create);
        return DumpTarget::Failed;
    }
    struct stat info;
    const bool regular = FileLayer::fstat(fd, info) == 0 && S_ISREG(info.st_mode);
    // A file whose identity cannot be told might be a loaded one: it is not emptied.
    const FileIdentity target = FileIdentity::ofDescriptor(fd);
    if (!target.known || target.isOneOf(loadedPaths)) {
        FileLayer::close(fd);
        if (target.known) return DumpTarget::LoadedFile;
        reportLayerError(EBADF);
        return DumpTarget::Failed;
    }
    if (regular && ::ftruncate(fd, 0) < 0) {
        const int err = errno;
        FileLayer::close(fd);
        reportLayerError(err);
        return DumpTarget::Failed;
    }
    fd_ = fd;
    ownsFd_ = true;
    dumpStopped_ = false;
    wholeLines_ = regular ? 0 : -1;
    return DumpTarget::Opened;
}

void mRWFile::AttachDump(int fd) {
    path_.clear();
    error_ = 0;
    item_ = 0;
    fd_ = fd;
    ownsFd_ = false;
    dump_ = true;
    dumpStopped_ = false;
    wholeLines_ = -1;
}

bool mRWFile::PutLines(const char* lines, std::int64_t size) {
    if (dumpStopped_) return false;
    const std::int64_t r = fd_ < 0 ? -EBADF : FileLayer::write(fd_, lines, size);
    if (r < 0) {
        dumpStopped_ = true;
        reportLayerError(int(-r));
        dropPartialLine(lines);
        return false;
    }
    if (wholeLines_ >= 0) wholeLines_ += size;
    error_ = 0;
    return true;
}

// A write that failed part-way may have left the start of a line behind; the file then
// ends with the last whole line instead. Line ends are the only LF bytes a dump holds.
void mRWFile::dropPartialLine(const char* lines) {
    if (wholeLines_ < 0) return;
    const off_t reached = ::lseek(fd_, 0, SEEK_CUR);
    if (reached <= wholeLines_) return;
    std::int64_t keep = 0;
    for (std::int64_t i = reached - wholeLines_ - 1; i >= 0; --i)
        if (lines[i] == '\n') {
            keep = i + 1;
            break;
        }
    // Should this fail too, the partial line stays: the failed write is reported already.
    if (::ftruncate(fd_, wholeLines_ + keep) != 0) return;
}

void mRWFile::StopDump(const QString& why) {
    if (dumpStopped_) return;
    dumpStopped_ = true;
    error_ = FileErrors::OutOfRange;
    if (msgView_) ui_.message(msgTitle_, why, MessageIcon::Critical, MessageButtons::Ok);
}

void mRWFile::CloseFile() {
    if (fd_ >= 0) {
        const int r = ownsFd_ ? FileLayer::close(fd_) : 0;
        fd_ = -1;
        input_.clear();
        inputPos_ = 0;
        // A dump that has stopped has said why once.
        if (r < 0 && !dumpStopped_) {
            item_ = 0;
            reportLayerError(-r);
            return;
        }
    }
    if (dump_) return;
    subFileInfo();
}

void mRWFile::subFileInfo() {
    error_ = 0;
    item_ = 0;
    if (path_.isEmpty()) {
        size_ = 0;
        dateText_ = kZeroText;
        timeText_ = kZeroText;
        name_.clear();
        return;
    }
    struct stat info;
    const int r = lookUp(path_, info);
    if (r == FileErrors::TextFileGone) {
        error_ = FileErrors::TextFileGone;
        return;
    }
    if (r < 0) {
        reportLayerError(-r, FileErrors::Access::Read);
        return;
    }
    size_ = info.st_size;
    if (size_ == 0) {
        subErrMessage(FileErrors::EmptyFile);
        return;
    }
    const QDateTime modified = FileStamp::modified(info);
    dateText_ = FileStamp::dateText(modified);
    timeText_ = FileStamp::timeText(modified);
    name_ = FileStamp::nameOf(path_);
}

void mRWFile::Delete() {
    if (path_.isEmpty()) {
        subErrMessage(FileErrors::NoPath);
        return;
    }
    // Deleting an open file would leave its descriptor behind.
    if (fd_ >= 0) {
        if (ownsFd_) FileLayer::close(fd_);
        fd_ = -1;
    }
    if (const int r = FileLayer::unlink(path_); r < 0) {
        reportLayerError(-r);
        return;
    }
    name_.clear();
    path_.clear();
    size_ = 0;
    dateText_ = kZeroText;
    timeText_ = kZeroText;
    item_ = 0;
    error_ = 0;
}

void mRWFile::subErrMessage(int code) {
    error_ = code;
    if (msgView_)
        FileErrors::showFailure(ui_, msgTitle_, FileErrors::Reporter::TextFile, code, lastErrno_);
}

void mRWFile::reportLayerError(int err, FileErrors::Access access) {
    lastErrno_ = err;
    subErrMessage(FileErrors::codeForErrno(err, access));
}
