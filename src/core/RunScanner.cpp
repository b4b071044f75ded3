#include "RunScanner.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <bit>
#include <vector>

#include "FileLayer.h"
#include "MappedBytes.h"

namespace RunScanner {

namespace {

using Byte = std::uint8_t;

#if defined(__SSE2__)
// Bit k set when byte k of the 16 at a and b differs (differ) or is equal (!differ).
inline unsigned blockMask(const Byte* a, const Byte* b, bool differ) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a));
    const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b));
    const unsigned equal = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(x, y)));
    return differ ? (~equal & 0xFFFFu) : equal;
}
#endif

// The first k in [i, n) at which a[k] != b[k] is `differ`, else n.
std::int64_t findFirst(const Byte* a, const Byte* b, std::int64_t i, std::int64_t n, bool differ) {
#if defined(__SSE2__)
    if (differ) {
        // Equal stretches are long: sixty-four bytes per test.
        for (; i + 64 <= n; i += 64) {
            const __m128i e0 = _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i)),
                                              _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i)));
            const __m128i e1 = _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i + 16)),
                                              _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i + 16)));
            const __m128i e2 = _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i + 32)),
                                              _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i + 32)));
            const __m128i e3 = _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i + 48)),
                                              _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i + 48)));
            const __m128i all = _mm_and_si128(_mm_and_si128(e0, e1), _mm_and_si128(e2, e3));
            if (_mm_movemask_epi8(all) != 0xFFFF) break;
        }
    }
    for (; i + 16 <= n; i += 16)
        if (const unsigned mask = blockMask(a + i, b + i, differ)) return i + std::countr_zero(mask);
#endif
    for (; i < n; ++i)
        if ((a[i] != b[i]) == differ) return i;
    return n;
}

// The last k < hi at which a[k] != b[k] is `differ`, else -1.
std::int64_t findLast(const Byte* a, const Byte* b, std::int64_t hi, bool differ) {
    std::int64_t k = hi;
#if defined(__SSE2__)
    for (; k >= 16; k -= 16)
        if (const unsigned mask = blockMask(a + k - 16, b + k - 16, differ))
            return k - 16 + (31 - std::countl_zero(mask));
#endif
    for (; k > 0; --k)
        if ((a[k - 1] != b[k - 1]) == differ) return k - 1;
    return -1;
}

// A run that reaches the end of a chunk and may go on in the next.
struct OpenRun {
    bool open = false;
    Run run;
};

// The runs of bytes [0, n), which stand at address `base`; those that end inside the
// chunk go to `done`, one that reaches its end stays in `state`.
void runsInChunk(const Byte* a, const Byte* b, std::int64_t n, std::int64_t base, OpenRun& state,
                 std::vector<Run>& done) {
    std::int64_t i = 0;
    while (i < n) {
        if (!state.open) {
            i = findFirst(a, b, i, n, true);
            if (i == n) break;
            state.open = true;
            state.run = Run{};
            state.run.address = base + i;
        }
        const std::int64_t end = findFirst(a, b, i, n, false);
        state.run.length += end - i;
        i = end;
        if (i < n) {
            done.push_back(state.run);
            state.open = false;
        }
    }
}

// One step's bytes of both files: mapped when possible, read otherwise.
class ChunkBytes {
public:
    // Runs work(a, b, n) over [pos, pos + span) of both files; n is less than span when a
    // file ends early. False when a read failed. `undo` is called before the bytes are
    // read a second time (a mapped page vanished halfway).
    template <typename Work, typename Undo>
    bool compare(const FilePair& files, std::int64_t pos, std::int64_t span, std::int64_t& n, Work& work, Undo undo) {
        const MappedBytes mapA = MappedBytes::map(files.fdA(), pos, span);
        const MappedBytes mapB = mapA ? MappedBytes::map(files.fdB(), pos, span) : MappedBytes();
        n = span;
        auto mapped = [&] { work(mapA.data(), mapB.data(), span); };
        if (mapB && MappedBytes::read({&mapA, &mapB}, mapped)) return true;
        undo();
        if (bytesA_.size() < std::size_t(span)) {
            bytesA_.resize(std::size_t(span));
            bytesB_.resize(std::size_t(span));
        }
        const std::int64_t gotA = FileLayer::pread(files.fdA(), bytesA_.data(), span, pos);
        const std::int64_t gotB = gotA < 0 ? -1 : FileLayer::pread(files.fdB(), bytesB_.data(), span, pos);
        if (gotB < 0) return false;
        n = std::min({span, gotA, gotB});
        work(bytesA_.data(), bytesB_.data(), n);
        return true;
    }

private:
    std::vector<Byte> bytesA_, bytesB_;
};

