#include "Adler32.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace Adler32 {

namespace {

constexpr std::uint32_t kModulus = 65521;
// The most bytes summed before the sums are reduced: b * (b + 1) / 2 * 255 + (b + 1) *
// (kModulus - 1) stays below 2^32.
constexpr std::int64_t kLongestUnreduced = 5552;

std::uint32_t plain(std::uint32_t sum, const std::uint8_t* bytes, std::int64_t n) {
    std::uint32_t s1 = sum & 0xFFFF, s2 = sum >> 16;
    while (n > 0) {
        const std::int64_t block = n < kLongestUnreduced ? n : kLongestUnreduced;
        n -= block;
        for (std::int64_t i = 0; i < block; ++i) {
            s1 += bytes[i];
            s2 += s1;
        }
        bytes += block;
        s1 %= kModulus;
        s2 %= kModulus;
    }
    return (s2 << 16) | s1;
}

#if defined(__x86_64__)
// 32 bytes a step: the bytes' sum, and their sum weighted 32..1, which is what each adds to
// s2; s2 also gains 32 times the running s1 before every step.
__attribute__((target("avx2"))) std::uint32_t wide(std::uint32_t sum, const std::uint8_t* bytes, std::int64_t n) {
    constexpr std::int64_t kStepsPerBlock = 1024;  // the lanes below stay far from overflowing
    std::uint64_t s1 = sum & 0xFFFF, s2 = sum >> 16;
    const __m256i weights = _mm256_setr_epi8(32, 31, 30, 29, 28, 27, 26, 25, 24, 23, 22, 21, 20, 19, 18, 17, 16, 15, 14,
                                             13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1);
    const __m256i ones = _mm256_set1_epi16(1), zero = _mm256_setzero_si256();
    while (n >= 32) {
        const std::int64_t steps = n / 32 < kStepsPerBlock ? n / 32 : kStepsPerBlock;
        __m256i byteSums = zero, earlierSums = zero, weighted = zero;
        for (std::int64_t k = 0; k < steps; ++k) {
            const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes + 32 * k));
            earlierSums = _mm256_add_epi64(earlierSums, byteSums);
            byteSums = _mm256_add_epi64(byteSums, _mm256_sad_epu8(v, zero));
            weighted = _mm256_add_epi32(weighted, _mm256_madd_epi16(_mm256_maddubs_epi16(v, weights), ones));
        }
        alignas(32) std::uint64_t b[4], e[4];
        alignas(32) std::uint32_t w[8];
        _mm256_store_si256(reinterpret_cast<__m256i*>(b), byteSums);
        _mm256_store_si256(reinterpret_cast<__m256i*>(e), earlierSums);
        _mm256_store_si256(reinterpret_cast<__m256i*>(w), weighted);
        const std::uint64_t added = b[0] + b[1] + b[2] + b[3];
        const std::uint64_t earlier = e[0] + e[1] + e[2] + e[3];
        std::uint64_t weightedSum = 0;
        for (std::uint32_t x : w) weightedSum += x;
        s2 = (s2 + std::uint64_t(32 * steps) * s1 + 32 * earlier + weightedSum) % kModulus;
        s1 = (s1 + added) % kModulus;
        bytes += 32 * steps;
        n -= 32 * steps;
    }
    return plain(std::uint32_t((s2 << 16) | s1), bytes, n);
}

bool hasWide() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}
#endif

}  // namespace

std::uint32_t update(std::uint32_t sum, const std::uint8_t* bytes, std::int64_t n) {
    if (n <= 0) return sum;
#if defined(__x86_64__)
    if (n >= 64 && hasWide()) return wide(sum, bytes, n);
#endif
    return plain(sum, bytes, n);
}

}  // namespace Adler32
