#include "FileAccessTestUtil.h"
#include "FileFaults.h"
#include "TempDir.h"
#include "mRWFile.h"

#include <QFile>
#include <QFileInfo>

namespace {

struct TextFile : ::testing::Test {
    TempDir dir;
    RecordingUiServices ui;
    mRWFile file{ui};
};

TEST_F(TextFile, WritesCp1251LinesEndingInCrLfInEachMode) {
    const QString path = dir.write(QStringLiteral("dump.txt"), "old\r\n");
    file.OpenFileRW(path, 1);
    file.PutString(QStringLiteral("Адрес 0000000"));
    file.PutString(QString());
    file.PutString(QStringLiteral("ёЖ€"));
    EXPECT_EQ(file.Item(), 3);
    file.CloseFile();
    EXPECT_EQ(file.Item(), 0);
    const QByteArray expected = "old\r\n\xC0\xE4\xF0\xE5\xF1 0000000\r\n\r\n\xB8\xC6\x88\r\n";
    EXPECT_EQ(TempDir::read(path), expected);
    EXPECT_EQ(file.Size(), expected.size());
    EXPECT_EQ(file.Name(), QStringLiteral("dump.txt"));
    EXPECT_EQ(file.DateFile(), QFileInfo(path).lastModified().date());
    EXPECT_EQ(file.TimeFile().toString(), QFileInfo(path).lastModified().time().toString());

    file.OpenFileRW(path, 2);  // emptied first
    file.PutString(QStringLiteral("new"));
    file.CloseFile();
    EXPECT_EQ(TempDir::read(path), QByteArray("new\r\n"));
    EXPECT_EQ(file.Error(), 0);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(TextFile, ReadsLinesUntilTheEnd) {
    const QString path = dir.write(QStringLiteral("in.txt"), "one\r\n\xE4\xE2\xE0\ntwo\rlast");
    file.OpenFileRW(path, 0);
    for (const char* line : {"one", "два", "two", "last"}) EXPECT_EQ(file.GetString(), QString::fromUtf8(line));
    EXPECT_EQ(file.Item(), 4);
    EXPECT_TRUE(file.GetString().isEmpty());
    EXPECT_EQ(file.Error(), -2);
    QFile::remove(path);  // gone while reading: the path is emptied, quietly
    EXPECT_TRUE(file.GetString().isEmpty());
    EXPECT_EQ(file.Error(), -6);
    EXPECT_TRUE(file.Path().isEmpty());
    EXPECT_FALSE(file.DateFile().isValid());
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(TextFile, FailuresAndTheirMessages) {
    const QString notFound = QStringLiteral("Файл по указанному пути не найден.");
    // Other codes show the system's description alone, without the number.
    const struct {
        std::function<void()> call;
        int code;
        QString text;
    } rows[] = {
        {[&] { file.OpenFileRW(dir.path(QStringLiteral("missing.txt")), 0); }, -1, notFound},
        {[&] { file.OpenFileRW(QString(), 2); }, -1, notFound},
        {[&] { file.PutString(QStringLiteral("x")); }, -1, notFound},
        {[&] { file.GetString(); }, -6, QStringLiteral("Файл не указан.")},
        {[&] { file.Delete(); }, -1, notFound},
        {[&] { file.OpenFileRW(dir.path(QString()), 2); }, 75, QStringLiteral("Ошибка доступа к пути или файлу")},
        {[&] { file.OpenFileRW(dir.path(QStringLiteral("no/dump.txt")), 1); }, 53, QStringLiteral("Файл не найден")},
        {[&] { file.OpenFileRW(dir.path(QStringLiteral("empty.txt")), 2); file.CloseFile(); }, -5, kEmptyFile},
    };
    for (const auto& row : rows) {
        file.OpenFileRW(QString(), 0);  // leaves the path empty
        ui.clear();
        row.call();
        EXPECT_EQ(file.Error(), row.code);
        expectOnlyMessage(ui, QStringLiteral("mRWFile"), row.text);
    }
}

TEST_F(TextFile, SecondOpenIsRefusedAndKeepsTheOpenFile) {
    const QString path = dir.path(QStringLiteral("dump.txt"));
    file.OpenFileRW(path, 2);
    file.PutString(QStringLiteral("a"));
    file.OpenFileRW(dir.path(QStringLiteral("other.txt")), 2);
    EXPECT_EQ(file.Error(), -4);
    expectOnlyMessage(ui, QStringLiteral("mRWFile"),
                      QStringLiteral("Оди файл уже открыт. Нельзя открыть более одного файла."));
    EXPECT_EQ(file.Path(), path);
    EXPECT_EQ(file.Item(), 1);
    file.PutString(QStringLiteral("b"));
    file.CloseFile();
    EXPECT_EQ(TempDir::read(path), QByteArray("a\r\nb\r\n"));
}

TEST_F(TextFile, DiskFullShowsRightAfterTheLineThatFailed) {
    const QString path = dir.path(QStringLiteral("dump.txt"));
    file.MsgTitle(QStringLiteral("Bivex"));
    file.OpenFileRW(path, 2);
    file.PutString(QStringLiteral("first"));
    {
        ScopedFileFault full({FileLayer::Op::Write, 1, ENOSPC, 3, true});
        file.PutString(QStringLiteral("second"));
        EXPECT_EQ(file.Error(), 61);
        expectOnlyMessage(ui, QStringLiteral("Bivex"), kDiskFull);
        EXPECT_EQ(file.Item(), 1);
    }
    file.CloseFile();
    EXPECT_EQ(file.Error(), 0);
    EXPECT_EQ(TempDir::read(path), QByteArray("first\r\nsec"));
}

TEST_F(TextFile, DeleteRemovesTheFileAndEmptiesTheObject) {
    const QString path = dir.write(QStringLiteral("dump.txt"), "a\r\n");
    file.OpenFileRW(path, 1);
    file.CloseFile();
    file.Delete();
    EXPECT_EQ(file.Error(), 0);
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(file.Path().isEmpty());
    EXPECT_EQ(file.Size(), 0);
    EXPECT_FALSE(file.DateFile().isValid());
    EXPECT_TRUE(ui.messages.empty());
}

}  // namespace
