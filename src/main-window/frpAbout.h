#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The About box "О программе": the program's name, version, what it is and the
// libraries it is built on. Modal; "Ok", Enter and Escape close it.
class frpAbout : public QDialog {
    Q_OBJECT

public:
    explicit frpAbout(QWidget* parent = nullptr);

    // The version text shown in the box, e.g. "Версия 0.1.0".
    static QString versionText();

    QLabel* lbName = nullptr;
    QLabel* lbVersion = nullptr;
    QLabel* lbPurpose = nullptr;
    QLabel* lbCredits = nullptr;
    QPushButton* knOk = nullptr;
};
