#pragma once

#include "BlockDialog.h"

class mRWByt;

// "Сохранить блок": copies a range of the file in view into a block file.
class frpSave : public BlockDialog {
    Q_OBJECT

public:
    // Saves a block of `source`, the file in view.
    frpSave(UiServices& ui, mRWByt& source, BlockState& state, QWidget* parent);

    void bnSelect_Click();
    void knOk_Click();

    QLabel* lb2 = nullptr;
    BlockField* plAddresT = nullptr;

private:
    QString strPathSource;
    std::int64_t lngSizeSource = 0;
};
