#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

#include <functional>

// One cell of the character view. It holds the character exactly as given (control
// characters included) and paints it in a fixed box, so no byte can disturb the layout:
// control characters are drawn as a faint dot, "&" as itself.
class SymbolCell : public QWidget {
    Q_OBJECT

public:
    SymbolCell(int index, QWidget* parent);

    QString text() const { return text_; }
    void setText(const QString& text);
    QColor background() const { return background_; }
    void setBackground(const QColor& color);
    QColor foreground() const { return foreground_; }

    std::function<void(int)> onClick;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    int index_;
    QString text_;
    QColor background_;
    QColor foreground_;
};
