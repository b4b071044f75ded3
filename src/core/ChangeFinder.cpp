#include "ChangeFinder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <vector>

#include "FileLayer.h"
#include "FilePair.h"
#include "MappedBytes.h"

namespace ChangeFinder {

namespace {

using Byte = std::uint8_t;

// ---- Equal bytes ----

std::uint64_t word(const Byte* p) {
    std::uint64_t w;
    std::memcpy(&w, p, sizeof w);
    return w;
}

// Which byte of two 8-byte words read from memory is the first (or last) to differ.
int firstDifferingByte(std::uint64_t x) {
    return std::endian::native == std::endian::little ? std::countr_zero(x) / 8 : std::countl_zero(x) / 8;
}
int lastDifferingByte(std::uint64_t x) {
    return 7 - (std::endian::native == std::endian::little ? std::countl_zero(x) / 8 : std::countr_zero(x) / 8);
}

// How many of the first n bytes of a and b are equal before the first that differs.
std::int64_t equalPrefix(const Byte* a, const Byte* b, std::int64_t n) {
    constexpr std::int64_t kBlock = 256;  // memcmp's own vector loop does the long stretches
    std::int64_t i = 0;
    while (i + kBlock <= n && std::memcmp(a + i, b + i, kBlock) == 0) i += kBlock;
    for (; i + 8 <= n; i += 8)
        if (const std::uint64_t x = word(a + i) ^ word(b + i)) return i + firstDifferingByte(x);
    while (i < n && a[i] == b[i]) ++i;
    return i;
}

// How many of the n bytes just before a and b are equal after the last that differs.
std::int64_t equalSuffix(const Byte* a, const Byte* b, std::int64_t n) {
    constexpr std::int64_t kBlock = 256;
    std::int64_t i = 0;
    while (i + kBlock <= n && std::memcmp(a - i - kBlock, b - i - kBlock, kBlock) == 0) i += kBlock;
    for (; i + 8 <= n; i += 8)
        if (const std::uint64_t x = word(a - i - 8) ^ word(b - i - 8)) return i + 7 - lastDifferingByte(x);
    while (i < n && a[-i - 1] == b[-i - 1]) ++i;
    return i;
}

// ---- Anchors ----

// The rolling hash's value of every byte: h = (h << 1) + kGear[byte], so that the top bits
// of h depend on the last 64 bytes only.
constexpr std::array<std::uint64_t, 256> kGear = [] {
    std::array<std::uint64_t, 256> table{};
    std::uint64_t state = 0x2545F4914F6CDD1DULL;
    for (std::uint64_t& value : table) {
        state += 0x9E3779B97F4A7C15ULL;
        std::uint64_t z = state;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        value = z ^ (z >> 31);
    }
    return table;
}();
constexpr std::int64_t kGearWindow = 64;

// How anchors are laid at one level of detail. A cut falls after a byte at which the top
// `bits` bits of the rolling hash are clear, never within `skip` bytes of the previous cut:
// most bytes are jumped over, not hashed, and the cuts still fall on the same content in
// both files once a cut of each has met the same place. The anchor is the `2 * half` bytes
// around its cut.
struct Level {
    std::int64_t skip;
    int bits;
    std::int64_t half;
    std::int64_t largestRange;  // bytes of A and B together; a larger range is not anchored
};

// The first level spaces its anchors by the files' size (see topLevel); the closer ones
// look again into what lies between the stretches found, while that is not too large.
constexpr int kLevels = 3;
constexpr std::int64_t kMiB = 1 << 20;
constexpr Level kCloserLevels[kLevels - 1] = {
    {384, 7, 16, 16 * kMiB},   // about one anchor in 512 bytes
    {32, 5, 8, kMiB / 4},      // about one in 64
};
// At most this many anchors of each file at the first level: their memory stays a few MiB
// however large the files are.
constexpr std::int64_t kMostAnchors = std::int64_t(1) << 19;

Level topLevel(std::int64_t rangeBytes) {
    std::int64_t spacing = 4096;
    while (rangeBytes / 2 / spacing > kMostAnchors) spacing *= 2;
    // Seven eighths of the bytes jumped over: the hashing is most of the search's time.
    return {spacing - spacing / 8, std::countr_zero(std::uint64_t(spacing / 8)), 32, INT64_MAX};
}

std::uint64_t fingerprint(const Byte* p, std::int64_t n) {
    std::uint64_t h = 0x9E3779B97F4A7C15ULL ^ std::uint64_t(n);
    for (std::int64_t i = 0; i < n; i += 8) {
        h = (h ^ word(p + i)) * 0xBF58476D1CE4E5B9ULL;
        h ^= h >> 31;
    }
    return h;
}

struct Anchor {
    std::uint64_t hash;
    std::int64_t position;  // the cut
};
struct Pair {
    std::int64_t a, b;  // the cut in A and in B
};

// Bytes between two looks at progress and at whether to stop.
constexpr std::int64_t kStep = 4 * kMiB;

// ---- The exact difference of small ranges ----

// Ranges of up to kLargestExactRange bytes of A and B together are compared exactly when
// that is cheap enough: those up to kSmallRange at once, larger ones when closer anchors
// have not split them.
constexpr std::int64_t kLargestExactRange = 64 * 1024;
constexpr std::int64_t kSmallRange = 1024;
// The steps one exact comparison may take, per byte of the range, and a floor for small ones.
constexpr std::int64_t kExactStepsPerByte = 16;
constexpr std::int64_t kExactStepsFloor = 4096;

// Where an empty file's bytes are: nowhere, but not a null pointer.
const Byte kNothing[1] = {0};

class Finder {
public:
    Finder(const Byte* a, std::int64_t sizeA, const Byte* b, std::int64_t sizeB, const ChangeHandler& onChange,
           const ProgressHandler& onProgress)
        : a_(a ? a : kNothing), b_(b ? b : kNothing), sizeA_(sizeA), sizeB_(sizeB), onChange_(onChange), onProgress_(onProgress),
          total_(2 * (sizeA + sizeB)),
          // All exact comparisons of one search together stay within a step per byte.
          exactStepsLeft_(sizeA + sizeB + 16 * kMiB) {}

