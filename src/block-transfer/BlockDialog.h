#pragma once

#include <QLabel>
#include <QLineEdit>

#include <cstdint>
#include <functional>
#include <memory>

#include "BlockTransfer.h"
#include "RangeFields.h"

class ProgressBarAdapter;
class QProgressBar;
class UiServices;

// What a block dialog remembers for as long as the program runs (each dialog its own).
// Closing a dialog throws its window and field texts away, never this.
struct BlockState {
    std::int64_t lngAdresStart = 0;
    std::int64_t lngAdresEnd = 0;
    std::uint8_t bytFill = 0;
    bool bolCopy = false;  // a transfer runs
};

// An address or byte field that, when `selectOnEntry` is false, selects nothing on entry
// and keeps its caret where it was, as a plain text box does.
class BlockField : public RangeField {
    Q_OBJECT

public:
    BlockField(const char* objectName, int maxLength, bool selectOnEntry, QWidget* parent)
        : RangeField(objectName, maxLength, parent), selectOnEntry_(selectOnEntry) {}

protected:
    void focusInEvent(QFocusEvent* event) override;

private:
    bool selectOnEntry_;
};

// What the save, load and create dialogs have in common: the path row with its file
// dialog, the start field, OK and Отмена, and the progress bar fed while a transfer runs.
// Constructing a dialog is loading it. A dialog is always thrown away when it closes.
class BlockDialog : public RangeDialog {
    Q_OBJECT

public:
    // `startSelects`: the start field selects from the caret to the end on entry.
    BlockDialog(UiServices& ui, BlockState& state, const QString& caption, bool startSelects,
                QWidget* parent);
    ~BlockDialog() override;

    void knCancel_Click() { discard(); }
    bool copying() const { return state_.bolCopy; }
    // How the next transfer is cut up and how often it shows itself.
    void setPace(const BlockTransfer::Pace& pace) { pace_ = pace; }
    // The file a finished transfer wrote into; empty when none ran.
    QString writtenFile() const { return writtenFile_; }

    QLabel* Label1 = nullptr;
    QLineEdit* plPath = nullptr;
    RangeButton* bnSelect = nullptr;
    QLabel* lb1 = nullptr;
    BlockField* plAddresO = nullptr;
    RangeButton* knOk = nullptr;
    RangeButton* knCancel = nullptr;
    QProgressBar* conProgress = nullptr;

protected:
    // The file dialog of "...": `save` chooses between the save and the open dialog.
    // plPath takes the name the dialog holds afterwards (unchanged when cancelled).
    void choosePath(bool save, const QString& filter);
    // The top of field row `row` (0 is the start field's), in twips.
    static int rowTop(int row);
    QLabel* addLabel(const char* name, const QString& caption, int top);
    // A field on the row at `top`; an address field (with `value`) gives its value there
    // when it is left.
    BlockField* addField(const char* name, int top, int maxLength, int widthTwips, bool selectOnEntry,
                         std::int64_t* value = nullptr);
    // Buttons at the right, the bar along the bottom; `rows` fields above it.
    void finishLayout(int rows);
    // A refusal of OK: "Ошибка", the warning icon.
    void refuse(const QString& text);
    // Runs a transfer while OK is inert and Отмена disabled, then resets the bar and
    // closes the dialog.
    void runTransfer(const QString& target, const std::function<void(BlockTransfer::Progress&)>& transfer);

    void closeEvent(QCloseEvent* event) override;

    UiServices& ui_;
    BlockState& state_;
    std::unique_ptr<ProgressBarAdapter> progress_;
    BlockTransfer::Pace pace_;

private:
    QString writtenFile_;
};
