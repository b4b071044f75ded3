#pragma once

#include <cstdint>
#include <functional>

class mRWByt;

// The loops of the range dialogs, as plain functions over the file objects. Each works
// through the file in large chunks and gives exactly what a loop of one GetByt / PutByt
// per address would give: the same hit, the same progress count, the same bytes in the
// file afterwards. Addresses are 0-based and both ends of a range are included. Each
// opens the file object(s) it needs and closes them again.
//
// A failure of the file layer is reported once, by the file object, and ends the loop;
// what was written before it stays written. A file that has become shorter since its
// size was taken ends the loop at its real end: no byte past it is read or written.
namespace RangeScanners {

// Bytes of one chunk of the loops (exposed so that tests can put hits on its borders).
constexpr std::int64_t kChunkBytes = 1024 * 1024;

// Progress as the per-address loops count it: each counted step puts the counter on the
// bar and then adds one to it. The loops count chunk by chunk and report the bar value
// that the last step of the chunk would have set.
class StepCounter {
public:
    explicit StepCounter(std::int64_t& counter, std::function<void(std::int64_t)> onBarValue = {})
        : counter_(counter), onBarValue_(std::move(onBarValue)) {}

    void count(std::int64_t steps) {
        if (steps <= 0) return;
        counter_ += steps;
        if (onBarValue_) onBarValue_(counter_ - 1);
    }

private:
    std::int64_t& counter_;
    std::function<void(std::int64_t)> onBarValue_;
};

struct ScanResult {
    std::int64_t found = -1;  // the address found, or -1
    bool failed = false;      // a file-layer failure ended the loop (already reported)
    int error = 0;            // the file object's code for that failure
};

// The first address a from start to end at which the `length` (1..3) bytes of `pattern`
// stand. Only a must lie in the range; the rest of the pattern may run past end, but not
// past the end of the file. Every examined address counts one step.
ScanResult findPattern(mRWByt& file, std::int64_t start, std::int64_t end, const std::uint8_t* pattern,
                       int length, StepCounter& steps);

// The first address from start to end at which file A and file B hold different bytes.
// Addresses from the end of the shorter file on are never compared. Only equal pairs
// count as steps.
ScanResult findMismatch(mRWByt& fileA, mRWByt& fileB, std::int64_t start, std::int64_t end,
                        StepCounter& steps);

// Writes `to` over every byte from start to end that holds `from`; the other bytes keep
// their values. Returns false when a failure ended it.
bool replaceBytes(mRWByt& file, std::int64_t start, std::int64_t end, std::uint8_t from, std::uint8_t to);

// Writes `value` over every byte from start to end. Returns false when a failure ended it.
bool fillBytes(mRWByt& file, std::int64_t start, std::int64_t end, std::uint8_t value);

}  // namespace RangeScanners
