#pragma once

#include "BlockDialog.h"

// "Создать файл": writes one byte over a range of a named file, creating it when missing.
// It needs no file in view.
class frpNew : public BlockDialog {
    Q_OBJECT

public:
    frpNew(UiServices& ui, BlockState& state, QWidget* parent);

    void bnSelect_Click();
    void knOk_Click();
    void plByt_Change();

    QLabel* lb2 = nullptr;
    BlockField* plAddresT = nullptr;
    QLabel* lb3 = nullptr;
    BlockField* plByt = nullptr;
};
