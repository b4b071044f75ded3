#include "SymbolCell.h"

#include <QMouseEvent>

#include "ByteGrid.h"
#include "GridColors.h"

SymbolCell::SymbolCell(int index, ByteGrid* grid)
    : QWidget(grid), grid_(grid), index_(index), text_(QStringLiteral("0")),
      background_(GridColors::buttonFace()), foreground_(GridColors::maroon()) {
    setObjectName(QStringLiteral("lbSumbol_%1").arg(index));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void SymbolCell::setText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    grid_->cellChanged();
}

void SymbolCell::setBackground(const QColor& color) {
    if (color == background_) return;
    background_ = color;
    grid_->cellChanged();
}

void SymbolCell::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && onClick) onClick(index_);
}
