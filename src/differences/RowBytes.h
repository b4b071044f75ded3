#pragma once

#include <QString>

#include <cstdint>

// What a row of a list shows of the bytes it is about: the first of them on each side, read
// from the files the list was made of, in hexadecimal and as characters of the code page
// the screen shows, so that a changed text can be read in the row.
namespace RowBytes {

constexpr int kHexBytes = 8;
constexpr int kTextBytes = 16;

// Empty where nothing can be read (no file, no bytes).
QString hex(int fd, std::int64_t address, std::int64_t length);
QString text(int fd, std::int64_t address, std::int64_t length, bool dos);

}  // namespace RowBytes
