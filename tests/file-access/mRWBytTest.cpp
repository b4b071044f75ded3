// The binary file object: what it tells about a file, its failures, and its window cache.
// Whatever happens, the file holds exactly the bytes that were asked for.
#include "FileAccessTestUtil.h"
#include "FileFaults.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <sys/wait.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr std::int64_t KiB = 1024;
constexpr std::int64_t Window = 256 * KiB;

// How the program holds `path` open now: O_RDONLY, O_RDWR, or -1 when it does not.
int openMode(const QString& path) {
    const QString target = QFileInfo(path).canonicalFilePath();
    for (const QFileInfo& link : QDir(QStringLiteral("/proc/self/fd")).entryInfoList(QDir::System | QDir::Files))
        if (link.symLinkTarget() == target) return ::fcntl(link.fileName().toInt(), F_GETFL) & O_ACCMODE;
    return -1;
}

using BinaryFile = BinaryFileTest;
using CachedFile = BinaryFileTest;

TEST_F(BinaryFile, PathDescribesTheFileAndAnEmptyPathNoFile) {
    const QString path = dir.pattern(QStringLiteral("data.bin"), 300);
    const std::int64_t when = QDateTime(QDate(2026, 12, 6), QTime(7, 5, 9)).toSecsSinceEpoch();
    const timespec times[2] = {{when, 0}, {when, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
    file.Path(path);
    EXPECT_EQ(file.Size(), 300);
    EXPECT_EQ(file.Name(), QStringLiteral("data.bin"));
    EXPECT_EQ(file.DateText() + ' ' + file.TimeText(), QStringLiteral("06.12.2026 07:05:09"));
    EXPECT_EQ(QDateTime(file.DateFile(), file.TimeFile()).toSecsSinceEpoch(), when);
    EXPECT_EQ(file.FileAttr(), 0);
    // Read-only by the mode bits (so also under root), hidden by the leading dot.
    const std::pair<const char*, int> attributes[] = {{"ro", 1}, {".hidden", 2}, {".both", 3}};
    for (const auto& [name, code] : attributes) {
        const QString other = dir.pattern(QString::fromLatin1(name), 4);
        if (code & 1) TempDir::makeReadOnly(other);
        file.Path(other);
        EXPECT_EQ(file.FileAttr(), code) << name;
    }
    // No file: nothing to describe but the present moment.
    file.Path(QString());
    EXPECT_EQ(file.Size(), 0);
    EXPECT_TRUE(file.Name().isEmpty());
    EXPECT_EQ(file.FileAttr(), 0);
    EXPECT_FALSE(file.DateFile().isValid());
    const QDateTime shown = QDateTime::fromString(file.DateText() + ' ' + file.TimeText(),
                                                  QStringLiteral("dd.MM.yyyy HH:mm:ss"));
    EXPECT_LE(qAbs(shown.secsTo(QDateTime::currentDateTime())), 2);
    EXPECT_TRUE(ui.messages.empty());
}

// Each failure leaves its code and shows one message (none with MsgView off). Every row
// starts from a new object.
TEST(BinaryFileFailures, EachShowsOneMessage) {
    TempDir dir;
    const QString ten = dir.pattern(QStringLiteral("ten.bin"), 10);
    const QString ro = dir.pattern(QStringLiteral("ro.bin"), 10);
    TempDir::makeReadOnly(ro);
    const QString noPath =
        QStringLiteral("Файл не указан. Необходимо указать полный путь и полное имя файла.");
    const auto opened = [&](mRWByt& f) { f.Path(ten); f.OpenFileRW(); };
    // A read-only file reads, and refuses each write at once rather than at the flush.
    const auto readOnly = [&](mRWByt& f) { f.Path(ro); f.OpenFileRW(); EXPECT_EQ(f.GetByt(3), 2 * 7 + 3); };
    const std::uint8_t data[2] = {1, 2};
    struct Row {
        std::string name;
        std::function<void(mRWByt&)> call;
        int code;
        QString text;
    };
    std::vector<Row> rows = {
        {"GetByt without path", [](mRWByt& f) { EXPECT_EQ(f.GetByt(1), -1); }, -1, noPath},
        {"PutByt without path", [](mRWByt& f) { EXPECT_EQ(f.PutByt(1, 1), -1); }, -1, noPath},
        {"AddByt without path", [](mRWByt& f) { EXPECT_EQ(f.AddByt(1, 1), -1); }, -1, noPath},
        {"open without path", [](mRWByt& f) { f.OpenFileRW(); }, -1, noPath},
        {"empty file keeps all but the length", [&](mRWByt& f) {
             f.Path(ten);
             f.Path(dir.write(QStringLiteral("empty.bin"), QByteArray()));
             EXPECT_EQ(f.Size(), 0);
             EXPECT_EQ(f.Name(), QStringLiteral("ten.bin"));
         }, -5, kEmptyFile},
        {"directory, after a read-only file", [&](mRWByt& f) {
             f.Path(ro);  // so it is opened for reading, which the system allows on a folder
             f.Path(dir.path(QString()));  // only the path changes, quietly
             EXPECT_EQ(f.Size(), 10);
             f.OpenFileRW();
             EXPECT_FALSE(f.IsOpen());
         }, 75, QStringLiteral("Error №75.     Это папка, а не файл")},
        {"a new file in a folder that does not exist", [&](mRWByt& f) {
             f.Path(dir.path(QStringLiteral("no/such/new.bin")));
             f.OpenFileRW();
             EXPECT_FALSE(f.IsOpen());
         }, 76, QStringLiteral("Error №76.     Путь не найден")},
        {"removed since Path, not recreated", [&](mRWByt& f) {
             const QString gone = dir.pattern(QStringLiteral("gone.bin"), 10);
             f.Path(gone);
             QFile::remove(gone);
             f.OpenFileRW();
             EXPECT_FALSE(f.IsOpen());
             EXPECT_FALSE(QFile::exists(gone));
         }, 53, QStringLiteral("Error №53.     Файл не найден")},
        {"not opened", [&](mRWByt& f) { f.Path(ten); EXPECT_EQ(f.GetByt(1), -1); }, 52, kBadHandle},
        {"opened twice", [&](mRWByt& f) { opened(f); f.OpenFileRW(); EXPECT_TRUE(f.IsOpen()); }, -4, kAlreadyOpen},
        {"PutByt 256", [&](mRWByt& f) { opened(f); EXPECT_EQ(f.PutByt(256, 1), -1); }, -3,
         QStringLiteral("Недопустимое значение. Байт может принимать значение от 0 до 255.")},
        {"read-only PutByt", [&](mRWByt& f) { readOnly(f); EXPECT_EQ(f.PutByt(0, 1), -1); }, 52, kBadHandle},
        {"read-only AddByt", [&](mRWByt& f) { readOnly(f); EXPECT_EQ(f.AddByt(0, 11), -1); }, 52, kBadHandle},
        {"read-only WriteSpan", [&](mRWByt& f) { readOnly(f); EXPECT_EQ(f.WriteSpan(1, data, 2), -1); }, 52, kBadHandle},
        {"read-only FillSpan", [&](mRWByt& f) { readOnly(f); EXPECT_EQ(f.FillSpan(1, 10, 0), -1); }, 52, kBadHandle},
    };
    // Every errno the system may give, met at the opening of an existing file (for reading)
    // or of a new one (to create it), and the code and text it shows: each names its cause.
    const QString busy = QStringLiteral("Нет доступа к файлу. Нельзя произвести запись в открытый файл.");
    const QString broken = QStringLiteral("Диск в дисководе повреждён или не отформатирован.");
    const QString protectedDisk = QStringLiteral("Диск защищён от записи. Снимите защиту и повторите попытку.");
    const QString noDisk = QStringLiteral("Диск в дисководе отсутствует или повреждён.");
    const QString notFound = QStringLiteral("Error №53.     Файл не найден");
    const QString noFolder = QStringLiteral("Error №76.     Путь не найден");
    const QString access = QStringLiteral("Error №75.     Ошибка доступа к пути или файлу");
    const QString noRead = QStringLiteral("Error №75.     Нет права на чтение файла");
    const struct {
        int err, code;
        QString text;
        bool create = false;
    } errnos[] = {
        {EBADF, 52, kBadHandle},   {ENOENT, 53, notFound},      {ETXTBSY, 55, busy},
        {EBUSY, 55, busy},         {EIO, 57, broken},           {ENOSPC, 61, kDiskFull},
        {EDQUOT, 61, kDiskFull},   {EFBIG, 61, kDiskFull},      {EACCES, 75, noRead},
        {EPERM, 75, noRead},       {EROFS, 70, protectedDisk},
        {ENXIO, 75, QStringLiteral("Error №75.     Устройство отсутствует или канал никто не читает")},
        {ENODEV, 71, noDisk},      {ENOMEDIUM, 71, noDisk},     {ENOTDIR, 76, noFolder},
        {ELOOP, 76, noFolder},     {ENAMETOOLONG, 76, noFolder},
        {EISDIR, 75, QStringLiteral("Error №75.     Это папка, а не файл")},
        {EINVAL, 75, access},      {ESTALE, 75, access},
        {ENOENT, 76, noFolder, true}, {EACCES, 70, protectedDisk, true}, {EROFS, 70, protectedDisk, true},
        {ENOSPC, 61, kDiskFull, true},
    };
    for (const auto& e : errnos) {
        const auto openFails = [&, err = e.err, create = e.create](mRWByt& f) {
            ScopedFileFault fault({FileLayer::Op::Open, 1, err});
            f.Path(create ? dir.path(QStringLiteral("new.bin")) : ten);
            f.OpenFileRW();
            EXPECT_FALSE(f.IsOpen());
        };
        const std::string name = std::string(e.create ? "creating fails with " : "open fails with ") + ::strerrorname_np(e.err);
        rows.push_back({name, openFails, e.code, e.text});
    }
    for (const bool shown : {true, false}) {
        for (const auto& row : rows) {
            SCOPED_TRACE(row.name + (shown ? "" : ", MsgView off"));
            RecordingUiServices ui;
            mRWByt file{ui};
            file.MsgView(shown);
            row.call(file);
            EXPECT_EQ(file.Error(), row.code);
            if (shown) expectOnlyMessage(ui, QStringLiteral("mRWByt"), row.text);
            else EXPECT_TRUE(ui.messages.empty());
        }
    }
    EXPECT_EQ(TempDir::read(ro), TempDir::patternBytes(10));
}

TEST_F(BinaryFile, PositionsAndAppendingAlsoToANewFile) {
    const QByteArray bytes = TempDir::patternBytes(300);
    const QString path = open(dir.write(QStringLiteral("a.bin"), bytes));
    EXPECT_EQ(file.GetByt(1), quint8(bytes[0]));
    EXPECT_EQ(file.GetByt(300), quint8(bytes[299]));
    // One past either end is -2, quietly; AddByt may go past the end, not before position 1.
    const auto outside = [&](int result) { EXPECT_EQ(result, -1); EXPECT_EQ(file.Error(), -2); };
    outside(file.GetByt(0));
    outside(file.GetByt(301));
    outside(file.PutByt(1, 0));
    outside(file.PutByt(1, 301));
    outside(file.AddByt(1, 0));
    const std::uint8_t two[2] = {1, 2};
    outside(file.WriteSpan(0, two, 2));
    outside(file.FillSpan(0, 2, 0x55));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(file.AddByt(-1, 301), -1);
    EXPECT_EQ(file.Error(), -3);
    // AddByt appends and extends with zeros; Size waits for the next Path.
    EXPECT_EQ(file.AddByt(0xAA, 301), 0);
    EXPECT_EQ(file.AddByt(0xBB, 310), 0);
    outside(file.GetByt(301));  // in the window now, but not yet in the file's size
    file.CloseFile();
    EXPECT_EQ(file.Size(), 300);
    EXPECT_EQ(TempDir::read(path), bytes + '\xAA' + QByteArray(8, '\0') + '\xBB');
    file.Path(path);
    EXPECT_EQ(file.Size(), 310);
    // A path that named no file when it was assigned: opening creates it.
    const QString fresh = open(dir.path(QStringLiteral("new.bin")));
    EXPECT_EQ(file.AddByt(0x41, 1), 0);
    file.CloseFile();
    EXPECT_EQ(TempDir::read(fresh), QByteArray("A"));
    // Cut short by another program after the opening: past the new end there is no byte,
    // in the window that holds the end or in one beyond it, rather than an invented one.
    const QString cut = open(dir.pattern(QStringLiteral("cut.bin"), 3 * Window));
    ASSERT_EQ(::truncate(QFile::encodeName(cut).constData(), Window + 5), 0);
    EXPECT_EQ(file.GetByt(Window + 5), quint8(TempDir::patternBytes(Window + 5).back()));
    for (const std::int64_t item : {Window + 6, 2 * Window, 2 * Window + 1, 3 * Window})
        outside(file.GetByt(item));
    file.CloseFile();
    EXPECT_EQ(TempDir::read(cut), TempDir::patternBytes(Window + 5));
}

// Positions beyond 2 GiB and 4 GiB: the length and the last byte are the true ones.
TEST_F(BinaryFile, SparseFileOfThreeGibibytes) {
    const QString path = dir.write(QStringLiteral("big.bin"), QByteArray());
    const std::int64_t size = 3LL << 30;
    ASSERT_EQ(::truncate(QFile::encodeName(path).constData(), size), 0);
    open(path);
    EXPECT_EQ(file.Size(), size);
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

// ---------------------------------------------------------------- window cache

void writeBehindOurBack(const QString& path, std::int64_t offset, char value) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::pwrite(fd, &value, 1, offset), 1);
    ::close(fd);
}

// Random reads and writes of every kind, inside one window or across several, against a
// model of the file. GetByt, PutByt and ReadSpan keep to the length the file had at Path.
TEST_F(CachedFile, MixedOperationsMatchAModelOfTheFile) {
    const std::int64_t size = 3 * Window + 1000;
    const QString path = openPattern(size);
    QByteArray model = TempDir::patternBytes(size);
    QRandomGenerator random(7);
    for (int step = 0; step < 2000; ++step) {
        SCOPED_TRACE(step);
        const std::int64_t item = 1 + random.bounded(qint64(size + 2 * KiB));
        const int value = random.bounded(256), count = random.bounded(1, int(2 * Window));
        const bool inside = item <= size;
        QByteArray bytes(1, char(value));
        switch (random.bounded(5)) {
        case 0:
            ASSERT_EQ(file.GetByt(item), inside ? int(quint8(model.at(qsizetype(item - 1)))) : -1);
            continue;
        case 1:
            ASSERT_EQ(file.PutByt(value, item), inside ? 0 : -1);
            if (!inside) continue;
            break;
        case 2:
            ASSERT_EQ(file.AddByt(value, item), 0);
            break;
        case 3:
            bytes = value & 1 ? TempDir::patternBytes(count) : QByteArray(count, char(value));
            ASSERT_EQ(value & 1 ? file.WriteSpan(item, reinterpret_cast<const std::uint8_t*>(bytes.data()), count)
                                : file.FillSpan(item, count, std::uint8_t(value)),
                      0);
            break;
        default: {
            bytes.resize(count);
            // Reads with and without read-ahead see the same bytes, pending writes included.
            const auto ahead = value & 1 ? mRWByt::ReadAhead::None : mRWByt::ReadAhead::Window;
            const std::int64_t n = file.ReadSpan(item, reinterpret_cast<std::uint8_t*>(bytes.data()), count, ahead);
            ASSERT_EQ(n, inside ? std::min<std::int64_t>(count, size - item + 1) : 0);
            ASSERT_EQ(bytes.left(n), model.mid(item - 1, n));
            continue;
        }
        }
        if (item - 1 + bytes.size() > model.size()) model.resize(item - 1 + bytes.size(), '\0');
        model.replace(item - 1, bytes.size(), bytes);
    }
    file.CloseFile();
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(TempDir::read(path), model);
}

// Only the changed bytes go back: another writer's byte between two of ours survives, and
// nothing is written past the end of the file. Nothing is cached past CloseFile.
TEST_F(CachedFile, OnlyChangedBytesAreWrittenAndEachOpeningSeesTheFileAsItIsNow) {
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
    writeBehindOurBack(path, 4, '\x5A');
    file.OpenFileRW();
    EXPECT_EQ(file.GetByt(5), 0x5A);
}

// A screen read without read-ahead takes just its bytes: the window a byte loop would fill
// stays unread, so a byte beside the screen is read when it is asked for, as it is then.
TEST_F(CachedFile, AScreenReadTakesOnlyTheScreen) {
    const QString path = openPattern(4 * KiB);
    const QByteArray bytes = TempDir::patternBytes(4 * KiB);
    QByteArray screen(256, '\0');
    auto readScreen = [&](std::int64_t item) {
        return file.ReadSpan(item, reinterpret_cast<std::uint8_t*>(screen.data()), 256, mRWByt::ReadAhead::None);
    };
    ASSERT_EQ(readScreen(257), 256);
    EXPECT_EQ(screen, bytes.mid(256, 256));
    writeBehindOurBack(path, 1000, '\x77');
    EXPECT_EQ(file.GetByt(1001), 0x77);
    // Once the window holds the screen, the screen comes from it, with the pending byte.
    EXPECT_EQ(file.PutByt(0x12, 300), 0);
    ASSERT_EQ(readScreen(257), 256);
    EXPECT_EQ(quint8(screen[43]), 0x12);
    // The last screen of the file is short; past the end nothing is read.
    EXPECT_EQ(readScreen(4 * KiB - 99), 100);
    EXPECT_EQ(readScreen(4 * KiB + 1), 0);
    EXPECT_EQ(file.Error(), -2);
    file.CloseFile();
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(CachedFile, DiskFullIsReportedOnceAtTheFlushOrTheCloseThatMeetsIt) {
    const std::int64_t size = 3 * Window;
    const QString path = openPattern(size);
    {
        // The second write (window 2's flush) stops after 1000 bytes; the disk stays full.
        ScopedFileFault full({FileLayer::Op::Write, 2, ENOSPC, 1000, true});
        std::int64_t failedAt = 0;
        for (std::int64_t item = 1; item <= size && failedAt == 0; ++item)
            if (file.PutByt(0xEE, item) != 0) failedAt = item;
        EXPECT_EQ(failedAt, 2 * Window + 1);  // the call that moved past window 2
        expectFailure(61, kDiskFull);
        file.CloseFile();  // the failed bytes are not tried again
        EXPECT_EQ(file.Error(), 0);
        EXPECT_EQ(ui.messages.size(), 1u);

        file.OpenFileRW();
        ui.clear();
        EXPECT_EQ(file.PutByt(0x01, size), 0);
        file.CloseFile();
        expectFailure(61, kDiskFull);
        EXPECT_FALSE(file.IsOpen());
    }
    QByteArray expected = TempDir::patternBytes(size);
    expected.replace(0, Window + 1000, QByteArray(Window + 1000, '\xEE'));
    EXPECT_EQ(TempDir::read(path), expected);
    file.OpenFileRW();  // not stuck "already open"
    EXPECT_EQ(file.Error(), 0);
}

// A real limit of the system rather than an injected one, met by a fill too large for the
// cache.
TEST_F(CachedFile, FileSizeLimitStopsAFillWithDiskFull) {
    const QString path = openPattern(16 * KiB);
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const rlimit limit{rlim_t(1000 * KiB), saved.rlim_max};
    const auto savedSignal = ::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    const int result = file.FillSpan(8 * KiB + 1, 3 * 1024 * KiB, 0x3C);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, savedSignal);
    EXPECT_EQ(result, -1);
    expectFailure(61, kDiskFull);
    file.CloseFile();
    EXPECT_EQ(TempDir::read(path), TempDir::patternBytes(8 * KiB) + QByteArray(992 * KiB, '\x3C'));
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
    expectFailure(57, QStringLiteral("Диск в дисководе повреждён или не отформатирован."));
    EXPECT_EQ(file.GetByt(1), 0);  // the next call reads again
}

// A span writes its bytes and nothing else, however it lies across windows and the
// chunks of a large fill; a byte on either side and the length show it.
TEST_F(CachedFile, SpansWriteExactlyTheirRange) {
    constexpr std::int64_t MiB = 1024 * KiB, size = 3 * MiB;
    const struct {
        const char* name;
        std::int64_t item, count;
        bool fill;
    } rows[] = {
        {"fill of 1 MiB + 3 inside the file", 2, MiB + 3, true},
        {"fill of 1 MiB + 3 ending at the end", size - MiB - 2, MiB + 3, true},
        {"fill of 1 MiB + 3 past the end", size - 5, MiB + 3, true},
        {"fill of 2 MiB + 1 from a window edge", Window + 1, 2 * MiB + 1, true},
        {"write of 1 MiB + 3 inside the file", 2, MiB + 3, false},
        {"cached fill up to a window edge", Window - 9, 10, true},
        {"fill across a window edge", Window - 1, 3, true},
    };
    const QByteArray original = TempDir::patternBytes(size);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const QString path = open(dir.write(QStringLiteral("data.bin"), original));
        const QByteArray bytes =
            row.fill ? QByteArray(row.count, '\xC3') : TempDir::patternBytes(row.count + 1).mid(1);
        const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
        EXPECT_EQ(row.fill ? file.FillSpan(row.item, row.count, 0xC3)
                           : file.WriteSpan(row.item, data, row.count),
                  0);
        file.CloseFile();
        QByteArray expected = original;
        expected.resize(std::max(size, row.item - 1 + row.count));
        expected.replace(row.item - 1, row.count, bytes);
        EXPECT_EQ(TempDir::read(path), expected);
    }
    EXPECT_TRUE(ui.messages.empty());
}

