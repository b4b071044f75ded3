#include "ChangeIndex.h"

#include <QTimer>

#include <atomic>
#include <mutex>

#include "ChangeFinder.h"
#include "ComparedFiles.h"
#include "FilePair.h"
#include "Pacing.h"

// What the worker hands over; the window's thread takes it at the pace of progress.
struct ChangeIndex::Work {
    std::mutex mutex;
    std::vector<Change> fresh;
    ChangeTotals totals;
    double done = 0;
    std::int64_t settledA = 0, settledB = 0;
    bool finished = false;
    ChangeFinder::Outcome outcome = ChangeFinder::Outcome::Done;
    std::atomic<bool> stop{false};
};

ChangeIndex::ChangeIndex(ComparedFiles& files, QObject* parent) : QObject(parent), files_(files) {
    drainTimer_ = new QTimer(this);
    drainTimer_->setInterval(Pacing::kInterval);
    connect(drainTimer_, &QTimer::timeout, this, &ChangeIndex::drain);
    connect(&files_, &ComparedFiles::bytesMayHaveChanged, this, &ChangeIndex::markOutOfDate);
}

ChangeIndex::~ChangeIndex() { join(); }

void ChangeIndex::join() {
    if (!worker_.joinable()) return;
    work_->stop = true;
    worker_.join();
}

void ChangeIndex::start() {
    join();
    ++generation_;
    changes_.clear();
    totals_ = {};
    done_ = 0;
    settledA_ = settledB_ = 0;
    files_.checkDisk();
    pair_.reset();
    if (files_.bothLoaded()) pair_ = std::make_shared<const FilePair>(files_.path(ComparedFiles::A), files_.path(ComparedFiles::B));
    if (!pair_ || pair_->error() != 0) {
        state_ = pair_ ? State::Failed : State::OutOfDate;
        sizeA_ = sizeB_ = 0;
        emit changed();
        return;
    }
    sizeA_ = pair_->sizeA();
    sizeB_ = pair_->sizeB();
    state_ = State::Working;
    work_ = std::make_shared<Work>();
    worker_ = std::thread([work = work_, pair = pair_] {
        std::vector<Change> found;
        ChangeTotals totals;
        ChangeFinder::Progress reached;
        const auto handOver = [&](double done) {
            std::lock_guard lock(work->mutex);
            work->fresh.insert(work->fresh.end(), found.begin(), found.end());
            found.clear();
            work->totals = totals;
            work->done = done;
            work->settledA = reached.settledA;
            work->settledB = reached.settledB;
        };
        std::size_t kept = 0;
        const ChangeFinder::Outcome outcome = ChangeFinder::findChanges(
            *pair,
            [&](const Change& change) {
                if (kept++ < kKeptChanges) found.push_back(change);
                totals.add(change);
                return !work->stop.load();
            },
            ChangeFinder::ProgressWatcher([&](const ChangeFinder::Progress& progress) {
                reached = progress;
                handOver(progress.total > 0 ? double(progress.done) / double(progress.total) : 0.0);
                return !work->stop.load();
            }));
        if (outcome == ChangeFinder::Outcome::Done) reached.settledA = pair->sizeA(), reached.settledB = pair->sizeB();
        handOver(1.0);
        std::lock_guard lock(work->mutex);
        work->outcome = outcome;
        work->finished = true;
    });
    drainTimer_->start();
    emit changed();
}

void ChangeIndex::stop() {
    if (state_ != State::Working) return;
    join();
    drain();
}

void ChangeIndex::markOutOfDate() {
    if (state_ == State::Empty) return;
    join();
    drainTimer_->stop();
    ++generation_;
    state_ = State::OutOfDate;
    changes_.clear();
    totals_ = {};
    pair_.reset();
    emit changed();
}

void ChangeIndex::drain() {
    if (state_ != State::Working || !work_) return;
    bool finished = false;
    ChangeFinder::Outcome outcome = ChangeFinder::Outcome::Done;
    {
        std::lock_guard lock(work_->mutex);
        changes_.insert(changes_.end(), work_->fresh.begin(), work_->fresh.end());
        work_->fresh.clear();
        totals_ = work_->totals;
        done_ = work_->done;
        settledA_ = work_->settledA;
        settledB_ = work_->settledB;
        finished = work_->finished;
        outcome = work_->outcome;
    }
    if (finished) {
        if (worker_.joinable()) worker_.join();
        work_.reset();
        drainTimer_->stop();
        if (outcome == ChangeFinder::Outcome::Stopped) {
            state_ = State::Stopped;
        } else if (!pair_->unchangedOnDisk()) {
            // Written, replaced or cut short while the script was made: of no file as it is.
            markOutOfDate();
            return;
        } else {
            state_ = outcome == ChangeFinder::Outcome::Done ? State::Complete : State::Failed;
        }
    }
    emit changed();
}

bool ChangeIndex::heardAsTheyHappen() const { return files_.watched(ComparedFiles::A) && files_.watched(ComparedFiles::B); }
