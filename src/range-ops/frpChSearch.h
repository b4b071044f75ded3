#pragma once

#include "RangeOpDialog.h"

// "Найти несовпадения": walks a range through file A and file B together and shows the
// first address at which they differ; hidden with "Далее", it continues one byte behind.
class frpChSearch : public RangeOpDialog {
    Q_OBJECT

public:
    frpChSearch(PairView& main, SearchState& state, QWidget* parent);

    void knOk_Click();

private:
    std::int64_t funChSearch();

    SearchState& state_;
    bool failed_ = false;  // the last search ended on a failure a file object reported
};
