#pragma once

#include <QDockWidget>
#include <QElapsedTimer>

#include <cstdint>

class PairView;
class QComboBox;
class QTableView;
class QTimer;
class ValuesModel;

// "Значения под курсором" (Сервис, Ctrl+I): what the bytes at the cursor read as in both
// files, in the byte order chosen. It follows the focused cell of the grid (each file at the
// address compared with it) or, in the aligned view, each file's own address.
class ValuesDock : public QDockWidget {
    Q_OBJECT

public:
    ValuesDock(QMainWindow& window, PairView& view);

    // The command: shows the panel, or hides it again.
    void toggle();
    // The cursor of the aligned view: file A at `addressA`, file B at `addressB` (-1 for a
    // gap); -1 for both gives the grid's cursor back.
    void followAligned(std::int64_t addressA, std::int64_t addressB);

    QTableView* table() const { return table_; }
    QComboBox* byteOrder() const { return order_; }

private:
    // The cursor moved or the bytes changed: the table follows at once, unless the cursor
    // moves faster than a reader can read, when it follows once it stops.
    void follow();
    void refresh();

    QMainWindow& window_;
    PairView& view_;
    ValuesModel* model_ = nullptr;
    QTableView* table_ = nullptr;
    QComboBox* order_ = nullptr;
    QTimer* settle_ = nullptr;
    QElapsedTimer lastMove_;  // since the cursor last moved
    std::int64_t alignedA_ = -1, alignedB_ = -1;
    std::int64_t lastFocused_ = -1;  // in the file in view
};
