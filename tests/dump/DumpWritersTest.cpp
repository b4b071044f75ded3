// The whole-file and mismatch dumps written into real files, byte for byte, and what a
// dump does when a file or the disk fails.
#include <gtest/gtest.h>

#include <QDir>
#include <QRandomGenerator>

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <optional>
#include <thread>

#include "DumpMessages.h"
#include "DumpTestUtil.h"
#include "DumpWriters.h"
#include "FileFaults.h"
#include "RecordingUiServices.h"
#include "TempDir.h"
#include "mRWByt.h"
#include "mRWFile.h"

namespace {

QByteArray randomBytes(qint64 size, quint32 seed) {
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator gen(seed);
    for (char& c : bytes) c = char(gen.bounded(256));
    return bytes;
}

class DumpWriters : public ::testing::Test {
protected:
    void SetUp() override { fileA.MsgTitle(QStringLiteral("Bivex")); }
    // Header and data lines of `a` (or of the mismatch of `a` and `b`) dumped into a file.
    // With `sparse`, blocks of zeros are left as holes.
    QByteArray dump(const QByteArray& a, bool dos = false, const QByteArray* b = nullptr, bool showA = true, bool sparse = false) {
        const auto write = [&](const QString& name, const QByteArray& bytes) { return sparse ? dir.writeSparse(name, bytes) : dir.write(name, bytes); };
        fileA.Path(write(QStringLiteral("a.bin"), a));
        if (b) fileB.Path(write(QStringLiteral("b.bin"), *b));
        mRWFile out(ui);
        EXPECT_EQ(out.OpenDump(dir.path(QStringLiteral("out.txt")), {}), mRWFile::DumpTarget::Opened);
        EXPECT_TRUE(writeDumpHeader(out, b ? DumpFormat::Kind::Mismatch : DumpFormat::Kind::File, 0, fileA.Name()));
        const auto progress = [this](std::int64_t position) { lastProgress = position; };
        EXPECT_TRUE(b ? writeMismatchDump(fileA, fileB, showA, dos, out, progress) : writeFileDump(fileA, dos, out, progress));
        out.CloseFile();
        EXPECT_EQ(out.Error(), 0);
        EXPECT_FALSE(fileA.IsOpen() || fileB.IsOpen());
        EXPECT_EQ(lastProgress, b ? std::min(a.size(), b->size()) : a.size());
        return TempDir::read(dir.path(QStringLiteral("out.txt")));
    }

    RecordingUiServices ui;
    TempDir dir;
    mRWByt fileA{ui};
    mRWByt fileB{ui};
    std::int64_t lastProgress = -1;
};

}  // namespace

TEST_F(DumpWriters, WholeFileDumpsMatchTheirTextByteForByte) {
    const struct {
        QByteArray bytes;
        bool dos;
    } rows[] = {{TempDir::patternBytes(17), false}, {TempDir::patternBytes(31), false}, {TempDir::patternBytes(32), false},
                {TempDir::patternBytes(800), true}, {QByteArray("\x00\x09\x0A\x0B\x0C\x0D\x1B\x41\x7F\x98", 10), false},
                {randomBytes(1024 * 1024 + 37, 7), false}};
    for (const auto& row : rows) {
        QByteArray data;
        EXPECT_EQ(ExpectedDump::header(dump(row.bytes, row.dos), &data), ExpectedDump::header(DumpFormat::Kind::File, "a.bin"));
        EXPECT_EQ(data, ExpectedDump::lines(row.bytes, row.dos)) << row.bytes.size() << " bytes";
    }
    EXPECT_TRUE(ui.messages.empty()) << ui.messageTexts().join(u'|').toStdString();
    EXPECT_TRUE(dump(rows[0].bytes).endsWith("\r\n000001     73 " + QByteArray(45, ' ') + "|s\r\n"));
}

