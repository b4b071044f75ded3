#include "DifferenceIndex.h"

#include <QTimer>

#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "ComparedFiles.h"
#include "Pacing.h"

// What the list's worker hands over; the window's thread takes it every few tens of
// milliseconds.
struct DifferenceIndex::Scan {
    std::mutex mutex;
    std::vector<RunScanner::Run> fresh;  // found since the last hand-over, to keep
    std::int64_t runCount = 0, differingBytes = 0, reached = 0;
    std::vector<std::uint8_t> buckets;
    bool done = false;
    RunScanner::ScanResult result;
    std::atomic<bool> stop{false};
};

// One search for the next or previous run.
struct DifferenceIndex::Search {
    std::atomic<bool> stop{false};
    std::atomic<bool> done{false};
    std::atomic<std::int64_t> reached{0};
    std::int64_t from = 0, to = 0;  // the stretch it searches, for its progress
    std::int64_t found = -1;        // written before `done`
};

namespace {

// The list's worker: one pass over both files, handing runs over after every step.
void scanFiles(DifferenceIndex::Scan& scan, const RunScanner::FilePair& files);

}  // namespace

DifferenceIndex::DifferenceIndex(ComparedFiles& files, QObject* parent) : QObject(parent), files_(files) {
    drainTimer_ = new QTimer(this);
    drainTimer_->setInterval(Pacing::kInterval);
    connect(drainTimer_, &QTimer::timeout, this, &DifferenceIndex::drain);
    connect(&files_, &ComparedFiles::bytesMayHaveChanged, this, [this] {
        markOutOfDate();
        if (seeking()) cancelSeek();
    });
}

DifferenceIndex::~DifferenceIndex() {
    joinScan();
    joinSearch();
}

void DifferenceIndex::joinScan() {
    if (!scanWorker_.joinable()) return;
    scan_->stop = true;
    scanWorker_.join();
}

void DifferenceIndex::joinSearch() {
    if (!searchWorker_.joinable()) return;
    search_->stop = true;
    searchWorker_.join();
}

void DifferenceIndex::setShift(std::int64_t shift) {
    if (shift == shift_) return;
    shift_ = shift;
    markOutOfDate();
    if (seeking()) cancelSeek();
}

std::shared_ptr<const RunScanner::FilePair> DifferenceIndex::openPair() const {
    CompareRange range;
    (shift_ >= 0 ? range.skipB : range.skipA) = shift_ >= 0 ? shift_ : -shift_;
    return std::make_shared<const RunScanner::FilePair>(files_.path(ComparedFiles::A), files_.path(ComparedFiles::B), range);
}

bool DifferenceIndex::upToDate() const { return state_ == State::Complete && pair_ && pair_->unchangedOnDisk(); }

void DifferenceIndex::start() {
    joinScan();
    ++generation_;
    runs_.clear();
    reached_ = 0;
    // What the disk holds now is what the list will be of.
    files_.checkDisk();
    pair_.reset();
    if (files_.bothLoaded()) pair_ = openPair();
    if (!pair_ || pair_->error() != 0) {
        state_ = pair_ ? State::Failed : State::OutOfDate;
        sizeA_ = sizeB_ = 0;
        map_.reset(0);
        emit changed();
        return;
    }
    // At a shift, the parts compared, by A's addresses: "longer" tells which runs on.
    sizeA_ = pair_->originA() + pair_->rangeSizeA();
    sizeB_ = pair_->originA() + pair_->rangeSizeB();
    map_.reset(pair_->commonEndA());
    state_ = State::Scanning;
    scan_ = std::make_shared<Scan>();
    scanWorker_ = std::thread([scan = scan_, pair = pair_] { scanFiles(*scan, *pair); });
    updateTimer();
    emit changed();
}

void DifferenceIndex::stop() {
    if (state_ != State::Scanning) return;
    joinScan();
    drain();
}

void DifferenceIndex::markOutOfDate() {
    if (state_ == State::Empty) return;
    joinScan();
    state_ = State::OutOfDate;
    ++generation_;
    // Runs that may no longer hold are not kept at all.
    runs_.clear();
    pair_.reset();
    map_.reset(0);
    reached_ = 0;
    updateTimer();
    emit changed();
}

void DifferenceIndex::drain() {
    if (state_ == State::Scanning && scan_) {
        bool done = false;
        {
            std::lock_guard lock(scan_->mutex);
            for (const RunScanner::Run& run : scan_->fresh) runs_.add(run);
            scan_->fresh.clear();
            // Runs past what the list keeps were only counted.
            runs_.setTotals(scan_->runCount, scan_->differingBytes);
            reached_ = scan_->reached;
            if (!scan_->buckets.empty()) map_.setBuckets(scan_->buckets);
            done = scan_->done;
        }
        if (done) finishScan();
        emit changed();
    }
    if (question_) {
        if (search_) {
            if (search_->done) {
                joinSearch();
                answer(search_->found);
            } else {
                const std::int64_t span = std::abs(search_->to - search_->from);
                const double done = span == 0 ? 0.0 : double(std::abs(search_->reached - search_->from)) / double(span);
                emit seekProgress(std::clamp(done, 0.0, 1.0));
            }
        } else if (const std::optional<std::int64_t> found = answerFromList()) {
            answer(*found);
        } else if (state_ != State::Scanning || runs_.stoppedKeeping()) {
            // A list past what it keeps can no longer answer: a search does.
            startSearch();
        }
    }
    updateTimer();
}

