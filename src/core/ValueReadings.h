#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <optional>

// What the bytes from one address read as — integers, floats, times, a character, a UTF-8
// code point, the bits — for the table of values under the cursor, one column per file.
//
// The forms, chosen once here:
// - integers in plain decimal with a minus sign, floats in the shortest form that reads
//   back to the same value ("1", "0.1", "-1.5e-07"), "nan" for every NaN, "inf", "-inf";
// - the integer and float rows and both Unix times follow the byte order; a DOS date and
//   time and a FILETIME are little-endian whatever the order, as their formats fix it;
// - Unix times (signed seconds since 01.01.1970) and FILETIME (100 ns ticks since
//   01.01.1601) as "dd.MM.yyyy HH:mm:ss UTC" (a FILETIME with its ticks after the dot when
//   there are any), years 1 to 9999 only; a DOS date and time (date in the high word, time
//   in the low word, as FAT stores it) as "dd.MM.yyyy HH:mm:ss", in no zone, as stored;
// - the character in CP1251, or CP866 in the DOS view; a control character as "·" with a
//   word, as the grid shows it as a dot;
// - UTF-8 as "U+0041 A" (the code point alone for a control character);
// - the bits of the first byte, high bit first, as "0100 0001".
// A reading the bytes cannot give is "—" with the reason.
namespace ValueReadings {

enum class Row {
    Int8, UInt8, Int16, UInt16, Int32, UInt32, Int64, UInt64, Float32, Float64,
    UnixTime32, UnixTime64, DosDateTime, FileTime, Character, Utf8, Bits,
};
constexpr int kRowCount = 17;

// The row's label: "int8" … "биты".
QString label(Row row);

enum class ByteOrder { LittleEndian, BigEndian };

// The bytes from the address as the screen shows them: `count` of the eight lie inside the
// file (fewer near its end), the rest are not there.
struct Bytes {
    std::array<std::uint8_t, 8> data{};
    int count = 0;
};

struct Reading {
    QString text;    // the value, or "—"
    QString reason;  // why there is no value ("за концом файла: нужно 4 байта, есть 2"); empty with one
    // The value as compared between the files; none where the text is "—".
    std::optional<std::uint64_t> value;
};

// `dos`: the character row in CP866 instead of CP1251.
Reading read(Row row, const Bytes& bytes, ByteOrder order, bool dos);

// The row is marked as differing: one file has a value and the other none, or their values
// differ. Values are compared, not texts: -0 and 0 differ (they print apart and a program
// tells them apart), while every NaN is one value, so equal bytes are never marked and a
// NaN against a NaN is not a difference a reader could see. Two readings without a value
// are not marked.
bool differ(const Reading& a, const Reading& b);

}  // namespace ValueReadings
