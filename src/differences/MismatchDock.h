#pragma once

#include <QDockWidget>
#include <QStringList>

#include <functional>
#include <cstdint>
#include <memory>

struct PanelHead;
class QPushButton;
class QTableView;
class DifferenceIndex;
class MismatchMap;
class MismatchModel;
class QMainWindow;
class UiServices;

// "Список несовпадений": the list of runs the window's index of differences makes on a
// worker, shown as it comes, with the map of the whole file beside it. The index decides
// when the list is out of date; this panel shows it.
class MismatchDock : public QDockWidget {
    Q_OBJECT

public:
    MismatchDock(QMainWindow& window, DifferenceIndex& index);
    ~MismatchDock() override;

    // The command: shows the panel and makes the list unless it is up to date.
    void showList();
    // What the window shows: the screen marked on the map (-1 for none), and whether a new
    // list may be asked for (two files, no edits waiting).
    void showScreen(std::int64_t screenStart, bool refreshAllowed);
    // Selects the row of the run that holds `address`, if one does.
    void followAddress(std::int64_t address);

    // The text columns show the DOS code page.
    void setDos(bool dos);
    // "Копировать" and "Сохранить список…" of the table; `loaded` names the files the
    // window has open, which are never written.
    void addExport(UiServices& ui, std::function<QStringList()> loaded);

    // "Перенести в файл …" on the current row: the bytes `lengthFrom` long at `from` of the
    // other file are to go into file `target` (1 A, 2 B) in place of the `lengthTo` at `to`.
    std::function<void(int target, std::int64_t from, std::int64_t to, std::int64_t lengthFrom, std::int64_t lengthTo)>
        onTakeOver;

    // Where a row, or a click on the map, sends both files.
    std::function<void(std::int64_t address)> onGoTo;
    // "Список изменений (Ctrl+K)": offered when the runs look like bytes inserted or deleted.
    std::function<void()> onShowChanges;

private:
    void indexChanged();
    void showSummary();
    // The runs look like bytes inserted or deleted rather than changed in place.
    bool looksShifted() const;
    void activateRow(int row);

    QMainWindow& window_;
    DifferenceIndex& index_;
    int shownGeneration_ = -1;  // the index's list the rows are of
    bool refreshAllowed_ = false;

    MismatchModel* model_ = nullptr;
    QTableView* table_ = nullptr;
    MismatchMap* mapStrip_ = nullptr;
    QPushButton* toChanges_ = nullptr;
    std::unique_ptr<PanelHead> head_;
};
