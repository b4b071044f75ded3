#include "frpAdress.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>

#include "AddressText.h"
#include "PairView.h"
#include "mRWByt.h"

namespace {

bool isEnter(const QKeyEvent* key) {
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

}  // namespace

frpAdress::frpAdress(PairView& main, QWidget* parent) : QDialog(parent), main_(main) {
    setObjectName(QStringLiteral("frpAdress"));
    setWindowTitle(QStringLiteral("Перейти ..."));
    buildLayout();
    main_.discardSearchDialogs();
}

void frpAdress::buildLayout() {
    plEnter = new QLineEdit(this);
    plEnter->setObjectName(QStringLiteral("plEnter"));
    plEnter->setMaxLength(7);
    plEnter->installEventFilter(this);

    chAdress = new QRadioButton(this);
    chAdress->setObjectName(QStringLiteral("chAdress"));
    chAdress->setChecked(true);
    lb1 = new QLabel(QStringLiteral("Адрес"), this);
    lb1->setObjectName(QStringLiteral("lb1"));
    lb1->installEventFilter(this);

    chScreen = new QRadioButton(this);
    chScreen->setObjectName(QStringLiteral("chScreen"));
    lb2 = new QLabel(QStringLiteral("Блок"), this);
    lb2->setObjectName(QStringLiteral("lb2"));
    lb2->installEventFilter(this);

    // Buttons of a QDialog are auto-default, which would let Enter in the field press
    // one; here Enter in the field only moves on to "Ok".
    knOk = new QPushButton(QStringLiteral("Ok"), this);
    knOk->setObjectName(QStringLiteral("knOk"));
    knCancel = new QPushButton(QStringLiteral("Отмена"), this);
    knCancel->setObjectName(QStringLiteral("knCancel"));
    for (QPushButton* button : {knOk, knCancel}) {
        button->setAutoDefault(false);
        button->setDefault(false);
        button->installEventFilter(this);
    }
    connect(knOk, &QPushButton::clicked, this, &frpAdress::knOk_Click);
    connect(knCancel, &QPushButton::clicked, this, &frpAdress::knCancel_Click);

    auto* options = new QHBoxLayout;
    options->setSpacing(3);
    options->addWidget(chAdress);
    options->addWidget(lb1);
    options->addSpacing(12);
    options->addWidget(chScreen);
    options->addWidget(lb2);
    options->addStretch();

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(8, 6, 8, 6);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(10);
    grid->addWidget(plEnter, 0, 0);
    grid->addLayout(options, 1, 0);
    grid->addWidget(knOk, 0, 1);
    grid->addWidget(knCancel, 1, 1);
    grid->setColumnStretch(0, 1);

    // A click on an option leaves the focus where it was, and goes on to the field, so
    // the digits typed next land there; Tab still reaches the options.
    for (QRadioButton* option : {chAdress, chScreen}) {
        option->setFocusPolicy(Qt::TabFocus);
        connect(option, &QRadioButton::clicked, this, [this, option] {
            if (!option->hasFocus()) plEnter->setFocus(Qt::OtherFocusReason);
        });
    }

    // The options' captions are labels beside them; a screen reader hears them as the
    // options' names, and the field's name says which of the two it takes.
    lb1->setBuddy(chAdress);
    lb2->setBuddy(chScreen);
    chAdress->setAccessibleName(lb1->text());
    chScreen->setAccessibleName(lb2->text());
    plEnter->setAccessibleName(lb1->text());
    connect(chAdress, &QRadioButton::toggled, this,
            [this](bool address) { plEnter->setAccessibleName(address ? lb1->text() : lb2->text()); });

    setTabOrder(plEnter, chAdress);
    setTabOrder(chAdress, chScreen);
    setTabOrder(chScreen, knOk);
    setTabOrder(knOk, knCancel);

    // About 3400 x 1100 twips (15 twips to the pixel), grown if the fonts need more.
    setFixedSize(sizeHint().expandedTo(QSize(227, 73)));
}

// The file in view may have changed since the last showing. The focus goes back to the
// field explicitly: Qt does not always restore it for a window that was hidden.
void frpAdress::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;  // restored from the task bar: keep where the user was
    const std::int64_t size = main_.intShowFile() == 0 ? 0 : main_.fileInView().Size();
    plEnter->setMaxLength(AddressText::addressFieldDigits(size));
    plEnter->setFocus();
}

