#include "ListMismatch.h"

#include "FileErrors.h"
#include "FileLayer.h"
#include "RunList.h"
#include "RunScanner.h"

#include <fcntl.h>
#include <unistd.h>

#include <string>

namespace {

constexpr int kEqual = 0, kDiffer = 1, kTrouble = 2;

void complain(int errors, const QString& text) {
    const QByteArray bytes = (QStringLiteral("bivex: ") + text + QLatin1Char('\n')).toLocal8Bit();
    FileLayer::write(errors, bytes.constData(), bytes.size());
}

QString reason(int error) { return FileErrors::description(FileErrors::codeForErrno(-error), -error); }

bool sameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// Lines gathered and written a megabyte at a time.
class Output {
public:
    explicit Output(int fd) : fd_(fd) { buffer_.reserve(kFlushAt + 256); }
    bool line(const char* text, std::size_t n) {
        buffer_.append(text, n);
        return buffer_.size() < kFlushAt || flush();
    }
    bool flush() {
        if (!buffer_.empty() && FileLayer::write(fd_, buffer_.data(), std::int64_t(buffer_.size())) < 0) return false;
        buffer_.clear();
        return true;
    }

private:
    static constexpr std::size_t kFlushAt = 1 << 20;
    int fd_;
    std::string buffer_;
};

// "ADDRESS LENGTH\n" into `line`, the address upper-case hexadecimal with `digits` digits
// at least.
std::size_t formatRun(char* line, std::int64_t address, std::int64_t length, int digits) {
    char hex[32];
    int n = 0;
    do {
        hex[n++] = "0123456789ABCDEF"[address & 15];
        address >>= 4;
    } while (address != 0);
    std::size_t at = 0;
    for (int pad = digits - n; pad > 0; --pad) line[at++] = '0';
    while (n > 0) line[at++] = hex[--n];
    line[at++] = ' ';
    char dec[32];
    n = 0;
    do {
        dec[n++] = char('0' + length % 10);
        length /= 10;
    } while (length != 0);
    while (n > 0) line[at++] = dec[--n];
    line[at++] = '\n';
    return at;
}

}  // namespace

int runListMismatch(const QString& pathA, const QString& pathB, const QString& out, int errors) {
    const RunScanner::FilePair files(pathA, pathB);
    if (files.error() != 0) {
        complain(errors, QStringLiteral("не удаётся прочитать «%1» (%2).").arg(files.failedPath(), reason(files.error())));
        return kTrouble;
    }
    struct stat infoA {}, infoB {}, target {};
    FileLayer::fstat(files.fdA(), infoA);
    FileLayer::fstat(files.fdB(), infoB);

    const bool toStandardOutput = out.isEmpty() || out == QLatin1String("-");
    int fd = STDOUT_FILENO;
    if (!toStandardOutput) {
        // Not through the file layer: a device such as /dev/null is a fine place for a list.
        fd = ::open(out.toLocal8Bit().constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0) {
            complain(errors, QStringLiteral("не удаётся записать «%1» (%2).").arg(out, reason(-errno)));
            return kTrouble;
        }
    }
    struct CloseOnExit {
        int fd;
        bool own;
        ~CloseOnExit() {
            if (own) ::close(fd);
        }
    } closer{fd, !toStandardOutput};
    // Emptying an input before it has been read would list differences that were never there.
    if (::fstat(fd, &target) == 0 && S_ISREG(target.st_mode) && (sameFile(target, infoA) || sameFile(target, infoB))) {
        complain(errors, QStringLiteral("список не записывается в сравниваемый файл."));
        return kTrouble;
    }
    if (!toStandardOutput && S_ISREG(target.st_mode) && ::ftruncate(fd, 0) != 0) {
        complain(errors, QStringLiteral("не удаётся записать «%1» (%2).").arg(out, reason(-errno)));
        return kTrouble;
    }

    Output output(fd);
    const int digits = std::max(7, int(DifferenceText::address(0, std::max(files.sizeA(), files.sizeB())).size()));
    std::int64_t runs = 0;
    bool written = true;
    const RunScanner::ScanResult result =
        RunScanner::scanRuns(files, 0, files.commonSize(), [&](const RunScanner::Run& run) {
            char line[64];
            ++runs;
            written = output.line(line, formatRun(line, run.address, run.length, digits));
            return written;
        });
    if (result.failed) {
        complain(errors, QStringLiteral("ошибка чтения при сравнении «%1» и «%2».").arg(pathA, pathB));
        return kTrouble;
    }
    // A file cut short while it was read is as long as it now is.
    std::int64_t sizeA = files.sizeA(), sizeB = files.sizeB();
    if (result.cutShort) {
        FileLayer::fstat(files.fdA(), infoA);
        FileLayer::fstat(files.fdB(), infoB);
        sizeA = infoA.st_size;
        sizeB = infoB.st_size;
    }
    const QByteArray longer = DifferenceText::longerFile(sizeA, sizeB).toUtf8();
    if (written && !longer.isEmpty()) written = output.line((longer + '\n').constData(), std::size_t(longer.size() + 1));
    if (!written || !output.flush()) {
        complain(errors, QStringLiteral("не удаётся записать список несовпадений."));
        return kTrouble;
    }
    return runs == 0 && sizeA == sizeB ? kEqual : kDiffer;
}
