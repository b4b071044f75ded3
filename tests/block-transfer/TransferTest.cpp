// The three transfers against the byte-at-a-time results, and what they do when a file
// is read-only, gone, replaced, or the disk fills up half way.
#include "BlockTransfer.h"

#include "FileFaults.h"
#include "RecordingUiServices.h"
#include "TempDir.h"

#include <QFile>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <sys/resource.h>
#include <csignal>
#include <functional>
#include <vector>

using namespace BlockTransfer;

namespace {

constexpr qint64 KiB = 1024;

const QString kEmpty = QStringLiteral("Файл пустой и не содержит ни одного байта данных.");
const QString kMissing = QStringLiteral("Error №53.     Файл не найден");
const QString kDiskFull = QStringLiteral("Нет места на диске. Воспользуйтесь другим диском большего объёма.");
const QString kBeyondSource = QStringLiteral("Конечный адрес блока превышает конец файла-источника.");
const QString kTooLong = QStringLiteral("Конечный адрес блока превышает конец файла-приёмника.");
const QString kTargetReadOnly = QStringLiteral("Файл-приёмник предназначен только для чтения!");
const QString kFileReadOnly = QStringLiteral("Файл предназначен только для чтения!");

struct RecordedProgress : Progress {
    double maximum = -1;
    std::vector<double> values;
    void setMaximum(double m) override { maximum = m; }
    void advance(double v) override { values.push_back(v); }
};

// Another pattern than TempDir's, so a block never equals what it lands on by chance.
QByteArray otherBytes(qint64 size) {
    QByteArray bytes(size, Qt::Uninitialized);
    for (qint64 a = 0; a < size; ++a) bytes[a] = char((a * 13 + a / 251 + 0x55) % 256);
    return bytes;
}

// ---- What a copy one byte at a time leaves in the target ----
QByteArray savedBytes(const QByteArray& source, QByteArray target, qint64 start, qint64 end) {
    const QByteArray block = source.mid(start, end - start + 1);
    if (target.size() < block.size()) target.resize(block.size());
    return target.replace(0, block.size(), block);
}
QByteArray loadedBytes(const QByteArray& source, QByteArray target, qint64 start) {
    return target.replace(start, source.size(), source);
}
QByteArray filledBytes(QByteArray target, qint64 start, qint64 end, char value) {
    if (target.size() < end + 1) target.append(QByteArray(end + 1 - target.size(), '\0'));
    return target.replace(start, end - start + 1, QByteArray(end - start + 1, value));
}

enum class Op { Save, Load, Fill };

struct Row {
    const char* name;
    Op op;
    qint64 sourceSize;  // Fill: unused
    qint64 targetSize;  // -1: the target does not exist
    qint64 start;
    qint64 end;         // Load: unused
    qint64 chunk;
    Outcome outcome = Outcome::Done;
    QStringList messages = {};
};

class Transfers : public ::testing::TestWithParam<Row> {
protected:
    TempDir dir;
    RecordingUiServices ui;
    RecordedProgress progress;
};

TEST_P(Transfers, LeaveTheBytesOfAByteByByteCopy) {
    const Row& row = GetParam();
    const QByteArray source = TempDir::patternBytes(row.sourceSize);
    const QString sourcePath = dir.write(QStringLiteral("source.bin"), source);
    const QByteArray before = row.targetSize < 0 ? QByteArray() : otherBytes(row.targetSize);
    const QString targetPath = dir.path(QStringLiteral("target.bin"));
    if (row.targetSize >= 0) dir.write(QStringLiteral("target.bin"), before);
    const Pace pace{row.chunk, row.chunk, std::chrono::milliseconds(0)};

    Outcome outcome;
    QByteArray expected;
    switch (row.op) {
    case Op::Save:
        outcome = subCopyToFile(ui, sourcePath, targetPath, row.start, row.end, progress, pace);
        expected = savedBytes(source, before, row.start, row.end);
        break;
    case Op::Load:
        outcome = subCopyFromFile(ui, sourcePath, targetPath, FileIdentity::ofPath(targetPath), before.size(),
                                  row.start, progress, pace);
        expected = loadedBytes(source, before, row.start);
        break;
    case Op::Fill:
        outcome = subFillNewFile(ui, targetPath, row.start, row.end, 0xA5, progress, pace);
        expected = filledBytes(before, row.start, row.end, char(0xA5));
        break;
    }
    if (row.outcome == Outcome::DoesNotFit) expected = before;
    EXPECT_EQ(outcome, row.outcome);
    EXPECT_EQ(ui.messageTexts(), row.messages);
    const QByteArray after = TempDir::read(targetPath);
    ASSERT_EQ(after.size(), expected.size());
    EXPECT_TRUE(after == expected) << "the bytes differ";
    EXPECT_EQ(TempDir::read(sourcePath), source);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Transfers,
    ::testing::Values(
        Row{"SaveWholeFileToNewFile", Op::Save, 0x1000, -1, 0, 0xFFF, 1 << 20},
        Row{"SaveTwoBytes", Op::Save, 0x1000, -1, 0x10, 0x11, 1 << 20},
        Row{"SaveSixteenBytesOverLongerFileKeepsItsTail", Op::Save, 0x1000, 100, 0x20, 0x2F, 1 << 20},
        Row{"SaveOverLongerFileInOddChunks", Op::Save, 600 * KiB + 5, 700 * KiB, 3, 600 * KiB + 4, 7 * KiB + 3},
        Row{"SaveAcrossCacheWindowsInBigChunks", Op::Save, 600 * KiB + 5, 100, 77, 600 * KiB, 300 * KiB},
        Row{"SaveByteByByte", Op::Save, 600, 10, 5, 580, 1},
        Row{"SaveBeyondAShortenedSourceWritesNothing", Op::Save, 50, 20, 0, 50, 1 << 20, Outcome::DoesNotFit, {kBeyondSource}},
        Row{"SaveIntoEmptyFileSaysSoAndFillsIt", Op::Save, 300, 0, 0, 299, 64, Outcome::Done, {kEmpty}},
        Row{"LoadSixteenBytesAtEnd", Op::Load, 16, 256, 0xF0, 0, 1 << 20},
        Row{"LoadOneByteTooFarWritesNothing", Op::Load, 16, 256, 0xF1, 0, 1 << 20, Outcome::DoesNotFit, {kTooLong}},
        Row{"LoadWholeFileAtZero", Op::Load, 256, 256, 0, 0, 1 << 20},
        Row{"LoadAcrossCacheWindowsInOddChunks", Op::Load, 300 * KiB + 9, 700 * KiB, 256 * KiB - 3, 0, 5 * KiB + 1},
        Row{"LoadInBigChunks", Op::Load, 600 * KiB, 600 * KiB + 1, 1, 0, 512 * KiB},
        Row{"LoadEmptySourceCopiesNothing", Op::Load, 0, 256, 0x10, 0, 1 << 20, Outcome::Done, {kEmpty}},
        Row{"FillNewFileWholly", Op::Fill, 0, -1, 0, 0xFF, 1 << 20},
        Row{"FillNewFileLeavesZerosBeforeStart", Op::Fill, 0, -1, 0x10, 0x1F, 1 << 20},
        Row{"FillStartOfLongerFileKeepsItsLength", Op::Fill, 0, 100, 0, 9, 1 << 20},
        Row{"FillPastEndOfExistingFile", Op::Fill, 0, 100, 90, 109, 3},
        Row{"FillLargeRangeInOddChunks", Op::Fill, 0, 300 * KiB, 100 * KiB + 1, 900 * KiB + 7, 33 * KiB + 5},
        Row{"FillEmptyFileSaysSoAndFillsIt", Op::Fill, 0, 0, 4, 8, 1 << 20, Outcome::Done, {kEmpty}}),
    [](const auto& info) { return std::string(info.param.name); });

// The bar shows what a byte loop that updates every 257 bytes would show: the position of
// the byte that completed the last group (of the source for a save, of the block for a
// load).
TEST(TransferProgress, ShowsThePositionsOfEvery257thByte) {
    TempDir dir;
    RecordingUiServices ui;
    const QString source = dir.pattern(QStringLiteral("source.bin"), 5000);
    const QString target = dir.pattern(QStringLiteral("target.bin"), 5000);
    const Pace everyChunk{1000, 1000, std::chrono::milliseconds(0)};
    RecordedProgress save, load, quick;
    subCopyToFile(ui, source, dir.path(QStringLiteral("block.bin")), 3, 4999, save, everyChunk);
    subCopyFromFile(ui, source, target, FileIdentity::ofPath(target), 5000, 0, load, everyChunk);
    EXPECT_EQ(save.maximum, 5000);
    EXPECT_EQ(save.values, (std::vector<double>{3 + 771, 3 + 1799, 3 + 2827, 3 + 3855, 3 + 4883}));
    EXPECT_EQ(load.values, (std::vector<double>{771, 1799, 2827, 3855, 4883}));
    // At the usual pace a quick copy shows nothing before it ends.
    subCopyToFile(ui, source, dir.path(QStringLiteral("quick.bin")), 0, 4999, quick);
    EXPECT_TRUE(quick.values.empty());
    EXPECT_TRUE(ui.messages.empty());
}

class TransferFailures : public ::testing::Test {
protected:
    // Exactly one message was shown: this one, with its title and icon.
    void expectOneMessage(const QString& title, const QString& text, MessageIcon icon) {
        ASSERT_EQ(ui.messages.size(), 1u) << ui.messageTexts().join(QLatin1Char('|')).toStdString();
        EXPECT_EQ(ui.messages[0].title, title);
        EXPECT_EQ(ui.messages[0].text, text);
        EXPECT_EQ(ui.messages[0].icon, icon);
        EXPECT_EQ(ui.messages[0].buttons, MessageButtons::Ok);
        ui.clear();
    }
    // The same, from one of the file objects.
    void expectObjectMessage(const QString& text) { expectOneMessage(QStringLiteral("mRWByt"), text, MessageIcon::Critical); }

