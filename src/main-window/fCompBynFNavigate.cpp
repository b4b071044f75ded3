// Paging, the go-to dialog and synchronised paging.
#include "fCompBynF.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

#include "ByteGrid.h"
#include "PairView.h"
#include "ShiftDialog.h"
#include "LineLabel.h"
#include "UiServices.h"
#include "WindowRules.h"
#include "frpAdress.h"

using GridGeometry::kScreenBytes;

std::int64_t fCompBynF::funScreenAdres(std::int64_t address) {
    return GridGeometry::screenStartOf(address);
}

void fCompBynF::subDown() {
    if (view_->editsPending()) return;
    if (view_->pageDown()) subShowDate(view_->intShowFile());
}

void fCompBynF::subUp() {
    if (view_->editsPending()) return;
    if (view_->pageUp()) subShowDate(view_->intShowFile());
}

void fCompBynF::subSearchAddr(std::int64_t& AdresSearch, int TypeSearch) { view_->subSearchAddr(AdresSearch, TypeSearch); }

void fCompBynF::mnuSynchro_Click() {
    view_->setSynchronised(!view_->synchronised());
    subShowDate(view_->intShowFile());
}

void fCompBynF::mnuSynchroShift_Click() {
    if (view_->intLoadFile() < 2 || view_->editsPending()) return;
    // The address of file A the user is at: the focused byte, else its screen.
    const std::int64_t focused = view_->focusedAddress();
    const std::int64_t addressA = view_->intShowFile() == 1 && focused >= 0 ? focused : view_->curAdresOne();
    ShiftDialog dialog(addressA, view_->synchronised() ? view_->shift() : 0, this);
    if (dialog.exec() != QDialog::Accepted) return;
    const std::optional<std::int64_t> shift = ShiftDialog::shiftOf(dialog.field->text(), addressA);
    if (!shift) {
        ui_.message(QStringLiteral("Ошибка"),
                    QStringLiteral("«") + dialog.field->text() +
                        QStringLiteral("» — не адрес и не сдвиг: нужны шестнадцатеричные цифры, у сдвига со знаком (+200, -1F0)."),
                    MessageIcon::Warning, MessageButtons::Ok);
        return;
    }
    view_->setShift(*shift);
    subShowDate(view_->intShowFile());
}

void fCompBynF::mnuNext_Click() {
    if (view_->intShowFile() < 1) return;
    if (!goToDialog_) goToDialog_ = new frpAdress(*view_, this);
    goToDialog_->exec();
    if (goToDialog_->discarded()) {
        delete goToDialog_;
        goToDialog_ = nullptr;
    }
}
