// The chunked loops against the plain per-address loops they stand for, on random data
// with hits and mismatches placed on chunk borders, and what they do when the file fails.
#include "RangeScanners.h"

#include <QFile>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include "FileFaults.h"
#include "RecordingUiServices.h"
#include "TempDir.h"
#include "mRWByt.h"

namespace {

using namespace RangeScanners;
constexpr std::int64_t Chunk = kChunkBytes;

// What the per-address loops leave: the address found, the step counter and the last
// value put on the bar (-1: none).
struct Outcome {
    std::int64_t found = -1;
    std::int64_t counter = 0;
    std::int64_t bar = -1;
    bool operator==(const Outcome&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Outcome& o) {
    return os << "{found " << o.found << ", counter " << o.counter << ", bar " << o.bar << "}";
}

Outcome byteSearch(const QByteArray& f, std::int64_t start, std::int64_t end, const QByteArray& pattern,
                   std::int64_t counter) {
    Outcome o{-1, counter, -1};
    for (std::int64_t a = start; a <= end; ++a) {
        o.bar = o.counter++;
        int k = 0;
        while (k < pattern.size() && a + k < f.size() && f.at(a + k) == pattern.at(k)) ++k;
        if (k == pattern.size()) {
            o.found = a;
            break;
        }
    }
    return o;
}

Outcome byteMismatch(const QByteArray& a, const QByteArray& b, std::int64_t start, std::int64_t end,
                     std::int64_t counter) {
    Outcome o{-1, counter, -1};
    for (std::int64_t i = start; i <= end && i < a.size() && i < b.size(); ++i) {
        if (a.at(i) != b.at(i)) {
            o.found = i;
            break;
        }
        o.bar = o.counter++;
    }
    return o;
}

struct ScannerTest : ::testing::Test {
    TempDir dir;
    RecordingUiServices ui;
    mRWByt file{ui};
    mRWByt other{ui};
    QRandomGenerator random{20261207};

