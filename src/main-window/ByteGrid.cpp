#include "ByteGrid.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGridLayout>
#include <QHelpEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <QTextLayout>
#include <QToolTip>

#include <cstring>

#include "AddressText.h"
#include "GridAccessibility.h"
#include "GridClipboard.h"
#include "GridColors.h"
#include "HexCell.h"
#include "RowAddressBox.h"

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

bool isControl(QChar ch) { return ch.unicode() < 0x20 || ch.unicode() == 0x7F; }

// The keys of what a place shows. A hex cell: its value (256 none, 257 a text the user left
// in it), the colour of its text and its ground. A character cell: the byte, the code page
// and whether it is highlighted, or none.
constexpr std::uint32_t kNoValue = 256;
constexpr std::uint32_t kKeptText = 257;
constexpr std::uint32_t kHexGlyphs = 258;
constexpr std::uint32_t kNoCharacter = 1024;
constexpr std::uint32_t kNotDrawn = 0xFFFFFFFF;
constexpr std::int64_t kRowNotDrawn = -1;

QColor inkColor(ScreenModel::Ink ink) {
    switch (ink) {
    case ScreenModel::Ink::Mismatch: return GridColors::darkRed();
    case ScreenModel::Ink::Edited: return GridColors::blue();
    case ScreenModel::Ink::Plain: break;
    }
    return GridColors::black();
}

QColor groundColor(ScreenModel::Ground ground) {
    switch (ground) {
    case ScreenModel::Ground::Focus: return GridColors::lightCyan();
    case ScreenModel::Ground::FocusedMismatch: return GridColors::buttonShadow();
    case ScreenModel::Ground::Face: break;
    }
    return GridColors::buttonFace();
}

}  // namespace

ByteGrid::ByteGrid(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("ByteGrid"));
    GridAccessibility::install();
    paletteKey_ = GridColors::windowPalette().cacheKey();
    // The grid paints all of itself, so the window does not paint its background first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Tab and the window's first focus reach the cells through the grid; a click lands on a cell.
    setFocusPolicy(Qt::TabFocus);
    const QFont font = gridFont();
    setFont(font);
    const QFontMetrics fm(font);
    const int cellWidth = fm.horizontalAdvance(QStringLiteral("WW")) + 8;
    const int cellHeight = fm.height() + 6;
    const int symbolWidth = fm.horizontalAdvance(QLatin1Char('W')) + 3;
    const int rowWidth = fm.horizontalAdvance(QStringLiteral("00000000")) + 8;

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
    headers_.push_back(addressHeader);
    for (int c = 0; c < kColumns; ++c) {
        QLabel* h = header(this, QStringLiteral("Label%1").arg(c + 2).toLatin1().constData(),
                           QString::number(c, 16).toUpper(), highlight);
        layout->addWidget(h, 0, 1 + c);
        headers_.push_back(h);
    }
    // a gap between the hex cells and the character view
    layout->setColumnMinimumWidth(1 + kColumns, 10);
    auto* symbolHeader = header(this, "Label18", QStringLiteral("Символьный вид"), palette().color(QPalette::WindowText));
    symbolHeader->setFont(headerFont);
    layout->addWidget(symbolHeader, 0, 2 + kColumns, 1, kColumns);
    headers_.push_back(symbolHeader);

    // The layout keeps the places' room; the grid draws in them (placeCells).
    for (int r = 0; r < kRows; ++r)
        layout->addItem(new QSpacerItem(rowWidth, cellHeight, QSizePolicy::Fixed, QSizePolicy::Fixed), 1 + r, 0);
    for (int i = 0; i < kCells; ++i) {
        layout->addItem(new QSpacerItem(cellWidth, cellHeight, QSizePolicy::Fixed, QSizePolicy::Fixed),
                        1 + row(i), 1 + column(i));
        layout->addItem(new QSpacerItem(symbolWidth, cellHeight, QSizePolicy::Fixed, QSizePolicy::Fixed),
                        1 + row(i), 2 + kColumns + column(i));
    }
    layout->setColumnStretch(2 * kColumns + 2, 1);
    drawnRow_.fill(kRowNotDrawn);
    prepareDigits();
}

ByteGrid::~ByteGrid() {
    // The line edits report to the window while they are torn down; it may be gone already.
    onCellFocusIn = nullptr;
    onCellFocusOut = nullptr;
    onCellKey = nullptr;
    onSymbolClick = nullptr;
    GridAccessibility::forget(*this);
}

