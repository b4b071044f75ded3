#pragma once

#include <QColor>
#include <QLineEdit>

#include <functional>

// One hexadecimal cell of the grid. It forwards focus changes and typed characters to the
// window, and keeps its colours so that a redraw only touches what changed.
class HexCell : public QLineEdit {
    Q_OBJECT

public:
    HexCell(int index, QWidget* parent);

    int index() const { return index_; }
    QColor foreground() const { return foreground_; }
    QColor background() const { return background_; }
    void setForeground(const QColor& color);
    void setBackground(const QColor& color);
    // Replaces the text only when it differs (setText is the costly part of a redraw).
    void setCellText(const QString& text);
    // The selection the cell takes on entry; kept across the click that gave the focus.
    void selectOnEntry(int length);

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

    int index_;
    QColor foreground_;
    QColor background_;
    int entrySelection_ = 0;
    bool focusByMouse_ = false;
};
