#pragma once

#include <array>
#include <cstdint>

// The VCDIFF delta format (RFC 3284) as patches are written and read here: its header and
// indicator bits, its integers, the default code table and the address caches. What the
// writer and the reader must agree on lives once, here.
namespace Vcdiff {

using Byte = std::uint8_t;

constexpr Byte kMagic[4] = {0xD6, 0xC3, 0xC4, 0x00};  // "VCD" with the high bits set, version 0

// The header indicator.
constexpr Byte kDecompress = 0x01;  // a secondary compressor's id follows
constexpr Byte kCodeTable = 0x02;   // a code table of the patch's own follows
constexpr Byte kAppHeader = 0x04;   // an application header (length, bytes) follows
// The window indicator.
constexpr Byte kSourceWindow = 0x01;  // copies may read a segment of the source file
constexpr Byte kTargetWindow = 0x02;  // ... or of the output made by earlier windows
constexpr Byte kChecksum = 0x04;      // the Adler-32 of the window's output follows the section lengths

// The most bytes a variable-length integer of up to 63 bits takes.
constexpr int kLongestInteger = 9;

// Writes `value` as the format's integer (base 128, most significant digit first, every
// digit but the last with its high bit set) at `at`; returns the place after it.
Byte* putInteger(Byte* at, std::uint64_t value);
int integerLength(std::uint64_t value);

// ---- The default code table ----

enum class Type : Byte { None, Add, Run, Copy };

// One half of a code: its type, its size (0: the size follows in the instructions) and,
// for a copy, its address mode.
struct Half {
    Type type = Type::None;
    Byte size = 0;
    Byte mode = 0;
};
struct Code {
    Half first, second;
};
const std::array<Code, 256>& defaultCodeTable();

// Address modes: the address itself, its distance back from here, its distance from one of
// kNearSlots recent addresses, or a byte that picks a recent address out of kSameSlots *
// 256 kept by their value.
constexpr int kSelfMode = 0, kHereMode = 1;
constexpr int kNearSlots = 4, kSameSlots = 3;
constexpr int kFirstSameMode = 2 + kNearSlots;
constexpr int kModes = kFirstSameMode + kSameSlots;

// The codes of the default table for one instruction, or two that the table pairs: -1 when
// it has none. A code with size 0 is followed by the size.
int addCode(std::int64_t size);             // always a code
int copyCode(std::int64_t size, int mode);  // always a code
int addCopyCode(std::int64_t addSize, std::int64_t copySize, int mode);
int copyAddCode(std::int64_t copySize, int mode, std::int64_t addSize);
constexpr int kRunCode = 0;  // a run's size always follows

// The recent addresses both sides keep, updated after every copy.
class AddressCache {
public:
    void update(std::uint64_t address);
    std::uint64_t near(int slot) const { return near_[std::size_t(slot)]; }
    std::uint64_t same(int slot, Byte low) const { return same_[std::size_t(slot) * 256 + low]; }

    // The cheapest way to write `address` (a copy at `here`): its mode, and what goes in the
    // addresses section (one byte in a same mode, an integer otherwise).
    struct Choice {
        int mode;
        std::uint64_t value;
    };
    Choice choose(std::uint64_t address, std::uint64_t here) const;

private:
    std::array<std::uint64_t, kNearSlots> near_{};
    int nextNear_ = 0;
    std::array<std::uint64_t, kSameSlots * 256> same_{};
};

}  // namespace Vcdiff