// A copy inside the kernel moves exactly the bytes asked for, leaves no stale window behind,
// and declines (copying nothing) where the buffer's way must be taken.
TEST_F(CachedFile, KernelCopyIsExactAndDeclinesWhatItMustNot) {
    const QByteArray source = TempDir::patternBytes(3 * Window);
    const QByteArray before(2 * Window, '\x5A');
    open(dir.write(QStringLiteral("source.bin"), source));
    mRWByt target(ui);
    target.Path(dir.write(QStringLiteral("target.bin"), before));
    target.OpenFileRW();
    EXPECT_EQ(target.GetByt(Window + 1), 0x5A);
    EXPECT_EQ(file.CopyTo(target, 11, 1, Window), 0) << "not yet open for writing";
    ASSERT_EQ(target.PutByt(0x5A, 1), 0);
    EXPECT_EQ(file.CopyTo(target, 11, 1, Window), 0) << "a byte waits in the target's window";
    target.CloseFile();
    target.OpenFileRW();
    ASSERT_EQ(target.WriteSpan(1, reinterpret_cast<const std::uint8_t*>(before.constData()), Window), 0);
    EXPECT_EQ(target.GetByt(Window + 1), 0x5A);
    {
        ScopedFileFault full({FileLayer::Op::Write, 1, ENOSPC});
        EXPECT_EQ(file.CopyTo(target, 11, 1, Window), 0) << "a write made to fail";
    }
    // Past the source's end it copies what there is; the target grows by just that.
    EXPECT_EQ(file.CopyTo(target, Window + 11, 2 * Window + 1, 2 * Window), Window);
    EXPECT_EQ(target.GetByt(Window + 11), quint8(source.at(2 * Window))) << "the window read again";
    target.CloseFile();
    file.CloseFile();
    EXPECT_EQ(TempDir::read(target.Path()), before.left(Window + 10) + source.mid(2 * Window));
    EXPECT_TRUE(ui.messages.empty());
}

