// The command line, parsed and as the built program answers it on a terminal.

#include "CommandLine.h"
#include "RunProgram.h"
#include "TempDir.h"

#include <gtest/gtest.h>

namespace {

using Action = CommandLine::Action;

QStringList split(const char* words) {
    return QString::fromUtf8(words).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

TEST(CommandLine, ParsesFilesOptionsAndRefusals) {
    const struct {
        const char* arguments;  // after the program name, split at blanks
        Action action;
        const char* files;
        const char* toolkit;  // handed to the toolkit after the program name
        const char* error;    // part of the message on stderr
    } rows[] = {
        {"", Action::Run, "", "", ""},
        {"a.bin", Action::Run, "a.bin", "", ""},
        {"a.bin b.bin", Action::Run, "a.bin b.bin", "", ""},
        {"-", Action::Run, "-", "", ""},
        {"-h", Action::Help, "", "", ""},
        {"--help", Action::Help, "", "", ""},
        {"a.bin b.bin c.bin --help", Action::Help, "", "", ""},
        {"-v", Action::Version, "", "", ""},
        {"--version a.bin", Action::Version, "", "", ""},
        // After "--" everything is a file, however it begins.
        {"-- -h", Action::Run, "-h", "", ""},
        {"-- -a.bin --version", Action::Run, "-a.bin --version", "", ""},
        {"a.bin -- -platform", Action::Run, "a.bin -platform", "", ""},
        // The toolkit's options pass through; ours stay ours.
        {"-platform offscreen a.bin", Action::Run, "a.bin", "-platform offscreen", ""},
        {"--style=fusion -reverse a.bin b.bin", Action::Run, "a.bin b.bin", "-style fusion -reverse", ""},
        {"-session one a.bin -session two", Action::Run, "a.bin", "-session one -session two", ""},
        {"a.bin b.bin c.bin", Action::Refuse, "", "", "не больше двух файлов (файл А и файл В), указано 3."},
        {"-- a b c d", Action::Refuse, "", "", "указано 4."},
        {"-x a.bin", Action::Refuse, "", "", "неизвестный параметр «-x»."},
        {"--bogus=1", Action::Refuse, "", "", "неизвестный параметр «--bogus»."},
        {"-hv", Action::Refuse, "", "", "неизвестный параметр «-hv»."},
        {"a.bin -platform", Action::Refuse, "", "", "после «-platform» нужно значение."},
        // Dumps without a window.
        {"--dump a.bin out.txt", Action::Dump, "a.bin out.txt", "", ""},
        {"--dump --dos a.bin -", Action::Dump, "a.bin -", "", ""},
        {"a.bin --dos b.bin - --dump-mismatch", Action::DumpMismatch, "a.bin b.bin -", "", ""},
        {"--dump -- -a.bin -", Action::Dump, "-a.bin -", "", ""},
        {"-- --dump a.bin", Action::Run, "--dump a.bin", "", ""},
        {"--dump a.bin", Action::Refuse, "", "", "«--dump» ждёт два имени: ФАЙЛ ВЫХОД."},
        {"--dump a.bin b.bin out.txt", Action::Refuse, "", "", "«--dump» ждёт два имени"},
        {"--dump-mismatch a.bin out.txt", Action::Refuse, "", "", "«--dump-mismatch» ждёт три имени: ФАЙЛ_А ФАЙЛ_В ВЫХОД."},
        {"--dump --dump-mismatch a b c", Action::Refuse, "", "", "не задаются вместе"},
        {"--dos a.bin", Action::Refuse, "", "", "«--dos» задаётся только вместе с «--dump» или «--dump-mismatch»."},
        // The list of differences without a window.
        {"--list-mismatch a.bin b.bin", Action::ListMismatch, "a.bin b.bin", "", ""},
        {"--list-mismatch a.bin b.bin list.txt", Action::ListMismatch, "a.bin b.bin list.txt", "", ""},
        {"--list-mismatch a.bin", Action::Refuse, "", "", "«--list-mismatch» ждёт имена ФАЙЛ_А ФАЙЛ_В [ВЫХОД]."},
        // The list of changes, insertions and deletions included.
        {"--list-changes a.bin b.bin -", Action::ListChanges, "a.bin b.bin -", "", ""},
        {"a.bin --list-changes b.bin", Action::ListChanges, "a.bin b.bin", "", ""},
        {"--list-changes a b c d", Action::Refuse, "", "", "«--list-changes» ждёт имена ФАЙЛ_А ФАЙЛ_В [ВЫХОД]."},
        {"--list-changes --dump a b c", Action::Refuse, "", "", "«--list-changes» задаётся без «--dump»"},
        {"--list-changes --list-mismatch a b", Action::Refuse, "", "", "не задаются вместе."},
        // Patches.
        {"--write-patch a b p", Action::WritePatch, "a b p", "", ""},
        {"a --apply-patch p out", Action::ApplyPatch, "a p out", "", ""},
        {"--write-patch a b", Action::Refuse, "", "", "«--write-patch» ждёт три имени: ФАЙЛ_А ФАЙЛ_В ДЕЛЬТА."},
        {"--apply-patch a p out x", Action::Refuse, "", "", "«--apply-patch» ждёт три имени: ФАЙЛ_А ДЕЛЬТА ВЫХОД."},
        {"--write-patch --apply-patch a b c", Action::Refuse, "", "", "«--write-patch» и «--apply-patch» не задаются вместе."},
        {"--apply-patch --dos a b c", Action::Refuse, "", "", "«--apply-patch» и «--dos» не задаются вместе."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments);
        const CommandLine command =
            parseCommandLine(QStringList{QStringLiteral("/usr/bin/bivex")} + split(row.arguments));
        EXPECT_EQ(int(command.action), int(row.action));
        EXPECT_EQ(command.dos, row.action != Action::Refuse && split(row.arguments).contains(QStringLiteral("--dos")));
        EXPECT_EQ(command.files.join(QLatin1Char('|')).toStdString(), split(row.files).join(QLatin1Char('|')).toStdString());
        if (row.action == Action::Run) {
            EXPECT_EQ(command.toolkitArguments.join(QLatin1Char('|')).toStdString(),
                      (QStringList{QStringLiteral("/usr/bin/bivex")} + split(row.toolkit)).join(QLatin1Char('|')).toStdString());
        }
        // Only files a file manager may hand over are refused in a box as well.
        EXPECT_EQ(command.refusalForWindow, QString::fromUtf8(row.error).contains(QStringLiteral("указано")));
        if (row.action == Action::Refuse) {
            EXPECT_TRUE(command.error.startsWith(QStringLiteral("bivex: "))) << command.error.toStdString();
            EXPECT_TRUE(command.error.contains(QString::fromUtf8(row.error))) << command.error.toStdString();
            EXPECT_TRUE(command.error.endsWith(QStringLiteral("bivex --help")));
        } else {
            EXPECT_TRUE(command.error.isEmpty());
        }
    }
}

TEST(CommandLine, TheProgramAnswersOnTheTerminalWithoutAWindow) {
    const QString program = QStringLiteral(BIVEX_BINARY);
    const struct {
        QStringList arguments;
        int exitCode;
        const char* out;  // start of stdout
        const char* err;  // part of stderr ("" = nothing on stderr)
    } rows[] = {
        {{"--help"}, 0, "Использование: bivex [ПАРАМЕТРЫ] [--] [ФАЙЛ_А [ФАЙЛ_В]]\n", ""},
        {{"-h", "a", "b", "c"}, 0, "Использование:", ""},
        {{"-v"}, 0, "Bivex " BIVEX_VERSION "\n", ""},
        {{"a", "b", "c"}, 2, "", "bivex: можно открыть не больше двух файлов"},
        {{"--bogus"}, 2, "", "bivex: неизвестный параметр «--bogus»."},
        {{"a", "-platform"}, 2, "", "bivex: после «-platform» нужно значение."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments.join(QLatin1Char(' ')).toStdString());
        const ProgramRun run = runProgram(program, row.arguments);
        EXPECT_EQ(run.exitCode, row.exitCode) << run.err.toStdString();
        if (*row.out == '\0')
            EXPECT_TRUE(run.out.isEmpty()) << run.out.constData();
        else
            EXPECT_TRUE(run.out.startsWith(row.out)) << run.out.constData();
        if (*row.err == '\0')
            EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
        else
            EXPECT_TRUE(run.err.contains(QString::fromUtf8(row.err))) << run.err.toStdString();
    }
}

// Help and version that cannot be written say so, and the status says it too.
TEST(CommandLine, AnAnswerThatCannotBeWrittenFails) {
    for (const char* option : {"--help", "--version"}) {
        const ProgramRun run = runProgram(QStringLiteral(BIVEX_BINARY), {QString::fromLatin1(option)}, {}, {},
                                          QStringLiteral("/dev/full"));
        EXPECT_EQ(run.exitCode, 1) << option;
        EXPECT_EQ(run.err, QStringLiteral("bivex: Нет места на диске. Воспользуйтесь другим диском большего объёма.\n"));
    }
}

TEST(CommandLine, AStyleTheUserNamesIsKept) {
    EXPECT_FALSE(userChoseStyle(split("bivex -stylesheet a.qss"), QByteArray()));
    EXPECT_TRUE(userChoseStyle(parseCommandLine(split("bivex --style=windows a.bin")).toolkitArguments, QByteArray()));
    EXPECT_TRUE(userChoseStyle(split("bivex"), QByteArray("windows")));
}

TEST(CommandLine, ToolkitOptionsReachTheToolkitAndNamesAfterDashesOpen) {
    // -platform is the only way this run gets a display. Files named like options open
    // without a message (a missing file would leave its message box waiting).
    TempDir dir;
    dir.write(QStringLiteral("-reverse"), QByteArray(300, 'x'));
    dir.write(QStringLiteral("--help"), QByteArray(300, 'y'));
    const ProgramRun run = runProgram(QStringLiteral(BIVEX_BINARY), {"-platform", "offscreen", "--", "-reverse", "--help"},
                                      {QStringLiteral("BIVEX_EXIT_AFTER_SHOW=1")}, dir.path(QString()));
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
}

}  // namespace
