#include "AlignedLayout.h"

#include <algorithm>

AlignedLayout::AlignedLayout(std::vector<Change> changes, std::int64_t sizeA, std::int64_t sizeB)
    : changes_(std::move(changes)), sizeA_(sizeA), sizeB_(sizeB) {
    starts_.reserve(changes_.size());
    std::int64_t widened = 0;  // positions the changes so far add beyond A's bytes
    for (std::size_t i = 0; i < changes_.size(); ++i) {
        starts_.push_back(changes_[i].addressA + widened);
        widened += widthOf(i) - changes_[i].lengthA;
    }
    length_ = sizeA + widened;
}

std::int64_t AlignedLayout::widthOf(std::size_t index) const {
    return std::max(changes_[index].lengthA, changes_[index].lengthB);
}

std::int64_t AlignedLayout::lastStartingBy(std::int64_t position) const {
    const auto after = std::upper_bound(starts_.begin(), starts_.end(), position);
    return std::int64_t(after - starts_.begin()) - 1;
}

AlignedLayout::Row AlignedLayout::at(std::int64_t position) const {
    Row row;
    const std::int64_t i = lastStartingBy(position);
    if (i < 0) {
        row.a.address = row.b.address = position;
        return row;
    }
    const Change& change = changes_[std::size_t(i)];
    const std::int64_t offset = position - starts_[std::size_t(i)];
    const std::int64_t width = widthOf(std::size_t(i));
    if (offset >= width) {
        // In the equal stretch after the change.
        row.a.address = change.endA() + offset - width;
        row.b.address = change.endB() + offset - width;
        return row;
    }
    row.change = i;
    const Mark mark = change.kind() == Change::Kind::Replacement ? Mark::Replaced
                      : change.kind() == Change::Kind::Insertion  ? Mark::Inserted
                                                                   : Mark::Deleted;
    auto side = [&](std::int64_t address, std::int64_t length) {
        return offset < length ? Place{address + offset, mark} : Place{address + length, Mark::Gap};
    };
    row.a = side(change.addressA, change.lengthA);
    row.b = side(change.addressB, change.lengthB);
    return row;
}

std::int64_t AlignedLayout::nextChange(std::int64_t position) const {
    const std::int64_t i = lastStartingBy(position) + 1;
    return i < std::int64_t(starts_.size()) ? i : -1;
}

std::int64_t AlignedLayout::previousChange(std::int64_t position) const {
    return lastStartingBy(position - 1);
}
