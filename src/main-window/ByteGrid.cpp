#include "ByteGrid.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGridLayout>
#include <QHelpEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPointer>
#include <QToolTip>

#include <utility>

#include "AddressText.h"
#include "GridAccessibility.h"
#include "GridClipboard.h"
#include "GridColors.h"
#include "HexCell.h"
#include "RowAddressBox.h"

using namespace GridGeometry;

namespace {

QLabel* header(QWidget* parent, const char* name, const QString& caption, const QColor& color) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setAlignment(Qt::AlignCenter);
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, color);
    label->setPalette(p);
    return label;
}

// The room of a row address: spaced from its neighbours as a field would be, where a plain
// spacer takes no spacing.
class FieldRoom : public QSpacerItem {
public:
    FieldRoom(int width, int height) : QSpacerItem(width, height, QSizePolicy::Fixed, QSizePolicy::Fixed) {}
    bool isEmpty() const override { return false; }
};

}  // namespace

QColor ByteGrid::inkOf(ScreenModel::Ink ink) {
    switch (ink) {
    case ScreenModel::Ink::Mismatch: return GridColors::darkRed();
    case ScreenModel::Ink::Edited: return GridColors::blue();
    case ScreenModel::Ink::Plain: break;
    }
    return GridColors::black();
}

QColor ByteGrid::groundOf(ScreenModel::Ground ground) {
    switch (ground) {
    case ScreenModel::Ground::Focus: return GridColors::lightCyan();
    case ScreenModel::Ground::FocusedMismatch: return GridColors::buttonShadow();
    case ScreenModel::Ground::Face: break;
    }
    return GridColors::buttonFace();
}

QColor ByteGrid::inkColor(int ink, bool character) const {
    return character ? GridColors::maroon() : inkOf(ScreenModel::Ink(ink));
}

QColor ByteGrid::groundColor(int ground) const { return groundOf(ScreenModel::Ground(ground)); }

QString ByteGrid::rowLabel(std::int64_t number) const { return AddressText::rowLabel(number); }

std::vector<PaintedGrid::TileRun> ByteGrid::tilesAhead() const {
    // Plain and dark red hex cells and the characters of the code page in view, as most
    // places show them, then as the focused place does.
    using Ink = ScreenModel::Ink;
    using Ground = ScreenModel::Ground;
    auto hex = [](Ink ink, Ground ground) { return TileRun{hexKey(0, int(ink), int(ground)), false}; };
    const std::uint32_t characters = symbolKey(0, 0, false, model_.dos());
    return {hex(Ink::Plain, Ground::Face),           hex(Ink::Mismatch, Ground::Face),
            {characters, true},                      hex(Ink::Plain, Ground::Focus),
            hex(Ink::Mismatch, Ground::FocusedMismatch), {symbolKey(0, 0, true, model_.dos()), true}};
}

ByteGrid::ByteGrid(QWidget* parent) : PaintedGrid(parent) {
    setObjectName(QStringLiteral("ByteGrid"));
    paletteKey_ = GridColors::windowPalette().cacheKey();
    // Tab and the window's first focus reach the cells through the grid; a click lands on a cell.
    setFocusPolicy(Qt::TabFocus);
    setShape(1, kRows, kColumns);
    const Sizes s = sizes();
    const int cellWidth = s.cell, cellHeight = s.height, symbolWidth = s.symbol, rowWidth = s.row;

    auto* layout = new QGridLayout(this);
    layout_ = layout;
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setHorizontalSpacing(kSpacing);
    layout->setVerticalSpacing(kSpacing);

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
    layout->setColumnMinimumWidth(1 + kColumns, kHexToCharacters);
    auto* symbolHeader = header(this, "Label18", QStringLiteral("Символьный вид"), palette().color(QPalette::WindowText));
    symbolHeader->setFont(headerFont);
    layout->addWidget(symbolHeader, 0, 2 + kColumns, 1, kColumns);
    headers_.push_back(symbolHeader);

    // The layout keeps the places' room; the grid draws in them (placeCells).
    for (int r = 0; r < kRows; ++r)
        layout->addItem(new FieldRoom(rowWidth, cellHeight), 1 + r, 0);
    for (int i = 0; i < kCells; ++i) {
        layout->addItem(new QSpacerItem(cellWidth, cellHeight, QSizePolicy::Fixed, QSizePolicy::Fixed),
                        1 + row(i), 1 + column(i));
        layout->addItem(new QSpacerItem(symbolWidth, cellHeight, QSizePolicy::Fixed, QSizePolicy::Fixed),
                        1 + row(i), 2 + kColumns + column(i));
    }
    layout->setColumnStretch(2 * kColumns + 2, 1);
    changed();
    focusWatch_ = connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { focusMoved(now); });
}

