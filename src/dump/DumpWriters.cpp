#include "DumpWriters.h"

#include "AlignedBuffer.h"
#include "DumpSink.h"
#include "FileLayer.h"
#include "Pacing.h"
#include "UiServices.h"
#include "mRWByt.h"

#include <QDateTime>

#include <algorithm>
#include <chrono>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace DumpFormat;

namespace {

// Bytes read per call (a multiple of 16, large enough for one direct read) and bytes of
// text gathered before one write (small enough to be still in the cache when the system
// copies them).
constexpr std::int64_t kReadChunk = 1024 * 1024;
constexpr std::int64_t kOutputBytes = 256 * 1024;

// Lines gathered into one buffer and written in large blocks.
class LineBuffer {
public:
    explicit LineBuffer(DumpSink& sink) : sink_(sink), buffer_(kOutputBytes + kLineRoom) {}
    char* data() { return reinterpret_cast<char*>(buffer_.data()); }
    // Where the next line goes; writes what is gathered first when a line might not fit.
    char* next() {
        if (end_ > kOutputBytes && !flush()) return nullptr;
        return data() + end_;
    }
    void commit(char* lineEnd) { end_ = lineEnd - data(); }
    bool flush() {
        const std::int64_t size = end_;
        end_ = 0;
        return size == 0 || sink_.write(data(), size);
    }

private:
    DumpSink& sink_;
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

bool rowsDiffer(const std::uint8_t* a, const std::uint8_t* b) {
    return std::memcmp(a, b, kRowBytes) != 0;
}

// An input that another program cut short while it was dumped ends the dump as a failure:
// what it still had is written, and the user learns that the rest is missing.
bool endedEarly(DumpSink& out, std::int64_t done, std::int64_t size) {
    if (done >= size) return false;
    out.stop(QStringLiteral("Файл-источник стал короче: в дамп записана только часть файла."));
    return true;
}

}  // namespace

bool writeDumpHeader(DumpSink& out, Kind kind, std::int64_t block, const QString& fileName, int column) {
    const QByteArray text = header(kind, QDateTime::currentDateTime(), block, fileName, column);
    return out.write(text.constData(), text.size());
}

bool writeFileDump(mRWByt& file, bool dos, DumpSink& out, const DumpProgress& progress) {
    file.OpenFileRW();
    if (file.Error() != 0) return false;
    const CharTable chars(dos);
    const std::int64_t size = file.Size();
    AlignedBuffer input(std::min(size, kReadChunk));
    LineBuffer lines(out);
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
            char* line = lines.next();
            if (!line) {
                ok = false;
                break;
            }
            lines.commit(fileRow(line, label, input.data() + at, int(std::min<std::int64_t>(kRowBytes, got - at)), chars));
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

bool writeMismatchDump(mRWByt& a, mRWByt& b, bool showA, bool dos, DumpSink& out,
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
    const std::int64_t chunk = std::min(common, kReadChunk);
    AlignedBuffer inA(chunk);
    AlignedBuffer inB(chunk);
    LineBuffer lines(out);
    ProgressPace pace(progress);
    RowLabel label(0, fieldColumn(common));
    std::int64_t labelRow = 0;
    std::int64_t done = 0;
    bool ok = true;
    while (ok && done < common) {
        const std::int64_t want = std::min(kReadChunk, common - done);
        const std::int64_t gotA = a.ReadSpan(done + 1, inA.data(), want);
        const std::int64_t gotB = gotA < 0 ? -1 : b.ReadSpan(done + 1, inB.data(), want);
        if (gotB < 0) {
            ok = false;
            break;
        }
        const std::int64_t got = std::min(gotA, gotB);
        // The last row of the comparison is written even when all its bytes match.
        const bool last = got < want || done + got == common;
        const std::int64_t fullRows = got / kRowBytes * kRowBytes;
        const bool partial = last && fullRows < got;
        if (std::memcmp(inA.data(), inB.data(), std::size_t(fullRows)) != 0 || partial) {
            for (std::int64_t at = 0; at < got; at += kRowBytes) {
                const int count = int(std::min<std::int64_t>(kRowBytes, got - at));
                if (count == kRowBytes && !rowsDiffer(inA.data() + at, inB.data() + at)) continue;
                char* line = lines.next();
                if (!line) {
                    ok = false;
                    break;
                }
                const std::int64_t row = (done + at) / kRowBytes;
                label.advance(std::uint64_t(row - labelRow));
                labelRow = row;
                lines.commit(mismatchRow(line, label, inA.data() + at, inB.data() + at, count, showA, chars));
            }
        }
        done += got;
        pace.at(done);
        if (got < want) break;
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
    DumpFile out(ui);
    if (output == QLatin1String("-")) {
        out.attach(STDOUT_FILENO);
        // A dump piped to another program goes through a pipe of a mebibyte rather than the
        // usual 64 KiB: a sixteenth of the switches between the two. Not a pipe: no change.
        ::fcntl(STDOUT_FILENO, F_SETPIPE_SZ, 1024 * 1024);
    } else {
        const DumpFile::OpenResult opened = out.open(output, {fileA, fileB}, true);
        if (opened == DumpFile::OpenResult::LoadedFile)
            ui.message(QStringLiteral("Bivex"), loadedTargetMessage(), MessageIcon::Critical, MessageButtons::Ok);
        if (opened != DumpFile::OpenResult::Opened) return false;
    }
    const std::int64_t end = mismatch ? std::min(a.Size(), b.Size()) : a.Size();
    bool ok = writeDumpHeader(out, mismatch ? Kind::Mismatch : Kind::File, 0, a.Name(), fieldColumn(end));
    if (ok) ok = mismatch ? writeMismatchDump(a, b, true, dos, out) : writeFileDump(a, dos, out);
    return out.close() && ok;
}
