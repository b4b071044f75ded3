// The pieces of a dump line: header lines, characters, row labels, full rows.
#include <gtest/gtest.h>

#include "AddressText.h"
#include "CodePage.h"
#include "DumpFormat.h"

using namespace DumpFormat;

TEST(DumpFormat, HeaderLinesByKindInCp1251) {
    const QDateTime now(QDate(2026, 12, 6), QTime(10, 57, 0));
    const QString rest = QStringLiteral("\r\nDump программы : ''отчёт.bin''\r\n") + QString(76, u'=') +
                         QStringLiteral("\r\nАдрес.      0  1  2  3  4  5  6  7  8  9  A  B  C  D  E  F | Символьный вид.\r\n") +
                         QString(76, u'-') + QStringLiteral("\r\n");
    const struct {
        Kind kind;
        std::int64_t block;
        QString title;
    } rows[] = {
        {Kind::Block, 1, QStringLiteral("[06.12.2026 10:57:00]  [Блок 1]                      «Bivex»")},
        {Kind::Block, 12, QStringLiteral("[06.12.2026 10:57:00]  [Блок 12]                      «Bivex»")},
        {Kind::File, 7, QStringLiteral("[06.12.2026 10:57:00]  [Файл]                        «Bivex»")},
        {Kind::Mismatch, 7, QStringLiteral("[06.12.2026 10:57:00]  [Несовпадающие байты]         «Bivex»")},
    };
    for (const auto& row : rows) {
        const QByteArray text = header(row.kind, now, row.block, QStringLiteral("отчёт.bin"));
        EXPECT_EQ(text, CodePage::toAnsi(row.title + rest)) << row.title.toStdString();
        EXPECT_EQ(text.indexOf('\xAB'), row.block == 12 ? 54 : 53);  // «, one CP1251 byte
    }
}

TEST(DumpFormat, ControlsBecomeBlanksAndDosCharactersAreWrittenInCp1251) {
    const struct {
        bool dos;
        int byte;
        char written;
    } rows[] = {
        {false, 0x41, 'A'}, {false, 0x00, '\0'}, {false, 0x09, ' '}, {false, 0x0A, ' '}, {false, 0x0B, ' '},
        {false, 0x0C, ' '}, {false, 0x0D, ' '}, {false, 0x1B, ' '}, {false, 0x08, '\x08'}, {false, 0x7F, '\x7F'},
        {false, 0x98, '\x98'}, {false, 0xFF, '\xFF'}, {true, 0x80, '\xC0'}, {true, 0xF0, '\xA8'}, {true, 0x0D, ' '},
        {true, 0x00, '\0'}, {true, 0xB0, '?'},
    };
    const CharTable ansiTable(false), dosTable(true);
    for (const auto& row : rows)
        EXPECT_EQ((row.dos ? dosTable : ansiTable)[std::uint8_t(row.byte)], row.written)
            << "byte " << row.byte << (row.dos ? " in DOS view" : "");
}

TEST(DumpFormat, RowLabelsCountLikeTheScreenLabelsAcrossEveryCarry) {
    const struct {
        std::int64_t from;
        std::uint64_t rows;
    } rows[] = {{0, 1}, {0xF0, 1}, {0xFFFFF0, 1}, {0xFFFFFF0, 1}, {0x123456789ABC0, 1},
                {0, 0x10}, {0x10, 0xFFFFF}, {0x3F0, 0x1234567}, {0xFFFFFF0, 0xFFFFFFFF}};
    for (const auto& row : rows) {
        RowLabel stepped(row.from), jumped(row.from);
        if (row.rows == 1) stepped.next();
        jumped.advance(row.rows);
        const QByteArray expected = AddressText::rowLabel(row.from + 16 * std::int64_t(row.rows)).toLatin1();
        EXPECT_EQ(QByteArray(jumped.data(), jumped.size()), expected) << std::hex << row.from << " + " << row.rows;
        if (row.rows == 1) {
            EXPECT_EQ(QByteArray(stepped.data(), stepped.size()), expected);
        }
    }
}

// The vector and the portable writer of a full row agree on every byte value, in both
// views and with labels of several widths.
TEST(DumpFormat, VectorAndPortableRowsAgree) {
    std::uint8_t bytes[256];
    for (int i = 0; i < 256; ++i) bytes[i] = std::uint8_t(i * 113 + 7);
    for (bool dos : {false, true})
        for (std::int64_t address : {std::int64_t(0x300), std::int64_t(0x123456789ABC0)})
            for (int at = 0; at < 256; at += 16) {
                char fast[kLineRoom], portable[kLineRoom];
                const RowLabel label(address);
                const CharTable chars(dos);
                const char* fastEnd = fileRow(fast, label, bytes + at, 16, chars);
                const char* portableEnd = detail::fileRowPortable(portable, label, bytes + at, 16, chars);
                ASSERT_EQ(QByteArray(fast, fastEnd - fast), QByteArray(portable, portableEnd - portable)) << at;
                if (address == 0x300) {
                    ASSERT_EQ(fastEnd - fast, 78);
                }
            }
}

// Whatever the width of a row label, the fields and "|" of every dump stand under the
// header's columns: 6 and 7 digits share the header's column 11, and only a dump of
// labels past 10 digits moves its columns, header included.
TEST(DumpFormat, EveryLabelWidthKeepsTheHeaderColumns) {
    const std::uint8_t bytes[16] = {0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4A, 0x4B, 0x4C, 0x4D, 0x4E, 0x4F, 0x50};
    std::uint8_t other[16];
    for (int k = 0; k < 16; ++k) other[k] = std::uint8_t(bytes[k] ^ (k & 1));
    const CharTable chars(false);
    const struct {
        std::int64_t row;
        int column;
    } rows[] = {{0, 11}, {0xFFFFFF0, 11}, {0xFFFFFFF0, 11}, {0x100000000, 11}, {0x123456789ABC0, 13}};
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.row));
        const int column = fieldColumn(row.row + 16);
        EXPECT_EQ(column, row.column);
        const QByteArray head = CodePage::toAnsi(columnHeader(column));
        const qsizetype bar = head.indexOf('|');
        EXPECT_EQ(head.indexOf(" 0 "), column);
        const RowLabel label(row.row, column);
        char line[kLineRoom];
        const QByteArray cells = cellRow(AddressText::rowLabel(row.row), QStringList(16, QStringLiteral("41")), chars, column);
        for (const QByteArray& text : {QByteArray(line, fileRow(line, label, bytes, 16, chars) - line),
                                       QByteArray(line, mismatchRow(line, label, bytes, other, 16, true, chars) - line),
                                       cells}) {
            EXPECT_EQ(text.indexOf('|'), bar) << text.constData();
            EXPECT_EQ(text.at(column - 1), ' ');
            EXPECT_NE(text.at(column), ' ') << text.constData();
        }
    }
}
