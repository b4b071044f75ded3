#include "frpSearch.h"

#include "AddressText.h"
#include "BusyCursor.h"
#include "FileErrors.h"
#include "ProgressBarAdapter.h"
#include "RangeScanners.h"
#include "UiServices.h"
#include "mRWByt.h"

SearchPattern parseSearchPattern(const QString& text) {
    SearchPattern pattern;
    if (text.isEmpty() || text.size() > 6) return pattern;
    const QString t = text.size() % 2 ? QStringLiteral("0") + text : text;
    const int length = int(t.size() / 2);
    for (int k = 0; k < length; ++k) {
        const int high = AddressText::hexDigitValue(t[2 * k]), low = AddressText::hexDigitValue(t[2 * k + 1]);
        if (high < 0 || low < 0) return SearchPattern{};
        pattern.bytPattern[k] = std::uint8_t(high * 16 + low);
    }
    pattern.length = length;
    return pattern;
}

frpSearch::frpSearch(PairView& main, SearchState& state, QWidget* parent)
    : RangeOpDialog(main, state, QStringLiteral("Найти"), parent), state_(state) {
    setObjectName(QStringLiteral("frpSearch"));
    state_.curProgress = 0;
    state_.bolNext = false;
    lb3 = addLabel("lb3", QStringLiteral("Байт:"), 45, 705, 800);
    plByt = new RangeField("plByt", 6, this);
    lb3->setBuddy(plByt);
    placeAddressFields(900);
    placeTwips(plByt, 900, 705, 1050, 285);
    placeTwips(knOk, 2280, 60, 990, 330);
    placeTwips(knCancel, 2280, 585, 990, 330);
    addProgressBar(1110, 2640);
    setClientTwips(3375, 1335);

    RangeFields::chainEnter({plAddresO, plAddresT, plByt}, knOk);
    RangeFields::orderTabs({plByt, knOk, knCancel, plAddresO, plAddresT});
    plByt->setFocus();

    // A new pattern is a new search, from the start field.
    connect(plByt, &QLineEdit::textChanged, this, [this] {
        state_.bolNext = false;
        knOk->setText(QStringLiteral("Ок"));
    });
    connect(plByt, &RangeField::left, this, [this] {
        const QString upper = plByt->text().toUpper();
        if (upper != plByt->text()) plByt->putText(upper);
    });
    connect(knOk, &QPushButton::clicked, this, &frpSearch::knOk_Click);
}

void frpSearch::knOk_Click() {
    if (RangeFields::anyEmpty({plAddresO, plAddresT, plByt})) return;
    const RangeCheck check = readRange(state_.bolNext);
    if (check == RangeCheck::StartAboveEnd) return;
    // Past the end of the file: what the previous search found stands.
    if (check == RangeCheck::Ok) state_.curAdresFound = funSearch();
    if (state_.curAdresFound == -1) {
        discard();
        // The failure has been told; "not found" would not be true.
        if (failed_) return;
        ui().message(QStringLiteral("Сообщение"), QStringLiteral("Указанное значение не найдено"),
                           MessageIcon::Information, MessageButtons::Ok);
        return;
    }
    showHit(state_.curAdresFound);
}

// The hit, or -1.
std::int64_t frpSearch::funSearch() {
    failed_ = false;
    const SearchPattern pattern = parseSearchPattern(plByt->text());
    if (pattern.length == 0) return -1;
    // The search reports a failure of the file itself, once, after the pointer is back:
    // the file object stays quiet meanwhile.
    mRWByt& file = fileInView();
    RangeScanners::ScanResult result;
    if (!state_.bolNext) restartProgress(state_.curProgress);
    {
        BusyCursor busy;
        ProgressPacer::beginRun(*progress_, state_.curAdresStart, state_.curAdresEnd);
        ProgressPacer pacer(*progress_, conProgress);
        RangeScanners::StepCounter steps(state_.curProgress, [&](std::int64_t value) { pacer.show(value); });
        file.MsgView(false);
        result = RangeScanners::findPattern(file, state_.curAdresStart, state_.curAdresEnd,
                                            pattern.bytPattern.data(), pattern.length, steps);
        file.MsgView(true);
    }
    failed_ = result.failed;
    if (failed_)
        ui().message(QStringLiteral("Bivex"), FileErrors::description(result.error), MessageIcon::None,
                           MessageButtons::Ok);
    if (result.found < 0) return -1;
    state_.curAdresStart = result.found + pattern.length;
    knOk->setText(QStringLiteral("Далее"));
    state_.bolNext = true;
    return result.found;
}
