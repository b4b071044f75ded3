// `bivex --list-changes` as a user runs it: the lines, the exit status and every refusal.

#include "FileFaults.h"
#include "ListChanges.h"
#include "RunProgram.h"
#include "TempDir.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

namespace {

TEST(ListChanges, PrintsTheChangesWithCmpsExitStatusAndRefusesToWriteAnInput) {
    TempDir dir;
    QByteArray a(5000, Qt::Uninitialized);
    QRandomGenerator random(28);
    for (char& c : a) c = char(random.bounded(256));
    // Three bytes inserted at 100h, two deleted at 800h, four replaced at 1000h: every byte
    // at the edges differs from its neighbour on the other side, so no edit can slide.
    while (a[0x802] == a[0x800] || a[0x801] == a[0x7FF]) a[0x802] = char(a[0x802] + 1), a[0x7FF] = char(a[0x7FF] + 3);
    char inserted = 0;
    while (inserted == a[0x100] || inserted == a[0xFF]) ++inserted;
    QByteArray b = a;
    for (int i = 0x1000; i < 0x1004; ++i) b[i] = char(~b[i]);
    b.remove(0x800, 2);
    b.insert(0x100, QByteArray(3, inserted));
    const QByteArray lines = "0000100 0 0000100 3\n0000800 2 0000803 0\n0001000 4 0001001 4\n";
    const QString pathA = dir.write(QStringLiteral("a.bin"), a), pathB = dir.write(QStringLiteral("b.bin"), b);
    const QString same = dir.write(QStringLiteral("same.bin"), a), empty = dir.write(QStringLiteral("empty.bin"), {});
    const QString out = dir.path(QStringLiteral("out.txt"));
    QDir().mkdir(dir.path(QStringLiteral("sub")));
    ASSERT_EQ(::link(QFile::encodeName(pathB).constData(), QFile::encodeName(dir.path("hard.bin")).constData()), 0);
    ASSERT_TRUE(QFile::link(pathA, dir.path(QStringLiteral("soft.bin"))));

    const struct {
        const char* name;
        QStringList arguments;  // after --list-changes
        int status;
        QByteArray listed;      // on standard output, or in out.txt when it is named
        const char* err;        // part of stderr ("" = nothing)
        QString stdoutFile = {};  // standard output redirected there
    } rows[] = {
        {"files that differ", {pathA, pathB}, 1, lines, ""},
        {"to OUT, overwriting it", {pathA, pathB, out}, 1, lines, ""},
        {"to standard output named", {pathA, pathB, "-"}, 1, lines, ""},
        {"to a device", {pathA, pathB, "/dev/null"}, 1, "", ""},
        {"equal files", {pathA, same}, 0, "", ""},
        {"both empty", {empty, empty}, 0, "", ""},
        {"A empty: all of B inserted", {empty, pathB}, 1, "0000000 0 0000000 5001\n", ""},
        {"B empty: all of A deleted", {pathA, empty, out}, 1, "0000000 5000 0000000 0\n", ""},
        {"a missing input", {pathA, dir.path("missing.bin")}, 2, "", "missing.bin» не найден."},
        {"a folder as input", {dir.path("sub"), pathB}, 2, "", "sub» не является обычным файлом."},
        {"OUT in a missing folder", {pathA, pathB, dir.path("none/out.txt")}, 2, "", "bivex: не удаётся записать «"},
        {"OUT a full device", {pathA, pathB, "/dev/full"}, 2, "", "bivex: не удаётся записать список изменений ("},
        {"an input under a file, not a folder", {pathA + "/x", pathB}, 2, "", "a.bin/x» не найден."},
        {"OUT is file A", {pathA, pathB, pathA}, 2, "", "bivex: список не записывается в сравниваемый файл."},
        {"OUT is file B by another path", {pathA, pathB, dir.path("sub/../b.bin")}, 2, "", "в сравниваемый файл."},
        {"OUT a hard link to B", {pathA, pathB, dir.path("hard.bin")}, 2, "", "в сравниваемый файл."},
        {"OUT a symbolic link to A", {pathA, pathB, dir.path("soft.bin")}, 2, "", "в сравниваемый файл."},
        {"standard output redirected into B", {pathA, pathB}, 2, "", "в сравниваемый файл.", pathB},
        {"one name only", {pathA}, 2, "", "«--list-changes» ждёт имена ФАЙЛ_А ФАЙЛ_В [ВЫХОД]."},
        {"four names", {pathA, pathB, out, out}, 2, "", "«--list-changes» ждёт имена"},
        {"with --dos", {"--dos", pathA, pathB}, 2, "", "«--list-changes» задаётся без «--dump»"},
        {"with --list-mismatch", {"--list-mismatch", pathA, pathB}, 2, "", "не задаются вместе."},
        // Ranges as cmp's -i and -n take them; each file's own addresses.
        {"from 800h of A and 803h of B", {"-i", "0x800:0x803", pathA, pathB}, 1, "0000800 2 0000803 0\n0001000 4 0001001 4\n", ""},
        {"at most the first 800h bytes", {"-n", "2048", pathA, pathB}, 1, "0000100 0 0000100 3\n00007FD 3 0000800 0\n", ""},
        {"past the changes", {"--ignore-initial=0x1004:0x1005", pathA, pathB}, 0, "", ""},
        {"a count that is no number", {"-n", "lots", pathA, pathB}, 2, "", "неверное значение «lots»"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QFile::remove(out);
        dir.write(QStringLiteral("out.txt"), QByteArray(20000, 'x'));
        const ProgramRun run = runProgram(QStringLiteral(BIVEX_BINARY), QStringList{"--list-changes"} + row.arguments, {},
                                          {}, row.stdoutFile);
        EXPECT_EQ(run.exitCode, row.status) << run.err.toStdString();
        const bool toOut = row.arguments.contains(out) && row.status != 2;
        EXPECT_EQ(toOut ? TempDir::read(out) : run.out, row.listed);
        if (*row.err == '\0')
            EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
        else
            EXPECT_TRUE(run.err.contains(QString::fromUtf8(row.err))) << run.err.toStdString();
        // No refusal ever touches the compared files.
        EXPECT_EQ(TempDir::read(pathA), a);
        EXPECT_EQ(TempDir::read(pathB), b);
    }
}

// A file that cannot be read halfway gives no list that passes for whole: the trouble is
// told and the status is 2, whatever was written before.
TEST(ListChanges, AReadErrorEndsTheListWithTrouble) {
    TempDir dir;
    QByteArray a(300000, Qt::Uninitialized);
    QRandomGenerator random(29);
    for (char& c : a) c = char(random.bounded(256));
    QByteArray b = a;
    b[1000] = char(~b[1000]);
    const QString pathA = dir.write(QStringLiteral("a.bin"), a), pathB = dir.write(QStringLiteral("b.bin"), b);
    const QString said = dir.path(QStringLiteral("said.txt"));
    const int errors = ::open(QFile::encodeName(said).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(errors, 0);
    {
        ScopedFileFault failing({FileLayer::Op::Read, 2, EIO});
        EXPECT_EQ(runListChanges(pathA, pathB, dir.path(QStringLiteral("out.txt")), errors), 2);
    }
    ::close(errors);
    EXPECT_TRUE(QString::fromUtf8(TempDir::read(said)).contains(QStringLiteral("ошибка чтения при сравнении")));
}

}  // namespace
