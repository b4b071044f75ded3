#pragma once

#include <QGlyphRun>
#include <QImage>
#include <QRegion>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <unordered_map>
#include <vector>

#include "GridGeometry.h"
#include "ScreenModel.h"
#include "TileAtlas.h"

class HexCell;
class QGridLayout;
class QLabel;
class RowAddressBox;

// The screen: column headers, 16 row addresses, 256 hexadecimal cells and the 256-character
// view beside them, laid out row-major, 16 by 16.
//
// The grid paints the cells and row addresses itself from its screen model, in one pass:
// each place shows an image made once for what it shows (two digits or a character, in its
// colours), copied straight into the window's pixels; of a place that changed on the same
// ground, only the box its characters stand in. A page changes most of 512 cells, and a
// widget per cell costs many times that work. A line
// edit exists only where the keyboard is: on the hex cell being edited (HexCell) and on a row
// address that took the focus (RowAddressBox). Screen readers are answered from the model
// (GridAccessibility).
class ByteGrid : public QWidget {
    Q_OBJECT

public:
    explicit ByteGrid(QWidget* parent);
    ~ByteGrid() override;

    const ScreenModel& model() const { return model_; }
    // Changes of the screen; each is painted, and told to a screen reader that listens.
    void showScreen(const ScreenModel::Screen& screen);
    void acceptEdit(int index, int value);
    // The cell drawn with the focus highlight, -1 none.
    void setFocusedCell(int index);

    // A hex cell's text as the user sees it: in the cell being edited, what is typed there.
    QString cellText(int index) const;
    // Replaces a cell's text: the line edit's while the cell is edited.
    void setCellText(int index, const QString& text);
    // The character of a character cell, control characters as they are; empty past the end.
    QString symbolText(int index) const;
    // A character as it is drawn: a control character as a faint dot.
    static QString shownCharacter(const QString& character);
    // The colours a cell is drawn in.
    QColor cellForeground(int index) const;
    QColor cellBackground(int index) const;
    QColor symbolForeground(int index) const;
    QColor symbolBackground(int index) const;
    QColor rowForeground() const;
    QColor rowBackground() const;

    // Typing refused in every cell (write permission off), and in the one being edited.
    void setLocked(bool locked);
    bool cellLocked(int index) const;

    // The hex cell with the keyboard focus, or -1.
    int focusedCell() const;
    // Gives the keyboard to a hex cell; from another cell, that one is left first.
    void focusCell(int index, Qt::FocusReason reason = Qt::OtherFocusReason);
    // The cell the keyboard comes back to: the last one that had it.
    int entryCell() const { return entryCell_; }
    // The line edit of the cell being edited, or nullptr.
    HexCell* editor() const { return editor_; }
    // Gives the keyboard to a row address, as a click does.
    void focusRowAddress(int row, Qt::FocusReason reason = Qt::OtherFocusReason);
    // The line edit of the row address with the keyboard, or nullptr.
    RowAddressBox* rowAddressBox() const { return rowBox_; }
    // The text of a row address ("001A30").
    QString rowText(int row) const;

    // Where a hex cell, a character and a row address stand in the grid.
    QRect cellPlace(int index) const { return hexPlaces_[index]; }
    QRect symbolPlace(int index) const { return symbolPlaces_[index]; }
    QRect rowPlace(int row) const { return rowPlaces_[row]; }
    // The hex or character cell under a point of the grid, or -1.
    int indexAt(const QPoint& at) const;
    // The column headers, in the order they are read.
    const std::vector<QLabel*>& headers() const { return headers_; }
    // The address of cell 0, for the row addresses, the cells' tooltips, names and copies.
    void setScreenStart(std::int64_t start);
    std::int64_t screenStart() const { return screenStart_; }
    // Copies the focused byte, as Ctrl+Insert in a cell does.
    void copyFocusedByte() const;
    // The desktop palette changed: the grid is drawn in the window's new one.
    void followPalette();

    // What the cells report to the window.
    std::function<void(int)> onCellFocusIn;
    std::function<void(int)> onCellFocusOut;
    std::function<bool(int, int)> onCellKey;  // (index, CP1251 code) -> consumed
    std::function<void(int)> onSymbolClick;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool event(QEvent* event) override;

private:
    friend class HexCell;
    // From the cell's line edit: the focus came or went.
    void editorEntered();
    void editorLeft();
    // The keyboard went to `now`: a line edit it left goes.
    void focusMoved(QWidget* now);
    void placeRowBox(int row);