    void run() {
        compare(0, sizeA_, 0, sizeB_, 0);
        flush();
        if (!stopped_ && onProgress_ && !onProgress_(total_, total_)) stopped_ = true;
    }
    bool stopped() const { return stopped_; }

private:
    // Per level, what one anchoring keeps until the stretches between its anchors are done.
    struct Scratch {
        std::vector<Anchor> anchorsA, anchorsB;
        std::vector<Pair> pairs;
        std::vector<std::int32_t> tails, previous;
    };

    // The changes in A's [a0, a1) and B's [b0, b1), found from `level` on.
    void compare(std::int64_t a0, std::int64_t a1, std::int64_t b0, std::int64_t b1, int level) {
        if (stopped_) return;
        const std::int64_t head = equalPrefix(a_ + a0, b_ + b0, std::min(a1 - a0, b1 - b0));
        a0 += head;
        b0 += head;
        const std::int64_t tail = equalSuffix(a_ + a1, b_ + b1, std::min(a1 - a0, b1 - b0));
        a1 -= tail;
        b1 -= tail;
        // At the top, bytes found equal here are never hashed: they count for both looks.
        settle((head + tail) * (level == 0 ? 4 : 2));
        const std::int64_t range = (a1 - a0) + (b1 - b0);
        if (a0 == a1 || b0 == b1) {
            if (range > 0) replace(a0, a1, b0, b1);
            return;
        }
        // Equal stretches shorter than kShortestKeptMatch are not kept: without a longer one
        // the exact script would come out as one replacement of the range, whatever it cost.
        // Small ranges are compared exactly at once; larger ones first look for anchors,
        // which cost less than the exact comparison and split them into small ones.
        bool tried = false;
        if (range <= kSmallRange) {
            if (!sharesKeptMatch(a0, a1, b0, b1)) return replace(a0, a1, b0, b1);
            if (tried = true; exactDifference(a0, a1, b0, b1)) return;
        }
        for (int at = level; at < kLevels && !stopped_; ++at) {
            const Level rule = at == 0 ? topLevel(range) : kCloserLevels[at - 1];
            if (range <= rule.largestRange && anchored(a0, a1, b0, b1, at, rule)) return;
        }
        if (!tried && range <= kLargestExactRange && sharesKeptMatch(a0, a1, b0, b1) &&
            exactDifference(a0, a1, b0, b1))
            return;
        replace(a0, a1, b0, b1);
    }

