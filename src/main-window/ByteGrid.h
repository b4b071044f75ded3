#pragma once

#include <QWidget>

#include <cstdint>
#include <functional>
#include <vector>

#include "GridGeometry.h"
#include "PaintedGrid.h"
#include "ScreenModel.h"

class HexCell;
class QGridLayout;
class QLabel;
class RowAddressBox;

// The screen: column headers, 16 row addresses, 256 hexadecimal cells and the 256-character
// view beside them, laid out row-major, 16 by 16, painted by the grid engine from the
// screen model. A line edit exists only where the keyboard is: on the hex cell being edited
// (HexCell) and on a row address that took the focus (RowAddressBox).
class ByteGrid : public PaintedGrid {
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
    // The colours a cell is drawn in.
    QColor cellForeground(int index) const;
    QColor cellBackground(int index) const;
    QColor symbolForeground(int index) const;
    QColor symbolBackground(int index) const;

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

    // The hex or character cell under a point of the grid, or -1.
    int indexAt(const QPoint& at) const;
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

    // What a screen reader hears of a place.
    QString placeName(Kind kind, int index) const override;
    QString placeText(Kind kind, int index) const override;
    QString placeDescription(Kind kind, int index) const override;
    bool placeEditable(Kind kind, int index) const override;
    QWidget* placeEditor(Kind kind, int index) const override;
    void focusPlace(Kind kind, int index) override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool event(QEvent* event) override;

    QString rowLabel(std::int64_t number) const override;
    QColor inkColor(int ink, bool character) const override;
    QColor groundColor(int ground) const override;
    QString ownText(int cell) const override { return model_.text(cell); }
    std::vector<TileRun> tilesAhead() const override;

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
    static QColor inkOf(ScreenModel::Ink ink);
    static QColor groundOf(ScreenModel::Ground ground);

    ScreenModel model_;
    QGridLayout* layout_ = nullptr;
    std::int64_t screenStart_ = 0;
    bool locked_ = true;
    qint64 paletteKey_ = 0;  // of the window palette the colours were taken from

    HexCell* editor_ = nullptr;
    RowAddressBox* rowBox_ = nullptr;
    int entryCell_ = 0;
    bool moving_ = false;  // the editor goes from one cell to another
    QMetaObject::Connection focusWatch_;
};
