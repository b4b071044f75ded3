// The chunked run scanner against runs taken from a plain byte loop, the list's answers
// for the next and previous run, and the command-line list.
#include "ListMismatch.h"
#include "RunList.h"
#include "RunScanner.h"

#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <thread>

#include "FileFaults.h"
#include "FileLayer.h"
#include "MappedBytes.h"
#include "RunProgram.h"
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
    std::vector<quint32> words(std::size_t(n + 3) / 4);
    QRandomGenerator(seed).fillRange(words.data(), qsizetype(words.size()));
    return QByteArray(reinterpret_cast<const char*>(words.data()), n);
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

// B holds A's bytes 7 bytes further on; compared from A's 10 and B's 17 over 15 bytes, the
// runs and the searches stay within those bytes (the run at 5 lies before them) and speak
// of A's addresses.
TEST(RunScanner, ARangeIsScannedAndSearchedAtAsOwnAddresses) {
    TempDir dir;
    const QByteArray a = randomBytes(40, 5);
    QByteArray b = randomBytes(7, 6) + a;
    for (const Span& run : {Span{5, 2}, Span{10, 3}, Span{20, 2}, Span{24, 3}})
        for (std::int64_t i = run.address; i < run.address + run.length; ++i) b[7 + i] = char(~b[7 + i]);
    const RunScanner::FilePair files(dir.write(QStringLiteral("a"), a), dir.write(QStringLiteral("b"), b), {10, 17, 15});
    std::vector<Span> runs;
    RunScanner::scanRuns(files, 0, CompareRange::kNoLimit, [&](const FoundRun& run) {
        runs.push_back({run.address, run.length});
        return true;
    });
    EXPECT_EQ(runs, (std::vector<Span>{{10, 3}, {20, 2}, {24, 1}}));
    const struct {
        std::int64_t position, next, previous;
    } steps[] = {{0, 10, -1}, {10, 20, -1}, {12, 20, 10}, {20, 24, 10}, {24, -1, 20}, {40, -1, 24}};
    for (const auto& step : steps) {
        SCOPED_TRACE(step.position);
        EXPECT_EQ(RunScanner::nextRunStart(files, step.position), step.next);
        EXPECT_EQ(RunScanner::previousRunStart(files, step.position), step.previous);
    }
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
    // Past the last kept run only a scan knows, in either direction.
    EXPECT_EQ(list.nextStart(4 * (RunList::kKeptRuns - 1)), RunList::kUnknown);
    EXPECT_EQ(list.previousStart(4 * (RunList::kKeptRuns + 3)), RunList::kUnknown);
    EXPECT_EQ(list.indexAt(4 * 7 + 1), 7);
    EXPECT_EQ(list.indexAt(4 * 7 + 2), -1);
}

TEST(RunMap, MarksExactlyTheBucketsARunFallsIn) {
    RunMap map;
    const std::int64_t size = 4 * RunMap::kBuckets;  // four bytes a bucket
    map.reset(size);
    map.mark(8, 4);      // bucket 2 alone
    map.mark(15, 2);     // buckets 3 and 4
    map.mark(size - 1, 1);
    std::vector<int> marked;
    for (int k = 0; k < RunMap::kBuckets; ++k)
        if (map.buckets()[std::size_t(k)]) marked.push_back(k);
    EXPECT_EQ(marked, (std::vector<int>{2, 3, 4, RunMap::kBuckets - 1}));
    EXPECT_FALSE(map.marked(0, 8));
    EXPECT_TRUE(map.marked(11, 12));
}

TEST(DifferenceText, SaysWhichFileIsLongerAndByHowMuchInRussian) {
    struct Row {
        std::int64_t a, b;
        const char* text;
    };
    for (const Row& row : {Row{3000, 3003, "Файл В длиннее на 3 байта"}, Row{5, 4, "Файл А длиннее на 1 байт"},
                           Row{0, 12, "Файл В длиннее на 12 байт"}, Row{0, 22, "Файл В длиннее на 22 байта"},
                           Row{111, 0, "Файл А длиннее на 111 байт"}, Row{0, 5, "Файл В длиннее на 5 байт"},
                           Row{0, 21, "Файл В длиннее на 21 байт"}, Row{7, 7, ""}})
        EXPECT_EQ(DifferenceText::longerFile(row.a, row.b), QString::fromUtf8(row.text));
}

