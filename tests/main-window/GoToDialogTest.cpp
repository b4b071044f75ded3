// The go-to dialog as the user works it: typing, its keys, and what the window shows then.
#include "frpAdress.h"

#include <QLineEdit>
#include <QStyleOption>
#include <QTimer>
#include <QWindow>

#include <functional>

#include "MainWindowHarness.h"

namespace {

class GoToDialog : public MainWindowTest {
protected:
    void openFile(qint64 size) {
        openA(sparse(QStringLiteral("a%1.bin").arg(size), size));
        ui.clear();
    }
    // Runs "Перейти..." and plays `steps` on the dialog while it is shown modally. Returns
    // whether it was still open afterwards; it is then cancelled so that the command returns.
    bool goToDialog(const std::function<void(frpAdress&)>& steps) {
        bool ran = false, stillOpen = false;
        QTimer::singleShot(0, window.get(), [&] {
            auto* dialog = qobject_cast<frpAdress*>(QApplication::activeModalWidget());
            if (dialog == nullptr) return;
            ran = true;
            QApplication::setActiveWindow(dialog);  // the offscreen platform leaves it with the owner
            EXPECT_EQ(dialog->focusWidget(), dialog->plEnter) << "each showing starts in the field";
            steps(*dialog);
            stillOpen = dialog->isVisible();
            if (stillOpen) dialog->knCancel_Click();
        });
        trigger("mnuNext");
        EXPECT_TRUE(ran) << "the go-to dialog was not shown";
        QApplication::setActiveWindow(window.get());
        return stillOpen;
    }
    // The mode and text the dialog shows the next time it opens.
    QString nextLook() {
        QString look;
        goToDialog([&](frpAdress& d) {
            look = QString(d.chAdress->isChecked() ? "address" : "") + (d.chScreen->isChecked() ? "block" : "") +
                   d.plEnter->text();
        });
        return look;
    }
    static QString focusedName() { return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString(); }
};

TEST_F(GoToDialog, OpensEmptyInAddressModeAndUpperCasesTheFieldWhenLeft) {
    openFile(1024);
    goToDialog([](frpAdress& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Перейти ..."));
        EXPECT_EQ(d.lb1->text() + d.lb2->text() + d.knOk->text() + d.knCancel->text(), QStringLiteral("АдресБлокOkОтмена"));
        for (QWidget* control : d.findChildren<QWidget*>())
            EXPECT_TRUE(d.rect().contains(control->geometry())) << control->objectName().toStdString();
        QTest::keyClicks(d.plEnter, QStringLiteral("1a5f"));
        EXPECT_EQ(d.plEnter->text(), QStringLiteral("1a5f"));  // typing is not filtered
        QTest::keyClick(d.plEnter, Qt::Key_Tab);
        EXPECT_EQ(d.plEnter->text(), QStringLiteral("1A5F"));
    });
    EXPECT_EQ(nextLook(), QStringLiteral("address"));
}

// Enter in the field only moves to Ok; an empty field keeps the dialog open; Escape does
// nothing at all.
TEST_F(GoToDialog, KeysLeadThroughOkAndEscapeIsIgnored) {
    openFile(1024);
    const bool stillOpen = goToDialog([&](frpAdress& d) {
        QTest::keyClick(d.plEnter, Qt::Key_Return);
        QTest::keyClick(d.knOk, Qt::Key_Space);
        EXPECT_EQ(d.focusWidget(), d.plEnter) << "empty field";
        QTest::keyClicks(d.plEnter, QStringLiteral("1A5"));
        QTest::keyClick(d.plEnter, Qt::Key_Escape);
        d.knCancel->setFocus();
        QTest::keyClick(d.knCancel, Qt::Key_Escape);
        EXPECT_TRUE(d.isVisible() && !d.discarded());
        EXPECT_EQ(d.plEnter->text(), QStringLiteral("1A5"));
        d.plEnter->setFocus();
        QTest::keyClick(d.plEnter, Qt::Key_Return);
        EXPECT_TRUE(d.isVisible() && d.focusWidget() == d.knOk);
        EXPECT_EQ(window->screenStartOne(), 0);
        QTest::keyClick(d.knOk, Qt::Key_Return);
    });
    EXPECT_FALSE(stillOpen);
    EXPECT_EQ(window->screenStartOne(), 0x100);
    EXPECT_EQ(focusedName().toStdString(), "plByt0_165");
    EXPECT_TRUE(ui.messages.empty());
}

// Enter moves to Ok with the focus frame Tab would show (unframed is marked "?"); after a
// click on an option or its label the digits typed next go into the field.
TEST_F(GoToDialog, TheFocusShowsWhereEnterOrAClickPutsIt) {
    openFile(1024);
    const struct {
        const char* step;
        QWidget* (*clicked)(frpAdress&);  // after Enter in the field; none: just Enter
        const char* result;               // where the focus is, the field's text
    } rows[] = {
        {"Enter", nullptr, "knOk|"},
        {"option Блок", [](frpAdress& d) -> QWidget* { return d.chScreen; }, "plEnter|12"},
        {"label Адрес", [](frpAdress& d) -> QWidget* { return d.lb1; }, "plEnter|12"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.step);
        goToDialog([&](frpAdress& d) {
            QTest::keyClick(d.plEnter, Qt::Key_Return);
            if (row.clicked) {
                QTest::mouseClick(row.clicked(d), Qt::LeftButton);
                QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("12"));
            }
            QStyleOption look;
            look.initFrom(QApplication::focusWidget());
            const bool framed = row.clicked || look.state & QStyle::State_KeyboardFocusChange;
            EXPECT_EQ(focusedName() + (framed ? "" : "?") + "|" + d.plEnter->text(), QString::fromUtf8(row.result));
        });
    }
}