    TempDir dir;
    RecordingUiServices ui;
    RecordedProgress progress;
    const QByteArray source = TempDir::patternBytes(3000);
    const QString sourcePath = dir.write(QStringLiteral("source.bin"), source);
};

TEST_F(TransferFailures, ReadOnlyTargetsAreRefusedWithNothingWritten) {
    const QByteArray old = otherBytes(4000);
    const QString target = dir.write(QStringLiteral("ro.bin"), old);
    TempDir::makeReadOnly(target);

    EXPECT_EQ(subCopyToFile(ui, sourcePath, target, 0, 99, progress), Outcome::ReadOnlyTarget);
    expectOneMessage(QStringLiteral("Ошибка"), kTargetReadOnly, MessageIcon::Critical);
    EXPECT_EQ(subCopyFromFile(ui, sourcePath, target, FileIdentity::ofPath(target), 4000, 0, progress),
              Outcome::ReadOnlyTarget);
    expectOneMessage(QStringLiteral("Ошибка"), kTargetReadOnly, MessageIcon::Critical);
    EXPECT_EQ(subFillNewFile(ui, target, 0, 99, 7, progress), Outcome::ReadOnlyTarget);
    expectOneMessage(QStringLiteral("Ошибка"), kFileReadOnly, MessageIcon::Critical);
    EXPECT_EQ(TempDir::read(target), old);
}

// A source or a file in view that has gone is reported once and not made again as an
// empty file; the other file is not touched.
TEST_F(TransferFailures, AFileThatHasGoneIsReportedOnceAndNotCreated) {
    const QString gone = dir.path(QStringLiteral("gone.bin"));
    const QString saved = dir.path(QStringLiteral("saved.bin"));
    EXPECT_EQ(subCopyToFile(ui, gone, saved, 0, 9, progress), Outcome::Failed);
    expectObjectMessage(kMissing);
    EXPECT_FALSE(QFile::exists(gone) || QFile::exists(saved));

    const QString inView = dir.write(QStringLiteral("view.bin"), otherBytes(256));
    const FileIdentity identity = FileIdentity::ofPath(inView);
    EXPECT_EQ(subCopyFromFile(ui, gone, inView, identity, 256, 0, progress), Outcome::Failed);
    expectObjectMessage(kMissing);
    EXPECT_FALSE(QFile::exists(gone));
    EXPECT_EQ(TempDir::read(inView), otherBytes(256));
    // A pipe or a device has no length to load: one message as well, and nothing written.
    const QString fifo = dir.path(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString& special : {fifo, QStringLiteral("/dev/zero"), QStringLiteral("/dev/full"), QStringLiteral("/dev/null")}) {
        SCOPED_TRACE(special.toStdString());
        EXPECT_EQ(subCopyFromFile(ui, special, inView, identity, 256, 0, progress), Outcome::Failed);
        expectObjectMessage(QStringLiteral("Error №75.     Файл-источник не является обычным файлом"));
    }
    EXPECT_EQ(TempDir::read(inView), otherBytes(256));

    // A file in view that has become shorter since is not lengthened: nothing is written.
    ASSERT_TRUE(QFile::resize(inView, 100));
    EXPECT_EQ(subCopyFromFile(ui, dir.pattern(QStringLiteral("small.bin"), 16), inView, identity, 256, 90, progress),
              Outcome::DoesNotFit);
    expectOneMessage(QStringLiteral("Ошибка"), kTooLong, MessageIcon::Warning);
    EXPECT_EQ(TempDir::read(inView), otherBytes(100));

    // Another file under the name of the file in view is not written into (the file in
    // view lives on under another name, so its inode cannot be handed out again).
    const QString away = dir.path(QStringLiteral("away.bin"));
    ASSERT_TRUE(QFile::rename(inView, away));
    dir.write(QStringLiteral("view.bin"), otherBytes(4000));
    EXPECT_EQ(subCopyFromFile(ui, sourcePath, inView, identity, 4000, 0, progress), Outcome::Failed);
    expectOneMessage(QStringLiteral("Ошибка"), QStringLiteral("Файл-приёмник заменён другим файлом. Ничего не записано."),
                     MessageIcon::Critical);
    EXPECT_EQ(TempDir::read(inView), otherBytes(4000));

    // Deleted and written anew under the same name: the file system may hand the new file
    // the inode the old one had, but not its creation time.
    const QString redone = dir.write(QStringLiteral("redone.bin"), otherBytes(4000));
    const FileIdentity redoneIdentity = FileIdentity::ofPath(redone);
    QFile::remove(redone);
    dir.write(QStringLiteral("redone.bin"), otherBytes(4000));
    EXPECT_EQ(subCopyFromFile(ui, sourcePath, redone, redoneIdentity, 4000, 0, progress), Outcome::Failed);
    expectOneMessage(QStringLiteral("Ошибка"), QStringLiteral("Файл-приёмник заменён другим файлом. Ничего не записано."),
                     MessageIcon::Critical);
    EXPECT_EQ(TempDir::read(redone), otherBytes(4000));

    QFile::remove(inView);
    EXPECT_EQ(subCopyFromFile(ui, sourcePath, inView, identity, 4000, 0, progress), Outcome::Failed);
    expectObjectMessage(kMissing);
    EXPECT_FALSE(QFile::exists(inView));
    EXPECT_EQ(TempDir::read(away), otherBytes(100));
}

TEST_F(TransferFailures, ATargetThatCannotBeWrittenIsReportedOnce) {
    const QString noFolder = dir.path(QStringLiteral("no/such/folder.bin"));
    EXPECT_EQ(subCopyToFile(ui, sourcePath, noFolder, 0, 99, progress), Outcome::Failed);
    expectObjectMessage(QStringLiteral("Error №76.     Путь не найден"));
    EXPECT_EQ(subFillNewFile(ui, noFolder, 0, 99, 1, progress), Outcome::Failed);
    expectObjectMessage(QStringLiteral("Error №76.     Путь не найден"));
    EXPECT_EQ(subCopyToFile(ui, sourcePath, dir.path(QString()), 0, 99, progress), Outcome::Failed);
    expectObjectMessage(QStringLiteral("Error №75.     Это папка, а не файл"));
}

// A read that fails, and writes that meet the file-size limit (a disk full) half way: one
// report, and the target holds the bytes written before the failure.
TEST_F(TransferFailures, AFailureHalfWayStopsAfterOneReportKeepingWhatWasWritten) {
    const Pace pace{256 * KiB, 256 * KiB, std::chrono::milliseconds(0)};
    const QByteArray big = TempDir::patternBytes(1024 * KiB);
    const QString bigSource = dir.write(QStringLiteral("big.bin"), big);
    const QString inView = dir.write(QStringLiteral("view.bin"), otherBytes(1100 * KiB));
    {
        ScopedFileFault broken({FileLayer::Op::Read, 3, EIO});
        EXPECT_EQ(subCopyFromFile(ui, bigSource, inView, FileIdentity::ofPath(inView), 1100 * KiB, 100, progress, pace),
                  Outcome::Failed);
    }
    expectObjectMessage(QStringLiteral("Диск в дисководе повреждён или не отформатирован."));
    EXPECT_EQ(TempDir::read(inView), loadedBytes(big.left(512 * KiB), otherBytes(1100 * KiB), 100));

    const QString filled = dir.path(QStringLiteral("filled.bin"));
    const QString copied = dir.path(QStringLiteral("copied.bin"));
    const QString loaded = dir.write(QStringLiteral("loaded.bin"), QByteArray(1024 * KiB, '\x11'));
    const FileIdentity loadedIdentity = FileIdentity::ofPath(loaded);
    const std::function<Outcome()> runs[] = {
        [&] { return subFillNewFile(ui, filled, 0, 1024 * KiB - 1, 0x3C, progress); },
        [&] { return subCopyToFile(ui, bigSource, copied, 0, 1024 * KiB - 1, progress); },
        [&] { return subCopyFromFile(ui, bigSource, loaded, loadedIdentity, 1024 * KiB, 0, progress); }};
    std::vector<Outcome> outcomes;
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const rlimit limit{rlim_t(600 * KiB), saved.rlim_max};
    const auto savedSignal = ::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    for (const auto& run : runs) outcomes.push_back(run());
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, savedSignal);
    EXPECT_EQ(outcomes, std::vector<Outcome>(3, Outcome::Failed));
    EXPECT_EQ(ui.messageTexts(), QStringList(3, kDiskFull));
    EXPECT_EQ(TempDir::read(filled), QByteArray(600 * KiB, '\x3C'));
    EXPECT_EQ(TempDir::read(copied), big.left(600 * KiB));
    EXPECT_EQ(TempDir::read(loaded), big.left(600 * KiB) + QByteArray(424 * KiB, '\x11'));
}

