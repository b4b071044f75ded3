#include "FileAccessTestUtil.h"
#include "TempDir.h"
#include "mRWByt.h"

#include <QDateTime>
#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct BinaryFile : ::testing::Test {
    TempDir dir;
    RecordingUiServices ui;
    mRWByt file{ui};
};

TEST_F(BinaryFile, PathDescribesTheFile) {
    const QString path = dir.pattern(QStringLiteral("data.bin"), 300);
    const std::int64_t when = QDateTime(QDate(2026, 12, 6), QTime(7, 5, 9)).toSecsSinceEpoch();
    const timespec times[2] = {{when, 0}, {when, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
    file.Path(path);
    EXPECT_EQ(file.Error(), 0);
    EXPECT_EQ(file.Size(), 300);
    EXPECT_EQ(file.Name(), QStringLiteral("data.bin"));
    EXPECT_EQ(file.DateText(), QStringLiteral("06.12.2026"));
    EXPECT_EQ(file.TimeText(), QStringLiteral("07:05:09"));
    EXPECT_EQ(file.DateFile(), QDate(2026, 12, 6));
    EXPECT_EQ(file.TimeFile(), QTime(7, 5, 9));
    EXPECT_EQ(file.FileAttr(), 0);
    // Read-only by the mode bits (so also under root), hidden by the leading dot; a dot
    // file is an ordinary file.
    const std::pair<const char*, int> attributes[] = {{"ro", 1}, {".hidden", 2}, {".both", 3}};
    for (const auto& [name, code] : attributes) {
        const QString other = dir.pattern(QString::fromLatin1(name), 4);
        if (code & 1) TempDir::makeReadOnly(other);
        file.Path(other);
        EXPECT_EQ(file.FileAttr(), code) << name;
        EXPECT_EQ(file.Size(), 4);
    }
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(BinaryFile, EmptyPathResetsAndRefusesEveryOperation) {
    file.MsgTitle(QStringLiteral("Bivex"));
    file.Path(dir.pattern(QStringLiteral("a.bin"), 10));
    file.Path(QString());
    EXPECT_EQ(file.Size(), 0);
    EXPECT_TRUE(file.Name().isEmpty());
    EXPECT_EQ(file.FileAttr(), 0);
    EXPECT_LE(qAbs(QDateTime::fromString(file.DateText() + ' ' + file.TimeText(),
                                         QStringLiteral("dd.MM.yyyy HH:mm:ss"))
                       .secsTo(QDateTime::currentDateTime())), 2);
    EXPECT_FALSE(file.DateFile().isValid());
    const std::function<int()> operations[] = {
        [&] { return file.GetByt(1); },
        [&] { return file.PutByt(1, 1); },
        [&] { return file.AddByt(1, 1); },
        [&] { file.OpenFileRW(); return -1; },
    };
    for (const auto& operation : operations) {
        ui.clear();
        EXPECT_EQ(operation(), -1);
        EXPECT_EQ(file.Error(), -1);
        expectOnlyMessage(ui, QStringLiteral("Bivex"), kNoPath);
    }
    EXPECT_FALSE(file.IsOpen());
}

TEST_F(BinaryFile, EmptyFileSetsLengthOnlyAndReportsIt) {
    file.Path(dir.pattern(QStringLiteral("before.bin"), 10));
    const QString date = file.DateText();
    file.Path(dir.write(QStringLiteral("empty.bin"), QByteArray()));
    EXPECT_EQ(file.Error(), -5);
    EXPECT_EQ(file.Size(), 0);
    EXPECT_EQ(file.Name(), QStringLiteral("before.bin"));
    EXPECT_EQ(file.DateText(), date);
    expectOnlyMessage(ui, QStringLiteral("mRWByt"), kEmptyFile);
}

TEST_F(BinaryFile, MissingFileOrDirectoryChangesOnlyThePath) {
    file.Path(dir.path(QStringLiteral("missing.bin")));
    EXPECT_EQ(file.Size(), 0);
    EXPECT_TRUE(file.DateText().isEmpty());
    EXPECT_FALSE(file.DateFile().isValid());
    // A new file: opening creates it, and bytes can be added.
    file.OpenFileRW();
    EXPECT_EQ(file.AddByt(0x41, 1), 0);
    file.CloseFile();
    EXPECT_EQ(TempDir::read(dir.path(QStringLiteral("missing.bin"))), QByteArray("A"));
    file.Path(dir.pattern(QStringLiteral("a.bin"), 10));
    file.Path(dir.path(QString()));  // the folder itself
    EXPECT_EQ(file.Size(), 10);
    EXPECT_EQ(file.Name(), QStringLiteral("a.bin"));
    EXPECT_TRUE(ui.messages.empty());
    file.OpenFileRW();
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.Error(), 75);
    expectOnlyMessage(ui, QStringLiteral("mRWByt"),
                      QStringLiteral("Error №75.     Ошибка доступа к пути или файлу"));
    file.MsgView(false);  // the same code, without the box
    file.OpenFileRW();
    EXPECT_EQ(file.Error(), 75);
    EXPECT_EQ(ui.messages.size(), 1u);
}

TEST_F(BinaryFile, FileRemovedBeforeOpening) {
    // A file that existed when its path was assigned and has gone since is reported once
    // as not found, for writing as for reading; it is not replaced by an empty file.
    for (const bool readOnly : {false, true}) {
        ui.clear();
        const QString path = dir.pattern(readOnly ? QStringLiteral("ro.bin") : QStringLiteral("gone.bin"), 10);
        if (readOnly) TempDir::makeReadOnly(path);
        file.Path(path);
        QFile::remove(path);
        file.OpenFileRW();
        EXPECT_FALSE(file.IsOpen());
        EXPECT_EQ(file.Error(), 53);
        expectOnlyMessage(ui, QStringLiteral("mRWByt"), QStringLiteral("Error №53.     Файл не найден"));
        EXPECT_FALSE(QFile::exists(path));
    }
}

TEST_F(BinaryFile, PositionsValuesAndAppending) {
    const QByteArray bytes = TempDir::patternBytes(300);
    const QString path = dir.write(QStringLiteral("a.bin"), bytes);
    file.Path(path);
    file.OpenFileRW();
    EXPECT_EQ(file.GetByt(1), quint8(bytes[0]));
    EXPECT_EQ(file.GetByt(300), quint8(bytes[299]));
    for (const std::int64_t item : {std::int64_t(0), std::int64_t(301)}) {
        EXPECT_EQ(file.GetByt(item), -1);
        EXPECT_EQ(file.Error(), -2);
        EXPECT_EQ(file.PutByt(1, item), -1);
        EXPECT_EQ(file.Error(), -2);
    }
    EXPECT_EQ(file.AddByt(1, 0), -1);
    EXPECT_EQ(file.Error(), -2);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(file.PutByt(256, 1), -1);
    EXPECT_EQ(file.Error(), -3);
    expectOnlyMessage(ui, QStringLiteral("mRWByt"),
                      QStringLiteral("Недопустимое значение. Байт может принимать значение от 0 до 255."));
    EXPECT_EQ(file.AddByt(-1, 301), -1);
    EXPECT_EQ(file.Error(), -3);
    // AddByt appends and extends; Size waits for the next Path.
    EXPECT_EQ(file.AddByt(0xAA, 301), 0);
    EXPECT_EQ(file.AddByt(0xBB, 310), 0);
    file.CloseFile();
    EXPECT_EQ(file.Size(), 300);
    EXPECT_EQ(TempDir::read(path), bytes + '\xAA' + QByteArray(8, '\0') + '\xBB');
    file.Path(path);
    EXPECT_EQ(file.Size(), 310);
}

TEST_F(BinaryFile, BytesNeedExactlyOneOpening) {
    const QString path = dir.pattern(QStringLiteral("a.bin"), 10);
    file.MsgTitle(QStringLiteral("Bivex"));
    file.Path(path);
    EXPECT_EQ(file.GetByt(1), -1);
    EXPECT_EQ(file.Error(), 52);
    expectOnlyMessage(ui, QStringLiteral("Bivex"), kBadHandle);
    ui.clear();
    file.OpenFileRW();
    file.OpenFileRW();
    EXPECT_EQ(file.Error(), -4);
    expectOnlyMessage(ui, QStringLiteral("Bivex"),
                      QStringLiteral("Оди файл уже открыт. Нельзя открыть более одного файла."));
    EXPECT_EQ(file.PutByt(0x11, 2), 0);
    file.CloseFile();
    EXPECT_EQ(file.Error(), 0);
    EXPECT_EQ(TempDir::read(path)[1], '\x11');
}

TEST_F(BinaryFile, ReadOnlyFileReadsButRefusesEachWriteAtOnce) {
    const QString path = dir.pattern(QStringLiteral("ro.bin"), 10);
    TempDir::makeReadOnly(path);
    file.Path(path);
    file.OpenFileRW();
    EXPECT_EQ(file.GetByt(3), quint8(TempDir::patternBytes(10)[2]));
    const std::uint8_t data[2] = {1, 2};
    const std::function<int()> writes[] = {
        [&] { return file.PutByt(0, 1); },
        [&] { return file.AddByt(0, 11); },
        [&] { return file.WriteSpan(1, data, 2); },
        [&] { return file.FillSpan(1, 10, 0); },
    };
    for (const auto& write : writes) {
        ui.clear();
        EXPECT_EQ(write(), -1);
        EXPECT_EQ(file.Error(), 52);
        expectOnlyMessage(ui, QStringLiteral("mRWByt"), kBadHandle);
    }
    ui.clear();
    file.CloseFile();
    EXPECT_EQ(file.Error(), 0);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(TempDir::read(path), TempDir::patternBytes(10));
}

// Positions beyond 2 GiB and 4 GiB: the length and the last byte are the true ones.
TEST_F(BinaryFile, SparseFileOfThreeGibibytes) {
    const QString path = dir.write(QStringLiteral("big.bin"), QByteArray());
    const std::int64_t size = 3LL << 30;
    ASSERT_EQ(::truncate(QFile::encodeName(path).constData(), size), 0);
    file.Path(path);
    EXPECT_EQ(file.Size(), size);
    file.OpenFileRW();
    EXPECT_EQ(file.GetByt(size), 0);
    EXPECT_EQ(file.PutByt(0xAB, size), 0);
    EXPECT_EQ(file.PutByt(0xCD, (5LL << 29) + 1), 0);
    EXPECT_EQ(file.GetByt(size), 0xAB);
    file.CloseFile();
    EXPECT_TRUE(ui.messages.empty());
    QFile check(path);
    ASSERT_TRUE(check.open(QIODevice::ReadOnly));
    EXPECT_EQ(check.size(), size);
    check.seek(size - 2);
    EXPECT_EQ(check.read(2), QByteArray("\0\xAB", 2));
    check.seek(5LL << 29);
    EXPECT_EQ(check.read(1), QByteArray("\xCD"));
}

}  // namespace
