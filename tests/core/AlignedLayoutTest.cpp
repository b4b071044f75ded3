// Where the aligned view puts each byte of A and B: positions, gaps and the way from one
// change to the next.
#include "AlignedLayout.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

using Mark = AlignedLayout::Mark;

TEST(AlignedLayout, PutsTheChangesSideBySideWithGapsOnTheShorterSide) {
    // A of 100 bytes: 3 inserted at 10, 5 deleted at 40, 2 replaced by 4 at 60, 1 by 1 at 99.
    const AlignedLayout layout({{10, 0, 10, 3}, {40, 5, 43, 0}, {60, 2, 58, 4}, {99, 1, 99, 1}}, 100, 100);
    EXPECT_EQ(layout.length(), 100 + 3 + 2);
    const struct {
        std::int64_t position;
        std::int64_t addressA;
        Mark markA;
        std::int64_t addressB;
        Mark markB;
        std::int64_t change;
    } rows[] = {
        {0, 0, Mark::Same, 0, Mark::Same, -1},
        {10, 10, Mark::Gap, 10, Mark::Inserted, 0},
        {12, 10, Mark::Gap, 12, Mark::Inserted, 0},
        {13, 10, Mark::Same, 13, Mark::Same, -1},
        {43, 40, Mark::Deleted, 43, Mark::Gap, 1},
        {47, 44, Mark::Deleted, 43, Mark::Gap, 1},
        {48, 45, Mark::Same, 43, Mark::Same, -1},
        {63, 60, Mark::Replaced, 58, Mark::Replaced, 2},
        {64, 61, Mark::Replaced, 59, Mark::Replaced, 2},
        {65, 62, Mark::Gap, 60, Mark::Replaced, 2},
        {66, 62, Mark::Gap, 61, Mark::Replaced, 2},
        {67, 62, Mark::Same, 62, Mark::Same, -1},
        {104, 99, Mark::Replaced, 99, Mark::Replaced, 3},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.position);
        const AlignedLayout::Row at = layout.at(row.position);
        EXPECT_EQ(at.a.address, row.addressA);
        EXPECT_EQ(int(at.a.mark), int(row.markA));
        EXPECT_EQ(at.b.address, row.addressB);
        EXPECT_EQ(int(at.b.mark), int(row.markB));
        EXPECT_EQ(at.change, row.change);
    }
    // From one change to the next and back, from inside a change too.
    const struct {
        std::int64_t position, next, previous;
    } steps[] = {{0, 0, -1}, {10, 1, -1}, {11, 1, 0}, {43, 2, 0}, {70, 3, 2}, {104, -1, 2}};
    for (const auto& step : steps) {
        SCOPED_TRACE(step.position);
        EXPECT_EQ(layout.nextChange(step.position), step.next);
        EXPECT_EQ(layout.previousChange(step.position), step.previous);
    }
}

// A stretch on screen is read with one read of each side; a byte that cannot be read, and a
// gap, show no value.
TEST(AlignedLayout, ReadsAStretchOnceOnEachSide) {
    const AlignedLayout layout({{10, 0, 10, 3}, {40, 5, 43, 0}}, 100, 98);
    std::vector<std::pair<int, std::int64_t>> reads;
    const auto shown = layout.shown(8, 40, [&](int side, std::int64_t address, std::uint8_t* into, std::int64_t count) {
        reads.emplace_back(side, address);
        for (std::int64_t i = 0; i < count; ++i) into[i] = std::uint8_t(address + i + side * 100);
        return side == 1 ? std::min<std::int64_t>(count, 30) : count;  // B cannot be read from 8 + 30 on
    });
    ASSERT_EQ(shown.size(), 40u);
    EXPECT_EQ(reads, (std::vector<std::pair<int, std::int64_t>>{{0, 8}, {1, 8}}));
    const struct {
        std::int64_t position;
        int a, b;
    } rows[] = {{8, 8, 108}, {10, -1, 110}, {13, 10, 113}, {37, 34, 137}, {38, 35, -1}, {47, 44, -1}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.position);
        EXPECT_EQ(shown[std::size_t(row.position - 8)].value[0], row.a);
        EXPECT_EQ(shown[std::size_t(row.position - 8)].value[1], row.b);
    }
    EXPECT_TRUE(layout.shown(100, 50, [](int, std::int64_t, std::uint8_t*, std::int64_t n) { return n; }).size() == 3u)
        << "no further than the end";
}

}  // namespace
