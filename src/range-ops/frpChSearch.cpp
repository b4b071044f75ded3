#include "frpChSearch.h"

#include "BusyCursor.h"
#include "ProgressBarAdapter.h"
#include "RangeScanners.h"
#include "UiServices.h"
#include "mRWByt.h"

frpChSearch::frpChSearch(PairView& main, SearchState& state, QWidget* parent)
    : RangeOpDialog(main, state, QStringLiteral("Найти несовпадения"), parent), state_(state) {
    setObjectName(QStringLiteral("frpChSearch"));
    state_.curProgress = 0;
    state_.bolNext = false;
    state_.bolFound = false;
    placeAddressFields(900);
    placeTwips(knOk, 2280, 45, 990, 330);
    placeTwips(knCancel, 2280, 420, 990, 330);
    addProgressBar(840, 2655);
    setClientTwips(3375, 1035);

    RangeFields::chainEnter({plAddresO, plAddresT}, knOk);
    RangeFields::orderTabs({knOk, knCancel, plAddresO, plAddresT});
    knOk->setFocus();
    connect(knOk, &QPushButton::clicked, this, &frpChSearch::knOk_Click);
}

void frpChSearch::knOk_Click() {
    if (RangeFields::anyEmpty({plAddresO, plAddresT})) return;
    const RangeCheck check = readRange(state_.bolNext);
    if (check == RangeCheck::StartAboveEnd) return;
    // Past the end of the file: what the previous search found stands.
    if (check == RangeCheck::Ok) state_.curAdresFound = funChSearch();
    if (state_.curAdresFound == -1) {
        discard();
        // After a failure a file object has reported, "no mismatch" would not be true.
        if (!state_.bolFound && !failed_)
            ui().message(QStringLiteral("Сообщение"),
                               QStringLiteral("В указанном диапазоне, несовпадений не обнаружено!"),
                               MessageIcon::Information, MessageButtons::Ok);
        return;
    }
    state_.bolFound = true;
    showHit(state_.curAdresFound);
}

// The first mismatch, or -1.
std::int64_t frpChSearch::funChSearch() {
    if (!state_.bolNext) restartProgress(state_.curProgress);
    BusyCursor busy;
    ProgressPacer::beginRun(*progress_, state_.curAdresStart, state_.curAdresEnd);
    ProgressPacer pacer(*progress_, conProgress);
    RangeScanners::StepCounter steps(state_.curProgress, [&](std::int64_t value) { pacer.show(value); });
    const RangeScanners::ScanResult result = RangeScanners::findMismatch(
        fileA(), fileB(), state_.curAdresStart, state_.curAdresEnd, steps);
    failed_ = result.failed;
    if (result.found < 0) return -1;
    knOk->setText(QStringLiteral("Далее"));
    state_.bolNext = true;
    state_.curAdresStart = result.found + 1;
    return result.found;
}
