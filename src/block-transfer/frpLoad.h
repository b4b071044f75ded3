#pragma once

#include <functional>

#include "BlockDialog.h"

class mRWByt;

// "Загрузить из ...": copies a whole file into the file in view from an address on.
class frpLoad : public BlockDialog {
    Q_OBJECT

public:
    // Loads into `target`, the file in view; `written` runs once the file has been written.
    frpLoad(UiServices& ui, mRWByt& target, BlockState& state, std::function<void()> written, QWidget* parent);

    void bnSelect_Click();
    void knOk_Click();

private:
    std::function<void()> written_;
    QString strPathTarget;
    std::int64_t lngSizeTarget = 0;
    FileIdentity target_;  // the file in view when the dialog was loaded
};
