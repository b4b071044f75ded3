#include "LineLabel.h"

#include <QAction>
#include <QClipboard>
#include <QEvent>
#include <QGuiApplication>
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
    // A text set through QLabel is drawn as it is, though the size may lag behind it.
    if (line_.text() != QLabel::text()) line_.setText(QLabel::text());
    QPainter painter(this);
    QStyleOption option;
    option.initFrom(this);
    painter.setPen(option.palette.color(foregroundRole()));
    painter.drawStaticText(QPointF(0, (height() - line_.size().height()) / 2), line_);
}

LineRoom::LineRoom(LineLabel* label, QWidget* parent) : QWidget(parent), label_(label) {
    label_->setParent(this);
    label_->move(0, 0);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    setFixedHeight(label_->height());
    label_->installEventFilter(this);
    auto* copy = new QAction(QStringLiteral("Копировать"), label_);
    QObject::connect(copy, &QAction::triggered, label_, [label] {
        if (!label->text().isEmpty()) QGuiApplication::clipboard()->setText(label->text());
    });
    label_->addAction(copy);
    label_->setContextMenuPolicy(Qt::ActionsContextMenu);
}

void LineRoom::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    label_->setColumnWidth(width());
}

bool LineRoom::eventFilter(QObject* watched, QEvent* event) {
    // The label's height follows its font; the room's follows the label's.
    if (watched == label_ && event->type() == QEvent::Resize && height() != label_->height())
        setFixedHeight(label_->height());
    return QWidget::eventFilter(watched, event);
}
