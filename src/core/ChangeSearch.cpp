#include "ChangeSearch.h"

#include <algorithm>
#include <bit>
#include <cstring>

using ChangeAnchors::spaced;
using ChangeBytes::Byte;
using ChangeFinder::kShortestKeptMatch;

namespace {

constexpr std::int64_t kMiB = 1 << 20;
// Bytes between two looks at progress and at whether to stop.
constexpr std::int64_t kStep = 4 * kMiB;
// How far ahead of a parting each side is first hashed; doubled while no anchor pair is found.
constexpr std::int64_t kFirstWindow = kMiB / 4;
// Hashed at once, per side, between two looks at progress.
constexpr std::int64_t kHashedAtOnce = 16 * kMiB;
// At most this many anchors of each file at the top level: their memory stays a few MiB
// however large the files are.
constexpr std::int64_t kMostAnchors = std::int64_t(1) << 19;

// The closer levels look again into what lies between the stretches found, while that is
// not too large for their anchors' memory.
struct Level {
    ChangeAnchors::Rule rule;
    std::int64_t largestRange;  // bytes of A and B together
    std::int64_t worth;         // of a pair against a shift (see ChangeAnchors::chain); 0 keeps every detour
};
constexpr Level kCloser[] = {
    {spaced(512, 16), 64 * kMiB, 2048},
    {spaced(64, 8), 4 * kMiB, 0},
};

// Ranges of up to kSmallRange bytes of A and B together get an exact script at once (when
// that is cheap enough), larger ones up to kLargestExactRange when no anchor splits them.
constexpr std::int64_t kSmallRange = 8192;
constexpr std::int64_t kLargestExactRange = 64 * 1024;
// The steps one exact script may take, per byte of the range, and a floor for small ones.
constexpr std::int64_t kExactStepsPerByte = 4;
constexpr std::int64_t kExactStepsFloor = 512;
// The comparison in place of ranges up to this size is kept, to be handed on as it is.
constexpr std::int64_t kLongestKeptScript = 4 * kMiB;
// A comparison in place that lists at most this share of a range's bytes is taken at once.
constexpr std::int64_t kNearlyAll = 8;
// Where the shift between two stretches compared in place is looked for byte by byte;
// beyond it the shift goes at the end.
constexpr std::int64_t kLargestShiftRange = 64 * kMiB;
// A change that shifts the files and the ones that shift them back are weighed against the
// comparison in place when they lie within this many bytes of B.
constexpr std::int64_t kLongestDetour = 4096;

// The bytes of A and B that a script lists as changed, the equal stretches too short to
// keep (which the list joins in) counted as well.
class ScriptCost {
public:
    void add(const Change& change) {
        if (any_ && change.addressA - endA_ < kShortestKeptMatch) bytes_ += 2 * (change.addressA - endA_);
        bytes_ += change.lengthA + change.lengthB;
        endA_ = change.endA();
        any_ = true;
    }
    std::int64_t bytes() const { return bytes_; }

private:
    bool any_ = false;
    std::int64_t endA_ = 0, bytes_ = 0;
};

std::int64_t costOf(const Change* begin, const Change* end) {
    ScriptCost cost;
    for (const Change* c = begin; c != end; ++c) cost.add(*c);
    return cost.bytes();
}

}  // namespace

ChangeSearch::ChangeSearch(const ChangeBytes::Side& a, const ChangeBytes::Side& b, const ChangeFinder::ChangeHandler& onChange,
                           const ChangeFinder::ProgressWatcher& onProgress, Split split)
    : bytes_(a, b), otherBytes_(a, b), topA_(a), topB_(b), sizeA_(a.size()), sizeB_(b.size()), onChange_(onChange),
      onProgress_(onProgress), split_(std::move(split)), total_(2 * (a.size() + b.size())),
      // All exact scripts of one search together stay within a step for every eight bytes.
      exactStepsLeft_((a.size() + b.size()) / 8 + 2 * kMiB) {
    std::int64_t spacing = 4096;
    while ((sizeA_ + sizeB_) / 2 / spacing > kMostAnchors) spacing *= 2;
    top_ = spaced(spacing, 32);
    topSpacing_ = spacing;
}

