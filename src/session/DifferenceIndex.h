#pragma once

#include <QObject>

#include <cstdint>
#include <memory>
#include <optional>
#include <thread>

#include "RunList.h"
#include "RunScanner.h"

class ComparedFiles;
class QTimer;

// What is known of where the two compared files differ: the list of runs, made on a worker
// while the window stays usable, and the answers to "the next / previous run from here".
// The list goes out of date when the bytes of a slot may have changed, and only then; a
// list whose files changed while it was being made is never taken for a complete one.
class DifferenceIndex : public QObject {
    Q_OBJECT

public:
    enum class State { Empty, Scanning, Stopped, Complete, OutOfDate, Failed };

    explicit DifferenceIndex(ComparedFiles& files, QObject* parent = nullptr);
    ~DifferenceIndex() override;

    // Makes the list afresh (both files must be loaded).
    void start();
    // Byte x of A is compared with byte x + shift of B (synchronised paging at a shift);
    // another shift puts the list out of date. Runs are told by A's addresses.
    void setShift(std::int64_t shift);
    std::int64_t shift() const { return shift_; }
    // Stops making it; what was found stays, as a stopped list.
    void stop();

    State state() const { return state_; }
    // Whether another program's writes into the compared files are heard as they happen; on
    // a file system that does not tell, only the looks at the disk (a redraw, the end of a
    // scan) do.
    bool heardAsTheyHappen() const;
    // A complete list of the files as the disk has them now.
    bool upToDate() const;
    const RunList& runs() const { return runs_; }
    const RunMap& map() const { return map_; }
    // Counts the lists begun and emptied: another number, another list.
    int generation() const { return generation_; }
    // Every address below this one has been compared.
    std::int64_t reached() const { return reached_; }
    // The files' sizes; at a shift, where each file's compared part ends, by A's addresses.
    std::int64_t sizeA() const { return sizeA_; }
    std::int64_t sizeB() const { return sizeB_; }
    // The files the list was made of, open for reading the rows' bytes; empty when none.
    std::shared_ptr<const RunScanner::FilePair> files() const { return pair_; }

    // F6 / Shift+F6: the start of the run after (forward) or before `position`. Answered
    // at once from a complete list, from the running list once it knows, and otherwise by
    // a search on a worker; the answer comes as runFound. One question at a time: another
    // while one is open is not taken (false).
    bool seek(std::int64_t position, bool forward);
    void cancelSeek();
    bool seeking() const { return question_.has_value(); }

    // What the workers hand over (the list's, and one search's).
    struct Scan;
    struct Search;

signals:
    // The state, the runs or the progress have moved.
    void changed();
    // The answer to seek: a run's start, or -1 when there is none that way.
    void runFound(std::int64_t address, bool forward);
    // How far the search of an open question has come, 0 to 1.
    void seekProgress(double done);
    // The question was dropped: the files changed or it was cancelled.
    void seekCancelled();

private:
    struct Question {
        std::int64_t position;
        bool forward;
    };

    void markOutOfDate();
    std::shared_ptr<const RunScanner::FilePair> openPair() const;
    void drain();
    void finishScan();
    void joinScan();
    // The answer the kept runs give to the open question, if they know it yet.
    std::optional<std::int64_t> answerFromList() const;
    void answer(std::int64_t address);
    void startSearch();
    void joinSearch();
    void updateTimer();

    ComparedFiles& files_;
    std::int64_t shift_ = 0;
    State state_ = State::Empty;
    int generation_ = 0;
    RunList runs_;
    RunMap map_;
    std::int64_t reached_ = 0, sizeA_ = 0, sizeB_ = 0;
    std::shared_ptr<const RunScanner::FilePair> pair_;
    std::shared_ptr<Scan> scan_;
    std::thread scanWorker_;

    std::optional<Question> question_;
    std::shared_ptr<Search> search_;
    std::thread searchWorker_;

    QTimer* drainTimer_ = nullptr;
};