// ---- The model ----

void ByteGrid::showScreen(const ScreenModel::Screen& screen) {
    const GridAccessibility::Announcement told(*this);
    model_.show(screen);
    if (editor_) editor_->setCellText(model_.text(editor_->index()));
    changed();
}

void ByteGrid::acceptEdit(int index, int value) {
    const GridAccessibility::Announcement told(*this);
    model_.setEdit(index, value);
    if (editor_ && editor_->index() == index) editor_->setText(model_.text(index));
    changed();
}

void ByteGrid::setFocusedCell(int index) {
    if (model_.focus() == index) return;
    model_.setFocus(index);
    changed();
}

QString ByteGrid::cellText(int index) const {
    return editor_ && editor_->index() == index ? editor_->text() : model_.text(index);
}

void ByteGrid::setCellText(int index, const QString& text) {
    if (editor_ && editor_->index() == index) {
        editor_->setText(text);
        return;
    }
    const GridAccessibility::Announcement told(*this);
    model_.keepText(index, text);
    changed();
}

QString ByteGrid::symbolText(int index) const {
    return model_.hasCharacter(index) ? QString(model_.character(index)) : QString();
}

QString ByteGrid::shownCharacter(const QString& character) {
    if (character.isEmpty() || !isControl(character.at(0))) return character;
    return QString(QChar(0x00B7));
}

QColor ByteGrid::cellForeground(int index) const { return inkColor(model_.ink(index)); }
QColor ByteGrid::cellBackground(int index) const { return groundColor(model_.ground(index)); }
QColor ByteGrid::symbolForeground(int) const { return GridColors::maroon(); }
QColor ByteGrid::symbolBackground(int index) const {
    return model_.characterFocused(index) ? GridColors::lightCyan() : GridColors::buttonFace();
}
QColor ByteGrid::rowForeground() const { return GridColors::highlight(); }
QColor ByteGrid::rowBackground() const { return palette().color(QPalette::Window); }

void ByteGrid::setLocked(bool locked) {
    locked_ = locked;
    if (editor_) editor_->setReadOnly(locked);
}

bool ByteGrid::cellLocked(int index) const {
    return editor_ && editor_->index() == index ? editor_->isReadOnly() : locked_;
}

// ---- The keyboard ----

int ByteGrid::focusedCell() const { return editor_ && editor_->hasFocus() ? editor_->index() : -1; }

void ByteGrid::focusCell(int index, Qt::FocusReason reason) {
    if (editor_ && editor_->hasFocus()) {
        if (editor_->index() == index) return;
        // The cell is left as for any other widget: the window checks what was typed.
        moving_ = true;
        editor_->clearFocus();
        moving_ = false;
    }
    if (!editor_) {
        editor_ = new HexCell(this);
        editor_->setReadOnly(locked_);
    }
    entryCell_ = index;
    editor_->moveTo(index, model_.text(index), hexPlaces_[index]);
    syncEditor();
    editor_->show();
    editor_->setFocus(reason);
}

void ByteGrid::editorEntered() {
    if (onCellFocusIn) onCellFocusIn(editor_->index());
}

void ByteGrid::editorLeft() {
    const int index = editor_->index();
    if (onCellFocusOut) onCellFocusOut(index);
    if (!editor_) return;  // the window is being torn down
    // What stays typed in the cell is shown until the next screen.
    model_.keepText(index, editor_->text());
    if (moving_ || window()->focusWidget() == editor_) {
        // To another cell, or the window gave up the keyboard for a while (another window,
        // a menu): the line edit stays where it is, to take the focus back.
        changed();
        return;
    }
    HexCell* left = editor_;
    editor_ = nullptr;
    left->hide();
    left->deleteLater();
    changed();
}

void ByteGrid::syncEditor() {
    if (!editor_) return;
    const int index = editor_->index();
    editor_->setColors(cellForeground(index), cellBackground(index));
    const QString name = GridAccessibility::cellName(*this, index);
    if (editor_->accessibleName() != name) editor_->setAccessibleName(name);
    const QString description = GridAccessibility::difference(model_, index);
    if (editor_->accessibleDescription() != description) editor_->setAccessibleDescription(description);
}

void ByteGrid::focusRowAddress(int row, Qt::FocusReason reason) {
    if (!rowBox_) rowBox_ = new RowAddressBox(this);
    placeRowBox(row);
    rowBox_->show();
    rowBox_->setFocus(reason);
}

