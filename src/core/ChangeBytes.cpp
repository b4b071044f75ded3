#include "ChangeBytes.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "FileLayer.h"

namespace ChangeBytes {

namespace {

std::uint64_t word(const Byte* p) {
    std::uint64_t w;
    std::memcpy(&w, p, sizeof w);
    return w;
}

// Which byte of an 8-byte word read from memory is the first (or last) that is not zero.
int firstSetByte(std::uint64_t x) {
    return std::endian::native == std::endian::little ? std::countr_zero(x) / 8 : std::countl_zero(x) / 8;
}
int lastSetByte(std::uint64_t x) {
    return 7 - (std::endian::native == std::endian::little ? std::countl_zero(x) / 8 : std::countr_zero(x) / 8);
}

// Bit k set where byte k of the 64 at x and y is equal.
std::uint64_t equalBits(const Byte* x, const Byte* y) {
    constexpr std::uint64_t kLows = 0x7F7F7F7F7F7F7F7FULL, kHighs = 0x8080808080808080ULL;
    std::uint64_t bits = 0;
    for (int w = 0; w < 8; ++w) {
        const std::uint64_t v = word(x + 8 * w) ^ word(y + 8 * w);
        const std::uint64_t same = ~(((v & kLows) + kLows) | v) & kHighs;  // the high bit of each equal byte
        // Gathered into eight bits, byte j's into bit j.
        bits |= (((same >> 7) * 0x0102040810204080ULL) >> 56) << (8 * w);
    }
    return bits;
}

// memcmp's own vector loop does the long stretches, a block at a time.
constexpr std::int64_t kBlock = 256;
alignas(64) const Byte kZeros[kBlock] = {};

// The block holes come in.
constexpr std::int64_t kGrain = 4096;

}  // namespace

std::int64_t equalPrefix(const Byte* a, const Byte* b, std::int64_t n) {
    std::int64_t i = 0;
    while (i + kBlock <= n && std::memcmp(a + i, b + i, kBlock) == 0) i += kBlock;
    for (; i + 8 <= n; i += 8)
        if (const std::uint64_t x = word(a + i) ^ word(b + i)) return i + firstSetByte(x);
    while (i < n && a[i] == b[i]) ++i;
    return i;
}

std::int64_t equalSuffix(const Byte* a, const Byte* b, std::int64_t n) {
    std::int64_t i = 0;
    while (i + kBlock <= n && std::memcmp(a - i - kBlock, b - i - kBlock, kBlock) == 0) i += kBlock;
    for (; i + 8 <= n; i += 8)
        if (const std::uint64_t x = word(a - i - 8) ^ word(b - i - 8)) return i + 7 - lastSetByte(x);
    while (i < n && a[-i - 1] == b[-i - 1]) ++i;
    return i;
}

std::int64_t zeroPrefix(const Byte* p, std::int64_t n) {
    std::int64_t i = 0;
    while (i + kBlock <= n && std::memcmp(p + i, kZeros, kBlock) == 0) i += kBlock;
    for (; i + 8 <= n; i += 8)
        if (const std::uint64_t x = word(p + i)) return i + firstSetByte(x);
    while (i < n && p[i] == 0) ++i;
    return i;
}

std::int64_t zeroSuffix(const Byte* p, std::int64_t n) {
    std::int64_t i = 0;
    while (i + kBlock <= n && std::memcmp(p - i - kBlock, kZeros, kBlock) == 0) i += kBlock;
    for (; i + 8 <= n; i += 8)
        if (const std::uint64_t x = word(p - i - 8)) return i + 7 - lastSetByte(x);
    while (i < n && p[-i - 1] == 0) ++i;
    return i;
}

Side::Stretch Side::lookUp(std::int64_t address) {
    const FileLayer::Extent found = FileLayer::extentAt(fd_, origin_ + address);
    const std::int64_t end = found.length >= size_ - address ? size_ : address + found.length;
    known_ = {found.hole && end > address, address, std::max(end, address + 1)};
    return known_;
}

Side::Stretch Side::ahead(std::int64_t address) {
    if (fd_ < 0) return {false, 0, size_};
    if (address >= known_.begin && address < known_.end) return known_;
    return lookUp(address);
}

Side::Stretch Side::behind(std::int64_t address, std::int64_t floor) {
    if (fd_ < 0) return {false, 0, size_};
    Stretch found = ahead(address - 1);
    if (found.begin <= floor) return {found.hole, floor, found.end};
    // Down to the block boundary below, then by doubling steps, as long as the stretch goes
    // on unbroken: holes begin and end on blocks.
    const Stretch holding = found;
    std::int64_t begin = found.begin;
    for (std::int64_t step = 1; begin > floor; step = step == 1 ? kGrain : 2 * step) {
        const std::int64_t probe = std::max(floor, std::max<std::int64_t>(0, begin - step) / kGrain * kGrain);
        const Stretch below = lookUp(probe);
        if (below.hole != holding.hole || below.end < begin) break;
        begin = probe;
    }
    known_ = {holding.hole, begin, holding.end};
    return known_;
}

std::int64_t Pair::sameAhead(std::int64_t a, std::int64_t b, std::int64_t n) {
    std::int64_t done = 0;
    while (done < n) {
        const Side::Stretch inA = a_.ahead(a + done), inB = b_.ahead(b + done);
        const std::int64_t length = std::min({inA.end - (a + done), inB.end - (b + done), n - done});
        std::int64_t equal = length;
        if (!inA.hole && !inB.hole)
            equal = equalPrefix(a_.at(a + done), b_.at(b + done), length);
        else if (!inA.hole)
            equal = zeroPrefix(a_.at(a + done), length);
        else if (!inB.hole)
            equal = zeroPrefix(b_.at(b + done), length);
        done += equal;
        if (equal < length) break;
    }
    return done;
}

std::int64_t Pair::sameBehind(std::int64_t a, std::int64_t b, std::int64_t n) {
    std::int64_t done = 0;
    while (done < n) {
        const Side::Stretch inA = a_.behind(a - done, a - n), inB = b_.behind(b - done, b - n);
        const std::int64_t length = std::min({(a - done) - inA.begin, (b - done) - inB.begin, n - done});
        std::int64_t equal = length;
        if (!inA.hole && !inB.hole)
            equal = equalSuffix(a_.at(a - done), b_.at(b - done), length);
        else if (!inA.hole)
            equal = zeroSuffix(a_.at(a - done), length);
        else if (!inB.hole)
            equal = zeroSuffix(b_.at(b - done), length);
        done += equal;
        if (equal < length) break;
    }
    return done;
}

std::int64_t Pair::differing(std::int64_t a, std::int64_t b, std::int64_t n, std::int64_t run) {
    std::int64_t i = std::min<std::int64_t>(1, n), equal = 0;
    while (i < n) {
        const Side::Stretch inA = a_.ahead(a + i), inB = b_.ahead(b + i);
        const std::int64_t length = std::min({inA.end - (a + i), inB.end - (b + i), n - i});
        if (inA.hole && inB.hole) {
            if (equal + length >= run) return i - equal;
            equal += length;
            i += length;
            continue;
        }
        // A hole reads as zeros: its side stays on one zero byte.
        static constexpr Byte kZero = 0;
        const Byte* x = inA.hole ? &kZero : a_.at(a + i);
        const Byte* y = inB.hole ? &kZero : b_.at(b + i);
        const std::int64_t stepX = inA.hole ? 0 : 1, stepY = inB.hole ? 0 : 1;
        std::int64_t k = 0;
        if (stepX == 1 && stepY == 1 && run <= 64) {
            // Sixty-four bytes at a time: one bit per byte that is equal, and the run looked
            // for among them with shifts.
            for (; k + 64 <= length; k += 64, x += 64, y += 64) {
                const std::uint64_t same = equalBits(x, y);
                if (equal + std::countr_one(same) >= run) return i + k - equal;
                std::uint64_t starts = same;
                for (std::int64_t t = 1; t < run && starts; ++t) starts &= same >> t;
                if (starts) return i + k + std::countr_zero(starts);
                equal = std::countl_one(same);
            }
        }
        for (; k < length;) {
            for (const std::int64_t stop = std::min(length, k + 8); k < stop; ++k, x += stepX, y += stepY) {
                if (*x != *y) {
                    equal = 0;
                } else if (++equal == run) {
                    return i + k + 1 - run;
                }
            }
        }
        i += length;
    }
    return n - equal;
}

}  // namespace ChangeBytes
