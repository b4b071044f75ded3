#include "frpAbout.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#ifndef BIVEX_VERSION
#error "BIVEX_VERSION must come from the build (the project version)"
#endif

QString frpAbout::versionText() {
    return QStringLiteral("Версия ") + QStringLiteral(BIVEX_VERSION);
}

frpAbout::frpAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frpAbout"));
    setWindowTitle(QStringLiteral("О программе"));
    setModal(true);

    lbName = new QLabel(QStringLiteral("Bivex"));
    lbName->setObjectName(QStringLiteral("lbName"));
    QFont nameFont = lbName->font();
    nameFont.setPointSizeF(nameFont.pointSizeF() * 1.8);
    nameFont.setBold(true);
    lbName->setFont(nameFont);

    lbVersion = new QLabel(versionText());
    lbVersion->setObjectName(QStringLiteral("lbVersion"));

    lbPurpose = new QLabel(QStringLiteral(
        "Побайтовый просмотр, сравнение и правка двух файлов."));
    lbPurpose->setObjectName(QStringLiteral("lbPurpose"));
    lbPurpose->setWordWrap(true);

    lbCredits = new QLabel(QStringLiteral(
        "Программа построена на:\n"
        "  • Qt 6 — лицензия GNU LGPL v3;\n"
        "  • iconv из библиотеки GNU C (glibc) — перекодировка символов;\n"
        "  • шрифты DejaVu.\n"
        "Тесты программы написаны на GoogleTest."));
    lbCredits->setObjectName(QStringLiteral("lbCredits"));
    lbCredits->setTextInteractionFlags(Qt::TextSelectableByMouse);

    knOk = new QPushButton(QStringLiteral("Ok"));
    knOk->setObjectName(QStringLiteral("knOk"));
    knOk->setDefault(true);
    connect(knOk, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(knOk);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 16, 20, 12);
    layout->setSpacing(8);
    layout->addWidget(lbName);
    layout->addWidget(lbVersion);
    layout->addWidget(lbPurpose);
    layout->addSpacing(6);
    layout->addWidget(lbCredits);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    knOk->setFocus();
}
