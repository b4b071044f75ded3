#include "frpAdress.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include <functional>

#include "RecordingUiServices.h"
#include "TempDir.h"
#include "fCompBynF.h"

namespace {

const QString kError = QStringLiteral("Ошибка");
const QString kNoBlock = QStringLiteral("Указанный Вами блок не существует.");
const QString kNoAddress = QStringLiteral("Указанный Вами адрес не существует.");

class GoToDialog : public ::testing::Test {
protected:
    void SetUp() override {
        main.show();
        QApplication::setActiveWindow(&main);
    }

    void openA(const QString& path) {
        ui.answerNextOpen(path);
        main.mnuLoadFileA_Click();
        ASSERT_EQ(main.intShowFile, 1);
        ui.clear();
    }
    void openA(qint64 size) { openA(dir.pattern(QStringLiteral("a.bin"), size)); }

    // Runs "Перейти..." and plays `steps` on the dialog while it is shown modally. Returns
    // whether the dialog was still open after the steps; it is then cancelled so that the
    // command returns.
    bool goTo(const std::function<void(frpAdress&)>& steps) {
        bool ran = false;
        bool stillOpen = false;
        QTimer::singleShot(0, &main, [&] {
            auto* dialog = qobject_cast<frpAdress*>(QApplication::activeModalWidget());
            if (dialog == nullptr) return;
            ran = true;
            EXPECT_TRUE(QTest::qWaitForWindowActive(dialog));
            EXPECT_EQ(dialog->focusWidget(), dialog->plEnter) << "each showing starts in the field";
            steps(*dialog);
            stillOpen = dialog->isVisible();
            if (stillOpen) dialog->knCancel_Click();
        });
        main.mnuNext_Click();
        EXPECT_TRUE(ran) << "the go-to dialog was not shown";
        QApplication::setActiveWindow(&main);
        return stillOpen;
    }

    // What the user sees of the dialog the next time it opens, without doing anything.
    struct Look {
        bool addressMode = false;
        bool blockMode = false;
        QString text;
        int maxLength = 0;
        QString title;
    };
    Look nextLook() {
        Look look;
        goTo([&](frpAdress& dialog) {
            look = {dialog.chAdress->isChecked(), dialog.chScreen->isChecked(),
                    dialog.plEnter->text(), dialog.plEnter->maxLength(), dialog.windowTitle()};
        });
        return look;
    }

    static QString focusedName() {
        QWidget* focused = QApplication::focusWidget();
        return focused != nullptr ? focused->objectName() : QString();
    }

