// Dumps from the command line, with no window: the same bytes as the menu's dumps, the
// same refusals, and an exit status a script can trust.

#include "CommandLine.h"
#include "DumpCommands.h"
#include "HeadlessDump.h"
#include "MainWindowHarness.h"
#include "RunProgram.h"

#include <QDir>

#include <fcntl.h>
#include <unistd.h>

namespace {

const QString kSelf = QStringLiteral("Файл уже открыт и не может быть записан сам в себя.");

// The dump with the "dd.MM.yyyy HH:mm:ss" of its title line blanked: runs a second apart
// differ there only.
QByteArray masked(QByteArray dump) {
    if (dump.size() > 20) dump.replace(1, 19, QByteArray(19, '#'));
    return dump;
}

class HeadlessDump : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        bytesA = screenBytes(1000);
        bytesB = bytesA;
        for (int at : {4, 300, 301, 999}) bytesB[at] = char(~bytesB[at]);
        QByteArray everyValue;
        for (int v = 0; v < 256; ++v) everyValue += char(v);
        pathA = dir.write(QStringLiteral("a.bin"), bytesA);
        pathB = dir.write(QStringLiteral("b.bin"), bytesB);
        pathValues = dir.write(QStringLiteral("values.bin"), everyValue);
        pathShort = dir.write(QStringLiteral("short.bin"), bytesB.left(517));
    }

    // What "Сохранить как ..." writes after `bivex FILES`, as the user would do it.
    QByteArray menuDump(const char* action, const QStringList& files, bool dos) {
        restart();
        installDumpCommands(*window);
        window->openFromCommandLine(files);
        if (dos) trigger("mnuDOS");
        const QString target = dir.path(QStringLiteral("menu.txt"));
        QFile::remove(target);
        ui.answerNextSave(target);
        trigger(action);
        EXPECT_TRUE(ui.messages.empty()) << ui.messageTexts().join(QLatin1Char('\n')).toStdString();
        return TempDir::read(target);
    }

    // runHeadlessDump on `arguments` (after the program name) with scripted services.
    int headless(const QStringList& arguments, RecordingUiServices& services) {
        const CommandLine command = parseCommandLine(QStringList{QStringLiteral("bivex")} + arguments);
        EXPECT_TRUE(command.action == CommandLine::Action::Dump || command.action == CommandLine::Action::DumpMismatch)
            << command.error.toStdString();
        return runHeadlessDump(command, services);
    }

    QByteArray bytesA, bytesB;
    QString pathA, pathB, pathValues, pathShort;
};

// The built program, its standard output captured or appended to `outFile`.
ProgramRun runBivex(const QStringList& arguments, const QString& outFile = {}) {
    return runProgram(QStringLiteral(BIVEX_BINARY), arguments, {}, {}, outFile);
}

