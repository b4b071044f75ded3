#pragma once

#include <QString>

#include <cstdint>

class ByteGrid;
class QMimeData;

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

// What the copy commands hand to the clipboard (which takes ownership). The hex copies
// carry the bytes themselves as well, as application/octet-stream, for programs that
// paste binary data; the other copies are plain text.
QMimeData* byteData(const ByteGrid& grid, int index);
QMimeData* screenHexData(const ByteGrid& grid);
QMimeData* textData(const QString& text);

}  // namespace GridClipboard
