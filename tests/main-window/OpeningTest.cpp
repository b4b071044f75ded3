// Opening files into the two slots: start-up state, the enabled commands of each file
// state, the slot labels and the refusals the user meets on the way.
#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>

#include "MainWindowHarness.h"

namespace {

const QString kMessageTitle = QStringLiteral("Сообщение");
const QString kEmptyFile = QStringLiteral("Файл пустой и не содержит ни одного байта данных.");

QStringList names(std::initializer_list<const char*> list) {
    QStringList out;
    for (const char* n : list) out << QString::fromLatin1(n);
    return out;
}

// Enabled commands with file A only (writable), and with files A and B.
const QStringList kFileAOnly =
    names({"mnuNew", "mnuLoadFileA", "mnuLoadFileB", "mnuSave", "mnuSaveList", "mnuSaveBlock",
           "mnuSaveFile", "mnuDelAll", "mnuExit", "mnuRefresh", "mnuNext", "mnuSearch", "mnuEdit",
           "mnuDOS", "mnuHelp", "mnuAbout"});
const QStringList kFilesAB =
    names({"mnuNew", "mnuLoadFileA", "mnuLoadFileB", "mnuSave", "mnuSaveList", "mnuSaveBlock",
           "mnuSaveFile", "mnuSaveNoByt", "mnuDelFileB", "mnuDelAll", "mnuExit", "mnuRefresh",
           "mnuNext", "mnuSearch", "mnuChSearch", "mnuSynchro", "mnuEdit", "mnuDOS", "mnuHelp",
           "mnuAbout"});

// The text of a cell that shows byte `address` of a TempDir::pattern file.
QString patternCell(qint64 address) {
    return QStringLiteral("%1").arg((address * 7 + 3) % 256, 2, 16, QLatin1Char('0')).toUpper();
}

QString modifiedText(const QString& path) {
    const QDateTime t = QFileInfo(path).lastModified();
    return t.toString(QStringLiteral("dd.MM.yyyy")) + QStringLiteral(" / ") +
           t.toString(QStringLiteral("HH:mm:ss"));
}

using OpeningTest = MainWindowTest;

TEST_F(OpeningTest, StartsWithAnEmptyScreenAndOnlyTheNoFileCommands) {
    expectNoFileState();
    EXPECT_FALSE(isChecked("mnuDOS"));
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(OpeningTest, MenuItemsCarryTheirShortcuts) {
    const struct {
        const char* name;
        QKeySequence keys;
    } rows[] = {
        {"mnuLoadFileA", QKeySequence(Qt::CTRL | Qt::Key_A)},
        {"mnuLoadFileB", QKeySequence(Qt::CTRL | Qt::Key_B)},
        {"mnuDelFileB", QKeySequence(Qt::SHIFT | Qt::Key_Delete)},
        {"mnuDelAll", QKeySequence(Qt::CTRL | Qt::Key_D)},
        {"mnuExit", QKeySequence(Qt::CTRL | Qt::Key_E)},
        {"mnuRefresh", QKeySequence(Qt::CTRL | Qt::Key_R)},
        {"mnuNext", QKeySequence(Qt::CTRL | Qt::Key_G)},
        {"mnuSearch", QKeySequence(Qt::CTRL | Qt::Key_S)},
        {"mnuChSearch", QKeySequence(Qt::CTRL | Qt::Key_C)},
        {"mnuHelp", QKeySequence(Qt::Key_F1)},
        {"mnuAbout", QKeySequence(Qt::Key_F2)},
    };
    QStringList withShortcut;
    for (const auto& row : rows) {
        EXPECT_EQ(action(row.name)->shortcut(), row.keys) << row.name;
        withShortcut << QString::fromLatin1(row.name);
    }
    for (const QString& name : commandNames())
        if (!withShortcut.contains(name)) {
            EXPECT_TRUE(action(name.toLatin1().constData())->shortcut().isEmpty()) << name.toStdString();
        }
}

TEST_F(OpeningTest, ShortcutsReachTheWindowWhileACellHasTheFocus) {
    const QString a = dir.pattern(QStringLiteral("a.bin"), 300);
    const QString b = dir.pattern(QStringLiteral("b.bin"), 300);

    // Ctrl+B is disabled with no file: nothing is asked.
    focusCell(0);
    ui.answerNextOpen(b);
    pressKey(Qt::Key_B, Qt::ControlModifier);
    EXPECT_TRUE(ui.openRequests.empty());
    ui.clear();

    openA(a);
    focusCell(5);
    ASSERT_EQ(focusedCell(), 5);
    const QString before = cellText(5);

    // Ctrl+C belongs to "Найти несовпадения", which needs two files.
    QSignalSpy search(action("mnuChSearch"), &QAction::triggered);
    pressKey(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(search.count(), 0);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(cellText(5), before);

    // Ctrl+A reaches "Открыть файла А" although a line edit would select all.
    pressKey(Qt::Key_A, Qt::ControlModifier);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("Файл А уже открыт."));

    ui.answerNextOpen(b);
    pressKey(Qt::Key_B, Qt::ControlModifier);
    EXPECT_EQ(window->loadedFileCount(), 2);
    EXPECT_EQ(label("lbFileTwo"), b);

    // Shift+Del would cut in a line edit; here it closes file B.
    focusCell(5);
    pressKey(Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(window->loadedFileCount(), 1);
    EXPECT_EQ(cellText(5), before);

    QSignalSpy exit(window.get(), &fCompBynF::exitRequested);
    focusCell(5);
    pressKey(Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(exit.count(), 1);
}

TEST_F(OpeningTest, EachFileStateEnablesItsCommands) {
    openA(dir.pattern(QStringLiteral("a.bin"), 300));
    EXPECT_EQ(enabledCommands(), kFileAOnly);
    EXPECT_TRUE(button("knNextScreen")->isEnabled());
    EXPECT_FALSE(button("knRecord")->isEnabled());
    EXPECT_TRUE(radio("knViweOne")->isChecked());
    EXPECT_FALSE(radio("knViweOne")->isEnabled());
    EXPECT_FALSE(radio("knViweTwo")->isChecked());
    EXPECT_FALSE(radio("knViweTwo")->isEnabled());

    openB(dir.pattern(QStringLiteral("b.bin"), 100));
    EXPECT_EQ(enabledCommands(), kFilesAB);
    EXPECT_EQ(window->intShowFile, 1);
    EXPECT_TRUE(radio("knViweOne")->isChecked());
    EXPECT_TRUE(radio("knViweOne")->isEnabled());
    EXPECT_FALSE(radio("knViweTwo")->isChecked());
    EXPECT_TRUE(radio("knViweTwo")->isEnabled());
    EXPECT_FALSE(button("knRecord")->isEnabled());

    for (const char* name : {"mnuSynchro", "mnuEdit", "mnuDOS"}) EXPECT_FALSE(isChecked(name)) << name;
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(OpeningTest, OpeningAnOpenSlotAgainIsRefusedWithAMessage) {
    openA(dir.pattern(QStringLiteral("a.bin"), 300));
    const struct {
        const char* command;
        QString text;
    } rows[] = {
        {"mnuLoadFileA", QStringLiteral("Файл \u0410 уже открыт.")},  // Cyrillic А
        {"mnuLoadFileB", QStringLiteral("Файл B уже открыт.")},       // Latin B
    };
    openB(dir.pattern(QStringLiteral("b.bin"), 300));
    for (const auto& row : rows) {
        SCOPED_TRACE(row.command);
        ui.clear();
        ui.answerNextOpen(dir.pattern(QStringLiteral("c.bin"), 10));
        trigger(row.command);
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].title, kMessageTitle);
        EXPECT_EQ(ui.messages[0].text, row.text);
        EXPECT_EQ(ui.messages[0].icon, MessageIcon::Warning);
        EXPECT_EQ(ui.messages[0].buttons, MessageButtons::Ok);
        EXPECT_TRUE(ui.openRequests.empty());
        EXPECT_EQ(label("lbFileOne"), dir.path(QStringLiteral("a.bin")));
        EXPECT_EQ(label("lbFileTwo"), dir.path(QStringLiteral("b.bin")));
    }
}

TEST_F(OpeningTest, CancellingTheOpenDialogChangesNothing) {
    ui.cancelNextOpen();
    trigger("mnuLoadFileA");
    ASSERT_EQ(ui.openRequests.size(), 1u);
    EXPECT_EQ(ui.openRequests[0].filter, QStringLiteral("Все файлы (*.*)|*.*"));
    EXPECT_TRUE(ui.openRequests[0].fileName.isEmpty());
    expectNoFileState();
    EXPECT_FALSE(isEnabled("mnuSave"));

    const QString a = dir.pattern(QStringLiteral("a.bin"), 600);
    openA(a);
    pageKey(Qt::Key_PageDown);
    ui.cancelNextOpen();
    trigger("mnuLoadFileB");
    EXPECT_EQ(window->loadedFileCount(), 1);
    EXPECT_EQ(enabledCommands(), kFileAOnly);
    EXPECT_EQ(label("lbFileTwo"), QStringLiteral("Не загружен"));
    EXPECT_EQ(cellText(0), patternCell(0x100));
    EXPECT_EQ(label("lbStatusBarText"), QStringLiteral("2 из 3"));
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(OpeningTest, EmptyFileAsFileALeavesTheWindowWithoutFiles) {
    const QString empty = dir.write(QStringLiteral("empty.bin"), QByteArray());
    openA(empty);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].title, QStringLiteral("Bivex"));
    EXPECT_EQ(ui.messages[0].text, kEmptyFile);
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Critical);
    EXPECT_EQ(ui.messages[0].buttons, MessageButtons::Ok);
    expectNoFileState();
    EXPECT_EQ(window->loadedFileCount(), 0);
    EXPECT_TRUE(window->FileAtributOne().Path().isEmpty());
    EXPECT_EQ(QApplication::focusWidget(), window->grid().rowAddress(0));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // The next file opens normally as file A.
    ui.clear();
    openA(dir.pattern(QStringLiteral("a.bin"), 10));
    EXPECT_EQ(window->loadedFileCount(), 1);
    EXPECT_EQ(cellText(0), QStringLiteral("03"));
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(OpeningTest, EmptyFileAsFileBIsIgnored) {
    const QString a = dir.pattern(QStringLiteral("a.bin"), 600);
    openA(a);
    openB(dir.write(QStringLiteral("empty.bin"), QByteArray()));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].title, QStringLiteral("Bivex"));
    EXPECT_EQ(ui.messages[0].text, kEmptyFile);
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Critical);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    EXPECT_EQ(window->loadedFileCount(), 1);
    EXPECT_EQ(enabledCommands(), kFileAOnly);
    EXPECT_EQ(label("lbFileOne"), a);
    EXPECT_EQ(label("lbFileTwo"), QStringLiteral("Не загружен"));
    EXPECT_EQ(label("lbSizeTwo"), QStringLiteral("0 byte"));
    EXPECT_FALSE(radio("knViweTwo")->isEnabled());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("   «a.bin»"));

    pageKey(Qt::Key_PageDown);
    pageKey(Qt::Key_PageDown);
    EXPECT_EQ(label("lbStatusBarText"), QStringLiteral("3 из 3"));
    EXPECT_EQ(cellText(0), patternCell(0x200));
    EXPECT_EQ(cellText(87), patternCell(599));
    EXPECT_TRUE(cellText(88).isEmpty());
    pageKey(Qt::Key_PageUp);
    EXPECT_EQ(label("lbStatusBarText"), QStringLiteral("2 из 3"));
    EXPECT_EQ(ui.messages.size(), 1u);
}