TEST_F(HeadlessDump, WritesTheMenuCommandsBytes) {
    const struct {
        const char* name;
        const char* action;
        QStringList inputs;
        bool dos;
    } rows[] = {
        {"whole file", "mnuSaveFile", {pathA}, false},
        {"whole file, DOS view", "mnuSaveFile", {pathA}, true},
        {"every byte value", "mnuSaveFile", {pathValues}, false},
        {"every byte value, DOS view", "mnuSaveFile", {pathValues}, true},
        {"mismatching rows", "mnuSaveNoByt", {pathA, pathB}, false},
        {"mismatching rows, DOS view", "mnuSaveNoByt", {pathA, pathB}, true},
        {"mismatching rows, B shorter", "mnuSaveNoByt", {pathA, pathShort}, false},
        {"mismatching rows, A shorter", "mnuSaveNoByt", {pathShort, pathA}, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const QByteArray expected = masked(menuDump(row.action, row.inputs, row.dos));
        ASSERT_GT(expected.size(), 400);

        QStringList arguments{QString::fromLatin1(row.inputs.size() == 2 ? "--dump-mismatch" : "--dump")};
        if (row.dos) arguments << QStringLiteral("--dos");
        arguments << row.inputs;

        RecordingUiServices services;
        const QString target = dir.path(QStringLiteral("headless.txt"));
        EXPECT_EQ(headless(arguments + QStringList{target}, services), 0);
        EXPECT_TRUE(services.messages.empty()) << services.messageTexts().join(QLatin1Char('\n')).toStdString();
        EXPECT_EQ(masked(TempDir::read(target)), expected);

        const ProgramRun program = runBivex(arguments + QStringList{QStringLiteral("-")});
        EXPECT_EQ(program.exitCode, 0) << program.err.toStdString();
        EXPECT_TRUE(program.err.isEmpty()) << program.err.toStdString();
        EXPECT_EQ(masked(program.out), expected);
    }
}

TEST_F(HeadlessDump, RefusesToWriteAnInputUnderAnyNameAndReportsFailures) {
    QDir().mkdir(dir.path(QStringLiteral("sub")));
    ASSERT_EQ(::link(QFile::encodeName(pathB).constData(), QFile::encodeName(dir.path("hard.bin")).constData()), 0);
    ASSERT_TRUE(QFile::link(pathA, dir.path(QStringLiteral("soft.bin"))));
    const QString empty = dir.write(QStringLiteral("empty.bin"), QByteArray());
    const QString missing = dir.path(QStringLiteral("missing.bin"));
    const QString out = dir.path(QStringLiteral("out.txt"));
    const struct {
        const char* name;
        QStringList arguments;
        const char* title;  // of the one message; "" = none
        QString text;
    } rows[] = {
        {"into the file itself", {"--dump", pathA, pathA}, "Bivex", kSelf},
        {"into a symbolic link to it", {"--dump", pathA, dir.path("soft.bin")}, "Bivex", kSelf},
        {"into file A by another path", {"--dump-mismatch", pathA, pathB, dir.path("sub/../a.bin")}, "Bivex", kSelf},
        {"into a hard link to file B", {"--dump-mismatch", pathA, pathB, dir.path("hard.bin")}, "Bivex", kSelf},
        {"a missing input", {"--dump", missing, out}, "Ошибка",
         QStringLiteral("Файл «") + missing + QStringLiteral("» не найден или не является обычным файлом.")},
        {"a folder as input", {"--dump-mismatch", pathA, dir.path("sub"), out}, "Ошибка",
         QStringLiteral("Файл «") + dir.path("sub") + QStringLiteral("» не найден или не является обычным файлом.")},
        {"an empty input", {"--dump", empty, out}, "Bivex", QStringLiteral("Файл пустой и не содержит ни одного байта данных.")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        RecordingUiServices services;
        EXPECT_EQ(headless(row.arguments, services), 1);
        ASSERT_EQ(services.messages.size(), 1u) << services.messageTexts().join(QLatin1Char('\n')).toStdString();
        EXPECT_EQ(services.messages[0].title, QString::fromUtf8(row.title));
        EXPECT_EQ(services.messages[0].text, row.text);
        EXPECT_EQ(TempDir::read(pathA), bytesA);
        EXPECT_EQ(TempDir::read(pathB), bytesB);
        EXPECT_FALSE(QFileInfo::exists(out)) << "nothing is created before the inputs are checked";
    }

    // A target that fails while the dump is written: the writer reports it, the status says so.
    RecordingUiServices services;
    EXPECT_EQ(headless({"--dump", pathA, QStringLiteral("/dev/full")}, services), 1);
    EXPECT_EQ(services.messages.size(), 1u);
}

TEST_F(HeadlessDump, StandardOutputRedirectedIntoAnInputIsRefused) {
    const ProgramRun run = runBivex({"--dump-mismatch", pathA, pathB, "-"}, pathB);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, QStringLiteral("bivex: ") + kSelf + QLatin1Char('\n'));
    EXPECT_EQ(TempDir::read(pathB), bytesB);

    const ProgramRun other = runBivex({"--dump", pathA, "-"}, dir.path(QStringLiteral("dump.txt")));
    EXPECT_EQ(other.exitCode, 0) << other.err.toStdString();
    EXPECT_TRUE(TempDir::read(dir.path(QStringLiteral("dump.txt"))).endsWith("\r\n"));
}

}  // namespace

namespace {

// Any byte string is a name: one that is not UTF-8 goes from the command line to the
// system unchanged, for the input and the output. A device takes the dump as it is.
TEST_F(HeadlessDump, NamesAreTheirBytesAndADeviceTakesTheDump) {
    // A shell hands the bytes over: the process starter would spell the names as UTF-8.
    const ProgramRun run = runProgram(
        QStringLiteral("/bin/sh"),
        {QStringLiteral("-c"),
         QStringLiteral("cp a.bin \"$(printf 'in\\377')\" && exec \"$0\" --dump \"$(printf 'in\\377')\" \"$(printf 'out\\376')\""),
         QStringLiteral(BIVEX_BINARY)},
        {}, dir.path(QString()));
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    QFile written;
    ASSERT_TRUE(written.open(::open(QFile::encodeName(dir.path(QStringLiteral("out"))) + "\xFE", O_RDONLY),
                             QIODevice::ReadOnly, QFileDevice::AutoCloseHandle));
    EXPECT_TRUE(written.readAll().endsWith(runBivex({"--dump", pathA, "-"}).out.right(1000)));

    const ProgramRun toNull = runBivex({"--dump", pathA, "/dev/null"});
    EXPECT_TRUE(toNull.exitCode == 0 && toNull.err.isEmpty()) << toNull.err.toStdString();
}

}  // namespace