    RecordingUiServices ui;
    TempDir dir;
    fCompBynF main{ui};
};

TEST_F(GoToDialog, OpensInAddressModeWithItsCaptions) {
    openA(1024);
    goTo([](frpAdress& dialog) {
        EXPECT_EQ(dialog.objectName(), QStringLiteral("frpAdress"));
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Перейти ..."));
        EXPECT_TRUE(dialog.chAdress->isChecked());
        EXPECT_FALSE(dialog.chScreen->isChecked());
        EXPECT_EQ(dialog.lb1->text(), QStringLiteral("Адрес"));
        EXPECT_EQ(dialog.lb2->text(), QStringLiteral("Блок"));
        EXPECT_EQ(dialog.knOk->text(), QStringLiteral("Ok"));
        EXPECT_EQ(dialog.knCancel->text(), QStringLiteral("Отмена"));
        EXPECT_EQ(dialog.plEnter->maxLength(), 7);
        EXPECT_TRUE(dialog.plEnter->text().isEmpty());
        // Every control fits inside the dialog.
        for (QWidget* control : dialog.findChildren<QWidget*>()) {
            EXPECT_TRUE(dialog.rect().contains(control->geometry()))
                << control->objectName().toStdString();
        }
    });
}

TEST_F(GoToDialog, EnterInFieldMovesToOkAndSecondEnterGoes) {
    openA(1024);
    const bool stillOpen = goTo([&](frpAdress& dialog) {
        QTest::keyClicks(dialog.plEnter, QStringLiteral("1A5"));
        QTest::keyClick(dialog.plEnter, Qt::Key_Return);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.focusWidget(), dialog.knOk);
        EXPECT_EQ(main.screenStartOne(), 0);
        QTest::keyClick(dialog.knOk, Qt::Key_Return);
    });
    EXPECT_FALSE(stillOpen);
    EXPECT_EQ(main.screenStartOne(), 0x100);
    EXPECT_EQ(focusedName(), QStringLiteral("plByt0_165"));
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(GoToDialog, AddressShowsItsScreenAndFocusesItsCell) {
    struct Row {
        const char* text;
        qint64 fileSize;
        qint64 screen;      // expected screen start
        const char* focus;  // expected focused cell, or "" when the address is refused
    };
    const Row rows[] = {
        {"1A5", 1024, 0x100, "plByt0_165"},
        {"1a5", 1024, 0x100, "plByt0_165"},
        {" 1 a5 ", 1024, 0x100, "plByt0_165"},
        {"3FF", 1000, 0x300, "plByt0_255"},  // past the last byte, but its screen exists
        {"8000", 0x8001, 0x8000, "plByt0_0"},
        {"XYZ", 1024, 0, "plByt0_0"},
        {"400", 1024, 0, ""},
        {"FFFFFFF", 1024, 0, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        openA(dir.pattern(QStringLiteral("a%1.bin").arg(row.fileSize), row.fileSize));
        const bool stillOpen = goTo([&](frpAdress& dialog) {
            QTest::keyClicks(dialog.plEnter, QString::fromUtf8(row.text));
            QTest::mouseClick(dialog.knOk, Qt::LeftButton);
        });
        EXPECT_FALSE(stillOpen);
        EXPECT_EQ(main.screenStartOne(), row.screen);
        if (*row.focus != '\0') {
            EXPECT_EQ(focusedName(), QString::fromLatin1(row.focus));
            EXPECT_TRUE(ui.messages.empty());
        } else {
            ASSERT_EQ(ui.messages.size(), 1u);
            EXPECT_EQ(ui.messages[0].title, kError);
            EXPECT_EQ(ui.messages[0].text, kNoAddress);
            EXPECT_EQ(ui.messages[0].icon, MessageIcon::Critical);
            EXPECT_EQ(ui.messages[0].buttons, MessageButtons::Ok);
        }
        main.mnuDelAll_Click();
    }
}

TEST_F(GoToDialog, BlockShowsItsScreenOrIsReported) {
    struct Row {
        const char* text;
        qint64 screen;  // expected screen start; the starting screen is 0x100
        bool missing;
    };
    const Row rows[] = {
        {"1", 0, false},     {"0", 0, false},       {"4", 0x300, false},
        {"2,5", 0x100, false}, {"3.9", 0x200, false}, {"1E0", 0, false},
        {"5", 0x100, true},  {"-1", 0x100, true},   {"0,5", 0x100, true},
        {"1E99", 0x100, true},
    };
    openA(1024);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        std::int64_t start = 0x100;
        main.subSearchAddr(start, 0);
        ui.clear();
        const bool stillOpen = goTo([&](frpAdress& dialog) {
            QTest::mouseClick(dialog.lb2, Qt::LeftButton);
            EXPECT_TRUE(dialog.chScreen->isChecked());
            QTest::keyClicks(dialog.plEnter, QString::fromUtf8(row.text));
            QTest::mouseClick(dialog.knOk, Qt::LeftButton);
            EXPECT_TRUE(dialog.plEnter->text().isEmpty());
        });
        EXPECT_FALSE(stillOpen);
        EXPECT_EQ(main.screenStartOne(), row.screen);
        if (row.missing) {
            ASSERT_EQ(ui.messages.size(), 1u);
            EXPECT_EQ(ui.messages[0].title, kError);
            EXPECT_EQ(ui.messages[0].text, kNoBlock);
            EXPECT_EQ(ui.messages[0].icon, MessageIcon::Critical);
        } else {
            EXPECT_TRUE(ui.messages.empty());
            EXPECT_EQ(focusedName(), QStringLiteral("plByt0_0"));
        }
    }
}

TEST_F(GoToDialog, BlockModeEmptiesTextThatIsNoNumber) {
    openA(1024);
    const bool stillOpen = goTo([](frpAdress& dialog) {
        QTest::mouseClick(dialog.lb2, Qt::LeftButton);
        QTest::keyClicks(dialog.plEnter, QStringLiteral("1A"));
        QTest::mouseClick(dialog.knOk, Qt::LeftButton);
        EXPECT_TRUE(dialog.plEnter->text().isEmpty());
        EXPECT_EQ(dialog.focusWidget(), dialog.plEnter);
    });
    EXPECT_TRUE(stillOpen);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(main.screenStartOne(), 0);
}

TEST_F(GoToDialog, EmptyAddressKeepsTheDialogOpen) {
    openA(1024);
    const bool stillOpen = goTo([](frpAdress& dialog) {
        QTest::keyClick(dialog.plEnter, Qt::Key_Return);
        QTest::keyClick(dialog.knOk, Qt::Key_Space);
        EXPECT_EQ(dialog.focusWidget(), dialog.plEnter);
    });
    EXPECT_TRUE(stillOpen);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(GoToDialog, EscapeDoesNothing) {
    openA(1024);
    const bool stillOpen = goTo([](frpAdress& dialog) {
        QTest::keyClicks(dialog.plEnter, QStringLiteral("12"));
        QTest::keyClick(dialog.plEnter, Qt::Key_Escape);
        dialog.knCancel->setFocus();
        QTest::keyClick(dialog.knCancel, Qt::Key_Escape);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_FALSE(dialog.discarded());
        EXPECT_EQ(dialog.plEnter->text(), QStringLiteral("12"));
    });
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(main.screenStartOne(), 0);
}

TEST_F(GoToDialog, LeavingTheFieldUpperCasesIt) {
    openA(1024);
    goTo([](frpAdress& dialog) {
        QTest::keyClicks(dialog.plEnter, QStringLiteral("1a5f"));
        EXPECT_EQ(dialog.plEnter->text(), QStringLiteral("1a5f"));  // typing is not filtered
        QTest::keyClick(dialog.plEnter, Qt::Key_Tab);
        EXPECT_NE(dialog.focusWidget(), dialog.plEnter);
        EXPECT_EQ(dialog.plEnter->text(), QStringLiteral("1A5F"));
    });
}

TEST_F(GoToDialog, HiddenDialogKeepsTheOptionAndDropsTheText) {
    openA(1024);
    const bool stillOpen = goTo([](frpAdress& dialog) {
        QTest::mouseClick(dialog.lb2, Qt::LeftButton);
        QTest::keyClicks(dialog.plEnter, QStringLiteral("3"));
        dialog.knCancel->setFocus();
        QTest::keyClick(dialog.knCancel, Qt::Key_Return);
    });
    EXPECT_FALSE(stillOpen);
    EXPECT_EQ(main.screenStartOne(), 0);

    Look look = nextLook();
    EXPECT_TRUE(look.blockMode);
    EXPECT_TRUE(look.text.isEmpty());

    goTo([](frpAdress& dialog) {
        QTest::keyClicks(dialog.plEnter, QStringLiteral("2"));
        QTest::keyClick(dialog.plEnter, Qt::Key_Return);
        QTest::keyClick(dialog.knOk, Qt::Key_Return);
    });
    EXPECT_EQ(main.screenStartOne(), 0x100);
    look = nextLook();
    EXPECT_TRUE(look.blockMode);
    EXPECT_TRUE(look.text.isEmpty());

    goTo([](frpAdress& dialog) {
        QTest::mouseClick(dialog.lb1, Qt::LeftButton);
        EXPECT_TRUE(dialog.chAdress->isChecked());
        dialog.knCancel_Click();
    });
    EXPECT_TRUE(nextLook().addressMode);
}

TEST_F(GoToDialog, ClosingByTheTitleBarDiscardsTheDialog) {
    openA(1024);
    const bool stillOpen = goTo([](frpAdress& dialog) {
        QTest::mouseClick(dialog.lb2, Qt::LeftButton);
        QTest::keyClicks(dialog.plEnter, QStringLiteral("3"));
        dialog.windowHandle()->close();
        EXPECT_TRUE(dialog.discarded());
    });
    EXPECT_FALSE(stillOpen);
    EXPECT_EQ(main.screenStartOne(), 0);
    EXPECT_TRUE(ui.messages.empty());

    const Look look = nextLook();
    EXPECT_TRUE(look.addressMode);
    EXPECT_FALSE(look.blockMode);
    EXPECT_TRUE(look.text.isEmpty());
}

TEST_F(GoToDialog, FieldTakesEveryDigitOfTheLastAddress) {
    // Sparse: the open reads only the first screen.
    const QString big = dir.path(QStringLiteral("big.bin"));
    QFile file(big);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(file.resize(0x10000001));
    file.close();

    openA(big);
    EXPECT_EQ(nextLook().maxLength, 8);
    const bool stillOpen = goTo([](frpAdress& dialog) {
        QTest::keyClicks(dialog.plEnter, QStringLiteral("100000001"));
        EXPECT_EQ(dialog.plEnter->text(), QStringLiteral("10000000"));
        QTest::mouseClick(dialog.knOk, Qt::LeftButton);
    });
    EXPECT_FALSE(stillOpen);
    EXPECT_EQ(main.screenStartOne(), 0x10000000);
    EXPECT_EQ(focusedName(), QStringLiteral("plByt0_0"));

    main.mnuDelAll_Click();
    openA(1024);
    EXPECT_EQ(nextLook().maxLength, 7);
}

}  // namespace
