// The installed tree: where each file lands, that the desktop accepts the entry and the
// description, and that the installed binary finds its help.

#include "TempDir.h"
#include "fCompBynF.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace {

struct Tool {
    int exitCode = -1;
    QString output;  // stdout and stderr together
};

Tool runTool(const QString& program, const QStringList& arguments,
             const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    Tool tool;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return tool;
    }
    tool.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    tool.output = QString::fromUtf8(process.readAllStandardOutput());
    return tool;
}

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
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DESTDIR"), root);
    const Tool install = runTool(QStringLiteral(BIVEX_CMAKE),
                                 {"--install", BIVEX_BUILD_DIR, "--prefix", "/usr"}, environment);
    ASSERT_EQ(install.exitCode, 0) << install.output.toStdString();

    const QString usr = root + QStringLiteral("/usr");
    const char* installed[] = {
        "bin/bivex",
        "share/bivex/Bivex.hlp",
        "share/bivex/Bivex.cnt",
        "share/applications/bivex.desktop",
        "share/icons/hicolor/scalable/apps/bivex.svg",
        "share/man/man1/bivex.1",
        "share/metainfo/" BIVEX_APP_ID ".metainfo.xml",
    };
    for (const char* file : installed)
        EXPECT_TRUE(QFileInfo(usr + QLatin1Char('/') + QLatin1String(file)).isFile()) << file;
    EXPECT_TRUE(QFileInfo(usr + QStringLiteral("/bin/bivex")).isExecutable());
    // Nothing of the build tree's layout is installed beside the binary.
    EXPECT_FALSE(QFileInfo::exists(usr + QStringLiteral("/bin/Bivex.hlp")));

    // The installed binary, without a display, names the help file the help command opens.
    QProcessEnvironment terminal = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        terminal.remove(QString::fromLatin1(name));
    const Tool help = runTool(usr + QStringLiteral("/bin/bivex"), {"--help"}, terminal);
    EXPECT_EQ(help.exitCode, 0) << help.output.toStdString();
    EXPECT_TRUE(help.output.endsWith(QStringLiteral("Справка программы (F1): ") + usr +
                                     QStringLiteral("/share/bivex/Bivex.hlp\n")))
        << help.output.toStdString();

    // The manual page and the description carry the project's version, filled in.
    const QByteArray manual = TempDir::read(usr + QStringLiteral("/share/man/man1/bivex.1"));
    EXPECT_TRUE(manual.contains("\"Bivex " BIVEX_VERSION "\"")) << manual.left(200).constData();
    const QByteArray metainfo = TempDir::read(usr + QStringLiteral("/share/metainfo/" BIVEX_APP_ID ".metainfo.xml"));
    EXPECT_TRUE(metainfo.contains("version=\"" BIVEX_VERSION "\""));
    EXPECT_FALSE(metainfo.contains('@'));

    // The desktop's own checkers accept the menu entry and the description.
    const struct {
        const char* tool;
        QStringList arguments;
    } checks[] = {
        {"desktop-file-validate", {usr + QStringLiteral("/share/applications/bivex.desktop")}},
        {"appstreamcli", {"validate", "--no-net", usr + QStringLiteral("/share/metainfo/" BIVEX_APP_ID ".metainfo.xml")}},
    };
    for (const auto& check : checks) {
        const QString tool = QStandardPaths::findExecutable(QString::fromLatin1(check.tool));
        if (tool.isEmpty()) {
            ADD_FAILURE() << check.tool << " is not installed (scripts/bootstrap installs it)";
            continue;
        }
        const Tool result = runTool(tool, check.arguments);
        EXPECT_EQ(result.exitCode, 0) << check.tool << ": " << result.output.toStdString();
    }
}

}  // namespace
