#include "frpNew.h"

namespace {
// The blanks beside the middle bar are the filter's own.
const QString kNewFileFilter = QStringLiteral("дамп (*.hex)|*.hex | двоичный (*.bin)|*.bin");
}

frpNew::frpNew(UiServices& ui, BlockState& state, QWidget* parent)
    : BlockDialog(ui, state, QStringLiteral("Создать"), false, parent) {
    setObjectName(QStringLiteral("frpNew"));
    lb2 = addLabel("lb2", QStringLiteral("Конец:"), rowTop(1));
    plAddresT = addField("plAddresT", rowTop(1), 7, 1050, false, &state_.lngAdresEnd);
    lb2->setBuddy(plAddresT);
    lb3 = addLabel("lb3", QStringLiteral("Байт:"), rowTop(2));
    plByt = addField("plByt", rowTop(2), 2, 435, false);
    lb3->setBuddy(plByt);
    finishLayout(3);

    RangeFields::chainEnter({plAddresO, plAddresT, plByt}, knOk);
    RangeFields::orderTabs({bnSelect, plAddresO, plAddresT, plByt, knOk, knCancel});
    bnSelect->setFocus();
    connect(bnSelect, &QPushButton::clicked, this, &frpNew::bnSelect_Click);
    connect(knOk, &QPushButton::clicked, this, &frpNew::knOk_Click);
    connect(plByt, &QLineEdit::textChanged, this, &frpNew::plByt_Change);
}

// The focus stays on "...".
void frpNew::bnSelect_Click() { choosePath(true, kNewFileFilter); }

// The byte is taken and its text put right at every change, so the field always shows the
// byte that will be written (and, once typed into, is never empty).
void frpNew::plByt_Change() {
    state_.bytFill = RangeFields::byteValue(plByt->text());
    const QString text = RangeFields::byteText(state_.bytFill);
    if (plByt->text() != text) plByt->setText(text);  // the caret goes to the end
}

void frpNew::knOk_Click() {
    if (state_.bolCopy) return;
    const QString path = plPath->text();
    if (path.isEmpty()) {
        refuse(QStringLiteral("Не указан путь к файлу."));
        return;
    }
    for (BlockField* field : {plAddresO, plAddresT, plByt}) {
        if (field->text().isEmpty()) {
            field->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
    if (state_.lngAdresEnd <= state_.lngAdresStart) {
        refuse(QStringLiteral("Начальный адрес больше конечного."));
        return;
    }
    const std::int64_t start = state_.lngAdresStart, end = state_.lngAdresEnd;
    const std::uint8_t value = state_.bytFill;
    runTransfer(path, [&](BlockTransfer::Progress& progress) {
        BlockTransfer::subFillNewFile(ui_, path, start, end, value, progress, pace_);
    });
}