void DifferenceIndex::finishScan() {
    if (scanWorker_.joinable()) scanWorker_.join();
    const RunScanner::ScanResult result = scan_->result;
    scan_.reset();
    // The batches handed over between the threads are freed now; give their pages back,
    // so that the list costs what it keeps and no more.
    malloc_trim(0);
    if (result.failed)
        state_ = State::Failed;
    else if (result.stopped)
        state_ = State::Stopped;
    // A file that ended early, was replaced or written while the list was made: the list
    // is of no file as it is now.
    else if (result.cutShort || !pair_->unchangedOnDisk())
        markOutOfDate();
    else
        state_ = State::Complete;
}

std::optional<std::int64_t> DifferenceIndex::answerFromList() const {
    if (state_ != State::Scanning && state_ != State::Complete) return std::nullopt;
    if (state_ == State::Complete && !upToDate()) return std::nullopt;
    const Question& q = *question_;
    const std::int64_t kept = runs_.kept();
    // Runs come in address order, each once it has ended: a kept run beyond the position
    // settles both questions, a finished list settles every one.
    const bool settled = state_ == State::Complete || (kept > 0 && runs_.at(kept - 1).address >= q.position + (q.forward ? 1 : 0));
    if (!settled) return std::nullopt;
    const std::int64_t found = q.forward ? runs_.nextStart(q.position) : runs_.previousStart(q.position);
    if (found == RunList::kUnknown) return std::nullopt;
    return found;
}

bool DifferenceIndex::seek(std::int64_t position, bool forward) {
    if (question_) return false;
    question_ = Question{position, forward};
    if (const std::optional<std::int64_t> found = answerFromList()) {
        answer(*found);
        return true;
    }
    // A list on its way answers once it gets there; a second pass beside it would only
    // halve the speed of both.
    if (state_ != State::Scanning || runs_.stoppedKeeping()) startSearch();
    updateTimer();
    return true;
}

void DifferenceIndex::startSearch() {
    if (!files_.bothLoaded()) {
        answer(-1);
        return;
    }
    search_ = std::make_shared<Search>();
    auto pair = openPair();
    // Forward to the end of the shorter file, or backward to its start.
    search_->from = std::clamp<std::int64_t>(question_->position, pair->originA(), pair->commonEndA());
    search_->to = question_->forward ? pair->commonEndA() : pair->originA();
    search_->reached = search_->from;
    searchWorker_ = std::thread([search = search_, pair, q = *question_] {
        const auto progress = [&](std::int64_t reached) {
            search->reached = reached;
            return !search->stop.load();
        };
        search->found = q.forward ? RunScanner::nextRunStart(*pair, q.position, progress)
                                  : RunScanner::previousRunStart(*pair, q.position, progress);
        search->done = true;
    });
    emit seekProgress(0.0);
}

void DifferenceIndex::answer(std::int64_t address) {
    const bool forward = question_->forward;
    question_.reset();
    search_.reset();
    updateTimer();
    emit runFound(address, forward);
}

void DifferenceIndex::cancelSeek() {
    if (!question_) return;
    joinSearch();
    question_.reset();
    search_.reset();
    updateTimer();
    emit seekCancelled();
}

void DifferenceIndex::updateTimer() {
    const bool busy = state_ == State::Scanning || question_.has_value();
    if (busy && !drainTimer_->isActive()) drainTimer_->start();
    if (!busy) drainTimer_->stop();
}

namespace {

void scanFiles(DifferenceIndex::Scan& scan, const RunScanner::FilePair& files) {
    RunMap map;
    map.reset(files.commonEndA());
    std::vector<RunScanner::Run> found;
    std::int64_t runCount = 0, differingBytes = 0;
    auto handOver = [&](std::int64_t reached) {
        std::lock_guard lock(scan.mutex);
        scan.fresh.insert(scan.fresh.end(), found.begin(), found.end());
        found.clear();
        scan.runCount = runCount;
        scan.differingBytes = differingBytes;
        scan.reached = reached;
        scan.buckets = map.buckets();
    };
    const RunScanner::ScanResult result = RunScanner::scanRuns(
        files, files.originA(), files.commonEndA(),
        [&](const RunScanner::Run& run) {
            if (runCount < RunList::kKeptRuns) found.push_back(run);
            ++runCount;
            differingBytes += run.length;
            map.mark(run.address, run.length);
            return true;
        },
        [&](std::int64_t reached) {
            handOver(reached);
            return !scan.stop.load();
        });
    handOver(result.reached);
    std::lock_guard lock(scan.mutex);
    scan.result = result;
    scan.done = true;
}

}  // namespace

bool DifferenceIndex::heardAsTheyHappen() const { return files_.watched(ComparedFiles::A) && files_.watched(ComparedFiles::B); }
