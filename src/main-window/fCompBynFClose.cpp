// Closing file B, or both files.
#include "fCompBynF.h"

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "ByteGrid.h"
#include "PairView.h"
#include "LineLabel.h"
#include "GridColors.h"
#include "ProgressBarAdapter.h"

void fCompBynF::mnuDelFileB_Click() {
    const FileSlot b = slot(2);
    GridColors::setTextColor(b.caption, GridColors::black());
    view_->closedB();
    clearFileLabels(b);
    selectViewButton(knViweOne);
    knViweTwo->setChecked(false);
    sets_.twoFiles.setEnabled(false);
    mnuLoadFileB->setEnabled(true);
    mnuDelAll->setEnabled(true);
    subLockByt();
    subShowDate(1);
}

void fCompBynF::mnuDelAll_Click() {
    strOldByt.clear();
    grid_->focusRowAddress(0);
    GridColors::setTextColor(lbFile1, GridColors::black());
    GridColors::setTextColor(lbFile2, GridColors::black());
    lbStatusBarText->setText(QStringLiteral("1 из 1"));
    lbInfo1->clear();
    // With no file there is nothing read-only: the mark of the last file goes with it.
    lbOnlyRead->setVisible(false);
    lnOnlyRead->setVisible(false);
    deselectViewButtons();
    subChangeMenu(false);
    view_->closedAll();
    progress->setValue(0);
    sets_.loaded.setEnabled(false);
    mnuLoadFileA->setEnabled(true);
    mnuDOS->setEnabled(true);
    view_->discardSearchDialogs();
    subLockByt();
    subInitScreen();
    // The empty screen is shown: whatever described the files goes with them.
    view_->noteShown();
}
