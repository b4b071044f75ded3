#include "VcdiffDecoder.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "Adler32.h"
#include "FileErrors.h"
#include "FileLayer.h"
#include "FilePair.h"
#include "ReplacingOutput.h"
#include "VcdiffFormat.h"

namespace VcdiffDecoder {

namespace {

using namespace Vcdiff;

// What stopped a step: nothing, or the outcome the whole decoding ends with.
struct Failure {
    Outcome outcome = Outcome::Applied;
    int error = 0;
    explicit operator bool() const { return outcome != Outcome::Applied; }
};

// Bytes of the delta read in order from `offset` up to `limit`, a buffer at a time. Reading
// past the limit is `pastEnd`: a truncated delta, or a section shorter than its length said.
class PatchStream {
public:
    PatchStream(int fd, std::int64_t offset, std::int64_t limit, Outcome pastEnd)
        : fd_(fd), position_(offset), limit_(limit), pastEnd_(pastEnd) {}

    std::int64_t position() const { return position_ - (end_ - next_); }
    std::int64_t left() const { return limit_ - position(); }
    bool atEnd() const { return left() == 0; }
    const Failure& failure() const { return failure_; }

    bool byte(Byte& value) {
        if (next_ == end_ && !fill()) return false;
        value = buffer_[next_++];
        return true;
    }
    // The format's integer, below 2^63.
    bool integer(std::uint64_t& value) {
        value = 0;
        for (int i = 0; i < kLongestInteger; ++i) {
            Byte digit;
            if (!byte(digit)) return false;
            value = (value << 7) | (digit & 0x7F);
            if (!(digit & 0x80)) return true;
            if (value > (std::uint64_t(std::numeric_limits<std::int64_t>::max()) >> 7)) break;
        }
        return fail({Outcome::Damaged});
    }
    bool bytes(Byte* into, std::int64_t n) {
        while (n > 0) {
            if (next_ == end_ && !fill()) return false;
            const std::int64_t k = std::min<std::int64_t>(n, end_ - next_);
            std::memcpy(into, buffer_ + next_, std::size_t(k));
            next_ += k;
            into += k;
            n -= k;
        }
        return true;
    }
    bool skip(std::int64_t n) {
        if (n > left()) return fail({pastEnd_});
        const std::int64_t buffered = std::min<std::int64_t>(n, end_ - next_);
        next_ += buffered;
        position_ += n - buffered;
        return true;
    }
    bool fail(const Failure& failure) {
        if (!failure_) failure_ = failure;
        return false;
    }

private:
    bool fill() {
        if (failure_) return false;
        const std::int64_t n = std::min<std::int64_t>(kBuffer, limit_ - position_);
        if (n <= 0) return fail({pastEnd_});
        const std::int64_t got = FileLayer::pread(fd_, buffer_, n, position_);
        if (got != n) return fail({Outcome::ReadFailed});
        position_ += n;
        next_ = 0;
        end_ = n;
        return true;
    }

    static constexpr std::int64_t kBuffer = 64 * 1024;
    int fd_;
    std::int64_t position_;  // of the byte after the buffer's last
    std::int64_t limit_;
    Outcome pastEnd_;
    Byte buffer_[kBuffer];
    std::int64_t next_ = 0, end_ = 0;
    Failure failure_;
};

// A segment's bytes read from a file at any place; small reads go through a cache.
class SegmentReader {
public:
    SegmentReader(int fd, std::int64_t size) : fd_(fd), size_(size) {}

