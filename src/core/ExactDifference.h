#pragma once

#include <cstdint>
#include <vector>

#include "ChangeScript.h"

// The shortest edit script of two small blocks of bytes (a greedy search forward over the
// diagonals, every edit distance's furthest points kept to trace the script back), within
// a number of steps: it costs about (n + m) times the distance, so it is tried only where
// that stays small.
class ExactDifference {
public:
    // The changes that turn x (n bytes) into y (m bytes), addresses from 0, into `changes`;
    // adjacent steps make one change. False, with `changes` empty, when it would take more
    // than `steps` steps. `used` gets the steps taken either way.
    bool find(const std::uint8_t* x, std::int64_t n, const std::uint8_t* y, std::int64_t m, std::int64_t steps,
              std::vector<Change>& changes, std::int64_t& used);

private:
    std::vector<std::int64_t> furthest_;
    std::vector<std::int32_t> trace_;
};
