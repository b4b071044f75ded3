#pragma once

#include <QDockWidget>

#include <functional>
#include <memory>
#include <thread>

#include "RunList.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTableView;
class QTimer;
class MismatchMap;
class MismatchModel;
class fCompBynF;

// "Список несовпадений": the runs of the two loaded files, found on a worker thread and
// shown as they come, with the map of the whole file beside them. Anything that may have
// changed the files' bytes stops the scan and empties the list until it is made again.
class MismatchDock : public QDockWidget {
    Q_OBJECT

public:
    enum class State { Empty, Scanning, Stopped, Complete, OutOfDate, Failed };

    explicit MismatchDock(fCompBynF& window);
    ~MismatchDock() override;

    // The command: shows the panel and makes the list unless it is up to date.
    void showList();
    void startScan();
    void stopScan();
    void markOutOfDate();
    // Out of date when the loaded files are not the ones scanned or changed on disk.
    void checkFiles();

    State state() const { return state_; }
    // A complete list of the files as they are now.
    bool upToDate() const;
    const RunList& runs() const { return runs_; }

    // Where a row, or a click on the map, sends both files.
    std::function<void(std::int64_t address)> onGoTo;

    struct Shared;
    struct DiskState;

private:
    void drain();
    void makeRoom();
    void joinWorker();
    void showSummary();
    static DiskState diskState(fCompBynF& window);

    fCompBynF& window_;
    RunList runs_;
    RunMap map_;
    State state_ = State::Empty;
    std::int64_t sizeA_ = 0, sizeB_ = 0, reached_ = 0;
    std::unique_ptr<DiskState> scanned_;
    std::shared_ptr<Shared> shared_;
    std::shared_ptr<const RunScanner::FilePair> bytes_;  // where the rows' first bytes are read
    std::thread worker_;

    MismatchModel* model_ = nullptr;
    QTableView* table_ = nullptr;
    MismatchMap* mapStrip_ = nullptr;
    QLabel* summary_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QPushButton* stop_ = nullptr;
    QPushButton* refresh_ = nullptr;
    QTimer* drainTimer_ = nullptr;
};
