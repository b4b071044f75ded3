#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

#include <cstdint>
#include <initializer_list>

#include "Pacing.h"

class QProgressBar;
class ProgressBarAdapter;
class UiServices;

// The pieces every dialog that works on an address range is built from: hexadecimal fields
// with the Enter chain and the selection on entry, buttons that are never default, a
// dialog that ignores Escape and tells hiding from discarding, the range check of OK, and
// a progress bar repainted at a steady pace while a loop keeps the event loop waiting.
namespace RangeFields {

// Dialog layouts are drawn in twips; 15 twips make one pixel at 96 dpi.
constexpr int twips(int t) { return (t + 7) / 15; }

// "0000000", the default start of every range.
QString startText();
// The default end of a range: the last address of a file of `size` bytes, at least
// 7 digits ("0000000" for an empty file, which has no last address).
QString endText(std::int64_t size);

// A one-byte field when it is left: its value 0..255, anything else (too large, not
// hexadecimal, empty) 0; and the text that replaces it, "0".."FF".
std::uint8_t byteValue(const QString& text);
QString byteText(std::uint8_t value);

// True when any of the fields is empty: OK then does nothing at all.
bool anyEmpty(std::initializer_list<const QLineEdit*> fields);

}  // namespace RangeFields

// A hexadecimal field of a range dialog. Enter moves the focus to the next control of
// the dialog's chain (and does nothing else); no other key is filtered. On entry the text
// from the caret to its end is selected, which is the whole text on the first entry.
// left() is emitted when the user moves the focus elsewhere in the dialog (not when
// another window or a message box takes it).
class RangeField : public QLineEdit {
    Q_OBJECT

public:
    enum class Select { OnFocus, OnChange };

    RangeField(const char* objectName, int maxLength, QWidget* parent);

    void setNextInChain(QWidget* next) { next_ = next; }
    // OnChange: no selection on entry; the same selection step runs after each edit.
    void setSelect(Select when);
    // Text set by the program: the caret goes to the start, so the next entry selects it all.
    void putText(const QString& text);
    // Lets an address field take as many digits as the highest address of a file of
    // `fileSize` bytes needs (at least 7), widening it when the digits need the room.
    void fitAddressDigits(std::int64_t fileSize);

signals:
    void left();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void selectToEnd();

    QWidget* next_ = nullptr;
    Select select_ = Select::OnFocus;
    int baseWidth_ = -1;
};

namespace RangeFields {

// Enter in each field moves the focus to the next one, and from the last field to `last`.
void chainEnter(std::initializer_list<RangeField*> fields, QWidget* last);
// Tab visits the controls in this order.
void orderTabs(std::initializer_list<QWidget*> controls);
// Moves the focus to `next` as Tab would, focus frame included: Qt shows the frame only
// when its own Tab handling moved the focus, whatever reason a program passes.
void focusAsByTab(QWidget* next);

}  // namespace RangeFields

// A dialog button that is never a default button: Enter in a field does not press it,
// Enter (or Space) on the focused button does.
class RangeButton : public QPushButton {
    Q_OBJECT

public:
    RangeButton(const char* objectName, const QString& caption, QWidget* parent);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// A modal dialog that ignores Escape and ends in one of two ways:
//   hideKeeping(): exec() returns and everything stays for the next exec();
//   discard():     exec() returns with discarded() true; the owner deletes the dialog and
//                  the next use builds it afresh. Closing by the title bar discards too.
class RangeDialog : public QDialog {
    Q_OBJECT

public:
    explicit RangeDialog(QWidget* parent);

    bool discarded() const { return discarded_; }
    void discard();
    void hideKeeping();

    void reject() override {}

protected:
    // The client area and control rectangles, in twips.
    void setClientTwips(int width, int height);
    static void placeTwips(QWidget* control, int left, int top, int width, int height);

    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    bool discarded_ = false;
    QPointer<QWidget> keptFocus_;  // the control that had the focus when the dialog was hidden
};

// The range check of OK, after the fields have been read into start and end:
//   StartAboveEnd: end := 0, the end field is emptied and focused, no message;
//   BeyondEnd:     "Адрес выходит за границу конца файла." (Ошибка, critical) was shown;
//   Ok:            start..end lies inside a file of `fileSize` bytes.
enum class RangeCheck { StartAboveEnd, BeyondEnd, Ok };
RangeCheck checkRange(std::int64_t start, std::int64_t& end, RangeField* endField,
                      std::int64_t fileSize, UiServices& ui);

// Drives a progress bar from a loop that does not let the event loop run: the bar is
// repainted at most once per interval, and finish() puts the last value on it, so the bar
// ends exactly where a per-step update would have left it.
class ProgressPacer {
public:
    ProgressPacer(ProgressBarAdapter& adapter, QProgressBar* bar, int intervalMs = Pacing::kIntervalMs);
    ~ProgressPacer() { finish(); }
    ProgressPacer(const ProgressPacer&) = delete;
    ProgressPacer& operator=(const ProgressPacer&) = delete;

    // At the start of a run: while the bar stands at 0, minimum 0 and maximum end - start.
    static void beginRun(ProgressBarAdapter& adapter, std::int64_t start, std::int64_t end);

    void show(std::int64_t value);
    void finish();

private:
    ProgressBarAdapter& adapter_;
    QProgressBar* bar_;
    int intervalMs_;
    QElapsedTimer clock_;
    std::int64_t pending_ = 0;
    bool hasPending_ = false;
};