TEST_F(GoToDialog, AddressOrBlockShowsItsScreenOrIsReported) {
    const QString noAddress = QStringLiteral("Указанный Вами адрес не существует.");
    const QString noBlock = QStringLiteral("Указанный Вами блок не существует.");
    const struct {
        const char* text;
        bool block;
        qint64 size;
        const char* field;  // what the field takes of the text
        qint64 screen;      // from the second screen
        const char* focus;  // the focused cell; "" when refused, nullptr when the dialog stays
    } rows[] = {
        {"1a5", false, 1024, "1a5", 0x100, "plByt0_165"},
        {"3FF", false, 1000, "3FF", 0x300, "plByt0_255"},  // past the last byte, its screen exists
        {"XYZ", false, 1024, "XYZ", 0, "plByt0_0"},
        {"100000001", false, 0x10000001, "10000000", 0x10000000, "plByt0_0"},  // every digit fits
        {"400", false, 1024, "400", 0x100, ""},
        {"12345678", false, 1024, "1234567", 0x100, ""},
        {"0", true, 1024, "0", 0, "plByt0_0"},
        {"4", true, 1024, "4", 0x300, "plByt0_0"},
        {"3,9", true, 1024, "3,9", 0x200, "plByt0_0"},
        {"5", true, 1024, "5", 0x100, ""},
        {"-1", true, 1024, "-1", 0x100, ""},
        {"1A", true, 1024, "1A", 0x100, nullptr},  // no number: emptied, and the dialog stays
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        restart();
        openFile(row.size);
        goTo(0x100);
        const bool stillOpen = goToDialog([&](frpAdress& d) {
            if (row.block) QTest::mouseClick(d.lb2, Qt::LeftButton);
            EXPECT_EQ(d.chScreen->isChecked(), row.block);
            QTest::keyClicks(d.plEnter, QString::fromUtf8(row.text));
            EXPECT_EQ(d.plEnter->text(), QString::fromUtf8(row.field));
            QTest::mouseClick(d.knOk, Qt::LeftButton);
            EXPECT_TRUE(row.focus || (d.focusWidget() == d.plEnter && d.plEnter->text().isEmpty()));
        });
        EXPECT_EQ(stillOpen, row.focus == nullptr);
        EXPECT_EQ(window->screenStartOne(), row.screen);
        const bool refused = row.focus && !*row.focus;
        EXPECT_TRUE(refused ? shownOnce("Ошибка", row.block ? noBlock : noAddress) : testing::AssertionResult(ui.messages.empty()));
        EXPECT_TRUE(!row.focus || refused || focusedName() == row.focus) << focusedName().toStdString();
    }
}

// With no window manager to hand the keyboard on, the window takes it back from a dialog
// that closes, so the keys reach the cell the dialog put the focus on.
TEST_F(GoToDialog, TheWindowTakesTheKeyboardBackWhenTheDialogCloses) {
    openFile(1024);
    QTimer::singleShot(0, window.get(), [&] {
        auto* dialog = qobject_cast<frpAdress*>(QApplication::activeModalWidget());
        if (!dialog) return;
        QApplication::setActiveWindow(dialog);
        QTest::keyClicks(dialog->plEnter, QStringLiteral("1a5"));
        QTest::mouseClick(dialog->knOk, Qt::LeftButton);
        if (dialog->isVisible()) dialog->knCancel_Click();
    });
    trigger("mnuNext");
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == window.get(); }, 1000));
    EXPECT_EQ(focusedName().toStdString(), "plByt0_165");
}

// Hidden, the dialog keeps its mode and forgets its text; closed by the title bar it is
// discarded and the next one starts afresh.
TEST_F(GoToDialog, NextShowingKeepsTheModeUnlessClosedByTheTitleBar) {
    openFile(1024);
    goToDialog([](frpAdress& d) {
        QTest::mouseClick(d.lb2, Qt::LeftButton);
        QTest::keyClicks(d.plEnter, QStringLiteral("3"));
        d.knCancel->setFocus();
        QTest::keyClick(d.knCancel, Qt::Key_Return);
    });
    EXPECT_EQ(window->screenStartOne(), 0);
    EXPECT_EQ(nextLook(), QStringLiteral("block"));
    goToDialog([](frpAdress& d) {
        QTest::keyClicks(d.plEnter, QStringLiteral("2"));
        QTest::keyClick(d.plEnter, Qt::Key_Return);
        QTest::keyClick(d.knOk, Qt::Key_Return);
    });
    EXPECT_EQ(window->screenStartOne(), 0x100);
    EXPECT_EQ(nextLook(), QStringLiteral("block"));
    const bool stillOpen = goToDialog([](frpAdress& d) {
        QTest::keyClicks(d.plEnter, QStringLiteral("3"));
        d.windowHandle()->close();
        EXPECT_TRUE(d.discarded());
    });
    EXPECT_FALSE(stillOpen);
    EXPECT_EQ(window->screenStartOne(), 0x100);
    EXPECT_EQ(nextLook(), QStringLiteral("address"));
    goToDialog([](frpAdress& d) { QTest::mouseClick(d.lb2, Qt::LeftButton); });
    goToDialog([](frpAdress& d) { QTest::mouseClick(d.lb1, Qt::LeftButton); });
    EXPECT_EQ(nextLook(), QStringLiteral("address"));
    EXPECT_TRUE(ui.messages.empty());
}

}  // namespace
