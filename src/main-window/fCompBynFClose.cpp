// Closing file B, or both files.
#include "fCompBynF.h"

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "ByteGrid.h"
#include "GridColors.h"
#include "ProgressBarAdapter.h"

void fCompBynF::mnuDelFileB_Click() {
    GridColors::setTextColor(lbFile2, GridColors::black());
    intShowFile = 1;
    intLoadFile = 1;
    curAdresTwo = 0;
    lbInfo2->clear();
    lbSizeTwo->setText(QStringLiteral("0 byte"));
    lbDateTime2->clear();
    lbFileTwo->setText(QStringLiteral("Не загружен"));
    selectViewButton(knViweOne);
    knViweTwo->setChecked(false);
    knViweOne->setEnabled(false);
    knViweTwo->setEnabled(false);
    fileTwo_->Path(QString());
    mnuSaveNoByt->setEnabled(false);
    mnuSynchro->setChecked(false);
    mnuSynchro->setEnabled(false);
    mnuLoadFileB->setEnabled(true);
    mnuDelAll->setEnabled(true);
    mnuDelFileB->setEnabled(false);
    mnuChSearch->setEnabled(false);
    subLockByt();
    subShowDate(1);
}

void fCompBynF::mnuDelAll_Click() {
    curAdresOne = 0;
    curAdresTwo = 0;
    intLoadFile = 0;
    intShowFile = 0;
    bolEqual = false;
    strOldByt.clear();
    lngBlockMax = 0;
    curBlock = 0;
    bolChange = false;
    grid_->rowAddress(0)->setFocus();
    GridColors::setTextColor(lbFile1, GridColors::black());
    GridColors::setTextColor(lbFile2, GridColors::black());
    lbInfo2->clear();
    lbInvers->clear();
    lbSizeOne->setText(QStringLiteral("0 byte"));
    lbSizeTwo->setText(QStringLiteral("0 byte"));
    lbDateTime1->clear();
    lbDateTime2->clear();
    lbFileOne->setText(QStringLiteral("Не загружен"));
    lbFileTwo->setText(QStringLiteral("Не загружен"));
    lbStatusBarText->setText(QStringLiteral("1 из 1"));
    lbInfo1->clear();
    // With no file there is nothing read-only: the mark of the last file goes with it.
    lbOnlyRead->setVisible(false);
    lnOnlyRead->setVisible(false);
    knUp->setEnabled(false);
    knDown->setEnabled(false);
    deselectViewButtons();
    knViweOne->setEnabled(false);
    knViweTwo->setEnabled(false);
    knNextScreen->setEnabled(false);
    subChangeMenu(false);
    fileOne_->Path(QString());
    fileTwo_->Path(QString());
    progress->setValue(0);
    mnuNext->setEnabled(false);
    mnuSearch->setEnabled(false);
    mnuSynchro->setChecked(false);
    mnuEdit->setChecked(false);
    for (QAction* a : {mnuSaveNoByt, mnuSynchro, mnuEdit, mnuLoad, mnuLoadFileB, mnuDelAll,
                       mnuDelFileB, mnuSaveList, mnuFill, mnuRefresh, mnuReplace, mnuChSearch, mnuSave})
        a->setEnabled(false);
    mnuLoadFileA->setEnabled(true);
    mnuDOS->setEnabled(true);
    discardSearchDialogs();
    subLockByt();
    subInitScreen();
}
