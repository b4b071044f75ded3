// The three dumps chosen from the menu of the window, as a user would: the save dialog,
// the questions and refusals, the files written, and the window afterwards.
#include <QCursor>
#include <QDir>
#include <QProgressBar>

#include <unistd.h>

#include "DumpCommands.h"
#include "DumpTestUtil.h"
#include "FileFaults.h"
#include "MainWindowHarness.h"
#include "ProgressBarAdapter.h"

namespace {

const QString kOverwrite = QStringLiteral("Файл уже существует. Перезаписать?");
const QString kSelf = QStringLiteral("Файл уже открыт и не может быть записан сам в себя.");

struct Command {
    const char* action;
    const char* title;  // of the title line, between the date and «Bivex»
    QString filter;
};
const QString kTxtFirst = QStringLiteral("Как текст (*.txt)|*.txt|Как текст Word (*.doc)|*.doc");
const QString kDocFirst = QStringLiteral("Как текст Word (*.doc)|*.doc|Как текст (*.txt)|*.txt");
const Command kBlock{"mnuSaveBlock", "[Блок 1]", kTxtFirst};
const Command kFile{"mnuSaveFile", "[Файл]", kDocFirst};
const Command kMismatch{"mnuSaveNoByt", "[Несовпадающие байты]", kDocFirst};

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
        pathA = dir.write(QStringLiteral("a.bin"), bytesA);
        pathB = dir.write(QStringLiteral("b.bin"), bytesB);
        openA(pathA);
        openB(pathB);
        view(1);
        ui.clear();
    }
    // Chooses `target` in the save dialog of `command`; returns what the target holds then.
    QByteArray dumpTo(const Command& command, const QString& target) {
        ui.answerNextSave(target);
        trigger(command.action);
        return TempDir::read(target);
    }
    // Header and data lines, the date and time masked.
    static QByteArray split(const QByteArray& dump, QByteArray* data) {
        qsizetype end = 0;
        for (int i = 0; i < 5 && end >= 0; ++i) end = dump.indexOf('\n', end) + 1;
        *data = dump.mid(end);
        return ExpectedDump::masked(dump.left(end));
    }
    void expectPositionGivenBack() {
        EXPECT_EQ(label("lbProgressBar"), QStringLiteral("Позиция"));
        EXPECT_EQ(window->progress->maximum(), double(window->blockCount()));
        EXPECT_EQ(window->progress->value(), double(window->currentBlock()));
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }

    QByteArray bytesA, bytesB;
    QString pathA, pathB;
};

}  // namespace

TEST_F(DumpCommands, TheSaveDialogOffersTheKindsFiltersAndAnUnchangedNameCancels) {
    openPair();
    for (const Command& command : {kBlock, kFile, kMismatch}) {
        SCOPED_TRACE(command.action);
        ui.clear();
        trigger(command.action);  // no answer: the dialog is cancelled
        ASSERT_EQ(ui.saveRequests.size(), 1u);
        EXPECT_EQ(ui.saveRequests[0].fileName, QStringLiteral("Dump"));
        EXPECT_EQ(ui.saveRequests[0].filter, command.filter);
        EXPECT_TRUE(ui.messages.empty());
        EXPECT_EQ(label("lbProgressBar"), QStringLiteral("Позиция:"));
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
    EXPECT_EQ(QDir(dir.path(QString())).entryList(QDir::Files), QStringList({"a.bin", "b.bin"}));
}

TEST_F(DumpCommands, AnExistingFileIsOverwrittenOnlyAfterOk) {
    openPair();
    const QString target = dir.write(QStringLiteral("old.txt"), "old text");
    ui.answerNextMessage(MessageAnswer::Cancel);
    EXPECT_EQ(dumpTo(kFile, target), "old text");
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].title, QStringLiteral("Сохранение"));
    EXPECT_EQ(ui.messages[0].text, kOverwrite);
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::None);
    EXPECT_EQ(ui.messages[0].buttons, MessageButtons::OkCancel);
    ui.clear();
    ui.answerNextMessage(MessageAnswer::Ok);
    QByteArray data;
    split(dumpTo(kFile, target), &data);
    EXPECT_EQ(data, ExpectedDump::lines(bytesA, false));
    EXPECT_EQ(ui.messageTexts(), QStringList{kOverwrite});
}

