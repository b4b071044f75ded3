#pragma once

#include <QWidget>

#include <array>

#include "GridGeometry.h"

class HexCell;
class SymbolCell;
class QLabel;
class QLineEdit;

// The screen: column headers, 16 row-address boxes, 256 hexadecimal cells and the
// 256-character view beside them, laid out row-major, 16 by 16.
class ByteGrid : public QWidget {
    Q_OBJECT

public:
    explicit ByteGrid(QWidget* parent);

    HexCell* cell(int index) const { return cells_[index]; }
    SymbolCell* symbol(int index) const { return symbols_[index]; }
    QLineEdit* rowAddress(int row) const { return rowAddresses_[row]; }
    // The hex cell with the keyboard focus, or -1.
    int focusedCell() const;

private:
    std::array<HexCell*, GridGeometry::kCells> cells_{};
    std::array<SymbolCell*, GridGeometry::kCells> symbols_{};
    std::array<QLineEdit*, GridGeometry::kRows> rowAddresses_{};
};
