// Recording edited cells into the file in view or cancelling them; failures of the file
// while recording.
#include "MainWindowHarness.h"

#include <QFileInfo>
#include <QSignalSpy>

#include <sys/time.h>

#include <cstdio>
#include <functional>
#include <utility>
#include <vector>

#include "FileErrors.h"
#include "FileFaults.h"

namespace {

using Edits = std::vector<std::pair<int, const char*>>;        // cell, typed text
using Changes = std::vector<std::pair<qint64, unsigned char>>;  // address, new byte

class Recording : public MainWindowTest {
protected:
    void openFile(qint64 size, int screen, const Edits& edits) {
        bytes = screenBytes(size);
        path = dir.write(QStringLiteral("a.bin"), bytes);
        ageFile(path);
        openA(path);
        goTo(256 * screen);
        trigger("mnuEdit");
        for (const auto& [i, typed] : edits) editCell(i, QString::fromUtf8(typed));
        ASSERT_EQ(TempDir::read(path), bytes) << "nothing is written before recording";
    }
    QByteArray changed(const Changes& changes) const {
        QByteArray expected = bytes;
        for (const auto& [address, value] : changes) expected[address] = char(value);
        return expected;
    }
    // The file holds `file` and the screen shows it from `start`, without blue marks and
    // with nothing left to record.
    void expectFileAndScreen(const QByteArray& file, qint64 start) {
        EXPECT_EQ(TempDir::read(path), file);
        EXPECT_TRUE(showsScreen(file, start));
        EXPECT_TRUE(cellsIn(GridColors::blue()).empty());
        EXPECT_TRUE(showsStampOf(1, path));
        EXPECT_FALSE(window->changesPending() || button("knRecord")->isEnabled() || isEnabled("mnuRec") ||
                     isEnabled("mnuCanscel"));
    }

