#pragma once

#include "RangeOpDialog.h"

// "Заполнить": writes one byte over every address of a range of the file in view, then
// shows the start of the range. Always discarded when it closes.
class frpFill : public RangeOpDialog {
    Q_OBJECT

public:
    frpFill(PairView& main, ByteState& state, QWidget* parent);

    void knOk_Click();

    QLabel* lb3 = nullptr;
    RangeField* plByt = nullptr;

private:
    ByteState& state_;
};
