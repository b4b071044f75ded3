#include "ByteGrid.h"

#include <QApplication>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

#include "AddressText.h"
#include "GridColors.h"
#include "HexCell.h"
#include "SymbolCell.h"

using namespace GridGeometry;

namespace {

QFont gridFont() {
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setStyleHint(QFont::Monospace);
    font.setPointSize(10);
    return font;
}

QLabel* header(QWidget* parent, const char* name, const QString& caption, const QColor& color) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setAlignment(Qt::AlignCenter);
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, color);
    label->setPalette(p);
    return label;
}

}  // namespace

ByteGrid::ByteGrid(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("ByteGrid"));
    const QFont font = gridFont();
    setFont(font);
    const QFontMetrics fm(font);
    const int cellWidth = fm.horizontalAdvance(QStringLiteral("WW")) + 8;
    const int cellHeight = fm.height() + 6;
    const int symbolWidth = fm.horizontalAdvance(QLatin1Char('W')) + 3;

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setHorizontalSpacing(2);
    layout->setVerticalSpacing(2);

    const QColor highlight = GridColors::highlight();
    QFont headerFont = QApplication::font();
    auto* addressHeader = header(this, "Label1", QStringLiteral("Адресс"), palette().color(QPalette::WindowText));
    addressHeader->setFont(headerFont);
    layout->addWidget(addressHeader, 0, 0);
    for (int c = 0; c < kColumns; ++c) {
        QLabel* h = header(this, QStringLiteral("Label%1").arg(c + 2).toLatin1().constData(),
                           QString::number(c, 16).toUpper(), highlight);
        layout->addWidget(h, 0, 1 + c);
    }
    // a gap between the hex cells and the character view
    layout->setColumnMinimumWidth(1 + kColumns, 10);
    auto* symbolHeader = header(this, "Label18", QStringLiteral("Символьный вид"), palette().color(QPalette::WindowText));
    symbolHeader->setFont(headerFont);
    layout->addWidget(symbolHeader, 0, 2 + kColumns, 1, kColumns);

    for (int r = 0; r < kRows; ++r) {
        auto* address = new QLineEdit(this);
        address->setObjectName(QStringLiteral("plAdr0_%1").arg(r));
        address->setReadOnly(true);
        address->setFrame(false);
        address->setAlignment(Qt::AlignCenter);
        address->setFocusPolicy(Qt::ClickFocus);
        address->setFixedSize(fm.horizontalAdvance(QStringLiteral("00000000")) + 8, cellHeight);
        QPalette p = address->palette();
        p.setColor(QPalette::Text, highlight);
        p.setColor(QPalette::Base, palette().color(QPalette::Window));
        address->setPalette(p);
        address->setText(AddressText::rowLabel(GridGeometry::rowAddress(0, r)));
        rowAddresses_[r] = address;
        layout->addWidget(address, 1 + r, 0);
    }

    for (int i = 0; i < kCells; ++i) {
        auto* cell = new HexCell(i, this);
        cell->setFixedSize(cellWidth, cellHeight);
        cells_[i] = cell;
        layout->addWidget(cell, 1 + row(i), 1 + column(i));

        auto* symbol = new SymbolCell(i, this);
        symbol->setFixedSize(symbolWidth, cellHeight);
        symbols_[i] = symbol;
        layout->addWidget(symbol, 1 + row(i), 2 + kColumns + column(i));
    }
    // Tab walks the hex cells in address order.
    for (int i = 0; i + 1 < kCells; ++i) setTabOrder(cells_[i], cells_[i + 1]);
    layout->setColumnStretch(2 * kColumns + 2, 1);
}

int ByteGrid::focusedCell() const {
    QWidget* focus = QApplication::focusWidget();
    for (int i = 0; i < kCells; ++i)
        if (cells_[i] == focus) return i;
    return -1;
}
