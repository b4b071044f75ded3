#pragma once

#include <QColor>
#include <QLineEdit>

class ByteGrid;

// The hex cell being edited: the grid's one line edit, standing at the cell that has the
// keyboard focus and named after it (plByt0_17), so that the cell edits as any line edit
// does. The grid makes it when a cell takes the focus, moves it from cell to cell and drops
// it when the focus leaves the grid; every other cell the grid paints itself.
class HexCell : public QLineEdit {
    Q_OBJECT

public:
    explicit HexCell(ByteGrid* grid);

    int index() const { return index_; }
    // Stands at another cell, showing its text.
    void moveTo(int index, const QString& text, const QRect& place);
    void setColors(const QColor& foreground, const QColor& background);
    // Replaces the text only when it differs; a focused cell keeps its entry selection.
    void setCellText(const QString& text);
    // The selection the cell takes on entry; kept across the click that gave the focus.
    void selectOnEntry(int length);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int arrowAsKey(const QKeyEvent* event) const;

    ByteGrid* grid_;
    int index_ = -1;
    QColor foreground_;
    QColor background_;
    int entrySelection_ = 0;
    bool focusByMouse_ = false;
    int pressedKey_ = 0;  // the last key the line edit itself took
};
