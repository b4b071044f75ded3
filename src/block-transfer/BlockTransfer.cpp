#include "BlockTransfer.h"

#include "AlignedBuffer.h"
#include "FileErrors.h"
#include "FileLayer.h"
#include "UiServices.h"
#include "mRWByt.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace BlockTransfer {

namespace {

constexpr std::int64_t kProgressGroup = 257;  // bytes between two updates of the bar

const QString kErrorTitle = QStringLiteral("Ошибка");

bool readOnly(const mRWByt& file) { return (file.FileAttr() & 1) != 0; }

// Updates the progress at most once per interval, with the value the byte-by-byte copy
// would have shown last.
class Pacer {
public:
    Pacer(Progress& progress, std::int64_t base, std::chrono::milliseconds interval)
        : progress_(progress), base_(base), interval_(interval), last_(Clock::now()) {}

    void moved(std::int64_t bytesDone) {
        const auto now = Clock::now();
        if (now - last_ < interval_) return;
        const std::int64_t shown = bytesDone / kProgressGroup * kProgressGroup;
        if (shown == 0) return;
        last_ = now;
        progress_.advance(double(base_ + shown));
    }

private:
    using Clock = std::chrono::steady_clock;
    Progress& progress_;
    std::int64_t base_;
    std::chrono::milliseconds interval_;
    Clock::time_point last_;
};

// Sets disk space aside for a target that grows, a stretch ahead of the writes: the file
// system then places the bytes in large pieces, and a transfer that stops early leaves at
// most one stretch set aside past the target's end (no byte of it is part of the file).
class SpaceAhead {
public:
    // For `count` bytes written to `target` from position `first` on.
    SpaceAhead(mRWByt& target, std::int64_t first, std::int64_t count)
        : target_(target), first_(first), count_(count) {}

    // Before the bytes from `done` on are written.
    void before(std::int64_t done) {
        if (done < reserved_) return;
        const std::int64_t ahead = std::min(count_ - done, kStretch);
        target_.Reserve(first_ + done, ahead);
        reserved_ = done + ahead;
    }

private:
    static constexpr std::int64_t kStretch = 64 * 1024 * 1024;
    mRWByt& target_;
    std::int64_t first_, count_;
    std::int64_t reserved_ = 0;
};

// A file that has to be there and is not: said once, as the file objects say it.
void reportMissing(UiServices& ui) {
    const int code = FileErrors::FileNotFound;
    ui.message(QStringLiteral("mRWByt"),
               QStringLiteral("Error №") + QString::number(code) + QStringLiteral(".     ") +
                   FileErrors::description(code),
               MessageIcon::Critical, MessageButtons::Ok);
}

// A FIFO or a device has no length to load: said once, as a missing source is.
bool isRegularFile(const QString& path) {
    struct stat info;
    return FileLayer::stat(path, info) == 0 && S_ISREG(info.st_mode);
}

void reportNotRegular(UiServices& ui) {
    ui.message(QStringLiteral("mRWByt"),
               QStringLiteral("Error №") + QString::number(FileErrors::PathAccess) +
                   QStringLiteral(".     Файл-источник не является обычным файлом"),
               MessageIcon::Critical, MessageButtons::Ok);
}

void reportTooShort(UiServices& ui) {
    ui.message(kErrorTitle, QStringLiteral("Конечный адрес блока превышает конец файла-приёмника."),
               MessageIcon::Warning, MessageButtons::Ok);
}

void reportReadOnly(UiServices& ui, const QString& text) {
    ui.message(kErrorTitle, text, MessageIcon::Critical, MessageButtons::Ok);
}

// Opens both objects, the source first; on a failure (reported by the object) closes
// whatever it had opened.
bool openPair(mRWByt& source, mRWByt& target) {
    source.OpenFileRW();
    if (!source.IsOpen()) return false;
    target.OpenFileRW();
    if (target.IsOpen()) return true;
    source.CloseFile();
    return false;
}

// Moves `count` bytes from source position `from` to target position `to` (both 1-based).
// Returns false after a failure, which has been reported.
bool copySpan(UiServices& ui, mRWByt& source, mRWByt& target, std::int64_t from,
              std::int64_t to, std::int64_t count, std::int64_t progressBase,
              Progress& progress, const Pace& pace) {
    if (count <= 0) return true;
    const std::int64_t chunk = std::clamp<std::int64_t>(pace.chunkBytes, 1, count);
    AlignedBuffer storage(chunk);
    std::uint8_t* const buffer = storage.data();
    Pacer pacer(progress, progressBase, pace.interval);
    SpaceAhead space(target, to, count);
    for (std::int64_t done = 0; done < count;) {
        space.before(done);
        const std::int64_t want = std::min(count - done, chunk);
        // Inside the kernel where it can be; through the buffer what could not.
        std::int64_t got = source.CopyTo(target, to + done, from + done, want);
        if (got < want) {
            const std::int64_t read = source.ReadSpan(from + done + got, buffer, want - got);
            if (read < 0) return false;
            if (read > 0 && target.WriteSpan(to + done + got, buffer, read) != 0) return false;
            got += read;
        }
        done += got;
        if (got < want) {
            // The source has become shorter since its length was taken: what it still
            // had is copied, and nothing is made up for the rest.
            ui.message(kErrorTitle,
                       QStringLiteral("Файл-источник стал короче: скопирована только часть блока."),
                       MessageIcon::Critical, MessageButtons::Ok);
            return false;
        }
        pacer.moved(done);
    }
    return true;
}

// Closes both, the source first; a failure to write back the last bytes counts.
bool closePair(mRWByt& source, mRWByt& target) {
    source.CloseFile();
    target.CloseFile();
    return target.Error() == 0;
}

}  // namespace

