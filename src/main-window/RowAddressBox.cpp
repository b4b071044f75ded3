#include "RowAddressBox.h"

#include "ByteGrid.h"

RowAddressBox::RowAddressBox(ByteGrid* grid) : QLineEdit(grid) {
    setReadOnly(true);
    setFrame(false);
    setAlignment(Qt::AlignCenter);
    setFocusPolicy(Qt::ClickFocus);
    setColors(grid->rowForeground(), grid->rowBackground());
}

void RowAddressBox::moveTo(int row, const QString& text, const QRect& place) {
    if (row != row_) {
        row_ = row;
        setObjectName(QStringLiteral("plAdr0_%1").arg(row));
    }
    if (text != this->text()) setText(text);
    setGeometry(place);
}

void RowAddressBox::setColors(const QColor& text, const QColor& ground) {
    QPalette p = palette();
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Base, ground);
    setPalette(p);
}
