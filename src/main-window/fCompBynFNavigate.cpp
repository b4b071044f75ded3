// Paging, the go-to dialog and synchronised paging.
#include "fCompBynF.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>

#include <algorithm>

#include "ByteGrid.h"
#include "PairView.h"
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

void fCompBynF::mnuNext_Click() {
    if (view_->intShowFile() < 1) return;
    if (!goToDialog_) goToDialog_ = new frpAdress(*view_, this);
    goToDialog_->exec();
    if (goToDialog_->discarded()) {
        delete goToDialog_;
        goToDialog_ = nullptr;
    }
}