void ByteGrid::placeRowBox(int row) {
    rowBox_->moveTo(row, rowText(row), rowPlaces_[row]);
    const QString name = GridAccessibility::rowName(*this, row);
    if (rowBox_->accessibleName() != name) rowBox_->setAccessibleName(name);
}

void ByteGrid::rowBoxLeft() {
    if (window()->focusWidget() == rowBox_) return;
    RowAddressBox* left = rowBox_;
    rowBox_ = nullptr;
    left->hide();
    left->deleteLater();
}

QString ByteGrid::rowText(int row) const { return AddressText::rowLabel(rowAddress(screenStart_, row)); }

void ByteGrid::focusInEvent(QFocusEvent* event) {
    // The grid holds the keyboard only to hand it to a cell.
    focusCell(entryCell_, event->reason());
}

// ---- Places ----

void ByteGrid::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeCells();
}

void ByteGrid::placeCells() {
    hexArea_ = symbolArea_ = rowArea_ = QRect();
    // Spacers keep their fixed size at the top left of their layout cell.
    auto place = [this](int r, int c) {
        return QRect(layout_->cellRect(r, c).topLeft(), layout_->itemAtPosition(r, c)->sizeHint());
    };
    for (int r = 0; r < kRows; ++r) {
        rowPlaces_[r] = place(1 + r, 0);
        rowArea_ |= rowPlaces_[r];
    }
    for (int i = 0; i < kCells; ++i) {
        hexPlaces_[i] = place(1 + row(i), 1 + column(i));
        symbolPlaces_[i] = place(1 + row(i), 2 + kColumns + column(i));
        hexArea_ |= hexPlaces_[i];
        symbolArea_ |= symbolPlaces_[i];
    }
    if (editor_) editor_->setGeometry(hexPlaces_[editor_->index()]);
    if (rowBox_) placeRowBox(rowBox_->row());
    dropDrawing();
    update();
}

int ByteGrid::indexAt(const QPoint& at) const {
    for (int i = 0; i < kCells; ++i)
        if (hexPlaces_[i].contains(at) || symbolPlaces_[i].contains(at)) return i;
    return -1;
}

void ByteGrid::setScreenStart(std::int64_t start) {
    if (start == screenStart_) return;
    screenStart_ = start;
    if (rowBox_) placeRowBox(rowBox_->row());
    GridAccessibility::namesChanged(*this);
    changed();
}

// ---- Drawing ----

void ByteGrid::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    const QEvent::Type type = event->type();
    if (type == QEvent::FontChange) prepareDigits();
    if (type == QEvent::FontChange || type == QEvent::StyleChange || type == QEvent::PaletteChange) {
        hexTiles_.clear();
        symbolTiles_.clear();
        dropDrawing();
        update();
    }
}

void ByteGrid::followPalette() {
    const QPalette& now = GridColors::windowPalette();
    const QPalette& before = GridColors::previousWindowPalette();
    if (now.cacheKey() == paletteKey_) return;
    paletteKey_ = now.cacheKey();
    for (QLabel* label : headers_) {
        const QColor color = label->palette().color(QPalette::WindowText);
        for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::WindowText})
            if (color == before.color(role)) GridColors::setTextColor(label, now.color(role));
    }
    // The cells' colours are the palette's own: drawn again, they follow it.
    hexTiles_.clear();
    symbolTiles_.clear();
    dropDrawing();
    syncEditor();
    if (rowBox_) rowBox_->setColors(rowForeground(), rowBackground());
    update();
}

void ByteGrid::dropDrawing() {
    drawing_ = QImage();
}

std::uint32_t ByteGrid::hexKey(int index) const {
    const int value = model_.value(index);
    const std::uint32_t glyph = model_.hasKeptText(index) ? kKeptText : value >= 0 ? std::uint32_t(value) : kNoValue;
    return (std::uint32_t(model_.ink(index)) * 3 + std::uint32_t(model_.ground(index))) * kHexGlyphs + glyph;
}

std::uint32_t ByteGrid::symbolKey(int index) const {
    if (!model_.hasCharacter(index)) return kNoCharacter;
    return (std::uint32_t(model_.dos()) << 9) | (std::uint32_t(model_.characterFocused(index)) << 8) |
           std::uint32_t(model_.value(index));
}

