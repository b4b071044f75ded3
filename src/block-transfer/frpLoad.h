#pragma once

#include "BlockDialog.h"

class fCompBynF;

// "Загрузить из ...": copies a whole file into the file in view from an address on.
class frpLoad : public BlockDialog {
    Q_OBJECT

public:
    frpLoad(fCompBynF& main, BlockState& state, QWidget* parent);

    void bnSelect_Click();
    void knOk_Click();

private:
    fCompBynF& main_;
    QString strPathTarget;
    std::int64_t lngSizeTarget = 0;
    FileIdentity target_;  // the file in view when the dialog was loaded
};
