#include "PairReader.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

#include "AlignedBuffer.h"
#include "FileLayer.h"
#include "MappedBytes.h"
#include "mRWByt.h"

namespace {

using Byte = PairReader::Byte;
constexpr std::int64_t kGrain = PairReader::kHoleGrain;
constexpr std::int64_t kForever = std::numeric_limits<std::int64_t>::max();
// Bytes mapped at least at once: the small steps of a dump share one mapping. (Larger
// mappings make a long comparison slower here.)
constexpr std::int64_t kWindowBytes = 1024 * 1024;
// Mappings begin and end on multiples of this in the file: the page cache keeps a file
// read or written in large blocks in pieces of up to 2 MiB, and the system maps a piece
// that lies whole inside a mapping with one entry instead of hundreds of page faults. A
// mapping of B a few bytes off A's steps would otherwise cut its pieces at both ends.
constexpr std::int64_t kMapGrain = 2 * 1024 * 1024;

// What a file with a hole is compared against. Never written, so every page of it stays
// the system's one page of zeros.
alignas(4096) Byte zeroBlock[PairReader::kLargestStep];

std::int64_t alignDown(std::int64_t x) { return x / kGrain * kGrain; }
std::int64_t alignUp(std::int64_t x) { return x > kForever - kGrain ? kForever : alignDown(x + kGrain - 1); }

#if defined(__SSE2__)
// Bit k set when byte k of the 16 at a and b differs (differ) or is equal (!differ).
inline unsigned blockMask(const Byte* a, const Byte* b, bool differ) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a));
    const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b));
    const unsigned equal = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(x, y)));
    return differ ? (~equal & 0xFFFFu) : equal;
}
#endif

}  // namespace

// One file of the pair: where its data lies, its mapped window and its read buffer. It is
// asked in the pair's addresses; its own lie `shift` further on.
class PairReader::Side {
public:
    Side(int fd, mRWByt* file, std::int64_t limit, std::int64_t shift = 0)
        : fd_(fd), file_(file), limit_(limit - shift), shift_(shift) {}

    // The stretch from `at` as the steps see it: a hole only in whole grains from a multiple
    // of one (the rest of a hole is read like data), data up to a multiple of a grain.
    FileLayer::Extent extentAt(std::int64_t at) {
        if (at >= dataBegin_ && at < dataEnd_) return {false, dataEnd_ - at};
        const std::int64_t own = at + shift_;
        const FileLayer::Extent found = file_ ? file_->ExtentAt(own + 1) : FileLayer::extentAt(fd_, own);
        if (found.hole) {
            // Asked again at every step: a file cut short meanwhile has no zeros to compare.
            const std::int64_t end = alignDown(at + found.length);
            if (at % kGrain == 0 && end > at) return {true, end - at};
            return {false, std::min(found.length, alignUp(at + 1) - at)};
        }
        // Remembered until passed: a page of it that vanishes is met in the mapping.
        dataBegin_ = at;
        dataEnd_ = found.length >= kForever - at ? kForever : alignUp(at + found.length);
        return {false, dataEnd_ - at};
    }

    // The bytes [at, at + n) in the page cache, or null when they cannot be mapped.
    const Byte* mapped(std::int64_t at, std::int64_t n, bool downwards) {
        if (view_ && at >= viewAt_ && at + n <= viewAt_ + view_.size()) return view_.data() + (at - viewAt_);
        view_ = MappedBytes();
        if (!mapping_ || at + n > limit_) return nullptr;
        std::int64_t begin = at, end = at + n;
        if (downwards)
            begin = std::max<std::int64_t>(-shift_, std::min(begin, end - kWindowBytes));
        else
            end = std::min(limit_, std::max(end, begin + kWindowBytes));
        const std::int64_t own = begin + shift_;
        begin -= own % kMapGrain;
        end = std::min(limit_, end + (kMapGrain - (end + shift_) % kMapGrain) % kMapGrain);
        view_ = file_ ? file_->MapSpan(begin + shift_ + 1, end - begin) : MappedBytes::map(fd_, begin + shift_, end - begin);
        viewAt_ = begin;
        return view_ ? view_.data() + (at - begin) : nullptr;
    }
    const MappedBytes& view() const { return view_; }
    // A page vanished: the file is changing under us, and is read from now on.
    void stopMapping() {
        mapping_ = false;
        view_ = MappedBytes();
    }

