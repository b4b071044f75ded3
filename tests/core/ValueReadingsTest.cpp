// The values under the cursor: every row on known bytes in both byte orders, the file's end,
// and the values that print alike or apart.
#include "ValueReadings.h"

#include <QByteArray>

#include <gtest/gtest.h>

// A failed comparison shows the texts.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace {

using namespace ValueReadings;

// "41 42" → the bytes, as many as given inside the file unless `count` says fewer.
Bytes bytesOf(const char* hex, int count = -1) {
    const QByteArray raw = QByteArray::fromHex(hex);
    Bytes bytes;
    for (qsizetype i = 0; i < raw.size() && i < 8; ++i) bytes.data[std::size_t(i)] = std::uint8_t(raw[i]);
    bytes.count = count >= 0 ? count : int(raw.size());
    return bytes;
}

TEST(ValueReadings, EveryRowReadsKnownBytesInBothOrders) {
    const struct {
        Row row;
        const char *label, *bytes, *little, *big;
    } rows[] = {
        {Row::Int8, "int8", "80", "-128", "-128"},
        {Row::UInt8, "uint8", "80", "128", "128"},
        {Row::Int16, "int16", "FF7F", "32767", "-129"},
        {Row::UInt16, "uint16", "FF7F", "32767", "65407"},
        {Row::Int32, "int32", "00000080", "-2147483648", "128"},
        {Row::UInt32, "uint32", "00000080", "2147483648", "128"},
        {Row::Int64, "int64", "0000000000000080", "-9223372036854775808", "128"},
        {Row::UInt64, "uint64", "FEFFFFFFFFFFFFFF", "18446744073709551614", "18374686479671623679"},
        {Row::Float32, "float32", "0000803F", "1", "4.6006e-41"},
        {Row::Float32, "float32", "000080FF", "-inf", "4.6275e-41"},
        {Row::Float32, "float32", "0000C07F", "nan", "6.9055e-41"},
        {Row::Float32, "float32", "00000080", "-0", "1.8e-43"},
        {Row::Float64, "float64", "9A9999999999B93F", "0.1", "-1.5423487136675799e-180"},
        {Row::Float64, "float64", "00003426F56B1C43", "2e+15", "2.83306780938075e-310"},
        {Row::UnixTime32, "время Unix (32)", "00000080", "13.12.1901 20:45:52 UTC", "01.01.1970 00:02:08 UTC"},
        {Row::UnixTime64, "время Unix (64)", "00000000FFFFFF7F", "—", "07.02.2106 06:26:07 UTC"},
        // Little-endian whatever the order, as FAT and Windows store them.
        {Row::DosDateTime, "дата и время DOS", "9C5A7358", "19.03.2024 11:20:56", "19.03.2024 11:20:56"},
        {Row::DosDateTime, "дата и время DOS", "00005D00", "29.02.1980 00:00:00", "29.02.1980 00:00:00"},
        {Row::FileTime, "FILETIME", "00803ED5DEB19D01", "01.01.1970 00:00:00 UTC", "01.01.1970 00:00:00 UTC"},
        {Row::FileTime, "FILETIME", "01803ED5DEB19D01", "01.01.1970 00:00:00.0000001 UTC", "01.01.1970 00:00:00.0000001 UTC"},
        {Row::Character, "символ", "C0", "А", "А"},
        {Row::Character, "символ", "0A", "· (управляющий)", "· (управляющий)"},
        {Row::Utf8, "UTF-8", "D0AF", "U+042F Я", "U+042F Я"},
        {Row::Utf8, "UTF-8", "F09F9880", "U+1F600 😀", "U+1F600 😀"},
        {Row::Bits, "биты", "41", "0100 0001", "0100 0001"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.label) + " " + r.bytes);
        EXPECT_EQ(label(r.row), QString::fromUtf8(r.label));
        EXPECT_EQ(read(r.row, bytesOf(r.bytes), ByteOrder::LittleEndian, false).text, QString::fromUtf8(r.little));
        EXPECT_EQ(read(r.row, bytesOf(r.bytes), ByteOrder::BigEndian, false).text, QString::fromUtf8(r.big));
    }
    // The DOS view reads its characters in CP866.
    EXPECT_EQ(read(Row::Character, bytesOf("C0"), ByteOrder::LittleEndian, true).text, QStringLiteral("└"));
}

TEST(ValueReadings, WhatCannotBeReadIsADashWithItsReason) {
    const struct {
        Row row;
        const char* bytes;
        int count;  // of the bytes, inside the file
        const char* reason;
    } rows[] = {
        {Row::Int32, "01020304", 3, "за концом файла: нужно 4 байта, есть 3"},
        {Row::Int8, "", 0, "за концом файла: нужно 1 байт, есть 0"},
        {Row::Utf8, "E282", 2, "символ UTF-8 обрезан концом файла: нужно 3 байта, есть 2"},
        {Row::Utf8, "80", 1, "0x80 — продолжение, а не начало символа UTF-8"},
        {Row::Utf8, "C080", 2, "байта 0xC0 в UTF-8 не бывает"},
        {Row::Utf8, "E241", 2, "после 0xE2 нет продолжения символа UTF-8 (0x41)"},
        {Row::Utf8, "E08080", 3, "лишне длинная запись"},
        {Row::Utf8, "EDA080", 3, "суррогатной"},
        {Row::Utf8, "F4908080", 4, "больше U+10FFFF"},
        {Row::DosDateTime, "00000000", 4, "не дата DOS: месяц 0"},
        {Row::DosDateTime, "00005E00", 4, "не дата DOS: день 30 в месяце 2"},
        {Row::DosDateTime, "00C02100", 4, "не время DOS: 24 ч 0 мин 0 с"},
        {Row::UnixTime64, "FFFFFFFFFFFFFF7F", 8, "время вне 0001–9999 годов"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.bytes);
        const Reading reading = read(r.row, bytesOf(r.bytes, r.count), ByteOrder::LittleEndian, false);
        EXPECT_EQ(reading.text, QStringLiteral("—"));
        EXPECT_TRUE(reading.reason.contains(QString::fromUtf8(r.reason))) << reading.reason.toStdString();
        EXPECT_FALSE(reading.value);
    }
}

TEST(ValueReadings, RowsDifferByValueNotByText) {
    const struct {
        Row row;
        const char *a, *b;
        bool differ;
    } rows[] = {
        {Row::Float32, "00000000", "00000080", true},   // 0 and -0
        {Row::Float32, "0000C07F", "0100C07F", false},  // two NaNs
        {Row::Float32, "0000C07F", "00000000", true},
        {Row::Int16, "0100", "0101", true},
        {Row::Int8, "01", "0102", false},               // only the bytes a row reads count
        {Row::Int32, "01000000", "010000", true},       // a value against the file's end
        {Row::Int32, "0100", "010000", false},          // both past the end
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.a) + " " + r.b);
        EXPECT_EQ(differ(read(r.row, bytesOf(r.a), ByteOrder::LittleEndian, false),
                         read(r.row, bytesOf(r.b), ByteOrder::LittleEndian, false)),
                  r.differ);
    }
}

}  // namespace