    bool read(std::int64_t offset, Byte* into, std::int64_t n) {
        if (n >= kCache) return FileLayer::pread(fd_, into, n, offset) == n;
        if (offset < cachedAt_ || offset + n > cachedAt_ + cachedLength_) {
            cache_.resize(kCache);
            cachedAt_ = offset;
            cachedLength_ = std::min(kCache, size_ - offset);
            if (cachedLength_ < n || FileLayer::pread(fd_, cache_.data(), cachedLength_, offset) != cachedLength_) {
                cachedLength_ = 0;
                return false;
            }
        }
        std::memcpy(into, cache_.data() + (offset - cachedAt_), std::size_t(n));
        return true;
    }

private:
    static constexpr std::int64_t kCache = 64 * 1024;
    int fd_;
    std::int64_t size_;
    std::vector<Byte> cache_;
    std::int64_t cachedAt_ = 0, cachedLength_ = 0;
};

// The output of one window: held in memory, where copies inside the window find it,
// and written to the file once the window is done, or its older part once it grows large
// (copies from there read the file back).
class WindowOutput {
public:
    // Most of a window held at once, and what is kept of it when its older part is written.
    static constexpr std::int64_t kMostHeld = 16 << 20, kKeptHeld = 4 << 20;
    // The most bytes one step puts in.
    static constexpr std::int64_t kStep = 1 << 20;

    explicit WindowOutput(int fd) : fd_(fd) {}

    void begin(std::int64_t fileOffset, std::int64_t length) {
        fileOffset_ = fileOffset;
        length_ = length;
        // Room as the window needs, never more than it can hold at once.
        if (const std::int64_t room = std::min(length, kMostHeld + kStep); room > capacity_) {
            held_ = std::make_unique_for_overwrite<Byte[]>(std::size_t(room));
            capacity_ = room;
        }
        size_ = heldFrom_ = 0;
        sum_ = Adler32::kStart;
    }
    std::int64_t made() const { return heldFrom_ + size_; }
    std::int64_t length() const { return length_; }
    std::uint32_t sum() const { return sum_; }

    // Room for the next n <= kStep bytes of the window, to be filled by the caller.
    Byte* room(std::int64_t n, Failure& failure) {
        if (size_ + n > kMostHeld && !write(size_ - kKeptHeld, failure)) return nullptr;
        size_ += n;
        return held_.get() + size_ - n;
    }
    // Copies n bytes of the window's output from `from` (before made()) to its end, byte by
    // byte as it were: a copy that overlaps its own output repeats it.
    bool copyWithin(std::int64_t from, std::int64_t n, Failure& failure) {
        while (n > 0) {
            std::int64_t k = std::min(n, kStep);
            Byte* into = room(k, failure);
            if (!into) return false;
            if (from >= heldFrom_) {
                const Byte* source = held_.get() + (from - heldFrom_);
                if (source + k <= into)
                    std::memcpy(into, source, std::size_t(k));
                else
                    for (std::int64_t i = 0; i < k; ++i) into[i] = source[i];
            } else {
                // Written already: read back, no further than what was written.
                const std::int64_t written = std::min(k, heldFrom_ - from);
                size_ -= k - written;
                k = written;
                if (FileLayer::pread(fd_, into, k, fileOffset_ + from) != k) {
                    failure = {Outcome::ReadFailed};
                    return false;
                }
            }
            from += k;
            n -= k;
        }
        return true;
    }
    // Writes what is held.
    bool finish(Failure& failure) { return write(size_, failure); }

private:
    bool write(std::int64_t n, Failure& failure) {
        if (n == 0) return true;
        const std::int64_t written = FileLayer::pwrite(fd_, held_.get(), n, fileOffset_ + heldFrom_);
        if (written < 0) {
            failure = {Outcome::WriteFailed, int(written)};
            return false;
        }
        sum_ = Adler32::update(sum_, held_.get(), n);
        std::memmove(held_.get(), held_.get() + n, std::size_t(size_ - n));
        size_ -= n;
        heldFrom_ += n;
        return true;
    }

    int fd_;
    std::int64_t fileOffset_ = 0, length_ = 0;
    std::unique_ptr<Byte[]> held_;
    std::int64_t capacity_ = 0, size_ = 0;
    std::int64_t heldFrom_ = 0;  // the window's offset of the first byte held
    std::uint32_t sum_ = Adler32::kStart;
};

// One window's delta, run against its segment into the output.
class Window {
public:
    Window(PatchStream& data, PatchStream& instructions, PatchStream& addresses, WindowOutput& output,
           SegmentReader* segment, std::int64_t segmentOffset, std::int64_t segmentLength)
        : data_(data), instructions_(instructions), addresses_(addresses), output_(output), segment_(segment),
          segmentOffset_(segmentOffset), segmentLength_(segmentLength) {}

