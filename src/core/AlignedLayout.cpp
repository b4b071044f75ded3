#include "AlignedLayout.h"

#include <algorithm>

#include "RunList.h"

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

std::vector<AlignedLayout::Shown> AlignedLayout::shown(std::int64_t from, std::int64_t count, const Read& read) const {
    std::vector<Shown> shown;
    from = std::clamp<std::int64_t>(from, 0, length_);
    count = std::clamp<std::int64_t>(count, 0, length_ - from);
    shown.reserve(std::size_t(count));
    // A side's bytes on screen stand at consecutive addresses: one read each.
    std::int64_t first[2] = {-1, -1}, last[2] = {-1, -1};
    for (std::int64_t p = from; p < from + count; ++p) {
        shown.push_back({at(p)});
        for (int side = 0; side < 2; ++side) {
            const Place& place = shown.back().row.side(side);
            if (place.mark == Mark::Gap) continue;
            if (first[side] < 0) first[side] = place.address;
            last[side] = place.address;
        }
    }
    std::vector<std::uint8_t> bytes;
    for (int side = 0; side < 2; ++side) {
        if (first[side] < 0) continue;
        bytes.resize(std::size_t(last[side] - first[side] + 1));
        const std::int64_t got = read(side, first[side], bytes.data(), std::int64_t(bytes.size()));
        for (Shown& s : shown) {
            const Place& place = s.row.side(side);
            const std::int64_t at = place.address - first[side];
            if (place.mark != Mark::Gap && at < got) s.value[side] = bytes[std::size_t(at)];
        }
    }
    return shown;
}

QString AlignedLayout::addressText(std::int64_t address) const {
    return DifferenceText::address(address, std::max(sizeA_, sizeB_));
}

namespace {

QString sideName(int side) { return side == 0 ? QStringLiteral("А") : QStringLiteral("В"); }

}  // namespace

QString AlignedLayout::byteName(const Place& place, int side) const {
    return sideName(side) + (place.mark == Mark::Gap ? QStringLiteral(", пропуск перед адресом ") : QStringLiteral(", адрес ")) +
           addressText(place.address);
}

QString AlignedLayout::rowName(const Place& place, int side) const {
    return sideName(side) + QStringLiteral(", строка с адреса ") + addressText(place.address);
}

QString AlignedLayout::markName(Mark mark) {
    switch (mark) {
    case Mark::Same: break;
    case Mark::Replaced: return QStringLiteral("замена");
    case Mark::Inserted: return QStringLiteral("вставка");
    case Mark::Deleted: return QStringLiteral("удаление");
    case Mark::Gap: return QStringLiteral("пропуск");
    }
    return QString();
}

QString AlignedLayout::readout(const Shown& shown) const {
    QString text;
    for (int side = 0; side < 2; ++side) {
        const Place& place = shown.row.side(side);
        text += sideName(side) + (place.mark == Mark::Gap ? QStringLiteral(": пропуск перед ") : QStringLiteral(": ")) +
                addressText(place.address);
        if (const int value = shown.value[side]; value >= 0)
            text += QStringLiteral(" (%1)").arg(value, 2, 16, QLatin1Char('0')).toUpper();
        text += QStringLiteral("  ");
    }
    const QString change = shown.row.change >= 0 ? QString::number(shown.row.change + 1) : QStringLiteral("—");
    return text + QStringLiteral("изменение %1 из %2").arg(change).arg(changes_.size());
}
