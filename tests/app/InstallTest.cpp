// The installed tree: where each file lands, that the desktop accepts the entry and the
// description, and that the installed binary finds its help.

#include "RunProgram.h"
#include "TempDir.h"
#include "fCompBynF.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace {

TEST(HelpFolder, InstalledShareFolderFirstThenBesideTheBinary) {
    enum Has { None = 0, Contents = 1, Help = 2, Both = 3, NoFolder = 4 };
    const struct {
        const char* name;
        int share;   // what <prefix>/share/bivex holds
        int binary;  // what <prefix>/bin holds
        const char* expected;
    } rows[] = {
        {"installed", Both, None, "share"},
        {"installed, stray copies beside the binary", Both, Both, "share"},
        {"build tree", NoFolder, Both, "bin"},
        {"share folder left empty", None, Both, "bin"},
        {"share without the contents file", Help, Both, "bin"},
        {"share without the help file", Contents, Both, "share"},
        {"installed, help files removed", None, None, "share"},
        {"nothing anywhere", NoFolder, None, "bin"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        const QString bin = dir.path(QStringLiteral("usr/bin"));
        const QString share = dir.path(QStringLiteral("usr/share/bivex"));
        QDir().mkpath(bin);
        const auto fill = [&](const QString& folder, int has) {
            if (has == NoFolder) return;
            QDir().mkpath(folder);
            if (has & Contents) QFile(folder + QStringLiteral("/Bivex.cnt")).open(QIODevice::WriteOnly);
            if (has & Help) QFile(folder + QStringLiteral("/Bivex.hlp")).open(QIODevice::WriteOnly);
        };
        fill(share, row.share);
        fill(bin, row.binary);
        const QString expected = QString::fromLatin1(row.expected) == QLatin1String("share") ? share : bin;
        EXPECT_EQ(fCompBynF::helpFolder(bin).toStdString(), QDir::cleanPath(expected).toStdString());
    }
}

TEST(Install, PutsEachFileInItsPlaceAndTheBinaryFindsItsHelp) {
    TempDir dir;
    const QString root = dir.path(QStringLiteral("root"));
    const ProgramRun install = runProgram(QStringLiteral(BIVEX_CMAKE), {"--install", BIVEX_BUILD_DIR, "--prefix", "/usr"},
                                          {QStringLiteral("DESTDIR=") + root});
    ASSERT_EQ(install.exitCode, 0) << install.out.constData() << install.err.toStdString();

    const QString usr = root + QStringLiteral("/usr");
    const char* installed[] = {
        "bin/bivex",
        "share/bivex/Bivex.hlp",
        "share/bivex/Bivex.cnt",
        "share/applications/" BIVEX_APP_ID ".desktop",
        "share/icons/hicolor/scalable/apps/" BIVEX_APP_ID ".svg",
        "share/man/man1/bivex.1.gz",
        "share/metainfo/" BIVEX_APP_ID ".metainfo.xml",
        "share/doc/bivex/copyright",
        "share/doc/bivex/changelog.gz",
    };
    for (const char* file : installed)
        EXPECT_TRUE(QFileInfo(usr + QLatin1Char('/') + QLatin1String(file)).isFile()) << file;
    EXPECT_TRUE(QFileInfo(usr + QStringLiteral("/bin/bivex")).isExecutable());
    // Nothing of the build tree's layout is installed beside the binary.
    EXPECT_FALSE(QFileInfo::exists(usr + QStringLiteral("/bin/Bivex.hlp")));

    // The installed binary, without a display, names the help file the help command opens.
    const ProgramRun help = runProgram(usr + QStringLiteral("/bin/bivex"), {"--help"});
    EXPECT_EQ(help.exitCode, 0) << help.err.toStdString();
    EXPECT_TRUE(QString::fromLocal8Bit(help.out)
                    .endsWith(QStringLiteral("Справка программы (F1): ") + usr + QStringLiteral("/share/bivex/Bivex.hlp\n")))
        << help.out.constData();

    // The manual page, the change log and the description carry the project's version,
    // filled in; the menu entry, the description and the icon one id.
    const auto unzipped = [&](const char* file) {
        return runProgram(QStringLiteral("gzip"), {"-dc", usr + QLatin1String(file)}).out;
    };
    const QByteArray manual = unzipped("/share/man/man1/bivex.1.gz");
    EXPECT_TRUE(manual.contains("\"Bivex " BIVEX_VERSION "\"")) << manual.left(200).constData();
    EXPECT_TRUE(unzipped("/share/doc/bivex/changelog.gz").startsWith("bivex (" BIVEX_VERSION ") "));
    const QByteArray metainfo = TempDir::read(usr + QStringLiteral("/share/metainfo/" BIVEX_APP_ID ".metainfo.xml"));
    EXPECT_TRUE(metainfo.contains("version=\"" BIVEX_VERSION "\""));
    EXPECT_TRUE(metainfo.contains("<id>" BIVEX_APP_ID "</id>"));
    EXPECT_FALSE(metainfo.contains('@'));
    EXPECT_TRUE(TempDir::read(usr + QStringLiteral("/share/applications/" BIVEX_APP_ID ".desktop")).contains("\nIcon=" BIVEX_APP_ID "\n"));

    // The desktop's own checkers accept the menu entry and the description.
    const struct {
        const char* tool;
        QStringList arguments;
    } checks[] = {
        {"desktop-file-validate", {usr + QStringLiteral("/share/applications/" BIVEX_APP_ID ".desktop")}},
        {"appstreamcli", {"validate", "--pedantic", "--no-net", usr + QStringLiteral("/share/metainfo/" BIVEX_APP_ID ".metainfo.xml")}},
    };
    for (const auto& check : checks) {
        const QString tool = QStandardPaths::findExecutable(QString::fromLatin1(check.tool));
        if (tool.isEmpty()) {
            ADD_FAILURE() << check.tool << " is not installed (scripts/bootstrap installs it)";
            continue;
        }
        const ProgramRun result = runProgram(tool, check.arguments);
        EXPECT_EQ(result.exitCode, 0) << check.tool << ": " << result.out.constData() << result.err.toStdString();
    }
}

}  // namespace
