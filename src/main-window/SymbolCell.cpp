#include "SymbolCell.h"

#include <QMouseEvent>
#include <QPainter>

#include "GridColors.h"

SymbolCell::SymbolCell(int index, QWidget* parent)
    : QWidget(parent), index_(index), text_(QStringLiteral("0")),
      background_(GridColors::buttonFace()), foreground_(GridColors::maroon()) {
    setObjectName(QStringLiteral("lbSumbol_%1").arg(index));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize SymbolCell::sizeHint() const {
    QFontMetrics fm(font());
    return QSize(fm.horizontalAdvance(QLatin1Char('W')) + 2, fm.height() + 6);
}

void SymbolCell::setText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    update();
}

void SymbolCell::setBackground(const QColor& color) {
    if (color == background_) return;
    background_ = color;
    update();
}

void SymbolCell::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), background_);
    if (text_.isEmpty()) return;
    const QChar ch = text_.at(0);
    const bool control = ch.unicode() < 0x20 || ch.unicode() == 0x7F;
    if (control) {
        QColor faint = foreground_;
        faint.setAlpha(90);
        painter.setPen(faint);
        painter.drawText(rect(), Qt::AlignCenter, QString(QChar(0x00B7)));
    } else {
        painter.setPen(foreground_);
        painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, QString(ch));
    }
}

void SymbolCell::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && onClick) onClick(index_);
}