constexpr std::int64_t kStoppedWalk = -2;

// The last address below `hi` at which the files differ (differ) or agree, -1 for none,
// kStoppedWalk when `progress` stopped the walk.
std::int64_t lastWhere(const FilePair& files, std::int64_t hi, bool differ, const Progress& progress) {
    ChunkBytes chunk;
    while (hi > 0) {
        if (progress && !progress(hi)) return kStoppedWalk;
        const std::int64_t lo = std::max<std::int64_t>(0, hi - kChunkBytes);
        std::int64_t at = -1, n = 0;
        auto work = [&](const Byte* a, const Byte* b, std::int64_t count) { at = findLast(a, b, count, differ); };
        if (!chunk.compare(files, lo, hi - lo, n, work, [&] { at = -1; })) return -1;
        if (at >= 0) return lo + at;
        hi = lo;
    }
    return -1;
}

}  // namespace

ScanResult scanRuns(const FilePair& files, std::int64_t from, std::int64_t end,
                    const std::function<bool(const Run&)>& onRun,
                    const std::function<bool(std::int64_t)>& afterChunk) {
    ScanResult result;
    if (files.error() != 0) {
        result.failed = true;
        return result;
    }
    from = std::max<std::int64_t>(from, 0);
    end = std::min(end, files.commonSize());
    result.reached = from;
    OpenRun state;
    std::vector<Run> done;
    done.reserve(4096);
    ChunkBytes chunk;
    for (std::int64_t pos = from; pos < end;) {
        const std::int64_t span = std::min(kChunkBytes, end - pos);
        const OpenRun before = state;
        done.clear();
        std::int64_t compared = 0;
        auto work = [&](const Byte* a, const Byte* b, std::int64_t n) { runsInChunk(a, b, n, pos, state, done); };
        if (!chunk.compare(files, pos, span, compared, work, [&] {
                state = before;
                done.clear();
            })) {
            result.failed = true;
            return result;
        }
        for (const Run& run : done)
            if (!onRun(run)) {
                result.stopped = true;
                return result;
            }
        pos += compared;
        result.reached = pos;
        if (compared < span) {
            result.cutShort = true;
            break;
        }
        if (afterChunk && !afterChunk(pos)) {
            result.stopped = true;
            return result;
        }
    }
    if (state.open && !onRun(state.run)) result.stopped = true;
    return result;
}

std::int64_t nextRunStart(const FilePair& files, std::int64_t position, const Progress& progress) {
    std::int64_t found = -1;
    // A run reported at `position` itself holds it (it may have begun earlier): not next.
    const ScanResult result = scanRuns(
        files, position, files.commonSize(),
        [&](const Run& run) {
            if (run.address <= position) return true;
            found = run.address;
            return false;
        },
        progress);
    return result.stopped && found < 0 ? -1 : found;
}

std::int64_t previousRunStart(const FilePair& files, std::int64_t position, const Progress& progress) {
    if (files.error() != 0) return -1;
    const std::int64_t last = lastWhere(files, std::min(position, files.commonSize()), true, progress);
    if (last < 0) return -1;
    const std::int64_t before = lastWhere(files, last, false, progress);
    return before == kStoppedWalk ? -1 : before + 1;
}

}  // namespace RunScanner
