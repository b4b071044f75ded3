#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include "AddressText.h"
#include "CodePage.h"
#include "DumpFormat.h"
#include "FileErrors.h"

// A dump as a reader of its description would write it: byte by byte, row by row, in
// plain text. Tests compare the program's dumps with it.
namespace ExpectedDump {

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
            std::uint8_t shown = showA ? a : b;
            fields += QStringLiteral("%1 ").arg(shown, 2, 16, QLatin1Char('0')).toUpper();
            if ((shown >= 9 && shown <= 13) || shown == 27) shown = 32;
            part += dos ? CodePage::oemChar(shown) : CodePage::ansiChar(shown);
        }
        if (other && !differs && row * 16 + 16 <= n) continue;
        out += AddressText::funHexAdres(start + row * 16).left(6) + QStringLiteral("     ") + fields + u'|' + part +
               QStringLiteral("\r\n");
    }
    return CodePage::toAnsi(out);
}

// The five header lines of a dump with the date and time masked; `data` gets the rest.
inline QByteArray header(const QByteArray& dump, QByteArray* data) {
    qsizetype end = 0;
    for (int i = 0; i < 5 && end >= 0; ++i) end = dump.indexOf('\n', end) + 1;
    *data = dump.mid(end);
    QByteArray head = dump.left(end);
    if (head.size() > 20) head.replace(1, 19, QByteArray(19, '#'));
    return head;
}
inline QByteArray header(DumpFormat::Kind kind, const char* name, std::int64_t block = 0) {
    QByteArray data;
    return header(DumpFormat::header(kind, QDateTime(QDate(2000, 1, 1), QTime(0, 0)), block, QString::fromUtf8(name)), &data);
}

}  // namespace ExpectedDump
