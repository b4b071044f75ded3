#include "frpSave.h"

#include "mRWByt.h"
#include "mdGetPathParametr.h"

namespace {
const QString kBlockFilter = QStringLiteral("дамп (*.hex)|*.hex|двоичный (*.bin)|*.bin");
}

frpSave::frpSave(UiServices& ui, mRWByt& source, BlockState& state, QWidget* parent)
    : BlockDialog(ui, state, QStringLiteral("Сохранить"), true, parent) {
    setObjectName(QStringLiteral("frpSave"));
    lb2 = addLabel("lb2", QStringLiteral("Конец:"), rowTop(1));
    plAddresT = addField("plAddresT", rowTop(1), 7, 1050, false, &state_.lngAdresEnd);
    lb2->setBuddy(plAddresT);
    finishLayout(2);

    strPathSource = source.Path();
    lngSizeSource = source.Size();
    if (!strPathSource.isEmpty()) {
        mdGetPathParametr parts;
        parts.NameFromFullPath(strPathSource, ui_);
        setWindowTitle(QStringLiteral("Сохранить из '") + parts.strFileName + QLatin1Char('\''));
    }
    // Files of 256 MiB and more need more than 7 digits for their last address.
    plAddresO->fitAddressDigits(lngSizeSource);
    plAddresT->fitAddressDigits(lngSizeSource);

    RangeFields::chainEnter({plAddresO, plAddresT}, knOk);
    RangeFields::orderTabs({bnSelect, plAddresO, plAddresT, knOk, knCancel});
    bnSelect->setFocus();
    connect(bnSelect, &QPushButton::clicked, this, &frpSave::bnSelect_Click);
    connect(knOk, &QPushButton::clicked, this, &frpSave::knOk_Click);
}

void frpSave::bnSelect_Click() {
    choosePath(true, kBlockFilter);
    plAddresO->setFocus(Qt::OtherFocusReason);
}

void frpSave::knOk_Click() {
    if (state_.bolCopy) return;
    const QString target = plPath->text();
    // Another name of the same file is caught as well as the same text.
    if (target == strPathSource || BlockTransfer::sameFile(target, strPathSource)) {
        refuse(QStringLiteral("Файл источник и файл приёмник совпадают."));
        return;
    }
    if (target.isEmpty()) {
        refuse(QStringLiteral("Не указан путь к файлу."));
        return;
    }
    if (plAddresO->text().isEmpty()) {
        plAddresO->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (plAddresT->text().isEmpty()) {
        plAddresT->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (state_.lngAdresEnd <= state_.lngAdresStart) {
        plAddresO->setFocus(Qt::OtherFocusReason);
        refuse(QStringLiteral("Начальный адрес больше конечного."));
        return;
    }
    if (state_.lngAdresEnd >= lngSizeSource) {
        plAddresT->setFocus(Qt::OtherFocusReason);
        refuse(QStringLiteral("Конечный адрес блока превышает конец файла-источника."));
        return;
    }
    const std::int64_t start = state_.lngAdresStart, end = state_.lngAdresEnd;
    runTransfer(target, [&](BlockTransfer::Progress& progress) {
        BlockTransfer::subCopyToFile(ui_, strPathSource, target, start, end, progress, pace_);
    });
}