void ChangeSearch::run() {
    std::int64_t a = 0, b = 0;
    while (!stopped_) {
        const std::int64_t ahead = grow(a, b, std::min(sizeA_ - a, sizeB_ - b));
        a += ahead;
        b += ahead;
        if (stopped_) break;
        if (a == sizeA_ || b == sizeB_ || !meet(a, b)) {
            compare(a, sizeA_, b, sizeB_, 1);
            break;
        }
    }
    if (stopped_) return;
    flush();
    settledA_ = sizeA_;
    settledB_ = sizeB_;
    hashedA_ = sizeA_;
    hashedB_ = sizeB_;
    tell();
}

// ---- The top level ----

bool ChangeSearch::meet(std::int64_t& a, std::int64_t& b) {
    const std::int64_t half = top_.half;
    ChangeAnchors::Scratch& s = scratch_[0];
    // The anchors of a window ahead of each side: a window that found nothing is doubled,
    // and each chain is made of one window's anchors only, so that a long search with many
    // partings sorts no more anchors than the distance it goes.
    auto within = [](const std::vector<Anchor>& anchors, std::int64_t from, std::int64_t to) {
        auto at = [&](std::int64_t p) {
            return std::lower_bound(anchors.begin(), anchors.end(), p, [](const Anchor& x, std::int64_t q) { return x.position < q; });
        };
        const auto first = at(from);
        return std::pair(anchors.data() + (first - anchors.begin()), std::size_t(at(to) - first));
    };
    std::int64_t endA = a, endB = b;
    for (std::int64_t window = kFirstWindow;; window *= 2) {
        endA = std::min(sizeA_, a + window);
        endB = std::min(sizeB_, b + window);
        hashTo(a, endA, b, endB);
        if (stopped_) return true;
        const auto [anchorsA, countA] = within(anchorsA_, a + half, endA);
        const auto [anchorsB, countB] = within(anchorsB_, b + half, endB);
        ChangeAnchors::chain(anchorsA, countA, anchorsB, countB, topA_, topB_, half, topSpacing_, s);
        if (!s.pairs.empty()) break;
        if (endA == sizeA_ && endB == sizeB_) return false;
    }
    // Only the pairs in the first half of the window are followed: they stay in the chain
    // when more is seen, where the last ones might not; the rest are chained again. All of
    // them once the window has reached the files' ends.
    const std::int64_t limitA = endA == sizeA_ ? sizeA_ : a + (endA - a) / 2;
    const std::int64_t limitB = endB == sizeB_ ? sizeB_ : b + (endB - b) / 2;
    bool first = true;
    for (const ChangeAnchors::Pair& pair : s.pairs) {
        if (!first && (pair.a >= limitA || pair.b >= limitB)) break;
        std::int64_t startA = pair.a - half, startB = pair.b - half;
        if (startA < a || startB < b) continue;  // grown over already
        first = false;
        const std::int64_t back = bytes_.sameBehind(startA, startB, std::min(startA - a, startB - b));
        compare(a, startA - back, b, startB - back, 1);
        if (stopped_) return true;
        const std::int64_t ahead = grow(pair.a + half, pair.b + half, std::min(sizeA_ - pair.a, sizeB_ - pair.b) - half);
        a = pair.a + half + ahead;
        b = pair.b + half + ahead;
        reach(a, b);
        if (stopped_) return true;
    }
    return true;
}

