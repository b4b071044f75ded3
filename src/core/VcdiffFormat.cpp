#include "VcdiffFormat.h"

namespace Vcdiff {

Byte* putInteger(Byte* at, std::uint64_t value) {
    const int n = integerLength(value);
    for (int i = n - 1; i >= 0; --i) {
        at[i] = Byte((value & 0x7F) | (i == n - 1 ? 0 : 0x80));
        value >>= 7;
    }
    return at + n;
}

int integerLength(std::uint64_t value) {
    int n = 1;
    while (value >>= 7) ++n;
    return n;
}

namespace {

// The sizes the default table gives single adds and copies, and the pairs it has codes for.
constexpr int kLargestTableAdd = 17;
constexpr int kSmallestTableCopy = 4, kLargestTableCopy = 18;
constexpr int kFirstCopyCode = 19, kCopyCodesPerMode = 16;
constexpr int kFirstAddCopyCode = 163, kFirstAddSameCopyCode = 235, kFirstCopyAddCode = 247;
constexpr int kPairedAdds = 4;           // adds of 1 to 4 bytes before a copy
constexpr int kPairedNearCopies = 3;     // copies of 4 to 6 bytes after them (self, here, near)
constexpr int kNearModesPaired = kFirstSameMode;

std::array<Code, 256> makeTable() {
    std::array<Code, 256> table{};
    int code = 0;
    table[code++].first = {Type::Run, 0, 0};
    for (int size = 0; size <= kLargestTableAdd; ++size) table[code++].first = {Type::Add, Byte(size), 0};
    for (int mode = 0; mode < kModes; ++mode) {
        table[code++].first = {Type::Copy, 0, Byte(mode)};
        for (int size = kSmallestTableCopy; size <= kLargestTableCopy; ++size)
            table[code++].first = {Type::Copy, Byte(size), Byte(mode)};
    }
    for (int mode = 0; mode < kModes; ++mode)
        for (int add = 1; add <= kPairedAdds; ++add) {
            const int copies = mode < kNearModesPaired ? kPairedNearCopies : 1;
            for (int copy = kSmallestTableCopy; copy < kSmallestTableCopy + copies; ++copy)
                table[code++] = {{Type::Add, Byte(add), 0}, {Type::Copy, Byte(copy), Byte(mode)}};
        }
    for (int mode = 0; mode < kModes; ++mode)
        table[code++] = {{Type::Copy, Byte(kSmallestTableCopy), Byte(mode)}, {Type::Add, 1, 0}};
    return table;
}

}  // namespace

const std::array<Code, 256>& defaultCodeTable() {
    static const std::array<Code, 256> table = makeTable();
    return table;
}

int addCode(std::int64_t size) { return size >= 1 && size <= kLargestTableAdd ? 1 + int(size) : 1; }

int copyCode(std::int64_t size, int mode) {
    const int first = kFirstCopyCode + kCopyCodesPerMode * mode;
    return size >= kSmallestTableCopy && size <= kLargestTableCopy ? first + int(size) - kSmallestTableCopy + 1 : first;
}

int addCopyCode(std::int64_t addSize, std::int64_t copySize, int mode) {
    if (addSize < 1 || addSize > kPairedAdds) return -1;
    if (mode < kNearModesPaired) {
        if (copySize < kSmallestTableCopy || copySize >= kSmallestTableCopy + kPairedNearCopies) return -1;
        return kFirstAddCopyCode + mode * kPairedAdds * kPairedNearCopies + int(addSize - 1) * kPairedNearCopies +
               int(copySize - kSmallestTableCopy);
    }
    if (copySize != kSmallestTableCopy) return -1;
    return kFirstAddSameCopyCode + (mode - kNearModesPaired) * kPairedAdds + int(addSize - 1);
}

int copyAddCode(std::int64_t copySize, int mode, std::int64_t addSize) {
    return copySize == kSmallestTableCopy && addSize == 1 ? kFirstCopyAddCode + mode : -1;
}

void AddressCache::update(std::uint64_t address) {
    near_[std::size_t(nextNear_)] = address;
    nextNear_ = (nextNear_ + 1) % kNearSlots;
    same_[address % same_.size()] = address;
}

AddressCache::Choice AddressCache::choose(std::uint64_t address, std::uint64_t here) const {
    if (same_[address % same_.size()] == address)
        return {kFirstSameMode + int(address % same_.size() / 256), address % 256};
    Choice best{kSelfMode, address};
    auto consider = [&](int mode, std::uint64_t value) {
        if (integerLength(value) < integerLength(best.value)) best = {mode, value};
    };
    consider(kHereMode, here - address);
    for (int slot = 0; slot < kNearSlots; ++slot)
        if (address >= near_[std::size_t(slot)]) consider(2 + slot, address - near_[std::size_t(slot)]);
    return best;
}

}  // namespace Vcdiff
