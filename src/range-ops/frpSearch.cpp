#include "frpSearch.h"

#include "BusyCursor.h"
#include "ProgressBarAdapter.h"
#include "RangeScanners.h"
#include "UiServices.h"
#include "fCompBynF.h"

namespace {

int hexDigit(QChar c) {
    const char16_t u = c.toUpper().unicode();
    if (u >= u'0' && u <= u'9') return u - u'0';
    if (u >= u'A' && u <= u'F') return u - u'A' + 10;
    return -1;
}

}  // namespace

SearchPattern parseSearchPattern(const QString& text) {
    SearchPattern pattern;
    if (text.isEmpty() || text.size() > 6) return pattern;
    const QString t = text.size() % 2 ? QStringLiteral("0") + text : text;
    const int length = int(t.size() / 2);
    for (int k = 0; k < length; ++k) {
        const int high = hexDigit(t[2 * k]), low = hexDigit(t[2 * k + 1]);
        if (high < 0 || low < 0) return SearchPattern{};
        pattern.bytPattern[k] = std::uint8_t(high * 16 + low);
    }
    pattern.length = length;
    return pattern;
}

frpSearch::frpSearch(fCompBynF& main, SearchState& state, QWidget* parent)
    : RangeOpDialog(main, state, QStringLiteral("Найти"), parent), state_(state) {
    setObjectName(QStringLiteral("frpSearch"));
    state_.curProgress = 0;
    state_.bolNext = false;
    lb3 = addLabel("lb3", QStringLiteral("Байт:"), 45, 705, 800);
    plByt = new RangeField("plByt", 6, this);
    placeAddressFields(900);
    placeTwips(plByt, 900, 705, 1050, 285);
    placeTwips(knOk, 2280, 60, 990, 330);
    placeTwips(knCancel, 2280, 585, 990, 330);
    addProgressBar(1110, 2640);
    setClientTwips(3375, 1335);

    plAddresO->setNextInChain(plAddresT);
    plAddresT->setNextInChain(plByt);
    plByt->setNextInChain(knOk);
    setTabOrder(plByt, knOk);
    setTabOrder(knOk, knCancel);
    setTabOrder(knCancel, plAddresO);
    setTabOrder(plAddresO, plAddresT);
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
        // The file object has said what went wrong; "not found" would not be true.
        if (failed_) return;
        main_.ui().message(QStringLiteral("Сообщение"), QStringLiteral("Указанное значение не найдено"),
                           MessageIcon::Information, MessageButtons::Ok);
        return;
    }
    if (state_.curAdresStart <= state_.curAdresEnd)
        hideKeeping();
    else
        discard();
    handBack(state_.curAdresFound);
}

// The hit, or -1.
std::int64_t frpSearch::funSearch() {
    failed_ = false;
    const SearchPattern pattern = parseSearchPattern(plByt->text());
    if (pattern.length == 0) return -1;
    BusyCursor busy;
    ProgressPacer::beginRun(*progress_, state_.curAdresStart, state_.curAdresEnd);
    ProgressPacer pacer(*progress_, conProgress);
    RangeScanners::StepCounter steps(state_.curProgress, [&](std::int64_t value) { pacer.show(value); });
    const RangeScanners::ScanResult result =
        RangeScanners::findPattern(fileInView(), state_.curAdresStart, state_.curAdresEnd,
                                   pattern.bytPattern.data(), pattern.length, steps);
    failed_ = result.failed;
    if (result.found < 0) return -1;
    state_.curAdresStart = result.found + pattern.length;
    knOk->setText(QStringLiteral("Далее"));
    state_.bolNext = true;
    return result.found;
}
