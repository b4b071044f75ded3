// Patches written and applied in process: every patch gives B back, costs what its edits
// cost, and a damaged or hostile delta is refused with its reason and no output.
#include "Adler32.h"
#include "ChangeFinder.h"
#include "FilePair.h"
#include "VcdiffDecoder.h"
#include "VcdiffEncoder.h"
#include "VcdiffFormat.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <functional>

#include "FileFaults.h"
#include "TempDir.h"

namespace {

using Outcome = VcdiffDecoder::Outcome;
constexpr qsizetype KiB = 1024, MiB = 1024 * 1024;

QByteArray randomBytes(qsizetype n, QRandomGenerator& random) {
    QByteArray bytes(n, Qt::Uninitialized);
    for (auto& c : bytes) c = char(random.bounded(256));
    return bytes;
}

// The names in the test's folder: nothing may be left beside an output that failed.
QStringList names(const TempDir& dir) { return QDir(dir.path(QString())).entryList(QDir::Files | QDir::Hidden); }

QByteArray writePatch(const TempDir& dir, const QByteArray& a, const QByteArray& b,
                      const std::vector<Change>* changes = nullptr) {
    const FilePair files(dir.write(QStringLiteral("a"), a), dir.write(QStringLiteral("b"), b));
    const VcdiffEncoder::Result result = VcdiffEncoder::writePatch(files, dir.path(QStringLiteral("patch")), {}, changes);
    EXPECT_EQ(int(result.outcome), int(VcdiffEncoder::Outcome::Written)) << result.error;
    return TempDir::read(dir.path(QStringLiteral("patch")));
}

struct Applied {
    Outcome outcome;
    QByteArray out;  // what is at the output's name afterwards
};
Applied apply(const TempDir& dir, const QByteArray& a, const QByteArray& patch) {
    QFile::remove(dir.path(QStringLiteral("out")));
    const FilePair files(dir.write(QStringLiteral("source"), a), dir.write(QStringLiteral("delta"), patch));
    const VcdiffDecoder::Result result = VcdiffDecoder::applyPatch(files, dir.path(QStringLiteral("out")));
    return {result.outcome, TempDir::read(dir.path(QStringLiteral("out")))};
}

// B as A with a stretch of `removed` bytes at `at` replaced by `added`.
QByteArray edited(QByteArray a, qsizetype at, qsizetype removed, const QByteArray& added) {
    return a.replace(at, removed, added);
}

// ---- Windows made by hand, for the hostile cases ----

QByteArray integer(quint64 value) {
    Vcdiff::Byte bytes[Vcdiff::kLongestInteger];
    return QByteArray(reinterpret_cast<const char*>(bytes), Vcdiff::putInteger(bytes, value) - bytes);
}
QByteArray bigEndian(quint32 value) {
    const char bytes[] = {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
    return QByteArray(bytes, 4);
}
const QByteArray kHeader("\xD6\xC3\xC4\x00\x00", 5);

struct HandWindow {
    char indicator = Vcdiff::kChecksum;
    quint64 segmentLength = 0, segmentOffset = 0;
    QByteArray target;  // what it makes: its length and checksum
    QByteArray data, instructions, addresses;
    char deltaIndicator = 0;
    qint64 targetLength = -1;  // when not target's length
    QByteArray bytes() const {
        QByteArray delta = integer(targetLength >= 0 ? quint64(targetLength) : quint64(target.size())) +
                           QByteArray(1, deltaIndicator) + integer(data.size()) + integer(instructions.size()) +
                           integer(addresses.size());
        if (indicator & Vcdiff::kChecksum)
            delta += bigEndian(Adler32::update(Adler32::kStart, reinterpret_cast<const quint8*>(target.constData()), target.size()));
        delta += data + instructions + addresses;
        QByteArray window(1, indicator);
        if (indicator & (Vcdiff::kSourceWindow | Vcdiff::kTargetWindow))
            window += integer(segmentLength) + integer(segmentOffset);
        return window + integer(delta.size()) + delta;
    }
};
// One copy of `size` bytes in `mode` with its address's `value`; code 19 + 16 * mode takes
// the size after it.
QByteArray copyCode(int mode, quint64 size) { return char(19 + 16 * mode) + integer(size); }

// "ab", then a copy of it that overlaps its own output: "abababab".
HandWindow overlappingWindow() {
    HandWindow w;
    w.target = "abababab";
    w.data = "ab";
    w.instructions = QByteArray(1, char(Vcdiff::addCode(2))) + copyCode(Vcdiff::kHereMode, 6);
    w.addresses = integer(2);
    return w;
}
// The 8 bytes the window before made, again.
HandWindow earlierOutputWindow() {
    HandWindow w;
    w.indicator = Vcdiff::kTargetWindow | Vcdiff::kChecksum;
    w.segmentLength = 8;
    w.target = "abababab";
    w.instructions = copyCode(Vcdiff::kSelfMode, 8);
    w.addresses = integer(0);
    return w;
}

TEST(Vcdiff, Adler32IsTheDefinitionsSumWhateverTheLength) {
    auto byDefinition = [](const QByteArray& bytes) {
        quint32 s1 = 1, s2 = 0;
        for (char c : bytes) {
            s1 = (s1 + quint8(c)) % 65521;
            s2 = (s2 + s1) % 65521;
        }
        return s2 << 16 | s1;
    };
    QRandomGenerator random(37);
    for (const QByteArray& bytes : {QByteArray(), QByteArray("Wikipedia"), randomBytes(31, random),
                                    randomBytes(MiB + 37, random), QByteArray(3 * MiB + 5, '\xFF')}) {
        const auto* p = reinterpret_cast<const quint8*>(bytes.constData());
        const quint32 whole = Adler32::update(Adler32::kStart, p, bytes.size());
        EXPECT_EQ(whole, byDefinition(bytes)) << bytes.size();
        quint32 pieces = Adler32::kStart;  // a piece of every length up to 200
        for (qsizetype at = 0, n = 1; at < bytes.size(); at += n, n = n % 200 + 1)
            pieces = Adler32::update(pieces, p + at, std::min(n, bytes.size() - at));
        EXPECT_EQ(pieces, whole) << bytes.size();
    }
    EXPECT_EQ(Adler32::update(Adler32::kStart, reinterpret_cast<const quint8*>("Wikipedia"), 9), 0x11E60398u);
}

TEST(Vcdiff, EveryPatchGivesBBackAndCostsWhatItsEditsCost) {
    QRandomGenerator random(3284);
    const QByteArray a = randomBytes(600 * KiB, random);
    const QByteArray inserted = randomBytes(20 * KiB, random);
    QByteArray twice = edited(a, 100 * KiB, 0, inserted);
    twice = edited(twice, 400 * KiB, 0, inserted);
    QByteArray planted = edited(a, 500 * KiB, 3, "xyz!");
    planted = edited(planted, 300 * KiB, 100, {});
    planted = edited(planted, 1000, 0, QByteArray(2000, 'q'));
    QByteArray zeros(3 * MiB, '\0');
    const QByteArray big = randomBytes(MiB, random).repeated(18);  // three windows, and repeats
    QByteArray seams = edited(big, VcdiffEncoder::kWindow - 2, 5, "seam");
    seams = edited(seams, 2 * VcdiffEncoder::kWindow + 7, 0, randomBytes(300, random));

    const struct {
        const char* name;
        QByteArray a, b;
        qsizetype largest;  // bytes the patch may take
    } rows[] = {
        {"equal files", a, a, 64},
        {"both empty", {}, {}, 32},
        {"A empty", {}, inserted, inserted.size() + 64},
        {"B empty", a, {}, 32},
        {"planted edits", a, planted, 200},
        {"a block moved from the front to the end", a, a.mid(64 * KiB) + a.left(64 * KiB), 200},
        {"an insertion made twice: the second copies the first", a, twice, inserted.size() + 200},
        {"zeros with an insertion", zeros, edited(zeros, MiB + 3, 0, "12345678"), 100},
        {"unrelated bytes", a, randomBytes(a.size(), random), a.size() + a.size() / 100},
        {"edits at the seams of windows", big, seams, 2000},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        const QByteArray patch = writePatch(dir, row.a, row.b);
        EXPECT_LE(patch.size(), row.largest);
        const Applied applied = apply(dir, row.a, patch);
        EXPECT_EQ(int(applied.outcome), int(Outcome::Applied));
        EXPECT_TRUE(applied.out == row.b);
    }
}

TEST(Vcdiff, AGivenChangeListIsCheckedAgainstTheBytes) {
    QRandomGenerator random(17);
    const QByteArray a = randomBytes(200 * KiB, random);
    const QByteArray before = edited(a, 50 * KiB, 10, "before");  // what the list was made of
    // As long as before, so that the list still fits the files' lengths.
    const QByteArray now = edited(edited(before, 150 * KiB, 3, "now"), 120 * KiB, 4, "!!!!");
    std::vector<Change> stale;
    ChangeFinder::findChanges(reinterpret_cast<const quint8*>(a.constData()), a.size(),
                              reinterpret_cast<const quint8*>(before.constData()), before.size(), [&](const Change& c) {
                                  stale.push_back(c);
                                  return true;
                              });
    const std::vector<Change> misplaced{{10, 5, 0, 5}, {0, 1, 0, 1}};
    for (const std::vector<Change>* given : {static_cast<const std::vector<Change>*>(&stale), &misplaced}) {
        TempDir dir;
        EXPECT_TRUE(apply(dir, a, writePatch(dir, a, now, given)).out == now);
    }
}

TEST(Vcdiff, AHostileOrDamagedDeltaIsRefusedWithItsReasonAndNoOutput) {
    QRandomGenerator random(1950);
    const QByteArray a = randomBytes(4000, random);
    QByteArray b = edited(a, 1000, 20, randomBytes(300, random));
    TempDir made;
    const QByteArray good = writePatch(made, a, b);
    ASSERT_GT(good.size(), 300);

    HandWindow fromSource;  // 100 bytes of A from 50 on, then 20 of its own output at 10
    fromSource.indicator = Vcdiff::kSourceWindow | Vcdiff::kChecksum;
    fromSource.segmentLength = 200;
    fromSource.segmentOffset = 50;
    fromSource.target = a.mid(50, 100) + a.mid(60, 20);
    fromSource.instructions = copyCode(Vcdiff::kSelfMode, 100) + copyCode(Vcdiff::kSelfMode, 20);
    fromSource.addresses = integer(0) + integer(200 + 10);
    auto changed = [&](const std::function<void(HandWindow&)>& change) {
        HandWindow w = fromSource;
        change(w);
        return kHeader + w.bytes();
    };
    const HandWindow overlapping = overlappingWindow(), fromEarlierOutput = earlierOutputWindow();
    HandWindow large;  // more than a window's output held at once: its start is read back
    const QByteArray head = randomBytes(MiB, random);
    large.target = head + QByteArray(20 * MiB, '\0') + head;
    large.data = head + '\0';
    large.instructions = char(Vcdiff::addCode(0)) + integer(MiB) + char(Vcdiff::kRunCode) + integer(20 * MiB) +
                         copyCode(Vcdiff::kSelfMode, MiB);
    large.addresses = integer(0);
    QByteArray withHeader = good;
    withHeader[4] = char(Vcdiff::kAppHeader);
    withHeader.insert(5, integer(9) + "b//a/name");

    const struct {
        const char* name;
        QByteArray patch;
        Outcome outcome;
        QByteArray out = {};
    } rows[] = {
        {"the patch written", good, Outcome::Applied, b},
        {"with an application header", withHeader, Outcome::Applied, b},
        {"a window by hand", changed([](HandWindow&) {}), Outcome::Applied, fromSource.target},
        {"a copy overlapping its output", kHeader + overlapping.bytes(), Outcome::Applied, "abababab"},
        {"a window copying an earlier one's output", kHeader + overlapping.bytes() + fromEarlierOutput.bytes(),
         Outcome::Applied, QByteArray("abababab").repeated(2)},
        {"a window too large to hold at once", kHeader + large.bytes(), Outcome::Applied, large.target},
        {"no delta", "not a delta at all", Outcome::NotVcdiff},
        {"an empty file", {}, Outcome::NotVcdiff},
        {"secondary compression", QByteArray(good).replace(4, 1, "\x01\x02"), Outcome::Compressed},
        {"a code table of its own", QByteArray(good).replace(4, 1, "\x02"), Outcome::OwnCodeTable},
        {"compressed sections", changed([](HandWindow& w) { w.deltaIndicator = 1; }), Outcome::Compressed},
        {"an unknown header bit", QByteArray(good).replace(4, 1, "\x08"), Outcome::Damaged},
        {"source and target segment at once", changed([](HandWindow& w) { w.indicator |= Vcdiff::kTargetWindow; }), Outcome::Damaged},
        {"a segment past A's end", changed([&](HandWindow& w) { w.segmentOffset = a.size() - 100; }), Outcome::WrongSource},
        {"a segment of output not made yet", changed([](HandWindow& w) { w.indicator = Vcdiff::kTargetWindow; }), Outcome::Damaged},
        {"a checksum of other bytes", changed([](HandWindow& w) { w.target[0] = char(~w.target[0]); }), Outcome::WrongSource},
        {"an address not made yet", changed([](HandWindow& w) { w.addresses = integer(0) + integer(200 + 100); }), Outcome::Damaged},
        {"an address before the start", changed([](HandWindow& w) {
             w.instructions = copyCode(0, 100) + copyCode(Vcdiff::kHereMode, 20);
             w.addresses = integer(0) + integer(999);
         }), Outcome::Damaged},
        {"a size past the window's end", changed([](HandWindow& w) { w.instructions = copyCode(0, 100) + copyCode(0, 21); }), Outcome::Damaged},
        {"a giant window length", changed([](HandWindow& w) { w.targetLength = qint64(1) << 62; }), Outcome::Damaged},
        {"an integer past 63 bits", changed([](HandWindow& w) { w.instructions = copyCode(0, 100) + char(19) + QByteArray(9, '\xFF') + char(1); }), Outcome::Damaged},
        {"an address section left over", changed([](HandWindow& w) { w.addresses += char(0); }), Outcome::Damaged},
        {"a run without its byte", changed([](HandWindow& w) {
             w.targetLength = w.target.size() + 1;
             w.instructions += char(Vcdiff::kRunCode) + integer(1);
         }), Outcome::Damaged},
        {"another source", good, Outcome::WrongSource},
        {"a byte more after the last window", good + '\x04', Outcome::Truncated},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        const bool otherSource = QByteArray(row.name) == "another source";
        const Applied applied = apply(dir, otherSource ? b : a, row.patch);
        EXPECT_EQ(int(applied.outcome), int(row.outcome));
        EXPECT_TRUE(applied.out == row.out) << applied.out.size();
        if (row.outcome != Outcome::Applied) {
            EXPECT_EQ(names(dir), (QStringList{"delta", "source"}));
        }
    }
    // Cut anywhere inside its window: refused, however little is missing.
    TempDir dir;
    for (qsizetype length = kHeader.size() + 1; length < good.size(); ++length) {
        const Applied applied = apply(dir, a, good.left(length));
        ASSERT_EQ(int(applied.outcome), int(Outcome::Truncated)) << length;
        ASSERT_TRUE(applied.out.isEmpty());
    }
}

// Seeded mutations of deltas with every kind of instruction and window: whatever the
// bytes, the decoder ends with an outcome, reading and writing only what it owns (the
// sanitizers watch), and a delta whose checksums still hold gives what it gave.
TEST(Vcdiff, MutatedDeltasEndWithAnOutcome) {
    QRandomGenerator random(2024);
    const QByteArray a = randomBytes(3000, random);
    QByteArray b = edited(a, 200, 0, QByteArray(40, 'r'));
    b = edited(b, 1500, 0, b.mid(300, 100));
    b = edited(b, 2500, 30, randomBytes(7, random));
    TempDir dir;
    const struct {
        QByteArray patch, out;
    } bases[] = {
        {writePatch(dir, a, b), b},
        {kHeader + overlappingWindow().bytes() + earlierOutputWindow().bytes(), QByteArray("abababab").repeated(2)},
    };
    const FilePair files(dir.write(QStringLiteral("source"), a), dir.write(QStringLiteral("delta"), {}));
    QFile delta(files.b().path()), out(dir.path(QStringLiteral("out")));
    ASSERT_TRUE(delta.open(QIODevice::ReadWrite) && out.open(QIODevice::ReadWrite));
    int applied = 0;
    for (int round = 0; round < 20000; ++round) {
        const auto& base = bases[round % 2];
        QByteArray patch = base.patch;
        const auto at = qsizetype(random.bounded(quint32(patch.size())));
        switch (random.bounded(4)) {
        case 0:
            patch.insert(at, char(random.bounded(256)));
            break;
        case 1:
            patch.remove(at, 1);
            break;
        default:
            for (int n = 1 + int(random.bounded(3)); n > 0; --n)
                patch[qsizetype(random.bounded(quint32(patch.size())))] = char(random.bounded(256));
        }
        ASSERT_EQ(::pwrite(delta.handle(), patch.constData(), size_t(patch.size()), 0), patch.size());
        ASSERT_TRUE(out.resize(0));
        const VcdiffDecoder::Result result =
            VcdiffDecoder::decode(files.fdA(), a.size(), delta.handle(), patch.size(), out.handle());
        if (result.outcome != Outcome::Applied) continue;
        ++applied;
        ASSERT_TRUE(out.seek(0));
        ASSERT_TRUE(out.readAll() == base.out) << round;
    }
    EXPECT_LT(applied, 2000);
}

TEST(Vcdiff, AnOutputIsReplacedWholeOrNotAtAll) {
    QRandomGenerator random(5);
    TempDir dir;
    const QByteArray a = randomBytes(100 * KiB, random), b = edited(a, 5000, 0, "new");
    const QString pathA = dir.write(QStringLiteral("a"), a), pathB = dir.write(QStringLiteral("b"), b);
    const QString out = dir.path(QStringLiteral("out"));
    const QByteArray old("old bytes");
    ASSERT_TRUE(QFile::link(pathA, dir.path(QStringLiteral("link-to-a"))));
    ASSERT_EQ(::link(QFile::encodeName(pathB).constData(), QFile::encodeName(dir.path("hard-b")).constData()), 0);
    const FilePair files(pathA, pathB);
    using Writer = VcdiffEncoder::Outcome;
    auto write = [&](const QString& path, const VcdiffEncoder::ProgressHandler& progress = {}) {
        return VcdiffEncoder::writePatch(files, path, progress).outcome;
    };
    const QStringList before = names(dir);

    EXPECT_EQ(int(write(dir.path(QStringLiteral("link-to-a")))), int(Writer::OutputIsInput));
    EXPECT_EQ(int(write(dir.path(QStringLiteral("hard-b")))), int(Writer::OutputIsInput));
    EXPECT_EQ(int(write(out, [](qint64, qint64) { return false; })), int(Writer::Stopped));
    {
        ScopedFileFault full({FileLayer::Op::Write, 1, ENOSPC, 0, true});
        dir.write(QStringLiteral("out"), old);
        EXPECT_EQ(int(write(out)), int(Writer::WriteFailed));
    }
    EXPECT_EQ(TempDir::read(out), old);
    EXPECT_EQ(TempDir::read(pathA), a);
    EXPECT_EQ(TempDir::read(pathB), b);
    EXPECT_EQ(names(dir), before + QStringList{"out"});

    // Written through a symbolic link into the file it names, with that file's permissions.
    ::chmod(QFile::encodeName(out).constData(), 0640);
    ASSERT_TRUE(QFile::link(out, dir.path(QStringLiteral("link-to-out"))));
    EXPECT_EQ(int(write(dir.path(QStringLiteral("link-to-out")))), int(Writer::Written));
    EXPECT_TRUE(QFileInfo(dir.path(QStringLiteral("link-to-out"))).isSymLink());
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(out).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    const FilePair applying(pathA, out);
    EXPECT_EQ(int(VcdiffDecoder::applyPatch(applying, out).outcome), int(Outcome::OutputIsInput));
    EXPECT_EQ(int(VcdiffDecoder::applyPatch(applying, dir.path(QStringLiteral("result"))).outcome), int(Outcome::Applied));
    EXPECT_EQ(TempDir::read(dir.path(QStringLiteral("result"))), b);
}

}  // namespace
