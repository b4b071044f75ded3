#include "FileAccessTestUtil.h"
#include "FileFaults.h"
#include "mRWFile.h"

#include <QFile>
#include <QFileInfo>

#include <functional>

namespace {

struct TextFile : ::testing::Test {
    TempDir dir;
    RecordingUiServices ui;
    mRWFile file{ui};
};

TEST_F(TextFile, WritesCp1251LinesEndingInCrLfInEachModeAndDeletes) {
    const QString path = dir.write(QStringLiteral("dump.txt"), "old\r\n");
    file.OpenFileRW(path, 1);  // appends
    for (const QString& line : {QStringLiteral("Адрес 0000000"), QString(), QStringLiteral("ёЖ€")})
        file.PutString(line);
    EXPECT_EQ(file.Item(), 3);
    file.CloseFile();
    EXPECT_EQ(file.Item(), 0);
    const QByteArray expected = "old\r\n\xC0\xE4\xF0\xE5\xF1 0000000\r\n\r\n\xB8\xC6\x88\r\n";
    EXPECT_EQ(TempDir::read(path), expected);
    EXPECT_EQ(file.Size(), expected.size());
    EXPECT_EQ(file.Name(), QStringLiteral("dump.txt"));
    EXPECT_EQ(file.DateFile(), QFileInfo(path).lastModified().date());
    EXPECT_EQ(file.TimeFile().toString(), QFileInfo(path).lastModified().time().toString());
    EXPECT_TRUE(ui.messages.empty());

    file.OpenFileRW(path, 2);  // emptied first
    file.PutString(QStringLiteral("new"));
    // A second open is refused and the open file stays the one written to.
    file.OpenFileRW(dir.path(QStringLiteral("other.txt")), 2);
    EXPECT_EQ(file.Error(), -4);
    expectOnlyMessage(ui, QStringLiteral("mRWFile"), kAlreadyOpen);
    EXPECT_EQ(file.Item(), 1);
    file.PutString(QStringLiteral("b"));
    file.CloseFile();
    EXPECT_EQ(file.Error(), 0);
    EXPECT_EQ(TempDir::read(path), QByteArray("new\r\nb\r\n"));
    EXPECT_FALSE(QFile::exists(dir.path(QStringLiteral("other.txt"))));

    file.Delete();
    EXPECT_EQ(file.Error(), 0);
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(file.Path().isEmpty());
    EXPECT_EQ(file.Size(), 0);
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
    // Codes of the system show its description alone, without the number.
    const struct {
        std::function<void()> call;
        int code;
        QString text;
    } rows[] = {
        {[&] { file.OpenFileRW(dir.path(QStringLiteral("missing.txt")), 0); }, -1, notFound},
        {[&] { file.PutString(QStringLiteral("x")); }, -1, notFound},
        {[&] { file.Delete(); }, -1, notFound},
        {[&] { file.GetString(); }, -6, QStringLiteral("Файл не указан.")},
        {[&] { file.OpenFileRW(dir.path(QString()), 2); }, 75, QStringLiteral("Это папка, а не файл")},
        {[&] { file.OpenFileRW(dir.path(QStringLiteral("no/dump.txt")), 1); }, 76, QStringLiteral("Путь не найден")},
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

}  // namespace
