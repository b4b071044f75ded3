#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class mRWByt;

// "Compare A with B": the bytes of two files at the same addresses (or B's a fixed
// distance on), handed to a loop step by step. Where a file can be mapped its bytes are
// looked at in the page cache, with no copy; where it cannot, or where a mapped page
// vanishes because another program cut the file short, they are read. Where both files
// have a hole (a stretch never written, which reads as zeros and takes no disk) the
// stretch is equal and nothing of it is looked at; a hole in one file is compared against
// zeros without touching its pages. Disk and machine images are mostly such holes.
//
// The search for a mismatch, the runs of differences and the dump of differing rows all
// read through here and compare with findFirst and findLast. A reader serves one thread.
class PairReader {
public:
    using Byte = std::uint8_t;
    // The most bytes of data one step hands over.
    static constexpr std::int64_t kLargestStep = 4 * 1024 * 1024;
    // Holes are passed over in whole blocks of this many bytes counted from A's address 0,
    // so that every piece a step hands over begins on a multiple of it (a dump's rows of 16
    // bytes never straddle two pieces); the rest of a hole is read like data.
    static constexpr std::int64_t kHoleGrain = 4096;

    // Two open descriptors that stay the caller's; the bytes below each size (the file's
    // size as opened) may be mapped. Addresses are A's: B's byte at `at + shiftB` is handed
    // over beside A's at `at`, and no step may reach below B's address 0.
    PairReader(int fdA, std::int64_t sizeA, int fdB, std::int64_t sizeB, std::int64_t shiftB = 0);
    // Two open file objects: what cannot be mapped is read through ReadSpan, which reports a
    // failure itself.
    PairReader(mRWByt& a, mRWByt& b);
    ~PairReader();
    PairReader(const PairReader&) = delete;
    PairReader& operator=(const PairReader&) = delete;

    // `n` bytes of both files from address `at`: `a` and `b` point at them (at zeros for a
    // file with a hole there), or are both null where both files have a hole: equal bytes,
    // all zero, from a multiple of kHoleGrain to a multiple of it. Returns false to end the
    // step there. It runs under MappedBytes::read and may be left halfway without
    // unwinding: it must own nothing that needs destroying.
    using Work = std::function<bool(std::int64_t at, const Byte* a, const Byte* b, std::int64_t n)>;
    // Puts the caller's state back to where it stood before the step: a mapped page vanished
    // halfway, and the step's bytes are about to be handed over again, read.
    using Undo = std::function<void()>;

    struct Step {
        std::int64_t begin = 0, end = 0;  // the addresses the step covered, [begin, end)
        bool stopped = false;   // work returned false
        bool failed = false;    // a read failed (a file object has reported it)
        bool cutShort = false;  // a file ends at `end`, before the step's planned end
    };
    // The step upwards from `from`, below `to`: at most `span` bytes (and kLargestStep),
    // ending early where both files have a hole; or, where both have a hole at `from`, the
    // whole stretch of it below `to` in one piece.
    Step forward(std::int64_t from, std::int64_t to, std::int64_t span, const Work& work, const Undo& undo);
    // The step downwards from `to`, not below `from`: at most `span` bytes, or a stretch
    // where both files have a hole however long. Pieces come from the highest address down.
    Step backward(std::int64_t from, std::int64_t to, std::int64_t span, const Work& work, const Undo& undo);

    // The first k in [i, n) at which a[k] != b[k] is `differ`, else n.
    static std::int64_t findFirst(const Byte* a, const Byte* b, std::int64_t i, std::int64_t n, bool differ);
    // The last k < n at which a[k] != b[k] is `differ`, else -1.
    static std::int64_t findLast(const Byte* a, const Byte* b, std::int64_t n, bool differ);

private:
    class Side;
    struct Piece {
        std::int64_t at, n;
        bool holeA, holeB;
        // Handed over as null: a whole number of grains both files lack.
        bool common() const { return holeA && holeB && at % kHoleGrain == 0 && n % kHoleGrain == 0; }
    };
    Step hand(std::int64_t begin, std::int64_t end, bool downwards, const Work& work, const Undo& undo);

    std::unique_ptr<Side> a_, b_;
    std::vector<Piece> pieces_;
};
