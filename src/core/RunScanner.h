#pragma once

#include <QString>

#include <cerrno>
#include <algorithm>

#include <cstdint>
#include <functional>

#include "FilePair.h"

// The stretches at which two files differ, found through the pair reader (mapped pages,
// holes passed over) away from any widget, so that a worker thread, the command line and
// the tests share it.
namespace RunScanner {

// A maximal stretch of consecutive addresses, within the bytes both ranges of the pair
// hold, at which the two files differ; at A's own addresses (B's lie as far from its
// origin).
struct Run {
    std::int64_t address = 0;
    std::int64_t length = 0;
};
// How many of a run's first bytes the list shows.
constexpr int kShownBytes = 8;

// The pair of files a scan reads, opened as the list of changes opens its own.
using FilePair = ::FilePair;

// Bytes compared per step; progress, stopping and the hand-over of found runs happen
// between steps.
constexpr std::int64_t kChunkBytes = 4 * 1024 * 1024;

struct ScanResult {
    std::int64_t reached = 0;  // every address below this one was compared
    bool stopped = false;      // a callback asked to stop
    bool failed = false;       // a read failed (not the file ending early)
    bool cutShort = false;     // a file ended before its size as opened said
};

// Compares A's addresses [from, end) of the pair, clipped to [originA, commonEndA), with
// B's as far from its origin, calling onRun for every run, complete, in address order (a
// run that started before `from` is reported from `from`), and afterChunk with the address
// reached after every step. Either returns false to stop; a run still open then is not
// reported. A file that has become shorter ends the scan at its real end.
ScanResult scanRuns(const FilePair& files, std::int64_t from, std::int64_t end,
                    const std::function<bool(const Run&)>& onRun,
                    const std::function<bool(std::int64_t reached)>& afterChunk = {});

// Called between steps of a search with the address it has reached (going down for the
// previous run); returns false to stop it.
using SearchProgress = std::function<bool(std::int64_t reached)>;

// The first address > `position` at which a run starts, or -1 (also when stopped). These
// too are A's addresses.
std::int64_t nextRunStart(const FilePair& files, std::int64_t position, const SearchProgress& progress = {});
// The address at which the last run starting before `position` starts, or -1 (also when
// stopped).
std::int64_t previousRunStart(const FilePair& files, std::int64_t position, const SearchProgress& progress = {});

}  // namespace RunScanner
