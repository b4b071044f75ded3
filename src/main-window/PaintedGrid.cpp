#include "PaintedGrid.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QWheelEvent>

#include <algorithm>

#include "GridAccessibility.h"
#include "CodePage.h"
#include "GridColors.h"
#include "LineLabel.h"
#include "ScreenModel.h"

PaintedGrid::PaintedGrid(QWidget* parent) : QWidget(parent) {
    GridAccessibility::install();
    // The grid paints all of itself, so the window does not paint its background first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFont(gridFont());
}

PaintedGrid::~PaintedGrid() { GridAccessibility::forget(*this); }

// A point above the window's own text, as the bytes are what is read most.
QFont PaintedGrid::gridFont() {
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setStyleHint(QFont::Monospace);
    const qreal text = QApplication::font().pointSizeF();
    font.setPointSizeF(text > 0 ? text + 1 : 10);
    return font;
}

bool PaintedGrid::cursorMove(const QKeyEvent* event, GridCursor::Move* move) {
    using Move = GridCursor::Move;
    const bool control = event->modifiers() & Qt::ControlModifier;
    if (event->modifiers() & ~(Qt::ControlModifier | Qt::KeypadModifier)) return false;
    switch (event->key()) {
    case Qt::Key_Left: *move = Move::Left; break;
    case Qt::Key_Right: *move = Move::Right; break;
    case Qt::Key_Up: *move = Move::Up; break;
    case Qt::Key_Down: *move = Move::Down; break;
    case Qt::Key_PageUp: *move = Move::PageUp; break;
    case Qt::Key_PageDown: *move = Move::PageDown; break;
    case Qt::Key_Home: *move = control ? Move::First : Move::RowStart; break;
    case Qt::Key_End: *move = control ? Move::Last : Move::RowEnd; break;
    default: return false;
    }
    return true;
}

void PaintedGrid::setShape(int sides, int rows, int columns) {
    // The interfaces of the places stood for places of the old shape.
    GridAccessibility::forget(*this);
    sides_ = sides;
    rows_ = rows;
    columns_ = columns;
    const auto cells = std::size_t(sides * rows * columns), labels = std::size_t(sides * rows);
    hexPlaces_.assign(cells, QRect());
    symbolPlaces_.assign(cells, QRect());
    rowPlaces_.assign(labels, QRect());
    shownHex_.assign(cells, hexKey(kNoValue, 0, 0));
    shownSymbol_.assign(cells, kNoCharacter);
    shownRow_.assign(labels, kNoLabel);
    forgetImages();
}

int PaintedGrid::placeAt(const QPoint& at, Kind* kind) const {
    for (std::size_t r = 0; r < rowPlaces_.size(); ++r)
        if (rowPlaces_[r].contains(at)) return *kind = Kind::Row, int(r);
    for (std::size_t i = 0; i < hexPlaces_.size(); ++i) {
        if (hexPlaces_[i].contains(at)) return *kind = Kind::Hex, int(i);
        if (symbolPlaces_[i].contains(at)) return *kind = Kind::Symbol, int(i);
    }
    return -1;
}

QString PaintedGrid::shownCharacter(const QString& character) {
    if (character.isEmpty() || !isControl(character.at(0))) return character;
    return QString(QChar(0x00B7));
}

QColor PaintedGrid::rowForeground() const { return GridColors::highlight(); }
QColor PaintedGrid::rowBackground() const { return palette().color(QPalette::Window); }

QString PaintedGrid::placeName(Kind kind, int index) const {
    return kind == Kind::Symbol ? shownCharacter(placeText(kind, index)) : QString();
}

QString PaintedGrid::placeText(Kind kind, int index) const {
    const auto at = std::size_t(index);
    if (kind == Kind::Row) return shownRow_[at] == kNoLabel ? QString() : rowLabel(shownRow_[at]);
    if (kind == Kind::Symbol) {
        const std::uint32_t key = shownSymbol_[at];
        if (key == kNoCharacter) return QString();
        return QString(key >> 9 & 1 ? CodePage::oemChar(std::uint8_t(key)) : CodePage::ansiChar(std::uint8_t(key)));
    }
    const std::uint32_t glyph = shownHex_[at] % kHexGlyphs;
    return glyph < 256 ? ScreenModel::byteText(int(glyph)) : glyph == kGap ? QStringLiteral("--") : glyph == kOwnText ? ownText(index) : QString();
}

QString PaintedGrid::footText() const { return foot_ ? foot_->text() : QString(); }

void PaintedGrid::setFootText(const QString& text) { foot_->setText(text); }

// ---- A cursor of the grid's own ----

void PaintedGrid::cursorChanged() {
    cursorMoved();
    GridAccessibility::cursorMoved(*this);
}

void PaintedGrid::keyPressEvent(QKeyEvent* event) {
    GridCursor::Move move;
    if (!cursorKeys_ || !cursorMove(event, &move)) return QWidget::keyPressEvent(event);
    cursor_.move(move);
    cursorChanged();
}

