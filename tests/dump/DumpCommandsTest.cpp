// The three dumps chosen from the window's menu as a user would: the save dialog, the
// questions and refusals, the files written, and the window afterwards.
#include <QCursor>
#include <QDir>

#include <unistd.h>

#include "DumpCommands.h"
#include "DumpTestUtil.h"
#include "FileFaults.h"
#include "MainWindowHarness.h"
#include "ProgressBarAdapter.h"

namespace {

const QString kOverwrite = QStringLiteral("Файл уже существует. Перезаписать?");
const QString kSelf = QStringLiteral("Файл уже открыт и не может быть записан сам в себя.");
const char* const kCommands[] = {"mnuSaveBlock", "mnuSaveFile", "mnuSaveNoByt"};

class DumpCommands : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        installDumpCommands(*window);
    }
    // Two files of 1000 bytes that differ in byte 5; A in view.
    void openPair() {
        bytesA = screenBytes(1000);
        bytesB = bytesA;
        bytesB[4] = char(0xC0);
        openA(pathA = dir.write(QStringLiteral("a.bin"), bytesA));
        openB(pathB = dir.write(QStringLiteral("b.bin"), bytesB));
        view(1);
        ui.clear();
    }
    // Chooses `target` in the save dialog of `command`; the data lines it then holds.
    QByteArray dumpTo(const char* command, const QString& target, QByteArray* head = nullptr) {
        ui.answerNextSave(target);
        trigger(command);
        QByteArray data;
        const QByteArray masked = ExpectedDump::header(TempDir::read(target), &data);
        if (head) *head = masked;
        return data;
    }
    void expectPositionGivenBack() {
        EXPECT_EQ(label("lbProgressBar"), QStringLiteral("Позиция"));
        EXPECT_EQ(window->progress->maximum(), double(window->view().blockCount()));
        EXPECT_EQ(window->progress->value(), double(window->view().currentBlock()));
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }

    QByteArray bytesA, bytesB;
    QString pathA, pathB;
};

}  // namespace

