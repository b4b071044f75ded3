#include "ByteGrid.h"

#include <QApplication>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>

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
    layout_ = layout;
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

    // The layout keeps the cells' room; the cells themselves are placed in it (placeCells).
    for (int i = 0; i < kCells; ++i) {
        cells_[i] = new HexCell(i, this);
        layout->addItem(new QSpacerItem(cellWidth, cellHeight, QSizePolicy::Fixed, QSizePolicy::Fixed),
                        1 + row(i), 1 + column(i));
        symbols_[i] = new SymbolCell(i, this);
        symbols_[i]->setGeometry(0, 0, 0, 0);
        layout->addItem(new QSpacerItem(symbolWidth, cellHeight, QSizePolicy::Fixed, QSizePolicy::Fixed),
                        1 + row(i), 2 + kColumns + column(i));
    }
    // Tab walks the hex cells in address order.
    for (int i = 0; i + 1 < kCells; ++i) setTabOrder(cells_[i], cells_[i + 1]);
    layout->setColumnStretch(2 * kColumns + 2, 1);
}

int ByteGrid::focusedCell() const {
    QWidget* focus = QApplication::focusWidget();
    if (!focus || focus->parentWidget() != this) return -1;
    for (int i = 0; i < kCells; ++i)
        if (cells_[i] == focus) return i;
    return -1;
}

void ByteGrid::cellChanged(int index) {
    // One growing rectangle per area: a page of changes marks it once, not 512 times.
    if (!hexArea_.isEmpty()) update(hexArea_);
    if (!symbolArea_.isEmpty()) update(symbolArea_);
    (void)index;
}

void ByteGrid::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeCells();
}

void ByteGrid::placeCells() {
    hexArea_ = QRect();
    symbolArea_ = QRect();
    for (int i = 0; i < kCells; ++i) {
        hexPlaces_[i] = layout_->cellRect(1 + row(i), 1 + column(i));
        symbolPlaces_[i] = layout_->cellRect(1 + row(i), 2 + kColumns + column(i));
        // Spacers keep their fixed size at the top left of their layout cell.
        hexPlaces_[i].setSize(layout_->itemAtPosition(1 + row(i), 1 + column(i))->sizeHint());
        symbolPlaces_[i].setSize(layout_->itemAtPosition(1 + row(i), 2 + kColumns + column(i))->sizeHint());
        hexArea_ |= hexPlaces_[i];
        symbolArea_ |= symbolPlaces_[i];
        cells_[i]->setPlace(hexPlaces_[i]);
        symbols_[i]->setGeometry(QRect(symbolPlaces_[i].topLeft(), QSize(0, 0)));
    }
    update(hexArea_);
    update(symbolArea_);
}

const QStaticText& ByteGrid::hexText(const QString& text) {
    auto found = hexTexts_.find(text);
    if (found == hexTexts_.end()) {
        QStaticText prepared(text);
        prepared.setTextFormat(Qt::PlainText);
        prepared.prepare(QTransform(), font());
        found = hexTexts_.insert(text, prepared);
    }
    return *found;
}

const QStaticText& ByteGrid::symbolText(QChar ch) {
    auto found = symbolTexts_.find(ch);
    if (found == symbolTexts_.end()) {
        // Control characters show as a faint dot; "&" is drawn as itself.
        const bool control = ch.unicode() < 0x20 || ch.unicode() == 0x7F;
        QStaticText prepared(control ? QString(QChar(0x00B7)) : QString(ch));
        prepared.setTextFormat(Qt::PlainText);
        prepared.prepare(QTransform(), font());
        found = symbolTexts_.insert(ch, prepared);
    }
    return *found;
}

void ByteGrid::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect dirty = event->rect();
    const int lineHeight = fontMetrics().height();
    auto top = [&](const QRect& box) { return box.y() + (box.height() - lineHeight + 1) / 2; };
    // Where a line edit without a frame puts its centred text: 2 pixels of margin each
    // side and a pixel of room for the cursor.
    auto drawHex = [&](const QRect& box, const QStaticText& text, const QColor& color) {
        painter.setPen(color);
        const int used = qRound(text.size().width()) + 1;
        painter.drawStaticText(box.x() + 2 + (box.width() - 4 - used) / 2, top(box), text);
    };
    auto drawSymbol = [&](const QRect& box, const QStaticText& text, const QColor& color) {
        painter.setPen(color);
        painter.drawStaticText(QPointF(box.x() + (box.width() - text.size().width()) / 2, top(box)), text);
    };
    for (int i = 0; i < kCells; ++i) {
        const HexCell* cell = cells_[i];
        if (!cell->isEditing() && hexPlaces_[i].intersects(dirty)) {
            painter.fillRect(hexPlaces_[i], cell->background());
            const QString text = cell->text();
            if (!text.isEmpty()) drawHex(hexPlaces_[i], hexText(text), cell->foreground());
        }
        const SymbolCell* symbol = symbols_[i];
        if (symbolPlaces_[i].intersects(dirty)) {
            painter.fillRect(symbolPlaces_[i], symbol->background());
            const QString text = symbol->text();
            if (!text.isEmpty()) {
                const QChar ch = text.at(0);
                QColor color = symbol->foreground();
                if (ch.unicode() < 0x20 || ch.unicode() == 0x7F) color.setAlpha(90);
                drawSymbol(symbolPlaces_[i], symbolText(ch), color);
            }
        }
    }
}

void ByteGrid::mousePressEvent(QMouseEvent* event) {
    // A click on a parked cell lands here: it goes to the cell it was meant for.
    if (event->button() != Qt::LeftButton) return;
    const QPoint at = event->position().toPoint();
    for (int i = 0; i < kCells; ++i) {
        if (hexPlaces_[i].contains(at)) {
            cells_[i]->setFocus(Qt::MouseFocusReason);
            return;
        }
        if (symbolPlaces_[i].contains(at)) {
            QMouseEvent press(event->type(), QPointF(0, 0), event->scenePosition(), event->globalPosition(),
                              event->button(), event->buttons(), event->modifiers());
            QApplication::sendEvent(symbols_[i], &press);
            return;
        }
    }
}
