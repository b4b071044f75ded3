#include "frpFill.h"

#include "BusyCursor.h"
#include "RangeScanners.h"
#include "mRWByt.h"

frpFill::frpFill(PairView& main, ByteState& state, QWidget* parent)
    : RangeOpDialog(main, state, QStringLiteral("Заполнить"), parent), state_(state) {
    setObjectName(QStringLiteral("frpFill"));
    lb3 = addLabel("lb3", QStringLiteral("Байт:"), 45, 705, 800);
    plByt = new RangeField("plByt", 2, this);
    lb3->setBuddy(plByt);
    placeAddressFields(900);
    placeTwips(plByt, 900, 705, 435, 285);
    placeTwips(knOk, 2280, 60, 990, 330);
    placeTwips(knCancel, 2280, 600, 990, 330);
    setClientTwips(3375, 1095);

    RangeFields::chainEnter({plAddresO, plAddresT, plByt}, knOk);
    RangeFields::orderTabs({plAddresO, plAddresT, plByt, knOk, knCancel});
    plAddresO->setFocus();

    connect(plByt, &RangeField::left, this, [this] {
        state_.bytValue = RangeFields::byteValue(plByt->text());
        plByt->putText(RangeFields::byteText(state_.bytValue));
    });
    connect(knOk, &QPushButton::clicked, this, &frpFill::knOk_Click);
}

void frpFill::knOk_Click() {
    if (RangeFields::anyEmpty({plAddresO, plAddresT, plByt})) return;
    const RangeCheck check = readRange(false);
    if (check == RangeCheck::StartAboveEnd) return;
    if (check == RangeCheck::Ok) {
        BusyCursor busy;
        RangeScanners::fillBytes(fileInView(), state_.curAdresStart, state_.curAdresEnd, state_.bytValue);
    }
    discard();
    handBack(state_.curAdresStart);
}
