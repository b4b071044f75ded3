#pragma once

#include <QColor>
#include <QLineEdit>
#include <QPalette>

#include <functional>

class ByteGrid;

// One hexadecimal cell of the grid. It forwards focus changes and typed characters to the
// window, and keeps its text and colours so that a redraw only touches what changed.
//
// A screen has 256 of them and a page changes most, so a cell is a line edit only while
// it has the focus: then it stands at its place in the grid and edits as any line edit.
// Without the focus it is parked (no size, still visible, so it keeps its place in the
// tab order and takes the focus), and the grid paints its text and colours. text() and
// palette() answer for the cell in both states.
class HexCell : public QLineEdit {
    Q_OBJECT

public:
    HexCell(int index, ByteGrid* grid);

    int index() const { return index_; }
    QColor foreground() const { return foreground_; }
    QColor background() const { return background_; }
    void setForeground(const QColor& color);
    void setBackground(const QColor& color);
    QString text() const { return editing_ ? QLineEdit::text() : text_; }
    void setText(const QString& text);
    // The line edit's palette with the cell's colours as text and base.
    QPalette palette() const;
    // Replaces the text only when it differs; a focused cell keeps its entry selection.
    void setCellText(const QString& text);
    // The selection the cell takes on entry; kept across the click that gave the focus.
    void selectOnEntry(int length);
    // Where the cell stands in the grid while it edits.
    void setPlace(const QRect& place);
    bool isEditing() const { return editing_; }

    std::function<void(int)> onFocusIn;
    std::function<void(int)> onFocusOut;
    std::function<bool(int, int)> onKeyPress;  // (index, CP1251 code) -> consumed

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void applyPalette();
    void changed();
    int arrowAsKey(const QKeyEvent* event) const;

    ByteGrid* grid_;
    int index_;
    QString text_;
    QColor foreground_;
    QColor background_;
    QRect place_;
    bool editing_ = false;
    int entrySelection_ = 0;
    bool focusByMouse_ = false;
};
