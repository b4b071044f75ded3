#pragma once

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstdint>
#include <vector>

#include "ChangeBytes.h"

// Anchors: places cut where a rolling hash of the content says so (the same places in
// both files, wherever the content has moved once a cut of each has met it), named by a
// fingerprint of the bytes around the cut. Pairs of anchors with a fingerprint found once
// on each side, kept where they go forward in both files together, tell which stretches
// the files share.
namespace ChangeAnchors {

// How anchors are laid at one level of detail. A cut falls after a byte at which the top
// `bits` bits of the rolling hash are clear, never within `skip` bytes of the previous cut:
// most bytes are jumped over, not hashed. The anchor is the `2 * half` bytes around its cut.
struct Rule {
    std::int64_t skip;
    int bits;
    std::int64_t half;
    int window;  // the bytes before a place that decide whether a cut falls there (up to 64)
};
// Anchors about `spacing` bytes apart (a power of two), seven eighths of the bytes jumped,
// each cut decided by as many bytes as an anchor holds: fine anchors then fall where only
// a few bytes are alike, and their hashing costs less than the bytes jumped save.
constexpr Rule spaced(std::int64_t spacing, std::int64_t half) {
    return {spacing - spacing / 8, std::countr_zero(std::uint64_t(spacing / 8)), half, int(std::min<std::int64_t>(64, 2 * half))};
}

struct Anchor {
    std::uint64_t hash;
    std::int64_t position;  // the cut
};
struct Pair {
    std::int64_t a, b;  // the cut in A and in B
};

// Cuts one side from `next` (the first place a cut may fall) to `end`, hashing no byte
// below `floor`: every anchor lies within [next - half, end) and within data, never in a
// hole. Appends the anchors in order; returns where the next cut may fall, to go on from
// there with a later `end`, as if in one pass. Returns early, where it got to, once `stop`
// is set.
std::int64_t cut(ChangeBytes::Side& side, std::int64_t floor, std::int64_t next, std::int64_t end, const Rule& rule,
                 std::vector<Anchor>& anchors, const std::atomic<bool>* stop = nullptr);

// What pairing and chaining keep between calls, so that they allocate once.
struct Scratch {
    std::vector<Anchor> a, b;
    std::vector<Pair> pairs;
    std::vector<std::int32_t> tails, previous;
    std::vector<std::int64_t> score;
};

// The pairs of the anchors given (each side's in position order) whose fingerprint each side
// has once, with the bytes around both cuts checked equal; then only the longest run of them
// that goes forward in B as it goes forward in A, in order, in s.pairs. With `worth` above 0,
// the run leaves out its detours: pairs off the way it goes before and after them, whose
// shifts there and back cost more bytes than the `worth` each pair stands for (content that
// moved, or a likeness by chance, which would cost a long deletion and insertion).
void chain(const Anchor* anchorsA, std::size_t countA, const Anchor* anchorsB, std::size_t countB,
           const ChangeBytes::Side& a, const ChangeBytes::Side& b, std::int64_t half, std::int64_t worth, Scratch& s);

}  // namespace ChangeAnchors
