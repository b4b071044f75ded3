// Paging, the go-to dialog and synchronised paging.
#include "fCompBynF.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>

#include <algorithm>

#include "ByteGrid.h"
#include "LineLabel.h"
#include "UiServices.h"
#include "WindowRules.h"
#include "frpAdress.h"

using GridGeometry::kScreenBytes;

std::int64_t fCompBynF::funScreenAdres(std::int64_t address) {
    return GridGeometry::screenStartOf(address);
}

void fCompBynF::subDown() {
    if (knRecord->isEnabled() || intLoadFile == 0) return;
    if (mnuSynchro->isChecked()) {
        const FileSlot limit = shorter();
        if (!WindowRules::hasNextScreen(limit.file.Size(), limit.screenStart)) return;
        curAdresOne += kScreenBytes;
        curAdresTwo += kScreenBytes;
    } else {
        const FileSlot shown = inView();
        if (!WindowRules::hasNextScreen(shown.file.Size(), shown.screenStart)) return;
        shown.screenStart += kScreenBytes;
    }
    subShowDate(intShowFile);
}

void fCompBynF::subUp() {
    if (knRecord->isEnabled() || intLoadFile == 0) return;
    if (mnuSynchro->isChecked()) {
        if (shorter().screenStart <= 0) return;
        curAdresOne -= kScreenBytes;
        curAdresTwo -= kScreenBytes;
    } else {
        const FileSlot shown = inView();
        if (shown.screenStart <= 0) return;
        shown.screenStart -= kScreenBytes;
    }
    subShowDate(intShowFile);
}

void fCompBynF::subSearchAddr(std::int64_t& AdresSearch, int TypeSearch) {
    if (mnuSynchro->isChecked()) AdresSearch = std::min(AdresSearch, shorter().file.Size());
    const std::int64_t start = funScreenAdres(AdresSearch);
    const int cell = int(AdresSearch - start);
    // A negative address has no screen (it would show the one before address 0).
    if (intShowFile == 0 || AdresSearch < 0 || start >= inView().file.Size()) {
        reportMissingAddress(TypeSearch);
        return;
    }
    const int target = TypeSearch != 0 ? 0 : cell;
    grid_->focusCell(target);
    inView().screenStart = start;
    if (mnuSynchro->isChecked()) other().screenStart = start;
    // The cell takes the focus before the redraw, which then gives it the new byte.
    subShowDate(intShowFile);
}

void fCompBynF::showInBothFiles(std::int64_t address) {
    if (intLoadFile < 2 || bolChange) return;
    if (!mnuSynchro->isChecked()) mnuSynchro_Click();
    // Paging together ends with the shorter file; the bytes beyond it are the longer one's.
    const FileSlot longer = slot(shorter().number == 1 ? 2 : 1);
    if (address >= shorter().file.Size() && intShowFile != longer.number) subShowDate(longer.number);
    subSearchAddr(address, 0);
}

void fCompBynF::showAtAddresses(std::int64_t addressA, std::int64_t addressB) {
    if (intLoadFile < 2 || bolChange) return;
    if (mnuSynchro->isChecked()) mnuSynchro_Click();
    // An insertion at the very end of a file points just past it: its last screen shows it.
    const auto within = [](std::int64_t address, std::int64_t size) { return std::clamp<std::int64_t>(address, 0, std::max<std::int64_t>(0, size - 1)); };
    curAdresTwo = funScreenAdres(within(addressB, fileTwo_->Size()));
    if (intShowFile != 1) subShowDate(1);
    std::int64_t address = within(addressA, fileOne_->Size());
    subSearchAddr(address, 0);
}

void fCompBynF::reportMissingAddress(int TypeSearch) {
    ui_.message(QStringLiteral("Ошибка"),
                TypeSearch != 0 ? QStringLiteral("Указанный Вами блок не существует.")
                                : QStringLiteral("Указанный Вами адрес не существует."),
                MessageIcon::Critical, MessageButtons::Ok);
}

void fCompBynF::mnuSynchro_Click() {
    mnuSynchro->setChecked(!mnuSynchro->isChecked());
    if (mnuSynchro->isChecked()) {
        curAdresOne = 0;
        curAdresTwo = 0;
        lbInfo2->setText(QStringLiteral("Синхро."));
    } else {
        lbInfo2->clear();
    }
    subShowDate(intShowFile);
}

void fCompBynF::mnuNext_Click() {
    if (intShowFile < 1) return;
    if (!goToDialog_) goToDialog_ = new frpAdress(*this, this);
    goToDialog_->exec();
    if (goToDialog_->discarded()) {
        delete goToDialog_;
        goToDialog_ = nullptr;
    }
}

void fCompBynF::discardSearchDialogs() { emit searchDialogsDiscarded(); }
