// The dump line format: header lines, characters, row labels and data lines, byte for byte.
#include <gtest/gtest.h>

#include <QDateTime>

#include "AddressText.h"
#include "CodePage.h"
#include "DumpFormat.h"

using namespace DumpFormat;

namespace {

QByteArray ansi(const QString& text) { return CodePage::toAnsi(text); }

const QDateTime kNow(QDate(2026, 12, 6), QTime(10, 57, 0));

QStringList headerLines(const QByteArray& text) {
    QStringList lines;
    for (const QByteArray& line : text.split('\n')) {
        QString decoded;
        for (char c : line) decoded += CodePage::ansiChar(std::uint8_t(c));
        lines << decoded;
    }
    return lines;
}

}  // namespace

TEST(DumpHeader, FiveLinesInCp1251WithTheTitleByKind) {
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
    const QString rest =
        QStringLiteral("Dump программы : ''отчёт.bin''\r\n") + QString(76, u'=') + QStringLiteral("\r\n") +
        QStringLiteral("Адрес.      0  1  2  3  4  5  6  7  8  9  A  B  C  D  E  F | Символьный вид.\r\n") +
        QString(76, u'-') + QStringLiteral("\r\n");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.title.toStdString());
        const QByteArray text = header(row.kind, kNow, row.block, QStringLiteral("отчёт.bin"));
        EXPECT_EQ(text, ansi(row.title + QStringLiteral("\r\n") + rest));
        const QStringList lines = headerLines(text);
        const int guillemet = row.block == 12 ? 54 : 53;
        EXPECT_EQ(lines[0].indexOf(u'«'), guillemet);
        EXPECT_EQ(lines[0].size(), guillemet + 7 + 1);  // with its CR
        EXPECT_EQ(text.at(text.indexOf(char(0xAB))), char(0xAB));  // « is one CP1251 byte
    }
    // The digit of column k over the second digit of field k, "|" in column 59.
    const QString columns = columnHeader();
    ASSERT_EQ(columns.size(), 76);
    for (int k = 0; k < 16; ++k) EXPECT_EQ(columns.at(12 + 3 * k), QString::number(k, 16).toUpper().at(0));
    EXPECT_EQ(columns.at(59), u'|');
}

TEST(DumpCharacters, ControlsBecomeBlanksAndDosBytesAreWrittenInCp1251) {
    const struct {
        bool dos;
        int byte;
        char written;
    } rows[] = {
        {false, 0x41, 'A'},         {false, 0x00, '\0'},        {false, 0x09, ' '},
        {false, 0x0A, ' '},         {false, 0x0B, ' '},         {false, 0x0C, ' '},
        {false, 0x0D, ' '},         {false, 0x1B, ' '},         {false, 0x08, '\x08'},
        {false, 0x1F, '\x1F'},      {false, 0x7F, '\x7F'},      {false, 0xC0, '\xC0'},
        {false, 0x98, '\x98'},      {false, 0xFF, '\xFF'},      {true, 0x80, '\xC0'},
        {true, 0xA0, '\xE0'},       {true, 0xF0, '\xA8'},       {true, 0x0D, ' '},
        {true, 0x41, 'A'},          {true, 0x00, '\0'},         {true, 0xB0, '?'},
    };
    const CharTable ansiTable(false), dosTable(true);
    for (const auto& row : rows)
        EXPECT_EQ((row.dos ? dosTable : ansiTable)[std::uint8_t(row.byte)], row.written)
            << "byte " << row.byte << (row.dos ? " in DOS view" : "");
}

TEST(DumpRowLabel, CountsLikeTheScreenLabelsAcrossEveryCarry) {
    const std::int64_t starts[] = {0, 0xF0, 0xFFFF0, 0xFFFFF0, 0xFFFFFF0, 0x7FFFFFF0, 0x123456789ABC0};
    for (std::int64_t start : starts) {
        RowLabel label(start);
        for (int step = 0; step < 3; ++step, label.next()) {
            const std::int64_t address = start + 16 * step;
            EXPECT_EQ(QByteArray(label.data(), label.size()), AddressText::rowLabel(address).toLatin1())
                << std::hex << address;
        }
    }
    const struct {
        std::int64_t from;
        std::uint64_t rows;
    } jumps[] = {{0, 0}, {0, 1}, {0, 0x10}, {0x10, 0xFFFFF}, {0x3F0, 0x1234567}, {0xFFFFFF0, 0xFFFFFFFF}};
    for (const auto& jump : jumps) {
        RowLabel label(jump.from);
        label.advance(jump.rows);
        EXPECT_EQ(QByteArray(label.data(), label.size()),
                  AddressText::rowLabel(jump.from + 16 * std::int64_t(jump.rows)).toLatin1())
            << std::hex << jump.from << " + " << jump.rows << " rows";
    }
}

