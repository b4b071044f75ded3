// Recording edited cells into the file in view, cancelling them, and what the window
// offers afterwards; failures of the file while recording.
#include "MainWindowHarness.h"

#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>

#include <sys/time.h>

#include <utility>
#include <vector>

#include "FileErrors.h"
#include "FileFaults.h"

namespace {

using Edits = std::vector<std::pair<int, const char*>>;          // cell, typed text
using Changes = std::vector<std::pair<qint64, unsigned char>>;    // address, new byte

class RecordingTest : public MainWindowTest {
protected:
    void openFile(qint64 size, int screen = 0) {
        bytes = screenBytes(size);
        path = dir.write(QStringLiteral("a.bin"), bytes);
        openA(path);
        for (int i = 0; i < screen; ++i) pressKey(Qt::Key_PageDown);
        trigger("mnuEdit");
    }
    void edit(const Edits& edits) {
        for (const auto& [i, typed] : edits) editCell(i, QString::fromUtf8(typed));
    }
    QByteArray changed(const Changes& changes) const {
        QByteArray expected = bytes;
        for (const auto& [address, value] : changes) expected[address] = char(value);
        return expected;
    }
    // The screen is drawn from the file: its bytes, no blue marks, nothing pending.
    void expectScreenOfFile(const QByteArray& file, qint64 start) {
        EXPECT_TRUE(showsScreen(file, start));
        for (int i = 0; i < GridGeometry::kCells; ++i)
            ASSERT_NE(textColor(i), GridColors::blue()) << "cell " << i;
        EXPECT_FALSE(window->changesPending());
        for (const char* name : {"knRecord"}) EXPECT_FALSE(button(name)->isEnabled()) << name;
        for (const char* name : {"mnuRec", "mnuCanscel"}) EXPECT_FALSE(isEnabled(name)) << name;
    }

