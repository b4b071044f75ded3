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

using namespace GridGeometry;

namespace {

// One or two hexadecimal digits, either case: a byte value 0..255; -1 otherwise.
int cellValue(const QString& text) {
    if (text.isEmpty() || text.size() > 2) return -1;
    int value = 0;
    for (QChar ch : text) {
        const int digit = ch.isDigit() ? ch.digitValue()
                          : (ch.toUpper() >= QLatin1Char('A') && ch.toUpper() <= QLatin1Char('F'))
                              ? ch.toUpper().unicode() - 'A' + 10
                              : -1;
        if (digit < 0 || ch.unicode() > 127) return -1;
        value = value * 16 + digit;
    }
    return value;
}

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
    mnuLoad->setEnabled(on);
    mnuReplace->setEnabled(on);
    mnuFill->setEnabled(on);
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
        knRecord->setEnabled(false);
        mnuRec->setEnabled(false);
        mnuCanscel->setEnabled(false);
        return;
    }
    if (on) {
        mnuSaveNoByt->setEnabled(false);
        mnuSynchro->setEnabled(false);
        knRecord->setEnabled(true);
        mnuRec->setEnabled(true);
        mnuCanscel->setEnabled(true);
    } else {
        mnuSaveNoByt->setEnabled(intLoadFile == 2);
        mnuSynchro->setEnabled(intLoadFile == 2);
        knRecord->setEnabled(false);
        mnuRec->setEnabled(false);
        mnuCanscel->setEnabled(false);
        bolChange = false;
    }
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
        const int value = cellValue(cell->text());
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
    auto filled = [this](int i) { return !grid_->cell(i)->text().isEmpty(); };
    int target = -1;
    switch (KeyAscii) {
    case 13:
        target = (index == kCells - 1 || !filled(index + 1)) ? 0 : index + 1;
        break;
    case 44: case 225:  // "," "б"
        if (index >= 1) target = index - 1;
        break;
    case 46: case 254:  // "." "ю"
        if (index <= kCells - 2 && filled(index + 1)) target = index + 1;
        break;
    case 75: case 107: case 203: case 235:  // "K" "k" "Л" "л"
        if (index >= kColumns) target = index - kColumns;
        break;
    case 77: case 109: case 220: case 252:  // "M" "m" "Ь" "ь"
        if (index <= kCells - 1 - kColumns && filled(index + kColumns)) target = index + kColumns;
        break;
    default:
        return false;
    }
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
    const int value = cellValue(cell->text());
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
        for (QAction* a : {mnuLoadFileA, mnuLoadFileB, mnuEdit}) a->setEnabled(false);
        knDown->setEnabled(false);
        knUp->setEnabled(false);
        knViweOne->setEnabled(false);
        knViweTwo->setEnabled(false);
        mnuSaveList->setEnabled(false);
        knNextScreen->setEnabled(false);
        for (QAction* a : {mnuNext, mnuSearch, mnuFill, mnuRefresh, mnuReplace, mnuChSearch, mnuDOS})
            a->setEnabled(false);
        bolChange = true;
    }
    lbInfo1->setText(strOldByt);
    cell->setForeground(GridColors::blue());
    editedCells_.set(std::size_t(index));
}

void fCompBynF::lbSumbol_Click(int index) { grid_->cell(index)->setFocus(Qt::MouseFocusReason); }
