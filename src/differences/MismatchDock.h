#pragma once

#include <QDockWidget>

#include <functional>
#include <cstdint>

class QLabel;
class QProgressBar;
class QPushButton;
class QTableView;
class DifferenceIndex;
class MismatchMap;
class MismatchModel;
class fCompBynF;

// "Список несовпадений": the list of runs the window's index of differences makes on a
// worker, shown as it comes, with the map of the whole file beside it. The index decides
// when the list is out of date; this panel shows it.
class MismatchDock : public QDockWidget {
    Q_OBJECT

public:
    explicit MismatchDock(fCompBynF& window);
    ~MismatchDock() override;

    // The command: shows the panel and makes the list unless it is up to date.
    void showList();

    // Where a row, or a click on the map, sends both files.
    std::function<void(std::int64_t address)> onGoTo;

private:
    void indexChanged();
    void showSummary();
    void makeRoom();
    // Selects the row of the run that holds `address` (or starts first after it).
    void followAddress(std::int64_t address);
    void activateRow(int row);

    fCompBynF& window_;
    DifferenceIndex& index_;
    int shownState_ = -1;  // the index's state when the rows were last reset

    MismatchModel* model_ = nullptr;
    QTableView* table_ = nullptr;
    MismatchMap* mapStrip_ = nullptr;
    QLabel* summary_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QPushButton* stop_ = nullptr;
    QPushButton* refresh_ = nullptr;
};