void ByteGrid::changed() {
    syncEditor();
    if (drawing_.isNull()) {
        update();
        return;
    }
    // Only the places that show something else are painted again; a page is most of them.
    QRect rows, hex, symbols;
    for (int r = 0; r < kRows; ++r)
        if (drawnRow_[r] != rowAddress(screenStart_, r)) rows |= rowPlaces_[r];
    for (int i = 0; i < kCells; ++i) {
        if (drawnHex_[i] != hexKey(i) || (model_.hasKeptText(i))) hex |= hexPlaces_[i];
        if (drawnSymbol_[i] != symbolKey(i)) symbols |= symbolPlaces_[i];
    }
    for (const QRect& area : {rows, hex, symbols})
        if (!area.isNull()) update(area);
}

void ByteGrid::prepareDigits() {
    // Row addresses change with every page: their digits are glyphs found once, not text
    // laid out again each time.
    static const QString kDigits = QStringLiteral("0123456789ABCDEF");
    QTextLayout layout(kDigits, font());
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    const QList<QGlyphRun> runs = layout.glyphRuns();
    digits_ = QGlyphRun();
    digitAdvance_ = 0;
    if (runs.size() == 1 && runs[0].glyphIndexes().size() == kDigits.size()) {
        digits_ = runs[0];
        digitAdvance_ = runs[0].positions()[1].x() - runs[0].positions()[0].x();
    }
}

void ByteGrid::drawRow(QPainter& painter, int r) {
    const QRect place = rowPlaces_[r];
    painter.fillRect(place, rowBackground());
    const QString text = rowText(r);
    const QFontMetrics fm = fontMetrics();
    // Where a line edit without a frame puts its centred text.
    const int used = fm.horizontalAdvance(text) + 1 + std::max(0, -fm.minRightBearing());
    const QPoint origin(place.left() + 2 + (place.width() - 4 - used) / 2,
                        place.top() + (place.height() - fm.height() + 1) / 2 + fm.ascent());
    painter.save();
    painter.setClipRect(place);
    painter.setPen(rowForeground());
    if (digitAdvance_ > 0) {
        QList<quint32> glyphs;
        QList<QPointF> positions;
        glyphs.reserve(text.size());
        positions.reserve(text.size());
        for (qsizetype k = 0; k < text.size(); ++k) {
            glyphs << digits_.glyphIndexes()[AddressText::hexDigitValue(text.at(k))];
            positions << QPointF(qreal(k) * digitAdvance_, 0);
        }
        QGlyphRun run;
        run.setRawFont(digits_.rawFont());
        run.setGlyphIndexes(glyphs);
        run.setPositions(positions);
        painter.drawGlyphRun(origin, run);
    } else {
        painter.setFont(font());
        painter.drawText(origin, text);
    }
    painter.restore();
}

QImage ByteGrid::renderCell(const QSize& size, const QString& text, const QColor& foreground,
                            const QColor& background, bool hex) const {
    const qreal ratio = devicePixelRatioF();
    QImage image(size * ratio, drawing_.format());
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
    if (isControl(text.at(0))) pen.setAlpha(90);
    painter.setPen(pen);
    painter.drawText(QRectF(QPointF(0, 0), size), Qt::AlignCenter | Qt::TextSingleLine, shownCharacter(text.left(1)));
    return image;
}

void ByteGrid::copyTile(const QImage& tile, const QRect& place) {
    // Row by row, as the bytes they are: the tile and the drawing share one pixel format.
    const qreal ratio = drawing_.devicePixelRatio();
    const QRect target = QRect(QPoint(qRound(place.x() * ratio), qRound(place.y() * ratio)), tile.size())
                             .intersected(drawing_.rect());
    if (target.isEmpty()) return;
    const int bytesPerPixel = drawing_.depth() / 8;
    const qsizetype length = qsizetype(target.width()) * bytesPerPixel;
    uchar* bits = drawing_.bits();
    const qsizetype stride = drawing_.bytesPerLine();
    for (int y = 0; y < target.height(); ++y)
        std::memcpy(bits + (target.y() + y) * stride + qsizetype(target.x()) * bytesPerPixel, tile.constScanLine(y), size_t(length));
}