// Either loaded file, however its name is spelled, is refused after the question.
TEST_F(DumpCommands, LoadedFilesAreRefusedUnderAnyName) {
    openPair();
    QDir().mkdir(dir.path(QStringLiteral("sub")));
    ASSERT_EQ(::link(QFile::encodeName(pathB).constData(), QFile::encodeName(dir.path("hard.bin")).constData()), 0);
    ASSERT_TRUE(QFile::link(pathA, dir.path(QStringLiteral("soft.bin"))));
    const QString targets[] = {pathA, pathB, dir.path(QStringLiteral("sub/../a.bin")), dir.path(QStringLiteral("hard.bin")),
                               dir.path(QStringLiteral("soft.bin"))};
    for (const Command& command : {kBlock, kFile, kMismatch})
        for (const QString& target : targets) {
            SCOPED_TRACE(std::string(command.action) + " into " + target.toStdString());
            ui.clear();
            dumpTo(command, target);
            ASSERT_EQ(ui.messages.size(), 2u);
            EXPECT_EQ(ui.messages[0].text, kOverwrite);
            EXPECT_TRUE(ui.messages[1].title == QStringLiteral("Bivex") && ui.messages[1].text == kSelf &&
                        ui.messages[1].icon == MessageIcon::Critical && ui.messages[1].buttons == MessageButtons::Ok);
            EXPECT_EQ(TempDir::read(pathA), bytesA);
            EXPECT_EQ(TempDir::read(pathB), bytesB);
            EXPECT_EQ(label("lbProgressBar"), QStringLiteral("Позиция:"));
            EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        }
}

TEST_F(DumpCommands, TheBlockDumpWritesTheScreenAsShown) {
    QByteArray withDos = TempDir::patternBytes(256 + 37);
    withDos[256 + 3] = char(0x80);
    const QString path = dir.write(QStringLiteral("p.bin"), withDos);
    const QByteArray lastScreen = withDos.mid(256);
    const QString out = dir.path(QStringLiteral("screen.txt"));
    const struct {
        const char* name;
        std::int64_t address;
        bool dos;
        const char* title;
        QByteArray lines;
    } rows[] = {
        {"first screen", 0, false, "[Блок 1]", ExpectedDump::lines(withDos.left(256), false)},
        {"short last screen", 256, false, "[Блок 2]", ExpectedDump::lines(lastScreen, false, nullptr, true, 256)},
        {"DOS view", 256, true, "[Блок 2]", ExpectedDump::lines(lastScreen, true, nullptr, true, 256)},
    };
    openA(path);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        goTo(row.address);
        if (isChecked("mnuDOS") != row.dos) trigger("mnuDOS");
        QByteArray data;
        const QByteArray header = split(dumpTo(kBlock, out), &data);
        EXPECT_EQ(data, row.lines);
        EXPECT_TRUE(header.startsWith(QByteArray("[###################]  ") + CodePage::toAnsi(QString::fromUtf8(row.title))));
        EXPECT_TRUE(header.contains(QByteArray("''p.bin''")));
    }
    EXPECT_EQ(QByteArray(rows[2].lines).count('\n'), 3);
    EXPECT_TRUE(rows[2].lines.contains("|\x03 \x11\xC0"));  // 0x80 as the Cyrillic А
}

TEST_F(DumpCommands, TheBlockDumpKeepsATextTypedWithoutChangingTheValue) {
    // Byte 148 of the pattern is 0F; "f" typed over it changes nothing but the text.
    const QByteArray bytes = TempDir::patternBytes(2048);
    openA(dir.write(QStringLiteral("p.bin"), bytes));
    trigger("mnuEdit");
    goTo(0x300);
    editCell(148, QStringLiteral("f"));
    ASSERT_EQ(cellText(148), QStringLiteral("f"));
    ASSERT_TRUE(isEnabled("mnuSaveList"));
    QByteArray data;
    split(dumpTo(kBlock, dir.path(QStringLiteral("typed.txt"))), &data);
    QByteArray expected = ExpectedDump::lines(bytes.mid(0x300, 256), false, nullptr, true, 0x300);
    const qsizetype row9 = 9 * 78;
    ASSERT_EQ(expected.mid(row9, 6), "000039");
    EXPECT_EQ(expected.mid(row9 + 11 + 3 * 4, 3), "0F ");
    expected.replace(row9 + 11 + 3 * 4, 3, "f ");
    EXPECT_EQ(data, expected);
    EXPECT_EQ(ui.saveRequests.size(), 1u);
}

