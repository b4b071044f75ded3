#include "mRWFile.h"

#include "CodePage.h"
#include "FileErrors.h"
#include "FileLayer.h"
#include "FileStamp.h"
#include "UiServices.h"

#include <QDateTime>

#include <fcntl.h>

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
    if (fd_ >= 0) FileLayer::close(fd_);
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

void mRWFile::CloseFile() {
    if (fd_ >= 0) {
        const int r = FileLayer::close(fd_);
        fd_ = -1;
        input_.clear();
        inputPos_ = 0;
        if (r < 0) {
            item_ = 0;
            reportLayerError(-r);
            return;
        }
    }
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
        FileLayer::close(fd_);
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
