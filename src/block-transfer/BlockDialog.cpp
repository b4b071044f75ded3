#include "BlockDialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QProgressBar>

#include <algorithm>

#include "AddressText.h"
#include "ProgressBarAdapter.h"
#include "UiServices.h"

namespace {

// Layout, in twips: the path row, then the field rows, the buttons at the right of the
// fields, the bar along the bottom.
constexpr int kClientWidth = 4455;
constexpr int kFieldLeft = 900;
constexpr int kRowHeight = 285;
constexpr int kFirstRowTop = 450;
constexpr int kRowStep = 330;
constexpr int kButtonLeft = 3390;
constexpr int kButtonsBottom = 1200;

// The dialog's bar: every update is shown, and the windows repaint and take input, so a
// long transfer never looks hung.
class DialogProgress : public BlockTransfer::Progress {
public:
    explicit DialogProgress(ProgressBarAdapter& adapter) : adapter_(adapter) {}
    void setMaximum(double maximum) override { adapter_.setMaximum(maximum); }
    void advance(double value) override {
        adapter_.setValue(value);
        QApplication::processEvents();
    }

private:
    ProgressBarAdapter& adapter_;
};

}  // namespace

void BlockField::focusInEvent(QFocusEvent* event) {
    const int caret = cursorPosition();
    RangeField::focusInEvent(event);
    if (!selectOnEntry_) setCursorPosition(caret);  // drops the selection Qt makes on Tab
}

BlockDialog::BlockDialog(UiServices& ui, BlockState& state, const QString& caption, bool startSelects,
                         QWidget* parent)
    : RangeDialog(parent), ui_(ui), state_(state) {
    setWindowTitle(caption);
    state_.bolCopy = false;

    Label1 = new QLabel(QStringLiteral("Путь:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    placeTwips(Label1, 45, 45, 800, kRowHeight);
    plPath = new QLineEdit(this);
    plPath->setObjectName(QStringLiteral("plPath"));
    plPath->setEnabled(false);  // only "..." sets it
    placeTwips(plPath, kFieldLeft, 45, 3045, kRowHeight);
    Label1->setBuddy(plPath);
    bnSelect = new RangeButton("bnSelect", QStringLiteral("..."), this);
    bnSelect->setAccessibleName(QStringLiteral("Выбрать файл"));
    placeTwips(bnSelect, 4005, 45, 375, kRowHeight);

    lb1 = addLabel("lb1", QStringLiteral("Начало:"), kFirstRowTop);
    plAddresO = addField("plAddresO", kFirstRowTop, 7, 1050, startSelects, &state_.lngAdresStart);
    plAddresO->putText(QStringLiteral("0"));
    lb1->setBuddy(plAddresO);

    knOk = new RangeButton("knOk", QStringLiteral("Ок"), this);
    knCancel = new RangeButton("knCancel", QStringLiteral("Отмена"), this);
    placeTwips(knOk, kButtonLeft, kFirstRowTop, 990, 330);
    placeTwips(knCancel, kButtonLeft, kButtonsBottom - 330, 990, 330);
    connect(knCancel, &QPushButton::clicked, this, &BlockDialog::knCancel_Click);

    conProgress = new QProgressBar(this);
    conProgress->setObjectName(QStringLiteral("conProgress"));
    conProgress->setTextVisible(false);
    conProgress->setAccessibleName(QStringLiteral("Ход записи"));
    progress_ = std::make_unique<ProgressBarAdapter>(conProgress);
    progress_->setMaximum(1);
    progress_->setValue(0);
}

BlockDialog::~BlockDialog() = default;

int BlockDialog::rowTop(int row) { return kFirstRowTop + row * kRowStep; }

QLabel* BlockDialog::addLabel(const char* name, const QString& caption, int top) {
    auto* label = new QLabel(caption, this);
    label->setObjectName(QString::fromLatin1(name));
    placeTwips(label, 45, top, 800, kRowHeight);
    return label;
}

BlockField* BlockDialog::addField(const char* name, int top, int maxLength, int widthTwips, bool selectOnEntry,
                                  std::int64_t* value) {
    auto* field = new BlockField(name, maxLength, selectOnEntry, this);
    placeTwips(field, kFieldLeft, top, widthTwips, kRowHeight);
    if (value)
        connect(field, &RangeField::left, this, [field, value] { *value = AddressText::funAdresValue(field->text()); });
    return field;
}

void BlockDialog::finishLayout(int rows) {
    const int fieldsBottom = kFirstRowTop + (rows - 1) * kRowStep + kRowHeight;
    const int barTop = std::max(fieldsBottom, kButtonsBottom) + 120;
    placeTwips(conProgress, 45, barTop, kClientWidth - 90, 180);
    setClientTwips(kClientWidth, barTop + 180 + 90);
}

void BlockDialog::choosePath(bool save, const QString& filter) {
    FileDialogRequest request;
    request.fileName = plPath->text();
    // The block's own types come first; any other file can be a block's source or target,
    // and a filter of types alone would hide it.
    request.filter = filter + QStringLiteral("|Все файлы (*)|*");
    if (save)
        ui_.chooseSaveFile(request);
    else
        ui_.chooseOpenFile(request);
    plPath->setText(request.fileName);
}

void BlockDialog::refuse(const QString& text) {
    ui_.message(QStringLiteral("Ошибка"), text, MessageIcon::Warning, MessageButtons::Ok);
}

void BlockDialog::runTransfer(const QString& target,
                              const std::function<void(BlockTransfer::Progress&)>& transfer) {
    state_.bolCopy = true;
    writtenFile_ = target;
    knCancel->setEnabled(false);
    DialogProgress progress(*progress_);
    transfer(progress);
    state_.bolCopy = false;
    knCancel->setEnabled(true);
    progress_->setValue(0);
    progress_->setMaximum(1);
    discard();
}

// The window stays while a transfer runs: closing it then would leave the transfer
// writing with nobody to show its end.
void BlockDialog::closeEvent(QCloseEvent* event) {
    if (state_.bolCopy) {
        event->ignore();
        return;
    }
    RangeDialog::closeEvent(event);
}
