#pragma once

#include "RangeOpDialog.h"

// "Заменить": writes one byte value in place of another over a range of the file in
// view, then shows the start of the range. Always discarded when it closes.
class frpReplace : public RangeOpDialog {
    Q_OBJECT

public:
    frpReplace(PairView& main, ByteState& state, QWidget* parent);

    void knOk_Click();

    QLabel* lb3 = nullptr;
    RangeField* plByt = nullptr;
    QLabel* lbR = nullptr;
    RangeField* plBytD = nullptr;

private:
    ByteState& state_;
};