void frpAdress::knOk_Click() {
    plEnter->setFocus();
    const QString text = plEnter->text();
    if (chAdress->isChecked()) {
        if (text.isEmpty()) return;
        std::int64_t address = AddressText::funAdresValue(text);
        hide();
        main_.subSearchAddr(address, 0);
        plEnter->clear();
        return;
    }

    const AddressText::BlockNumber block = AddressText::parseBlockNumber(text);
    switch (block.kind) {
    case AddressText::BlockNumber::NotANumber:
        plEnter->clear();
        plEnter->setFocus();
        return;
    case AddressText::BlockNumber::NoSuchBlock:
        hide();
        main_.reportMissingAddress(-1);
        break;
    case AddressText::BlockNumber::Block: {
        std::int64_t address = block.address;
        hide();
        main_.subSearchAddr(address, -1);
        break;
    }
    }
    plEnter->clear();
}

void frpAdress::knCancel_Click() {
    plEnter->clear();
    plEnter->setFocus();
    hide();
}

void frpAdress::lb1_Click() {
    chAdress->setChecked(true);
    plEnter->setFocus(Qt::OtherFocusReason);
}

void frpAdress::lb2_Click() {
    chScreen->setChecked(true);
    plEnter->setFocus(Qt::OtherFocusReason);
}

void frpAdress::reject() {}

bool frpAdress::eventFilter(QObject* watched, QEvent* event) {
    if (watched == plEnter) return filterField(event);
    if (watched == knOk || watched == knCancel)
        return filterButton(static_cast<QPushButton*>(watched), event);
    if (watched == lb1 || watched == lb2) return filterLabel(static_cast<QLabel*>(watched), event);
    return QDialog::eventFilter(watched, event);
}

// Enter in the field moves on to "Ok"; leaving the field shows its digits in capitals.
bool frpAdress::filterField(QEvent* event) {
    if (event->type() == QEvent::KeyPress && isEnter(static_cast<QKeyEvent*>(event))) {
        // Qt draws the focus frame only after its own Tab handling; this step is one too.
        setAttribute(Qt::WA_KeyboardFocusChange);
        knOk->setFocus(Qt::TabFocusReason);
        return true;
    }
    if (event->type() == QEvent::FocusOut) {
        const QString upper = plEnter->text().toUpper();
        if (upper != plEnter->text()) plEnter->setText(upper);
    }
    return false;
}

// Qt presses a focused button on Enter only when it is a default button; ours are not,
// yet Enter on a focused button must press it.
bool frpAdress::filterButton(QPushButton* button, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(button, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (isEnter(key) && !key->isAutoRepeat()) {
        button->click();
        return true;
    }
    return false;
}

// A label clicks its option: taking the press makes the label receive the release, and a
// click ends inside it.
bool frpAdress::filterLabel(QLabel* label, QEvent* event) {
    const bool press = event->type() == QEvent::MouseButtonPress;
    const bool release = event->type() == QEvent::MouseButtonRelease;
    if (!press && !release) return QDialog::eventFilter(label, event);
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton) return false;
    if (release && label->rect().contains(mouse->position().toPoint())) {
        if (label == lb1) lb1_Click();
        else lb2_Click();
    }
    return true;
}

void frpAdress::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

// The title-bar button (or the window manager) throws the dialog away; the owner deletes
// it and the next use builds a fresh one in address mode.
void frpAdress::closeEvent(QCloseEvent* event) {
    discarded_ = true;
    event->accept();
    done(QDialog::Rejected);
}
