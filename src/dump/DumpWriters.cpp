#include "DumpWriters.h"

#include "AlignedBuffer.h"
#include "DumpMessages.h"
#include "FileLayer.h"
#include "Pacing.h"
#include "PairReader.h"
#include "UiServices.h"
#include "mRWByt.h"
#include "mRWFile.h"

#include <QDateTime>

#include <algorithm>
#include <chrono>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace DumpFormat;

namespace {

// Bytes read per call of the whole-file dump (a multiple of 16, large enough for one
// direct read); bytes compared per step of the mismatch dump, whose lines are all gathered
// before any is written, so that a step handed over again after a vanished page writes
// nothing twice; and bytes of text gathered before one write (small enough to be still in
// the cache when the system copies them).
constexpr std::int64_t kReadChunk = 1024 * 1024;
constexpr std::int64_t kMismatchStep = 64 * 1024;
constexpr std::int64_t kOutputBytes = 256 * 1024;

// Lines gathered into one buffer and written in large blocks.
class LineBuffer {
public:
    // `room`: the bytes of lines that may be gathered past kOutputBytes.
    LineBuffer(mRWFile& sink, std::int64_t room) : sink_(sink), buffer_(kOutputBytes + room) {}
    // Where the next line goes, with kLineRoom bytes of room.
    char* end() { return data() + end_; }
    void commit(char* lineEnd) { end_ = lineEnd - data(); }
    std::int64_t size() const { return end_; }
    void rewind(std::int64_t size) { end_ = size; }
    // Writes what is gathered once there is enough of it.
    bool flushIfFull() { return end_ <= kOutputBytes || flush(); }
    bool flush() {
        const std::int64_t size = end_;
        end_ = 0;
        return size == 0 || sink_.PutLines(data(), size);
    }

private:
    char* data() { return reinterpret_cast<char*>(buffer_.data()); }

    mRWFile& sink_;
    AlignedBuffer buffer_;
    std::int64_t end_ = 0;
};

// Calls the progress function at a steady pace, whatever the speed of the rows.
class ProgressPace {
public:
    explicit ProgressPace(const DumpProgress& progress) : progress_(progress) {}
    void at(std::int64_t position) {
        if (!progress_) return;
        const auto now = Clock::now();
        if (now - last_ < Pacing::kInterval) return;
        last_ = now;
        progress_(position);
    }
    void finish(std::int64_t position) {
        if (progress_) progress_(position);
    }

private:
    using Clock = std::chrono::steady_clock;
    const DumpProgress& progress_;
    Clock::time_point last_ = Clock::now();
};

// An input that another program cut short while it was dumped ends the dump as a failure:
// what it still had is written, and the user learns that the rest is missing.
bool endedEarly(mRWFile& out, std::int64_t done, std::int64_t size) {
    if (done >= size) return false;
    out.StopDump(QStringLiteral("Файл-источник стал короче: в дамп записана только часть файла."));
    return true;
}

}  // namespace

bool writeDumpHeader(mRWFile& out, Kind kind, std::int64_t block, const QString& fileName, int column) {
    const QByteArray text = header(kind, QDateTime::currentDateTime(), block, fileName, column);
    return out.PutLines(text.constData(), text.size());
}

bool writeFileDump(mRWByt& file, bool dos, mRWFile& out, const DumpProgress& progress) {
    file.OpenFileRW();
    if (file.Error() != 0) return false;
    const CharTable chars(dos);
    const std::int64_t size = file.Size();
    AlignedBuffer input(std::min(size, kReadChunk));
    LineBuffer lines(out, kLineRoom);
    ProgressPace pace(progress);
    RowLabel label(0, fieldColumn(size));
    std::int64_t done = 0;
    bool ok = true;
    while (ok && done < size) {
        const std::int64_t want = std::min(kReadChunk, size - done);
        const std::int64_t got = file.ReadSpan(done + 1, input.data(), want);
        if (got < 0) {
            ok = false;
            break;
        }
        for (std::int64_t at = 0; at < got; at += kRowBytes) {
            if (!lines.flushIfFull()) {
                ok = false;
                break;
            }
            lines.commit(fileRow(lines.end(), label, input.data() + at, int(std::min<std::int64_t>(kRowBytes, got - at)), chars));
            label.next();
        }
        done += got;
        pace.at(done);
        if (got < want) break;
    }
    ok = lines.flush() && ok;
    if (ok && endedEarly(out, done, size)) ok = false;
    file.CloseFile();
    pace.finish(done);
    return ok;
}

