// The real message boxes, file dialogs and help window behind UiServices.

#include "HelpViewer.h"
#include "QtUiServices.h"
#include "TempDir.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

QString sourcePath(const QString& relative) {
    return QDir::cleanPath(QFileInfo(QStringLiteral(__FILE__)).absolutePath() +
                           QStringLiteral("/../../") + relative);
}

// Runs `command`, which opens a modal window, and `inspect` once that window is up.
// A window left open fails the test instead of hanging it.
void withModal(const std::function<void()>& command, const std::function<void(QWidget*)>& inspect) {
    bool inspected = false;
    QTimer::singleShot(0, [&] {
        inspected = true;
        inspect(QApplication::activeModalWidget());
    });
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] {
        while (QWidget* modal = QApplication::activeModalWidget()) {
            ADD_FAILURE() << "a modal window stayed open: " << modal->windowTitle().toStdString();
            modal->close();
        }
    });
    guard.start(5000);
    command();
    EXPECT_TRUE(inspected);
}

// ---------------------------------------------------------------- filters

struct FilterCase {
    const char* name;
    const char* filter;
    QStringList expected;
};

void PrintTo(const FilterCase& c, std::ostream* os) { *os << c.name; }

class NameFilters : public ::testing::TestWithParam<FilterCase> {};

