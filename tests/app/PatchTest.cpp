// `bivex --write-patch` and `--apply-patch` as a user runs them: beside xdelta3 in both
// directions, and every refusal with its reason, its status and the output left as it was.

#include "RunProgram.h"
#include "TempDir.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

constexpr qsizetype KiB = 1024, MiB = 1024 * 1024;

QByteArray randomBytes(qsizetype n, QRandomGenerator& random) {
    QByteArray bytes(n, Qt::Uninitialized);
    for (auto& c : bytes) c = char(random.bounded(256));
    return bytes;
}

// A with `count` random edits: insertions, deletions and replacements of up to 4 KiB.
QByteArray plantedEdits(QByteArray a, int count, QRandomGenerator& random) {
    for (int i = 0; i < count; ++i) {
        const qsizetype at = qsizetype(random.bounded(quint32(a.size())));
        const qsizetype removed = i % 3 == 0 ? 0 : std::min<qsizetype>(a.size() - at, 1 + random.bounded(4096));
        a.replace(at, removed, i % 3 == 1 ? QByteArray() : randomBytes(1 + random.bounded(4096), random));
    }
    return a;
}

ProgramRun bivex(const QStringList& arguments) { return runProgram(QStringLiteral(BIVEX_BINARY), arguments); }

TEST(Patch, RoundTripsThroughXdelta3BothWays) {
    const QString xdelta3 = QStandardPaths::findExecutable(QStringLiteral("xdelta3"));
    if (xdelta3.isEmpty()) GTEST_SKIP() << "xdelta3 is not installed (apt-get install xdelta3): no round trips through it";
    QRandomGenerator random(3284);
    const QByteArray a = randomBytes(3 * MiB, random);
    const QByteArray big = randomBytes(MiB, random).repeated(20);  // three windows
    const struct {
        const char* name;
        QByteArray a, b;
    } rows[] = {
        {"planted edits", a, plantedEdits(a, 12, random)},
        {"other planted edits", a.left(500 * KiB), plantedEdits(a.left(500 * KiB), 40, random)},
        {"identical files", a, a},
        {"A empty", {}, a.left(100 * KiB)},
        {"B empty", a, {}},
        {"blocks moved", a, a.mid(2 * MiB) + a.mid(MiB, MiB) + a.left(MiB)},
        {"three windows", big, plantedEdits(big, 20, random)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        const QString pathA = dir.write(QStringLiteral("a"), row.a), pathB = dir.write(QStringLiteral("b"), row.b);
        const QString ours = dir.path(QStringLiteral("ours.vcdiff")), theirs = dir.path(QStringLiteral("theirs.vcdiff"));
        const QString out = dir.path(QStringLiteral("out"));

        ProgramRun run = bivex({"--write-patch", pathA, pathB, ours});
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        run = runProgram(xdelta3, {"-d", "-f", "-s", pathA, ours, out});
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_TRUE(TempDir::read(out) == row.b);

        // xdelta3's own, with its application header and without.
        for (const QStringList& header : {QStringList{}, QStringList{"-A="}}) {
            run = runProgram(xdelta3, QStringList{"-e", "-f", "-S", "none"} + header + QStringList{"-s", pathA, pathB, theirs});
            ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
            QFile::remove(out);
            run = bivex({"--apply-patch", pathA, theirs, out});
            EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
            EXPECT_TRUE(TempDir::read(out) == row.b);
        }
        EXPECT_LE(QFileInfo(ours).size(), QFileInfo(theirs).size() * 5 / 4 + 4 * KiB);
    }
}

TEST(Patch, RefusalsSayWhyAndLeaveTheOutputAsItWas) {
    TempDir dir;
    QRandomGenerator random(37);
    const QByteArray a = randomBytes(50 * KiB, random), b = plantedEdits(a, 5, random);
    const QString pathA = dir.write(QStringLiteral("a.bin"), a), pathB = dir.write(QStringLiteral("b.bin"), b);
    const QString patch = dir.path(QStringLiteral("p.vcdiff")), out = dir.path(QStringLiteral("out.bin"));
    ASSERT_EQ(bivex({"--write-patch", pathA, pathB, patch}).exitCode, 0);
    const QByteArray good = TempDir::read(patch);
    QByteArray compressed = good;
    compressed.replace(4, 1, "\x01\x02");  // a secondary compressor named in the header
    const QString packed = dir.write(QStringLiteral("packed.vcdiff"), compressed);
    const QString cut = dir.write(QStringLiteral("cut.vcdiff"), good.left(good.size() - 10));
    const QString other = dir.write(QStringLiteral("other.bin"), plantedEdits(a, 1, random));
    const QString readOnly = dir.write(QStringLiteral("read-only.bin"), "old bytes");
    TempDir::makeReadOnly(readOnly);
    QDir().mkdir(dir.path(QStringLiteral("sub")));
    ASSERT_TRUE(QFile::link(pathB, dir.path(QStringLiteral("link-to-b"))));
    ASSERT_EQ(::link(QFile::encodeName(patch).constData(), QFile::encodeName(dir.path("hard.vcdiff")).constData()), 0);

    const struct {
        const char* name;
        QStringList arguments;
        int status;
        const char* err;  // part of stderr
    } rows[] = {
        {"written", {"--write-patch", pathA, pathB, out}, 0, ""},
        {"applied", {"--apply-patch", pathA, patch, out}, 0, ""},
        {"PATCH is A", {"--write-patch", pathA, pathB, pathA}, 2, "bivex: дельта не записывается в сравниваемый файл."},
        {"PATCH a link to B", {"--write-patch", pathA, pathB, dir.path("link-to-b")}, 2, "в сравниваемый файл."},
        {"PATCH a folder", {"--write-patch", pathA, pathB, dir.path("sub")}, 2, "bivex: не удаётся записать «"},
        {"PATCH read-only", {"--write-patch", pathA, pathB, readOnly}, 2, "read-only.bin» (Отказано в доступе)."},
        {"PATCH in a missing folder", {"--write-patch", pathA, pathB, dir.path("none/p")}, 2, "не удаётся записать «"},
        {"a missing input", {"--write-patch", dir.path("none.bin"), pathB, out}, 2, "none.bin» не найден."},
        {"OUT is A by another path", {"--apply-patch", pathA, patch, dir.path("sub/../a.bin")}, 2,
         "bivex: результат не записывается в исходный файл или в дельту."},
        {"OUT a hard link to PATCH", {"--apply-patch", pathA, patch, dir.path("hard.vcdiff")}, 2, "в исходный файл или в дельту."},
        {"a patch of another A", {"--apply-patch", other, patch, out}, 2, "сделана не для «"},
        {"secondary compression", {"--apply-patch", pathA, packed, out}, 2, "сжата вторичным сжатием"},
        {"a cut patch", {"--apply-patch", pathA, cut, out}, 2, "cut.vcdiff» обрезана (окно 1)."},
        {"not a patch", {"--apply-patch", pathA, pathB, out}, 2, "b.bin» не является дельтой VCDIFF."},
        {"two names", {"--apply-patch", pathA, patch}, 2, "«--apply-patch» ждёт три имени: ФАЙЛ_А ДЕЛЬТА ВЫХОД."},
        {"with a list", {"--write-patch", "--list-changes", pathA, pathB, out}, 2, "не задаются вместе."},
    };
    dir.write(QStringLiteral("out.bin"), "old bytes");
    const QStringList before = QDir(dir.path(QString())).entryList(QDir::Files | QDir::Hidden);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        dir.write(QStringLiteral("out.bin"), "old bytes");
        const ProgramRun run = bivex(row.arguments);
        EXPECT_EQ(run.exitCode, row.status);
        if (row.status == 0) {
            EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
            EXPECT_TRUE(TempDir::read(out) == (row.arguments.first() == "--write-patch" ? good : b));
        } else {
            EXPECT_TRUE(run.err.contains(QString::fromUtf8(row.err))) << run.err.toStdString();
            EXPECT_EQ(TempDir::read(out), QByteArray("old bytes"));
        }
        EXPECT_EQ(QDir(dir.path(QString())).entryList(QDir::Files | QDir::Hidden), before);
        EXPECT_EQ(TempDir::read(pathA), a);
        EXPECT_EQ(TempDir::read(patch), good);
        EXPECT_EQ(TempDir::read(readOnly), QByteArray("old bytes"));
    }
}

}  // namespace
