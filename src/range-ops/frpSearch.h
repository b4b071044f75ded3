#pragma once

#include <QString>

#include <array>
#include <cstdint>

#include "RangeOpDialog.h"

// The pattern of the byte field: two hexadecimal digits per byte, first byte first; an odd
// length gets a leading "0" ("ABC" is 0A BC). length 0 when a pair is not hexadecimal.
struct SearchPattern {
    std::array<std::uint8_t, 3> bytPattern{};
    int length = 0;
};
SearchPattern parseSearchPattern(const QString& text);

// "Найти": finds a pattern of one to three bytes in a range of the file in view. After a
// hit it hides with "Далее", which continues behind the hit the next time it is shown.
class frpSearch : public RangeOpDialog {
    Q_OBJECT

public:
    frpSearch(PairView& main, SearchState& state, QWidget* parent);

    void knOk_Click();

    QLabel* lb3 = nullptr;
    RangeField* plByt = nullptr;

private:
    std::int64_t funSearch();

    SearchState& state_;
    bool failed_ = false;  // the last search ended on a failure the file object reported
};
