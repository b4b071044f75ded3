#pragma once

#include <cstdint>
#include <vector>

class VcdiffWindowCoder;

// Finds what the changed stretches of B can still copy: from anywhere in A (an index of A's
// blocks), from B's own bytes earlier in the window, from A where the stretch's neighbours
// and recent copies line up, or as a run of one byte. What it cannot copy is added.
class VcdiffMatcher {
public:
    using Byte = std::uint8_t;

    // A's and B's bytes, which stay the caller's.
    VcdiffMatcher(const Byte* a, std::int64_t sizeA, const Byte* b);

    // Indexes A for `changedBytes` of B to look up: the more there are, the finer the
    // index, within a bounded table, so that its cost keeps to the work it saves.
    void indexSource(std::int64_t changedBytes);

    // A new target window, B's [begin, end), of which about `changedBytes` will be looked up.
    void beginWindow(std::int64_t begin, std::int64_t changedBytes);

    // Codes B's [from, to), inside the window, into `coder`, whose copies address A from 0
    // and the window's output from sizeA. `deltaBefore` and `deltaAfter` are where A's
    // copy of the equal bytes on either side stands (A's address less B's).
    void code(std::int64_t from, std::int64_t to, std::int64_t deltaBefore, std::int64_t deltaAfter,
              VcdiffWindowCoder& coder);

private:
    struct Match {
        std::int64_t length = 0;  // from the place looked at on
        std::int64_t back = 0;    // bytes before it that match too
        std::int64_t source = -1; // A's address of the place, or -1
        std::int64_t target = -1; // B's address of the place, or -1
        bool run = false;
    };
    void consider(Match& best, std::int64_t at, std::int64_t literal, std::int64_t to, std::int64_t source,
                  std::int64_t target) const;
    void remember(std::int64_t delta);

    const Byte* a_;
    const Byte* b_;
    std::int64_t sizeA_;

    std::vector<std::uint32_t> sourceTable_;  // a block's number + 1, by the hash of its first word
    int sourceBits_ = 0;
    std::int64_t stride_ = 0;

    std::vector<std::uint32_t> targetTable_;  // B's address less the window's start, + 1
    int targetBits_ = 0;
    std::int64_t windowBegin_ = 0;

    static constexpr int kRecent = 3;
    std::int64_t recent_[kRecent] = {};  // the deltas of the latest copies from A, newest first
};
