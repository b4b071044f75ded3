// The binary file object's window cache and its behaviour when the file layer fails:
// whatever happens, the file holds exactly the bytes that were asked for.
#include "FileAccessTestUtil.h"
#include "FileFaults.h"
#include "TempDir.h"
#include "mRWByt.h"

#include <QFile>
#include <QRandomGenerator>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <vector>

namespace {

constexpr std::int64_t KiB = 1024;
constexpr std::int64_t Window = 256 * KiB;

struct CachedFile : ::testing::Test {
    TempDir dir;
    RecordingUiServices ui;
    mRWByt file{ui};

    QString openPattern(std::int64_t size) {
        const QString path = dir.pattern(QStringLiteral("data.bin"), size);
        file.MsgTitle(QStringLiteral("Bivex"));
        file.Path(path);
        file.OpenFileRW();
        EXPECT_TRUE(file.IsOpen());
        return path;
    }
};

void writeBehindOurBack(const QString& path, std::int64_t offset, char value) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::pwrite(fd, &value, 1, offset), 1);
    ::close(fd);
}

// Random reads and writes of every kind against a model of the file.
TEST_F(CachedFile, MixedOperationsMatchAModelOfTheFile) {
    const std::int64_t size = 3 * Window + 1000;
    const QString path = openPattern(size);
    QByteArray model = TempDir::patternBytes(size);
    QRandomGenerator random(7);
    auto modelWrite = [&](std::int64_t offset, const QByteArray& bytes) {
        if (offset + bytes.size() > model.size()) model.resize(offset + bytes.size(), '\0');
        model.replace(offset, bytes.size(), bytes);
    };
    for (int step = 0; step < 3000; ++step) {
        const std::int64_t item = 1 + random.bounded(qint64(size + 2 * KiB));
        const int value = random.bounded(256);
        switch (random.bounded(5)) {
        case 0: {
            const int expected = item <= size ? int(quint8(model.at(qsizetype(item - 1)))) : -1;
            ASSERT_EQ(file.GetByt(item), expected) << "step " << step;
            break;
        }
        case 1:
            if (file.PutByt(value, item) == 0) modelWrite(item - 1, QByteArray(1, char(value)));
            break;
        case 2:
            ASSERT_EQ(file.AddByt(value, item), 0);
            modelWrite(item - 1, QByteArray(1, char(value)));
            break;
        case 3: {  // a span from a buffer or a fill, either inside one window or longer
            const int count = random.bounded(1, int(2 * Window));
            const QByteArray bytes =
                value & 1 ? TempDir::patternBytes(count) : QByteArray(count, char(value));
            ASSERT_EQ(value & 1 ? file.WriteSpan(item, reinterpret_cast<const std::uint8_t*>(bytes.data()), count)
                                : file.FillSpan(item, count, std::uint8_t(value)),
                      0);
            modelWrite(item - 1, bytes);
            break;
        }
        case 4: {
            std::vector<std::uint8_t> out(std::size_t(random.bounded(1, int(2 * Window))));
            const std::int64_t n = file.ReadSpan(item, out.data(), std::int64_t(out.size()));
            const std::int64_t expected =
                item > size ? 0 : std::min<std::int64_t>(std::int64_t(out.size()), size - item + 1);
            ASSERT_EQ(n, expected) << "step " << step;
            ASSERT_EQ(QByteArray(reinterpret_cast<const char*>(out.data()), n), model.mid(item - 1, n));
            break;
        }
        }
    }
    file.CloseFile();
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(TempDir::read(path), model);
}

TEST_F(CachedFile, UnchangedBytesBetweenTwoWritesAreNotWrittenBack) {
    const QString path = openPattern(2 * KiB);
    EXPECT_EQ(file.PutByt(0x11, 10), 0);
    writeBehindOurBack(path, 1000, '\x77');  // inside the window we hold
    EXPECT_EQ(file.PutByt(0x22, 2000), 0);
    file.CloseFile();
    QByteArray expected = TempDir::patternBytes(2 * KiB);
    expected[9] = '\x11';
    expected[1000] = '\x77';
    expected[1999] = '\x22';
    EXPECT_EQ(TempDir::read(path), expected);
}