    void placeCells();
    // The model changed: what it now shows differently is painted again.
    void changed();
    void syncEditor();
    static bool isControl(QChar ch) { return ch.unicode() < 0x20 || ch.unicode() == 0x7F; }
    static QColor inkColor(ScreenModel::Ink ink);
    static QColor groundColor(ScreenModel::Ground ground);

    // Painting (ByteGridPaint.cpp).
    struct Pixels;
    // What each place shows, as a number: when it differs from what was painted there, the
    // place is painted again.
    std::uint32_t hexKey(int index) const;
    std::uint32_t symbolKey(int index) const;
    // The font, palette or pixel format changed: every image is made again.
    void forgetImages();
    void placeGaps();
    QImage renderCell(const QSize& size, const QString& text, const QColor& foreground,
                      const QColor& background, bool hex) const;
    // The pixels of an image to copy into a place.
    struct Tile {
        const uchar* bits;
        qsizetype stride;
        QSize size;
    };
    static Tile tileOf(const QImage& image);
    Tile hexTile(int index);
    Tile symbolTile(int index);
    // The image of what a key shows, made when first wanted.
    const uchar* hexPixels(std::uint32_t key);
    const uchar* symbolPixels(std::uint32_t key);
    void prepareTiles();
    void prepareDigits();
    // A row address's box showing the digits [from, to) of `text` where the whole text puts them.
    QImage rowImage(const QString& text, int from, int to) const;
    const std::vector<int>& digitEdges(int digits);
    // The image of a digit in its place, and the lines its ink stands on.
    struct DigitTile {
        QImage image;
        QRect ink;
    };
    // A digit's image, or nullptr when the font's digits spill over.
    const DigitTile* digitTile(int digits, int k, int digit);
    // Copies a tile, or the part of it given in its own pixels, into a place.
    void putTile(QPainter& painter, const Tile& tile, const QRect& place, int deviceLeft, const Pixels* to,
                 const QRect& part = QRect());
    // Paints a row address; of a label `before` with as many digits, only the digits that differ.
    void paintRow(QPainter& painter, int row, const Pixels* to, const QString& before);
    // Asks for a paint of places whose pixels the grid painted last (see paintEvent).
    void repaintPlaces(const QRect& area);

    ScreenModel model_;
    QGridLayout* layout_ = nullptr;
    std::vector<QLabel*> headers_;
    std::array<QRect, GridGeometry::kCells> hexPlaces_{};
    std::array<QRect, GridGeometry::kCells> symbolPlaces_{};
    std::array<QRect, GridGeometry::kRows> rowPlaces_{};
    std::int64_t screenStart_ = 0;
    bool locked_ = true;
    qint64 paletteKey_ = 0;  // of the window palette the colours were taken from

    HexCell* editor_ = nullptr;
    RowAddressBox* rowBox_ = nullptr;
    int entryCell_ = 0;
    bool moving_ = false;  // the editor goes from one cell to another
    QMetaObject::Connection focusWatch_;

    // What each place shows now (its key, found at each change of the model), and as last
    // painted.
    std::array<std::uint32_t, GridGeometry::kCells> shownHex_{};
    std::array<std::uint32_t, GridGeometry::kCells> shownSymbol_{};
    std::array<std::uint32_t, GridGeometry::kCells> paintedHex_{};
    std::array<std::uint32_t, GridGeometry::kCells> paintedSymbol_{};
    std::array<std::int64_t, GridGeometry::kRows> paintedRow_{};
    // The room between the places, painted in the window's face.
    std::vector<QRect> gaps_;
    // What the grid asked to paint again since its last paint.
    QRegion requested_;
    // Each image made once, in the window's pixel format: hex cells by value (256: none),
    // colour of text and ground; characters by byte, code page and ground.
    QImage::Format tileFormat_ = QImage::Format_Invalid;
    TileAtlas hexTiles_;
    TileAtlas symbolTiles_;
    QImage keptTile_;
    int prepared_ = 0;  // of the images made ahead (prepareTiles)
    bool preparing_ = false;
    QImage faceLine_;
    // Row addresses change with every page. Their hex digits are glyphs laid out once, and
    // a label of n digits puts digit k at a fixed pixel column, so each digit in each place
    // is drawn once and copied from there; should a font's digits spill into a neighbour's
    // place, labels are drawn whole each time.
    QGlyphRun digits_;
    qreal digitAdvance_ = 0;
    std::unordered_map<quint32, DigitTile> digitTiles_;  // by number of digits, place and digit; they stay where they are
    std::vector<int> digitEdges_;
    bool digitsSpill_ = false;
};