bool writeMismatchDump(mRWByt& a, mRWByt& b, bool showA, bool dos, mRWFile& out,
                       const DumpProgress& progress) {
    a.OpenFileRW();
    if (a.Error() != 0) return false;
    b.OpenFileRW();
    if (b.Error() != 0) {
        a.CloseFile();
        return false;
    }
    const CharTable chars(dos);
    const std::int64_t common = std::min(a.Size(), b.Size());
    LineBuffer lines(out, kMismatchStep / kRowBytes * kMaxLineBytes + kLineRoom);
    ProgressPace pace(progress);
    RowLabel label(0, fieldColumn(common));
    std::int64_t labelRow = 0;
    // The line of the row at address `at` (a multiple of 16).
    const auto writeRow = [&](std::int64_t at, const std::uint8_t* bytesA, const std::uint8_t* bytesB, int count) {
        label.advance(std::uint64_t(at / kRowBytes - labelRow));
        labelRow = at / kRowBytes;
        lines.commit(mismatchRow(lines.end(), label, bytesA, bytesB, count, showA, chars));
    };
    // The rows of a piece that differ; pieces begin on a row. Rows both files lack agree.
    const auto work = [&](std::int64_t at, const std::uint8_t* bytesA, const std::uint8_t* bytesB, std::int64_t n) {
        for (std::int64_t i = 0; bytesA && i < n;) {
            std::int64_t k = PairReader::findFirst(bytesA, bytesB, i, n, true);
            if (k == n) {
                // The last row of the comparison is written even when all its bytes match.
                if (n % kRowBytes == 0) break;
                k = n - 1;
            }
            const std::int64_t row = k - k % kRowBytes;
            writeRow(at + row, bytesA + row, bytesB + row, int(std::min<std::int64_t>(kRowBytes, n - row)));
            i = row + kRowBytes;
        }
        return true;
    };
    PairReader reader(a, b);
    std::int64_t done = 0;
    bool ok = true;
    while (done < common) {
        if (!lines.flushIfFull()) {
            ok = false;
            break;
        }
        const std::int64_t gathered = lines.size();
        const RowLabel labelBefore = label;
        const std::int64_t rowBefore = labelRow;
        const PairReader::Step step = reader.forward(done, common, kMismatchStep, work, [&] {
            lines.rewind(gathered);
            label = labelBefore;
            labelRow = rowBefore;
        });
        if (step.failed) {
            ok = false;
            break;
        }
        done = step.end;
        pace.at(done);
        if (step.cutShort) break;
    }
    ok = lines.flush() && ok;
    if (ok && endedEarly(out, done, common)) ok = false;
    a.CloseFile();
    b.CloseFile();
    pace.finish(done);
    return ok;
}

bool writeDumpOfFiles(UiServices& ui, const QString& fileA, const QString& fileB, const QString& output, bool dos) {
    mRWByt a(ui), b(ui);
    for (mRWByt* file : {&a, &b}) file->MsgTitle(QStringLiteral("Bivex"));
    const bool mismatch = !fileB.isEmpty();
    // A missing input is reported before anything is written (the file object would
    // create a file at a path that named none).
    for (const QString& input : mismatch ? QStringList{fileA, fileB} : QStringList{fileA}) {
        struct stat info;
        const int r = FileLayer::stat(input, info);
        if (r < 0 || !S_ISREG(info.st_mode)) {
            reportFileFailure(ui, r < 0 ? -r : S_ISDIR(info.st_mode) ? EISDIR : EBADF, FileErrors::Access::Read);
            return false;
        }
    }
    a.Path(fileA);
    if (mismatch) b.Path(fileB);
    mRWFile out(ui);
    out.MsgTitle(QStringLiteral("Bivex"));
    if (output == QLatin1String("-")) {
        out.AttachDump(STDOUT_FILENO);
        // A dump piped to another program goes through a pipe of a mebibyte rather than the
        // usual 64 KiB: a sixteenth of the switches between the two. Not a pipe: no change.
        ::fcntl(STDOUT_FILENO, F_SETPIPE_SZ, 1024 * 1024);
    } else {
        const mRWFile::DumpTarget opened = out.OpenDump(output, {fileA, fileB}, true);
        if (opened == mRWFile::DumpTarget::LoadedFile)
            ui.message(QStringLiteral("Bivex"), loadedTargetMessage(), MessageIcon::Critical, MessageButtons::Ok);
        if (opened != mRWFile::DumpTarget::Opened) return false;
    }
    const std::int64_t end = mismatch ? std::min(a.Size(), b.Size()) : a.Size();
    bool ok = writeDumpHeader(out, mismatch ? Kind::Mismatch : Kind::File, 0, a.Name(), fieldColumn(end));
    if (ok) ok = mismatch ? writeMismatchDump(a, b, true, dos, out) : writeFileDump(a, dos, out);
    out.CloseFile();
    return ok && out.Error() == 0;
}