TEST_F(OpeningTest, SlotLabelsTitleAndCaptionFollowTheFiles) {
    const QString a = dir.pattern(QStringLiteral("a.bin"), 1024);
    const QString b = dir.pattern(QStringLiteral("b.bin"), 300);
    openA(a);
    EXPECT_EQ(label("lbFileOne"), a);
    EXPECT_EQ(label("lbSizeOne"), QStringLiteral("1024 byte"));
    EXPECT_EQ(label("lbDateTime1"), modifiedText(a));
    EXPECT_EQ(label("lbFileTwo"), QStringLiteral("Не загружен"));
    EXPECT_EQ(label("lbSizeTwo"), QStringLiteral("0 byte"));
    EXPECT_TRUE(label("lbDateTime2").isEmpty());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("   «a.bin»"));
    EXPECT_EQ(labelColor("lbFile1"), GridColors::darkRed());
    EXPECT_EQ(labelColor("lbFile2"), GridColors::black());

    pageKey(Qt::Key_PageDown);
    openB(b);
    EXPECT_EQ(label("lbFileTwo"), b);
    EXPECT_EQ(label("lbSizeTwo"), QStringLiteral("300 byte"));
    EXPECT_EQ(label("lbDateTime2"), modifiedText(b));
    // File A stays in view at its own screen.
    EXPECT_EQ(window->windowTitle(), QStringLiteral("   «a.bin»"));
    EXPECT_EQ(rowLabel(0), QStringLiteral("000010"));
    EXPECT_EQ(labelColor("lbFile1"), GridColors::darkRed());

    QTest::mouseClick(radio("knViweTwo"), Qt::LeftButton);
    EXPECT_EQ(window->intShowFile, 2);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("   «b.bin»"));
    EXPECT_EQ(labelColor("lbFile1"), GridColors::black());
    EXPECT_EQ(labelColor("lbFile2"), GridColors::darkRed());
    EXPECT_EQ(rowLabel(0), QStringLiteral("000000"));
    EXPECT_EQ(label("lbSizeOne"), QStringLiteral("1024 byte"));

    QTest::mouseClick(radio("knViweOne"), Qt::LeftButton);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("   «a.bin»"));
    EXPECT_EQ(rowLabel(0), QStringLiteral("000010"));
    EXPECT_EQ(labelColor("lbFile1"), GridColors::darkRed());
    EXPECT_EQ(labelColor("lbFile2"), GridColors::black());
}

