// Closing file B on its own, and closing everything back to the start-up state.
#include <QFile>

#include <functional>

#include "MainWindowHarness.h"

namespace {

using ClosingTest = MainWindowTest;

TEST_F(ClosingTest, ClosingFileBReturnsToFileAOnly) {
    const QString a = dir.pattern(QStringLiteral("a.bin"), 600);
    QByteArray bBytes = TempDir::patternBytes(600);
    bBytes[0x105] = '\x00';
    openA(a);
    openB(dir.write(QStringLiteral("b.bin"), bBytes));
    trigger("mnuSynchro");
    pageKey(Qt::Key_PageDown);
    QTest::mouseClick(radio("knViweTwo"), Qt::LeftButton);
    ASSERT_EQ(label("lbInfo2"), QStringLiteral("Синхро."));
    ASSERT_EQ(cellColor(5), GridColors::darkRed());

    trigger("mnuDelFileB");
    EXPECT_EQ(window->loadedFileCount(), 1);
    EXPECT_EQ(window->intShowFile, 1);
    EXPECT_TRUE(window->FileAtributTwo().Path().isEmpty());
    EXPECT_TRUE(isEnabled("mnuLoadFileB"));
    EXPECT_FALSE(isChecked("mnuSynchro"));
    EXPECT_FALSE(isEnabled("mnuSynchro"));
    for (const char* name : {"mnuDelFileB", "mnuChSearch", "mnuSaveNoByt"}) EXPECT_FALSE(isEnabled(name)) << name;
    EXPECT_TRUE(isEnabled("mnuDelAll"));
    EXPECT_TRUE(label("lbInfo2").isEmpty());
    EXPECT_EQ(label("lbFileTwo"), QStringLiteral("Не загружен"));
    EXPECT_EQ(label("lbSizeTwo"), QStringLiteral("0 byte"));
    EXPECT_TRUE(label("lbDateTime2").isEmpty());
    EXPECT_TRUE(radio("knViweOne")->isChecked());
    EXPECT_FALSE(radio("knViweTwo")->isChecked());
    EXPECT_FALSE(radio("knViweOne")->isEnabled());
    EXPECT_FALSE(radio("knViweTwo")->isEnabled());

    // File A is in view at the screen it had, drawn without comparison.
    EXPECT_EQ(window->windowTitle(), QStringLiteral("   «a.bin»"));
    EXPECT_EQ(labelColor("lbFile1"), GridColors::darkRed());
    EXPECT_EQ(labelColor("lbFile2"), GridColors::black());
    EXPECT_EQ(rowLabel(0), QStringLiteral("000010"));
    EXPECT_EQ(label("lbStatusBarText"), QStringLiteral("2 из 3"));
    EXPECT_TRUE(darkRedCells().empty());

    // File B can be opened again.
    openB(dir.pattern(QStringLiteral("c.bin"), 10));
    EXPECT_EQ(window->loadedFileCount(), 2);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ClosingTest, ClosingEverythingReturnsToTheStartUpState) {
    const struct {
        const char* what;
        std::function<void()> before;
    } rows[] = {
        {"file A only", [&] { openA(dir.pattern(QStringLiteral("a.bin"), 600)); }},
        {"two files, synchronised, B in view on its second screen",
         [&] {
             openA(dir.pattern(QStringLiteral("a.bin"), 600));
             QByteArray b = TempDir::patternBytes(600);
             b[0x101] = '\x00';
             openB(dir.write(QStringLiteral("b.bin"), b));
             trigger("mnuSynchro");
             QTest::mouseClick(radio("knViweTwo"), Qt::LeftButton);
             pageKey(Qt::Key_PageDown);
             focusCell(1);
         }},
        {"read-only file A",
         [&] {
             const QString a = dir.pattern(QStringLiteral("ro.bin"), 600);
             TempDir::makeReadOnly(a);
             openA(a);
         }},
        {"edits neither recorded nor cancelled",
         [&] {
             openA(dir.pattern(QStringLiteral("a.bin"), 600));
             trigger("mnuEdit");
             focusCell(3);
             typeIntoFocused(QStringLiteral("FF"));
             focusCell(4);
             typeIntoFocused(QStringLiteral("EE"));  // still in the cell
             ASSERT_TRUE(button("knRecord")->isEnabled());
         }},
    };
    const QByteArray original = TempDir::patternBytes(600);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        row.before();
        ui.clear();
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : window.get(), Qt::Key_D, Qt::ControlModifier);

        expectNoFileState();
        EXPECT_EQ(window->loadedFileCount(), 0);
        EXPECT_FALSE(window->changesPending());
        EXPECT_TRUE(window->FileAtributOne().Path().isEmpty());
        EXPECT_TRUE(window->FileAtributTwo().Path().isEmpty());
        const QString a = dir.path(QStringLiteral("a.bin"));
        if (QFile::exists(a)) {
            EXPECT_EQ(TempDir::read(a), original) << "nothing is written";
        }
        EXPECT_TRUE(ui.messages.empty());

        // The next file A starts on its first screen, drawn in black.
        openA(dir.pattern(QStringLiteral("next.bin"), 600));
        EXPECT_EQ(label("lbStatusBarText"), QStringLiteral("1 из 3"));
        EXPECT_EQ(rowLabel(0), QStringLiteral("000000"));
        EXPECT_EQ(cellText(3), QStringLiteral("18"));
        for (int i : {1, 3, 4}) EXPECT_EQ(cellColor(i), GridColors::black()) << i;
        trigger("mnuDelAll");
        QFile::remove(dir.path(QStringLiteral("a.bin")));
        QFile::remove(dir.path(QStringLiteral("b.bin")));
    }
}

}  // namespace
