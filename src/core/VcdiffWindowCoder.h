#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "VcdiffFormat.h"

// Turns the instructions of one VCDIFF window into its bytes: adds, runs and copies go in as
// they come, neighbours that continue each other are joined, pairs the default code table
// has one code for share it, and each address is written the cheapest way the caches allow.
class VcdiffWindowCoder {
public:
    using Byte = Vcdiff::Byte;
    // Takes the next bytes of the patch; false when they could not be written.
    using Sink = std::function<bool(const Byte* bytes, std::int64_t n)>;

    // A new window whose copies address a source segment of `sourceLength` bytes (0: none)
    // followed by the window's own output.
    void begin(std::int64_t sourceLength);
    void add(const Byte* bytes, std::int64_t n);
    void run(Byte byte, std::int64_t n);
    // `address` counts from the segment's start; at sourceLength and above it is in the
    // window's own output, before the copy's first byte (the copy may overlap its output).
    void copy(std::int64_t address, std::int64_t n);
    // Bytes of output the window has made so far.
    std::int64_t made() const { return made_; }

    // Hands the whole window to `sink`: its indicator, the segment (which starts at
    // `sourcePosition` of the source file) and the delta with the Adler-32 of its output.
    bool finish(std::int64_t sourcePosition, std::uint32_t checksum, const Sink& sink);

private:
    struct Instruction {
        Vcdiff::Type type = Vcdiff::Type::None;
        std::int64_t size = 0;
        std::int64_t address = 0;  // of a copy
        std::int64_t here = 0;     // where its output starts, in the segment and output together
    };
    void push(const Instruction& next);
    void settle(const Instruction& instruction);
    void writeAlone(const Instruction& single);
    void putSize(std::int64_t size);
    int modeOf(const Instruction& copy);  // writes its address and updates the caches

    std::int64_t sourceLength_ = 0;
    std::int64_t made_ = 0;
    Instruction settled_;  // final, waiting to see whether it pairs with the next
    Instruction open_;     // may still grow
    Vcdiff::AddressCache cache_;
    std::vector<Byte> data_, instructions_, addresses_;
};
