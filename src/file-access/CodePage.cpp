#include "CodePage.h"

#include <iconv.h>

#include <QHash>

#include <array>

namespace CodePage {

namespace {

struct Table {
    std::array<char16_t, 256> toUnicode{};
    QHash<char16_t, std::uint8_t> fromUnicode;
};

// Converts each byte on its own through iconv. A byte the code page leaves undefined keeps
// its own code point (a C1 control character), so no byte is shown as a substitute and
// every byte maps back to itself. Should iconv lack the code page, the upper half is
// treated the same way.
Table buildTable(const char* codePage) {
    Table table;
    iconv_t cd = iconv_open("UTF-16LE", codePage);
    for (int b = 0; b < 256; ++b) {
        char16_t unit = char16_t(b);
        if (cd != iconv_t(-1)) {
            char in = char(b);
            unsigned char out[4] = {};
            char* inPtr = &in;
            char* outPtr = reinterpret_cast<char*>(out);
            size_t inLeft = 1, outLeft = sizeof out;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != size_t(-1) && outLeft == 2)
                unit = char16_t(out[0] | (out[1] << 8));

        }
        table.toUnicode[b] = unit;
        if (!table.fromUnicode.contains(unit))
            table.fromUnicode.insert(unit, std::uint8_t(b));
    }
    if (cd != iconv_t(-1)) iconv_close(cd);
    return table;
}

const Table& ansiTable() {
    static const Table table = buildTable("CP1251");
    return table;
}

const Table& oemTable() {
    static const Table table = buildTable("CP866");
    return table;
}

}  // namespace

QChar ansiChar(std::uint8_t value) { return QChar(ansiTable().toUnicode[value]); }

QChar oemChar(std::uint8_t value) { return QChar(oemTable().toUnicode[value]); }

std::uint8_t ansiCode(QChar ch) { return ansiTable().fromUnicode.value(ch.unicode(), '?'); }

QByteArray toAnsi(const QString& text) {
    const Table& table = ansiTable();
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        // A character outside the 16-bit plane is one '?', not two.
        if (ch.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            out.append('?');
            ++i;
            continue;
        }
        out.append(char(table.fromUnicode.value(ch.unicode(), '?')));
    }
    return out;
}

}  // namespace CodePage
