#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class PairView;

// The go-to dialog "Перейти ...": jumps the main window to a typed address or block.
//
// Made once and then only hidden, so the chosen option survives between uses (the text
// does not). Closing it by the title bar discards it instead: discarded() turns true and
// the owner deletes it after exec() returns, so the next use starts afresh:
//     dialog->exec();
//     if (dialog->discarded()) delete dialog;
// Each showing sizes the field for the file then in view and starts in the field.
class frpAdress : public QDialog {
    Q_OBJECT

public:
    // Creating the dialog drops the remembered state of the two search dialogs.
    frpAdress(PairView& main, QWidget* parent);

    bool discarded() const { return discarded_; }

    // Event handlers, public so that the owner's tests can call them as the user would.
    void knOk_Click();
    void knCancel_Click();
    void lb1_Click();
    void lb2_Click();

    // Escape must not close the dialog: it has no cancel button.
    void reject() override;

    QLineEdit* plEnter = nullptr;
    QRadioButton* chAdress = nullptr;
    QLabel* lb1 = nullptr;
    QRadioButton* chScreen = nullptr;
    QLabel* lb2 = nullptr;
    QPushButton* knOk = nullptr;
    QPushButton* knCancel = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildLayout();
    // eventFilter's share for each watched control; true when the event is taken.
    bool filterField(QEvent* event);
    bool filterButton(QPushButton* button, QEvent* event);
    bool filterLabel(QLabel* label, QEvent* event);

    PairView& main_;
    bool discarded_ = false;
};