// The kernel copy stops part-way through a chunk (it copied some bytes, then failed): the
// copy through the buffer goes on from the first byte it did not copy, and the chunks
// after it use the kernel again.
TEST_F(TransferFailures, AKernelCopyCutShortIsFinishedThroughTheBuffer) {
    const Pace pace{64 * KiB, 64 * KiB, std::chrono::milliseconds(0)};
    const QByteArray big = TempDir::patternBytes(300 * KiB + 7);
    const QString bigSource = dir.write(QStringLiteral("big.bin"), big);
    const QString saved = dir.path(QStringLiteral("saved.bin"));
    for (const int nth : {1, 3}) {
        QFile::remove(saved);
        ScopedFileFault cut({FileLayer::Op::Copy, nth, EXDEV, 5000});
        EXPECT_EQ(subCopyToFile(ui, bigSource, saved, 0, big.size() - 1, progress, pace), Outcome::Done);
        EXPECT_EQ(FileLayer::faultCallsSeen(), nth + 1) << "the kernel copy was not tried";
        EXPECT_TRUE(TempDir::read(saved) == big) << "cut in copy " << nth;
    }
    // The file in view takes the kernel copy once the buffered writes before it are out.
    const QString inView = dir.write(QStringLiteral("view.bin"), otherBytes(400 * KiB));
    {
        ScopedFileFault cut({FileLayer::Op::Copy, 1, EXDEV, 5000});
        EXPECT_EQ(subCopyFromFile(ui, bigSource, inView, FileIdentity::ofPath(inView), 400 * KiB, 33, progress, pace),
                  Outcome::Done);
        EXPECT_EQ(FileLayer::faultCallsSeen(), 2) << "the kernel copy was not tried";
    }
    EXPECT_TRUE(TempDir::read(inView) == loadedBytes(big, otherBytes(400 * KiB), 33));
    EXPECT_TRUE(ui.messages.empty()) << ui.messageTexts().join('|').toStdString();
}

}  // namespace