TEST_F(DumpWriters, MismatchDumpsListTheDifferingRowsOfTheCommonLength) {
    const QByteArray base = TempDir::patternBytes(64);
    QByteArray byte5 = base;
    byte5[4] = char(0xC0);
    const QByteArray random = randomBytes(1024 * 1024 + 300, 1);
    QByteArray sprinkled = random;
    for (qint64 at : {0, 17, 1024 * 1024 - 1, 1024 * 1024, 1024 * 1024 + 299}) sprinkled[at] = char(~sprinkled[at]);
    // Mostly holes, as in a disk image: differences where only one file has data, on the
    // border of two steps, and a last, shorter row that both files lack.
    QByteArray holesA(4 * 65536 + 9, '\0');
    holesA.replace(4096, 4096, random.left(4096));
    holesA.replace(65536 - 4096, 8192, random.mid(4096, 8192));
    QByteArray holesB = holesA;
    for (qint64 at : {4095, 8192, 65535, 65536, 3 * 65536 + 5}) holesB[at] = char(~holesB[at]);
    const struct {
        QByteArray a, b;
        bool showA;
        int lines;
        bool sparse = false;
    } rows[] = {
        {base, base, true, 0},  {base.left(37), base.left(37), true, 1}, {base, byte5, true, 1}, {base, byte5, false, 1},
        {base.left(20), TempDir::patternBytes(300), true, 1}, {byte5 + base, base.left(20), false, 2},
        {random, sprinkled, true, 5}, {holesA, holesB, true, 6, true},
    };
    for (const auto& row : rows) {
        QByteArray data;
        EXPECT_EQ(ExpectedDump::header(dump(row.a, false, &row.b, row.showA, row.sparse), &data),
                  ExpectedDump::header(DumpFormat::Kind::Mismatch, "a.bin"));
        EXPECT_EQ(data, ExpectedDump::lines(row.a, false, &row.b, row.showA)) << row.a.size() << " and " << row.b.size();
        EXPECT_EQ(data.count('\n'), row.lines);
    }
    const QByteArray tail = ".. .. .. .. .. .. .. .. .. .. .. |    ";
    EXPECT_TRUE(dump(base, false, &byte5, true).endsWith("000000     .. .. .. .. 1F " + tail + "\x1F" + QByteArray(11, ' ') + "\r\n"));
    EXPECT_TRUE(dump(base, false, &byte5, false).endsWith("000000     .. .. .. .. C0 " + tail + "\xC0" + QByteArray(11, ' ') + "\r\n"));
}

// A full disk, a file-size limit, a device error or an unreadable file: one message, the
// dump keeps its header and the whole lines written before, the file is closed.
TEST_F(DumpWriters, FailuresStopAfterOneMessageKeepingWholeLines) {
    const QByteArray bytes = randomBytes(512 * 1024, 3);
    const QString input = dir.write(QStringLiteral("a.bin"), bytes);
    const QByteArray lines = ExpectedDump::lines(bytes, false);
    const qint64 headerSize = ExpectedDump::header(DumpFormat::Kind::File, "a.bin").size();
    const struct {
        FileLayer::Fault fault;
        qint64 limit;  // a file-size limit instead of a fault
        int code;
        qint64 keptLines;  // -1: any whole number
    } rows[] = {
        {{FileLayer::Op::Write, 1, ENOSPC, 78 * 100 + 30, true}, 0, 61, 100},
        {{}, 20000, 61, (20000 - headerSize) / 78},
        {{FileLayer::Op::Write, 3, EIO}, 0, 57, -1},
        {{FileLayer::Op::Read, 1, EIO}, 0, 57, 0},
    };
    for (const auto& row : rows) {
        ui.clear();
        fileA.Path(input);
        mRWFile out(ui);
        out.MsgTitle(QStringLiteral("Bivex"));
        ASSERT_EQ(out.OpenDump(dir.path(QStringLiteral("out.txt")), {}), mRWFile::DumpTarget::Opened);
        ASSERT_TRUE(writeDumpHeader(out, DumpFormat::Kind::File, 0, fileA.Name()));
        rlimit saved{};
        ::getrlimit(RLIMIT_FSIZE, &saved);
        const auto savedSignal = ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{rlim_t(row.limit), saved.rlim_max};
        std::optional<ScopedFileFault> fault;
        if (row.limit) {
            ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
        } else {
            fault.emplace(row.fault);
        }
        EXPECT_FALSE(writeFileDump(fileA, false, out));
        fault.reset();
        ::setrlimit(RLIMIT_FSIZE, &saved);
        ::signal(SIGXFSZ, savedSignal);
        out.CloseFile();
        EXPECT_EQ(ui.messageTexts(), QStringList{FileErrors::fixedMessage(row.code)}) << row.code;
        EXPECT_EQ(ui.messages[0].title, QStringLiteral("Bivex"));
        EXPECT_FALSE(fileA.IsOpen());
        QByteArray data;
        EXPECT_EQ(ExpectedDump::header(TempDir::read(dir.path(QStringLiteral("out.txt"))), &data),
                  ExpectedDump::header(DumpFormat::Kind::File, "a.bin"));
        EXPECT_TRUE(lines.startsWith(data) && (data.isEmpty() || data.endsWith("\r\n")));
        if (row.keptLines >= 0) {
            EXPECT_EQ(data.size(), 78 * row.keptLines) << row.code;
        }
    }
    EXPECT_EQ(TempDir::read(input), bytes);
}