    // Whether the two sides of a small range have kShortestKeptMatch equal bytes in common
    // anywhere: every stretch of them in the smaller side goes in a table, once each (a run
    // of one byte is one entry, not a long chain), and the other side looks its own up.
    bool sharesKeptMatch(std::int64_t a0, std::int64_t a1, std::int64_t b0, std::int64_t b1) {
        static_assert(kShortestKeptMatch == 8, "a stretch is looked up as one 8-byte word");
        const bool aSmaller = a1 - a0 <= b1 - b0;
        const Byte* in = aSmaller ? a_ + a0 : b_ + b0;
        const Byte* other = aSmaller ? b_ + b0 : a_ + a0;
        const std::int64_t count = (aSmaller ? a1 - a0 : b1 - b0) - 7, looked = (aSmaller ? b1 - b0 : a1 - a0) - 7;
        if (count <= 0 || looked <= 0) return false;
        const int bits = std::bit_width(std::uint64_t(2 * count));
        const std::uint64_t mask = (std::uint64_t(1) << bits) - 1;
        places_.assign(std::size_t(mask + 1), -1);
        auto slot = [&](std::uint64_t w) {
            std::uint64_t at = (w * 0x9E3779B97F4A7C15ULL) >> (64 - bits);
            while (places_[at] >= 0 && word(in + places_[at]) != w) at = (at + 1) & mask;
            return at;
        };
        for (std::int64_t i = 0; i < count; ++i)
            if (std::int32_t& place = places_[slot(word(in + i))]; place < 0) place = std::int32_t(i);
        for (std::int64_t j = 0; j < looked; ++j)
            if (places_[slot(word(other + j))] >= 0) return true;
        return false;
    }

    // The whole range as one change.
    void replace(std::int64_t a0, std::int64_t a1, std::int64_t b0, std::int64_t b1) {
        hand({a0, a1 - a0, b0, b1 - b0});
        settle((a1 - a0) + (b1 - b0));
    }

    // Anchors the range at `level` and compares what lies between the stretches they give at
    // the next level. False when no anchor counts.
    bool anchored(std::int64_t a0, std::int64_t a1, std::int64_t b0, std::int64_t b1, int level, const Level& rule) {
        Scratch& s = scratch_[level];
        const bool counted = level == 0;  // the top level's hashing is half of the work
        cut(a_, a0, a1, rule, s.anchorsA, counted);
        cut(b_, b0, b1, rule, s.anchorsB, counted);
        if (stopped_) return true;
        pairUnique(s, rule.half);
        chain(s);
        if (s.pairs.empty()) return false;
        std::int64_t atA = a0, atB = b0;  // everything before is settled
        for (const Pair& pair : s.pairs) {
            std::int64_t startA = pair.a - rule.half, startB = pair.b - rule.half;
            // Inside a stretch already grown past it (on its diagonal or another).
            if (startA < atA || startB < atB) continue;
            std::int64_t endA = pair.a + rule.half, endB = pair.b + rule.half;
            const std::int64_t back = equalSuffix(a_ + startA, b_ + startB, std::min(startA - atA, startB - atB));
            startA -= back;
            startB -= back;
            const std::int64_t ahead = grow(endA, endB, std::min(a1 - endA, b1 - endB));
            endA += ahead;
            endB += ahead;
            compare(atA, startA, atB, startB, level + 1);
            if (stopped_) return true;
            settle(2 * (endA - startA));
            atA = endA;
            atB = endB;
        }
        compare(atA, a1, atB, b1, level + 1);
        return true;
    }

