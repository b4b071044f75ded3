#include "RangeOpDialog.h"

#include <QProgressBar>

#include "AddressText.h"
#include "ProgressBarAdapter.h"
#include "PairView.h"
#include "mRWByt.h"

RangeOpDialog::RangeOpDialog(PairView& main, RangeState& state, const QString& caption, QWidget* parent)
    : RangeDialog(parent), main_(main), range_(state) {
    setWindowTitle(caption);
    const std::int64_t size = fileInView().Size();
    lb1 = addLabel("lb1", QStringLiteral("Начало:"), 45, 45, 800);
    lb2 = addLabel("lb2", QStringLiteral("Конец:"), 45, 375, 800);
    plAddresO = new RangeField("plAddresO", 7, this);
    plAddresT = new RangeField("plAddresT", 7, this);
    lb1->setBuddy(plAddresO);
    lb2->setBuddy(plAddresT);
    // Files of 256 MiB and more need more than 7 digits for their last address.
    plAddresO->setMaxLength(AddressText::addressFieldDigits(size));
    plAddresT->setMaxLength(AddressText::addressFieldDigits(size));
    plAddresO->putText(RangeFields::startText());
    plAddresT->putText(RangeFields::endText(size));
    knOk = new RangeButton("knOk", QStringLiteral("Ок"), this);
    knCancel = new RangeButton("knCancel", QStringLiteral("Отмена"), this);
    connect(knCancel, &QPushButton::clicked, this, &RangeOpDialog::knCancel_Click);
    connect(plAddresO, &RangeField::left, this,
            [this] { range_.curAdresStart = AddressText::funAdresValue(plAddresO->text()); });
    connect(plAddresT, &RangeField::left, this,
            [this] { range_.curAdresEnd = AddressText::funAdresValue(plAddresT->text()); });
}

RangeOpDialog::~RangeOpDialog() = default;

mRWByt& RangeOpDialog::fileInView() { return main_.fileInView(); }
mRWByt& RangeOpDialog::fileA() { return main_.FileAtributOne(); }
mRWByt& RangeOpDialog::fileB() { return main_.FileAtributTwo(); }
UiServices& RangeOpDialog::ui() { return main_.ui(); }

QLabel* RangeOpDialog::addLabel(const char* name, const QString& caption, int left, int top, int width) {
    auto* label = new QLabel(caption, this);
    label->setObjectName(QString::fromLatin1(name));
    placeTwips(label, left, top, width, 285);
    // Our fonts run wider than the ones the layout was drawn for; a caption that would be
    // cut off by its neighbour gets a slightly smaller type instead.
    QFont font = label->font();
    while (label->fontMetrics().horizontalAdvance(caption) > label->width() && font.pointSizeF() > 6) {
        font.setPointSizeF(font.pointSizeF() - 0.5);
        label->setFont(font);
    }
    return label;
}

void RangeOpDialog::placeAddressFields(int left) {
    placeTwips(plAddresO, left, 45, 1050, 285);
    placeTwips(plAddresT, left, 375, 1050, 285);
    const std::int64_t size = fileInView().Size();
    plAddresO->fitAddressDigits(size);
    plAddresT->fitAddressDigits(size);
}

void RangeOpDialog::addProgressBar(int top, int width) {
    lbSearch = addLabel("lbSearch", QStringLiteral("Поиск:"), 45, top - 90, 550);
    conProgress = new QProgressBar(this);
    conProgress->setObjectName(QStringLiteral("conProgress"));
    conProgress->setTextVisible(false);
    conProgress->setAccessibleName(QStringLiteral("Ход поиска"));
    placeTwips(conProgress, 615, top, width, 120);
    progress_ = std::make_unique<ProgressBarAdapter>(conProgress);
}

RangeCheck RangeOpDialog::readRange(bool keepStart) {
    if (!keepStart) range_.curAdresStart = AddressText::funAdresValue(plAddresO->text());
    range_.curAdresEnd = AddressText::funAdresValue(plAddresT->text());
    return checkRange(range_.curAdresStart, range_.curAdresEnd, plAddresT, fileInView().Size(), main_.ui());
}

void RangeOpDialog::restartProgress(std::int64_t& counter) {
    counter = 0;
    progress_->setValue(0);
}

void RangeOpDialog::showHit(std::int64_t address) {
    if (range_.curAdresStart <= range_.curAdresEnd)
        hideKeeping();
    else
        discard();
    handBack(address);
}

void RangeOpDialog::handBack(std::int64_t address) {
    // The window may lower the address it is given; ours stays as it is.
    std::int64_t shown = address;
    main_.subSearchAddr(shown, 0);
}
