#pragma once

#include <QHash>
#include <QImage>
#include <QWidget>

#include <array>
#include <cstdint>
#include <optional>

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
    // Where a hex cell and a character stand in the grid.
    QRect cellPlace(int index) const { return hexPlaces_[index]; }
    QRect symbolPlace(int index) const { return symbolPlaces_[index]; }
    // The hex cell with the keyboard focus, or -1.
    int focusedCell() const;
    // A cell's text or colours changed: the cells are painted again.
    void cellChanged();
    // The hex or character cell under a point of the grid, or -1.
    int indexAt(const QPoint& at) const;
    // The address of cell 0, for the cells' tooltips, accessible names and copies.
    void setScreenStart(std::int64_t start);
    std::int64_t screenStart() const { return screenStart_; }
    // Copies the focused byte, as Ctrl+Insert in a cell does.
    void copyFocusedByte() const;
    // The desktop palette changed: what was drawn in the window's face, shadow, highlight
    // or text colour takes its new one.
    void followPalette();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool event(QEvent* event) override;

private:
    void placeCells();
    // Cells are drawn from images of what they show, made once per text and colours:
    // a page is then 512 copies of small images.
    using CellImages = QHash<std::uint64_t, QImage>;
    QImage renderCell(const QSize& size, const QString& text, const QColor& foreground,
                      const QColor& background, bool hex) const;
    const QImage& cellImage(CellImages& cache, std::optional<std::uint64_t> textKey, const QSize& size,
                            const QString& text, const QColor& foreground, const QColor& background, bool hex);

    QGridLayout* layout_ = nullptr;
    std::array<HexCell*, GridGeometry::kCells> cells_{};
    std::array<SymbolCell*, GridGeometry::kCells> symbols_{};
    std::array<QLineEdit*, GridGeometry::kRows> rowAddresses_{};
    std::array<QRect, GridGeometry::kCells> hexPlaces_{};
    std::array<QRect, GridGeometry::kCells> symbolPlaces_{};
    QRect hexArea_;
    QRect symbolArea_;
    bool cellsDirty_ = false;
    std::int64_t screenStart_ = -1;
    qint64 paletteKey_ = 0;  // of the window palette the colours were taken from
    CellImages hexImages_;
    CellImages symbolImages_;
    QImage uncached_;
    QImage::Format imageFormat_ = QImage::Format_RGB32;
};
