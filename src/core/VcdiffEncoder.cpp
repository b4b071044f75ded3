#include "VcdiffEncoder.h"

#include <algorithm>
#include <cstring>

#include "Adler32.h"
#include "ChangeFinder.h"
#include "FileErrors.h"
#include "FileLayer.h"
#include "FilePair.h"
#include "MappedBytes.h"
#include "ReplacingOutput.h"
#include "VcdiffFormat.h"
#include "VcdiffMatcher.h"
#include "VcdiffWindowCoder.h"

namespace VcdiffEncoder {

namespace {

// Progress is told in these parts: the change finder's share, then the coding's.
constexpr std::int64_t kProgressParts = 1000;
// A change list longer than this is thinned by joining neighbours (what lay between them
// is then coded as changed, mostly as copies): its memory stays bounded.
constexpr std::size_t kMostChanges = std::size_t(1) << 19;
// Equal stretches shorter than a copy's code are added instead.
constexpr std::int64_t kShortestEqualCopy = 4;

// Whether `changes` turn A into B as far as their places go: in order, inside both files,
// with as many bytes between them in A as in B.
bool wellPlaced(const std::vector<Change>& changes, std::int64_t sizeA, std::int64_t sizeB) {
    std::int64_t endA = 0, endB = 0;
    for (const Change& c : changes) {
        if (c.lengthA < 0 || c.lengthB < 0 || c.addressA < endA || c.addressB < endB ||
            c.addressA - endA != c.addressB - endB || c.endA() > sizeA || c.endB() > sizeB)
            return false;
        endA = c.endA();
        endB = c.endB();
    }
    return sizeA - endA == sizeB - endB;
}

void thin(std::vector<Change>& changes) {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < changes.size(); i += 2) {
        Change joined = changes[i];
        if (i + 1 < changes.size()) {
            const Change& next = changes[i + 1];
            joined.lengthA = next.endA() - joined.addressA;
            joined.lengthB = next.endB() - joined.addressB;
        }
        changes[kept++] = joined;
    }
    changes.resize(kept);
}

// B's bytes in changes from `next` on that fall inside [begin, end).
std::int64_t changedIn(const std::vector<Change>& changes, std::size_t next, std::int64_t begin, std::int64_t end) {
    std::int64_t bytes = 0;
    for (; next < changes.size() && changes[next].addressB < end; ++next)
        bytes += std::max<std::int64_t>(0, std::min(end, changes[next].endB()) - std::max(begin, changes[next].addressB));
    return bytes;
}

// The patch's bytes, gathered into writes of a megabyte or so.
class BufferedSink {
public:
    explicit BufferedSink(int fd) : fd_(fd) { buffer_.reserve(kFlushAt); }
    bool put(const Byte* bytes, std::int64_t n) {
        if (std::int64_t(buffer_.size()) + n > kFlushAt && !flush()) return false;
        if (n >= kFlushAt) return write(bytes, n);
        buffer_.insert(buffer_.end(), bytes, bytes + n);
        return true;
    }
    bool flush() {
        const bool written = write(buffer_.data(), std::int64_t(buffer_.size()));
        buffer_.clear();
        return written;
    }
    int error() const { return error_; }

private:
    static constexpr std::int64_t kFlushAt = 1 << 20;
    bool write(const Byte* bytes, std::int64_t n) {
        if (n == 0 || error_ != 0) return error_ == 0;
        const std::int64_t written = FileLayer::write(fd_, bytes, n);
        if (written < 0) error_ = int(written);
        return written >= 0;
    }
    int fd_;
    int error_ = 0;
    std::vector<Byte> buffer_;
};

// A file's bytes: mapped, or read whole where it cannot be mapped.
struct Bytes {
    MappedBytes map;
    std::vector<Byte> copy;
    const Byte* data = nullptr;
    bool read(int fd, std::int64_t size) {
        if (size == 0) return true;
        map = MappedBytes::map(fd, 0, size);
        if (map) {
            data = map.data();
            return true;
        }
        copy.resize(std::size_t(size));
        data = copy.data();
        return FileLayer::pread(fd, copy.data(), size, 0) == size;
    }
};

}  // namespace

