// The whole-file and mismatch dumps written into real files, byte for byte, and what a
// dump does when a file or the disk fails.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>

#include "DumpFormat.h"
#include "DumpSink.h"
#include "DumpTestUtil.h"
#include "DumpWriters.h"
#include "FileFaults.h"
#include "RecordingUiServices.h"
#include "TempDir.h"
#include "mRWByt.h"

using DumpFormat::Kind;

namespace {

const QDateTime kSomeTime(QDate(2026, 12, 7), QTime(9, 5, 1));  // masked in every comparison
const QString kDiskFull = QStringLiteral("Нет места на диске. Воспользуйтесь другим диском большего объёма.");

QByteArray randomBytes(qint64 size, quint32 seed) {
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator gen(seed);
    for (char& c : bytes) c = char(gen.bounded(256));
    return bytes;
}

class DumpWriters : public ::testing::Test {
protected:
    void SetUp() override {
        fileA.MsgTitle(QStringLiteral("Bivex"));
        fileB.MsgTitle(QStringLiteral("Bivex"));
    }
    // Dumps `a` (or the mismatch of `a` and `b`) into "out.txt"; returns the dump.
    QByteArray dump(const QByteArray& a, bool dos = false, const QByteArray* b = nullptr, bool showA = true) {
        fileA.Path(dir.write(QStringLiteral("a.bin"), a));
        if (b) fileB.Path(dir.write(QStringLiteral("b.bin"), *b));
        DumpFile out(ui);
        EXPECT_EQ(out.open(dir.path(QStringLiteral("out.txt")), {}), DumpFile::OpenResult::Opened);
        EXPECT_TRUE(writeDumpHeader(out, b ? Kind::Mismatch : Kind::File, 0, fileA.Name()));
        result = b ? writeMismatchDump(fileA, fileB, showA, dos, out, recordProgress())
                   : writeFileDump(fileA, dos, out, recordProgress());
        EXPECT_TRUE(out.close());
        return TempDir::read(dir.path(QStringLiteral("out.txt")));
    }
    QByteArray expected(const QByteArray& a, bool dos = false, const QByteArray* b = nullptr, bool showA = true) {
        return ExpectedDump::masked(DumpFormat::header(b ? Kind::Mismatch : Kind::File, kSomeTime, 0, fileA.Name())) +
               ExpectedDump::lines(a, dos, b, showA);
    }
    DumpProgress recordProgress() {
        return [this](std::int64_t position) { positions.push_back(position); };
    }

    RecordingUiServices ui;
    TempDir dir;
    mRWByt fileA{ui};
    mRWByt fileB{ui};
    bool result = false;
    std::vector<std::int64_t> positions;
};

}  // namespace

