#include "VcdiffMatcher.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "VcdiffWindowCoder.h"

namespace {

using Byte = std::uint8_t;

std::uint64_t word(const Byte* p) {
    std::uint64_t w;
    std::memcpy(&w, p, sizeof w);
    return w;
}

std::uint64_t slot(std::uint64_t w, int bits) { return (w * 0x9E3779B97F4A7C15ULL) >> (64 - bits); }

// How many of the first n bytes of x and y are equal before the first that differs.
std::int64_t equalPrefix(const Byte* x, const Byte* y, std::int64_t n) {
    std::int64_t i = 0;
    for (; i + 8 <= n; i += 8)
        if (const std::uint64_t d = word(x + i) ^ word(y + i))
            return i + (std::endian::native == std::endian::little ? std::countr_zero(d) : std::countl_zero(d)) / 8;
    while (i < n && x[i] == y[i]) ++i;
    return i;
}

// The index of A: one entry per `stride` bytes, in a table of at most 2^kMostSourceBits
// entries (16 MiB) however large A is. The index of the window's own bytes likewise.
constexpr int kMostSourceBits = 22;
constexpr std::int64_t kFewestSourceEntries = 1 << 16;
constexpr std::int64_t kFinestStride = 4;
constexpr int kFewestTargetBits = 12, kMostTargetBits = 20;

// The shortest match worth a copy: from where recent copies line up (its address costs a
// byte or two), and from anywhere else.
constexpr std::int64_t kShortestRecentCopy = 5;
constexpr std::int64_t kShortestCopy = 8;
// After this many places without a match the look-ups thin out, one place more skipped per
// this many: bytes that match nothing (compressed or random data) cost little.
constexpr int kSkipShift = 5;

int bitsFor(std::int64_t entries, int fewest, int most) {
    return std::clamp(int(std::bit_width(std::uint64_t(std::max<std::int64_t>(entries, 1)) * 2 - 1)), fewest, most);
}

}  // namespace

VcdiffMatcher::VcdiffMatcher(const Byte* a, std::int64_t sizeA, const Byte* b) : a_(a), b_(b), sizeA_(sizeA) {}

void VcdiffMatcher::indexSource(std::int64_t changedBytes) {
    sourceTable_.clear();
    stride_ = 0;
    if (sizeA_ < 8 || changedBytes < kShortestCopy) return;
    // Twice as many entries as bytes to look up, at most the table's room; a few even for
    // few bytes, so that a block moved by some KiB is still found in a large A.
    const std::int64_t entries =
        std::min(std::max(2 * changedBytes, kFewestSourceEntries), std::int64_t(1) << kMostSourceBits);
    stride_ = std::max<std::int64_t>(kFinestStride, std::int64_t(std::bit_ceil(std::uint64_t((sizeA_ + entries - 1) / entries))));
    const std::int64_t blocks = (sizeA_ - 8) / stride_ + 1;
    sourceBits_ = bitsFor(blocks, 10, kMostSourceBits);
    sourceTable_.assign(std::size_t(1) << sourceBits_, 0);
    for (std::int64_t block = 0; block < blocks; ++block)
        sourceTable_[slot(word(a_ + block * stride_), sourceBits_)] = std::uint32_t(block + 1);
}

void VcdiffMatcher::beginWindow(std::int64_t begin, std::int64_t changedBytes) {
    windowBegin_ = begin;
    targetBits_ = bitsFor(changedBytes, kFewestTargetBits, kMostTargetBits);
    targetTable_.assign(std::size_t(1) << targetBits_, 0);
    std::fill(std::begin(recent_), std::end(recent_), 0);
}

void VcdiffMatcher::remember(std::int64_t delta) {
    if (recent_[0] == delta) return;
    int i = 1;
    while (i < kRecent - 1 && recent_[i] != delta) ++i;
    for (; i > 0; --i) recent_[i] = recent_[i - 1];
    recent_[0] = delta;
}

// Measures the match of B at `at` with A at `source` or B at `target` (earlier in the
// window), forward up to `to` and back down to `literal`, and keeps it when it is the best.
void VcdiffMatcher::consider(Match& best, std::int64_t at, std::int64_t literal, std::int64_t to, std::int64_t source,
                             std::int64_t target) const {
    const Byte* other = source >= 0 ? a_ + source : b_ + target;
    const std::int64_t room = source >= 0 ? std::min(to - at, sizeA_ - source) : to - at;
    const std::int64_t length = equalPrefix(other, b_ + at, room);
    if (length == 0) return;
    std::int64_t back = 0;
    const std::int64_t backRoom = std::min(at - literal, source >= 0 ? source : target - windowBegin_);
    while (back < backRoom && other[-back - 1] == b_[at - back - 1]) ++back;
    if (length + back > best.length + best.back) best = {length, back, source, target, false};
}

void VcdiffMatcher::code(std::int64_t from, std::int64_t to, std::int64_t deltaBefore, std::int64_t deltaAfter,
                         VcdiffWindowCoder& coder) {
    remember(deltaAfter);
    remember(deltaBefore);
    std::int64_t at = from, literal = from;
    int misses = 0;
    while (at + 8 <= to) {
        const std::uint64_t w = word(b_ + at);
        Match best;
        // Where recent copies from A line up.
        for (const std::int64_t delta : recent_)
            if (const std::int64_t source = at + delta; source >= 0 && source < sizeA_)
                consider(best, at, literal, to, source, -1);
        Match recent = best;
        if (recent.length + recent.back < kShortestRecentCopy) recent = {};
        best = {};
        if (w == (w & 0xFF) * 0x0101010101010101ULL) {
            std::int64_t length = 8;
            while (at + length < to && b_[at + length] == Byte(w)) ++length;
            best = {length, 0, -1, -1, true};
        }
        std::uint32_t& targetEntry = targetTable_[slot(w, targetBits_)];
        if (targetEntry != 0) {
            const std::int64_t target = windowBegin_ + targetEntry - 1;
            if (word(b_ + target) == w) consider(best, at, literal, to, -1, target);
        }
        targetEntry = std::uint32_t(at - windowBegin_ + 1);
        if (stride_ > 0) {
            if (const std::uint32_t entry = sourceTable_[slot(w, sourceBits_)]; entry != 0) {
                const std::int64_t source = (entry - 1) * stride_;
                if (word(a_ + source) == w) consider(best, at, literal, to, source, -1);
            }
        }
        if (best.length + best.back < kShortestCopy || recent.length + recent.back >= best.length + best.back)
            best = recent;
        if (best.length == 0) {
            ++misses;
            at += 1 + (misses >> kSkipShift);
            continue;
        }
        misses = 0;
        const std::int64_t start = at - best.back, length = best.length + best.back;
        coder.add(b_ + literal, start - literal);
        if (best.run) {
            coder.run(b_[at], length);
        } else if (best.source >= 0) {
            coder.copy(best.source - best.back, length);
            remember(best.source - at);
        } else {
            coder.copy(sizeA_ + (best.target - best.back - windowBegin_), length);
        }
        at = literal = start + length;
    }
    coder.add(b_ + literal, to - literal);
}