TEST(DumpLine, FieldsBlanksAndCharactersStandInTheirColumns) {
    const CharTable chars(false);
    std::uint8_t a[16], b[16];
    for (int i = 0; i < 16; ++i) a[i] = b[i] = std::uint8_t(0x41 + i);
    b[4] = 0x0D;
    b[15] = 0x00;
    const QByteArray full = "000030     41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50 |ABCDEFGHIJKLMNOP\r\n";
    const QByteArray blanks45(45, ' ');
    const struct {
        const char* name;
        bool mismatch;
        bool showA;
        int count;
        QByteArray line;
    } rows[] = {
        {"full row", false, true, 16, full},
        {"one byte", false, true, 1, "000030     41 " + blanks45 + "|A\r\n"},
        {"fifteen bytes", false, true, 15, full.left(11 + 45) + "   |ABCDEFGHIJKLMNO\r\n"},
        {"differ in 5 and 16, A shown", true, true, 16,
         "000030     .. .. .. .. 45 .. .. .. .. .. .. .. .. .. .. 50 |    E          P\r\n"},
        {"differ in 5 and 16, B shown", true, false, 16,
         "000030     .. .. .. .. 0D .. .. .. .. .. .. .. .. .. .. 00 |" + QByteArray(15, ' ') + QByteArray(1, '\0') +
             "\r\n"},
        {"short row of matches", true, true, 3, "000030     .. .. .. " + QByteArray(39, ' ') + "|   \r\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        char out[kLineRoom];
        const RowLabel label(0x300);
        const char* end = row.mismatch ? mismatchRow(out, label, a, b, row.count, row.showA, chars)
                                       : fileRow(out, label, a, row.count, chars);
        EXPECT_EQ(QByteArray(out, int(end - out)), row.line);
        EXPECT_EQ(row.line.indexOf('|'), 59);
    }
    EXPECT_EQ(full.size(), 76 + 2);
}

// The vector and the portable writer of a full row agree on every byte value, in both
// views and with labels of every width.
TEST(DumpLine, VectorAndPortableRowsAgree) {
    std::uint8_t bytes[256];
    for (int i = 0; i < 256; ++i) bytes[i] = std::uint8_t(i * 113 + 7);
    for (bool dos : {false, true}) {
        const CharTable chars(dos);
        for (std::int64_t address : {std::int64_t(0), std::int64_t(0xFFFFFF0), std::int64_t(0x123456789ABC0)})
            for (int at = 0; at < 256; at += 16) {
                char fast[kLineRoom], portable[kLineRoom];
                const RowLabel label(address);
                const char* fastEnd = fileRow(fast, label, bytes + at, 16, chars);
                const char* portableEnd = detail::fileRowPortable(portable, label, bytes + at, 16, chars);
                ASSERT_EQ(QByteArray(fast, int(fastEnd - fast)), QByteArray(portable, int(portableEnd - portable)))
                    << "dos " << dos << " address " << address << " row " << at / 16;
            }
    }
}

TEST(DumpLine, CellRowsCopyTheTextsAsShown) {
    const CharTable ansiTable(false), dosTable(true);
    QStringList cells;
    for (int i = 0; i < 16; ++i) cells << QStringLiteral("%1").arg(0x41 + i, 2, 16).toUpper();
    QStringList typed = cells;
    typed[2] = QStringLiteral("f");
    QStringList shortRow = cells.mid(0, 5);
    for (int i = 5; i < 16; ++i) shortRow << QString();
    QStringList dos = cells;
    dos[0] = QStringLiteral("80");
    EXPECT_EQ(cellRow(QStringLiteral("000030"), cells, ansiTable),
              "000030     41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50 |ABCDEFGHIJKLMNOP\r\n");
    EXPECT_EQ(cellRow(QStringLiteral("000030"), typed, ansiTable),
              "000030     41 42 f 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50 |AB\x0F" "DEFGHIJKLMNOP\r\n");
    EXPECT_EQ(cellRow(QStringLiteral("000030"), shortRow, ansiTable),
              "000030     41 42 43 44 45 " + QByteArray(33, ' ') + "|ABCDE\r\n");
    EXPECT_EQ(cellRow(QStringLiteral("000030"), dos, dosTable),
              "000030     80 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50 |\xC0" "BCDEFGHIJKLMNOP\r\n");
}
