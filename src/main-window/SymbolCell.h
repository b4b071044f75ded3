#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

#include <functional>

class ByteGrid;

// One cell of the character view. It holds the character exactly as given (control
// characters included); the grid paints it in a fixed box, so no byte can disturb the
// layout. The widget itself takes no room: it names the cell and takes its clicks.
class SymbolCell : public QWidget {
    Q_OBJECT

public:
    SymbolCell(int index, ByteGrid* grid);

    int index() const { return index_; }
    QString text() const { return text_; }
    void setText(const QString& text);
    // The character as the grid draws it: a control character as a faint dot.
    QString shownText() const { return shown(text_); }
    static QString shown(const QString& text);
    static bool isControl(QChar ch) { return ch.unicode() < 0x20 || ch.unicode() == 0x7F; }
    QColor background() const { return background_; }
    void setBackground(const QColor& color);
    QColor foreground() const { return foreground_; }

    std::function<void(int)> onClick;

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    ByteGrid* grid_;
    int index_;
    QString text_;
    QColor background_;
    QColor foreground_;
};