    // Equal bytes from a_ + atA and b_ + atB on, up to n, looking at progress on the way.
    std::int64_t grow(std::int64_t atA, std::int64_t atB, std::int64_t n) {
        std::int64_t done = 0;
        while (done < n && !stopped_) {
            const std::int64_t step = std::min(kStep, n - done);
            const std::int64_t equal = equalPrefix(a_ + atA + done, b_ + atB + done, step);
            done += equal;
            if (equal < step) break;
            settle(0);
        }
        return done;
    }

    // The anchors of [lo, hi) of one file, in position order.
    void cut(const Byte* bytes, std::int64_t lo, std::int64_t hi, const Level& rule, std::vector<Anchor>& anchors,
             bool counted) {
        anchors.clear();
        const std::uint64_t mask = ~std::uint64_t(0) << (64 - rule.bits);
        const std::int64_t last = hi - rule.half;  // the last place a cut may fall
        std::int64_t reported = lo;
        std::int64_t next = lo + rule.half + rule.skip;
        while (next <= last && !stopped_) {
            // The hash of the 64 bytes before `next`, then a cut after each byte from there.
            std::int64_t i = std::max(lo, next - kGearWindow);
            std::uint64_t h = 0;
            for (; i < next - 1; ++i) h = (h << 1) + kGear[bytes[i]];
            std::int64_t found = -1;
            while (found < 0 && i < last) {
                const std::int64_t stop = std::min(last, i + kStep);
                // Two bytes a turn: the hash after the second is made from the one before
                // the first, so the two additions do not wait for each other.
                for (; i + 2 <= stop; i += 2) {
                    const std::uint64_t second = kGear[bytes[i + 1]];
                    const std::uint64_t one = (h << 1) + kGear[bytes[i]];
                    const std::uint64_t two = (h << 2) + ((kGear[bytes[i]] << 1) + second);
                    if ((one & mask) == 0) {
                        found = i + 1;
                        break;
                    }
                    h = two;
                    if ((two & mask) == 0) {
                        found = i + 2;
                        break;
                    }
                }
                for (; found < 0 && i < stop; ++i) {
                    h = (h << 1) + kGear[bytes[i]];
                    if ((h & mask) == 0) found = i + 1;
                }
                if (counted && i - reported >= kStep) {
                    settle(i - reported);
                    reported = i;
                    if (stopped_) return;
                }
            }
            if (found < 0) break;
            anchors.push_back({fingerprint(bytes + found - rule.half, 2 * rule.half), found});
            next = found + rule.skip;
        }
        if (counted) settle(hi - reported);
    }

    // The pairs of anchors whose fingerprint each file has once, in A's order, with the
    // bytes around both cuts checked equal (a fingerprint may collide).
    void pairUnique(Scratch& s, std::int64_t half) {
        s.pairs.clear();
        auto byHash = [](const Anchor& x, const Anchor& y) { return x.hash < y.hash; };
        std::sort(s.anchorsA.begin(), s.anchorsA.end(), byHash);
        std::sort(s.anchorsB.begin(), s.anchorsB.end(), byHash);
        const std::size_t na = s.anchorsA.size(), nb = s.anchorsB.size();
        std::size_t i = 0, j = 0;
        while (i < na && j < nb) {
            const std::uint64_t h = s.anchorsA[i].hash;
            if (h < s.anchorsB[j].hash) {
                ++i;
                continue;
            }
            if (s.anchorsB[j].hash < h) {
                ++j;
                continue;
            }
            std::size_t endI = i + 1, endJ = j + 1;
            while (endI < na && s.anchorsA[endI].hash == h) ++endI;
            while (endJ < nb && s.anchorsB[endJ].hash == h) ++endJ;
            const std::int64_t pa = s.anchorsA[i].position, pb = s.anchorsB[j].position;
            if (endI - i == 1 && endJ - j == 1 &&
                std::memcmp(a_ + pa - half, b_ + pb - half, std::size_t(2 * half)) == 0)
                s.pairs.push_back({pa, pb});
            i = endI;
            j = endJ;
        }
        std::sort(s.pairs.begin(), s.pairs.end(), [](const Pair& x, const Pair& y) { return x.a < y.a; });
    }