    // Reads up to n bytes from `at`; how many it got, or -1 after a failure.
    std::int64_t read(std::int64_t at, std::int64_t n, const Byte*& bytes) {
        if (buffer_.size() < n) buffer_.resize(n);
        bytes = buffer_.data();
        const std::int64_t own = at + shift_;
        const std::int64_t got = file_ ? file_->ReadSpan(own + 1, buffer_.data(), n) : FileLayer::pread(fd_, buffer_.data(), n, own);
        return got < 0 ? -1 : got;
    }

private:
    int fd_;
    mRWByt* file_;
    std::int64_t limit_;  // bytes below it may be mapped, in the pair's addresses
    std::int64_t shift_;
    std::int64_t dataBegin_ = 0, dataEnd_ = 0;
    MappedBytes view_;
    std::int64_t viewAt_ = 0;
    bool mapping_ = true;
    AlignedBuffer buffer_;
};

PairReader::PairReader(int fdA, std::int64_t sizeA, int fdB, std::int64_t sizeB, std::int64_t shiftB)
    : a_(std::make_unique<Side>(fdA, nullptr, sizeA)), b_(std::make_unique<Side>(fdB, nullptr, sizeB, shiftB)) {}

PairReader::PairReader(mRWByt& a, mRWByt& b)
    : a_(std::make_unique<Side>(-1, &a, std::min(a.Size(), a.OpenedSize()))),
      b_(std::make_unique<Side>(-1, &b, std::min(b.Size(), b.OpenedSize()))) {}

PairReader::~PairReader() = default;

PairReader::Step PairReader::forward(std::int64_t from, std::int64_t to, std::int64_t span, const Work& work,
                                     const Undo& undo) {
    pieces_.clear();
    const std::int64_t limit = std::min(to, from + std::min(span, kLargestStep));
    for (std::int64_t at = from; at < limit;) {
        const FileLayer::Extent inA = a_->extentAt(at), inB = b_->extentAt(at);
        std::int64_t end = std::min(at + inA.length, at + inB.length);
        if (inA.hole && inB.hole) {
            if (at > from) break;  // the next step passes over it
            const std::int64_t whole = alignDown(std::min(to, end));
            if (whole > at) {
                pieces_.push_back({at, whole - at, true, true});
                break;
            }
        }
        end = std::min(end, limit);
        pieces_.push_back({at, end - at, inA.hole, inB.hole});
        at = end;
    }
    if (pieces_.empty()) return {from, from};
    return hand(from, pieces_.back().at + pieces_.back().n, false, work, undo);
}

PairReader::Step PairReader::backward(std::int64_t from, std::int64_t to, std::int64_t span, const Work& work,
                                      const Undo& undo) {
    if (to <= from) return {to, to};
    span = std::min(span, kLargestStep);
    // Steps below the first begin and end on grains, where a hole can be passed over.
    std::int64_t begin = std::max(from, alignUp(to - span));
    if (begin >= to) begin = std::max(from, to - span);
    pieces_.clear();
    for (std::int64_t at = begin; at < to;) {
        const FileLayer::Extent inA = a_->extentAt(at), inB = b_->extentAt(at);
        const std::int64_t end = std::min({to, at + inA.length, at + inB.length});
        pieces_.push_back({at, end - at, inA.hole, inB.hole});
        at = end;
    }
    // A step all hole in both files reaches down as far as both holes go, found by doubling.
    if (pieces_.size() == 1 && pieces_[0].common()) {
        const auto holeDownTo = [this](std::int64_t at, std::int64_t end) {
            const FileLayer::Extent inA = a_->extentAt(at), inB = b_->extentAt(at);
            return inA.hole && inB.hole && at + std::min(inA.length, inB.length) >= end;
        };
        for (std::int64_t reach = span; begin > from; reach *= 2) {
            const std::int64_t below = std::max(from, alignDown(std::max<std::int64_t>(0, begin - reach)));
            if (!holeDownTo(below, begin)) break;
            begin = below;
        }
        pieces_[0] = {begin, to - begin, true, true};
    }
    return hand(begin, to, true, work, undo);
}

