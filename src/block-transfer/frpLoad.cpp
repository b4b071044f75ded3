#include "frpLoad.h"

#include "mRWByt.h"
#include "mdGetPathParametr.h"

namespace {
const QString kBlockFilter = QStringLiteral("дамп (*.hex)|*.hex|двоичный (*.bin)|*.bin");
}

frpLoad::frpLoad(UiServices& ui, mRWByt& target, BlockState& state, std::function<void()> written, QWidget* parent)
    : BlockDialog(ui, state, QStringLiteral("Загрузить"), true, parent), written_(std::move(written)) {
    setObjectName(QStringLiteral("frpLoad"));
    finishLayout(1);

    strPathTarget = target.Path();
    lngSizeTarget = target.Size();
    target_ = FileIdentity::ofPath(strPathTarget);
    if (!strPathTarget.isEmpty()) {
        mdGetPathParametr parts;
        parts.NameFromFullPath(strPathTarget, ui_);
        setWindowTitle(QStringLiteral("Загрузить в '") + parts.strFileName + QLatin1Char('\''));
    }
    plAddresO->fitAddressDigits(lngSizeTarget);

    RangeFields::chainEnter({plAddresO}, knOk);
    RangeFields::orderTabs({bnSelect, plAddresO, knOk, knCancel});
    bnSelect->setFocus();
    connect(bnSelect, &QPushButton::clicked, this, &frpLoad::bnSelect_Click);
    connect(knOk, &QPushButton::clicked, this, &frpLoad::knOk_Click);
}

void frpLoad::bnSelect_Click() {
    choosePath(false, kBlockFilter);
    plAddresO->setFocus(Qt::OtherFocusReason);
}

void frpLoad::knOk_Click() {
    if (state_.bolCopy) return;
    const QString source = plPath->text();
    if (source == strPathTarget || BlockTransfer::sameFile(source, strPathTarget)) {
        refuse(QStringLiteral("Файл источник и файл приёмник совпадают."));
        return;
    }
    if (source.isEmpty()) {
        refuse(QStringLiteral("Не указан путь к файлу."));
        return;
    }
    if (plAddresO->text().isEmpty()) {
        plAddresO->setFocus(Qt::OtherFocusReason);
        return;
    }
    const std::int64_t start = state_.lngAdresStart;
    runTransfer(strPathTarget, [&](BlockTransfer::Progress& progress) {
        const BlockTransfer::Outcome outcome = BlockTransfer::subCopyFromFile(
            ui_, source, strPathTarget, target_, lngSizeTarget, start, progress, pace_);
        // A block that did not fit has left the file as it was: nothing to redraw.
        if (outcome != BlockTransfer::Outcome::DoesNotFit && written_) written_();
    });
}
