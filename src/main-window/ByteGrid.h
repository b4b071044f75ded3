#pragma once

#include <QHash>
#include <QStaticText>
#include <QWidget>

#include <array>

#include "GridGeometry.h"

class HexCell;
class SymbolCell;
class QGridLayout;
class QLabel;
class QLineEdit;

// The screen: column headers, 16 row-address boxes, 256 hexadecimal cells and the
// 256-character view beside them, laid out row-major, 16 by 16.
//
// The grid paints every cell itself, in one pass over the cells that changed: a page
// changes most of 512 cells, and as many widgets painting themselves cost several times
// the whole redraw. The focused hex cell stands at its place as a line edit and paints
// itself (see HexCell).
class ByteGrid : public QWidget {
    Q_OBJECT

public:
    explicit ByteGrid(QWidget* parent);

    HexCell* cell(int index) const { return cells_[index]; }
    SymbolCell* symbol(int index) const { return symbols_[index]; }
    QLineEdit* rowAddress(int row) const { return rowAddresses_[row]; }
    // The hex cell with the keyboard focus, or -1.
    int focusedCell() const;
    // A cell's text or colours changed: its area is painted again.
    void cellChanged(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void placeCells();
    const QStaticText& hexText(const QString& text);
    const QStaticText& symbolText(QChar ch);

    QGridLayout* layout_ = nullptr;
    std::array<HexCell*, GridGeometry::kCells> cells_{};
    std::array<SymbolCell*, GridGeometry::kCells> symbols_{};
    std::array<QLineEdit*, GridGeometry::kRows> rowAddresses_{};
    std::array<QRect, GridGeometry::kCells> hexPlaces_{};
    std::array<QRect, GridGeometry::kCells> symbolPlaces_{};
    QRect hexArea_;
    QRect symbolArea_;
    QHash<QString, QStaticText> hexTexts_;
    QHash<QChar, QStaticText> symbolTexts_;
};
