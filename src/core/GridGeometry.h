#pragma once

#include <cstdint>

// Where a byte of the screen sits: cell i (0..255) is row i / 16, column i % 16 and shows
// the byte at address screenStart + i, which the file objects call position address + 1.
namespace GridGeometry {

constexpr int kColumns = 16;
constexpr int kRows = 16;
constexpr int kCells = kColumns * kRows;
constexpr std::int64_t kScreenBytes = kCells;

constexpr int row(int cell) { return cell / kColumns; }
constexpr int column(int cell) { return cell % kColumns; }
constexpr int cellAt(int row, int column) { return row * kColumns + column; }
constexpr std::int64_t address(std::int64_t screenStart, int cell) { return screenStart + cell; }
constexpr std::int64_t position(std::int64_t screenStart, int cell) { return screenStart + cell + 1; }
constexpr std::int64_t rowAddress(std::int64_t screenStart, int row) {
    return screenStart + std::int64_t(kColumns) * row;
}
// Screen holding an address; any negative address gives -256, one screen before 0.
constexpr std::int64_t screenStartOf(std::int64_t address) {
    return address >= 0 ? address / kScreenBytes * kScreenBytes : -kScreenBytes;
}
// Blocks count from 1; a file of `size` bytes has at least one.
constexpr std::int64_t blockOf(std::int64_t screenStart) { return screenStart / kScreenBytes + 1; }
constexpr std::int64_t blockCount(std::int64_t size) {
    std::int64_t n = size > 0 ? (size - 1) / kScreenBytes + 1 : 1;
    return n > 0 ? n : 1;
}

}  // namespace GridGeometry
