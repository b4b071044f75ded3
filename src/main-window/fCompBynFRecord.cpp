// Recording the edited cells into the file in view, or dropping them.
#include "fCompBynF.h"

#include <QAction>
#include <QPushButton>
#include <QRadioButton>

#include "ByteGrid.h"
#include "HexCell.h"

using namespace GridGeometry;

void fCompBynF::knRecord_Click() {
    if (intLoadFile == 2) {
        mnuChSearch->setEnabled(true);
        knViweOne->setEnabled(true);
        knViweTwo->setEnabled(true);
    }
    for (QAction* a : {mnuLoadFileB, mnuLoadFileA, mnuEdit, mnuNext, mnuSaveList, mnuSearch,
                       mnuRefresh, mnuDOS})
        a->setEnabled(true);
    knNextScreen->setEnabled(true);
    subChangeMenu(false);
    const bool reported = !subRwcordByt();
    // After a reported failure the redraw would only say the same again.
    fileInView().MsgView(!reported);
    subShowDate(intShowFile);
    fileInView().MsgView(true);
}

// False when the file object reported a failure.
bool fCompBynF::subRwcordByt() {
    mRWByt& file = fileInView();
    const std::int64_t base = kScreenBytes * (curBlock - 1) + 1;
    file.OpenFileRW();
    if (file.Error() != 0) return false;  // reported by the file object; nothing to write into
    bool failed = false;
    for (int i = 0; i < kCells; ++i) {
        const QString text = grid_->cell(i)->text();
        if (text.isEmpty()) break;
        bool ok = false;
        const int value = text.toInt(&ok, 16);
        if (!ok) break;  // a cell never holds anything else once left; be safe anyway
        const int current = file.GetByt(base + i);
        if (current == -1) {
            failed = file.Error() != -2;  // past the end is no failure
            break;
        }
        // One failed write is reported once; the rest of the screen is not attempted.
        if (value != current && file.PutByt(value, base + i) != 0) {
            failed = true;
            break;
        }
    }
    file.CloseFile();  // the cached bytes reach the file here; a failure is reported
    return !failed && file.Error() == 0;
}

void fCompBynF::mnuCanscel_Click() {
    bolChange = false;
    for (QAction* a : {mnuLoadFileA, mnuLoadFileB, mnuSaveList, mnuEdit, mnuNext, mnuSearch, mnuRefresh})
        a->setEnabled(true);
    knNextScreen->setEnabled(true);
    mnuDOS->setEnabled(true);
    if (intLoadFile == 2) {
        mnuChSearch->setEnabled(true);
        knViweOne->setEnabled(true);
        knViweTwo->setEnabled(true);
    }
    subChangeMenu(false);
    subShowDate(intShowFile);
}