    Failure run() {
        const std::array<Code, 256>& table = defaultCodeTable();
        while (!instructions_.atEnd()) {
            Byte index;
            if (!instructions_.byte(index)) return lost();
            const Code& code = table[index];
            for (const Half* half : {&code.first, &code.second}) {
                if (half->type == Type::None) continue;
                std::uint64_t size = half->size;
                if (size == 0 && !instructions_.integer(size)) return lost();
                if (size > std::uint64_t(output_.length() - output_.made())) return {Outcome::Damaged};
                if (!perform(*half, std::int64_t(size))) return failure_ ? failure_ : lost();
            }
        }
        if (output_.made() != output_.length() || !data_.atEnd() || !addresses_.atEnd()) return {Outcome::Damaged};
        return {};
    }

private:
    // A stream that ran out or failed: its own outcome.
    Failure lost() const {
        for (const PatchStream* s : {&instructions_, &data_, &addresses_})
            if (s->failure()) return s->failure();
        return {Outcome::Damaged};
    }

    bool perform(const Half& half, std::int64_t size) {
        switch (half.type) {
        case Type::Add:
            while (size > 0) {
                const std::int64_t k = std::min(size, WindowOutput::kStep);
                Byte* into = output_.room(k, failure_);
                if (!into || !data_.bytes(into, k)) return false;
                size -= k;
            }
            return true;
        case Type::Run: {
            Byte value;
            if (!data_.byte(value)) return false;
            while (size > 0) {
                const std::int64_t k = std::min(size, WindowOutput::kStep);
                Byte* into = output_.room(k, failure_);
                if (!into) return false;
                std::memset(into, value, std::size_t(k));
                size -= k;
            }
            return true;
        }
        case Type::Copy:
            return copy(half.mode, size);
        case Type::None:
            break;
        }
        return true;
    }

    bool copy(int mode, std::int64_t size) {
        const std::uint64_t here = std::uint64_t(segmentLength_ + output_.made());
        std::uint64_t address = 0;
        if (mode >= kFirstSameMode) {
            Byte low;
            if (!addresses_.byte(low)) return false;
            address = cache_.same(mode - kFirstSameMode, low);
        } else {
            std::uint64_t value;
            if (!addresses_.integer(value)) return false;
            if (mode == kSelfMode) {
                address = value;
            } else if (mode == kHereMode) {
                if (value > here) return failure_ = {Outcome::Damaged}, false;
                address = here - value;
            } else {
                address = cache_.near(mode - 2) + value;
                if (address < value) return failure_ = {Outcome::Damaged}, false;
            }
        }
        if (address >= here) return failure_ = {Outcome::Damaged}, false;
        cache_.update(address);
        auto at = std::int64_t(address);
        // From the segment first, then from the window's own output.
        while (size > 0 && at < segmentLength_) {
            const std::int64_t k = std::min({size, segmentLength_ - at, WindowOutput::kStep});
            Byte* into = output_.room(k, failure_);
            if (!into) return false;
            if (!segment_->read(segmentOffset_ + at, into, k)) return failure_ = {Outcome::ReadFailed}, false;
            at += k;
            size -= k;
        }
        return size == 0 || output_.copyWithin(at - segmentLength_, size, failure_);
    }

