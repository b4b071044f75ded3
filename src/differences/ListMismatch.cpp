#include "ListMismatch.h"

#include "FileErrors.h"
#include "FileLayer.h"
#include "RunList.h"
#include "RunScanner.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace {

constexpr int kEqual = 0, kDiffer = 1, kTrouble = 2;

// Paths go out as the bytes they came as, whatever they are.
void complain(int errors, const QString& text) {
    const QByteArray bytes = FileLayer::encodeName(QStringLiteral("bivex: ") + text + QLatin1Char('\n'));
    FileLayer::write(errors, bytes.constData(), bytes.size());
}

QString reason(int error) { return FileErrors::description(FileErrors::codeForErrno(-error), -error); }

// What became of an input that is no longer the file the scan opened.
QString changedInput(const InputFile& input) {
    const DiskStamp now = DiskStamp::ofPath(input.path());
    const bool shorter = now.identity == input.opened().identity && now.size < input.size();
    return QStringLiteral("«") + input.path() +
           (shorter ? QStringLiteral("» стал короче во время сравнения: список неполон.")
                    : QStringLiteral("» изменился во время сравнения: список может не соответствовать файлу."));
}

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
        complain(errors, files.failure() + QLatin1Char('.'));
        return kTrouble;
    }

    const bool toStandardOutput = out.isEmpty() || out == QLatin1String("-");
    int fd = STDOUT_FILENO;
    if (!toStandardOutput) {
        // A device such as /dev/null or a pipe is a fine place for a list; nothing is
        // emptied before it is known not to be an input.
        fd = FileLayer::openOutput(out, O_WRONLY | O_CREAT, /*waitForReader=*/true);
        if (fd < 0) {
            complain(errors, QStringLiteral("не удаётся записать «%1» (%2).").arg(out, reason(fd)));
            return kTrouble;
        }
    }
    struct CloseOnExit {
        int fd;
        bool own;
        ~CloseOnExit() {
            if (own) FileLayer::close(fd);
        }
    } closer{fd, !toStandardOutput};
    // Emptying an input before it has been read would list differences that were never there.
    const FileIdentity target = FileIdentity::ofDescriptor(fd);
    if (target == files.a().opened().identity || target == files.b().opened().identity) {
        complain(errors, QStringLiteral("список не записывается в сравниваемый файл."));
        return kTrouble;
    }
    struct stat info {};
    if (!toStandardOutput && FileLayer::fstat(fd, info) == 0 && S_ISREG(info.st_mode) && ::ftruncate(fd, 0) != 0) {
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
    if (!written || !output.flush()) {
        complain(errors, QStringLiteral("не удаётся записать список несовпадений."));
        return kTrouble;
    }
    if (result.failed) {
        complain(errors, QStringLiteral("ошибка чтения при сравнении «%1» и «%2».").arg(pathA, pathB));
        return kTrouble;
    }
    // The lines written stay, but a list of files that changed under it is not theirs.
    for (const InputFile* input : {&files.a(), &files.b()})
        if (!input->unchangedOnDisk()) {
            complain(errors, changedInput(*input));
            return kTrouble;
        }
    if (result.cutShort) {  // and grown back since
        complain(errors, QStringLiteral("файл стал короче во время сравнения: список неполон."));
        return kTrouble;
    }
    // Standard output holds the runs alone; which file is longer is said as cmp says it.
    const std::int64_t sizeA = files.sizeA(), sizeB = files.sizeB();
    if (sizeA != sizeB) {
        QString longer = DifferenceText::longerFile(sizeA, sizeB);
        longer[0] = longer[0].toLower();
        complain(errors, QStringLiteral("конец файла «%1» после байта %2: %3.")
                             .arg(sizeA < sizeB ? pathA : pathB)
                             .arg(std::min(sizeA, sizeB))
                             .arg(longer));
    }
    return runs == 0 && sizeA == sizeB ? kEqual : kDiffer;
}