void ChangeSearch::hashTo(std::int64_t a, std::int64_t endA, std::int64_t b, std::int64_t endB) {
    // Anchors behind where the search stands are done with (dropped once they are half of
    // all, so that many partings move each anchor a few times only); cutting starts again
    // from there when the search has passed what was cut.
    auto drop = [](std::vector<Anchor>& anchors, std::int64_t below) {
        const auto keep = std::lower_bound(anchors.begin(), anchors.end(), below,
                                           [](const Anchor& x, std::int64_t p) { return x.position < p; });
        if (std::size_t(keep - anchors.begin()) * 2 > anchors.size()) anchors.erase(anchors.begin(), keep);
    };
    drop(anchorsA_, a + top_.half);
    drop(anchorsB_, b + top_.half);
    // (Every anchor lies before the next cut: none ahead is left when that is behind.)
    if (nextA_ < a + top_.half) {
        nextA_ = a + top_.half + top_.skip;
        hashedA_ = floorA_ = a;
    }
    if (nextB_ < b + top_.half) {
        nextB_ = b + top_.half + top_.skip;
        hashedB_ = floorB_ = b;
    }
    while (!stopped_ && (hashedA_ < endA || hashedB_ < endB)) {
        const std::int64_t toA = std::min(endA, hashedA_ + kHashedAtOnce), toB = std::min(endB, hashedB_ + kHashedAtOnce);
        std::int64_t nowA = std::max(hashedA_, toA), nowB = std::max(hashedB_, toB);
        auto cutB = [this, toB] { nextB_ = ChangeAnchors::cut(topB_, floorB_, nextB_, toB, top_, anchorsB_, &stopping_); };
        if (split_ && toA - hashedA_ >= kMiB && toB - hashedB_ >= kMiB) {
            other_ = Other::CutA;
            otherLength_ = toA;
            if (!split(cutB)) {
                failed_ = stopped_ = true;
                return;
            }
        } else {
            if (toA > hashedA_) nextA_ = ChangeAnchors::cut(topA_, floorA_, nextA_, toA, top_, anchorsA_, &stopping_);
            if (toB > hashedB_) cutB();
        }
        // No cut falls before the next one: a hole jumped over counts as cut.
        nowA = std::max(nowA, std::min(endA, nextA_ - top_.half));
        nowB = std::max(nowB, std::min(endB, nextB_ - top_.half));
        work((nowA - hashedA_) + (nowB - hashedB_));
        hashedA_ = nowA;
        hashedB_ = nowB;
    }
}

std::int64_t ChangeSearch::grow(std::int64_t a, std::int64_t b, std::int64_t n) {
    std::int64_t done = 0;
    while (done < n && !stopped_) {
        const ChangeBytes::Side::Stretch inA = bytes_.a().ahead(a + done), inB = bytes_.b().ahead(b + done);
        if (inA.hole && inB.hole) {
            // Zeros on both sides, passed over at once however long.
            done += std::min({inA.end - (a + done), inB.end - (b + done), n - done});
            reach(a + done, b + done);
            continue;
        }
        std::int64_t step = std::min(kStep, n - done), equal = 0;
        if (split_ && n - done > step) {
            // The other thread looks at the next step meanwhile.
            const std::int64_t next = std::min(kStep, n - done - step);
            other_ = Other::Grow;
            otherA_ = a + done + step;
            otherB_ = b + done + step;
            otherLength_ = next;
            auto here = [&] { equal = bytes_.sameAhead(a + done, b + done, step); };
            if (!split(here)) {
                failed_ = stopped_ = true;
                break;
            }
            if (equal == step) {
                done += step;
                equal = otherEqual_;
                step = next;
            }
        } else {
            equal = bytes_.sameAhead(a + done, b + done, step);
        }
        done += equal;
        reach(a + done, b + done);
        if (equal < step) break;
    }
    return done;
}

void ChangeSearch::otherWork() {
    if (other_ == Other::Grow)
        otherEqual_ = otherBytes_.sameAhead(otherA_, otherB_, otherLength_);
    else
        nextA_ = ChangeAnchors::cut(topA_, floorA_, nextA_, otherLength_, top_, anchorsA_, &stopping_);
}

// ---- Ranges between stretches the files share ----

