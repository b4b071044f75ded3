#include "CodePage.h"
#include "FileAccessTestUtil.h"
#include "TempDir.h"
#include "mdGetPathParametr.h"

#include <QDir>
#include <QFile>


namespace {

struct PathSplit : ::testing::Test {
    TempDir dir;
    RecordingUiServices ui;
    mdGetPathParametr parts;
};

TEST_F(PathSplit, SplitsExistingFiles) {
    QDir(dir.path(QString())).mkpath(QStringLiteral("my.dir"));
    struct Row {
        QString relative, nameOnly, extension, pathNoExtRelative;
    };
    const Row rows[] = {
        {QStringLiteral("dump.bin"), QStringLiteral("dump"), QStringLiteral("bin"), QStringLiteral("dump")},
        {QStringLiteral("dump"), QStringLiteral("dump"), QString(), QStringLiteral("dump")},
        {QStringLiteral("my.dir/dump"), QStringLiteral("dump"), QString(), QStringLiteral("my.dir/dump")},
        {QStringLiteral("a.b.c"), QStringLiteral("a.b"), QStringLiteral("c"), QStringLiteral("a.b")},
        {QStringLiteral(".hidden.bin"), QStringLiteral(".hidden"), QStringLiteral("bin"), QStringLiteral(".hidden")},
    };
    for (const Row& row : rows) {
        const QString path = dir.write(row.relative, "x");
        parts.NameFromFullPath(path, ui);
        SCOPED_TRACE(row.relative.toStdString());
        const QString fileName = row.relative.mid(row.relative.lastIndexOf(QLatin1Char('/')) + 1);
        EXPECT_EQ(parts.strFullPath, path);
        EXPECT_EQ(parts.strFolder, path.left(path.size() - fileName.size()));
        EXPECT_TRUE(parts.strFolder.endsWith(QLatin1Char('/')));
        EXPECT_TRUE(parts.strDisk.isEmpty());
        EXPECT_EQ(parts.strFileName, fileName);
        EXPECT_EQ(parts.strNameOnly, row.nameOnly);
        EXPECT_EQ(parts.strExtension, row.extension);
        EXPECT_EQ(parts.strPathNoExt, dir.path(row.pathNoExtRelative));
    }
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(PathSplit, RelativeNameWithoutFolder) {
    dir.write(QStringLiteral("dump.bin"), "x");
    const QString saved = QDir::currentPath();
    QDir::setCurrent(dir.path(QString()));
    parts.NameFromFullPath(QStringLiteral("dump.bin"), ui);
    QDir::setCurrent(saved);
    EXPECT_TRUE(parts.strFolder.isEmpty());
    EXPECT_EQ(parts.strFileName, QStringLiteral("dump.bin"));
    EXPECT_EQ(parts.strNameOnly, QStringLiteral("dump"));
    EXPECT_EQ(parts.strPathNoExt, QStringLiteral("dump"));
}

TEST_F(PathSplit, NothingFoundLeavesOnlyThePreviousPathWithoutExtension) {
    const QString existing = dir.write(QStringLiteral("dump.bin"), "x");
    parts.NameFromFullPath(existing, ui);
    for (const QString& path : {dir.path(QStringLiteral("missing.bin")), dir.path(QString()),
                                dir.path(QStringLiteral("dump.bin/inner")), QString()}) {
        parts.NameFromFullPath(path, ui);
        EXPECT_TRUE(parts.strFullPath.isEmpty());
        EXPECT_TRUE(parts.strFolder.isEmpty());
        EXPECT_TRUE(parts.strFileName.isEmpty());
        EXPECT_TRUE(parts.strNameOnly.isEmpty());
        EXPECT_TRUE(parts.strExtension.isEmpty());
        EXPECT_EQ(parts.strPathNoExt, dir.path(QStringLiteral("dump")));
    }
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(PathSplit, LookupFailureIsShownWithItsNumber) {
    const QString loop = dir.path(QStringLiteral("loop"));
    QFile::link(loop, loop);
    parts.NameFromFullPath(loop, ui);
    expectOnlyMessage(ui, QStringLiteral("NameFromFullPath"), QStringLiteral("76 Путь не найден"));
    EXPECT_TRUE(parts.strFileName.isEmpty());
}

TEST(CodePage, Cp1251AndCp866Characters) {
    // А, ё, €, and 0x98 that CP1251 leaves undefined; А, ё, ░ in CP866.
    QString ansi, oem;
    for (const int b : {0xC0, 0xB8, 0x88, 0x98, 0x41}) ansi += CodePage::ansiChar(std::uint8_t(b));
    for (const int b : {0x80, 0xF1, 0xB0}) oem += CodePage::oemChar(std::uint8_t(b));
    EXPECT_EQ(ansi, QStringLiteral("Аё€\u0098A"));
    EXPECT_EQ(oem, QStringLiteral("Аё░"));
    for (int b = 0; b < 256; ++b) {
        EXPECT_EQ(CodePage::ansiCode(CodePage::ansiChar(std::uint8_t(b))), b) << b;
    }
    EXPECT_EQ(CodePage::ansiCode(QChar(0x0431)), 225);  // б
    EXPECT_EQ(CodePage::ansiCode(QChar(0x4E2D)), '?');
    EXPECT_EQ(CodePage::toAnsi(QStringLiteral("Ю1中") + QString::fromUcs4(U"\U0001F600")),
              QByteArray("\xDE" "1??"));
}

}  // namespace
