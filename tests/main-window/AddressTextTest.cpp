#include "AddressText.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

using AddressText::BlockNumber;

namespace {

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();

TEST(AddressText, ReadsTypedHexadecimal) {
    struct Row {
        const char* text;
        std::int64_t value;
    };
    const Row rows[] = {
        {"", 0},
        {"0", 0},
        {"00001ff", 511},
        {"1 F", 31},
        {" \t1\r\n 0 ", 16},
        {"12G4", 18},
        {"XYZ", 0},
        {"-5", 0},
        {"abc", 0xABC},
        {"1a5", 0x1A5},
        {"8000", 32768},
        {"FFFFFFF", 0xFFFFFFF},
        {"7FFFFFFFFFFFFFFF", kMax},
        {"8000000000000000", kMax},
        {"FFFFFFFFFFFFFFFFFFFF", kMax},
        {"１２", 0},  // full-width digits are not hexadecimal digits
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(AddressText::funAdresValue(QString::fromUtf8(row.text)), row.value);
    }
}

TEST(AddressText, WritesAddressesWithAtLeastSevenDigits) {
    struct Row {
        std::int64_t address;
        const char* text;
    };
    const Row rows[] = {
        {0, "0000000"},
        {1023, "00003FF"},
        {0xFFFFFFF, "FFFFFFF"},
        {0x10000000, "10000000"},
        {0x7FFFFFFF, "7FFFFFFF"},
        {0x123456789AB, "123456789AB"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(AddressText::funHexAdres(row.address), QString::fromLatin1(row.text));
    }
}

TEST(AddressText, RowLabelIsTheAddressOverSixteen) {
    struct Row {
        std::int64_t rowAddress;
        const char* label;
    };
    const Row rows[] = {
        {0, "000000"},
        {0xF0, "00000F"},
        {0x1A300, "001A30"},
        {0x1A3F0, "001A3F"},
        {0xFFFFFF0, "FFFFFF"},
        {0x10000000, "1000000"},
        {0x7FFFFFF0, "7FFFFFF"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        EXPECT_EQ(AddressText::rowLabel(row.rowAddress), QString::fromLatin1(row.label));
    }
}

TEST(AddressText, FieldTakesAsManyDigitsAsTheLastAddressNeeds) {
    struct Row {
        std::int64_t fileSize;
        int digits;
    };
    const Row rows[] = {
        {0, 7},
        {1, 7},
        {1024, 7},
        {0x10000000, 7},  // last address FFFFFFF
        {0x10000001, 8},  // last address 10000000
        {0x7FFFFFFF, 8},
        {0x100000001, 9},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.fileSize);
        EXPECT_EQ(AddressText::addressFieldDigits(row.fileSize), row.digits);
    }
}

TEST(AddressText, ReadsBlockNumbers) {
    struct Row {
        const char* text;
        BlockNumber::Kind kind;
        std::int64_t address;
    };
    const Row rows[] = {
        {"1", BlockNumber::Block, 0},
        {"3", BlockNumber::Block, 512},
        {"+3", BlockNumber::Block, 512},
        {" 3 ", BlockNumber::Block, 512},
        {"2,5", BlockNumber::Block, 256},
        {"2.5", BlockNumber::Block, 256},
        {",5e1", BlockNumber::Block, 1024},
        {"1e2", BlockNumber::Block, 99 * 256},
        {"1E+2", BlockNumber::Block, 99 * 256},
        {"0", BlockNumber::Block, 1},
        {"0,0", BlockNumber::Block, 1},
        {"-0", BlockNumber::Block, 1},
        {"36028797018963968", BlockNumber::Block, kMax - 255},  // 2^55, the last block
        {"0.5", BlockNumber::NoSuchBlock, 0},
        {"-1", BlockNumber::NoSuchBlock, 0},
        {"1E99", BlockNumber::NoSuchBlock, 0},
        {"1E999", BlockNumber::NoSuchBlock, 0},
        {"1E-999", BlockNumber::NoSuchBlock, 0},
        {"36028797018963976", BlockNumber::NoSuchBlock, 0},  // 2^55 + 8, the next double
        {"", BlockNumber::NotANumber, 0},
        {" ", BlockNumber::NotANumber, 0},
        {"A", BlockNumber::NotANumber, 0},
        {"1A", BlockNumber::NotANumber, 0},
        {"1 2", BlockNumber::NotANumber, 0},
        {"1,000.5", BlockNumber::NotANumber, 0},
        {"e5", BlockNumber::NotANumber, 0},
        {".", BlockNumber::NotANumber, 0},
        {"inf", BlockNumber::NotANumber, 0},
        {"nan", BlockNumber::NotANumber, 0},
        {"0x10", BlockNumber::NotANumber, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        const BlockNumber block = AddressText::parseBlockNumber(QString::fromUtf8(row.text));
        EXPECT_EQ(block.kind, row.kind);
        if (row.kind == BlockNumber::Block) {
            EXPECT_EQ(block.address, row.address);
        }
    }
}

}  // namespace
