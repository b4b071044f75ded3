#pragma once

#include <cstdint>

// The cursor of a read-only display of `length` positions in rows of `columns`, and the
// rows it shows: `rows` whole rows from the top row. Keys move the cursor; the rows on
// screen follow it, so that it always stands on one of them.
class GridCursor {
public:
    enum class Move { Left, Right, Up, Down, PageUp, PageDown, RowStart, RowEnd, First, Last };

    std::int64_t length() const { return length_; }
    std::int64_t position() const { return position_; }
    int columns() const { return columns_; }
    int rows() const { return rows_; }
    // The first position on screen.
    std::int64_t top() const { return topRow_ * columns_; }
    std::int64_t rowCount() const { return (length_ + columns_ - 1) / columns_; }

    // Another length, or another shape of the screen: the cursor stays where it is (within
    // the length), and on screen.
    void setLength(std::int64_t length);
    void setShape(int columns, int rows);
    // The cursor to `position` (held within the length), scrolling the least that shows it.
    void moveTo(std::int64_t position);
    // The cursor to `position`; out of sight, its row comes to the top of the screen (as far
    // as the end allows), with what follows it.
    void bringIntoView(std::int64_t position);
    void move(Move move);
    // The screen by `rows` rows, the cursor kept on it.
    void scroll(std::int64_t rows);

private:
    std::int64_t lastTopRow() const;
    void setTopRow(std::int64_t row);
    void follow();

    std::int64_t length_ = 0, position_ = 0, topRow_ = 0;
    int columns_ = 16, rows_ = 1;
};