// An input cut short by another program while it is dumped, by half or by its last byte:
// the dump keeps the whole lines of what was there, says once that the rest is missing,
// and counts as failed.
TEST_F(DumpWriters, AnInputCutShortUnderTheDumpIsReportedOnce) {
    const QByteArray bytes = randomBytes(2 * 1024 * 1024, 5);
    const QString pipe = dir.path(QStringLiteral("pipe"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    for (const bool mismatch : {false, true}) {
        const QByteArray zeros(bytes.size(), '\0');
        const QByteArray allLines = ExpectedDump::lines(bytes.left(bytes.size() - 1), false, mismatch ? &zeros : nullptr);
        for (const qint64 keep : {qint64(1536 * 1024), bytes.size() - 1}) {
            SCOPED_TRACE(std::string(mismatch ? "mismatch dump" : "whole-file dump") + " cut to " + std::to_string(keep));
            ui.clear();
            fileA.Path(dir.write(QStringLiteral("a.bin"), bytes));
            fileB.Path(dir.write(QStringLiteral("b.bin"), QByteArray(bytes.size(), '\0')));
            // The dump goes into a pipe, more than it holds at once: when its first lines
            // arrive the writer waits for the rest to be taken, and the inputs are cut then.
            QByteArray written;
            std::thread reader([&] {
                const int fd = ::open(QFile::encodeName(pipe).constData(), O_RDONLY);
                pollfd ready{fd, POLLIN, 0};
                ::poll(&ready, 1, -1);
                for (const QString& input : {fileA.Path(), fileB.Path()})
                    EXPECT_EQ(::truncate(QFile::encodeName(input).constData(), keep), 0);
                char block[65536];
                for (ssize_t n; (n = ::read(fd, block, sizeof block)) > 0;) written.append(block, n);
                ::close(fd);
            });
            mRWFile out(ui);
            ASSERT_EQ(out.OpenDump(pipe, {}, true), mRWFile::DumpTarget::Opened);
            EXPECT_FALSE(mismatch ? writeMismatchDump(fileA, fileB, true, false, out) : writeFileDump(fileA, false, out));
            out.CloseFile();
            reader.join();
            EXPECT_EQ(ui.messageTexts(), QStringList{QStringLiteral("Файл-источник стал короче: в дамп записана только часть файла.")});
            // Lines of 78 bytes, the last one shorter.
            EXPECT_TRUE(written == (keep % 16 == 0 ? allLines.left(keep / 16 * 78) : allLines));
        }
    }
}

// A target that is a loaded file under any name is neither emptied nor written.
TEST_F(DumpWriters, LoadedFilesAreRefusedByIdentityAndOtherTargetsTakeTheDump) {
    const QString loaded = dir.write(QStringLiteral("loaded.bin"), "keep me");
    QDir().mkdir(dir.path(QStringLiteral("sub")));
    ASSERT_EQ(::link(QFile::encodeName(loaded).constData(), QFile::encodeName(dir.path("hard.bin")).constData()), 0);
    ASSERT_TRUE(QFile::link(loaded, dir.path(QStringLiteral("soft.bin"))));
    using R = mRWFile::DumpTarget;
    for (const char* name : {"loaded.bin", "sub/../loaded.bin", "hard.bin", "soft.bin", "new.txt", "sub"}) {
        const R expected = QByteArray(name) == "new.txt" ? R::Opened : QByteArray(name) == "sub" ? R::Failed : R::LoadedFile;
        ui.clear();
        mRWFile out(ui);
        EXPECT_EQ(out.OpenDump(dir.path(QString::fromLatin1(name)), {QString(), loaded}), expected) << name;
        EXPECT_EQ(ui.messages.size(), expected == R::Failed ? 1u : 0u) << name;
    }
    EXPECT_EQ(TempDir::read(loaded), "keep me");
    // A device or a pipe takes the dump as it is; a missing folder and a pipe nobody reads
    // are said as what they are.
    const QString fifo = dir.path(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const struct {
        QString target;
        R result;
        QString message;
    } special[] = {
        {QStringLiteral("/dev/null"), R::Opened, {}},
        {dir.path(QStringLiteral("no/such/out.txt")), R::Failed, QStringLiteral("Путь не найден")},
        {fifo, R::Failed, QStringLiteral("Устройство отсутствует или канал никто не читает")},
    };
    for (const auto& row : special) {
        ui.clear();
        mRWFile out(ui);
        EXPECT_EQ(out.OpenDump(row.target, {loaded}), row.result) << row.target.toStdString();
        EXPECT_TRUE(out.PutLines("x\r\n", 3) || row.result == R::Failed);
        EXPECT_EQ(ui.messageTexts().join(u'|'), row.message);
    }
    // The dumps of the command line: into a file, and never into an input.
    const QByteArray a = TempDir::patternBytes(300), b = QByteArray(300, '\x41');
    const QString pathA = dir.write(QStringLiteral("a.bin"), a), pathB = dir.write(QStringLiteral("b.bin"), b);
    for (bool mismatch : {false, true}) {
        ui.clear();
        ASSERT_TRUE(writeDumpOfFiles(ui, pathA, mismatch ? pathB : QString(), dir.path(QStringLiteral("cli.txt")), true));
        QByteArray data;
        EXPECT_EQ(ExpectedDump::header(TempDir::read(dir.path(QStringLiteral("cli.txt"))), &data),
                  ExpectedDump::header(mismatch ? DumpFormat::Kind::Mismatch : DumpFormat::Kind::File, "a.bin"));
        EXPECT_EQ(data, ExpectedDump::lines(a, true, mismatch ? &b : nullptr));
        EXPECT_FALSE(writeDumpOfFiles(ui, pathA, pathB, dir.path(QString::fromLatin1(mismatch ? "b.bin" : "sub/../a.bin")), false));
        EXPECT_EQ(ui.messageTexts(), QStringList{loadedTargetMessage()});
    }
    ui.clear();
    EXPECT_TRUE(writeDumpOfFiles(ui, pathA, pathB, QStringLiteral("/dev/null"), false));
    EXPECT_FALSE(writeDumpOfFiles(ui, dir.path(QStringLiteral("missing.bin")), QString(), dir.path("cli.txt"), false));
    EXPECT_EQ(ui.messageTexts(), QStringList{QStringLiteral("Файл не найден")});
    EXPECT_FALSE(QFileInfo::exists(dir.path(QStringLiteral("missing.bin"))));
    EXPECT_TRUE(TempDir::read(dir.path(QStringLiteral("cli.txt"))).endsWith(ExpectedDump::lines(a, true, &b)));
    EXPECT_TRUE(TempDir::read(pathA) == a && TempDir::read(pathB) == b);
}