bool sameFile(const QString& first, const QString& second) {
    return FileIdentity::ofPath(first) == FileIdentity::ofPath(second);
}

Outcome subCopyToFile(UiServices& ui, const QString& sourcePath, const QString& targetPath,
                      std::int64_t start, std::int64_t end, Progress& progress,
                      const Pace& pace) {
    mRWByt source(ui);
    source.Path(sourcePath);
    mRWByt target(ui);
    target.Path(targetPath);
    if (readOnly(target)) {
        reportReadOnly(ui, QStringLiteral("Файл-приёмник предназначен только для чтения!"));
        return Outcome::ReadOnlyTarget;
    }
    progress.setMaximum(double(end + 1));
    // Opening would make an empty file of a source that has gone.
    if (!FileIdentity::ofPath(sourcePath).known) {
        reportMissing(ui);
        return Outcome::Failed;
    }
    if (end >= source.Size()) {
        ui.message(kErrorTitle, QStringLiteral("Конечный адрес блока превышает конец файла-источника."),
                   MessageIcon::Warning, MessageButtons::Ok);
        return Outcome::DoesNotFit;
    }
    if (!openPair(source, target)) return Outcome::Failed;
    const bool copied = copySpan(ui, source, target, start + 1, 1, end - start + 1, start,
                                 progress, pace);
    const bool closed = closePair(source, target);
    return copied && closed ? Outcome::Done : Outcome::Failed;
}

Outcome subCopyFromFile(UiServices& ui, const QString& sourcePath, const QString& targetPath,
                        const FileIdentity& target, std::int64_t targetSize,
                        std::int64_t start, Progress& progress, const Pace& pace) {
    mRWByt source(ui);
    source.Path(sourcePath);
    mRWByt inView(ui);
    inView.Path(targetPath);
    const std::int64_t n = source.Size();
    if (n + start > targetSize) {
        reportTooShort(ui);
        return Outcome::DoesNotFit;
    }
    if (readOnly(inView)) {
        reportReadOnly(ui, QStringLiteral("Файл-приёмник предназначен только для чтения!"));
        return Outcome::ReadOnlyTarget;
    }
    progress.setMaximum(double(n));

    const FileIdentity now = FileIdentity::ofPath(targetPath);
    if (!now.known || !FileIdentity::ofPath(sourcePath).known) {
        reportMissing(ui);
        return Outcome::Failed;
    }
    if (!isRegularFile(sourcePath)) {
        reportNotRegular(ui);
        return Outcome::Failed;
    }
    if (now != target) {
        ui.message(kErrorTitle,
                   QStringLiteral("Файл-приёмник заменён другим файлом. Ничего не записано."),
                   MessageIcon::Critical, MessageButtons::Ok);
        return Outcome::Failed;
    }
    if (n == 0) return Outcome::Done;  // an empty source has said so itself
    // The file in view is never lengthened, not even when it has become shorter since the
    // address was chosen.
    if (n + start > inView.Size()) {
        reportTooShort(ui);
        return Outcome::DoesNotFit;
    }
    if (!openPair(source, inView)) return Outcome::Failed;
    const bool copied = copySpan(ui, source, inView, 1, start + 1, n, 0, progress, pace);
    const bool closed = closePair(source, inView);
    return copied && closed ? Outcome::Done : Outcome::Failed;
}

Outcome subFillNewFile(UiServices& ui, const QString& path, std::int64_t start,
                       std::int64_t end, std::uint8_t value, Progress& progress,
                       const Pace& pace) {
    mRWByt file(ui);
    file.Path(path);
    if (readOnly(file)) {
        reportReadOnly(ui, QStringLiteral("Файл предназначен только для чтения!"));
        return Outcome::ReadOnlyTarget;
    }
    progress.setMaximum(double(end + 1));
    file.OpenFileRW();
    if (!file.IsOpen()) return Outcome::Failed;
    const std::int64_t count = end - start + 1;
    const std::int64_t chunk = std::max<std::int64_t>(pace.fillBytes, 1);
    Pacer pacer(progress, start, pace.interval);
    SpaceAhead space(file, start + 1, count);
    bool filled = true;
    for (std::int64_t done = 0; done < count && filled;) {
        space.before(done);
        const std::int64_t n = std::min(count - done, chunk);
        filled = file.FillSpan(start + 1 + done, n, value) == 0;
        done += n;
        if (filled) pacer.moved(done);
    }
    file.CloseFile();
    return filled && file.Error() == 0 ? Outcome::Done : Outcome::Failed;
}

}  // namespace BlockTransfer
