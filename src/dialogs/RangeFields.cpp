#include "RangeFields.h"

#include <QCloseEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QProgressBar>

#include <algorithm>

#include "AddressText.h"
#include "ProgressBarAdapter.h"
#include "UiServices.h"

namespace {

bool isEnter(const QKeyEvent* key) {
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

}  // namespace

namespace RangeFields {

QString startText() { return AddressText::funHexAdres(0); }

QString endText(std::int64_t size) { return AddressText::funHexAdres(std::max<std::int64_t>(size - 1, 0)); }

std::uint8_t byteValue(const QString& text) {
    const std::int64_t value = AddressText::funAdresValue(text);
    return value > 255 ? 0 : std::uint8_t(value);
}

QString byteText(std::uint8_t value) { return QString::number(value, 16).toUpper(); }

bool anyEmpty(std::initializer_list<const QLineEdit*> fields) {
    return std::any_of(fields.begin(), fields.end(), [](const QLineEdit* f) { return f->text().isEmpty(); });
}

}  // namespace RangeFields

// ---- RangeField ----

RangeField::RangeField(const char* objectName, int maxLength, QWidget* parent) : QLineEdit(parent) {
    setObjectName(QString::fromLatin1(objectName));
    if (maxLength > 0) setMaxLength(maxLength);
}

void RangeField::setSelect(Select when) {
    if (select_ == when) return;
    select_ = when;
    if (when == Select::OnChange) connect(this, &QLineEdit::textEdited, this, &RangeField::selectToEnd);
}

void RangeField::putText(const QString& text) {
    setText(text);
    setCursorPosition(0);
}

void RangeField::fitAddressDigits(std::int64_t fileSize) {
    const int digits = AddressText::addressFieldDigits(fileSize);
    // A new limit puts the caret at the end; it belongs where it was.
    const int caret = cursorPosition();
    setMaxLength(digits);
    setCursorPosition(caret);
    if (baseWidth_ < 0) baseWidth_ = width();
    // The room the text needs, plus the frame and the caret.
    const int needed = fontMetrics().horizontalAdvance(QString(digits, QLatin1Char('D'))) + 10;
    resize(std::max(baseWidth_, needed), height());
}

void RangeField::selectToEnd() {
    const int caret = cursorPosition();
    setSelection(caret, text().size() - caret);
}

void RangeField::focusInEvent(QFocusEvent* event) {
    // Qt selects everything on a Tab entry and moves the caret to the end; the caret the
    // user left is the one that counts.
    const int caret = cursorPosition();
    QLineEdit::focusInEvent(event);
    // The window coming back to the front, or a closed popup, is no entry into the field.
    const bool entered = event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason;
    if (select_ != Select::OnFocus || !entered) return;
    setSelection(caret, text().size() - caret);
}

void RangeField::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason) return;
    emit left();
}

void RangeField::keyPressEvent(QKeyEvent* event) {
    if (isEnter(event)) {
        if (next_) RangeFields::focusAsByTab(next_);
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

// ---- RangeButton ----

RangeButton::RangeButton(const char* objectName, const QString& caption, QWidget* parent)
    : QPushButton(caption, parent) {
    setObjectName(QString::fromLatin1(objectName));
    // A QDialog makes its buttons default buttons, which Enter in any field would press.
    setAutoDefault(false);
    setDefault(false);
}

void RangeButton::keyPressEvent(QKeyEvent* event) {
    if (isEnter(event)) {
        if (!event->isAutoRepeat()) click();
        event->accept();
        return;
    }
    QPushButton::keyPressEvent(event);
}

// ---- RangeDialog ----

RangeDialog::RangeDialog(QWidget* parent) : QDialog(parent) {
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
}

void RangeDialog::discard() {
    discarded_ = true;
    done(QDialog::Rejected);
}

void RangeDialog::hideKeeping() {
    keptFocus_ = focusWidget();
    hide();
}

// Qt does not always give the focus back to the control that had it in a window shown again.
void RangeDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (keptFocus_) keptFocus_->setFocus(Qt::OtherFocusReason);
    keptFocus_ = nullptr;
}

void RangeDialog::setClientTwips(int width, int height) {
    setFixedSize(RangeFields::twips(width), RangeFields::twips(height));
}

void RangeDialog::placeTwips(QWidget* control, int left, int top, int width, int height) {
    using RangeFields::twips;
    control->setGeometry(twips(left), twips(top), twips(width), twips(height));
}

void RangeDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void RangeDialog::closeEvent(QCloseEvent* event) {
    event->accept();
    discard();
}

// ---- OK ----

RangeCheck checkRange(std::int64_t start, std::int64_t& end, RangeField* endField, std::int64_t fileSize,
                      UiServices& ui) {
    if (start > end) {
        end = 0;
        endField->putText(QString());
        endField->setFocus(Qt::OtherFocusReason);
        return RangeCheck::StartAboveEnd;
    }
    if (end > fileSize - 1) {
        ui.message(QStringLiteral("Ошибка"), QStringLiteral("Адрес выходит за границу конца файла."),
                   MessageIcon::Critical, MessageButtons::Ok);
        return RangeCheck::BeyondEnd;
    }
    return RangeCheck::Ok;
}

// ---- ProgressPacer ----

ProgressPacer::ProgressPacer(ProgressBarAdapter& adapter, QProgressBar* bar, int intervalMs)
    : adapter_(adapter), bar_(bar), intervalMs_(intervalMs) {
    clock_.start();
}

void ProgressPacer::beginRun(ProgressBarAdapter& adapter, std::int64_t start, std::int64_t end) {
    if (adapter.value() != 0) return;
    // Single precision, as the bar holds its range.
    adapter.setMaximum(double(float(end - start)));
}

void ProgressPacer::show(std::int64_t value) {
    pending_ = value;
    hasPending_ = true;
    if (clock_.elapsed() < intervalMs_) return;
    finish();
    clock_.restart();
}

void ProgressPacer::finish() {
    if (!hasPending_) return;
    hasPending_ = false;
    adapter_.setValue(double(pending_));
    // Nothing else paints while the loop runs: show the bar now.
    if (bar_) bar_->repaint();
}

void RangeFields::chainEnter(std::initializer_list<RangeField*> fields, QWidget* last) {
    RangeField* previous = nullptr;
    for (RangeField* field : fields) {
        if (previous) previous->setNextInChain(field);
        previous = field;
    }
    if (previous) previous->setNextInChain(last);
}

void RangeFields::orderTabs(std::initializer_list<QWidget*> controls) {
    QWidget* previous = nullptr;
    for (QWidget* control : controls) {
        if (previous) QWidget::setTabOrder(previous, control);
        previous = control;
    }
}

void RangeFields::focusAsByTab(QWidget* next) {
    next->window()->setAttribute(Qt::WA_KeyboardFocusChange);
    next->setFocus(Qt::TabFocusReason);
}
