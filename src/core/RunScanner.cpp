#include "RunScanner.h"

#include <fcntl.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "FileLayer.h"
#include "PairReader.h"

namespace RunScanner {

namespace {

using Byte = std::uint8_t;

static_assert(kChunkBytes <= PairReader::kLargestStep);

// A run that reaches the end of a piece and may go on in the next.
struct OpenRun {
    bool open = false;
    Run run;
};

// The runs of the piece [at, at + n) (see PairReader::Work); those that end inside it go to
// `done`, one that reaches its end stays in `state`.
void runsInPiece(std::int64_t at, const Byte* a, const Byte* b, std::int64_t n, OpenRun& state,
                 std::vector<Run>& done) {
    if (!a) {  // equal throughout
        if (state.open) done.push_back(state.run);
        state.open = false;
        return;
    }
    std::int64_t i = 0;
    while (i < n) {
        if (!state.open) {
            i = PairReader::findFirst(a, b, i, n, true);
            if (i == n) break;
            state.open = true;
            state.run = Run{};
            state.run.address = at + i;
        }
        const std::int64_t end = PairReader::findFirst(a, b, i, n, false);
        state.run.length += end - i;
        i = end;
        if (i < n) {
            done.push_back(state.run);
            state.open = false;
        }
    }
}

// The pair's reader: A's addresses, B's bytes at the same distance from its origin.
PairReader readerOf(const FilePair& files) {
    return PairReader(files.fdA(), files.sizeA(), files.fdB(), files.sizeB(), files.originB() - files.originA());
}

// The last address in [lo, hi) at which the files differ (differ) or agree, lo - 1 when
// there is none, nothing when progress stopped the search or a read failed.
std::optional<std::int64_t> lastWhere(PairReader& reader, std::int64_t lo, std::int64_t hi, bool differ,
                                      const SearchProgress& progress) {
    while (hi > lo) {
        std::int64_t found = -1;
        const auto work = [&](std::int64_t at, const Byte* a, const Byte* b, std::int64_t n) {
            const std::int64_t k = a ? PairReader::findLast(a, b, n, differ) : differ ? -1 : n - 1;
            if (k < 0) return true;
            found = at + k;
            return false;
        };
        const PairReader::Step step = reader.backward(lo, hi, kChunkBytes, work, [&] { found = -1; });
        if (step.failed) return std::nullopt;
        if (found >= 0) return found;
        hi = step.begin;
        if (progress && hi > lo && !progress(hi)) return std::nullopt;
    }
    return lo - 1;
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
    from = std::max(from, files.originA());
    end = std::min(end, files.commonEndA());
    result.reached = from;
    PairReader reader = readerOf(files);
    OpenRun state;
    std::vector<Run> done;
    done.reserve(4096);
    for (std::int64_t pos = from; pos < end;) {
        const OpenRun before = state;
        done.clear();
        const auto work = [&](std::int64_t at, const Byte* a, const Byte* b, std::int64_t n) {
            runsInPiece(at, a, b, n, state, done);
            return true;
        };
        const PairReader::Step step = reader.forward(pos, end, kChunkBytes, work, [&] {
            state = before;
            done.clear();
        });
        if (step.failed) {
            result.failed = true;
            return result;
        }
        for (const Run& run : done)
            if (!onRun(run)) {
                result.stopped = true;
                return result;
            }
        pos = step.end;
        result.reached = pos;
        if (step.cutShort) {
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

std::int64_t nextRunStart(const FilePair& files, std::int64_t position, const SearchProgress& progress) {
    std::int64_t found = -1;
    // A run reported at `position` itself holds it (it may have begun earlier): not next.
    scanRuns(
        files, position, files.commonEndA(),
        [&](const Run& run) {
            if (run.address <= position) return true;
            found = run.address;
            return false;
        },
        progress);
    return found;
}

std::int64_t previousRunStart(const FilePair& files, std::int64_t position, const SearchProgress& progress) {
    if (files.error() != 0) return -1;
    PairReader reader = readerOf(files);
    const std::int64_t lo = files.originA();
    const std::optional<std::int64_t> last = lastWhere(reader, lo, std::min(position, files.commonEndA()), true, progress);
    if (!last || *last < lo) return -1;
    const std::optional<std::int64_t> agreeing = lastWhere(reader, lo, *last, false, progress);
    return agreeing ? *agreeing + 1 : -1;
}

}  // namespace RunScanner
