#include "SymbolCell.h"

#include <QMouseEvent>

#include "ByteGrid.h"
#include "GridAccessibility.h"
#include "GridColors.h"

SymbolCell::SymbolCell(int index, ByteGrid* grid)
    : QWidget(grid), grid_(grid), index_(index), text_(QStringLiteral("0")),
      background_(GridColors::buttonFace()), foreground_(GridColors::maroon()) {
    setObjectName(QStringLiteral("lbSumbol_%1").arg(index));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void SymbolCell::setText(const QString& text) {
    if (text == text_) return;
    const QString before = shownText();
    text_ = text;
    grid_->cellChanged();
    GridAccessibility::textChanged(this, before, shownText());
}

QString SymbolCell::shown(const QString& text) {
    if (text.isEmpty() || !isControl(text.at(0))) return text;
    return QString(QChar(0x00B7));
}

void SymbolCell::setBackground(const QColor& color) {
    if (color == background_) return;
    background_ = color;
    grid_->cellChanged();
}

void SymbolCell::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && onClick) onClick(index_);
}
