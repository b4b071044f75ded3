#pragma once

#include <QLabel>

#include <cstdint>
#include <memory>

#include "RangeFields.h"
#include "RangeState.h"

class ProgressBarAdapter;
class QProgressBar;
class PairView;
class mRWByt;
class UiServices;

// What the four range dialogs have in common: the start and end fields with their
// defaults, OK and Отмена, the file in view, and for the searches the progress bar.
// Constructing a dialog is loading it.
class RangeOpDialog : public RangeDialog {
    Q_OBJECT

public:
    RangeOpDialog(PairView& main, RangeState& state, const QString& caption, QWidget* parent);
    ~RangeOpDialog() override;

    void knCancel_Click() { discard(); }

    QLabel* lb1 = nullptr;
    RangeField* plAddresO = nullptr;
    QLabel* lb2 = nullptr;
    RangeField* plAddresT = nullptr;
    RangeButton* knOk = nullptr;
    RangeButton* knCancel = nullptr;
    QLabel* lbSearch = nullptr;
    QProgressBar* conProgress = nullptr;

protected:
    mRWByt& fileInView();
    mRWByt& fileA();
    mRWByt& fileB();
    UiServices& ui();
    // The label of a field, right of `left` twips, on the row whose field's top is `top`.
    QLabel* addLabel(const char* name, const QString& caption, int left, int top, int width);
    // The address fields at `left`, on the first two rows.
    void placeAddressFields(int left);
    void addProgressBar(int top, int width);
    // Reads start (unless keepStart) and end, and checks them against the file in view.
    RangeCheck readRange(bool keepStart);
    // A search that starts afresh, not behind a hit, starts from an empty bar.
    void restartProgress(std::int64_t& counter);
    // Shows `address` in the main window; the dialog has closed or hidden itself first.
    void handBack(std::int64_t address);
    // A search's hit: the dialog stays, hidden, while the range goes on behind it, and the
    // window shows the hit.
    void showHit(std::int64_t address);

    PairView& main_;
    RangeState& range_;
    std::unique_ptr<ProgressBarAdapter> progress_;
};