void ChangeSearch::compare(std::int64_t a0, std::int64_t a1, std::int64_t b0, std::int64_t b1, int level) {
    if (stopped_) return;
    const std::int64_t head = bytes_.sameAhead(a0, b0, std::min(a1 - a0, b1 - b0));
    a0 += head;
    b0 += head;
    const std::int64_t tail = bytes_.sameBehind(a1, b1, std::min(a1 - a0, b1 - b0));
    a1 -= tail;
    b1 -= tail;
    reach(a0, b0);
    work(tail);
    const std::int64_t n = a1 - a0, m = b1 - b0, range = n + m;
    if (n == 0 || m == 0) {
        if (range > 0) hand({a0, n, b0, m});
        work(range);
        return;
    }
    // Where nearly all bytes keep their places, the comparison in place is as good as any
    // script and far cheaper; past the closer levels' reach it is all that is left. (Its
    // changes are kept to be handed on without a second pass, where they cannot be many.)
    if (range > kCloser[0].largestRange) return aligned(a0, a1, b0, b1, [this](const Change& c) { hand(c); });
    const bool kept = range <= kLongestKeptScript;
    ScriptCost inPlaceCost;
    inPlace_.clear();
    aligned(a0, a1, b0, b1, [&](const Change& c) {
        inPlaceCost.add(c);
        if (kept) inPlace_.push_back(c);
    });
    auto handInPlace = [&] {
        if (!kept) return aligned(a0, a1, b0, b1, [this](const Change& c) { hand(c); });
        for (const Change& c : inPlace_) hand(c);
    };
    if (inPlaceCost.bytes() <= range / kNearlyAll) return handInPlace();
    // Bytes the comparison in place leaves out are a stretch of kShortestKeptMatch or more.
    const bool shares = inPlaceCost.bytes() < range || sharesKeptMatch(a0, a1, b0, b1);
    // Small ranges get an exact script at once when that is cheap; what costs too much is
    // split by anchors first.
    bool tried = false;
    if (range <= kSmallRange) {
        if (!shares) return hand({a0, n, b0, m});
        if (exactly(a0, a1, b0, b1)) return;
        tried = true;
    }
    // Where most bytes keep their places, they are compared in place: what a reader expects
    // of a table or of code whose addresses moved, and far cheaper than anchors.
    if (level < kLevels && range <= kCloser[level - 1].largestRange) {
        if (inPlaceCost.bytes() <= range / 4) return handInPlace();
        // (No anchor pair, no comparison below: what was kept stays as it was.)
        for (int at = level; at < kLevels && !stopped_; ++at)
            if (range <= kCloser[at - 1].largestRange && anchored(a0, a1, b0, b1, at)) return;
    }
    if (!tried && range <= kLargestExactRange && shares && exactly(a0, a1, b0, b1)) return;
    handInPlace();
}

bool ChangeSearch::anchored(std::int64_t a0, std::int64_t a1, std::int64_t b0, std::int64_t b1, int level) {
    const ChangeAnchors::Rule& rule = kCloser[level - 1].rule;
    std::vector<Anchor>& anchorsA = cutA_[level];
    std::vector<Anchor>& anchorsB = cutB_[level];
    anchorsA.clear();
    anchorsB.clear();
    ChangeAnchors::cut(bytes_.a(), a0, a0 + rule.half + rule.skip, a1, rule, anchorsA);
    ChangeAnchors::cut(bytes_.b(), b0, b0 + rule.half + rule.skip, b1, rule, anchorsB);
    work(((a1 - a0) + (b1 - b0)) / 4);
    ChangeAnchors::Scratch& s = scratch_[level];
    ChangeAnchors::chain(anchorsA.data(), anchorsA.size(), anchorsB.data(), anchorsB.size(), bytes_.a(), bytes_.b(), rule.half, kCloser[level - 1].worth, s);
    if (s.pairs.empty()) return false;
    std::int64_t atA = a0, atB = b0;  // everything before is settled
    for (const ChangeAnchors::Pair& pair : s.pairs) {
        std::int64_t startA = pair.a - rule.half, startB = pair.b - rule.half;
        if (startA < atA || startB < atB) continue;  // inside a stretch already grown past it
        const std::int64_t back = bytes_.sameBehind(startA, startB, std::min(startA - atA, startB - atB));
        compare(atA, startA - back, atB, startB - back, level + 1);
        if (stopped_) return true;
        const std::int64_t endA = pair.a + rule.half, endB = pair.b + rule.half;
        const std::int64_t ahead = grow(endA, endB, std::min(a1 - endA, b1 - endB));
        atA = endA + ahead;
        atB = endB + ahead;
    }
    compare(atA, a1, atB, b1, level + 1);
    return true;
}

// The exact script of a range, or the comparison in place where that lists no more bytes.
// False, with nothing handed on, when the exact script costs too much.
bool ChangeSearch::exactly(std::int64_t a0, std::int64_t a1, std::int64_t b0, std::int64_t b1) {
    const std::int64_t n = a1 - a0, m = b1 - b0;
    std::int64_t used = 0;
    const std::int64_t steps = std::min(exactStepsLeft_, kExactStepsPerByte * (n + m) + kExactStepsFloor);
    const bool exact = exact_.find(bytes_.a().at(a0), n, bytes_.b().at(b0), m, steps, exactScript_, used);
    exactStepsLeft_ -= used;
    if (!exact) return false;
    work(n + m);
    for (Change& c : exactScript_) c.addressA += a0, c.addressB += b0;
    // The comparison in place (kept by compare) wins a tie: a reader sees a replacement
    // where an insertion and a deletion would say as much.
    if (costOf(inPlace_.data(), inPlace_.data() + inPlace_.size()) <= costOf(exactScript_.data(), exactScript_.data() + exactScript_.size())) {
        for (const Change& c : inPlace_) hand(c);
        return true;
    }
    refine(exactScript_);
    return true;
}