bool encode(const Byte* a, std::int64_t sizeA, const Byte* b, std::int64_t sizeB, const std::vector<Change>& changes,
            bool checkEqual, const Sink& sink, const ProgressHandler& onProgress, bool* stopped) {
    if (stopped) *stopped = false;
    const Byte header[] = {Vcdiff::kMagic[0], Vcdiff::kMagic[1], Vcdiff::kMagic[2], Vcdiff::kMagic[3], 0};
    if (!sink(header, sizeof header)) return false;
    VcdiffWindowCoder coder;
    if (sizeB == 0) {
        coder.begin(0);
        return coder.finish(0, Adler32::kStart, sink);
    }

    VcdiffMatcher matcher(a, sizeA, b);
    std::int64_t changed = 0;
    for (const Change& change : changes) changed += change.lengthB;
    matcher.indexSource(changed);

    std::size_t next = 0;     // the first change that does not end before the place coded
    std::int64_t delta = 0;   // A's address less B's in the equal stretch coded
    for (std::int64_t begin = 0; begin < sizeB; begin += kWindow) {
        if (onProgress && !onProgress(begin, sizeB)) {
            if (stopped) *stopped = true;
            return false;
        }
        const std::int64_t end = std::min(sizeB, begin + kWindow);
        coder.begin(sizeA);
        matcher.beginWindow(begin, changedIn(changes, next, begin, end));
        std::int64_t at = begin;
        while (at < end) {
            // Past the changes that end here, deletions included: the stretch after them is
            // copied from where they leave A.
            while (next < changes.size() && changes[next].endB() <= at) {
                delta = changes[next].endA() - changes[next].endB();
                ++next;
            }
            if (next < changes.size() && changes[next].addressB <= at) {
                const Change& change = changes[next];
                const std::int64_t to = std::min(end, change.endB());
                matcher.code(at, to, change.addressA - change.addressB, change.endA() - change.endB(), coder);
                at = to;
                continue;
            }
            const std::int64_t to = next < changes.size() ? std::min(end, changes[next].addressB) : end;
            if (checkEqual && std::memcmp(a + at + delta, b + at, std::size_t(to - at)) != 0)
                matcher.code(at, to, delta, delta, coder);
            else if (to - at < kShortestEqualCopy)
                coder.add(b + at, to - at);
            else
                coder.copy(at + delta, to - at);
            at = to;
        }
        if (!coder.finish(0, Adler32::update(Adler32::kStart, b + begin, end - begin), sink)) return false;
    }
    return true;
}

Result writePatch(const FilePair& files, const QString& path, const ProgressHandler& onProgress,
                  const std::vector<Change>* given) {
    if (files.error() != 0) return {Outcome::Unreadable};
    if (files.holds(FileIdentity::ofPath(path))) return {Outcome::OutputIsInput};
    // Opened first: a name that cannot be written is told before the long work.
    ReplacingOutput output;
    if (const int error = output.open(path); error < 0) return {Outcome::WriteFailed, error};
    Bytes a, b;
    if (!a.read(files.fdA(), files.sizeA()) || !b.read(files.fdB(), files.sizeB())) return {Outcome::ReadFailed};

    const bool checked = given && wellPlaced(*given, files.sizeA(), files.sizeB());
    // Without a list, the change finder's share of the progress is the first half.
    const std::int64_t first = checked ? 0 : kProgressParts / 2;
    const ChangeFinder::ProgressHandler finding = [&](std::int64_t done, std::int64_t total) {
        return !onProgress || onProgress(total > 0 ? done * first / total : 0, kProgressParts);
    };
    const ProgressHandler coding = [&](std::int64_t done, std::int64_t total) {
        return !onProgress || onProgress(first + done * (kProgressParts - first) / std::max<std::int64_t>(total, 1), kProgressParts);
    };
    std::vector<Change> found;
    BufferedSink sink(output.fd());
    // Everything the work owns lives out here: a page that vanishes under it leaves it
    // without unwinding (what the finder holds then is lost, once, to a file cut short
    // under us). The finder and the coding look at the same mapped pages.
    bool coded = false, stopped = false;
    auto work = [&] {
        if (!checked && !ChangeFinder::findChanges(
                            a.data, files.sizeA(), b.data, files.sizeB(),
                            [&](const Change& change) {
                                if (found.size() == kMostChanges) thin(found);
                                found.push_back(change);
                                return true;
                            },
                            finding)) {
            stopped = true;
            return;
        }
        coded = encode(a.data, files.sizeA(), b.data, files.sizeB(), checked ? *given : found, checked,
                       [&](const Byte* bytes, std::int64_t n) { return sink.put(bytes, n); }, coding, &stopped);
    };
    if (!MappedBytes::read({&a.map, &b.map}, work)) return {Outcome::ReadFailed};
    if (stopped) return {Outcome::Stopped};
    if (!coded || !sink.flush()) return {Outcome::WriteFailed, sink.error() != 0 ? sink.error() : -EIO};
    if (!files.unchangedOnDisk()) return {Outcome::InputChanged};
    if (const int error = output.commit(); error < 0) return {Outcome::WriteFailed, error};
    if (onProgress) onProgress(kProgressParts, kProgressParts);
    return {};
}

QString failureText(const Result& result, const FilePair& files, const QString& path) {
    const QString name = QStringLiteral("«") + path + QStringLiteral("»");
    switch (result.outcome) {
    case Outcome::Written:
        return {};
    case Outcome::Stopped:
        return QStringLiteral("запись дельты %1 прервана; файл не записан").arg(name);
    case Outcome::Unreadable:
        return files.failure();
    case Outcome::OutputIsInput:
        return QStringLiteral("дельта не записывается в сравниваемый файл");
    case Outcome::ReadFailed:
        return QStringLiteral("ошибка чтения при сравнении «%1» и «%2»").arg(files.a().path(), files.b().path());
    case Outcome::InputChanged:
        return QStringLiteral("«%1» или «%2» изменился во время записи дельты; дельта %3 не записана")
            .arg(files.a().path(), files.b().path(), name);
    case Outcome::WriteFailed:
        break;
    }
    return QStringLiteral("не удаётся записать %1 (%2)")
        .arg(name, FileErrors::description(FileErrors::codeForErrno(-result.error, FileErrors::Access::Create), -result.error));
}

}  // namespace VcdiffEncoder
