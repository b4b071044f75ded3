#include "ByteGrid.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QMenu>
#include <QToolTip>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEngine>
#include <QPaintEvent>

#include <optional>

#include "AddressText.h"
#include "GridAccessibility.h"
#include "GridClipboard.h"
#include "GridColors.h"
#include "HexCell.h"
#include "SymbolCell.h"

using namespace GridGeometry;

namespace {

// A point above the window's own text, as the bytes are what is read most.
QFont gridFont() {
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setStyleHint(QFont::Monospace);
    const qreal text = QApplication::font().pointSizeF();
    font.setPointSizeF(text > 0 ? text + 1 : 10);
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
    GridAccessibility::install();
    paletteKey_ = GridColors::windowPalette().cacheKey();
    // The grid paints all of itself, so the window does not paint its background first.
    setAttribute(Qt::WA_OpaquePaintEvent);
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
    const auto* cell = qobject_cast<const HexCell*>(QApplication::focusWidget());
    return cell && cell->parentWidget() == this ? cell->index() : -1;
}

void ByteGrid::cellChanged() {
    // The cell areas are marked once until they are painted: a page changes 512 cells.
    if (cellsDirty_) return;
    cellsDirty_ = true;
    update(hexArea_);
    update(symbolArea_);
}

void ByteGrid::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    const QEvent::Type type = event->type();
    if (type == QEvent::FontChange || type == QEvent::StyleChange || type == QEvent::PaletteChange) {
        hexImages_.clear();
        symbolImages_.clear();
        update();
    }
}

void ByteGrid::followPalette() {
    const QPalette& now = GridColors::windowPalette();
    const QPalette& before = GridColors::previousWindowPalette();
    if (now.cacheKey() == paletteKey_) return;
    paletteKey_ = now.cacheKey();
    auto follow = [&](const QColor& color) {
        for (QPalette::ColorRole role : {QPalette::Button, QPalette::Dark, QPalette::Highlight, QPalette::WindowText})
            if (color == before.color(role)) return now.color(role);
        return color;
    };
    for (int i = 0; i < kCells; ++i) {
        cells_[i]->setBackground(follow(cells_[i]->background()));
        symbols_[i]->setBackground(follow(symbols_[i]->background()));
    }
    for (QLabel* header : findChildren<QLabel*>())
        GridColors::setTextColor(header, follow(header->palette().color(QPalette::WindowText)));
    for (QLineEdit* address : rowAddresses_) {
        QPalette p = address->palette();
        p.setColor(QPalette::Text, now.color(QPalette::Highlight));
        p.setColor(QPalette::Base, now.color(QPalette::Window));
        address->setPalette(p);
    }
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
    hexImages_.clear();
    symbolImages_.clear();
    update(hexArea_);
    update(symbolArea_);
}

namespace {

std::uint64_t colourKey(const QColor& foreground, const QColor& background) {
    return (std::uint64_t(foreground.rgb() & 0xFFFFFF) << 24) | (background.rgb() & 0xFFFFFF);
}

// A text of up to two ASCII characters as 16 bits, or nothing for any other text.
std::optional<std::uint64_t> hexTextKey(const QString& text) {
    if (text.size() > 2) return std::nullopt;
    std::uint64_t key = std::uint64_t(text.size()) << 14;
    for (int i = 0; i < text.size(); ++i) {
        if (text.at(i).unicode() > 127) return std::nullopt;
        key |= std::uint64_t(text.at(i).unicode()) << (7 * i);
    }
    return key;
}

}  // namespace

QImage ByteGrid::renderCell(const QSize& size, const QString& text, const QColor& foreground,
                            const QColor& background, bool hex) const {
    const qreal ratio = devicePixelRatioF();
    QImage image(size * ratio, imageFormat_);
    image.setDevicePixelRatio(ratio);
    image.fill(background);
    if (text.isEmpty()) return image;
    QPainter painter(&image);
    painter.setFont(font());
    const QFontMetrics fm = fontMetrics();
    const int top = (size.height() - fm.height() + 1) / 2;
    if (hex) {
        // Where a line edit without a frame puts its centred text: 2 pixels of margin each
        // side and a pixel of room for the cursor.
        painter.setPen(foreground);
        const int used = fm.horizontalAdvance(text) + 1;
        painter.drawText(2 + (size.width() - 4 - used) / 2, top + fm.ascent(), text);
        return image;
    }
    // Control characters show as a faint dot; "&" is drawn as itself.
    QColor pen = foreground;
    if (SymbolCell::isControl(text.at(0))) pen.setAlpha(90);
    painter.setPen(pen);
    painter.drawText(QRectF(QPointF(0, 0), size), Qt::AlignCenter | Qt::TextSingleLine,
                     SymbolCell::shown(text.left(1)));
    return image;
}

