// The real message boxes, file dialogs and help window behind UiServices.

#include "HelpViewer.h"
#include "QtUiServices.h"
#include "TempDir.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

// Runs `command`, which opens a modal window, and `inspect` once that window is up.
// A window left open (say, an unexpected question) fails the test instead of hanging it.
template <class Window>
void withModal(const std::function<void()>& command, const std::function<void(Window*)>& inspect) {
    bool inspected = false;
    QTimer::singleShot(0, [&] {
        inspected = true;
        auto* window = qobject_cast<Window*>(QApplication::activeModalWidget());
        ASSERT_NE(window, nullptr);
        inspect(window);
    });
    QObject guard;  // ends the timer below with this call
    QTimer::singleShot(5000, &guard, [] {
        while (QWidget* modal = QApplication::activeModalWidget()) {
            ADD_FAILURE() << "a modal window stayed open: " << modal->windowTitle().toStdString();
            modal->close();
        }
    });
    command();
    EXPECT_TRUE(inspected);
}

TEST(QtUiServices, FiltersAndSuffixesBecomeTheirQtForms) {
    const std::pair<const char*, QStringList> filters[] = {
        {"Все файлы (*.*)|*.*", {"Все файлы (*)"}},  // "*" also matches names without a dot
        {"Как текст Word (*.doc)|*.doc|Как текст (*.txt)|*.txt", {"Как текст Word (*.doc)", "Как текст (*.txt)"}},
        {"дамп (*.hex)|*.hex | двоичный (*.bin)|*.bin", {"дамп (*.hex)", "двоичный (*.bin)"}},
        {"Картинки|*.png;*.jpg", {"Картинки (*.png *.jpg)"}},
        {"", {}},
        {"Только подпись", {}},
    };
    for (const auto& [filter, expected] : filters)
        EXPECT_EQ(QtUiServices::nameFilters(QString::fromUtf8(filter)), expected) << filter;
    const std::pair<const char*, const char*> suffixes[] = {{"txt", "txt"}, {".bin", "bin"}, {"%AppPath%", ""}};
    for (const auto& [requested, expected] : suffixes)
        EXPECT_EQ(QtUiServices::defaultSuffix(QString::fromLatin1(requested)), QString::fromLatin1(expected));
}

TEST(QtUiServices, MessageBoxShowsWhatWasAskedAndReturnsTheAnswer) {
    QtUiServices ui;
    const struct {
        MessageIcon icon;
        QMessageBox::Icon shown;
        MessageButtons buttons;
        QMessageBox::StandardButton press;  // NoButton: press Escape
        MessageAnswer expected;
    } cases[] = {
        {MessageIcon::Critical, QMessageBox::Critical, MessageButtons::Ok, QMessageBox::Ok, MessageAnswer::Ok},
        {MessageIcon::Warning, QMessageBox::Warning, MessageButtons::Ok, QMessageBox::NoButton, MessageAnswer::Ok},
        {MessageIcon::Information, QMessageBox::Information, MessageButtons::Ok, QMessageBox::Ok, MessageAnswer::Ok},
        {MessageIcon::None, QMessageBox::NoIcon, MessageButtons::OkCancel, QMessageBox::Cancel, MessageAnswer::Cancel},
        {MessageIcon::None, QMessageBox::NoIcon, MessageButtons::OkCancel, QMessageBox::NoButton, MessageAnswer::Cancel},
    };
    const QString text = QStringLiteral("Файл <a> & «b» уже существует. Перезаписать?");
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.shown) * 10 + int(c.press == QMessageBox::NoButton));
        const bool cancel = c.buttons == MessageButtons::OkCancel;
        MessageAnswer answer{};
        withModal<QMessageBox>(
            [&] { answer = ui.message(QStringLiteral("Сохранение"), text, c.icon, c.buttons); },
            [&](QMessageBox* box) {
                EXPECT_EQ(box->windowTitle(), QStringLiteral("Сохранение"));
                EXPECT_EQ(box->text(), text);
                EXPECT_EQ(box->textFormat(), Qt::PlainText);
                EXPECT_EQ(box->icon(), c.shown);
                EXPECT_EQ(box->standardButtons(), cancel ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok);
                if (cancel) {
                    EXPECT_EQ(box->button(QMessageBox::Cancel)->text(), QStringLiteral("Отмена"));
                }
                if (c.press == QMessageBox::NoButton) QTest::keyClick(box, Qt::Key_Escape);
                else box->button(c.press)->click();
            });
        EXPECT_EQ(answer, c.expected);
    }
}

