#pragma once

#include <QDockWidget>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>

class ChangeIndex;
class ChangesModel;
class QMainWindow;
class UiServices;
class QPushButton;
class QTableView;
struct PanelHead;

// "Список изменений": the list of differences in its second mode, which knows inserted and
// deleted bytes. The window's index of changes makes it on a worker; Enter shows a change
// in both files, "Выровненный вид" the two files side by side with its gaps.
class ChangesDock : public QDockWidget {
    Q_OBJECT

public:
    ChangesDock(QMainWindow& window, ChangeIndex& index);
    ~ChangesDock() override;

    // The command: shows the panel and makes the list unless it is complete.
    void showList();
    // Whether a new list may be asked for (two files, no edits waiting).
    void allowRefresh(bool allowed);
    // Makes change `index` the current row.
    void selectChange(std::size_t index);
    // The current row's change, 0 when no row is current.
    std::size_t currentChange() const;

    // The text columns show the DOS code page.
    void setDos(bool dos);
    // "Копировать" and "Сохранить список…" of the table; `loaded` names the files the
    // window has open, which are never written.
    void addExport(UiServices& ui, std::function<QStringList()> loaded);

    // "Перенести в файл …" on the current row: the bytes `lengthFrom` long at `from` of the
    // other file are to go into file `target` (1 A, 2 B) in place of the `lengthTo` at `to`.
    std::function<void(int target, std::int64_t from, std::int64_t to, std::int64_t lengthFrom, std::int64_t lengthTo)>
        onTakeOver;

    // Where Enter on a row sends the two files: A from its address, B from its own.
    std::function<void(std::int64_t addressA, std::int64_t addressB)> onGoTo;
    // "Выровненный вид", and the current row moving to another change.
    std::function<void()> onAligned;
    std::function<void(std::size_t change)> onCurrentChange;

private:
    void indexChanged();
    void showSummary();

    QMainWindow& window_;
    ChangeIndex& index_;
    int shownGeneration_ = -1;
    bool refreshAllowed_ = false;

    ChangesModel* model_ = nullptr;
    QTableView* table_ = nullptr;
    std::unique_ptr<PanelHead> head_;
    QPushButton* aligned_ = nullptr;
};