TEST_F(OpeningTest, PagingButtonsNeedMoreThanOneScreen) {
    const struct {
        qint64 size;
        bool paging;
    } rows[] = {{1, false}, {256, false}, {257, true}, {5000, true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.size);
        openA(dir.pattern(QStringLiteral("a%1.bin").arg(row.size), row.size));
        EXPECT_EQ(button("knUp")->isEnabled(), row.paging);
        EXPECT_EQ(button("knDown")->isEnabled(), row.paging);
        trigger("mnuDelAll");
    }

    // The buttons follow the file in view.
    openA(dir.pattern(QStringLiteral("long.bin"), 257));
    openB(dir.pattern(QStringLiteral("short.bin"), 256));
    EXPECT_TRUE(button("knDown")->isEnabled());
    QTest::mouseClick(radio("knViweTwo"), Qt::LeftButton);
    EXPECT_FALSE(button("knUp")->isEnabled());
    EXPECT_FALSE(button("knDown")->isEnabled());
    QTest::mouseClick(radio("knViweOne"), Qt::LeftButton);
    EXPECT_TRUE(button("knUp")->isEnabled());
    EXPECT_TRUE(button("knDown")->isEnabled());
}

TEST_F(OpeningTest, ReadOnlyFileShowsItsMarkAndTakesWritePermissionAway) {
    const QString a = dir.pattern(QStringLiteral("a.bin"), 300);
    const QString b = dir.pattern(QStringLiteral("b.bin"), 300);
    TempDir::makeReadOnly(b);
    auto* mark = child<QLabel>(QStringLiteral("lbOnlyRead"));
    auto* line = child<QWidget>(QStringLiteral("lnOnlyRead"));
    // With write permission off nothing may write: the commands that need it are off and
    // the cells take no typing.
    auto expectNoWriting = [&] {
        EXPECT_FALSE(isChecked("mnuEdit"));
        for (const char* name : {"mnuLoad", "mnuReplace", "mnuFill"}) EXPECT_FALSE(isEnabled(name)) << name;
        EXPECT_TRUE(cell(0)->isReadOnly());
        EXPECT_TRUE(label("lbInvers").isEmpty());
    };

    openA(a);
    EXPECT_FALSE(mark->isVisible());
    trigger("mnuEdit");
    ASSERT_TRUE(isChecked("mnuEdit"));
    ASSERT_TRUE(isEnabled("mnuReplace"));

    // Opening the read-only file B takes write permission away, file A stays in view.
    openB(b);
    EXPECT_FALSE(mark->isVisible());
    EXPECT_TRUE(isEnabled("mnuEdit"));
    expectNoWriting();

    trigger("mnuEdit");
    ASSERT_TRUE(isChecked("mnuEdit"));
    QTest::mouseClick(radio("knViweTwo"), Qt::LeftButton);
    EXPECT_TRUE(mark->isVisible());
    EXPECT_TRUE(line->isVisible());
    EXPECT_EQ(mark->text(), QStringLiteral("Только чтение."));
    EXPECT_EQ(labelColor("lbOnlyRead"), GridColors::darkRed());
    EXPECT_FALSE(isEnabled("mnuEdit"));
    expectNoWriting();
    focusCell(0);
    typeIntoFocused(QStringLiteral("FF"));
    focusCell(1);
    EXPECT_EQ(cellText(0), QStringLiteral("03"));
    EXPECT_FALSE(button("knRecord")->isEnabled());

    QTest::mouseClick(radio("knViweOne"), Qt::LeftButton);
    EXPECT_FALSE(mark->isVisible());
    EXPECT_FALSE(line->isVisible());
    EXPECT_TRUE(isEnabled("mnuEdit"));
    expectNoWriting();
    EXPECT_EQ(TempDir::read(b), TempDir::patternBytes(300));
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(OpeningTest, ReadOnlyFileA) {
    const QString a = dir.pattern(QStringLiteral("a.bin"), 300);
    TempDir::makeReadOnly(a);
    openA(a);
    EXPECT_TRUE(child<QLabel>(QStringLiteral("lbOnlyRead"))->isVisible());
    EXPECT_TRUE(child<QWidget>(QStringLiteral("lnOnlyRead"))->isVisible());
    EXPECT_FALSE(isEnabled("mnuEdit"));
    EXPECT_FALSE(isChecked("mnuEdit"));
    QStringList expected = kFileAOnly;
    expected.removeOne(QStringLiteral("mnuEdit"));
    EXPECT_EQ(enabledCommands(), expected);
    EXPECT_EQ(cellText(0), QStringLiteral("03"));
}

TEST_F(OpeningTest, DotFileOpensLikeAnyFile) {
    const QString hidden = dir.write(QStringLiteral(".hidden"), QByteArray("\x01\x02\x03", 3));
    openA(hidden);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(label("lbSizeOne"), QStringLiteral("3 byte"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("   «.hidden»"));
    EXPECT_EQ(cellText(0), QStringLiteral("01"));
    EXPECT_EQ(cellText(2), QStringLiteral("03"));
    EXPECT_TRUE(cellText(3).isEmpty());
    EXPECT_EQ(label("lbSynchro"), QStringLiteral("Адрес Max. 0000002"));
}

TEST_F(OpeningTest, CommandLineOpensBothFilesWithFileAInView) {
    const QString a = dir.pattern(QStringLiteral("a.bin"), 300);
    const QString b = dir.write(QStringLiteral("b.bin"), QByteArray(300, '\x11'));
    window->openFromCommandLine({a, b});
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(window->loadedFileCount(), 2);
    EXPECT_EQ(window->intShowFile, 1);
    EXPECT_EQ(label("lbFileOne"), a);
    EXPECT_EQ(label("lbFileTwo"), b);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("   «a.bin»"));
    EXPECT_EQ(cellText(0), QStringLiteral("03"));
    EXPECT_EQ(enabledCommands(), kFilesAB);
    EXPECT_TRUE(radio("knViweOne")->isChecked());
}

TEST_F(OpeningTest, NamesThatAreNoFileAreRefusedAndNothingIsCreated) {
    QDir(dir.path(QString())).mkdir(QStringLiteral("folder"));
    const QString missing = dir.path(QStringLiteral("missing.bin"));
    const QString folder = dir.path(QStringLiteral("folder"));
    const QString a = dir.pattern(QStringLiteral("a.bin"), 300);
    const struct {
        const char* what;
        QString path;
        bool viaCommandLine;
        bool fileALoaded;  // the name is chosen as file B
    } rows[] = {
        {"typed missing name as file A", missing, false, false},
        {"typed missing name as file B", missing, false, true},
        {"folder as file A", folder, false, false},
        {"folder as file B", folder, false, true},
        {"missing name on the command line", missing, true, false},
        {"folder on the command line", folder, true, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        if (row.fileALoaded) openA(a);
        ui.clear();
        if (row.viaCommandLine)
            window->openFromCommandLine({row.path});
        else if (row.fileALoaded)
            openB(row.path);
        else
            openA(row.path);

        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].title, QStringLiteral("Ошибка"));
        EXPECT_TRUE(ui.messages[0].text.contains(row.path)) << ui.messages[0].text.toStdString();
        EXPECT_EQ(ui.messages[0].buttons, MessageButtons::Ok);
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        if (row.fileALoaded) {
            EXPECT_EQ(window->loadedFileCount(), 1);
            EXPECT_EQ(enabledCommands(), kFileAOnly);
            EXPECT_EQ(label("lbFileTwo"), QStringLiteral("Не загружен"));
            EXPECT_EQ(cellText(0), QStringLiteral("03"));
        } else {
            expectNoFileState();
        }
        EXPECT_FALSE(QFileInfo::exists(missing));
        EXPECT_TRUE(QFileInfo(folder).isDir());
        trigger("mnuDelAll");
    }
}

}  // namespace
