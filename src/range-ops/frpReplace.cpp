#include "frpReplace.h"

#include "BusyCursor.h"
#include "RangeScanners.h"
#include "mRWByt.h"

frpReplace::frpReplace(PairView& main, ByteState& state, QWidget* parent)
    : RangeOpDialog(main, state, QStringLiteral("Заменить"), parent), state_(state) {
    setObjectName(QStringLiteral("frpReplace"));
    lb3 = addLabel("lb3", QStringLiteral("Байт:"), 45, 705, 800);
    plByt = new RangeField("plByt", 2, this);
    lb3->setBuddy(plByt);
    lbR = addLabel("lbR", QStringLiteral(">"), 1365, 705, 150);
    plBytD = new RangeField("plBytD", 0, this);
    lbR->setBuddy(plBytD);
    plBytD->setAccessibleName(QStringLiteral("Заменить на"));
    plBytD->setSelect(RangeField::Select::OnChange);
    placeAddressFields(885);
    placeTwips(plByt, 885, 705, 435, 285);
    placeTwips(plBytD, 1515, 705, 435, 285);
    placeTwips(knOk, 2280, 60, 990, 330);
    placeTwips(knCancel, 2280, 585, 990, 330);
    setClientTwips(3375, 1095);

    RangeFields::chainEnter({plAddresO, plAddresT, plByt, plBytD}, knOk);
    RangeFields::orderTabs({plAddresO, plAddresT, plByt, plBytD, knOk, knCancel});
    plAddresO->setFocus();

    connect(plByt, &RangeField::left, this, [this] {
        state_.bytValue = RangeFields::byteValue(plByt->text());
        plByt->putText(RangeFields::byteText(state_.bytValue));
    });
    connect(plBytD, &RangeField::left, this, [this] {
        state_.bytNew = RangeFields::byteValue(plBytD->text());
        plBytD->putText(RangeFields::byteText(state_.bytNew));
    });
    connect(knOk, &QPushButton::clicked, this, &frpReplace::knOk_Click);
}

void frpReplace::knOk_Click() {
    if (RangeFields::anyEmpty({plAddresO, plAddresT, plByt, plBytD})) return;
    const RangeCheck check = readRange(false);
    if (check == RangeCheck::StartAboveEnd) return;
    if (check == RangeCheck::Ok) {
        BusyCursor busy;
        RangeScanners::replaceBytes(fileInView(), state_.curAdresStart, state_.curAdresEnd, state_.bytValue,
                                    state_.bytNew);
    }
    discard();
    handBack(state_.curAdresStart);
}
