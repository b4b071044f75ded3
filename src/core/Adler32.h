#pragma once

#include <cstdint>

// The Adler-32 checksum (RFC 1950) that a VCDIFF window may carry of the bytes it makes:
// a patch applied to the wrong source fails at the first window it spoils.
namespace Adler32 {

constexpr std::uint32_t kStart = 1;

// The checksum of the bytes so far (`sum`, kStart for none) followed by `n` more.
std::uint32_t update(std::uint32_t sum, const std::uint8_t* bytes, std::int64_t n);

}  // namespace Adler32
