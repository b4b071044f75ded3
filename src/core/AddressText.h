#pragma once

#include <QString>

#include <cstdint>

// Addresses as the user reads and types them. One implementation for every field.
namespace AddressText {

// Upper-case hexadecimal, left-padded with "0" to at least 7 digits: 1023 -> "00003FF".
QString funHexAdres(std::int64_t address);

// Label of the row that starts at `rowAddress` (a multiple of 16): the address divided by
// 16 in hexadecimal with at least 6 digits ("001A30" for 1A300). Below 10000000 this is
// the first six of the seven address digits; above, it keeps every digit.
QString rowLabel(std::int64_t rowAddress);

// The value of one hexadecimal digit, 0..15, or -1. Only the Latin digits and letters
// count: other scripts' digits (full-width, Arabic-Indic) are not what the user can have
// meant as hexadecimal.
int hexDigitValue(QChar c);

// Reads a typed hexadecimal field: blanks (space, tab, CR, LF) are skipped wherever they
// stand, the leading run of hex digits of what remains is the value, the rest is ignored.
// Empty or non-hex text reads 0. Never negative: a run too long for 63 bits saturates.
std::int64_t funAdresValue(const QString& text);

// How many characters an address field takes for a file of `fileSize` bytes: 7, or as
// many hex digits as the highest address needs.
int addressFieldDigits(std::int64_t fileSize);

// The go-to dialog's block field.
struct BlockNumber {
    enum Kind { NotANumber, Block, NoSuchBlock } kind = NotANumber;
    std::int64_t address = 0;  // for Block: the address to go to (1 for block 0)
};
BlockNumber parseBlockNumber(const QString& text);

}  // namespace AddressText