TEST_P(NameFilters, BecomeQtFilters) {
    EXPECT_EQ(QtUiServices::nameFilters(QString::fromUtf8(GetParam().filter)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, NameFilters,
    ::testing::Values(
        FilterCase{"AllFilesMatchNamesWithoutDot", "Все файлы (*.*)|*.*", {"Все файлы (*)"}},
        FilterCase{"TwoEntriesInOrder", "Как текст Word (*.doc)|*.doc|Как текст (*.txt)|*.txt",
                   {"Как текст Word (*.doc)", "Как текст (*.txt)"}},
        FilterCase{"BlanksAroundBars", "дамп (*.hex)|*.hex | двоичный (*.bin)|*.bin",
                   {"дамп (*.hex)", "двоичный (*.bin)"}},
        FilterCase{"CaptionWithoutPatterns", "Картинки|*.png;*.jpg", {"Картинки (*.png *.jpg)"}},
        FilterCase{"Empty", "", {}},
        FilterCase{"CaptionWithoutEntry", "Только подпись", {}}),
    [](const ::testing::TestParamInfo<FilterCase>& info) { return std::string(info.param.name); });

TEST(DefaultSuffix, OnlyPlausibleExtensions) {
    EXPECT_EQ(QtUiServices::defaultSuffix(QStringLiteral("txt")), QStringLiteral("txt"));
    EXPECT_EQ(QtUiServices::defaultSuffix(QStringLiteral(".bin")), QStringLiteral("bin"));
    EXPECT_EQ(QtUiServices::defaultSuffix(QStringLiteral("%AppPath%")), QString());
    EXPECT_EQ(QtUiServices::defaultSuffix(QString()), QString());
}

// ---------------------------------------------------------------- message boxes

TEST(MessageBox, ShowsWhatWasAskedAndReturnsTheAnswer) {
    QtUiServices ui;
    struct Case {
        MessageIcon icon;
        QMessageBox::Icon shown;
        MessageButtons buttons;
        QMessageBox::StandardButton press;  // NoButton: press Escape
        MessageAnswer expected;
    };
    const Case cases[] = {
        {MessageIcon::Critical, QMessageBox::Critical, MessageButtons::Ok, QMessageBox::Ok, MessageAnswer::Ok},
        {MessageIcon::Warning, QMessageBox::Warning, MessageButtons::Ok, QMessageBox::NoButton, MessageAnswer::Ok},
        {MessageIcon::Information, QMessageBox::Information, MessageButtons::Ok, QMessageBox::Ok, MessageAnswer::Ok},
        {MessageIcon::None, QMessageBox::NoIcon, MessageButtons::OkCancel, QMessageBox::Cancel, MessageAnswer::Cancel},
        {MessageIcon::None, QMessageBox::NoIcon, MessageButtons::OkCancel, QMessageBox::NoButton, MessageAnswer::Cancel},
    };
    const QString text = QStringLiteral("Файл <a> & «b» уже существует. Перезаписать?");
    for (const Case& c : cases) {
        MessageAnswer answer{};
        withModal([&] { answer = ui.message(QStringLiteral("Сохранение"), text, c.icon, c.buttons); },
                  [&](QWidget* modal) {
                      auto* box = qobject_cast<QMessageBox*>(modal);
                      ASSERT_NE(box, nullptr);
                      EXPECT_EQ(box->windowTitle(), QStringLiteral("Сохранение"));
                      EXPECT_EQ(box->text(), text);
                      EXPECT_EQ(box->textFormat(), Qt::PlainText);
                      EXPECT_EQ(box->icon(), c.shown);
                      if (c.buttons == MessageButtons::Ok) {
                          EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
                      } else {
                          EXPECT_EQ(box->standardButtons(), QMessageBox::Ok | QMessageBox::Cancel);
                          EXPECT_EQ(box->button(QMessageBox::Cancel)->text(), QStringLiteral("Отмена"));
                      }
                      if (c.press == QMessageBox::NoButton) QTest::keyClick(box, Qt::Key_Escape);
                      else box->button(c.press)->click();
                  });
        EXPECT_EQ(answer, c.expected) << int(c.icon) << " " << int(c.buttons);
    }
}

// ---------------------------------------------------------------- file dialogs

TEST(FileDialogs, SaveKeepsRequestOnCancelAppendsSuffixAndNeverAsksToOverwrite) {
    TempDir dir;
    dir.write(QStringLiteral("out.txt"), "old");
    const QString folder = QFileInfo(dir.path(QStringLiteral("out.txt"))).absolutePath();
    QtUiServices ui;

    FileDialogRequest request;
    request.title = QStringLiteral("Сохранить дамп");
    request.fileName = QStringLiteral("Dump");
    request.initialFolder = folder;
    request.filter = QStringLiteral("Как текст (*.txt)|*.txt|Как текст Word (*.doc)|*.doc");
    request.defaultExtension = QStringLiteral("txt");

    // Cancelled: the request stays as it was.
    bool chosen = true;
    withModal([&] { chosen = ui.chooseSaveFile(request); },
              [](QWidget* modal) { ASSERT_NE(qobject_cast<QFileDialog*>(modal), nullptr); modal->close(); });
    EXPECT_FALSE(chosen);
    EXPECT_EQ(request.fileName, QStringLiteral("Dump"));

    withModal([&] { chosen = ui.chooseSaveFile(request); },
              [&](QWidget* modal) {
                  auto* dialog = qobject_cast<QFileDialog*>(modal);
                  ASSERT_NE(dialog, nullptr);
                  EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Сохранить дамп"));
                  EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
                  EXPECT_EQ(dialog->nameFilters(),
                            QStringList({"Как текст (*.txt)", "Как текст Word (*.doc)"}));
                  EXPECT_EQ(QFileInfo(dialog->directory().absolutePath()), QFileInfo(folder));
                  dialog->selectFile(QStringLiteral("out"));
                  static_cast<QDialog*>(dialog)->accept();  // runs the file dialog's own accept
              });
    EXPECT_TRUE(chosen);
    EXPECT_EQ(QFileInfo(request.fileName), QFileInfo(folder + QStringLiteral("/out.txt")));
    EXPECT_EQ(TempDir::read(dir.path(QStringLiteral("out.txt"))), QByteArray("old"));
}

TEST(FileDialogs, OpenStartsInItsDefaultFolderAndTakesATypedNewName) {
    TempDir dir;
    const QString wanted = dir.path(QStringLiteral("new.bin"));
    QtUiServices ui;
    FileDialogRequest request;
    request.initialFolder = QStringLiteral("%AppPath%");  // not a folder
    request.filter = QStringLiteral("Все файлы (*.*)|*.*");

    bool chosen = false;
    withModal([&] { chosen = ui.chooseOpenFile(request); },
              [&](QWidget* modal) {
                  auto* dialog = qobject_cast<QFileDialog*>(modal);
                  ASSERT_NE(dialog, nullptr);
                  EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptOpen);
                  EXPECT_TRUE(dialog->directory().exists());
                  EXPECT_FALSE(dialog->directory().absolutePath().contains(QStringLiteral("%AppPath%")));
                  dialog->selectFile(wanted);
                  static_cast<QDialog*>(dialog)->accept();  // runs the file dialog's own accept
              });
    EXPECT_TRUE(chosen);
    EXPECT_EQ(request.fileName, wanted);
}

// ---------------------------------------------------------------- help window

TEST(HelpWindow, OneWindowShownAgainOnEveryRequest) {
    const QString help = sourcePath(QStringLiteral("help/Bivex.hlp"));
    const QString contents = sourcePath(QStringLiteral("help/Bivex.cnt"));
    QtUiServices ui;

    ui.openHelp(help, contents);
    QPointer<HelpViewer> first = ui.helpViewer();
    ASSERT_FALSE(first.isNull());
    EXPECT_TRUE(first->isVisible());
    EXPECT_FALSE(first->testAttribute(Qt::WA_QuitOnClose));
    EXPECT_FALSE(first->topics().isEmpty());

    first->close();
    ui.openHelp(help, contents);
    EXPECT_EQ(ui.helpViewer(), first.data());
    EXPECT_TRUE(first->isVisible());

    int viewers = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (qobject_cast<HelpViewer*>(widget)) ++viewers;
    EXPECT_EQ(viewers, 1);
}

}  // namespace