// What --list-mismatch writes, says and answers, as a script reading it would see it.
TEST(ListMismatch, PrintsOnlyTheRunsAndAnswersAsCmpDoes) {
    TempDir dir;
    const QByteArray a = randomBytes(3000, 3);
    QByteArray b = a + QByteArray(3, 'z');
    b[0] = char(~b[0]);
    for (int i = 0x100; i < 0x110; ++i) b[i] = char(~b[i]);
    const QString pathA = dir.write(QStringLiteral("a"), a), pathB = dir.write(QStringLiteral("b"), b);
    const QString same = dir.write(QStringLiteral("same"), a);
    const QString longer = dir.write(QStringLiteral("longer"), a + "x");
    const QString link = dir.path(QStringLiteral("link-to-a"));
    ASSERT_EQ(::link(FileLayer::encodeName(pathA).constData(), FileLayer::encodeName(link).constData()), 0);
    const QString fifo = dir.path(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(FileLayer::encodeName(fifo).constData(), 0600), 0);
    // A name that is not UTF-8, and the file its lossy reading would name.
    const QString oddName = FileLayer::decodeName(FileLayer::encodeName(dir.path(QStringLiteral("list"))) + "\xff.txt");
    const QString lossyName = dir.write(QStringLiteral("list\uFFFD.txt"), "keep me");
    const QString out = dir.path(QStringLiteral("out.txt"));

    struct Case {
        const char* name;
        QString a, b, out;
        int status;
        QByteArray written;  // what OUT holds afterwards
        QString said;        // a part of what stderr holds ("" for nothing)
    };
    const std::vector<Case> cases = {
        {"runs, B longer", pathA, pathB, out, 1, "0000000 1\n0000100 16\n",
         QStringLiteral("bivex: конец файла «%1» после байта 3000: файл В длиннее на 3 байта.\n").arg(pathA)},
        {"equal", pathA, same, out, 0, "", ""},
        {"different only in length", pathA, longer, out, 1, "", QStringLiteral("файл В длиннее на 1 байт")},
        {"missing input", pathA, dir.path(QStringLiteral("missing")), out, 2, "",
         QStringLiteral("«%1» не найден.").arg(dir.path(QStringLiteral("missing")))},
        {"FIFO as input", fifo, pathB, out, 2, "", QStringLiteral("«%1» не является обычным файлом.").arg(fifo)},
        {"OUT is input A", pathA, same, pathA, 2, a, QStringLiteral("не записывается в сравниваемый файл")},
        {"OUT is input B under another name", same, pathA, link, 2, a, QStringLiteral("не записывается в сравниваемый файл")},
        {"OUT named by bytes that are not UTF-8", pathA, pathB, oddName, 1, "0000000 1\n0000100 16\n",
         QStringLiteral("файл В длиннее")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString errorsPath = dir.path(QStringLiteral("err.txt"));
        const int errors = FileLayer::open(errorsPath, O_WRONLY | O_CREAT | O_TRUNC);
        ASSERT_GE(errors, 0);
        EXPECT_EQ(runListMismatch(c.a, c.b, c.out, errors), c.status);
        FileLayer::close(errors);
        EXPECT_EQ(TempDir::read(c.out), c.written);
        const QString said = QString::fromUtf8(TempDir::read(errorsPath));
        if (c.said.isEmpty())
            EXPECT_EQ(said, QString());
        else
            EXPECT_TRUE(said.contains(c.said)) << said.toStdString();
    }
    EXPECT_EQ(TempDir::read(lossyName), "keep me") << "another file than the one named";
    ::unlink(FileLayer::encodeName(oddName).constData());
    EXPECT_EQ(TempDir::read(pathA), a);

    // A read that fails is trouble, not a difference.
    {
        ScopedFileFault failing({FileLayer::Op::Read, 1, EIO, 0, true});
        const int errors = FileLayer::open(dir.path(QStringLiteral("err.txt")), O_WRONLY | O_TRUNC);
        EXPECT_EQ(runListMismatch(pathA, pathB, out, errors), 2);
        FileLayer::close(errors);
    }
}

// The list over a range against cmp -l -i SKIP1:SKIP2 -n LIMIT, whose bytes are gathered
// into runs at A's addresses, on seeded random pairs: B is A behind a start of its own,
// with bytes changed and its end cut or lengthened; the larger pairs have holes where A's
// blocks and B's do not line up, and cross many steps.
TEST(ListMismatch, ListsWhatCmpListsFromAnySkipsWithinAnyLimit) {
    if (QStandardPaths::findExecutable(QStringLiteral("cmp")).isEmpty()) GTEST_SKIP() << "cmp is not installed";
    TempDir dir;
    QRandomGenerator random(36);
    const auto below = [&](std::int64_t n) { return std::int64_t(random.bounded(qint64(n))); };
    const QString out = dir.path(QStringLiteral("out")), errorsPath = dir.path(QStringLiteral("err"));
    const QRegularExpression ended(QStringLiteral("EOF on (.*) (?:after byte (\\d+)|which is empty)")),
        ourEnd(QStringLiteral("конец файла «(.*)» после байта (\\d+)"));
    for (int trial = 0; trial < 40; ++trial) {
        SCOPED_TRACE(trial);
        const bool large = trial % 4 == 0;
        const qsizetype size = large ? 2 * Chunk + below(Chunk) : below(5000);
        QByteArray a = randomBytes(size, quint32(100 + trial));
        for (int k = 0; large && k < 3; ++k) {
            const qsizetype length = Grain + below(Chunk / 2);
            a.replace(below(size - length), length, QByteArray(length, '\0'));
        }
        const qsizetype start = below(large ? 3 * Grain : 300);
        QByteArray b = randomBytes(start, quint32(200 + trial)) + a;
        for (int k = 0; size > 0 && k < 20; ++k) {
            const qsizetype at = start + below(size);
            for (qsizetype i = at; i < std::min(b.size(), at + random.bounded(1, 40)); ++i) b[i] = char(b[i] ^ random.bounded(1, 256));
        }
        if (random.bounded(2))
            b.chop(below(std::min<qsizetype>(b.size(), 300) + 1));
        else
            b += randomBytes(below(300), quint32(300 + trial));
        const QString pathA = dir.writeSparse(QStringLiteral("a"), a), pathB = dir.writeSparse(QStringLiteral("b"), b);
        CompareRange range;
        range.skipA = below(size + 50);
        // Mostly where B's copy of A's bytes lies; skips apart differ everywhere, so only on small pairs.
        range.skipB = large || random.bounded(3) ? range.skipA + start : below(b.size() + 50);
        if (trial % 5 == 1 && !large) range.skipA = range.skipB = 0;
        if (random.bounded(2)) range.limit = below(size + 50);

        const int errors = FileLayer::open(errorsPath, O_WRONLY | O_CREAT | O_TRUNC);
        const int status = runListMismatch(pathA, pathB, out, errors, range);
        FileLayer::close(errors);
        std::vector<Span> ours;
        for (const QByteArray& line : TempDir::read(out).split('\n'))
            if (!line.isEmpty()) ours.push_back({line.split(' ')[0].toLongLong(nullptr, 16), line.split(' ')[1].toLongLong()});

        QStringList arguments{QStringLiteral("-l"), QStringLiteral("-i"), QStringLiteral("%1:%2").arg(range.skipA).arg(range.skipB)};
        if (range.limit != CompareRange::kNoLimit) arguments << QStringLiteral("-n") << QString::number(range.limit);
        const ProgramRun cmp = runProgram(QStringLiteral("cmp"), arguments + QStringList{pathA, pathB});
        std::vector<Span> listed;
        for (const QByteArray& line : cmp.out.split('\n')) {
            if (line.trimmed().isEmpty()) continue;
            const std::int64_t address = range.skipA + line.simplified().split(' ')[0].toLongLong() - 1;
            if (!listed.empty() && listed.back().address + listed.back().length == address)
                ++listed.back().length;
            else
                listed.push_back({address, 1});
        }
        EXPECT_EQ(status, cmp.exitCode) << cmp.err.toStdString();
        EXPECT_EQ(ours, listed);
        // The file that ended first, and after how many bytes, as cmp says it.
        const QRegularExpressionMatch theirs = ended.match(cmp.err), said = ourEnd.match(QString::fromUtf8(TempDir::read(errorsPath)));
        EXPECT_EQ(said.hasMatch(), theirs.hasMatch()) << cmp.err.toStdString();
        EXPECT_EQ(said.captured(1), theirs.captured(1));
        EXPECT_EQ(said.captured(2).toLongLong(), theirs.captured(2).toLongLong());
    }
}

// An input cut short while it is listed: the lines written stay, the answer is trouble.
TEST(ListMismatch, SaysThatAnInputChangedWhileItWasListed) {
    TempDir dir;
    const qsizetype size = 2 * Chunk;
    QByteArray a(size, '\0'), b = a;
    for (qsizetype i = 0; i < size; i += 16) b[i] = 1;  // far more lines than one flush holds
    const QString pathA = dir.write(QStringLiteral("a"), a), pathB = dir.write(QStringLiteral("b"), b);
    const QString fifo = dir.path(QStringLiteral("list"));
    ASSERT_EQ(::mkfifo(FileLayer::encodeName(fifo).constData(), 0600), 0);
    QByteArray listed;
    // The reader cuts A short once the first lines arrive: the lister is then in the
    // middle of its scan, waiting for the pipe.
    std::thread reader([&] {
        const int fd = ::open(FileLayer::encodeName(fifo).constData(), O_RDONLY);
        char buffer[65536];
        bool cut = false;
        for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) {
            listed.append(buffer, n);
            if (!cut) cut = ::truncate(FileLayer::encodeName(pathA).constData(), 4096) == 0;
        }
        ::close(fd);
    });
    const QString errorsPath = dir.path(QStringLiteral("err.txt"));
    const int errors = FileLayer::open(errorsPath, O_WRONLY | O_CREAT | O_TRUNC);
    EXPECT_EQ(runListMismatch(pathA, pathB, fifo, errors), 2);
    FileLayer::close(errors);
    reader.join();
    EXPECT_TRUE(listed.startsWith("0000000 1\n0000010 1\n"));
    const QString said = QString::fromUtf8(TempDir::read(errorsPath));
    EXPECT_EQ(said.count(QStringLiteral("bivex:")), 1) << said.toStdString();
    EXPECT_TRUE(said.contains(QStringLiteral("«%1» стал короче во время сравнения").arg(pathA))) << said.toStdString();
}

}  // namespace
