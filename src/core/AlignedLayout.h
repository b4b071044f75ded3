#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

#include "ChangeScript.h"

// Where the bytes of A and B stand when a script of changes aligns them: the unchanged
// stretches side by side, every change as many positions wide as its longer side, the
// shorter side left with gaps. Positions count from 0 over the whole aligned length.
class AlignedLayout {
public:
    enum class Mark {
        Same,      // a byte both files share
        Replaced,  // a byte of a replacement (on either side)
        Inserted,  // a byte of B that an insertion adds
        Deleted,   // a byte of A that a deletion takes away
        Gap,       // no byte on this side: the other side's change is longer
    };
    // What one side holds at a position. For a gap, `address` is where that side's next
    // byte is (the place the other side's bytes were inserted or taken from).
    struct Place {
        std::int64_t address = 0;
        Mark mark = Mark::Same;
    };
    struct Row {
        Place a, b;
        std::int64_t change = -1;  // the index of the change the position is in, or -1
        const Place& side(int side) const { return side == 0 ? a : b; }  // 0 A, 1 B
    };

    AlignedLayout() = default;
    // `changes` in order, as the change finder gives them for files of these sizes.
    AlignedLayout(std::vector<Change> changes, std::int64_t sizeA, std::int64_t sizeB);

    std::int64_t length() const { return length_; }
    std::int64_t sizeA() const { return sizeA_; }
    std::int64_t sizeB() const { return sizeB_; }
    const std::vector<Change>& changes() const { return changes_; }

    // Both sides at `position` (0 <= position < length()).
    Row at(std::int64_t position) const;
    // The position at which change `index` begins, and how many positions it takes.
    std::int64_t startOf(std::size_t index) const { return starts_[index]; }
    std::int64_t widthOf(std::size_t index) const;
    // The first change that begins after `position`, and the last that begins before it;
    // -1 when there is none.
    std::int64_t nextChange(std::int64_t position) const;
    std::int64_t previousChange(std::int64_t position) const;

    // What a position shows: both sides' places and, where a side has a byte, the byte
    // (-1 in a gap, or where the byte could not be read).
    struct Shown {
        Row row;
        int value[2] = {-1, -1};  // A's, B's
    };
    // Reads `count` bytes of side 0 (A) or 1 (B) from `address` into `into`; returns how many
    // it read.
    using Read = std::function<std::int64_t(int side, std::int64_t address, std::uint8_t* into, std::int64_t count)>;
    // Positions [from, from + count) within the length, with one read of each side.
    std::vector<Shown> shown(std::int64_t from, std::int64_t count, const Read& read) const;

    // An address as the go-to fields show it for the longer file.
    QString addressText(std::int64_t address) const;
    // What a screen reader hears of a side's byte ("А, адрес 0000105", "В, пропуск перед
    // адресом 0000110"), of a side's row ("А, строка с адреса 0000100"), and of a mark
    // ("замена"; nothing for a byte both files share).
    QString byteName(const Place& place, int side) const;
    QString rowName(const Place& place, int side) const;
    static QString markName(Mark mark);
    // Where a position is: "А: 0000105 (3F)  В: пропуск перед 0000110  изменение 2 из 5"
    // ("изменение — из 5" outside the changes).
    QString readout(const Shown& shown) const;

private:
    // The last change that begins at or before `position`, or -1.
    std::int64_t lastStartingBy(std::int64_t position) const;

    std::vector<Change> changes_;
    std::vector<std::int64_t> starts_;
    std::int64_t sizeA_ = 0, sizeB_ = 0, length_ = 0;
};
