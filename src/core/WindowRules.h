#pragma once

#include <QString>

#include <algorithm>
#include <cstdint>

#include "GridGeometry.h"

// The main window's small decisions, without widgets: paging, comparing, moving the focus
// between cells and reading a typed byte.
namespace WindowRules {

// Whether a screen follows the one starting at `screenStart` in a file of `size` bytes.
constexpr bool hasNextScreen(std::int64_t size, std::int64_t screenStart) {
    return size - screenStart > GridGeometry::kScreenBytes;
}

// The length up to which two files can be paged and compared together.
constexpr std::int64_t shorterSize(std::int64_t sizeA, std::int64_t sizeB) { return std::min(sizeA, sizeB); }

// Two cells count as equal when they hold the same byte, or when either file has no byte
// there (-1): only bytes both files have can differ.
constexpr bool cellsEqual(int byteA, int byteB) { return byteA == byteB || byteA < 0 || byteB < 0; }

// What a key typed into cell `cell` does to the focus, given the number of cells that show
// a byte (they come first on the screen). KeyAscii is the key's CP1251 code.
constexpr int kNotNavigation = -2;  // an ordinary key: typed into the cell
constexpr int kNowhere = -1;        // a navigation key with no cell to go to
int navigationTarget(int cell, int KeyAscii, int filledCells);

// The byte typed into a cell: one or two Latin hexadecimal digits, either case; -1 for
// anything else.
int typedByte(const QString& text);

}  // namespace WindowRules