TEST_F(DumpWriters, WholeFileDumpsMatchTheirTextByteForByte) {
    const struct {
        const char* name;
        QByteArray bytes;
        bool dos;
    } rows[] = {
        {"empty", QByteArray(), false},
        {"17 bytes", TempDir::patternBytes(17), false},
        {"31 bytes", TempDir::patternBytes(31), false},
        {"32 bytes", TempDir::patternBytes(32), false},
        {"every byte value, DOS view", TempDir::patternBytes(256 * 3 + 5), true},
        {"control bytes", QByteArray("\x00\x09\x0A\x0B\x0C\x0D\x1B\x41\x7F\x98", 10), false},
        {"past one read chunk", randomBytes(1024 * 1024 + 37, 7), false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        positions.clear();
        ui.clear();
        const QByteArray text = dump(row.bytes, row.dos);
        // An empty file is reported by the file object when it is named, as on opening.
        EXPECT_EQ(ui.messages.size(), row.bytes.isEmpty() ? 1u : 0u);
        EXPECT_TRUE(result);
        EXPECT_EQ(ExpectedDump::masked(text), expected(row.bytes, row.dos));
        EXPECT_FALSE(fileA.IsOpen());
        ASSERT_FALSE(positions.empty());
        EXPECT_EQ(positions.back(), row.bytes.size());
    }
    // The spelled-out lines of the 17-byte file: one field, then 45 blanks before "|".
    const QByteArray text = dump(TempDir::patternBytes(17));
    EXPECT_TRUE(text.endsWith("\r\n000001     73 " + QByteArray(45, ' ') + "|s\r\n")) << text.right(80).constData();
}

TEST_F(DumpWriters, MismatchDumpsListOnlyDifferingRowsOfTheCommonLength) {
    const QByteArray base = TempDir::patternBytes(64);
    QByteArray byte5 = base;
    byte5[4] = char(0xC0);
    const QByteArray random = randomBytes(1024 * 1024 + 300, 1);
    QByteArray sprinkled = random;
    for (qint64 at : {qint64(0), qint64(17), qint64(1024 * 1024 - 1), qint64(1024 * 1024), qint64(1024 * 1024 + 299)})
        sprinkled[at] = char(~sprinkled[at]);
    const struct {
        const char* name;
        QByteArray a, b;
        bool showA;
        int dataLines;
    } rows[] = {
        {"identical, length a multiple of 16", base, base, true, 0},
        {"identical, short last row", base.left(37), base.left(37), true, 1},
        {"byte 5 differs, A in view", base, byte5, true, 1},
        {"byte 5 differs, B in view", base, byte5, false, 1},
        {"20 and 300 bytes", base.left(20), TempDir::patternBytes(300), true, 1},
        {"300 and 20 bytes, differing", byte5 + base, base.left(20), false, 2},
        {"differences around a read chunk", random, sprinkled, true, 5},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        positions.clear();
        const QByteArray text = dump(row.a, false, &row.b, row.showA);
        EXPECT_TRUE(result);
        EXPECT_EQ(ExpectedDump::masked(text), expected(row.a, false, &row.b, row.showA));
        EXPECT_EQ(text.count('\n'), 5 + row.dataLines);
        EXPECT_FALSE(fileA.IsOpen() || fileB.IsOpen());
        EXPECT_EQ(positions.back(), std::min(row.a.size(), row.b.size()));
    }
    // The line of byte 5, spelled out for both views.
    const QByteArray tail = ".. .. .. .. .. .. .. .. .. .. .. |    ";
    EXPECT_TRUE(dump(base, false, &byte5, true).endsWith("000000     .. .. .. .. 1F " + tail + "\x1F" + QByteArray(11, ' ') + "\r\n"));
    EXPECT_TRUE(dump(base, false, &byte5, false).endsWith("000000     .. .. .. .. C0 " + tail + "\xC0" + QByteArray(11, ' ') + "\r\n"));
    EXPECT_TRUE(ui.messages.empty()) << ui.messageTexts().join(u'|').toStdString();
}

// A full disk, a file-size limit or an unreadable file: one message, the dump keeps its
// header and the whole lines written before, and every file is closed again.
TEST_F(DumpWriters, FailuresStopAfterOneMessageKeepingWholeLines) {
    const QByteArray bytes = randomBytes(512 * 1024, 3);
    const QString input = dir.write(QStringLiteral("a.bin"), bytes);
    const QByteArray lines = ExpectedDump::lines(bytes, false);
    const struct {
        const char* name;
        FileLayer::Fault fault;
        qint64 limit;  // a file-size limit instead of a fault, 0 none
        QString message;
        qint64 keptLines;
    } rows[] = {
        {"disk full at the first block", {FileLayer::Op::Write, 1, ENOSPC}, 0, kDiskFull, 0},
        {"disk full within a block", {FileLayer::Op::Write, 1, ENOSPC, 78 * 100 + 30, true}, 0, kDiskFull, 100},
        {"device error", {FileLayer::Op::Write, 3, EIO}, 0,
         QStringLiteral("Диск в дисководе повреждён или не отформатирован."), -1},
        {"file-size limit", {}, 20000, kDiskFull, -2},
        {"unreadable input", {FileLayer::Op::Read, 1, EIO}, 0,
         QStringLiteral("Диск в дисководе повреждён или не отформатирован."), 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ui.clear();
        fileA.Path(input);
        DumpFile out(ui);
        ASSERT_EQ(out.open(dir.path(QStringLiteral("out.txt")), {}), DumpFile::OpenResult::Opened);
        ASSERT_TRUE(writeDumpHeader(out, Kind::File, 0, fileA.Name()));
        rlimit saved{};
        ::getrlimit(RLIMIT_FSIZE, &saved);
        const auto savedSignal = ::signal(SIGXFSZ, SIG_IGN);
        {
            std::unique_ptr<ScopedFileFault> fault;
            if (row.limit) {
                const rlimit limit{rlim_t(row.limit), saved.rlim_max};
                ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
            } else {
                fault = std::make_unique<ScopedFileFault>(row.fault);
            }
            EXPECT_FALSE(writeFileDump(fileA, false, out));
            ::setrlimit(RLIMIT_FSIZE, &saved);
        }
        ::signal(SIGXFSZ, savedSignal);
        out.close();
        ASSERT_EQ(ui.messages.size(), 1u) << ui.messageTexts().join(u'|').toStdString();
        EXPECT_EQ(ui.messages[0].title, QStringLiteral("Bivex"));
        EXPECT_EQ(ui.messages[0].text, row.message);
        EXPECT_FALSE(fileA.IsOpen());
        const QByteArray text = TempDir::read(dir.path(QStringLiteral("out.txt")));
        const QByteArray header = DumpFormat::header(Kind::File, kSomeTime, 0, QStringLiteral("a.bin"));
        EXPECT_EQ(ExpectedDump::masked(text.left(header.size())), ExpectedDump::masked(header));
        const QByteArray data = text.mid(header.size());
        EXPECT_TRUE(data.isEmpty() || data.endsWith("\r\n"));
        EXPECT_TRUE(lines.startsWith(data));
        if (row.keptLines >= 0) EXPECT_EQ(data.size(), 78 * row.keptLines);
        if (row.limit) EXPECT_EQ(text.size(), (row.limit - header.size()) / 78 * 78 + header.size());
        EXPECT_EQ(TempDir::read(input), bytes);
    }
}

// The dump never empties a file the window has loaded, however the target is spelled.
TEST_F(DumpWriters, LoadedFilesAreRefusedAsTargetsByIdentity) {
    const QString loaded = dir.write(QStringLiteral("loaded.bin"), "keep me");
    const QString other = dir.write(QStringLiteral("other.bin"), "and me");
    QDir().mkdir(dir.path(QStringLiteral("sub")));
    ASSERT_EQ(::link(QFile::encodeName(loaded).constData(), QFile::encodeName(dir.path("hard.bin")).constData()), 0);
    ASSERT_TRUE(QFile::link(loaded, dir.path(QStringLiteral("soft.bin"))));
    const struct {
        QString target;
        DumpFile::OpenResult result;
    } rows[] = {
        {loaded, DumpFile::OpenResult::LoadedFile},
        {dir.path(QStringLiteral("sub/../loaded.bin")), DumpFile::OpenResult::LoadedFile},
        {dir.path(QStringLiteral("hard.bin")), DumpFile::OpenResult::LoadedFile},
        {dir.path(QStringLiteral("soft.bin")), DumpFile::OpenResult::LoadedFile},
        {other, DumpFile::OpenResult::LoadedFile},
        {dir.path(QStringLiteral("new.txt")), DumpFile::OpenResult::Opened},
        {dir.path(QStringLiteral("sub")), DumpFile::OpenResult::Failed},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.target.toStdString());
        ui.clear();
        DumpFile out(ui);
        EXPECT_EQ(out.open(row.target, {QString(), loaded, other}), row.result);
        EXPECT_EQ(ui.messages.size(), row.result == DumpFile::OpenResult::Failed ? 1u : 0u);
        EXPECT_EQ(isLoadedFile(row.target, {loaded, other}), row.result == DumpFile::OpenResult::LoadedFile);
    }
    EXPECT_EQ(TempDir::read(loaded), "keep me");
    EXPECT_EQ(TempDir::read(other), "and me");
    EXPECT_TRUE(QFileInfo(dir.path(QStringLiteral("new.txt"))).isFile());
}

// Standard output, or any descriptor, takes the same dump.
TEST_F(DumpWriters, ADescriptorTakesTheSameDump) {
    const QByteArray bytes = TempDir::patternBytes(300);
    fileA.Path(dir.write(QStringLiteral("a.bin"), bytes));
    QFile target(dir.path(QStringLiteral("fd.txt")));
    ASSERT_TRUE(target.open(QIODevice::WriteOnly));
    DumpFile out(ui);
    out.attach(target.handle());
    EXPECT_TRUE(writeDumpHeader(out, Kind::File, 0, fileA.Name()) && writeFileDump(fileA, false, out));
    EXPECT_TRUE(out.close());
    target.close();
    EXPECT_EQ(ExpectedDump::masked(TempDir::read(target.fileName())), expected(bytes));
}
