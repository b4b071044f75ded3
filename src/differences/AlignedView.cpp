#include "AlignedView.h"

#include <QKeyEvent>

#include <utility>

#include "GridAccessibility.h"
#include "GridColors.h"

namespace {

using Mark = AlignedLayout::Mark;
enum Ink { kSame, kReplaced, kMoved };  // kMoved: inserted or deleted bytes, and their gaps

}  // namespace

AlignedView::AlignedView(AlignedLayout layout, AlignedLayout::Read read, QWidget* parent)
    : PaintedGrid(parent), layout_(std::move(layout)), read_(std::move(read)) {
    setObjectName(QStringLiteral("AlignedView"));
    setAccessibleName(QStringLiteral("Выровненный вид"));
    setFocusPolicy(Qt::StrongFocus);
    setReadAsTable(true);
    setCursorKeys(true);
    keepKeys({QKeySequence(Qt::Key_F6), QKeySequence(Qt::SHIFT | Qt::Key_F6)});
    // Light, whatever the desktop: dark red and blue need it.
    setPalette(GridColors::windowPalette());
    cursor_.setLength(layout_.length());
    arrange({QStringLiteral("Файл А"), QStringLiteral("Файл В")}, int(rowLabel(0).size()));
}

void AlignedView::cursorMoved() {
    const GridAccessibility::Announcement told(*this);
    const int columns = this->columns();
    shown_ = outOfDate_.isEmpty() ? layout_.shown(cursor_.top(), std::int64_t(rows()) * columns, read_)
                                  : std::vector<AlignedLayout::Shown>();
    for (int cell = 0; cell < cells(); ++cell) {
        const int side = sideOf(cell);
        const std::size_t at = std::size_t(positionOf(cell));
        if (cell % columns == 0) setRowLabel(cell / columns, at < shown_.size() ? shown_[at].row.side(side).address : kNoLabel);
        if (at >= shown_.size()) {
            setCell(cell, hexKey(kNoValue, 0, 0), kNoCharacter);
            continue;
        }
        const AlignedLayout::Row& row = shown_[at].row;
        const int value = shown_[at].value[side], ink = row.change < 0 ? kSame : row.a.mark == Mark::Replaced || row.b.mark == Mark::Replaced ? kReplaced : kMoved;
        const bool cursor = cursor_.top() + std::int64_t(at) == cursor_.position();
        const std::uint32_t glyph = row.side(side).mark == Mark::Gap ? kGap : value >= 0 ? std::uint32_t(value) : kNoValue;
        setCell(cell, hexKey(glyph, ink, cursor), symbolKey(value, ink, cursor, dos_));
    }
    refresh();
    if (std::exchange(shownTop_, cursor_.top()) != cursor_.top()) GridAccessibility::namesChanged(*this);

    const std::size_t at = std::size_t(cursor_.position() - cursor_.top());
    setFootText(at < shown_.size() ? layout_.readout(shown_[at]) : outOfDate_);
    emit positionChanged(cursor_.position(), at < shown_.size() ? shown_[at].row.change : -1);
}

void AlignedView::setPosition(std::int64_t position) {
    cursor_.moveTo(position);
    cursorChanged();
}

void AlignedView::showChange(std::size_t index) {
    if (index >= layout_.changes().size() || !outOfDate_.isEmpty()) return;
    cursor_.bringIntoView(layout_.startOf(index));
    cursorChanged();
}

void AlignedView::setDos(bool dos) {
    dos_ = dos;
    cursorMoved();
}

void AlignedView::setOutOfDate(const QString& reason) {
    outOfDate_ = reason;
    cursorChanged();
}

void AlignedView::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_Escape) {
        emit closeRequested();
    } else if (!outOfDate_.isEmpty()) {
        event->ignore();
    } else if (key == Qt::Key_F6) {
        const bool back = event->modifiers() & Qt::ShiftModifier;
        const std::int64_t change = back ? layout_.previousChange(position()) : layout_.nextChange(position());
        if (change >= 0) showChange(std::size_t(change));
    } else if ((key == Qt::Key_Return || key == Qt::Key_Enter) && layout_.length() > 0) {
        emit activated(layout_.at(position()).a.address, layout_.at(position()).b.address);
    } else {
        PaintedGrid::keyPressEvent(event);
    }
}

// ---- What each cell says ----

const AlignedLayout::Place* AlignedView::placeOf(int cell, int side) const {
    const auto at = std::size_t(positionOf(cell));
    return at < shown_.size() ? &shown_[at].row.side(side) : nullptr;
}

int AlignedView::cursorCell() const {
    // B's byte where A has a gap.
    const int side0 = cellOf(cursor_.position() - cursor_.top(), 0);
    const AlignedLayout::Place* a = placeOf(side0, 0);
    return !a ? -1 : a->mark == Mark::Gap ? side0 + columns() : side0;
}

QString AlignedView::placeName(Kind kind, int index) const {
    const int side = kind == Kind::Row ? index % 2 : sideOf(index);
    const AlignedLayout::Place* place = placeOf(kind == Kind::Row ? index / 2 * 2 * columns() : index, side);
    if (kind == Kind::Symbol || !place) return PaintedGrid::placeName(kind, index);
    return kind == Kind::Row ? layout_.rowName(*place, side) : layout_.byteName(*place, side);
}

QString AlignedView::placeDescription(Kind kind, int index) const {
    const AlignedLayout::Place* place = kind == Kind::Hex ? placeOf(index, sideOf(index)) : nullptr;
    return place ? AlignedLayout::markName(place->mark) : QString();
}

QString AlignedView::rowLabel(std::int64_t number) const { return layout_.addressText(number); }

QColor AlignedView::inkColor(int ink, bool) const {
    return ink == kReplaced ? GridColors::darkRed() : ink == kMoved ? GridColors::blue() : GridColors::black();
}

QColor AlignedView::groundColor(int ground) const { return ground ? GridColors::lightCyan() : GridColors::buttonFace(); }

std::vector<PaintedGrid::TileRun> AlignedView::tilesAhead() const {
    return {{hexKey(0, kSame, 0), false}, {hexKey(0, kReplaced, 0), false}, {symbolKey(0, kSame, false, dos_), true}};
}