// Both dialogs take a name typed in, through the file dialog's own accept.
TEST(QtUiServices, FileDialogs) {
    TempDir dir;
    const QString folder = QFileInfo(dir.write(QStringLiteral("out.txt"), "old")).absolutePath();
    QtUiServices ui;
    FileDialogRequest save{QStringLiteral("Сохранить дамп"), QStringLiteral("Dump"), folder,
                           QStringLiteral("Как текст (*.txt)|*.txt|Как текст Word (*.doc)|*.doc"), QStringLiteral("txt")};
    bool chosen = true;
    withModal<QFileDialog>([&] { chosen = ui.chooseSaveFile(save); }, [](QFileDialog* dialog) { dialog->close(); });
    EXPECT_FALSE(chosen);
    EXPECT_EQ(save.fileName, QStringLiteral("Dump"));

    // The suffix is appended and the existing file taken without a question.
    withModal<QFileDialog>([&] { chosen = ui.chooseSaveFile(save); }, [&](QFileDialog* dialog) {
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Сохранить дамп"));
        EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
        EXPECT_TRUE(dialog->testOption(QFileDialog::ReadOnly)) << "no delete or rename in a file dialog";
        EXPECT_EQ(dialog->nameFilters(), QStringList({"Как текст (*.txt)", "Как текст Word (*.doc)"}));
        EXPECT_EQ(QFileInfo(dialog->directory().absolutePath()), QFileInfo(folder));
        dialog->selectFile(QStringLiteral("out"));
        static_cast<QDialog*>(dialog)->accept();
    });
    EXPECT_TRUE(chosen);
    EXPECT_EQ(QFileInfo(save.fileName), QFileInfo(folder + QStringLiteral("/out.txt")));
    EXPECT_EQ(TempDir::read(dir.path(QStringLiteral("out.txt"))), QByteArray("old"));
    // Read-only as it is, the save dialog still takes a name that does not exist yet.
    withModal<QFileDialog>([&] { chosen = ui.chooseSaveFile(save); }, [&](QFileDialog* dialog) {
        dialog->selectFile(QStringLiteral("fresh"));
        static_cast<QDialog*>(dialog)->accept();
    });
    EXPECT_TRUE(chosen);
    EXPECT_EQ(QFileInfo(save.fileName), QFileInfo(folder + QStringLiteral("/fresh.txt")));

    // Given no real folder, opening starts in the dialog's own; a new name is taken.
    FileDialogRequest open{QString(), QString(), QStringLiteral("%AppPath%"), QStringLiteral("Все файлы (*.*)|*.*"), QString()};
    withModal<QFileDialog>([&] { chosen = ui.chooseOpenFile(open); }, [&](QFileDialog* dialog) {
        EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptOpen);
        EXPECT_TRUE(dialog->testOption(QFileDialog::ReadOnly));
        EXPECT_TRUE(dialog->directory().exists());
        dialog->selectFile(dir.path(QStringLiteral("new.bin")));
        static_cast<QDialog*>(dialog)->accept();
    });
    EXPECT_TRUE(chosen);
    EXPECT_EQ(open.fileName, dir.path(QStringLiteral("new.bin")));
}

TEST(QtUiServices, OneHelpWindowShownAgainOnEveryRequest) {
    const QString help = QStringLiteral(BIVEX_SOURCE_DIR "/help/Bivex");
    QtUiServices ui;
    ui.openHelp(help + QStringLiteral(".hlp"), help + QStringLiteral(".cnt"));
    QPointer<HelpViewer> first = ui.helpViewer();
    ASSERT_FALSE(first.isNull());
    EXPECT_FALSE(first->testAttribute(Qt::WA_QuitOnClose));
    EXPECT_FALSE(first->topics().isEmpty());
    first->close();
    ui.openHelp(help + QStringLiteral(".hlp"), help + QStringLiteral(".cnt"));
    EXPECT_EQ(ui.helpViewer(), first.data());
    EXPECT_TRUE(first->isVisible());
    int viewers = 0;
    for (QWidget* widget : QApplication::topLevelWidgets()) viewers += qobject_cast<HelpViewer*>(widget) != nullptr;
    EXPECT_EQ(viewers, 1);
}

}  // namespace
