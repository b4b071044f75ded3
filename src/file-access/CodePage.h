#pragma once

#include <QByteArray>
#include <QChar>
#include <QString>

#include <cstdint>

// The two 8-bit code pages of the Russian user: CP1251 (the program's character view and
// the dump files) and CP866 (the DOS character view). Tables are built once through iconv.
namespace CodePage {

// The Unicode character that byte `value` stands for in CP1251. The one byte that CP1251
// leaves undefined (0x98) keeps its code point, U+0098.
QChar ansiChar(std::uint8_t value);
// The Unicode character that byte `value` stands for in CP866.
QChar oemChar(std::uint8_t value);
// CP1251 byte of a character, or '?' when CP1251 has none; used for typed characters.
std::uint8_t ansiCode(QChar ch);
// Text converted to CP1251 for writing; characters without a CP1251 byte become '?'.
QByteArray toAnsi(const QString& text);

}  // namespace CodePage