    // Keeps the longest run of pairs that goes forward in B as it goes forward in A.
    void chain(Scratch& s) {
        const std::size_t n = s.pairs.size();
        s.tails.clear();
        s.previous.assign(n, -1);
        for (std::size_t i = 0; i < n; ++i) {
            const std::int64_t b = s.pairs[i].b;
            const auto at = std::lower_bound(s.tails.begin(), s.tails.end(), b,
                                             [&](std::int32_t t, std::int64_t value) { return s.pairs[std::size_t(t)].b < value; });
            if (at != s.tails.begin()) s.previous[i] = *(at - 1);
            if (at == s.tails.end())
                s.tails.push_back(std::int32_t(i));
            else
                *at = std::int32_t(i);
        }
        if (s.tails.empty()) return;
        // The chain from its last pair back; the pairs kept move to the front in order.
        std::size_t length = s.tails.size();
        std::int32_t k = s.tails.back();
        for (std::size_t place = length; place-- > 0; k = s.previous[std::size_t(k)]) s.tails[place] = k;
        for (std::size_t place = 0; place < length; ++place) s.pairs[place] = s.pairs[std::size_t(s.tails[place])];
        s.pairs.resize(length);
    }

    // The shortest edit script of the range (forward greedy search over the diagonals,
    // every edit distance's furthest points kept to trace the script back). False, with
    // nothing emitted, when it would take more steps than the range is allowed.
    bool exactDifference(std::int64_t a0, std::int64_t a1, std::int64_t b0, std::int64_t b1) {
        const Byte* x = a_ + a0;
        const Byte* y = b_ + b0;
        const std::int64_t n = a1 - a0, m = b1 - b0;
        std::int64_t stepsLeft = std::min(exactStepsLeft_, kExactStepsPerByte * (n + m) + kExactStepsFloor);
        const std::int64_t allowed = stepsLeft;
        // furthest_[offset + k]: the furthest x reached on diagonal k = x - y. Each distance
        // reads only what the one before wrote, and the first reads diagonal 1.
        const std::int64_t offset = n + m + 1;
        if (furthest_.size() < std::size_t(2 * offset + 1)) furthest_.resize(std::size_t(2 * offset + 1));
        furthest_[std::size_t(offset + 1)] = 0;
        trace_.clear();
        std::int64_t distance = -1;
        for (std::int64_t d = 0; d <= n + m && distance < 0; ++d) {
            for (std::int64_t k = -d; k <= d; k += 2) {
                std::int64_t* v = furthest_.data() + offset;
                std::int64_t px = (k == -d || (k != d && v[k - 1] < v[k + 1])) ? v[k + 1] : v[k - 1] + 1;
                std::int64_t py = px - k;
                const std::int64_t from = px;
                while (px < n && py < m && x[px] == y[py]) {
                    ++px;
                    ++py;
                }
                v[k] = px;
                stepsLeft -= 1 + (px - from);
                if (px >= n && py >= m) distance = d;
            }
            for (std::int64_t k = -d; k <= d; k += 2) trace_.push_back(std::int32_t(furthest_[std::size_t(offset + k)]));
            if (stepsLeft < 0 && distance < 0) {
                exactStepsLeft_ -= allowed;
                return false;
            }
        }
        exactStepsLeft_ -= allowed - std::max<std::int64_t>(stepsLeft, 0);

        // Back from the end: each distance adds one step right (a byte of A) or down (of B)
        // before a run of equal bytes. Steps with no equal byte between them are one change.
        auto furthestAt = [&](std::int64_t d, std::int64_t k) {
            return std::int64_t(trace_[std::size_t(d * (d + 1) / 2 + (k + d) / 2)]);
        };
        found_.clear();
        std::int64_t px = n, py = m;
        for (std::int64_t d = distance; d > 0; --d) {
            const std::int64_t k = px - py;
            const bool down = k == -d || (k != d && furthestAt(d - 1, k - 1) < furthestAt(d - 1, k + 1));
            const std::int64_t fromK = down ? k + 1 : k - 1;
            const std::int64_t fromX = furthestAt(d - 1, fromK), fromY = fromX - fromK;
            const std::int64_t stepX = down ? fromX : fromX + 1, stepY = down ? fromY + 1 : fromY;
            if (found_.empty() || px > stepX) found_.push_back({stepX, 0, stepY, 0});  // its end, for now
            Change& change = found_.back();
            change.lengthA += change.addressA - fromX;
            change.lengthB += change.addressB - fromY;
            change.addressA = fromX;
            change.addressB = fromY;
            px = fromX;
            py = fromY;
        }
        for (auto change = found_.rbegin(); change != found_.rend() && !stopped_; ++change)
            hand({a0 + change->addressA, change->lengthA, b0 + change->addressB, change->lengthB});
        settle(n + m);
        return true;
    }