const QImage& ByteGrid::cellImage(CellImages& cache, std::optional<std::uint64_t> textKey, const QSize& size,
                                  const QString& text, const QColor& foreground, const QColor& background,
                                  bool hex) {
    if (!textKey) {
        // A text typed by the user that no byte shows is drawn afresh.
        uncached_ = renderCell(size, text, foreground, background, hex);
        return uncached_;
    }
    const std::uint64_t key = (*textKey << 48) | colourKey(foreground, background);
    auto found = cache.find(key);
    if (found == cache.end()) {
        // Bounded: 256 bytes in a few colours, and a code page's characters.
        if (cache.size() > 4096) cache.clear();
        found = cache.insert(key, renderCell(size, text, foreground, background, hex));
    }
    return *found;
}

void ByteGrid::paintEvent(QPaintEvent* event) {
    cellsDirty_ = false;
    QPainter painter(this);
    // Images in the format of what is painted on are copied as they are, not converted.
    const QPaintDevice* target = painter.paintEngine() ? painter.paintEngine()->paintDevice() : nullptr;
    const QImage::Format format = target && target->devType() == QInternal::Image
                                      ? static_cast<const QImage*>(target)->format()
                                      : QImage::Format_RGB32;
    if (format != imageFormat_) {
        imageFormat_ = format;
        hexImages_.clear();
        symbolImages_.clear();
    }
    const QRect dirty = event->rect();
    painter.fillRect(dirty, palette().brush(QPalette::Window));
    for (int i = 0; i < kCells; ++i) {
        const HexCell* cell = cells_[i];
        if (!cell->isEditing() && hexPlaces_[i].intersects(dirty)) {
            const QString text = cell->text();
            painter.drawImage(hexPlaces_[i].topLeft(),
                              cellImage(hexImages_, hexTextKey(text), hexPlaces_[i].size(), text,
                                        cell->foreground(), cell->background(), true));
        }
        const SymbolCell* symbol = symbols_[i];
        if (symbolPlaces_[i].intersects(dirty)) {
            const QString text = symbol->text();
            // One character as its 16 bits; no character (past the end) as U+FFFF, which
            // no code page gives.
            const std::optional<std::uint64_t> key =
                text.size() <= 1 ? std::optional<std::uint64_t>(text.isEmpty() ? 0xFFFF : text.at(0).unicode())
                                 : std::nullopt;
            painter.drawImage(symbolPlaces_[i].topLeft(),
                              cellImage(symbolImages_, key, symbolPlaces_[i].size(), text,
                                        symbol->foreground(), symbol->background(), false));
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

int ByteGrid::indexAt(const QPoint& at) const {
    for (int i = 0; i < kCells; ++i)
        if (hexPlaces_[i].contains(at) || symbolPlaces_[i].contains(at)) return i;
    return -1;
}

void ByteGrid::setScreenStart(std::int64_t start) {
    if (start == screenStart_) return;
    screenStart_ = start;
    // A screen reader names the cell it is on by its address, and a row label by the address
    // its row starts at: its text is that address divided by 16.
    for (int i = 0; i < kCells; ++i)
        cells_[i]->setAccessibleName(QStringLiteral("Адрес ") + AddressText::funHexAdres(address(start, i)));
    for (int r = 0; r < kRows; ++r)
        rowAddresses_[r]->setAccessibleName(QStringLiteral("Строка с адреса ") +
                                            AddressText::funHexAdres(GridGeometry::rowAddress(start, r)));
}

void ByteGrid::copyFocusedByte() const {
    const int focused = focusedCell();
    if (focused >= 0 && !cells_[focused]->text().isEmpty())
        QApplication::clipboard()->setMimeData(GridClipboard::byteData(*this, focused));
}

// The copy commands live here rather than on shortcuts: Ctrl+C and Ctrl+A are the window's.
void ByteGrid::contextMenuEvent(QContextMenuEvent* event) {
    int index = indexAt(event->pos());
    if (index < 0 || cells_[index]->text().isEmpty()) index = focusedCell();
    const bool onByte = index >= 0 && !cells_[index]->text().isEmpty();
    if (!onByte && cells_[0]->text().isEmpty()) return;  // no file: nothing to copy
    QMenu menu(this);
    auto add = [&](const char* name, const QString& caption, bool enabled, auto data) {
        QAction* action = menu.addAction(caption, [data] { QApplication::clipboard()->setMimeData(data()); });
        action->setObjectName(QString::fromLatin1(name));
        action->setEnabled(enabled);
    };
    add("copyByte", QStringLiteral("Копировать байт"), onByte, [this, index] { return GridClipboard::byteData(*this, index); });
    add("copyScreenHex", QStringLiteral("Копировать экран (hex)"), true, [this] { return GridClipboard::screenHexData(*this); });
    add("copyScreenText", QStringLiteral("Копировать экран (текст)"), true, [this] { return GridClipboard::textData(GridClipboard::screenText(*this)); });
    add("copyAddress", QStringLiteral("Копировать адрес"), onByte, [this, index] { return GridClipboard::textData(GridClipboard::addressText(*this, index)); });
    menu.exec(event->globalPos());
}

bool ByteGrid::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const int index = indexAt(help->pos());
        if (index >= 0 && !cells_[index]->text().isEmpty())
            QToolTip::showText(help->globalPos(), QStringLiteral("Адрес ") + GridClipboard::addressText(*this, index), this);
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}