    QByteArray bytes;
    QString path;
};

// ---- Recording ----

struct Batch {
    const char* name;
    qint64 size;
    int screen;
    Edits edits;
    Changes changes;
    bool viaMenu;  // "Правка" → "Запись" rather than the button
};
void PrintTo(const Batch& c, std::ostream* os) { *os << c.name; }

class RecordBatch : public RecordingTest, public ::testing::WithParamInterface<Batch> {};

TEST_P(RecordBatch, WritesExactlyTheChangedBytes) {
    const Batch& b = GetParam();
    openFile(b.size, b.screen);
    edit(b.edits);
    ASSERT_TRUE(button("knRecord")->isEnabled());
    ASSERT_EQ(TempDir::read(path), bytes) << "nothing is written before recording";

    if (b.viaMenu)
        trigger("mnuRec");
    else
        button("knRecord")->click();

    const QByteArray expected = changed(b.changes);
    EXPECT_EQ(TempDir::read(path), expected);
    EXPECT_EQ(window->screenStartOne(), 256 * b.screen);
    expectScreenOfFile(expected, 256 * b.screen);
    EXPECT_TRUE(ui.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Batches, RecordBatch,
    ::testing::Values(
        Batch{"OneByte", 1024, 0, {{0, "7"}}, {{0, 0x07}}, false},
        Batch{"OneByteOnThirdScreen", 1024, 2, {{0x41, "7"}}, {{0x241, 0x07}}, true},
        Batch{"TwoBytesInOneBatch", 1024, 1, {{3, "aa"}, {200, "5"}}, {{0x103, 0xAA}, {0x1C8, 0x05}}, false},
        Batch{"SameCellTwice", 1024, 0, {{9, "11"}, {9, "22"}}, {{9, 0x22}}, false},
        Batch{"FirstAndLastCell", 512, 1, {{0, "0"}, {255, "FF"}}, {{256, 0x00}, {511, 0xFF}}, true},
        Batch{"LastByteOfShortScreen", 300, 1, {{43, "ee"}}, {{299, 0xEE}}, false},
        Batch{"OneByteFile", 1, 0, {{0, "c3"}}, {{0, 0xC3}}, false}),
    [](const auto& info) { return std::string(info.param.name); });

// A cell changed and changed back costs no write at all: the file keeps its bytes and its
// modification time.
TEST_F(RecordingTest, ValueChangedBackWritesNothing) {
    openFile(1024, 1);
    const struct timeval old[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(::utimes(QFile::encodeName(path).constData(), old), 0);
    const QDateTime modified = QFileInfo(path).lastModified();
    const QString original = cellText(4);
    edit({{4, "7"}, {4, original.toLatin1().constData()}, {5, cellText(5).toLower().toLatin1().constData()}});
    ASSERT_TRUE(button("knRecord")->isEnabled());

    ScopedFileFault noWrites({FileLayer::Op::Write, 1, EIO, 0, true});
    button("knRecord")->click();

    EXPECT_EQ(FileLayer::faultCallsSeen(), 0) << "a write was attempted";
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(TempDir::read(path), bytes);
    EXPECT_EQ(QFileInfo(path).lastModified(), modified);
    expectScreenOfFile(bytes, 256);
}

// A value typed while writing was allowed, but not yet accepted when the permission went
// off, is gone with it; a later recording does not write it.
TEST_F(RecordingTest, ValueTypedBeforePermissionWentOffIsNotRecorded) {
    openFile(1024);
    focusCell(3);
    typeKeys(QStringLiteral("7"));
    trigger("mnuEdit");
    EXPECT_EQ(cellText(3), byteText(static_cast<unsigned char>(bytes[3])));
    pressKey(Qt::Key_Return);
    trigger("mnuEdit");
    edit({{9, "99"}});
    button("knRecord")->click();
    EXPECT_EQ(TempDir::read(path), changed({{9, 0x99}}));
}

// ---- Cancelling ----

TEST_F(RecordingTest, CancelDropsEveryEditAndShowsTheFile) {
    openFile(300, 1);
    edit({{0, "7"}, {43, "ff"}, {20, "zz"}});
    focusCell(10);
    typeKeys(QStringLiteral("ab"));
    trigger("mnuCanscel");

    EXPECT_EQ(TempDir::read(path), bytes);
    expectScreenOfFile(bytes, 256);
    EXPECT_EQ(window->screenStartOne(), 256);
    EXPECT_TRUE(isChecked("mnuEdit"));
    // Leaving the cell that had the focus brings no change back.
    pressKey(Qt::Key_Return);
    EXPECT_FALSE(button("knRecord")->isEnabled());
    EXPECT_EQ(TempDir::read(path), bytes);
    EXPECT_TRUE(ui.messages.empty());
}

// ---- The window after a batch ----

struct Ending {
    const char* name;
    int files;
    bool cancel;
};
void PrintTo(const Ending& c, std::ostream* os) { *os << c.name; }

class AfterBatch : public RecordingTest, public ::testing::WithParamInterface<Ending> {};

TEST_P(AfterBatch, CommandsComeBackForTheFileState) {
    const Ending& e = GetParam();
    openFile(1024);
    if (e.files == 2) openB(dir.write(QStringLiteral("b.bin"), screenBytes(600)));
    edit({{1, "7"}});
    ASSERT_TRUE(button("knRecord")->isEnabled());
    if (e.cancel)
        trigger("mnuCanscel");
    else
        button("knRecord")->click();

    const bool two = e.files == 2;
    for (const char* name : {"mnuLoadFileA", "mnuLoadFileB", "mnuEdit", "mnuNext", "mnuSaveList",
                             "mnuSearch", "mnuRefresh", "mnuDOS", "mnuLoad", "mnuDelAll"})
        EXPECT_TRUE(isEnabled(name)) << name;
    for (const char* name : {"knNextScreen", "knUp", "knDown"}) EXPECT_TRUE(button(name)->isEnabled()) << name;
    for (const char* name : {"mnuChSearch", "mnuSaveNoByt", "mnuSynchro", "mnuDelFileB"})
        EXPECT_EQ(isEnabled(name), two) << name;
    for (const char* name : {"knViweOne", "knViweTwo"}) EXPECT_EQ(radio(name)->isEnabled(), two) << name;
    // Replace and fill wait until the permission is switched off and on again.
    for (const char* name : {"mnuFill", "mnuReplace", "mnuRec", "mnuCanscel"})
        EXPECT_FALSE(isEnabled(name)) << name;
    EXPECT_FALSE(button("knRecord")->isEnabled());
    EXPECT_TRUE(isChecked("mnuEdit"));
    EXPECT_EQ(label("lbInvers"), QStringLiteral("Редакт."));
    EXPECT_FALSE(window->changesPending());

    trigger("mnuEdit");
    trigger("mnuEdit");
    EXPECT_TRUE(isEnabled("mnuFill"));
    EXPECT_TRUE(isEnabled("mnuReplace"));
    // Paging works again.
    button("knDown")->click();
    EXPECT_EQ(window->screenStartOne(), 256);
}

INSTANTIATE_TEST_SUITE_P(States, AfterBatch,
                         ::testing::Values(Ending{"OneFileRecorded", 1, false},
                                           Ending{"OneFileCancelled", 1, true},
                                           Ending{"TwoFilesRecorded", 2, false},
                                           Ending{"TwoFilesCancelled", 2, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Leaving the pending state otherwise ----

TEST_F(RecordingTest, CloseAllWithPendingEditsGivesTheStartUpWindow) {
    openFile(1024);
    const QByteArray b = screenBytes(600);
    const QString pathB = dir.write(QStringLiteral("b.bin"), b);
    openB(pathB);
    trigger("mnuSynchro");
    edit({{1, "7"}, {2, "8"}});
    focusCell(3);
    typeKeys(QStringLiteral("9"));  // typed, not yet checked

    pressKey(Qt::Key_D, Qt::ControlModifier);

    expectNoFileState();
    EXPECT_FALSE(window->changesPending());
    EXPECT_EQ(window->loadedFileCount(), 0);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(TempDir::read(path), bytes);
    EXPECT_EQ(TempDir::read(pathB), b);

    // Opened again, the file comes without write permission.
    openA(path);
    EXPECT_TRUE(showsScreen(bytes, 0));
    EXPECT_FALSE(isChecked("mnuEdit"));
    EXPECT_TRUE(cell(1)->isReadOnly());
}

TEST_F(RecordingTest, ExitWithPendingEditsWritesNothing) {
    openFile(1024);
    edit({{1, "7"}});
    focusCell(2);
    typeKeys(QStringLiteral("8"));
    QSignalSpy exit(window.get(), &fCompBynF::exitRequested);
    ScopedFileFault noWrites({FileLayer::Op::Write, 1, EIO, 0, true});

    trigger("mnuExit");

    EXPECT_EQ(exit.count(), 1);
    EXPECT_EQ(FileLayer::faultCallsSeen(), 0) << "a write was attempted";
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(TempDir::read(path), bytes);
}

// ---- Failures of the file ----

struct WriteFault {
    const char* name;
    Edits edits;
    FileLayer::Fault fault;
    Changes written;  // what reaches the file
    int code;         // the error number reported
};
void PrintTo(const WriteFault& c, std::ostream* os) { *os << c.name; }

class RecordFault : public RecordingTest, public ::testing::WithParamInterface<WriteFault> {};

TEST_P(RecordFault, IsReportedOnceAndTheScreenShowsTheFile) {
    const WriteFault& f = GetParam();
    openFile(1024, 1);
    edit(f.edits);
    {
        ScopedFileFault fault(f.fault);
        button("knRecord")->click();
    }

    ASSERT_EQ(ui.messages.size(), 1u) << ui.messageTexts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(ui.messages[0].title, QStringLiteral("Bivex"));
    EXPECT_EQ(ui.messages[0].text, FileErrors::fixedMessage(f.code));
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Critical);
    EXPECT_EQ(ui.messages[0].buttons, MessageButtons::Ok);
    const QByteArray expected = changed(f.written);
    EXPECT_EQ(TempDir::read(path), expected);
    expectScreenOfFile(expected, 256);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, RecordFault,
    ::testing::Values(
        // Cells 2 and 9 are two separate writes.
        WriteFault{"SecondWriteFails", {{2, "11"}, {9, "99"}}, {FileLayer::Op::Write, 2, ENOSPC},
                   {{0x102, 0x11}}, FileErrors::DiskFull},
        WriteFault{"FirstWriteFails", {{2, "11"}, {9, "99"}}, {FileLayer::Op::Write, 1, ENOSPC},
                   {}, FileErrors::DiskFull},
        WriteFault{"DiskStaysFull", {{2, "11"}, {9, "99"}}, {FileLayer::Op::Write, 1, ENOSPC, 0, true},
                   {}, FileErrors::DiskFull},
        // Cells 4 to 7 go in one write that stops after two bytes.
        WriteFault{"ShortWriteThenFull",
                   {{4, "a4"}, {5, "a5"}, {6, "a6"}, {7, "a7"}},
                   {FileLayer::Op::Write, 1, ENOSPC, 2},
                   {{0x104, 0xA4}, {0x105, 0xA5}},
                   FileErrors::DiskFull},
        WriteFault{"DeviceFails", {{2, "11"}}, {FileLayer::Op::Write, 1, EIO}, {}, FileErrors::DeviceIo},
        WriteFault{"OpenRefused", {{2, "11"}, {9, "99"}}, {FileLayer::Op::Open, 1, EACCES}, {},
                   FileErrors::PermissionDenied}),
    [](const auto& info) { return std::string(info.param.name); });

// The file was deleted while its edits waited: recording says so once and does not make a
// new file in its place.
TEST_F(RecordingTest, FileGoneSinceOpeningIsReportedOnce) {
    openFile(1024, 1);
    edit({{2, "11"}, {9, "99"}});
    ASSERT_TRUE(QFile::remove(path));

    button("knRecord")->click();

    EXPECT_EQ(ui.messages.size(), 1u) << ui.messageTexts().join(QLatin1Char('|')).toStdString();
    for (const auto& m : ui.messages) {
        EXPECT_EQ(m.title, QStringLiteral("Bivex"));
        EXPECT_EQ(m.icon, MessageIcon::Critical);
    }
    EXPECT_FALSE(QFileInfo::exists(path)) << "a file of " << TempDir::read(path).size()
                                          << " bytes was made in its place";
    EXPECT_FALSE(window->changesPending());
    EXPECT_FALSE(button("knRecord")->isEnabled());
}

}  // namespace