void ByteGrid::updateDrawing(QImage::Format format) {
    const qreal ratio = devicePixelRatioF();
    if (drawing_.isNull() || drawing_.format() != format || drawing_.devicePixelRatio() != ratio ||
        drawing_.size() != size() * ratio) {
        if (format != drawing_.format()) {
            hexTiles_.clear();
            symbolTiles_.clear();
        }
        drawing_ = QImage(size() * ratio, format);
        drawing_.setDevicePixelRatio(ratio);
        drawing_.fill(palette().color(QPalette::Window));
        drawnHex_.fill(kNotDrawn);
        drawnSymbol_.fill(kNotDrawn);
        drawnRow_.fill(kRowNotDrawn);
    }
    if (hexTiles_.empty()) hexTiles_.resize(9 * kHexGlyphs);
    if (symbolTiles_.empty()) symbolTiles_.resize(kNoCharacter + 1);
    bool rowsChanged = false;
    for (int r = 0; r < kRows && !rowsChanged; ++r) rowsChanged = drawnRow_[r] != rowAddress(screenStart_, r);
    if (rowsChanged) {
        QPainter painter(&drawing_);
        for (int r = 0; r < kRows; ++r) {
            if (drawnRow_[r] == rowAddress(screenStart_, r)) continue;
            drawRow(painter, r);
            drawnRow_[r] = rowAddress(screenStart_, r);
        }
    }
    for (int i = 0; i < kCells; ++i) {
        const std::uint32_t hex = hexKey(i);
        if (hex % kHexGlyphs == kKeptText) {
            // A text the user left in the cell is drawn as it is, every time.
            copyTile(renderCell(hexPlaces_[i].size(), model_.text(i), cellForeground(i), cellBackground(i), true),
                     hexPlaces_[i]);
            drawnHex_[i] = hex;
        } else if (drawnHex_[i] != hex) {
            QImage& tile = hexTiles_[hex];
            if (tile.isNull())
                tile = renderCell(hexPlaces_[i].size(), model_.text(i), cellForeground(i), cellBackground(i), true);
            copyTile(tile, hexPlaces_[i]);
            drawnHex_[i] = hex;
        }
        const std::uint32_t symbol = symbolKey(i);
        if (drawnSymbol_[i] != symbol) {
            QImage& tile = symbolTiles_[symbol];
            if (tile.isNull())
                tile = renderCell(symbolPlaces_[i].size(), symbolText(i), symbolForeground(i), symbolBackground(i), false);
            copyTile(tile, symbolPlaces_[i]);
            drawnSymbol_[i] = symbol;
        }
    }
}

void ByteGrid::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    // Drawn in the format of what is painted on, the drawing is copied as it is, not converted.
    const QPaintDevice* target = painter.paintEngine() ? painter.paintEngine()->paintDevice() : nullptr;
    const QImage::Format format = target && target->devType() == QInternal::Image
                                      ? static_cast<const QImage*>(target)->format()
                                      : QImage::Format_RGB32;
    updateDrawing(format);
    const qreal ratio = drawing_.devicePixelRatio();
    for (const QRect& rect : event->region())
        painter.drawImage(rect, drawing_,
                          QRect(QPoint(qRound(rect.x() * ratio), qRound(rect.y() * ratio)), rect.size() * ratio));
}

// ---- Pointer ----

void ByteGrid::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const QPoint at = event->position().toPoint();
    for (int r = 0; r < kRows; ++r) {
        if (rowPlaces_[r].contains(at)) {
            focusRowAddress(r, Qt::MouseFocusReason);
            return;
        }
    }
    for (int i = 0; i < kCells; ++i) {
        if (hexPlaces_[i].contains(at)) {
            focusCell(i, Qt::MouseFocusReason);
            return;
        }
        if (symbolPlaces_[i].contains(at)) {
            if (onSymbolClick) onSymbolClick(i);
            return;
        }
    }
}

void ByteGrid::copyFocusedByte() const {
    const int focused = focusedCell();
    if (focused >= 0 && !cellText(focused).isEmpty())
        QApplication::clipboard()->setMimeData(GridClipboard::byteData(*this, focused));
}

// The copy commands live here rather than on shortcuts: Ctrl+C and Ctrl+A are the window's.
void ByteGrid::contextMenuEvent(QContextMenuEvent* event) {
    int index = indexAt(event->pos());
    if (index < 0 || cellText(index).isEmpty()) index = focusedCell();
    const bool onByte = index >= 0 && !cellText(index).isEmpty();
    if (!onByte && cellText(0).isEmpty()) return;  // no file: nothing to copy
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
        if (index >= 0 && !cellText(index).isEmpty())
            QToolTip::showText(help->globalPos(), QStringLiteral("Адрес ") + GridClipboard::addressText(*this, index), this);
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}