TEST_F(CachedFile, EachOpeningSeesTheFileAsItIsNow) {
    const QString path = openPattern(KiB);
    EXPECT_EQ(file.GetByt(5), quint8(TempDir::patternBytes(5)[4]));
    file.CloseFile();
    writeBehindOurBack(path, 4, '\x5A');
    file.OpenFileRW();
    EXPECT_EQ(file.GetByt(5), 0x5A);
    file.CloseFile();
}

TEST_F(CachedFile, DiskFullHalfWayThroughAFlushIsReportedOnce) {
    const std::int64_t size = 3 * Window;
    const QString path = openPattern(size);
    // The second write (window 2's flush) stops after 1000 bytes: the disk is full.
    ScopedFileFault full({FileLayer::Op::Write, 2, ENOSPC, 1000, true});
    int failedAt = 0;
    for (std::int64_t item = 1; item <= size && failedAt == 0; ++item)
        if (file.PutByt(0xEE, item) != 0) failedAt = int(item);
    EXPECT_EQ(failedAt, 2 * Window + 1);  // the call that moved past window 2
    EXPECT_EQ(file.Error(), 61);
    expectOnlyMessage(ui, QStringLiteral("Bivex"), kDiskFull);
    file.CloseFile();
    EXPECT_EQ(file.Error(), 0);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(ui.messages.size(), 1u);

    QByteArray expected = TempDir::patternBytes(size);
    expected.replace(0, Window + 1000, QByteArray(Window + 1000, '\xEE'));
    EXPECT_EQ(TempDir::read(path), expected);
}

TEST_F(CachedFile, DiskFullAtCloseIsReportedAndTheFileIsClosed) {
    const QString path = openPattern(KiB);
    EXPECT_EQ(file.AddByt(0x01, 5), 0);
    EXPECT_EQ(file.AddByt(0x02, KiB + 10), 0);
    {
        ScopedFileFault full({FileLayer::Op::Write, 1, ENOSPC});
        file.CloseFile();
    }
    EXPECT_EQ(file.Error(), 61);
    expectOnlyMessage(ui, QStringLiteral("Bivex"), kDiskFull);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(TempDir::read(path), TempDir::patternBytes(KiB));  // nothing half-written
    file.OpenFileRW();  // not stuck "already open"
    EXPECT_EQ(file.Error(), 0);
    file.CloseFile();
}

// A real limit of the system rather than an injected one, met by a fill too large for the
// cache.
TEST_F(CachedFile, FileSizeLimitStopsAFillWithDiskFull) {
    const QString path = openPattern(16 * KiB);
    struct rlimit saved, limit;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto savedSignal = ::signal(SIGXFSZ, SIG_IGN);
    limit = saved;
    limit.rlim_cur = 1000 * KiB;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    const int result = file.FillSpan(8 * KiB + 1, 3 * 1024 * KiB, 0x3C);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, savedSignal);
    EXPECT_EQ(result, -1);
    EXPECT_EQ(file.Error(), 61);
    expectOnlyMessage(ui, QStringLiteral("Bivex"), kDiskFull);
    file.CloseFile();
    EXPECT_EQ(TempDir::read(path),
              TempDir::patternBytes(8 * KiB) + QByteArray(992 * KiB, '\x3C'));
}

TEST_F(CachedFile, InterruptedCallsAreRetriedAndAReadFailureIsReportedOnce) {
    openPattern(KiB);
    const std::vector<std::uint8_t> zeros(Window + 1, 0);
    for (const auto op : {FileLayer::Op::Read, FileLayer::Op::Write}) {
        ScopedFileFault interrupted({op, 1, EINTR});
        EXPECT_EQ(file.WriteSpan(1, zeros.data(), std::int64_t(zeros.size())), 0);
        EXPECT_EQ(file.GetByt(1), 0);
    }
    EXPECT_TRUE(ui.messages.empty());
    file.CloseFile();
    file.OpenFileRW();
    {
        ScopedFileFault broken({FileLayer::Op::Read, 1, EIO});
        EXPECT_EQ(file.GetByt(1), -1);
    }
    EXPECT_EQ(file.Error(), 57);
    expectOnlyMessage(ui, QStringLiteral("Bivex"),
                      QStringLiteral("Диск в дисководе повреждён или не отформатирован."));
    EXPECT_EQ(file.GetByt(1), 0);  // the next call reads again
    file.CloseFile();
}

}  // namespace