TEST_F(DumpCommands, FileAndMismatchDumpsFollowTheFileInView) {
    openPair();
    const QString out = dir.path(QStringLiteral("out.doc"));
    const struct {
        const char* name;
        Command command;
        int inView;
        QByteArray lines;
        const char* fileName;
    } rows[] = {
        {"file A", kFile, 1, ExpectedDump::lines(bytesA, false), "a.bin"},
        {"file B", kFile, 2, ExpectedDump::lines(bytesB, false), "b.bin"},
        {"mismatch, A in view", kMismatch, 1, ExpectedDump::lines(bytesA, false, &bytesB, true), "a.bin"},
        {"mismatch, B in view", kMismatch, 2, ExpectedDump::lines(bytesA, false, &bytesB, false), "b.bin"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        view(row.inView);
        QFile::remove(out);
        ui.clear();
        QByteArray data;
        const QByteArray header = split(dumpTo(row.command, out), &data);
        EXPECT_EQ(data, row.lines);
        EXPECT_TRUE(header.contains(CodePage::toAnsi(QString::fromUtf8(row.command.title))));
        EXPECT_TRUE(header.contains(QByteArray("''") + row.fileName + "''"));
        EXPECT_TRUE(ui.messages.empty()) << ui.messageTexts().join(u'|').toStdString();
        expectPositionGivenBack();
    }
    // The row of byte 5, then the short last row of 1000 bytes, written although it matches.
    EXPECT_EQ(rows[3].lines, "000000     .. .. .. .. C0 .. .. .. .. .. .. .. .. .. .. .. |    \xC0" + QByteArray(11, ' ') +
                                 "\r\n00003E     .. .. .. .. .. .. .. .. " + QByteArray(24, ' ') + "|" +
                                 QByteArray(8, ' ') + "\r\n");
}

// A full disk or a target that cannot be written: one message while the dump is under
// way, then the window as before, and the loaded files as they were.
TEST_F(DumpCommands, FailuresAreReportedOnceAndTheWindowIsGivenBack) {
    openPair();
    const QString out = dir.path(QStringLiteral("out.doc"));
    const struct {
        const char* name;
        Command command;
        FileLayer::Fault fault;
        QString message;
        bool headerKept;
        bool printing;  // the message comes while the data lines are written
    } rows[] = {
        {"disk full, whole file", kFile, {FileLayer::Op::Write, 2, ENOSPC}, QStringLiteral("Нет места на диске. Воспользуйтесь другим диском большего объёма."), true, true},
        {"disk full, mismatch", kMismatch, {FileLayer::Op::Write, 2, ENOSPC}, QStringLiteral("Нет места на диске. Воспользуйтесь другим диском большего объёма."), true, true},
        {"disk full, header", kFile, {FileLayer::Op::Write, 1, ENOSPC}, QStringLiteral("Нет места на диске. Воспользуйтесь другим диском большего объёма."), false, false},
        {"not writable", kFile, {FileLayer::Op::Open, 1, EACCES}, QStringLiteral("Диск защищён от записи. Снимите защиту и повторите попытку."), false, false},
        {"device error, screen", kBlock, {FileLayer::Op::Write, 2, EIO}, QStringLiteral("Диск в дисководе повреждён или не отформатирован."), true, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QFile::remove(out);
        ui.clear();
        const QString captionBefore = label("lbProgressBar");
        QString caption;
        bool busy = false;
        ui.onMessage = [&](const RecordingUiServices::Message&) {
            caption = label("lbProgressBar");
            busy = QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
        };
        QByteArray text;
        {
            ScopedFileFault fault(row.fault);
            text = dumpTo(row.command, out);
        }
        ui.onMessage = nullptr;
        EXPECT_EQ(ui.messageTexts(), QStringList{row.message});
        EXPECT_EQ(caption, row.printing ? QStringLiteral("Печать") : captionBefore);
        EXPECT_EQ(busy, row.command.action != kBlock.action);
        QByteArray data;
        split(text, &data);
        EXPECT_EQ(text.count('\n'), row.headerKept ? 5 : 0);
        EXPECT_TRUE(data.isEmpty());
        EXPECT_FALSE(window->FileAtributOne().IsOpen() || window->FileAtributTwo().IsOpen());
        EXPECT_EQ(TempDir::read(pathA), bytesA);
        EXPECT_EQ(TempDir::read(pathB), bytesB);
        if (row.printing) expectPositionGivenBack();
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
}
