// Write permission and editing bytes in the hexadecimal cells.
#include "fCompBynF.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "ByteGrid.h"
#include "PairView.h"
#include "LineLabel.h"
#include "HexCell.h"
#include "WindowRules.h"

using namespace GridGeometry;

namespace {

QString infoText(const QString& hex, int value) {
    return QStringLiteral("Hex[") + hex + QStringLiteral("] = Dec[") + QString::number(value) +
           QStringLiteral("]");
}

}  // namespace

bool fCompBynF::writePermission() const { return view_->writePermission(); }

void fCompBynF::mnuEdit_Click() {
    const bool on = !view_->writePermission();
    view_->setWritePermission(on);
    sets_.write.setEnabled(on);
    subLockByt();
    if (const int focused = grid_->focusedCell(); focused >= 0) {
        // A value typed but not yet accepted is dropped with the permission; kept, it
        // would be written by a later recording without ever having shown as a change.
        if (!on && grid_->cellText(focused) != strOldByt) grid_->setCellText(focused, strOldByt);
        // The cell selects as if entered under the new permission, so typing replaces its
        // byte at once.
        grid_->editor()->selectOnEntry(on ? 2 : 0);
    }
}

void fCompBynF::subLockByt() {
    grid_->setLocked(!writePermission());
    // The focused cell past the end of the file stays locked; every other cell is locked
    // again or unlocked when it is entered.
    if (const int focused = grid_->focusedCell(); focused >= 0 && grid_->cellText(focused).isEmpty())
        grid_->editor()->setReadOnly(true);
}

void fCompBynF::subChangeMenu(bool on) {
    if (!writePermission()) {
        sets_.record.setEnabled(false);
        return;
    }
    mnuSaveNoByt->setEnabled(!on && view_->intLoadFile() == 2);
    mnuSynchro->setEnabled(!on && view_->intLoadFile() == 2);
    sets_.record.setEnabled(on);
    if (!on) view_->setEditsPending(false);
}

void fCompBynF::plByt0_GotFocus(int index) {
    HexCell* cell = grid_->editor();
    strOldByt = cell->text();
    cell->selectOnEntry(writePermission() ? 2 : 0);
    // Highlighted, in button shadow where it is drawn dark red; a cell without a byte is not.
    grid_->setFocusedCell(index);
    view_->setFocusedAddress(view_->intShowFile() == 0 ? -1 : view_->screenStart(view_->intShowFile()) + index, drawing_);
    if (!strOldByt.isEmpty()) {
        // The cell may have been locked while it was empty.
        cell->setReadOnly(!writePermission());
        const int value = WindowRules::typedByte(strOldByt);
        if (value < 0) return;
        lbInfo1->setText(infoText(strOldByt, value));
    } else {
        cell->setReadOnly(true);
        if (!lbInfo1->text().isEmpty()) lbInfo1->clear();
    }
}

bool fCompBynF::plByt0_KeyPress(int index, int KeyAscii) {
    // The cells with a byte come first; the focused one may have been emptied by typing.
    int filled = kCells;
    while (filled > 0 && grid_->cellText(filled - 1).isEmpty()) --filled;
    const int target = WindowRules::navigationTarget(index, KeyAscii, filled);
    if (target == WindowRules::kNotNavigation) return false;
    if (target == index) {
        // Enter on the only byte of the screen: the focus has nowhere to go, so the cell is
        // left and entered in place, and the value typed is checked as on any move.
        plByt0_LostFocus(index);
        plByt0_GotFocus(index);
    } else if (target >= 0) {
        grid_->focusCell(target, Qt::OtherFocusReason);
    }
    return true;
}

void fCompBynF::plByt0_LostFocus(int index) {
    grid_->setFocusedCell(-1);
    view_->setFocusedAddress(-1);
    subCheckByt(index);
}

void fCompBynF::subCheckByt(int index) {
    const int value = WindowRules::typedByte(grid_->cellText(index));
    if (value < 0) {
        grid_->setCellText(index, strOldByt);
        return;
    }
    const QString& hex = ScreenModel::byteText(value);
    if (!writePermission() || hex == strOldByt) return;
    // Its two digits in blue, and its character, until it is recorded or dropped.
    grid_->acceptEdit(index, value);
    strOldByt = infoText(hex, value);
    if (!view_->editsPending()) {
        subChangeMenu(true);
        sets_.editLocks.setEnabled(false);
        view_->setEditsPending(true);
    }
    lbInfo1->setText(strOldByt);
}

void fCompBynF::lbSumbol_Click(int index) { grid_->focusCell(index, Qt::MouseFocusReason); }

int fCompBynF::placeEdits(int number, std::int64_t address, const QByteArray& bytes) {
    if (!writePermission() || view_->editsPending() || number > view_->intLoadFile() || address < 0) return -1;
    if (view_->intShowFile() != number) subShowDate(number);
    // A file that may only be read took the permission away as it was shown.
    if (!writePermission()) return -1;
    std::int64_t at = address;
    view_->subSearchAddr(at, 0);
    const std::int64_t start = view_->screenStart(number);
    if (at != address || address < start || address >= start + kScreenBytes) return 0;
    const ScreenModel& screen = grid_->model();
    int placed = 0;
    for (; placed < bytes.size(); ++placed) {
        const std::int64_t cell = address + placed - start;
        if (cell >= kCells || screen.byte(int(cell)) < 0) break;
        const int value = quint8(bytes[placed]);
        if (value != screen.byte(int(cell))) grid_->acceptEdit(int(cell), value);
    }
    bool edited = false;
    for (int cell = 0; cell < kCells && !edited; ++cell) edited = screen.isEdited(cell);
    if (edited) {
        subChangeMenu(true);
        sets_.editLocks.setEnabled(false);
        view_->setEditsPending(true);
    }
    // The focused cell is entered again with the value it now shows.
    refreshFocusedCellEntry();
    return placed;
}
