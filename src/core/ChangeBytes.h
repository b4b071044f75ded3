#pragma once

#include <cstdint>

// The bytes of the two files the change finder compares, where each file keeps them: in
// memory (mapped or read), or nowhere for a hole, a stretch the file never had written
// that reads as zeros. A hole is never touched: the pages of a sparse disk image would
// otherwise be brought in by the gigabyte. Each thread uses copies of its own: a side
// remembers the last stretch it was asked about.
namespace ChangeBytes {

using Byte = std::uint8_t;

// How many of the first n bytes of a and b are equal before the first that differs.
std::int64_t equalPrefix(const Byte* a, const Byte* b, std::int64_t n);
// How many of the n bytes just before a and b are equal after the last that differs.
std::int64_t equalSuffix(const Byte* a, const Byte* b, std::int64_t n);
// How many of the first (last) n bytes from p (before p) are zero.
std::int64_t zeroPrefix(const Byte* p, std::int64_t n);
std::int64_t zeroSuffix(const Byte* p, std::int64_t n);

// One file's bytes from address 0, and where it has holes.
class Side {
public:
    // `fd` < 0: all of it is data (bytes in memory). Otherwise address 0 is the file's byte at
    // `origin` (a range of the file compared).
    Side(const Byte* bytes, std::int64_t size, int fd, std::int64_t origin = 0)
        : bytes_(bytes), size_(size), fd_(fd), origin_(origin) {}

    const Byte* at(std::int64_t address) const { return bytes_ + address; }
    std::int64_t size() const { return size_; }

    // The stretch of one kind (hole or data) that holds `address`, as far as it goes up from
    // there (`end`) or down from it (`begin`, not below `floor`); both within the file.
    struct Stretch {
        bool hole = false;
        std::int64_t begin = 0, end = 0;
    };
    Stretch ahead(std::int64_t address);
    Stretch behind(std::int64_t address, std::int64_t floor);  // the stretch holding address - 1

private:
    Stretch lookUp(std::int64_t address);

    const Byte* bytes_;
    std::int64_t size_;
    int fd_;
    std::int64_t origin_;
    Stretch known_;  // the last stretch the file system told of
};

// Both files, compared at two addresses that need not be the same.
class Pair {
public:
    Pair(const Side& a, const Side& b) : a_(a), b_(b) {}

    Side& a() { return a_; }
    Side& b() { return b_; }

    // Equal bytes from a in A and b in B on, up to n; holes count as zeros.
    std::int64_t sameAhead(std::int64_t a, std::int64_t b, std::int64_t n);
    // Equal bytes just before a and b, up to n.
    std::int64_t sameBehind(std::int64_t a, std::int64_t b, std::int64_t n);
    // From a and b on, up to n: how many bytes go by before `run` equal ones in a row begin
    // (n less the equal bytes it ends with, when no such run comes). The first byte is taken
    // as differing.
    std::int64_t differing(std::int64_t a, std::int64_t b, std::int64_t n, std::int64_t run);

private:
    Side a_, b_;
};

}  // namespace ChangeBytes
