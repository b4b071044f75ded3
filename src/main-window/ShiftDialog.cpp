#include "ShiftDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "AddressText.h"

ShiftDialog::ShiftDialog(std::int64_t addressA, std::int64_t shift, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ShiftDialog"));
    setWindowTitle(QStringLiteral("Синхронизировать со сдвигом"));
    auto* column = new QVBoxLayout(this);
    auto* label = new QLabel(QStringLiteral("Адрес в файле В, с которым сравнить адрес %1 файла А,\n"
                                            "или сдвиг файла В со знаком (+200, -1F0):")
                                 .arg(AddressText::funHexAdres(addressA)),
                             this);
    field = new QLineEdit(this);
    field->setObjectName(QStringLiteral("shiftField"));
    label->setBuddy(field);
    field->setText(AddressText::funHexAdres(addressA + shift));
    field->selectAll();
    column->addWidget(label);
    column->addWidget(field);
    auto* buttons = new QHBoxLayout;
    ok = new QPushButton(QStringLiteral("Ок"), this);
    ok->setObjectName(QStringLiteral("shiftOk"));
    cancel = new QPushButton(QStringLiteral("Отмена"), this);
    cancel->setObjectName(QStringLiteral("shiftCancel"));
    ok->setDefault(true);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    column->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

std::optional<std::int64_t> ShiftDialog::shiftOf(const QString& text, std::int64_t addressA) {
    QString t = text.trimmed();
    const bool signedShift = t.startsWith(QLatin1Char('+')) || t.startsWith(QLatin1Char('-'));
    const bool negative = t.startsWith(QLatin1Char('-'));
    if (signedShift) t = t.mid(1).trimmed();
    if (t.isEmpty() || t.size() > 15) return std::nullopt;
    for (QChar c : t)
        if (AddressText::hexDigitValue(c) < 0) return std::nullopt;
    const std::int64_t value = AddressText::funAdresValue(t);
    if (!signedShift) return value - addressA;
    return negative ? -value : value;
}
