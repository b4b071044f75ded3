// Write permission and editing bytes in the hexadecimal cells.
#include "fCompBynF.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "ByteGrid.h"
#include "GridColors.h"
#include "HexCell.h"
#include "SymbolCell.h"
#include "WindowRules.h"

using namespace GridGeometry;

namespace {

QString infoText(const QString& hex, int value) {
    return QStringLiteral("Hex[") + hex + QStringLiteral("] = Dec[") + QString::number(value) +
           QStringLiteral("]");
}

}  // namespace

bool fCompBynF::writePermission() const { return mnuEdit->isChecked(); }

void fCompBynF::mnuEdit_Click() {
    mnuEdit->setChecked(!mnuEdit->isChecked());
    const bool on = mnuEdit->isChecked();
    lbInvers->setText(on ? QStringLiteral("Редакт.") : QString());
    writeCommands_.setEnabled(on);
    subLockByt();
    if (const int focused = grid_->focusedCell(); focused >= 0) {
        HexCell* cell = grid_->cell(focused);
        // A value typed but not yet accepted is dropped with the permission; kept, it
        // would be written by a later recording without ever having shown as a change.
        if (!on && cell->text() != strOldByt) cell->setText(strOldByt);
        // The cell selects as if entered under the new permission, so typing replaces its
        // byte at once.
        cell->selectOnEntry(on ? 2 : 0);
    }
}

void fCompBynF::subLockByt() {
    const bool locked = !writePermission();
    // The focused cell past the end of the file stays locked; every other cell is locked
    // again or unlocked when it is entered.
    const int focused = grid_->focusedCell();
    for (int i = 0; i < kCells; ++i) {
        HexCell* cell = grid_->cell(i);
        cell->setReadOnly(locked || (i == focused && cell->text().isEmpty()));
    }
}

void fCompBynF::subChangeMenu(bool on) {
    if (!writePermission()) {
        recordCommands_.setEnabled(false);
        return;
    }
    mnuSaveNoByt->setEnabled(!on && intLoadFile == 2);
    mnuSynchro->setEnabled(!on && intLoadFile == 2);
    recordCommands_.setEnabled(on);
    if (!on) bolChange = false;
}

void fCompBynF::plByt0_GotFocus(int index) {
    HexCell* cell = grid_->cell(index);
    SymbolCell* symbol = grid_->symbol(index);
    strOldByt = cell->text();
    cell->selectOnEntry(writePermission() ? 2 : 0);
    cell->setBackground(cell->foreground() == GridColors::darkRed() ? GridColors::buttonShadow()
                                                                    : GridColors::lightCyan());
    symbol->setBackground(GridColors::lightCyan());
    if (!cell->text().isEmpty()) {
        // The cell may have been locked while it was empty.
        cell->setReadOnly(!writePermission());
        const int value = WindowRules::typedByte(cell->text());
        if (value < 0) return;
        lbInfo1->setText(infoText(cell->text(), value));
    } else {
        cell->setBackground(GridColors::buttonFace());
        symbol->setBackground(GridColors::buttonFace());
        cell->setReadOnly(true);
        lbInfo1->clear();
    }
}

bool fCompBynF::plByt0_KeyPress(int index, int KeyAscii) {
    // The cells with a byte come first; the focused one may have been emptied by typing.
    int filled = kCells;
    while (filled > 0 && grid_->cell(filled - 1)->text().isEmpty()) --filled;
    const int target = WindowRules::navigationTarget(index, KeyAscii, filled);
    if (target == WindowRules::kNotNavigation) return false;
    if (target == index) {
        // Enter on the only byte of the screen: the focus has nowhere to go, so the cell is
        // left and entered in place, and the value typed is checked as on any move.
        plByt0_LostFocus(index);
        plByt0_GotFocus(index);
    } else if (target >= 0) {
        grid_->cell(target)->setFocus(Qt::OtherFocusReason);
    }
    return true;
}

void fCompBynF::plByt0_LostFocus(int index) {
    grid_->cell(index)->setBackground(GridColors::buttonFace());
    grid_->symbol(index)->setBackground(GridColors::buttonFace());
    subCheckByt(index);
}

void fCompBynF::subCheckByt(int index) {
    HexCell* cell = grid_->cell(index);
    const int value = WindowRules::typedByte(cell->text());
    if (value < 0) {
        cell->setText(strOldByt);
        return;
    }
    const QString hex = QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
    if (!writePermission() || hex == strOldByt) return;
    cell->setText(hex);
    grid_->symbol(index)->setText(funSumbol(value));
    strOldByt = infoText(hex, value);
    if (!bolChange) {
        subChangeMenu(true);
        editLocks_.setEnabled(false);
        bolChange = true;
    }
    lbInfo1->setText(strOldByt);
    cell->setForeground(GridColors::blue());
    editedCells_.set(std::size_t(index));
}

void fCompBynF::lbSumbol_Click(int index) { grid_->cell(index)->setFocus(Qt::MouseFocusReason); }
