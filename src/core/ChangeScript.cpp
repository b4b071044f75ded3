#include "ChangeScript.h"

#include <cstring>

void ChangeTotals::add(const Change& change) {
    ++changes;
    switch (change.kind()) {
    case Change::Kind::Insertion:
        inserted += change.lengthB;
        break;
    case Change::Kind::Deletion:
        deleted += change.lengthA;
        break;
    case Change::Kind::Replacement:
        replacedA += change.lengthA;
        replacedB += change.lengthB;
        break;
    }
}

namespace ChangeScript {

bool turnsInto(const std::vector<Change>& changes, const std::uint8_t* a, std::int64_t sizeA, const std::uint8_t* b,
               std::int64_t sizeB) {
    std::int64_t atA = 0, atB = 0;
    // The stretch up to (endA, endB) is copied from A: it must be there in B, byte for byte.
    auto same = [&](std::int64_t endA, std::int64_t endB) {
        const std::int64_t n = endA - atA;
        return n >= 0 && endB - atB == n && endA <= sizeA && endB <= sizeB &&
               (n == 0 || std::memcmp(a + atA, b + atB, std::size_t(n)) == 0);
    };
    for (const Change& change : changes) {
        if (change.lengthA < 0 || change.lengthB < 0 || (change.lengthA == 0 && change.lengthB == 0)) return false;
        if (!same(change.addressA, change.addressB)) return false;
        atA = change.endA();
        atB = change.endB();
        if (atA > sizeA || atB > sizeB) return false;
    }
    return same(sizeA, sizeB);
}

}  // namespace ChangeScript