    // Hands on a change, joined with the one before when only a short equal stretch lies
    // between them (as long in A as in B: what lies between changes is equal).
    void hand(const Change& change) {
        if (pending_ && change.addressA - pendingChange_.endA() < kShortestKeptMatch) {
            pendingChange_.lengthA = change.endA() - pendingChange_.addressA;
            pendingChange_.lengthB = change.endB() - pendingChange_.addressB;
            return;
        }
        flush();
        pendingChange_ = change;
        pending_ = true;
    }
    void flush() {
        if (pending_ && !stopped_ && !onChange_(pendingChange_)) stopped_ = true;
        pending_ = false;
    }

    // Counts work done; tells the progress handler every few MiB of it, and whenever
    // nothing is counted (a long loop asking whether to go on).
    void settle(std::int64_t units) {
        done_ = std::min(total_, done_ + units);
        if (!onProgress_ || stopped_ || (done_ - told_ < kStep && units != 0)) return;
        told_ = done_;
        if (!onProgress_(done_, total_)) stopped_ = true;
    }

    const Byte* a_;
    const Byte* b_;
    std::int64_t sizeA_, sizeB_;
    const ChangeHandler& onChange_;
    const ProgressHandler& onProgress_;
    std::int64_t total_, done_ = 0, told_ = 0;
    std::int64_t exactStepsLeft_;
    bool stopped_ = false;
    bool pending_ = false;
    Change pendingChange_;
    Scratch scratch_[kLevels];
    std::vector<std::int64_t> furthest_;
    std::vector<std::int32_t> places_;
    std::vector<std::int32_t> trace_;
    std::vector<Change> found_;
};

}  // namespace

bool findChanges(const std::uint8_t* a, std::int64_t sizeA, const std::uint8_t* b, std::int64_t sizeB,
                 const ChangeHandler& onChange, const ProgressHandler& onProgress) {
    Finder finder(a, sizeA, b, sizeB, onChange, onProgress);
    finder.run();
    return !finder.stopped();
}

Outcome findChanges(const FilePair& files, const ChangeHandler& onChange, const ProgressHandler& onProgress) {
    if (files.error() != 0) return Outcome::ReadFailed;
    // Mapped whole: the search jumps about both files. A file that cannot be mapped (a
    // test's read failures, an odd file system) is read into memory instead.
    struct Side {
        MappedBytes map;
        std::vector<Byte> copy;
        const Byte* bytes = nullptr;
        bool read(int fd, std::int64_t size) {
            if (size == 0) return true;
            map = MappedBytes::map(fd, 0, size);
            if (map) {
                bytes = map.data();
                return true;
            }
            copy.resize(std::size_t(size));
            bytes = copy.data();
            return FileLayer::pread(fd, copy.data(), size, 0) == size;
        }
    } sideA, sideB;
    if (!sideA.read(files.fdA(), files.sizeA()) || !sideB.read(files.fdB(), files.sizeB())) return Outcome::ReadFailed;
    // Everything the search owns lives out here: a page that vanishes under it leaves the
    // search without unwinding.
    Finder finder(sideA.bytes, files.sizeA(), sideB.bytes, files.sizeB(), onChange, onProgress);
    auto work = [&] { finder.run(); };
    if (!MappedBytes::read({&sideA.map, &sideB.map}, work)) return Outcome::ReadFailed;
    return finder.stopped() ? Outcome::Stopped : Outcome::Done;
}

}  // namespace ChangeFinder
