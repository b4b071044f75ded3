#pragma once

#include <QString>

#include <cstdint>
#include <functional>

// The stretches at which two files differ, found through the pair reader (mapped pages,
// holes passed over) away from any widget, so that a worker thread, the command line and
// the tests share it.
namespace RunScanner {

// A maximal stretch of consecutive addresses, below the shorter file's size, at which the
// two files differ.
struct Run {
    std::int64_t address = 0;
    std::int64_t length = 0;
};
// How many of a run's first bytes the list shows.
constexpr int kShownBytes = 8;

// Both files opened read-only for one scan, with their sizes as opened. A worker thread
// uses its own pair: the window's file objects are the window's alone.
class FilePair {
public:
    FilePair(const QString& pathA, const QString& pathB);
    ~FilePair();
    FilePair(const FilePair&) = delete;
    FilePair& operator=(const FilePair&) = delete;

    // 0, or the -errno of the first file that could not be opened (`failedPath` names it).
    int error() const { return error_; }
    QString failedPath() const { return failedPath_; }
    int fdA() const { return fdA_; }
    int fdB() const { return fdB_; }
    std::int64_t sizeA() const { return sizeA_; }
    std::int64_t sizeB() const { return sizeB_; }
    std::int64_t commonSize() const { return sizeA_ < sizeB_ ? sizeA_ : sizeB_; }

private:
    int open(const QString& path, std::int64_t& size);
    int fdA_ = -1, fdB_ = -1;
    std::int64_t sizeA_ = 0, sizeB_ = 0;
    int error_ = 0;
    QString failedPath_;
};

// Bytes compared per step; progress, stopping and the hand-over of found runs happen
// between steps.
constexpr std::int64_t kChunkBytes = 4 * 1024 * 1024;

struct ScanResult {
    std::int64_t reached = 0;  // every address below this one was compared
    bool stopped = false;      // a callback asked to stop
    bool failed = false;       // a read failed (not the file ending early)
    bool cutShort = false;     // a file ended before its size as opened said
};

// Compares [from, end) of the pair (end clipped to the common size), calling onRun for
// every run, complete, in address order (a run that started before `from` is reported
// from `from`), and afterChunk with the address reached after every step. Either returns
// false to stop; a run still open then is not reported. A file that has become shorter
// ends the scan at its real end.
ScanResult scanRuns(const FilePair& files, std::int64_t from, std::int64_t end,
                    const std::function<bool(const Run&)>& onRun,
                    const std::function<bool(std::int64_t reached)>& afterChunk = {});

// Called between steps of a search with the address it has reached (going down for the
// previous run); returns false to stop it.
using SearchProgress = std::function<bool(std::int64_t reached)>;

// The first address > `position` at which a run starts, or -1 (also when stopped).
std::int64_t nextRunStart(const FilePair& files, std::int64_t position, const SearchProgress& progress = {});
// The address at which the last run starting before `position` starts, or -1 (also when
// stopped).
std::int64_t previousRunStart(const FilePair& files, std::int64_t position, const SearchProgress& progress = {});

}  // namespace RunScanner
