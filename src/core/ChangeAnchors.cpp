#include "ChangeAnchors.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace ChangeAnchors {

namespace {

using ChangeBytes::Byte;

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

// Bytes hashed between two looks at `stop`.
constexpr std::int64_t kStep = 4 << 20;

std::uint64_t fingerprint(const Byte* p, std::int64_t n) {
    std::uint64_t h = 0x9E3779B97F4A7C15ULL ^ std::uint64_t(n);
    for (std::int64_t i = 0; i < n; i += 8) {
        std::uint64_t w;
        std::memcpy(&w, p + i, sizeof w);
        h = (h ^ w) * 0xBF58476D1CE4E5B9ULL;
        h ^= h >> 31;
    }
    return h;
}

// The first cut in [from, last] of bytes that are all data from `lo` on, or -1. The bits of
// `mask` below bit `window` depend on the last `window` bytes only.
std::int64_t firstCut(const Byte* bytes, std::int64_t lo, std::int64_t from, std::int64_t last, std::uint64_t mask,
                      int window) {
    std::int64_t i = std::max(lo, from - window);
    std::uint64_t h = 0;
    for (; i < from - 1; ++i) h = (h << 1) + kGear[bytes[i]];
    // Two bytes a turn: the hash after the second is made from the one before the first, so
    // the two additions do not wait for each other.
    for (; i + 2 <= last; i += 2) {
        const std::uint64_t first = kGear[bytes[i]];
        const std::uint64_t one = (h << 1) + first;
        const std::uint64_t two = (h << 2) + ((first << 1) + kGear[bytes[i + 1]]);
        if ((one & mask) == 0) return i + 1;
        h = two;
        if ((two & mask) == 0) return i + 2;
    }
    for (; i < last; ++i) {
        h = (h << 1) + kGear[bytes[i]];
        if ((h & mask) == 0) return i + 1;
    }
    return -1;
}

// Drops the detours of a chain: pairs whose stretch lies off the way the chain goes
// before and after them, where the bytes that the shifts there and back cost outweigh the
// `worth` bytes each pair stands for. Each pair is joined to the best of the few before it,
// at the cost of the shift between them.
void prune(Scratch& s, std::int64_t worth) {
    constexpr std::size_t kLookBack = 64;
    const std::size_t n = s.pairs.size();
    if (n < 3) return;
    std::vector<std::int64_t>& score = s.score;
    score.assign(n, 0);
    s.previous.assign(n, -1);
    std::size_t best = 0;
    for (std::size_t j = 0; j < n; ++j) {
        const std::int64_t dj = s.pairs[j].b - s.pairs[j].a;
        // Starting the chain here costs the shift from the files' common start.
        std::int64_t top = worth - std::abs(dj - (s.pairs[0].b - s.pairs[0].a));
        for (std::size_t i = j > kLookBack ? j - kLookBack : 0; i < j; ++i) {
            const std::int64_t value = score[i] + worth - std::abs(dj - (s.pairs[i].b - s.pairs[i].a));
            if (value > top) top = value, s.previous[j] = std::int32_t(i);
        }
        score[j] = top;
        if (top >= score[best]) best = j;
    }
    std::size_t kept = 0;
    for (std::int32_t k = std::int32_t(best); k >= 0; k = s.previous[std::size_t(k)]) s.tails[kept++] = k;
    for (std::size_t place = 0; place < kept; ++place) s.pairs[place] = s.pairs[std::size_t(s.tails[kept - 1 - place])];
    s.pairs.resize(kept);
}

}  // namespace

std::int64_t cut(ChangeBytes::Side& side, std::int64_t floor, std::int64_t next, std::int64_t end, const Rule& rule,
                 std::vector<Anchor>& anchors, const std::atomic<bool>* stop) {
    const std::uint64_t mask = ((std::uint64_t(1) << rule.bits) - 1) << (rule.window - rule.bits);
    const std::int64_t last = end - rule.half;  // the last place a cut may fall
    while (next <= last) {
        if (stop && stop->load(std::memory_order_relaxed)) return next;
        // An anchor lies within one stretch of data.
        const ChangeBytes::Side::Stretch data = side.ahead(next - rule.half);
        if (data.hole) {
            next = data.end + rule.half;
            continue;
        }
        const std::int64_t lastHere = std::min(last, data.end - rule.half);
        const std::int64_t upTo = std::min(lastHere, next + kStep);
        const std::int64_t found = firstCut(side.at(0), std::max(floor, data.begin), next, upTo, mask, rule.window);
        if (found >= 0) {
            anchors.push_back({fingerprint(side.at(found - rule.half), 2 * rule.half), found});
            next = found + rule.skip;
        } else if (upTo < lastHere || lastHere == last) {
            next = upTo + 1;
        } else {
            next = data.end + rule.half;  // on into the next stretch
        }
    }
    return next;
}

void chain(const Anchor* anchorsA, std::size_t countA, const Anchor* anchorsB, std::size_t countB,
           const ChangeBytes::Side& a, const ChangeBytes::Side& b, std::int64_t half, std::int64_t worth, Scratch& s) {
    s.a.assign(anchorsA, anchorsA + countA);
    s.b.assign(anchorsB, anchorsB + countB);
    s.pairs.clear();
    auto byHash = [](const Anchor& x, const Anchor& y) { return x.hash < y.hash; };
    std::sort(s.a.begin(), s.a.end(), byHash);
    std::sort(s.b.begin(), s.b.end(), byHash);
    std::size_t i = 0, j = 0;
    while (i < countA && j < countB) {
        const std::uint64_t h = s.a[i].hash;
        if (h < s.b[j].hash) {
            ++i;
            continue;
        }
        if (s.b[j].hash < h) {
            ++j;
            continue;
        }
        std::size_t endI = i + 1, endJ = j + 1;
        while (endI < countA && s.a[endI].hash == h) ++endI;
        while (endJ < countB && s.b[endJ].hash == h) ++endJ;
        const std::int64_t pa = s.a[i].position, pb = s.b[j].position;
        if (endI - i == 1 && endJ - j == 1 && std::memcmp(a.at(pa - half), b.at(pb - half), std::size_t(2 * half)) == 0)
            s.pairs.push_back({pa, pb});
        i = endI;
        j = endJ;
    }
    std::sort(s.pairs.begin(), s.pairs.end(), [](const Pair& x, const Pair& y) { return x.a < y.a; });

    // The longest run that goes forward in B: patience sorting, then back from its last pair.
    const std::size_t n = s.pairs.size();
    s.tails.clear();
    s.previous.assign(n, -1);
    for (std::size_t k = 0; k < n; ++k) {
        const std::int64_t pb = s.pairs[k].b;
        const auto at = std::lower_bound(s.tails.begin(), s.tails.end(), pb,
                                         [&](std::int32_t t, std::int64_t value) { return s.pairs[std::size_t(t)].b < value; });
        if (at != s.tails.begin()) s.previous[k] = *(at - 1);
        if (at == s.tails.end())
            s.tails.push_back(std::int32_t(k));
        else
            *at = std::int32_t(k);
    }
    if (s.tails.empty()) return;
    const std::size_t length = s.tails.size();
    std::int32_t k = s.tails.back();
    for (std::size_t place = length; place-- > 0; k = s.previous[std::size_t(k)]) s.tails[place] = k;
    for (std::size_t place = 0; place < length; ++place) s.pairs[place] = s.pairs[std::size_t(s.tails[place])];
    s.pairs.resize(length);
    if (worth > 0) prune(s, worth);
}

}  // namespace ChangeAnchors
