#include "ListOutput.h"

#include "FileErrors.h"
#include "FileLayer.h"
#include "FilePair.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ListOutput {

void complain(int errors, const QString& text) {
    const QByteArray bytes = FileLayer::encodeName(QStringLiteral("bivex: ") + text + QLatin1Char('\n'));
    FileLayer::write(errors, bytes.constData(), bytes.size());
}

QString reason(int error) { return FileErrors::description(FileErrors::codeForErrno(-error), -error); }

Writer::~Writer() {
    if (own_) FileLayer::close(fd_);
}

bool Writer::open(const QString& out, const FilePair& files, int errors) {
    buffer_.reserve(kFlushAt + 256);
    const bool toStandardOutput = out.isEmpty() || out == QLatin1String("-");
    fd_ = STDOUT_FILENO;
    if (!toStandardOutput) {
        // A device (/dev/null) or a pipe takes a list as well as a file does.
        fd_ = FileLayer::openOutput(out, O_WRONLY | O_CREAT, true);
        if (fd_ < 0) {
            complain(errors, QStringLiteral("не удаётся записать «%1» (%2).").arg(out, reason(fd_)));
            return false;
        }
        own_ = true;
    }
    const FileIdentity target = FileIdentity::ofDescriptor(fd_);
    if (files.holds(target)) {
        complain(errors, QStringLiteral("список не записывается в сравниваемый файл."));
        return false;
    }
    struct stat info {};
    const bool regular = FileLayer::fstat(fd_, info) == 0 && S_ISREG(info.st_mode);
    if (!toStandardOutput && regular && ::ftruncate(fd_, 0) != 0) {
        complain(errors, QStringLiteral("не удаётся записать «%1» (%2).").arg(out, reason(-errno)));
        return false;
    }
    return true;
}

bool opened(const FilePair& files, int errors) {
    if (files.error() == 0) return true;
    complain(errors, files.failure() + QLatin1Char('.'));
    return false;
}

bool inputsUnchanged(const FilePair& files, bool cutShort, int errors) {
    for (const InputFile* input : {&files.a(), &files.b()}) {
        if (input->unchangedOnDisk()) continue;
        const DiskStamp now = DiskStamp::ofPath(input->path());
        const bool shorter = now.identity == input->opened().identity && now.size < input->size();
        complain(errors, QStringLiteral("«") + input->path() +
                             (shorter ? QStringLiteral("» стал короче во время сравнения: список неполон.")
                                      : QStringLiteral("» изменился во время сравнения: список может не соответствовать файлу.")));
        return false;
    }
    if (!cutShort) return true;
    // Cut short and grown back since.
    complain(errors, QStringLiteral("файл стал короче во время сравнения: список неполон."));
    return false;
}

bool Writer::line(const char* text, std::size_t n) {
    buffer_.append(text, n);
    return buffer_.size() < kFlushAt || flush();
}

bool Writer::flush() {
    if (error_ != 0) return false;
    if (!buffer_.empty()) {
        const std::int64_t wrote = FileLayer::write(fd_, buffer_.data(), std::int64_t(buffer_.size()));
        if (wrote < 0) {
            error_ = int(wrote);
            return false;
        }
    }
    buffer_.clear();
    return true;
}

char* putHex(char* at, std::int64_t value, int digits) {
    char reversed[16];
    int n = 0;
    do {
        reversed[n++] = "0123456789ABCDEF"[value & 15];
        value >>= 4;
    } while (value != 0);
    for (int pad = digits - n; pad > 0; --pad) *at++ = '0';
    while (n > 0) *at++ = reversed[--n];
    return at;
}

char* putDecimal(char* at, std::int64_t value) {
    char reversed[20];
    int n = 0;
    do {
        reversed[n++] = char('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (n > 0) *at++ = reversed[--n];
    return at;
}

}  // namespace ListOutput