// Space set aside for a copy that is coming is no part of the file: a copy that stops early
// leaves just the bytes it wrote.
TEST_F(CachedFile, SpaceSetAsideAddsNoByte) {
    const QString path = dir.path(QStringLiteral("new.bin"));
    open(path);
    file.Reserve(1, 4 * Window);
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
    EXPECT_EQ(info.st_size, 0);
    EXPECT_GE(std::int64_t(info.st_blocks) * 512, 4 * Window) << "the space is set aside";
    const std::uint8_t bytes[] = {1, 2, 3};
    EXPECT_EQ(file.WriteSpan(1, bytes, 3), 0);
    file.CloseFile();
    EXPECT_EQ(TempDir::read(path), QByteArray("\x01\x02\x03", 3));
    EXPECT_TRUE(ui.messages.empty());
}

}  // namespace

namespace {

// Reading never asks for write access; the first write reopens the file for writing, and
// only if the name still stands for the file that was read.
TEST_F(BinaryFile, ReadsOpenForReadingAndWritesOnlyIntoTheFileThatWasRead) {
    const QString path = openPattern(300);
    EXPECT_EQ(file.GetByt(10), (9 * 7 + 3) % 256);
    EXPECT_EQ(openMode(path), O_RDONLY);
    EXPECT_EQ(file.PutByt(0xAB, 10), 0);
    EXPECT_EQ(openMode(path), O_RDWR);
    file.CloseFile();
    EXPECT_EQ(openMode(path), -1);
    EXPECT_EQ(quint8(TempDir::read(path)[9]), 0xAB);
    EXPECT_TRUE(ui.messages.empty());

    // Write access refused after the file was opened: reading goes on, the write fails once.
    file.OpenFileRW();
    {
        ScopedFileFault refused({FileLayer::Op::Open, 1, EACCES});
        EXPECT_EQ(file.GetByt(11), (10 * 7 + 3) % 256);
        EXPECT_EQ(file.PutByt(0x11, 11), -1);
    }
    expectFailure(70, QStringLiteral("Диск защищён от записи. Снимите защиту и повторите попытку."));
    file.CloseFile();

    // Another file put under the name after the opening gets nothing.
    ui.clear();
    file.OpenFileRW();
    const QString other = dir.write(QStringLiteral("other.bin"), QByteArray(300, '\x55'));
    ASSERT_EQ(::rename(QFile::encodeName(other).constData(), QFile::encodeName(path).constData()), 0);
    EXPECT_EQ(file.PutByt(0x22, 1), -1);
    EXPECT_EQ(file.FillSpan(1, 300, 0x22), -1);
    EXPECT_EQ(file.Error(), 75);
    file.CloseFile();
    EXPECT_EQ(TempDir::read(path), QByteArray(300, '\x55'));
    EXPECT_EQ(ui.messages.size(), 2u);

    // Nor does a file deleted and written anew under the name.
    ui.clear();
    file.OpenFileRW();
    QFile::remove(path);
    dir.write(QStringLiteral("data.bin"), QByteArray(300, '\x66'));
    EXPECT_EQ(file.PutByt(0x22, 1), -1);
    file.CloseFile();
    EXPECT_EQ(TempDir::read(path), QByteArray(300, '\x66'));
    EXPECT_EQ(ui.messages.size(), 1u);
}

// A FIFO, folder or device put where the file was is refused at once, never waited on.
TEST_F(BinaryFile, WhatIsNoLongerARegularFileIsRefusedWithoutBlocking) {
    const QString path = dir.pattern(QStringLiteral("data.bin"), 10);
    file.MsgTitle(QStringLiteral("Bivex"));
    file.Path(path);
    ASSERT_EQ(::unlink(QFile::encodeName(path).constData()), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0644), 0);
    file.OpenFileRW();
    EXPECT_FALSE(file.IsOpen());
    expectFailure(52, kBadHandle);
}

