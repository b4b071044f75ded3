#include "CodePage.h"
#include "FileAccessTestUtil.h"
#include "TempDir.h"
#include "FileLayer.h"
#include "mdGetPathParametr.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QFile>

namespace {

struct PathSplit : ::testing::Test {
    TempDir dir;
    RecordingUiServices ui;
    mdGetPathParametr parts;
    const QString d = QDir(dir.path(QString())).absolutePath() + QLatin1Char('/');
};

TEST_F(PathSplit, SplitsExistingFiles) {
    QDir(d).mkpath(QStringLiteral("my.dir"));
    const QString saved = QDir::currentPath();
    QDir::setCurrent(d);  // for the name without a folder
    const struct {
        QString path, folder, nameOnly, extension;
    } rows[] = {
        {d + "dump.bin", d, "dump", "bin"},
        {d + "dump", d, "dump", ""},
        {d + "my.dir/dump", d + "my.dir/", "dump", ""},
        {d + "a.b.c", d, "a.b", "c"},
        {d + ".hidden.bin", d, ".hidden", "bin"},
        {"dump.bin", "", "dump", "bin"},
        {"dump", "", "dump", ""},  // neither a folder nor a dot
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path.toStdString());
        QFile(row.path).open(QIODevice::WriteOnly);
        parts.NameFromFullPath(row.path, ui);
        EXPECT_EQ(parts.strFullPath, row.path);
        EXPECT_EQ(parts.strFolder, row.folder);
        EXPECT_TRUE(parts.strDisk.isEmpty());
        EXPECT_EQ(parts.strFileName, row.path.mid(row.folder.size()));
        EXPECT_EQ(parts.strNameOnly, row.nameOnly);
        EXPECT_EQ(parts.strExtension, row.extension);
        EXPECT_EQ(parts.strPathNoExt, row.folder + row.nameOnly);
    }
    QDir::setCurrent(saved);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(PathSplit, NothingFoundLeavesOnlyThePreviousPathWithoutExtension) {
    parts.NameFromFullPath(dir.write(QStringLiteral("dump.bin"), "x"), ui);
    for (const QString& path : {d + "missing.bin", d, d + "dump.bin/inner", QString()}) {
        parts.NameFromFullPath(path, ui);
        EXPECT_EQ(parts.strFullPath + parts.strFolder + parts.strFileName + parts.strNameOnly +
                      parts.strExtension,
                  QString());
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
    for (int b = 0; b < 256; ++b) EXPECT_EQ(CodePage::ansiCode(CodePage::ansiChar(std::uint8_t(b))), b) << b;
    EXPECT_EQ(CodePage::ansiCode(QChar(0x4E2D)), '?');
    EXPECT_EQ(CodePage::toAnsi(QStringLiteral("Ю1中") + QString::fromUcs4(U"\U0001F600")),
              QByteArray("\xDE" "1??"));
}

}  // namespace

namespace {

// Names that are not UTF-8 reach the system as the bytes they are, whether they came from
// a dropped URL or from the file dialog, which shows their odd bytes as U+FFFD.
TEST(FileNames, DroppedAndChosenNamesKeepTheirBytes) {
    TempDir dir;
    const QByteArray folder = FileLayer::encodeName(dir.path(QString()));
    const QString odd = FileLayer::decodeName(folder + "/a\xff" "b.bin");
    const QString lossy = QString::fromUtf8(folder + "/a\xff" "b.bin");
    const QString other = FileLayer::decodeName(folder + "/a\xfe" "b.bin");
    const QUrl url = QUrl::fromEncoded("file://" + folder.toPercentEncoding("/") + "/a%FFb.bin");
    EXPECT_EQ(FileLayer::nameFromUrl(url), odd);
    EXPECT_EQ(FileLayer::recoverDialogName(lossy), lossy) << "no such file: left as it is";
    const int fd = ::open(FileLayer::encodeName(odd).constData(), O_WRONLY | O_CREAT, 0600);
    ASSERT_GE(fd, 0);
    ::close(fd);
    EXPECT_EQ(FileLayer::recoverDialogName(lossy), odd);
    // Two names that read alike: neither is guessed.
    ::close(::open(FileLayer::encodeName(other).constData(), O_WRONLY | O_CREAT, 0600));
    EXPECT_EQ(FileLayer::recoverDialogName(lossy), lossy);
    ::unlink(FileLayer::encodeName(odd).constData());
    ::unlink(FileLayer::encodeName(other).constData());
}

}  // namespace
