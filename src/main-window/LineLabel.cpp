#include "LineLabel.h"

#include <QEvent>
#include <QPainter>
#include <QStyleOption>

#include <algorithm>

LineLabel::LineLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setTextFormat(Qt::PlainText);
    line_.setTextFormat(Qt::PlainText);
    fit();
}

void LineLabel::setColumnWidth(int width) {
    columnWidth_ = width;
    fit();
}

void LineLabel::setText(const QString& text) {
    if (text == QLabel::text()) return;
    QLabel::setText(text);
    fit();
}

void LineLabel::fit() {
    line_.setText(QLabel::text());
    line_.prepare(QTransform(), font());
    const QSize size(std::max(columnWidth_, qCeil(line_.size().width())), fontMetrics().height());
    if (size != minimumSize() || size != maximumSize()) setFixedSize(size);
}

void LineLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange) fit();
}

void LineLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QStyleOption option;
    option.initFrom(this);
    painter.setPen(option.palette.color(foregroundRole()));
    painter.drawStaticText(QPointF(0, (height() - line_.size().height()) / 2), line_);
}