TEST_F(DumpCommands, TheTargetIsAskedForQuestionedAndLoadedFilesAreRefused) {
    openPair();
    const QString txtFirst = QStringLiteral("Как текст (*.txt)|*.txt|Как текст Word (*.doc)|*.doc");
    const QString docFirst = QStringLiteral("Как текст Word (*.doc)|*.doc|Как текст (*.txt)|*.txt");
    QDir().mkdir(dir.path(QStringLiteral("sub")));
    ASSERT_EQ(::link(QFile::encodeName(pathB).constData(), QFile::encodeName(dir.path("hard.bin")).constData()), 0);
    ASSERT_TRUE(QFile::link(pathA, dir.path(QStringLiteral("soft.bin"))));
    const QString old = dir.write(QStringLiteral("old.txt"), "old");
    for (const char* command : kCommands) {
        SCOPED_TRACE(command);
        ui.clear();
        trigger(command);  // no answer: the dialog is cancelled and "Dump" comes back
        ASSERT_EQ(ui.saveRequests.size(), 1u);
        EXPECT_EQ(ui.saveRequests[0].fileName, QStringLiteral("Dump"));
        EXPECT_EQ(ui.saveRequests[0].filter, command == kCommands[0] ? txtFirst : docFirst);
        ui.answerNextMessage(MessageAnswer::Cancel);
        dumpTo(command, old);
        EXPECT_EQ(TempDir::read(old), "old");
        for (const char* name : {"a.bin", "b.bin", "sub/../a.bin", "hard.bin", "soft.bin"}) {
            dumpTo(command, dir.path(QString::fromLatin1(name)));
            EXPECT_EQ(ui.messages.back().text, kSelf) << name;
        }
        ASSERT_EQ(ui.messages.size(), 11u);
        EXPECT_TRUE(ui.messages[0].title == QStringLiteral("Сохранение") && ui.messages[0].text == kOverwrite &&
                    ui.messages[0].icon == MessageIcon::None && ui.messages[0].buttons == MessageButtons::OkCancel);
        EXPECT_TRUE(ui.messages[2].title == QStringLiteral("Bivex") && ui.messages[2].icon == MessageIcon::Critical &&
                    ui.messages[2].buttons == MessageButtons::Ok);
        EXPECT_EQ(label("lbProgressBar"), QStringLiteral("Позиция:"));
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
    EXPECT_TRUE(TempDir::read(pathA) == bytesA && TempDir::read(pathB) == bytesB);
    EXPECT_EQ(QDir(dir.path(QString())).entryList(QDir::Files).size(), 5);
    ui.answerNextMessage(MessageAnswer::Ok);
    EXPECT_EQ(dumpTo("mnuSaveFile", old), ExpectedDump::lines(bytesA, false));
}

TEST_F(DumpCommands, TheBlockDumpWritesTheScreenAsShown) {
    QByteArray bytes = TempDir::patternBytes(256 + 37);
    bytes[256 + 3] = char(0x80);
    openA(dir.write(QStringLiteral("p.bin"), bytes));
    const QString out = dir.path(QStringLiteral("screen.txt"));
    QByteArray head;
    for (bool dos : {false, true}) {
        goTo(256);  // the short last screen: three rows
        if (isChecked("mnuDOS") != dos) trigger("mnuDOS");
        EXPECT_EQ(dumpTo("mnuSaveBlock", out, &head), ExpectedDump::lines(bytes.mid(256), dos, nullptr, true, 256));
        EXPECT_EQ(head, ExpectedDump::header(DumpFormat::Kind::Block, "p.bin", 2));
    }
    EXPECT_TRUE(TempDir::read(out).contains("|\x03 \x11\xC0"));  // 0x80 as the Cyrillic А of the DOS view
    trigger("mnuDOS");
    goTo(0);
    // Byte 148 is 0F; "f" typed over it changes nothing but the text the cell shows.
    trigger("mnuEdit");
    editCell(148, QStringLiteral("f"));
    ASSERT_EQ(cellText(148), QStringLiteral("f"));
    QByteArray expected = ExpectedDump::lines(bytes.left(256), false);
    ASSERT_EQ(expected.mid(9 * 78 + 11 + 3 * 4, 3), "0F ");
    expected.replace(9 * 78 + 11 + 3 * 4, 3, "f ");
    EXPECT_EQ(dumpTo("mnuSaveBlock", out, &head), expected);
    EXPECT_EQ(head, ExpectedDump::header(DumpFormat::Kind::Block, "p.bin", 1));
    EXPECT_EQ(ui.messageTexts(), QStringList({kOverwrite, kOverwrite}));
}

TEST_F(DumpCommands, FileAndMismatchDumpsFollowTheFileInView) {
    openPair();
    const QString out = dir.path(QStringLiteral("out.doc"));
    const struct {
        const char* command;
        int inView;
        QByteArray lines;
        QByteArray head;
    } rows[] = {
        {"mnuSaveFile", 1, ExpectedDump::lines(bytesA, false), ExpectedDump::header(DumpFormat::Kind::File, "a.bin")},
        {"mnuSaveFile", 2, ExpectedDump::lines(bytesB, false), ExpectedDump::header(DumpFormat::Kind::File, "b.bin")},
        {"mnuSaveNoByt", 1, ExpectedDump::lines(bytesA, false, &bytesB, true), ExpectedDump::header(DumpFormat::Kind::Mismatch, "a.bin")},
        {"mnuSaveNoByt", 2, ExpectedDump::lines(bytesA, false, &bytesB, false), ExpectedDump::header(DumpFormat::Kind::Mismatch, "b.bin")},
    };
    for (const auto& row : rows) {
        view(row.inView);
        QFile::remove(out);
        QByteArray head;
        EXPECT_EQ(dumpTo(row.command, out, &head), row.lines) << row.command << " " << row.inView;
        EXPECT_EQ(head, row.head);
        expectPositionGivenBack();
    }
    EXPECT_TRUE(ui.messages.empty()) << ui.messageTexts().join(u'|').toStdString();
    // The row of byte 5, then the short last row of 1000 bytes, written although it matches.
    EXPECT_EQ(rows[3].lines, "000000     .. .. .. .. C0 .. .. .. .. .. .. .. .. .. .. .. |    \xC0" + QByteArray(11, ' ') +
                                 "\r\n00003E     .. .. .. .. .. .. .. .. " + QByteArray(24, ' ') + "|" + QByteArray(8, ' ') + "\r\n");
}

// A full disk or a target that cannot be written: one message, then the window as before.
TEST_F(DumpCommands, FailuresAreReportedOnceAndTheWindowIsGivenBack) {
    openPair();
    const QString out = dir.path(QStringLiteral("out.doc"));
    const struct {
        const char* command;
        FileLayer::Fault fault;
        int code;
        int linesKept;
        bool printing;  // the message comes while the data lines are written
    } rows[] = {
        {"mnuSaveFile", {FileLayer::Op::Write, 2, ENOSPC}, 61, 5, true},
        {"mnuSaveNoByt", {FileLayer::Op::Write, 2, ENOSPC}, 61, 5, true},
        {"mnuSaveFile", {FileLayer::Op::Write, 1, ENOSPC}, 61, 0, false},
        {"mnuSaveBlock", {FileLayer::Op::Open, 1, EACCES}, 70, 0, false},
    };
    for (const auto& row : rows) {
        QFile::remove(out);
        ui.clear();
        const QString captionBefore = label("lbProgressBar");
        QString caption;
        bool busy = false;
        ui.onMessage = [&](const RecordingUiServices::Message&) {
            caption = label("lbProgressBar");
            busy = QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
        };
        {
            ScopedFileFault fault(row.fault);
            dumpTo(row.command, out);
        }
        ui.onMessage = nullptr;
        EXPECT_EQ(ui.messageTexts(), QStringList{FileErrors::fixedMessage(row.code)}) << row.command;
        EXPECT_EQ(caption, row.printing ? QStringLiteral("Печать") : captionBefore);
        EXPECT_EQ(busy, row.command != std::string("mnuSaveBlock"));
        EXPECT_EQ(TempDir::read(out).count('\n'), row.linesKept);
        EXPECT_FALSE(window->FileAtributOne().IsOpen() || window->FileAtributTwo().IsOpen());
        EXPECT_TRUE(TempDir::read(pathA) == bytesA && TempDir::read(pathB) == bytesB);
        if (row.printing) expectPositionGivenBack();
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
}
