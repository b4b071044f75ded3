#pragma once

#include <QByteArray>
#include <QString>

#include "AddressText.h"
#include "CodePage.h"

// The dump as a reader of its description would write it: byte by byte, row by row, with
// plain text. Tests compare the program's dumps with it.
namespace ExpectedDump {

inline QString character(std::uint8_t value, bool dos) {
    if ((value >= 9 && value <= 13) || value == 27) value = 32;
    return QString(dos ? CodePage::oemChar(value) : CodePage::ansiChar(value));
}

// Data lines of a whole-file dump of `bytes`, or, with `other`, of the mismatch dump of
// `bytes` (file A) and `other` (file B) showing A's bytes when `showA`. The first byte
// stands at address `start`.
inline QByteArray lines(const QByteArray& bytes, bool dos, const QByteArray* other = nullptr, bool showA = true,
                        qint64 start = 0) {
    const qint64 n = other ? std::min(bytes.size(), other->size()) : bytes.size();
    QString out;
    for (qint64 row = 0; row * 16 < n; ++row) {
        QString fields, part;
        bool differs = false;
        for (qint64 pos = row * 16; pos < row * 16 + 16; ++pos) {
            if (pos >= n) {
                fields += QStringLiteral("   ");
                continue;
            }
            const auto a = std::uint8_t(bytes[pos]);
            const auto b = other ? std::uint8_t((*other)[pos]) : a;
            if (other && a == b) {
                fields += QStringLiteral(".. ");
                part += u' ';
                continue;
            }
            differs = true;
            const std::uint8_t shown = showA ? a : b;
            fields += QStringLiteral("%1 ").arg(shown, 2, 16, QLatin1Char('0')).toUpper();
            part += character(shown, dos);
        }
        const bool lastShortRow = row * 16 + 16 > n;
        if (other && !differs && !lastShortRow) continue;
        out += AddressText::funHexAdres(start + row * 16).left(6) + QStringLiteral("     ") + fields + u'|' + part +
               QStringLiteral("\r\n");
    }
    return CodePage::toAnsi(out);
}

// The dump with the date and time of its title line blanked out.
inline QByteArray masked(QByteArray dump) {
    if (dump.size() > 20) dump.replace(1, 19, QByteArray(19, '#'));
    return dump;
}

}  // namespace ExpectedDump