// Hands the planned pieces of [begin, end) to work, mapped, or read when they cannot be.
PairReader::Step PairReader::hand(std::int64_t begin, std::int64_t end, bool downwards, const Work& work,
                                  const Undo& undo) {
    Step step{begin, end};
    bool needA = false, needB = false;
    for (const Piece& piece : pieces_) {
        needA = needA || !piece.holeA;
        needB = needB || !piece.holeB;
    }
    const Byte* mappedA = needA ? a_->mapped(begin, end - begin, downwards) : nullptr;
    const Byte* mappedB = needB ? b_->mapped(begin, end - begin, downwards) : nullptr;
    if ((!needA || mappedA) && (!needB || mappedB)) {
        auto pieces = [&] {
            const std::size_t count = pieces_.size();
            for (std::size_t k = 0; k < count; ++k) {
                const Piece& piece = pieces_[downwards ? count - 1 - k : k];
                const bool common = piece.common();
                const Byte* a = common ? nullptr : piece.holeA ? zeroBlock : mappedA + (piece.at - begin);
                const Byte* b = common ? nullptr : piece.holeB ? zeroBlock : mappedB + (piece.at - begin);
                if (!work(piece.at, a, b, piece.n)) {
                    step.stopped = true;
                    return;
                }
            }
        };
        if (MappedBytes::read({needA ? &a_->view() : nullptr, needB ? &b_->view() : nullptr}, pieces)) return step;
        a_->stopMapping();
        b_->stopMapping();
        step.stopped = false;
        if (undo) undo();
    }
    const Byte* bytesA = nullptr;
    const Byte* bytesB = nullptr;
    const std::int64_t gotA = a_->read(begin, end - begin, bytesA);
    const std::int64_t gotB = gotA < 0 ? -1 : b_->read(begin, end - begin, bytesB);
    if (gotB < 0) {
        step.failed = true;
        return step;
    }
    const std::int64_t n = std::min({end - begin, gotA, gotB});
    step.end = begin + n;
    step.cutShort = n < end - begin;
    if (n > 0 && !work(begin, bytesA, bytesB, n)) step.stopped = true;
    return step;
}

std::int64_t PairReader::findFirst(const Byte* a, const Byte* b, std::int64_t i, std::int64_t n, bool differ) {
    // Equal stretches are long: memcmp passes over them a block at a time, with the widest
    // vectors the processor has.
    constexpr std::int64_t kEqualBlock = 1024;
    if (differ)
        while (i + kEqualBlock <= n && std::memcmp(a + i, b + i, kEqualBlock) == 0) i += kEqualBlock;
#if defined(__SSE2__)
    for (; i + 16 <= n; i += 16)
        if (const unsigned mask = blockMask(a + i, b + i, differ)) return i + std::countr_zero(mask);
#endif
    for (; i < n; ++i)
        if ((a[i] != b[i]) == differ) return i;
    return n;
}

std::int64_t PairReader::findLast(const Byte* a, const Byte* b, std::int64_t n, bool differ) {
    std::int64_t k = n;
#if defined(__SSE2__)
    for (; k >= 16; k -= 16)
        if (const unsigned mask = blockMask(a + k - 16, b + k - 16, differ))
            return k - 16 + (31 - std::countl_zero(mask));
#endif
    for (; k > 0; --k)
        if ((a[k - 1] != b[k - 1]) == differ) return k - 1;
    return -1;
}
