#include "AddressText.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();

TEST(AddressText, ReadsTypedHexadecimal) {
    const struct {
        const char* text;
        std::int64_t value;
    } rows[] = {{"", 0},        {"00001ff", 511},          {"1 F", 31},           {" \t1\r\n 0 ", 16},
                {"12G4", 18},   {"XYZ", 0},                {"-5", 0},             {"abc", 0xABC},
                {"FFFFFFF", 0xFFFFFFF}, {"7FFFFFFFFFFFFFFF", kMax}, {"8000000000000000", kMax},
                {"FFFFFFFFFFFFFFFFFFFF", kMax}, {"１２", 0}};  // full-width digits are no hex digits
    for (const auto& row : rows) EXPECT_EQ(AddressText::funAdresValue(QString::fromUtf8(row.text)), row.value) << row.text;
}

// Addresses have at least seven digits, row labels (the address over sixteen) at least
// six, and the go-to field takes as many as the last address of the file needs.
TEST(AddressText, WritesAddressesRowLabelsAndFieldWidths) {
    const struct {
        std::int64_t value;
        const char* address;
        const char* rowLabel;
    } rows[] = {{0, "0000000", "000000"},           {0x3FF, "00003FF", "00003F"},
                {0x1A3F0, "001A3F0", "001A3F"},     {0xFFFFFFF, "FFFFFFF", "FFFFFF"},
                {0x10000000, "10000000", "1000000"}, {0x123456789AB, "123456789AB", "123456789A"}};
    for (const auto& row : rows) {
        EXPECT_EQ(AddressText::funHexAdres(row.value), QString::fromLatin1(row.address));
        EXPECT_EQ(AddressText::rowLabel(row.value & ~0xF), QString::fromLatin1(row.rowLabel));
    }
    for (auto [fileSize, digits] : {std::pair<std::int64_t, int>{0, 7}, {1024, 7}, {0x10000000, 7}, {0x10000001, 8},
                                    {0x100000001, 9}})
        EXPECT_EQ(AddressText::addressFieldDigits(fileSize), digits) << fileSize;
}

TEST(AddressText, ReadsBlockNumbers) {
    using AddressText::BlockNumber;
    const auto Block = BlockNumber::Block, No = BlockNumber::NoSuchBlock, Nan = BlockNumber::NotANumber;
    const struct {
        const char* text;
        BlockNumber::Kind kind;
        std::int64_t address;
    } rows[] = {
        {"1", Block, 0},          {"3", Block, 512},   {"+3", Block, 512}, {" 3 ", Block, 512},  {"2,5", Block, 256},
        {"2.5", Block, 256},      {",5e1", Block, 1024}, {"1E+2", Block, 99 * 256}, {"0", Block, 1}, {"-0", Block, 1},
        {"36028797018963968", Block, kMax - 255},  // 2^55, the last block
        {"36028797018963976", No, 0},              // 2^55 + 8, the next double
        {"0.5", No, 0},   {"-1", No, 0},  {"1E99", No, 0},     {"1E999", No, 0},   {"1E-999", No, 0},
        {"", Nan, 0},     {" ", Nan, 0},  {"1A", Nan, 0},      {"1 2", Nan, 0},    {"1,000.5", Nan, 0},
        {"e5", Nan, 0},   {".", Nan, 0},  {"inf", Nan, 0},     {"nan", Nan, 0},    {"0x10", Nan, 0},
    };
    for (const auto& row : rows) {
        const BlockNumber block = AddressText::parseBlockNumber(QString::fromUtf8(row.text));
        EXPECT_EQ(block.kind, row.kind) << row.text;
        EXPECT_EQ(block.kind == Block ? block.address : 0, row.address) << row.text;
    }
}

}  // namespace
