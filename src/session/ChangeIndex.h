#pragma once

#include <QObject>

#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "ChangeScript.h"

class ComparedFiles;
class FilePair;
class QTimer;

// The changes, insertions and deletions included, that turn file A into file B: found on
// a worker while the window stays usable. Out of date when the bytes of a slot may have
// changed, and only then; a script whose files changed while it was made is never taken
// for a complete one.
class ChangeIndex : public QObject {
    Q_OBJECT

public:
    enum class State { Empty, Working, Stopped, Complete, OutOfDate, Failed };
    // The changes kept for the list; a longer script is counted, not kept.
    static constexpr std::size_t kKeptChanges = 1'000'000;

    explicit ChangeIndex(ComparedFiles& files, QObject* parent = nullptr);
    ~ChangeIndex() override;

    void start();
    void stop();

    State state() const { return state_; }
    // Whether another program's writes into the compared files are heard as they happen; on
    // a file system that does not tell, only the looks at the disk (a redraw, the end of a
    // scan) do.
    bool heardAsTheyHappen() const;
    const std::vector<Change>& changes() const { return changes_; }
    const ChangeTotals& totals() const { return totals_; }
    // How much of the work is done, 0 to 1.
    double done() const { return done_; }
    // The list holds every change of A's [0, settledA()) into B's [0, settledB()): the
    // whole files once complete, as far as the search came once stopped.
    std::int64_t settledA() const { return settledA_; }
    std::int64_t settledB() const { return settledB_; }
    std::int64_t sizeA() const { return sizeA_; }
    std::int64_t sizeB() const { return sizeB_; }
    // Counts the scripts begun and emptied: another number, another script.
    int generation() const { return generation_; }
    // The files the script is of, open for reading the rows' bytes; empty when none.
    std::shared_ptr<const FilePair> files() const { return pair_; }

    struct Work;

signals:
    void changed();

private:
    void markOutOfDate();
    void drain();
    void join();

    ComparedFiles& files_;
    State state_ = State::Empty;
    int generation_ = 0;
    std::vector<Change> changes_;
    ChangeTotals totals_;
    double done_ = 0;
    std::int64_t settledA_ = 0, settledB_ = 0;
    std::int64_t sizeA_ = 0, sizeB_ = 0;
    std::shared_ptr<const FilePair> pair_;
    std::shared_ptr<Work> work_;
    std::thread worker_;
    QTimer* drainTimer_ = nullptr;
};
