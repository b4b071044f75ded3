#pragma once

#include <cstdint>
#include <vector>

// One change of an edit script that turns file A into file B: the lengthA bytes of A at
// addressA give way to the lengthB bytes of B at addressB. Before, between and after the
// changes both files hold the same bytes, the same number of them.
struct Change {
    enum class Kind { Replacement, Insertion, Deletion };

    std::int64_t addressA = 0;
    std::int64_t lengthA = 0;
    std::int64_t addressB = 0;
    std::int64_t lengthB = 0;

    // An insertion adds bytes to B only (lengthA 0), a deletion takes them from A only
    // (lengthB 0); a replacement has bytes on both sides, as many or not.
    Kind kind() const { return lengthA == 0 ? Kind::Insertion : lengthB == 0 ? Kind::Deletion : Kind::Replacement; }
    std::int64_t endA() const { return addressA + lengthA; }
    std::int64_t endB() const { return addressB + lengthB; }
    bool operator==(const Change&) const = default;
};

// What a script amounts to, counted change by change.
struct ChangeTotals {
    std::int64_t changes = 0;
    std::int64_t inserted = 0;   // bytes of B that insertions add
    std::int64_t deleted = 0;    // bytes of A that deletions take away
    std::int64_t replacedA = 0;  // bytes of A that replacements take away
    std::int64_t replacedB = 0;  // bytes of B that they put in their place

    void add(const Change& change);
    // The bytes that A and B share outside the changes (as many in either file).
    std::int64_t matching(std::int64_t sizeA) const { return sizeA - deleted - replacedA; }
};

namespace ChangeScript {

// Whether `changes` turn A into B: in order, inside both files, and everything they leave
// between them (and before the first and after the last) equal in both files, length and
// bytes. Copying those stretches from A and the changes' bytes from B then gives B.
bool turnsInto(const std::vector<Change>& changes, const std::uint8_t* a, std::int64_t sizeA, const std::uint8_t* b,
               std::int64_t sizeB);

}  // namespace ChangeScript
