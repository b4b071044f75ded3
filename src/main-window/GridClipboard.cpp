#include "GridClipboard.h"

#include <QMimeData>

#include "AddressText.h"
#include "ByteGrid.h"

using namespace GridGeometry;

namespace GridClipboard {

namespace {

// Joins what `pick` gives for each cell that shows a byte, 16 to a line.
template <typename Pick>
QString rows(const ByteGrid& grid, const QString& separator, Pick pick) {
    QString out;
    for (int r = 0; r < kRows; ++r) {
        QString line;
        for (int c = 0; c < kColumns; ++c) {
            const int i = cellAt(r, c);
            if (grid.cellText(i).isEmpty()) break;
            if (c > 0) line += separator;
            line += pick(i);
        }
        if (line.isEmpty()) break;
        out += line + QLatin1Char('\n');
    }
    return out;
}

// The byte a cell shows; a cell being typed into may hold a single digit.
char shownByte(const ByteGrid& grid, int index) { return char(grid.cellText(index).toUInt(nullptr, 16)); }

QMimeData* withBytes(const QString& text, const QByteArray& bytes) {
    QMimeData* data = textData(text);
    data->setData(QStringLiteral("application/octet-stream"), bytes);
    return data;
}

}  // namespace

QString byteText(const ByteGrid& grid, int index) { return grid.cellText(index); }

QString screenHex(const ByteGrid& grid) {
    return rows(grid, QStringLiteral(" "), [&](int i) { return grid.cellText(i); });
}

QString screenText(const ByteGrid& grid) {
    return rows(grid, QString(), [&](int i) {
        const QString ch = grid.symbolText(i);
        return ch.isEmpty() || ch.at(0).category() == QChar::Other_Control ? QStringLiteral(".") : ch;
    });
}

QString addressText(const ByteGrid& grid, int index) {
    return AddressText::funHexAdres(address(grid.screenStart(), index));
}

QMimeData* byteData(const ByteGrid& grid, int index) {
    return withBytes(byteText(grid, index), QByteArray(1, shownByte(grid, index)));
}

QMimeData* screenHexData(const ByteGrid& grid) {
    QByteArray bytes;
    for (int i = 0; i < kCells; ++i) {
        if (grid.cellText(i).isEmpty()) break;
        bytes += shownByte(grid, i);
    }
    return withBytes(screenHex(grid), bytes);
}

QMimeData* textData(const QString& text) {
    auto* data = new QMimeData;
    data->setText(text);
    return data;
}

}  // namespace GridClipboard
