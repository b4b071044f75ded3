// The chunked run scanner against runs taken from a plain byte loop, the list's answers
// for the next and previous run, and the command-line list.
#include "ListMismatch.h"
#include "RunList.h"
#include "RunScanner.h"

#include <QFile>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <thread>

#include "MappedBytes.h"
#include "TempDir.h"

namespace {

using FoundRun = RunScanner::Run;
constexpr std::int64_t Chunk = RunScanner::kChunkBytes;

struct Span {
    std::int64_t address, length;
    bool operator==(const Span&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Span& s) { return os << "{" << s.address << ", " << s.length << "}"; }

std::vector<Span> plainRuns(const QByteArray& a, const QByteArray& b) {
    std::vector<Span> runs;
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        if (a[i] == b[i]) continue;
        if (!runs.empty() && runs.back().address + runs.back().length == i)
            ++runs.back().length;
        else
            runs.push_back({i, 1});
    }
    return runs;
}

std::vector<Span> scannedRuns(const QString& pathA, const QString& pathB) {
    const RunScanner::FilePair files(pathA, pathB);
    std::vector<Span> runs;
    const auto result = RunScanner::scanRuns(files, 0, files.commonSize(), [&](const FoundRun& run) {
        runs.push_back({run.address, run.length});
        return true;
    });
    EXPECT_FALSE(result.failed || result.stopped || result.cutShort);
    return runs;
}

QByteArray randomBytes(qsizetype n, quint32 seed) {
    QByteArray bytes(n, Qt::Uninitialized);
    QRandomGenerator random(seed);
    for (auto& c : bytes) c = char(random.bounded(256));
    return bytes;
}

constexpr std::int64_t Grain = 4096;  // a block of a file system: holes come in these

struct PairCase {
    const char* name;
    qsizetype sizeA, sizeB;
    std::vector<Span> changed;  // stretches of B flipped against A
    std::vector<Span> zeroed = {};  // zeros in both, before the flips
    bool sparseA = false, sparseB = false;  // the zero blocks of the file left as holes
};

TEST(RunScanner, FindsTheRunsAPlainByteLoopFinds) {
    const std::vector<PairCase> cases = {
        {"identical", 3 * Chunk + 5, 3 * Chunk + 5, {}},
        {"run at 0 and at the last common byte", 1000, 1000, {{0, 3}, {999, 1}}},
        {"runs across chunk borders", 2 * Chunk + 100, 2 * Chunk + 100,
         {{Chunk - 1, 2}, {2 * Chunk - 40, 80}, {Chunk + 7, 1}}},
        {"a run ending on a chunk border", Chunk + 10, Chunk + 10, {{Chunk - 5, 5}, {Chunk, 0}}},
        {"A longer", 5000, 4000, {{3990, 10}, {100, 64}}},
        {"B longer", 4000, 5000, {{3999, 1}}},
        {"file A empty", 0, 300, {}},
        {"every byte differs", 70, 70, {{0, 70}}},
        {"the same holes in both, runs up to and from them", 3 * Chunk, 3 * Chunk,
         {{Grain - 3, 3}, {Chunk + 2 * Grain, 2}, {2 * Chunk - Grain - 1, 1}, {2 * Chunk + 3 * Grain, 5}},
         {{Grain, Chunk + Grain}, {2 * Chunk - Grain, 4 * Grain}}, true, true},
        {"a hole in A against data in B", Chunk + 3 * Grain, Chunk + 3 * Grain, {{Grain, Chunk}}, {{Grain, Chunk}}, true},
        {"a hole in A against zeros in B", 2 * Chunk, 2 * Chunk, {{3 * Grain - 1, 2}, {Chunk - 1, 2}, {Chunk + 5 * Grain - 3, 3}},
         {{2 * Grain, Chunk + 3 * Grain}}, true},
        {"a run from data into a hole", Chunk + 4 * Grain, Chunk + 4 * Grain, {{Chunk - Grain - 3, 10}},
         {{Chunk - Grain, 3 * Grain}}, true},
        {"runs across the borders of holes", 8 * Grain, 8 * Grain, {{2 * Grain - 2, 4}, {3 * Grain - 1, 1}, {6 * Grain - 1, 3}},
         {{2 * Grain, 4 * Grain}}, true, true},
        {"files ending in a hole", 2 * Chunk + 100, 2 * Chunk + 100, {{Chunk + 7, 1}}, {{Chunk + Grain, Chunk - Grain + 100}}, true, true},
    };
    TempDir dir;
    quint32 seed = 1;
    for (const PairCase& c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray base = randomBytes(std::max(c.sizeA, c.sizeB), seed++);
        QByteArray a = base.left(c.sizeA), b = base.left(c.sizeB);
        QRandomGenerator random(seed++);
        // Scattered single differences as well, so that runs meet chunk borders by chance.
        for (int k = 0; k < 50 && !b.isEmpty() && c.sizeA > 0; ++k) {
            const auto i = random.bounded(qsizetype(std::min(c.sizeA, c.sizeB)));
            b[i] = char(b[i] ^ 0x5A);
        }
        for (const Span& s : c.zeroed) {
            a.replace(s.address, s.length, QByteArray(s.length, '\0'));
            b.replace(s.address, s.length, QByteArray(s.length, '\0'));
        }
        for (const Span& s : c.changed)
            for (qsizetype i = s.address; i < s.address + s.length; ++i) b[i] = char(b[i] ^ (1 + random.bounded(255)));
        const auto write = [&](const char* name, const QByteArray& bytes, bool sparse) {
            return sparse ? dir.writeSparse(QString::fromLatin1(name), bytes) : dir.write(QString::fromLatin1(name), bytes);
        };
        const QString pathA = write("a", a, c.sparseA), pathB = write("b", b, c.sparseB);
        EXPECT_EQ(scannedRuns(pathA, pathB), plainRuns(a, b));
    }
}

TEST(RunScanner, NextAndPreviousRunStartAgreeWithTheListAtTheFirstAndLastRun) {
    struct Step {
        std::int64_t position, next, previous;
    };
    const struct {
        const char* name;
        qsizetype size;
        std::vector<Span> runs, holes;  // holes: zeros in both files, left unwritten
        std::vector<Step> steps;
    } pairs[] = {
        {"runs at both ends", 2 * Chunk + 300, {{0, 4}, {Chunk - 2, 4}, {2 * Chunk + 200, 100}}, {},
         {{-1, 0, -1}, {0, Chunk - 2, -1}, {2, Chunk - 2, 0}, {Chunk + 1, 2 * Chunk + 200, Chunk - 2},
          {2 * Chunk + 200, -1, Chunk - 2}, {2 * Chunk + 250, -1, 2 * Chunk + 200}}},
        {"holes of many steps in both", 6 * Chunk + 300, {{0, 4}, {Chunk - 2, 4}, {5 * Chunk + 200, 100}},
         {{Grain, Chunk - 2 * Grain}, {Chunk + Grain, 4 * Chunk - Grain}},
         {{2, Chunk - 2, 0}, {Chunk + 1, 5 * Chunk + 200, Chunk - 2}, {5 * Chunk + 200, -1, Chunk - 2}}},
        // The backward search looks at the last bytes below a position by sixteen and at the
        // rest, here all of them, one by one.
        {"runs in the first bytes", 40, {{0, 1}, {5, 3}, {12, 2}}, {}, {{5, 12, 0}, {8, 12, 5}, {12, -1, 5}, {13, -1, 12}}},
    };
    TempDir dir;
    for (const auto& pair : pairs) {
        SCOPED_TRACE(pair.name);
        QByteArray a = randomBytes(pair.size, 7);
        for (const Span& s : pair.holes) a.replace(s.address, s.length, QByteArray(s.length, '\0'));
        QByteArray b = a;
        for (const Span& s : pair.runs)
            for (qsizetype i = s.address; i < s.address + s.length; ++i) b[i] = char(~b[i]);
        const QString name = QString::fromLatin1(pair.name);
        const QString pathA = dir.writeSparse(name + QStringLiteral(" a"), a), pathB = dir.writeSparse(name + QStringLiteral(" b"), b);
        const RunScanner::FilePair files(pathA, pathB);
        RunList list;
        RunScanner::scanRuns(files, 0, files.commonSize(), [&](const FoundRun& run) {
            list.add(run);
            return true;
        });
        for (const Step& step : pair.steps) {
            SCOPED_TRACE(step.position);
            EXPECT_EQ(RunScanner::nextRunStart(files, step.position), step.next);
            EXPECT_EQ(list.nextStart(step.position), step.next);
            EXPECT_EQ(RunScanner::previousRunStart(files, step.position), step.previous);
            EXPECT_EQ(list.previousStart(step.position), step.previous);
        }
    }
    // Across the holes of the second pair both searches say how far they got, the backward
    // one going down, and stop when asked to.
    const QString name = QString::fromLatin1(pairs[1].name);
    const RunScanner::FilePair files(dir.path(name + QStringLiteral(" a")), dir.path(name + QStringLiteral(" b")));
    std::vector<std::int64_t> reached;
    const auto note = [&](std::int64_t at) {
        reached.push_back(at);
        return true;
    };
    const auto stop = [](std::int64_t) { return false; };
    EXPECT_EQ(RunScanner::previousRunStart(files, 5 * Chunk + 200, note), Chunk - 2);
    EXPECT_TRUE(reached.size() >= 2 && std::is_sorted(reached.rbegin(), reached.rend()) && reached.back() >= Chunk - 2 &&
                reached.front() < 5 * Chunk + 200) << reached.size();
    EXPECT_EQ(RunScanner::previousRunStart(files, 5 * Chunk + 200, stop), -1);
    reached.clear();
    EXPECT_EQ(RunScanner::nextRunStart(files, Chunk + 1, note), 5 * Chunk + 200);
    EXPECT_TRUE(reached.size() >= 2 && std::is_sorted(reached.begin(), reached.end()) && reached.front() > Chunk + 1 &&
                reached.back() <= 5 * Chunk + 200) << reached.size();
    EXPECT_EQ(RunScanner::nextRunStart(files, Chunk + 1, stop), -1);
}

TEST(RunScanner, AFileCutShortOnAnotherThreadEndsTheScanAtItsRealEnd) {
    TempDir dir;
    const std::int64_t size = 4 * Chunk;
    QByteArray a(size, 'x'), b = a;
    for (qsizetype i = 0; i < size; i += 4096) b[i] = 'y';
    const QString pathA = dir.write(QStringLiteral("a"), a), pathB = dir.write(QStringLiteral("b"), b);
    std::vector<Span> runs;
    RunScanner::ScanResult result;
    // On a worker thread, as the list scans: the fault in the mapped pages must come back
    // to this thread's scan, not end the program.
    std::thread worker([&] {
        const RunScanner::FilePair files(pathA, pathB);
        result = RunScanner::scanRuns(
            files, 0, files.commonSize(),
            [&](const FoundRun& run) {
                runs.push_back({run.address, run.length});
                return true;
            },
            [&](std::int64_t reached) {
                if (reached == Chunk) {
                    EXPECT_EQ(::truncate(pathB.toLocal8Bit().constData(), Chunk + 100), 0);
                }
                return true;
            });
    });
    worker.join();
    EXPECT_TRUE(result.cutShort);
    EXPECT_EQ(result.reached, Chunk + 100);
    // One run per 4096 bytes up to the real end, none invented beyond it.
    ASSERT_EQ(runs.size(), std::size_t(Chunk / 4096 + 1));
    EXPECT_EQ(runs.back(), (Span{Chunk, 1}));
}

TEST(RunList, KeepsAMillionRunsAndCountsTheRest) {
    RunList list;
    FoundRun run;
    run.length = 2;
    for (std::int64_t i = 0; i < RunList::kKeptRuns + 5; ++i) {
        run.address = 4 * i;
        list.add(run);
    }
    EXPECT_EQ(list.kept(), RunList::kKeptRuns);
    EXPECT_EQ(list.runCount(), RunList::kKeptRuns + 5);
    EXPECT_EQ(list.differingBytes(), 2 * (RunList::kKeptRuns + 5));
    EXPECT_EQ(list.nextStart(4 * (RunList::kKeptRuns - 2)), 4 * (RunList::kKeptRuns - 1));
    // Past the last kept run only a scan knows.
    EXPECT_EQ(list.nextStart(4 * (RunList::kKeptRuns - 1)), RunList::kUnknown);
}

TEST(ListMismatch, PrintsTheRunsAndTheLongerFileWithCmpsExitStatus) {
    TempDir dir;
    const QByteArray a = randomBytes(3000, 3);
    QByteArray b = a + QByteArray(3, 'z');
    b[0] = char(~b[0]);
    for (int i = 0x100; i < 0x110; ++i) b[i] = char(~b[i]);
    const QString pathA = dir.write(QStringLiteral("a"), a), pathB = dir.write(QStringLiteral("b"), b);
    const QString same = dir.write(QStringLiteral("same"), a);
    const QString out = dir.path(QStringLiteral("out.txt"));
    const int errors = ::open(dir.path(QStringLiteral("err.txt")).toLocal8Bit().constData(), O_WRONLY | O_CREAT, 0600);

    EXPECT_EQ(runListMismatch(pathA, pathB, out, errors), 1);
    EXPECT_EQ(TempDir::read(out), QByteArray("0000000 1\n0000100 16\n") + QStringLiteral("Файл В длиннее на 3 байта\n").toUtf8());
    EXPECT_EQ(runListMismatch(pathA, same, out, errors), 0);
    EXPECT_EQ(TempDir::read(out), QByteArray());
    EXPECT_EQ(runListMismatch(pathA, dir.path(QStringLiteral("missing")), out, errors), 2);
    // The list never empties a file it compares.
    EXPECT_EQ(runListMismatch(pathA, same, same, errors), 2);
    EXPECT_EQ(TempDir::read(same), a);
    ::close(errors);
}

}  // namespace