    PatchStream& data_;
    PatchStream& instructions_;
    PatchStream& addresses_;
    WindowOutput& output_;
    SegmentReader* segment_;
    std::int64_t segmentOffset_, segmentLength_;
    AddressCache cache_;
    Failure failure_;
};

}  // namespace

Result decode(int source, std::int64_t sourceSize, int patch, std::int64_t patchSize, int out,
              const ProgressHandler& onProgress) {
    PatchStream stream(patch, 0, patchSize, Outcome::Truncated);
    Result result;
    auto fail = [&](const Failure& failure) {
        result.outcome = failure.outcome;
        result.error = failure.error;
        return result;
    };
    auto lost = [&] { return fail(stream.failure() ? stream.failure() : Failure{Outcome::Damaged}); };

    Byte magic[4];
    if (patchSize < 4 || !stream.bytes(magic, 4) || std::memcmp(magic, kMagic, 4) != 0)
        return fail({stream.failure().outcome == Outcome::ReadFailed ? Outcome::ReadFailed : Outcome::NotVcdiff});
    Byte indicator;
    if (!stream.byte(indicator)) return lost();
    if (indicator & kDecompress) return fail({Outcome::Compressed});
    if (indicator & kCodeTable) return fail({Outcome::OwnCodeTable});
    if (indicator & ~(kDecompress | kCodeTable | kAppHeader)) return fail({Outcome::Damaged});
    if (indicator & kAppHeader) {
        std::uint64_t length;
        if (!stream.integer(length)) return lost();
        if (length > std::uint64_t(stream.left())) return fail({Outcome::Truncated});
        stream.skip(std::int64_t(length));
    }

    SegmentReader sourceReader(source, sourceSize);
    WindowOutput output(out);
    std::int64_t written = 0;  // bytes of output so far
    while (!stream.atEnd()) {
        ++result.window;
        if (onProgress && !onProgress(stream.position(), patchSize)) return fail({Outcome::Stopped});
        Byte windowIndicator;
        if (!stream.byte(windowIndicator)) return lost();
        if ((windowIndicator & ~(kSourceWindow | kTargetWindow | kChecksum)) ||
            (windowIndicator & (kSourceWindow | kTargetWindow)) == (kSourceWindow | kTargetWindow))
            return fail({Outcome::Damaged});
        std::uint64_t segmentLength = 0, segmentOffset = 0;
        if (windowIndicator & (kSourceWindow | kTargetWindow)) {
            if (!stream.integer(segmentLength) || !stream.integer(segmentOffset)) return lost();
            const std::uint64_t available = std::uint64_t(windowIndicator & kSourceWindow ? sourceSize : written);
            if (segmentOffset > available || segmentLength > available - segmentOffset)
                return fail({windowIndicator & kSourceWindow ? Outcome::WrongSource : Outcome::Damaged});
        }
        std::uint64_t deltaLength, targetLength, dataLength, instructionsLength, addressesLength;
        Byte deltaIndicator;
        if (!stream.integer(deltaLength)) return lost();
        if (deltaLength > std::uint64_t(stream.left())) return fail({Outcome::Truncated});
        const std::int64_t deltaStart = stream.position();
        if (!stream.integer(targetLength) || !stream.byte(deltaIndicator) || !stream.integer(dataLength) ||
            !stream.integer(instructionsLength) || !stream.integer(addressesLength))
            return lost();
        if (deltaIndicator != 0) return fail({Outcome::Compressed});
        Byte checksum[4] = {};
        const bool checked = windowIndicator & kChecksum;
        if (checked && !stream.bytes(checksum, 4)) return lost();
        // The three sections fill the rest of the delta exactly.
        const std::uint64_t rest = deltaLength - std::uint64_t(stream.position() - deltaStart);
        if (std::uint64_t(stream.position() - deltaStart) > deltaLength || dataLength > rest ||
            instructionsLength > rest - dataLength || addressesLength != rest - dataLength - instructionsLength ||
            targetLength > std::uint64_t(std::numeric_limits<std::int64_t>::max() - written))
            return fail({Outcome::Damaged});

        const std::int64_t dataAt = stream.position();
        const std::int64_t instructionsAt = dataAt + std::int64_t(dataLength);
        const std::int64_t addressesAt = instructionsAt + std::int64_t(instructionsLength);
        const std::int64_t windowEnd = addressesAt + std::int64_t(addressesLength);
        PatchStream data(patch, dataAt, instructionsAt, Outcome::Damaged);
        PatchStream instructions(patch, instructionsAt, addressesAt, Outcome::Damaged);
        PatchStream addresses(patch, addressesAt, windowEnd, Outcome::Damaged);
        SegmentReader targetReader(out, written);
        output.begin(written, std::int64_t(targetLength));
        Window window(data, instructions, addresses, output,
                      windowIndicator & kTargetWindow ? &targetReader : &sourceReader, std::int64_t(segmentOffset),
                      std::int64_t(segmentLength));
        Failure failure = window.run();
        if (!failure) output.finish(failure);
        if (failure) return fail(failure);
        const std::uint32_t expected = std::uint32_t(checksum[0]) << 24 | std::uint32_t(checksum[1]) << 16 |
                                       std::uint32_t(checksum[2]) << 8 | checksum[3];
        if (checked && output.sum() != expected) return fail({Outcome::WrongSource});
        written += std::int64_t(targetLength);
        stream.skip(windowEnd - stream.position());
    }
    if (onProgress && !onProgress(patchSize, patchSize)) return fail({Outcome::Stopped});
    return result;
}

Result applyPatch(const FilePair& files, const QString& path, const ProgressHandler& onProgress) {
    if (files.error() != 0) return {Outcome::Unreadable};
    if (files.holds(FileIdentity::ofPath(path))) return {Outcome::OutputIsInput};
    ReplacingOutput output;
    if (const int error = output.open(path); error < 0) return {Outcome::WriteFailed, error};
    const Result result = decode(files.fdA(), files.sizeA(), files.fdB(), files.sizeB(), output.fd(), onProgress);
    if (result.outcome != Outcome::Applied) return result;
    // A file cut short under the reading fails it; one written to only shows here.
    if (!files.unchangedOnDisk()) return {Outcome::InputChanged, 0, result.window};
    if (const int error = output.commit(); error < 0) return {Outcome::WriteFailed, error, result.window};
    return result;
}

QString failureText(const Result& result, const FilePair& files, const QString& path) {
    const QString patch = QStringLiteral("«") + files.b().path() + QStringLiteral("»");
    const QString window = QStringLiteral(" (окно %1)").arg(result.window);
    switch (result.outcome) {
    case Outcome::Applied:
        return {};
    case Outcome::Stopped:
        return QStringLiteral("применение дельты %1 прервано; «%2» не записан").arg(patch, path);
    case Outcome::Unreadable:
        return files.failure();
    case Outcome::OutputIsInput:
        return QStringLiteral("результат не записывается в исходный файл или в дельту");
    case Outcome::NotVcdiff:
        return QStringLiteral("%1 не является дельтой VCDIFF").arg(patch);
    case Outcome::Compressed:
        return QStringLiteral("дельта %1 сжата вторичным сжатием, такие дельты не применяются "
                              "(xdelta3 пишет дельту без него с параметром -S none)")
            .arg(patch);
    case Outcome::OwnCodeTable:
        return QStringLiteral("дельта %1 пользуется своей таблицей кодов, такие дельты не применяются").arg(patch);
    case Outcome::Damaged:
        return QStringLiteral("дельта %1 повреждена%2").arg(patch, window);
    case Outcome::Truncated:
        return QStringLiteral("дельта %1 обрезана%2").arg(patch, window);
    case Outcome::WrongSource:
        return QStringLiteral("дельта %1 сделана не для «%2»: контрольная сумма или длина не совпадает%3")
            .arg(patch, files.a().path(), window);
    case Outcome::ReadFailed:
        return QStringLiteral("ошибка чтения «%1» или %2").arg(files.a().path(), patch);
    case Outcome::InputChanged:
        return QStringLiteral("«%1» или %2 изменился во время применения дельты; «%3» не записан")
            .arg(files.a().path(), patch, path);
    case Outcome::WriteFailed:
        break;
    }
    return QStringLiteral("не удаётся записать «%1» (%2)")
        .arg(path, FileErrors::description(FileErrors::codeForErrno(-result.error, FileErrors::Access::Create), -result.error));
}

}  // namespace VcdiffDecoder