    // Bytes drawn from a few values, so that patterns and partial matches are common.
    QByteArray randomBytes(std::int64_t size, int values) {
        QByteArray bytes((size + 3) & ~qint64(3), Qt::Uninitialized);
        random.fillRange(reinterpret_cast<quint32*>(bytes.data()), bytes.size() / 4);
        bytes.resize(size);
        for (auto& b : bytes) b = char(0x41 + quint8(b) % values);
        return bytes;
    }
    std::int64_t pick(std::int64_t lo, std::int64_t hi) { return lo + std::int64_t(random.bounded(quint64(hi - lo + 1))); }
    // An address near a chunk border of a file of `size` bytes, or anywhere.
    std::int64_t nearBorder(std::int64_t size) {
        if (random.bounded(4) == 0) return pick(0, size - 1);
        const std::int64_t border = Chunk * pick(0, size / Chunk);
        return std::clamp<std::int64_t>(border + pick(-3, 3), 0, size - 1);
    }
    Outcome run(const std::function<ScanResult(StepCounter&)>& scan, std::int64_t counter) {
        Outcome o{-1, counter, -1};
        StepCounter steps(o.counter, [&](std::int64_t bar) { o.bar = bar; });
        o.found = scan(steps).found;
        return o;
    }
};

const std::int64_t kSizes[] = {1, 2, 3, Chunk - 1, Chunk, Chunk + 1, 2 * Chunk + 5};

TEST_F(ScannerTest, PatternSearchFindsWhatTheByteLoopFinds) {
    // Two and three bytes across a chunk border, the whole chunk before it searched: the
    // pattern's tail is read with the chunk, into the room kept for it.
    for (const QByteArray& pattern : {QByteArray("\x01\x02"), QByteArray("\x01\x02\x03")}) {
        QByteArray bytes = randomBytes(2 * Chunk + 5, 3);
        bytes.replace(Chunk - 1, pattern.size(), pattern);
        file.Path(dir.write(QStringLiteral("p.bin"), bytes));
        const Outcome got = run([&](StepCounter& s) {
            return findPattern(file, 0, 2 * Chunk + 4, reinterpret_cast<const std::uint8_t*>(pattern.constData()),
                               int(pattern.size()), s);
        }, 0);
        EXPECT_EQ(got, byteSearch(bytes, 0, 2 * Chunk + 4, pattern, 0)) << pattern.size() << " bytes";
    }
    for (int round = 0; round < 84; ++round) {
        const std::int64_t size = kSizes[round % std::size(kSizes)];
        QByteArray bytes = randomBytes(size, 1 + round % 3);
        const QByteArray pattern = randomBytes(1 + round % 3, 3);
        // A copy of the pattern across a chunk border, or cut off by the end of the file.
        const std::int64_t at = nearBorder(size);
        bytes.replace(at, std::min<std::int64_t>(pattern.size(), size - at), pattern.left(size - at));
        file.Path(dir.write(QStringLiteral("p.bin"), bytes));
        std::int64_t start = nearBorder(size), end = nearBorder(size);
        if (start > end) std::swap(start, end);
        const std::int64_t counter = round % 2 ? 17 : 0;  // a continued search goes on counting
        const Outcome expected = byteSearch(bytes, start, end, pattern, counter);
        const Outcome got = run([&](StepCounter& s) {
            return findPattern(file, start, end, reinterpret_cast<const std::uint8_t*>(pattern.constData()),
                               int(pattern.size()), s);
        }, counter);
        ASSERT_EQ(got, expected) << "size " << size << " range " << start << ".." << end << " pattern "
                                 << pattern.toHex().toStdString() << " placed at " << at;
    }
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ScannerTest, MismatchSearchStopsWhereTheByteLoopStops) {
    for (int round = 0; round < 84; ++round) {
        const std::int64_t sizeA = kSizes[round % std::size(kSizes)];
        const std::int64_t sizeB = round % 3 == 0 ? kSizes[(round / 3) % std::size(kSizes)] : sizeA;
        QByteArray a = randomBytes(sizeA, 4);
        // Every other round leaves zeros across a chunk border unwritten: a hole in both
        // files, or one in A against data in B.
        const bool sparse = round % 2 == 1;
        const auto zeroAcrossBorder = [](QByteArray& bytes) {
            const qsizetype from = std::min<qsizetype>(Chunk / 2, bytes.size()), n = std::min<qsizetype>(Chunk, bytes.size() - from);
            bytes.replace(from, n, QByteArray(n, '\0'));
        };
        if (sparse && round % 4 == 1) zeroAcrossBorder(a);
        QByteArray b = a.left(sizeB);
        if (b.size() < sizeB) b += randomBytes(sizeB - b.size(), 4);
        if (sparse && round % 4 == 3) zeroAcrossBorder(a);
        // Up to two differences, near chunk borders; some rounds none at all.
        for (int k = round % 3; k > 0; --k) {
            const std::int64_t at = nearBorder(sizeB);
            b[qsizetype(at)] = char(b.at(at) ^ 0x20);
        }
        file.Path(sparse ? dir.writeSparse(QStringLiteral("a.bin"), a) : dir.write(QStringLiteral("a.bin"), a));
        other.Path(sparse ? dir.writeSparse(QStringLiteral("b.bin"), b) : dir.write(QStringLiteral("b.bin"), b));
        const std::int64_t longer = std::max(sizeA, sizeB);
        std::int64_t start = nearBorder(longer), end = nearBorder(longer);
        if (start > end) std::swap(start, end);
        const Outcome expected = byteMismatch(a, b, start, end, 5);
        const Outcome got = run([&](StepCounter& s) { return findMismatch(file, other, start, end, s); }, 5);
        ASSERT_EQ(got, expected) << "sizes " << sizeA << "/" << sizeB << " range " << start << ".." << end;
    }
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ScannerTest, ReplaceAndFillChangeExactlyTheRange) {
    for (int round = 0; round < 42; ++round) {
        const std::int64_t size = kSizes[round % std::size(kSizes)];
        const QByteArray before = randomBytes(size, 1 + round % 4);
        std::int64_t start = nearBorder(size), end = nearBorder(size);
        if (start > end) std::swap(start, end);
        const char from = char(0x41 + round % 2), to = char(round % 3 == 0 ? from : 0x11);
        QByteArray replaced = before, filled = before;
        for (std::int64_t a = start; a <= end; ++a) {
            if (replaced.at(a) == from) replaced[qsizetype(a)] = to;
            filled[qsizetype(a)] = char(0xFF - round);
        }
        const QString path = dir.write(QStringLiteral("r.bin"), before);
        file.Path(path);
        ASSERT_TRUE(replaceBytes(file, start, end, std::uint8_t(from), std::uint8_t(to)));
        ASSERT_EQ(TempDir::read(path), replaced) << "replace, size " << size << " range " << start << ".." << end;
        dir.write(QStringLiteral("r.bin"), before);
        ASSERT_TRUE(fillBytes(file, start, end, std::uint8_t(0xFF - round)));
        ASSERT_EQ(TempDir::read(path), filled) << "fill, size " << size << " range " << start << ".." << end;
    }
    EXPECT_TRUE(ui.messages.empty());
}

// A failure ends the loop after the file object's one message; what was written before it
// stays, and the file is closed again.
TEST_F(ScannerTest, AFailureIsReportedOnceAndEndsTheLoop) {
    const std::int64_t size = 3 * Chunk;
    const QByteArray zeros(size, '\0');
    const QString path = dir.write(QStringLiteral("f.bin"), zeros);
    file.Path(path);
    other.Path(dir.write(QStringLiteral("g.bin"), zeros));
    const std::uint8_t pattern[] = {0x7F};
    std::int64_t counter = 0;
    StepCounter steps(counter);
    struct Row {
        const char* name;
        FileLayer::Fault fault;
        std::function<bool()> run;  // true when the loop reported a failure
        QByteArray after;           // the file afterwards
    };
    const Row rows[] = {
        {"search, unreadable second chunk", {FileLayer::Op::Read, 2, EIO},
         [&] { return findPattern(file, 0, size - 1, pattern, 1, steps).failed; }, zeros},
        {"mismatch, file B unreadable", {FileLayer::Op::Read, 2, EIO},
         [&] { return findMismatch(file, other, 0, size - 1, steps).failed; }, zeros},
        {"replace, disk full at the second write", {FileLayer::Op::Write, 2, ENOSPC},
         [&] { return !replaceBytes(file, 0, size - 1, 0, 0x11); },
         QByteArray(Chunk, '\x11') + QByteArray(size - Chunk, '\0')},
        {"fill, disk full at once", {FileLayer::Op::Write, 1, ENOSPC},
         [&] { return !fillBytes(file, 0, size - 1, 0x22); }, zeros},
        {"replace, file not opened", {FileLayer::Op::Open, 1, EACCES},
         [&] { return !replaceBytes(file, 0, size - 1, 0, 0x11); }, zeros},
    };
    for (const Row& row : rows) {
        dir.write(QStringLiteral("f.bin"), zeros);
        ui.clear();
        {
            ScopedFileFault fault(row.fault);
            EXPECT_TRUE(row.run()) << row.name;
        }
        EXPECT_EQ(ui.messages.size(), 1u) << row.name << ": " << ui.messageTexts().join('|').toStdString();
        EXPECT_FALSE(file.IsOpen() || other.IsOpen()) << row.name;
        EXPECT_TRUE(TempDir::read(path) == row.after) << row.name;
    }
}

// Another program cut the file short after its size was taken: the loops end at its real
// end, read nothing that is not there and do not lengthen it.
TEST_F(ScannerTest, AFileCutShortEndsTheLoopAtItsRealEnd) {
    const std::int64_t size = 2 * Chunk + 10, cut = Chunk + 3;
    const QString path = dir.write(QStringLiteral("s.bin"), QByteArray(size, '\x41'));
    file.Path(path);
    other.Path(dir.write(QStringLiteral("t.bin"), QByteArray(size, '\x41')));
    ASSERT_TRUE(QFile::resize(path, cut));
    const std::uint8_t missing[] = {0x00};
    Outcome o = run([&](StepCounter& s) { return findPattern(file, 0, size - 1, missing, 1, s); }, 0);
    EXPECT_EQ(o, (Outcome{-1, cut, cut - 1}));
    o = run([&](StepCounter& s) { return findMismatch(file, other, 0, size - 1, s); }, 0);
    EXPECT_EQ(o, (Outcome{-1, cut, cut - 1}));
    EXPECT_TRUE(replaceBytes(file, 0, size - 1, 0x41, 0x42));
    EXPECT_EQ(TempDir::read(path), QByteArray(cut, '\x42'));
    EXPECT_TRUE(fillBytes(file, 0, size - 1, 0x43));
    EXPECT_EQ(TempDir::read(path), QByteArray(cut, '\x43'));

    // Cut short while the search runs: the page the new end falls in shows zeros past it,
    // which are not the file's.
    file.Path(dir.write(QStringLiteral("u.bin"), QByteArray(size, '\x41')));
    o = Outcome{-1, 0, -1};
    StepCounter cutting(o.counter, [&](std::int64_t bar) {
        o.bar = bar;
        if (bar == Chunk - 1) QFile::resize(file.Path(), cut);
    });
    o.found = findPattern(file, 0, size - 1, missing, 1, cutting).found;
    EXPECT_EQ(o, (Outcome{-1, cut, cut - 1}));
    EXPECT_TRUE(ui.messages.empty()) << ui.messageTexts().join('|').toStdString();
}

}  // namespace
