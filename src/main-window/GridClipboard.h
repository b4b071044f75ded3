#pragma once

#include <QString>

#include <cstdint>

class ByteGrid;

// What the grid's copy commands put on the clipboard, taken from the screen as shown
// (edited cells included). Rows end in "\n"; cells past the end of the file are left out.
namespace GridClipboard {

// The byte of cell `index` as shown ("4F"), empty past the end.
QString byteText(const ByteGrid& grid, int index);
// The screen's bytes, 16 to a line, separated by blanks.
QString screenHex(const ByteGrid& grid);
// The screen's characters, 16 to a line; control characters become ".".
QString screenText(const ByteGrid& grid);
// The address of cell `index` as the fields show addresses ("0001A35").
QString addressText(const ByteGrid& grid, int index);

}  // namespace GridClipboard