// Hands on an exact script, with each run of changes that shifts the files and shifts them
// back within a short stretch compared in place instead when that lists no more bytes.
void ChangeSearch::refine(const std::vector<Change>& script) {
    const std::size_t count = script.size();
    for (std::size_t i = 0; i < count;) {
        const Change& first = script[i];
        std::size_t back = count;
        std::int64_t shift = 0;
        if (first.lengthA != first.lengthB) {
            for (std::size_t j = i; j < count && script[j].endB() - first.addressB <= kLongestDetour; ++j) {
                shift += script[j].lengthB - script[j].lengthA;
                if (shift == 0) {
                    back = j;
                    break;
                }
            }
        }
        if (back < count) {
            const Change& last = script[back];
            groupScript_.clear();
            inPlace(first.addressA, first.addressB, last.endA() - first.addressA,
                    [this](const Change& c) { groupScript_.push_back(c); });
            if (costOf(groupScript_.data(), groupScript_.data() + groupScript_.size()) <=
                costOf(script.data() + i, script.data() + back + 1)) {
                for (const Change& c : groupScript_) hand(c);
                i = back + 1;
                continue;
            }
        }
        hand(first);
        ++i;
    }
}

// Whether the two sides of a small range have kShortestKeptMatch equal bytes in common
// anywhere: every stretch of them in the smaller side goes in a table, once each (a run of
// one byte is one entry, not a long chain), and the other side looks its own up.
bool ChangeSearch::sharesKeptMatch(std::int64_t a0, std::int64_t a1, std::int64_t b0, std::int64_t b1) {
    static_assert(kShortestKeptMatch == 8, "a stretch is looked up as one 8-byte word");
    auto word = [](const Byte* p) {
        std::uint64_t w;
        std::memcpy(&w, p, sizeof w);
        return w;
    };
    const bool aSmaller = a1 - a0 <= b1 - b0;
    const Byte* in = aSmaller ? bytes_.a().at(a0) : bytes_.b().at(b0);
    const Byte* other = aSmaller ? bytes_.b().at(b0) : bytes_.a().at(a0);
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

// ---- In place ----

template <typename Emit>
void ChangeSearch::aligned(std::int64_t a0, std::int64_t a1, std::int64_t b0, std::int64_t b1, Emit&& emit) {
    const std::int64_t n = a1 - a0, m = b1 - b0, shorter = std::min(n, m);
    const std::int64_t at = n == m ? n : n + m <= kLargestShiftRange ? splitAt(a0, n, b0, m) : shorter;
    inPlace(a0, b0, at, emit);
    if (n == m) return;
    const std::int64_t shift = std::abs(n - m);
    if (n < m)
        emit(Change{a0 + at, 0, b0 + at, shift});
    else
        emit(Change{a0 + at, shift, b0 + at, 0});
    inPlace(a0 + at + (n > m ? shift : 0), b0 + at + (n < m ? shift : 0), shorter - at, emit);
}

template <typename Emit>
void ChangeSearch::inPlace(std::int64_t a0, std::int64_t b0, std::int64_t n, Emit&& emit) {
    std::int64_t i = 0;
    while (i < n && !stopped_) {
        const std::int64_t equal = bytes_.sameAhead(a0 + i, b0 + i, n - i);
        i += equal;
        if (i >= n) break;
        const std::int64_t differ = bytes_.differing(a0 + i, b0 + i, n - i, kShortestKeptMatch);
        emit(Change{a0 + i, differ, b0 + i, differ});
        i += differ;
        work(2 * (equal + differ));
    }
}

// Where one shift of |n - m| bytes between a stretch compared in place on the diagonal of
// the range's start and one on the diagonal of its end leaves the fewest bytes differing:
// the count of bytes of the shorter side before it.
std::int64_t ChangeSearch::splitAt(std::int64_t a0, std::int64_t n, std::int64_t b0, std::int64_t m) {
    const bool longerB = m > n;
    const std::int64_t shorter = std::min(n, m), shift = std::abs(m - n);
    const Byte* s = longerB ? bytes_.a().at(a0) : bytes_.b().at(b0);
    const Byte* l = longerB ? bytes_.b().at(b0) : bytes_.a().at(a0);
    // Eight bytes at a time: the high bit of each byte of differing(x, y) is set where they differ.
    auto word = [](const Byte* p) {
        std::uint64_t w;
        std::memcpy(&w, p, sizeof w);
        return w;
    };
    auto differing = [&](const Byte* x, const Byte* y) {
        constexpr std::uint64_t kLows = 0x7F7F7F7F7F7F7F7FULL, kOnes = 0x0101010101010101ULL;
        const std::uint64_t v = word(x) ^ word(y);
        // The eight high bits moved down to one per byte and summed in the top byte (a
        // popcount the processor may lack).
        return int((((((v & kLows) + kLows) | v) & ~kLows) >> 7) * kOnes >> 56);
    };
    std::int64_t cost = 0, i = 0;
    for (; i + 8 <= shorter; i += 8) cost += differing(s + i, l + i + shift);
    for (; i < shorter; ++i) cost += s[i] != l[i + shift];
    std::int64_t best = cost, at = 0, p = 0;
    for (; p + 8 <= shorter; p += 8) {
        const int before = differing(s + p, l + p), after = differing(s + p, l + p + shift);
        // The cost falls by at most `after` in these eight: byte by byte only when that
        // could make a new least.
        if (cost - after >= best) {
            cost += before - after;
            continue;
        }
        for (std::int64_t k = p; k < p + 8; ++k) {
            cost += std::int64_t(s[k] != l[k]) - std::int64_t(s[k] != l[k + shift]);
            if (cost < best) best = cost, at = k + 1;
        }
    }
    for (; p < shorter; ++p) {
        cost += std::int64_t(s[p] != l[p]) - std::int64_t(s[p] != l[p + shift]);
        if (cost < best) best = cost, at = p + 1;
    }
    work(2 * (n + m));
    return at;
}

// ---- Handing on ----

// Hands on a change, joined with the one before when only a short equal stretch lies
// between them (as long in A as in B: what lies between changes is equal).
void ChangeSearch::hand(const Change& change) {
    if (pending_ && change.addressA - pendingChange_.endA() < kShortestKeptMatch) {
        pendingChange_.lengthA = change.endA() - pendingChange_.addressA;
        pendingChange_.lengthB = change.endB() - pendingChange_.addressB;
        return;
    }
    flush();
    pendingChange_ = change;
    pending_ = true;
}

void ChangeSearch::flush() {
    if (!pending_) return;
    pending_ = false;
    if (!stopped_ && !onChange_(pendingChange_)) stopped_ = stopping_ = true;
}

// Everything before a and b is handed on or pending: a change kept back to be joined with
// the next goes on once the search is too far past it for that.
void ChangeSearch::reach(std::int64_t a, std::int64_t b) {
    if (a <= settledA_ && b <= settledB_) return;
    work(std::max<std::int64_t>(0, a - settledA_) + std::max<std::int64_t>(0, b - settledB_));
    settledA_ = std::max(settledA_, a);
    settledB_ = std::max(settledB_, b);
    if (pending_ && settledA_ - pendingChange_.endA() >= kShortestKeptMatch) flush();
}

// Counts work done; tells the progress watcher every few MiB of it.
void ChangeSearch::work(std::int64_t units) {
    work_ += units;
    if (work_ - toldWork_ >= kStep) tell();
}

void ChangeSearch::tell() {
    toldWork_ = work_;
    if (!onProgress_ || stopped_) return;
    ChangeFinder::Progress progress;
    progress.total = total_;
    progress.settledA = pending_ ? pendingChange_.addressA : settledA_;
    progress.settledB = pending_ ? pendingChange_.addressB : settledB_;
    toldDone_ = std::max(toldDone_, std::min(total_, settledA_ + settledB_ + std::max(hashedA_, settledA_) + std::max(hashedB_, settledB_)));
    progress.done = toldDone_;
    if (!onProgress_(progress)) stopped_ = stopping_ = true;
}