// The program ignores the signal of the file-size limit, so a write beyond it fails with a
// full disk instead of ending the process. Run in a child: the limit and signal stay there.
TEST_F(BinaryFile, WritingPastTheFileSizeLimitIsADiskFullNotTheEnd) {
    const QString path = dir.pattern(QStringLiteral("big.bin"), 0x10100);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        FileLayer::ignoreFileSizeSignal();
        const rlimit limit{65600, 65600};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        RecordingUiServices quiet;
        mRWByt big(quiet);
        big.Path(path);
        big.OpenFileRW();
        big.PutByt(0x77, 0x10011);
        big.PutByt(0x77, 0x10051);
        big.CloseFile();
        ::_exit(big.Error() == 61 && quiet.messages.size() == 1 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    QByteArray expected = TempDir::patternBytes(0x10100);
    expected[0x10010] = '\x77';  // below the limit: written; the byte above it is not
    EXPECT_EQ(TempDir::read(path), expected);
}

// Bytes mapped for a look are the file's bytes, offered only where the file certainly holds
// them; a file cut short under a mapping makes the look fail instead of ending the program.
TEST_F(BinaryFile, MappedBytesAreTheFilesAndACutUnderThemFailsTheLookOnly) {
    const std::int64_t page = ::sysconf(_SC_PAGESIZE), size = 3 * page + 10;
    const QString path = openPattern(size);
    const QByteArray bytes = TempDir::patternBytes(size);
    MappedBytes view = file.MapSpan(5, size - 4);
    ASSERT_TRUE(view);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(view.data()), qsizetype(view.size())), bytes.mid(4));
    EXPECT_FALSE(file.MapSpan(5, size - 3)) << "past the end";
    {
        ScopedFileFault unreadable({FileLayer::Op::Read, 1, EIO});
        EXPECT_FALSE(file.MapSpan(1, 10)) << "reads made to fail go through the read calls";
    }
    ASSERT_EQ(file.PutByt(0x11, 2), 0);
    EXPECT_FALSE(file.MapSpan(1, 10)) << "a byte not yet written";

    std::uint8_t seen = 0;
    auto first = [&] { seen = view.data()[0]; };
    auto last = [&] { seen = view.data()[view.size() - 1]; };
    const QByteArray name = QFile::encodeName(path);
    // Cut inside the last page: past the new end it reads as zeros, without a fault.
    ASSERT_EQ(::truncate(name.constData(), size - 5), 0);
    EXPECT_FALSE(MappedBytes::read({&view}, last)) << "zeros past the end are not the file's";
    ASSERT_EQ(::truncate(name.constData(), page), 0);
    EXPECT_FALSE(MappedBytes::read({&view}, last));
    EXPECT_FALSE(MappedBytes::read({&view}, first)) << "the file no longer holds the view";
    ASSERT_EQ(::truncate(name.constData(), size), 0);
    EXPECT_TRUE(MappedBytes::read({&view}, first)) << "the next look works again";
    EXPECT_EQ(seen, std::uint8_t(bytes.at(4)));
    view = MappedBytes();
    file.CloseFile();
    EXPECT_TRUE(ui.messages.empty());

    // A SIGBUS that no look expects still ends the process.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        auto nothing = [] {};
        MappedBytes::read({}, nothing);
        ::dup2(::open("/dev/null", O_WRONLY), STDERR_FILENO);  // the sanitizer's report of it
        ::raise(SIGBUS);
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_FALSE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace
