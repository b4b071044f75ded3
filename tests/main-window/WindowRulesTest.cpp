// The window's small decisions, without a window.
#include "WindowRules.h"

#include <gtest/gtest.h>

namespace {

using namespace WindowRules;

TEST(WindowRules, NextScreenAndShorterFile) {
    const struct {
        std::int64_t size, start;
        bool next;
    } rows[] = {{1, 0, false},   {256, 0, false}, {257, 0, true},       {512, 256, false},
                {513, 256, true}, {768, 512, false}, {1000, 768, false}, {1025, 768, true}};
    for (const auto& row : rows) EXPECT_EQ(hasNextScreen(row.size, row.start), row.next) << row.size << " " << row.start;
    EXPECT_EQ(shorterSize(512, 1000), 512);
    EXPECT_EQ(shorterSize(1000, 768), 768);
}

TEST(WindowRules, CellsDifferOnlyWhereBothFilesHaveAByte) {
    const struct {
        int a, b;
        bool equal;
    } rows[] = {{0, 0, true}, {0x41, 0x42, false}, {0xFF, 0, false}, {-1, 0x41, true}, {0x41, -1, true}, {-1, -1, true}};
    for (const auto& row : rows) EXPECT_EQ(cellsEqual(row.a, row.b), row.equal) << row.a << " " << row.b;
}

TEST(WindowRules, NavigationKeysSendTheFocus) {
    const struct {
        const char* what;
        int cell, key, filled, target;
    } rows[] = {
        {"Enter to the next byte", 5, 13, 256, 6},
        {"Enter from the last cell to the first", 255, 13, 256, 0},
        {"Enter from the last byte of a short screen", 43, 13, 44, 0},
        {"Enter on the only byte stays", 0, 13, 1, 0},
        {"comma back", 5, 44, 256, 4},
        {"б back", 5, 225, 256, 4},
        {"comma at the first cell", 0, 44, 256, kNowhere},
        {"period on", 5, 46, 256, 6},
        {"ю on", 5, 254, 256, 6},
        {"period at the last byte", 43, 46, 44, kNowhere},
        {"period at the last cell", 255, 46, 256, kNowhere},
        {"K up", 20, 75, 256, 4},
        {"л up", 20, 235, 256, 4},
        {"k in the first row", 15, 107, 256, kNowhere},
        {"M down", 4, 77, 256, 20},
        {"ь down", 4, 252, 256, 20},
        {"m into the empty part of a short screen", 40, 109, 44, kNowhere},
        {"M in the last row", 250, 77, 256, kNowhere},
        {"a digit is typed", 5, '7', 256, kNotNavigation},
        {"a letter is typed", 5, 'a', 256, kNotNavigation},
    };
    for (const auto& row : rows) EXPECT_EQ(navigationTarget(row.cell, row.key, row.filled), row.target) << row.what;
}

TEST(WindowRules, TypedByte) {
    const struct {
        const char* text;
        int value;
    } rows[] = {{"0", 0},   {"f", 15},  {"7F", 127}, {"ff", 255}, {"0a", 10}, {"", -1},    {"100", -1},
                {"g", -1},  {" 1", -1}, {"-1", -1},  {"１", -1},  {"٣", -1},  {"۴۵", -1}, {"x", -1}};
    for (const auto& row : rows) EXPECT_EQ(typedByte(QString::fromUtf8(row.text)), row.value) << row.text;
}

}  // namespace