ByteGrid::~ByteGrid() {
    // The line edits report to the window while they are torn down; it may be gone already.
    onCellFocusIn = nullptr;
    onCellFocusOut = nullptr;
    onCellKey = nullptr;
    onSymbolClick = nullptr;
    // The line edits go after this; their going is no focus change of the grid's.
    disconnect(focusWatch_);
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

void ByteGrid::changed() {
    syncEditor();
    for (int r = 0; r < kRows; ++r) setRowLabel(r, rowAddress(screenStart_, r));
    for (int i = 0; i < kCells; ++i) {
        const int value = model_.value(i);
        const std::uint32_t glyph = model_.hasKeptText(i) ? kOwnText : value >= 0 ? std::uint32_t(value) : kNoValue;
        setCell(i, hexKey(glyph, int(model_.ink(i)), int(model_.ground(i))),
                model_.hasCharacter(i) ? symbolKey(value, 0, model_.characterFocused(i), model_.dos()) : kNoCharacter);
    }
    refresh();
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

QColor ByteGrid::cellForeground(int index) const { return inkOf(model_.ink(index)); }
QColor ByteGrid::cellBackground(int index) const { return groundOf(model_.ground(index)); }
QColor ByteGrid::symbolForeground(int) const { return GridColors::maroon(); }
QColor ByteGrid::symbolBackground(int index) const {
    return model_.characterFocused(index) ? GridColors::lightCyan() : GridColors::buttonFace();
}

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
    // Judging the cell may hand the keyboard on (the first edit disables the button that
    // took it), and the grid then lets this line edit go; it is read through a guard.
    const QPointer<HexCell> editor = editor_;
    const int index = editor->index();
    if (onCellFocusOut) onCellFocusOut(index);
    // What stays typed in the cell is shown until the next screen.
    if (editor) model_.keepText(index, editor->text());
    changed();
}

void ByteGrid::focusMoved(QWidget* now) {
    // A line edit stays while the keyboard is away for a while (another window, a menu, the
    // menu bar), to take it back; it goes when another control of the window has it.
    if (!now || now == this || now->window() != window() || qobject_cast<QMenuBar*>(now)) return;
    auto drop = [](auto*& box) {
        box->hide();
        std::exchange(box, nullptr)->deleteLater();
    };
    if (editor_ && now != editor_) drop(editor_);
    if (rowBox_ && now != rowBox_) drop(rowBox_);
}

void ByteGrid::syncEditor() {
    if (!editor_) return;
    const int index = editor_->index();
    editor_->setColors(cellForeground(index), cellBackground(index));
    const QString name = placeName(Kind::Hex, index);
    if (editor_->accessibleName() != name) editor_->setAccessibleName(name);
    const QString description = placeDescription(Kind::Hex, index);
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
    const QString name = placeName(Kind::Row, row);
    if (rowBox_->accessibleName() != name) rowBox_->setAccessibleName(name);
}

QString ByteGrid::rowText(int row) const { return AddressText::rowLabel(rowAddress(screenStart_, row)); }

// ---- What a screen reader hears ----

QString ByteGrid::placeName(Kind kind, int index) const {
    switch (kind) {
    case Kind::Hex: return QStringLiteral("Адрес ") + AddressText::funHexAdres(address(screenStart_, index));
    case Kind::Row: return QStringLiteral("Строка с адреса ") + AddressText::funHexAdres(rowAddress(screenStart_, index));
    case Kind::Symbol: break;
    }
    return PaintedGrid::placeName(kind, index);
}

QString ByteGrid::placeText(Kind kind, int index) const {
    switch (kind) {
    case Kind::Hex: return cellText(index);
    case Kind::Row: return rowText(index);
    case Kind::Symbol: break;
    }
    return symbolText(index);
}

QString ByteGrid::placeDescription(Kind kind, int index) const {
    // Dark red is not all a screen reader can tell: it hears the other file's byte.
    if (kind != Kind::Hex || model_.ink(index) != ScreenModel::Ink::Mismatch) return QString();
    return QStringLiteral("отличается, в файле %1: ").arg(model_.fileInView() == 1 ? QStringLiteral("В") : QStringLiteral("А")) +
           ScreenModel::byteText(model_.otherByte(index));
}

bool ByteGrid::placeEditable(Kind kind, int index) const {
    return kind == Kind::Hex ? !cellLocked(index) && model_.byte(index) >= 0 : false;
}

QWidget* ByteGrid::placeEditor(Kind kind, int index) const {
    if (kind == Kind::Hex && editor_ && editor_->index() == index) return editor_;
    if (kind == Kind::Row && rowBox_ && rowBox_->row() == index) return rowBox_;
    return nullptr;
}

void ByteGrid::focusPlace(Kind kind, int index) {
    if (kind == Kind::Hex) focusCell(index, Qt::OtherFocusReason);
    if (kind == Kind::Row) focusRowAddress(index, Qt::OtherFocusReason);
}

void ByteGrid::focusInEvent(QFocusEvent* event) {
    // The grid holds the keyboard only to hand it to a cell.
    focusCell(entryCell_, event->reason());
}

// ---- Places ----

void ByteGrid::resizeEvent(QResizeEvent* event) {
    PaintedGrid::resizeEvent(event);
    placeCells();
}

void ByteGrid::placeCells() {
    // Spacers keep their fixed size at the top left of their layout cell.
    auto place = [this](int r, int c) {
        return QRect(layout_->cellRect(r, c).topLeft(), layout_->itemAtPosition(r, c)->sizeHint());
    };
    for (int r = 0; r < kRows; ++r) rowPlaces_[r] = place(1 + r, 0);
    for (int i = 0; i < kCells; ++i) {
        hexPlaces_[i] = place(1 + row(i), 1 + column(i));
        symbolPlaces_[i] = place(1 + row(i), 2 + kColumns + column(i));
    }
    if (editor_) editor_->setGeometry(hexPlaces_[editor_->index()]);
    if (rowBox_) placeRowBox(rowBox_->row());
    placesChanged();
}

int ByteGrid::indexAt(const QPoint& at) const {
    Kind kind;
    const int index = placeAt(at, &kind);
    return kind == Kind::Row ? -1 : index;
}

void ByteGrid::setScreenStart(std::int64_t start) {
    if (start == screenStart_) return;
    screenStart_ = start;
    if (rowBox_) placeRowBox(rowBox_->row());
    GridAccessibility::namesChanged(*this);
    changed();
}

// ---- Changes of look ----

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
    // The cells' colours are the palette's own: painted again, they follow it.
    forgetImages();
    syncEditor();
    if (rowBox_) rowBox_->setColors(rowForeground(), rowBackground());
    update();
}

// ---- Pointer ----

void ByteGrid::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    Kind kind;
    const int index = placeAt(event->position().toPoint(), &kind);
    if (index < 0) return;
    if (kind == Kind::Row)
        focusRowAddress(index, Qt::MouseFocusReason);
    else if (kind == Kind::Hex)
        focusCell(index, Qt::MouseFocusReason);
    else if (onSymbolClick)
        onSymbolClick(index);
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
    return PaintedGrid::event(event);
}
