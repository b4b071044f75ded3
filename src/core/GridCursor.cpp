#include "GridCursor.h"

#include <algorithm>

void GridCursor::setLength(std::int64_t length) {
    length_ = std::max<std::int64_t>(0, length);
    moveTo(position_);
}

void GridCursor::setShape(int columns, int rows) {
    // The first position on screen stays on screen.
    const std::int64_t top = this->top();
    columns_ = std::max(1, columns);
    rows_ = std::max(1, rows);
    setTopRow(top / columns_);
    follow();
}

std::int64_t GridCursor::lastTopRow() const { return std::max<std::int64_t>(0, rowCount() - rows_); }

void GridCursor::setTopRow(std::int64_t row) { topRow_ = std::clamp<std::int64_t>(row, 0, lastTopRow()); }

void GridCursor::follow() {
    const std::int64_t row = position_ / columns_;
    if (row < topRow_)
        setTopRow(row);
    else if (row >= topRow_ + rows_)
        setTopRow(row - rows_ + 1);
}

void GridCursor::moveTo(std::int64_t position) {
    position_ = std::clamp<std::int64_t>(position, 0, std::max<std::int64_t>(0, length_ - 1));
    follow();
}

void GridCursor::bringIntoView(std::int64_t position) {
    const std::int64_t row = std::clamp<std::int64_t>(position, 0, std::max<std::int64_t>(0, length_ - 1)) / columns_;
    if (row < topRow_ || row >= topRow_ + rows_) setTopRow(row);
    moveTo(position);
}

void GridCursor::scroll(std::int64_t rows) {
    setTopRow(topRow_ + rows);
    // The cursor keeps its place on the screen, as far as there are positions.
    const std::int64_t row = std::clamp(position_ / columns_, topRow_, topRow_ + rows_ - 1);
    position_ = std::clamp<std::int64_t>(row * columns_ + position_ % columns_, 0, std::max<std::int64_t>(0, length_ - 1));
}

void GridCursor::move(Move move) {
    const std::int64_t rowStart = position_ - position_ % columns_, page = std::int64_t(rows_) * columns_;
    switch (move) {
    case Move::Left: moveTo(position_ - 1); return;
    case Move::Right: moveTo(position_ + 1); return;
    case Move::Up: moveTo(position_ >= columns_ ? position_ - columns_ : position_); return;
    // Onto a shorter last row: its last position.
    case Move::Down: moveTo(rowStart + columns_ < length_ ? position_ + columns_ : position_); return;
    case Move::PageUp:
        setTopRow(topRow_ - rows_);
        moveTo(position_ - page);
        return;
    case Move::PageDown:
        setTopRow(topRow_ + rows_);
        moveTo(position_ + page);
        return;
    case Move::RowStart: moveTo(rowStart); return;
    case Move::RowEnd: moveTo(rowStart + columns_ - 1); return;
    case Move::First: moveTo(0); return;
    case Move::Last: moveTo(length_ - 1); return;
    }
}
