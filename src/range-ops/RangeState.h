#pragma once

#include <cstdint>

// What a range dialog remembers for as long as the program runs. It lives with the
// commands that own the dialogs, not in the dialogs' widgets, so throwing a dialog's
// window away never loses it.
struct RangeState {
    std::int64_t curAdresStart = 0;
    std::int64_t curAdresEnd = 0;
};

// The two searches.
struct SearchState : RangeState {
    std::int64_t curAdresFound = 0;  // the last hit, -1 when the last search found nothing
    bool bolNext = false;            // OK continues behind the last hit
    bool bolFound = false;           // mismatch search: a mismatch was shown since loading
    std::int64_t curProgress = 0;    // step counter of the progress bar
};

// Fill and replace.
struct ByteState : RangeState {
    std::uint8_t bytValue = 0;  // fill byte, or the byte replaced
    std::uint8_t bytNew = 0;    // the replacement byte
};