void PaintedGrid::mousePressEvent(QMouseEvent* event) {
    if (!cursorKeys_) return QWidget::mousePressEvent(event);
    setFocus(Qt::MouseFocusReason);
    Kind kind;
    const int cell = placeAt(event->position().toPoint(), &kind);
    if (cell < 0 || kind == Kind::Row) return;
    cursor_.moveTo(cursor_.top() + positionOf(cell));
    cursorChanged();
}

void PaintedGrid::wheelEvent(QWheelEvent* event) {
    if (!cursorKeys_) return QWidget::wheelEvent(event);
    // Three rows a notch.
    cursor_.scroll(-event->angleDelta().y() / 40);
    cursorChanged();
}

// ---- Places ----

void PaintedGrid::placesChanged() {
    placeGaps();
    forgetImages();
    update();
}

PaintedGrid::Sizes PaintedGrid::sizes(int labelDigits) const {
    const QFontMetrics fm(font());
    return {fm.horizontalAdvance(QStringLiteral("WW")) + 8, fm.height() + 6, fm.horizontalAdvance(QLatin1Char('W')) + 3,
            fm.horizontalAdvance(QString(labelDigits + 1, QLatin1Char('0'))) + 8};
}

int PaintedGrid::sideWidth(int columns, int labelDigits) const {
    const Sizes s = sizes(labelDigits);
    return s.row + kHexToCharacters + columns * (s.cell + s.symbol + 2 * kSpacing);
}

QSize PaintedGrid::arrangedSize(int columns, int rows) const {
    const int caption = headers_.empty() ? 0 : headers_[0]->sizeHint().height() + kSpacing;
    return {sides_ * sideWidth(columns, labelDigits_) + (sides_ - 1) * kBetweenSides,
            caption + rows * (sizes(labelDigits_).height + kSpacing) + (foot_ ? foot_->height() : 0)};
}

void PaintedGrid::arrange(const QStringList& captions, int labelDigits) {
    captions_ = captions;
    labelDigits_ = labelDigits;
    const int sides = int(captions.size());
    while (int(headers_.size()) < sides) {
        headers_.push_back(new QLabel(this));
        headers_.back()->setAlignment(Qt::AlignCenter);
    }
    if (!foot_) foot_ = new LineLabel(QString(), this);
    foot_->setColumnWidth(width());
    foot_->move(0, height() - foot_->height());
    const int top = headers_[0]->sizeHint().height() + kSpacing;
    // Every side whole: fewer bytes to a row where the room is narrow.
    int columns = 4;
    for (int wide : {16, 8})
        if (sides * sideWidth(wide, labelDigits) + (sides - 1) * kBetweenSides <= width()) {
            columns = wide;
            break;
        }
    const Sizes s = sizes(labelDigits);
    // Only whole rows: the cursor never stands on a row cut off at the bottom.
    const int rows = std::max(1, (height() - top - foot_->height()) / (s.height + kSpacing));
    const bool reshaped = sides != sides_ || rows != rows_ || columns != columns_;
    if (reshaped) setShape(sides, rows, columns);
    const int side = sideWidth(columns, labelDigits);
    for (int k = 0; k < sides; ++k) {
        const int left = k * (side + kBetweenSides);
        headers_[std::size_t(k)]->setText(captions[k]);
        headers_[std::size_t(k)]->setGeometry(left, 0, side, top - kSpacing);
        const int hex = left + s.row + kSpacing, characters = hex + columns * (s.cell + kSpacing) + kHexToCharacters;
        for (int r = 0; r < rows; ++r) {
            const int y = top + r * (s.height + kSpacing), first = (r * sides + k) * columns;
            rowPlaces_[std::size_t(r * sides + k)] = QRect(left, y, s.row, s.height);
            for (int c = 0; c < columns; ++c) {
                hexPlaces_[std::size_t(first + c)] = QRect(hex + c * (s.cell + kSpacing), y, s.cell, s.height);
                symbolPlaces_[std::size_t(first + c)] = QRect(characters + c * (s.symbol + kSpacing), y, s.symbol, s.height);
            }
        }
    }
    placesChanged();
    if (!reshaped) return;
    cursor_.setShape(columns, rows);
    shapeChanged();
}

void PaintedGrid::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (!captions_.isEmpty()) arrange(captions_, labelDigits_);
}

void PaintedGrid::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    const QEvent::Type type = event->type();
    if (type == QEvent::FontChange && !captions_.isEmpty()) arrange(captions_, labelDigits_);
    if (type == QEvent::FontChange || type == QEvent::StyleChange || type == QEvent::PaletteChange) {
        forgetImages();
        update();
    }
}

void PaintedGrid::keepKeys(const QList<QKeySequence>& keys) {
    keptKeys_ = keys;
    QStringList names;
    for (const QKeySequence& key : keys) names << key.toString(QKeySequence::PortableText);
    // The window's own shortcuts give way to these (see its event filter).
    setProperty("bivexOwnKeys", names);
}

bool PaintedGrid::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride && !keptKeys_.isEmpty() &&
        keptKeys_.contains(QKeySequence(static_cast<QKeyEvent*>(event)->keyCombination()))) {
        event->accept();
        return true;
    }
    return QWidget::event(event);
}