    QByteArray bytes;
    QString path;
};

TEST_F(Recording, WritesExactlyTheChangedBytes) {
    const struct {
        const char* what;
        qint64 size;
        int screen;
        Edits edits;
        Changes changes;
    } rows[] = {
        {"one byte", 1024, 0, {{0, "7"}}, {{0, 0x07}}},
        {"one byte on the third screen", 1024, 2, {{0x41, "7"}}, {{0x241, 0x07}}},
        {"two bytes", 1024, 1, {{3, "aa"}, {200, "5"}}, {{0x103, 0xAA}, {0x1C8, 0x05}}},
        {"same cell twice", 1024, 0, {{9, "11"}, {9, "22"}}, {{9, 0x22}}},
        {"first and last cell", 512, 1, {{0, "0"}, {255, "FF"}}, {{256, 0x00}, {511, 0xFF}}},
        {"last byte of a short screen", 300, 1, {{43, "ee"}}, {{299, 0xEE}}},
        {"one-byte file", 1, 0, {{0, "c3"}}, {{0, 0xC3}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        restart();
        openFile(row.size, row.screen, row.edits);
        row.screen == 1 ? trigger("mnuRec") : button("knRecord")->click();
        expectFileAndScreen(changed(row.changes), 256 * row.screen);
        EXPECT_TRUE(ui.messages.empty());
    }
}

// A cell changed and changed back, or a value typed but not accepted before the permission
// went off, costs no write: the file keeps its bytes and its modification time.
TEST_F(Recording, OnlyAcceptedChangesAreWritten) {
    openFile(1024, 1, {});
    const struct timeval old[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(::utimes(QFile::encodeName(path).constData(), old), 0);
    const QDateTime modified = QFileInfo(path).lastModified();
    focusCell(3);
    typeKeys(QStringLiteral("7"));
    trigger("mnuEdit");
    pressKey(Qt::Key_Return);
    trigger("mnuEdit");
    const QByteArray original = cellText(4).toLatin1(), lower = cellText(5).toLower().toLatin1();
    for (const char* typed : {"7", original.constData()}) editCell(4, QString::fromLatin1(typed));
    editCell(5, QString::fromLatin1(lower));
    ASSERT_TRUE(window->changesPending());
    {
        ScopedFileFault noWrites({FileLayer::Op::Write, 1, EIO, 0, true});
        button("knRecord")->click();
        EXPECT_EQ(FileLayer::faultCallsSeen(), 0) << "a write was attempted";
    }
    EXPECT_TRUE(ui.messages.empty());
    expectFileAndScreen(bytes, 256);
    EXPECT_EQ(QFileInfo(path).lastModified(), modified);
}

TEST_F(Recording, CancelDropsEveryEditAndShowsTheFile) {
    openFile(300, 1, {{0, "7"}, {43, "ff"}, {20, "zz"}});
    focusCell(10);
    typeKeys(QStringLiteral("ab"));
    trigger("mnuCanscel");
    expectFileAndScreen(bytes, 256);
    EXPECT_TRUE(isChecked("mnuEdit"));
    pressKey(Qt::Key_Return);  // leaving the cell that had the focus brings nothing back
    EXPECT_FALSE(window->changesPending());
    // Replace and fill come back once the permission is switched off and on; paging works.
    trigger("mnuEdit");
    trigger("mnuEdit");
    EXPECT_TRUE(isEnabled("mnuFill") && isEnabled("mnuReplace"));
    button("knUp")->click();
    EXPECT_TRUE(showsScreen(bytes, 0));
}

TEST_F(Recording, ExitWithPendingEditsWritesNothing) {
    openFile(1024, 0, {{1, "7"}});
    focusCell(2);
    typeKeys(QStringLiteral("8"));
    QSignalSpy exit(window.get(), &fCompBynF::exitRequested);
    ScopedFileFault noWrites({FileLayer::Op::Write, 1, EIO, 0, true});
    trigger("mnuExit");
    EXPECT_EQ(exit.count(), 1);
    EXPECT_EQ(FileLayer::faultCallsSeen(), 0) << "a write was attempted";
    EXPECT_TRUE(ui.messages.empty());
}

// The file fails while recording: reported once, and the screen shows what the file holds.
TEST_F(Recording, FailureIsReportedOnceAndTheScreenShowsTheFile) {
    const Edits twoWrites = {{2, "11"}, {9, "99"}};  // cells 2 and 9 are two separate writes
    const struct {
        const char* what;
        Edits edits;
        FileLayer::Fault fault;
        Changes written;
        int code;
    } rows[] = {
        {"second write fails", twoWrites, {FileLayer::Op::Write, 2, ENOSPC}, {{0x102, 0x11}}, FileErrors::DiskFull},
        {"disk stays full", twoWrites, {FileLayer::Op::Write, 1, ENOSPC, 0, true}, {}, FileErrors::DiskFull},
        // Cells 4 to 7 go in one write that stops after two bytes.
        {"short write, then full", {{4, "a4"}, {5, "a5"}, {6, "a6"}, {7, "a7"}},
         {FileLayer::Op::Write, 1, ENOSPC, 2}, {{0x104, 0xA4}, {0x105, 0xA5}}, FileErrors::DiskFull},
        {"device fails", {{2, "11"}}, {FileLayer::Op::Write, 1, EIO}, {}, FileErrors::DeviceIo},
        {"opening for writing refused", twoWrites, {FileLayer::Op::Open, 2, EACCES}, {}, FileErrors::PermissionDenied},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        restart();
        openFile(1024, 1, row.edits);
        {
            ScopedFileFault fault(row.fault);
            button("knRecord")->click();
        }
        EXPECT_TRUE(shownOnce("Bivex", FileErrors::fixedMessage(row.code)));
        expectFileAndScreen(changed(row.written), 256);
    }
}

// Deleted while its edits waited, the file is reported once and not made anew.
TEST_F(Recording, FileGoneSinceOpeningIsReportedOnce) {
    openFile(1024, 1, {{2, "11"}, {9, "99"}});
    ASSERT_TRUE(QFile::remove(path));
    button("knRecord")->click();
    ASSERT_EQ(ui.messages.size(), 1u) << ui.messageTexts().join('|').toStdString();
    EXPECT_TRUE(ui.messages[0].title == "Bivex" && ui.messages[0].icon == MessageIcon::Critical);
    EXPECT_FALSE(QFileInfo::exists(path)) << "a file was made in its place";
    EXPECT_FALSE(window->changesPending() || button("knRecord")->isEnabled());
}

// Bytes another program changed after the screen was drawn are not put back; a file put
// under the name, or cut short before an edited byte, gets nothing, and the edits wait.
TEST_F(Recording, ChangesByOtherProgramsAreNeverUndone) {
    const struct {
        const char* what;
        std::function<void(const QString&)> meanwhile;
        QString message;  // empty: the edit is written
    } rows[] = {
        {"bytes changed", [](const QString& p) { QFile f(p); f.open(QIODevice::ReadWrite); f.seek(256 + 100); f.write("\1\2\3\4"); }, {}},
        {"file replaced", [this](const QString& p) { 
             ::rename(QFile::encodeName(dir.write("new.bin", QByteArray(1024, 'N'))).constData(), QFile::encodeName(p).constData()); },
         "заменён другим файлом"},
        // The new file may well get the inode the old one had.
        {"file deleted and written anew", [this](const QString& p) { QFile::remove(p); dir.write("a.bin", QByteArray(1024, 'N')); },
         "заменён другим файлом"},
        {"file cut short", [](const QString& p) { QFile::resize(p, 256 + 9); }, "по адресу 0000109"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        restart();
        openFile(1024, 1, {{5, "a5"}, {9, "99"}});
        row.meanwhile(path);
        const QByteArray before = TempDir::read(path);
        button("knRecord")->click();
        if (row.message.isEmpty()) {
            QByteArray expected = before;
            expected[256 + 5] = char(0xA5);
            expected[256 + 9] = char(0x99);
            expectFileAndScreen(expected, 256);
            EXPECT_EQ(expected.mid(356, 4), QByteArray("\1\2\3\4"));
            EXPECT_TRUE(ui.messages.empty());
            continue;
        }
        EXPECT_EQ(TempDir::read(path), before);
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_TRUE(ui.messages[0].text.contains(row.message)) << ui.messages[0].text.toStdString();
        EXPECT_EQ(cellsIn(GridColors::blue()), std::vector<int>({5, 9}));
        EXPECT_TRUE(window->changesPending() && button("knRecord")->isEnabled() && isEnabled("mnuCanscel"));
        trigger("mnuCanscel");
        EXPECT_FALSE(window->changesPending());
        EXPECT_EQ(TempDir::read(path), before);
    }
}

// "Обновить" reads the file's size again: a grown file's new end can be reached, and a
// shrunk one is shown from a screen that still exists.
TEST_F(Recording, RefreshReadsTheSizeAgain) {
    openFile(300, 1, {});
    trigger("mnuEdit");
    QFile::resize(path, 700);
    trigger("mnuRefresh");
    EXPECT_EQ(labels({"lbSizeOne", "lbStatusBarText", "lbSynchro"}), QStringLiteral("700 byte|2 из 3|Адрес Max. 00002BB"));
    pressKey(Qt::Key_PageDown);
    EXPECT_EQ(label("lbStatusBarText"), QStringLiteral("3 из 3"));
    QFile::resize(path, 100);
    trigger("mnuRefresh");
    EXPECT_EQ(labels({"lbSizeOne", "lbStatusBarText"}), QStringLiteral("100 byte|1 из 1"));
    EXPECT_TRUE(showsScreen(bytes.left(100), 0));
    EXPECT_TRUE(ui.messages.empty());
}

}  // namespace
