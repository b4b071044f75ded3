// Closing file B, or both files.
#include "fCompBynF.h"

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "ByteGrid.h"
#include "LineLabel.h"
#include "GridColors.h"
#include "ProgressBarAdapter.h"

void fCompBynF::mnuDelFileB_Click() {
    const FileSlot b = slot(2);
    GridColors::setTextColor(b.caption, GridColors::black());
    intShowFile = 1;
    intLoadFile = 1;
    b.screenStart = 0;
    lbInfo2->clear();
    clearFileLabels(b);
    selectViewButton(knViweOne);
    knViweTwo->setChecked(false);
    b.file.Path(QString());
    mnuSynchro->setChecked(false);
    twoFileCommands_.setEnabled(false);
    mnuLoadFileB->setEnabled(true);
    mnuDelAll->setEnabled(true);
    subLockByt();
    subShowDate(1);
}

void fCompBynF::mnuDelAll_Click() {
    curAdresOne = 0;
    curAdresTwo = 0;
    intLoadFile = 0;
    intShowFile = 0;
    strOldByt.clear();
    lngBlockMax = 0;
    curBlock = 0;
    bolChange = false;
    grid_->focusRowAddress(0);
    GridColors::setTextColor(lbFile1, GridColors::black());
    GridColors::setTextColor(lbFile2, GridColors::black());
    lbInfo2->clear();
    lbInvers->clear();
    lbStatusBarText->setText(QStringLiteral("1 из 1"));
    lbInfo1->clear();
    // With no file there is nothing read-only: the mark of the last file goes with it.
    lbOnlyRead->setVisible(false);
    lnOnlyRead->setVisible(false);
    deselectViewButtons();
    subChangeMenu(false);
    fileOne_->Path(QString());
    fileTwo_->Path(QString());
    noteLoadedFiles();
    progress->setValue(0);
    mnuSynchro->setChecked(false);
    mnuEdit->setChecked(false);
    loadedCommands_.setEnabled(false);
    mnuLoadFileA->setEnabled(true);
    mnuDOS->setEnabled(true);
    discardSearchDialogs();
    subLockByt();
    subInitScreen();
    // The empty screen is shown: whatever described the files goes with them.
    emit screenShown();
}
