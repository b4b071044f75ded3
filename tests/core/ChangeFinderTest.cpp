// The change finder against edits planted in random and low-entropy files: every script
// must turn A into B, and edits far apart must come back exactly as planted.
#include "ChangeFinder.h"
#include "ChangeScript.h"
#include "FilePair.h"

#include <QFile>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include "FileFaults.h"
#include "TempDir.h"

// How a change reads in a failure.
std::ostream& operator<<(std::ostream& os, const Change& c) {
    return os << "{" << c.addressA << ", " << c.lengthA << ", " << c.addressB << ", " << c.lengthB << "}";
}

namespace {

constexpr qsizetype KiB = 1024, MiB = 1024 * 1024;

// An edit planted in A: `removed` bytes at `at` give way to `added` new ones.
struct Edit {
    qsizetype at, removed, added;
};

struct Planted {
    QByteArray a, b;
    std::vector<Change> changes;  // the edits as the finder should give them back
};

QByteArray randomBytes(qsizetype n, QRandomGenerator& random) {
    QByteArray bytes(n, Qt::Uninitialized);
    for (auto& c : bytes) c = char(random.bounded(256));
    return bytes;
}

// B is A with `edits` (in order, apart) made. With `distinct`, the bytes at both ends of
// each edit differ from those they could be mistaken for, so that only one script is
// the shortest; otherwise an insertion of "x" before an "x" may as well come after it.
Planted plant(QByteArray a, const std::vector<Edit>& edits, quint32 seed, bool distinct = true) {
    QRandomGenerator random(seed);
    std::vector<QByteArray> added;
    for (const Edit& e : edits) {
        QByteArray bytes = randomBytes(e.added, random);
        if (distinct) {
            const qsizetype end = e.at + e.removed;
            auto other = [](char c) { return char(c ^ 0x5A); };
            if (e.added == 0) {
                if (end < a.size() && e.at < a.size() && a[end] == a[e.at]) a[end] = other(a[e.at]);
                if (e.at > 0 && end > 0 && a[e.at - 1] == a[end - 1]) a[e.at - 1] = other(a[end - 1]);
            } else {
                // A new byte that equals the one it stands beside lets the edit slide.
                auto avoid = [&](char& c, bool first, bool last) {
                    while ((first && e.at < a.size() && c == a[e.at]) || (last && end > 0 && c == a[end - 1])) c = char(c + 1);
                };
                avoid(bytes.front(), true, e.added == 1);
                avoid(bytes.back(), e.added == 1, true);
            }
        }
        added.push_back(bytes);
    }
    Planted p;
    qsizetype at = 0;
    for (std::size_t i = 0; i < edits.size(); ++i) {
        const Edit& e = edits[i];
        p.b += a.mid(at, e.at - at);
        p.changes.push_back({e.at, e.removed, p.b.size(), e.added});
        p.b += added[i];
        at = e.at + e.removed;
    }
    p.b += a.mid(at);
    p.a = a;
    return p;
}

const std::uint8_t* bytes(const QByteArray& data) { return reinterpret_cast<const std::uint8_t*>(data.constData()); }

std::vector<Change> changesOf(const QByteArray& a, const QByteArray& b) {
    std::vector<Change> found;
    EXPECT_TRUE(ChangeFinder::findChanges(bytes(a), a.size(), bytes(b), b.size(), [&](const Change& c) {
        found.push_back(c);
        return true;
    }));
    EXPECT_TRUE(ChangeScript::turnsInto(found, bytes(a), a.size(), bytes(b), b.size()));
    return found;
}

// `count` edits of 1 to `longest` bytes of every kind, `apart` bytes or more from each other.
std::vector<Edit> scattered(qsizetype size, int count, qsizetype longest, qsizetype apart, quint32 seed) {
    QRandomGenerator random(seed);
    std::vector<Edit> edits;
    const qsizetype share = size / count;
    for (int i = 0; i < count; ++i) {
        const qsizetype removed = i % 3 == 0 ? 0 : 1 + random.bounded(longest);
        const qsizetype added = i % 3 == 1 ? 0 : 1 + random.bounded(longest);
        const qsizetype room = share - removed - apart;
        edits.push_back({i * share + (room > 0 ? random.bounded(room) : 0), removed, added});
    }
    return edits;
}

TEST(ChangeFinder, GivesBackEditsPlantedFarApart) {
    const struct {
        const char* name;
        qsizetype size;
        std::vector<Edit> edits;
    } rows[] = {
        {"identical", 100 * KiB, {}},
        {"both empty", 0, {}},
        {"A empty", 0, {{0, 0, 5000}}},
        {"B empty", 5000, {{0, 5000, 0}}},
        {"one of each kind in a small file", 3000, {{100, 0, 5}, {900, 7, 0}, {2000, 10, 10}, {2500, 3, 40}}},
        {"one-byte edits at both ends", 3000, {{0, 1, 0}, {1500, 1, 1}, {2999, 0, 1}}},
        {"insertion at 0, deletion of the last bytes", 200 * KiB, {{0, 0, 300}, {200 * KiB - 10, 10, 0}}},
        {"replacement at 0, insertion past the end", 200 * KiB, {{0, 20, 9}, {200 * KiB, 0, 5}}},
        {"long replacements of unequal length", MiB, {{1000, 4096, 3000}, {500 * KiB, 1, 4096}, {900 * KiB, 4096, 4096}}},
        {"across the 4 MiB steps", 9 * MiB,
         {{4 * MiB - 3, 10, 12}, {4 * MiB + 100 * KiB, 4096, 0}, {8 * MiB - 1, 0, 100}, {8 * MiB + 4096, 1, 1}}},
        {"twenty edits of up to 4 KiB, 4 KiB apart or more", 6 * MiB, scattered(6 * MiB, 20, 4096, 4096, 11)},
        {"two hundred edits of up to 64 bytes", 4 * MiB, scattered(4 * MiB, 200, 64, 4096, 12)},
        {"edits of up to 4 KiB packed 4 KiB apart", 2 * MiB, scattered(2 * MiB, 170, 4096, 4096, 13)},
    };
    quint32 seed = 100;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QRandomGenerator random(seed);
        const Planted p = plant(randomBytes(row.size, random), row.edits, seed + 1);
        seed += 2;
        const std::vector<Change> found = changesOf(p.a, p.b);
        ASSERT_EQ(found.size(), p.changes.size());
        for (std::size_t i = 0; i < found.size(); ++i) EXPECT_EQ(found[i], p.changes[i]) << "change " << i;
    }
}

TEST(ChangeFinder, EditsCloseTogetherGiveAScriptThatTurnsAIntoB) {
    const struct {
        const char* name;
        qsizetype size;
        std::vector<Edit> edits;
    } rows[] = {
        {"adjacent: deletion, insertion, replacement", 3000, {{100, 5, 0}, {105, 0, 7}, {105, 3, 3}}},
        {"a byte changed every other byte", 5000, [] {
             std::vector<Edit> e;
             for (qsizetype at = 1000; at < 1400; at += 2) e.push_back({at, 1, 1});
             return e;
         }()},
        {"edits a few bytes apart", 20 * KiB, [] {
             std::vector<Edit> e;
             for (qsizetype at = 100, k = 0; at < 19 * KiB; at += 12 + k % 9, ++k) e.push_back({at, k % 3, (k + 1) % 4});
             return e;
         }()},
        {"dense edits in a large file", 2 * MiB, scattered(2 * MiB, 3000, 40, 100, 21)},
        {"edits of every kind, everywhere", 300 * KiB, scattered(300 * KiB, 600, 200, 0, 22)},
    };
    quint32 seed = 200;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QRandomGenerator random(seed);
        const Planted p = plant(randomBytes(row.size, random), row.edits, seed + 1, false);
        seed += 2;
        // Never more changes than were made: stretches of chance likeness are not kept.
        EXPECT_LE(changesOf(p.a, p.b).size(), p.changes.size());
    }
    // Two edits exactly kShortestKeptMatch equal bytes apart stay two; one byte closer, one.
    QRandomGenerator random(300);
    for (const qsizetype apart : {ChangeFinder::kShortestKeptMatch, ChangeFinder::kShortestKeptMatch - 1}) {
        SCOPED_TRACE(apart);
        const Planted p = plant(randomBytes(4000, random), {{2000, 3, 3}, {2003 + apart, 2, 2}}, 310);
        const std::vector<Change> found = changesOf(p.a, p.b);
        if (apart == ChangeFinder::kShortestKeptMatch)
            EXPECT_EQ(found, p.changes);
        else
            EXPECT_EQ(found, (std::vector<Change>{{2000, 5 + apart, 2000, 5 + apart}}));
    }
    // Small pairs over an alphabet of two to four bytes, where many scripts tie.
    for (int i = 0; i < 2000; ++i) {
        const int letters = 2 + i % 3;
        QByteArray a(random.bounded(200), Qt::Uninitialized), b;
        for (char& c : a) c = char('a' + random.bounded(letters));
        b = a;
        for (int k = random.bounded(6); k-- > 0 && !b.isEmpty();) {
            const qsizetype at = random.bounded(b.size());
            switch (random.bounded(3)) {
            case 0: b.insert(at, QByteArray(1 + random.bounded(12), char('a' + random.bounded(letters)))); break;
            case 1: b.remove(at, 1 + random.bounded(12)); break;
            default: b[at] = char('a' + random.bounded(letters));
            }
        }
        SCOPED_TRACE(i);
        changesOf(a, b);
    }
    // Random pairs of small files, random edits.
    for (int i = 0; i < 300; ++i) {
        const QByteArray a = randomBytes(random.bounded(3000), random);
        std::vector<Edit> edits;
        for (qsizetype at = random.bounded(50); at <= a.size(); at += 1 + random.bounded(200)) {
            const qsizetype removed = std::min<qsizetype>(random.bounded(30), a.size() - at);
            edits.push_back({at, removed, random.bounded(30)});
            at += removed;
        }
        const Planted p = plant(a, edits, 400 + i, false);
        SCOPED_TRACE(i);
        changesOf(p.a, p.b);
    }
    // Blocks of a small pool moved, copied, cut and dropped: anchors that cross, repeat,
    // and overlap what an earlier anchor has grown over on one side only.
    for (int round = 0; round < 24; ++round) {
        SCOPED_TRACE(round);
        std::vector<QByteArray> pool;
        for (int i = 0, n = 8 + int(random.bounded(24)); i < n; ++i) pool.push_back(randomBytes(16 + random.bounded(200), random));
        QByteArray a, b;
        for (int i = 0, n = 300 + int(random.bounded(1500)); i < n; ++i) {
            const QByteArray& block = pool[std::size_t(random.bounded(int(pool.size())))];
            a += block;
            switch (random.bounded(20)) {
            case 0: break;                                                                   // dropped
            case 1: b += pool[std::size_t(random.bounded(int(pool.size())))] + block; break;  // another put before
            case 2: b += block.left(random.bounded(block.size())); break;                     // its end cut off
            case 3: b += block.mid(random.bounded(block.size())); break;                      // its start cut off
            default: b += block;
            }
        }
        changesOf(a, b);
    }
}

TEST(ChangeFinder, BytesThatKeepTheirPlacesAreComparedInPlace) {
    QRandomGenerator random(800);
    // A table of sixteen slots of 32 bytes, strings padded with zeros, nine of them
    // translated into longer CP1251 text in their slots; random bytes around it.
    const char* english[16] = {"Open file", "Save", "Close", "Exit", "Find", "Replace", "Fill", "Copy",
                               "Help", "About", "Go to", "Next", "Back", "Undo", "Redo", "Print"};
    const char* russian[16] = {"\xce\xf2\xea\xf0\xfb\xf2\xfc \xf4\xe0\xe9\xeb", nullptr, "\xc7\xe0\xea\xf0\xfb\xf2\xfc",
                               "\xc2\xfb\xf5\xee\xe4", nullptr, "\xc7\xe0\xec\xe5\xed\xe8\xf2\xfc", nullptr,
                               "\xca\xee\xef\xe8\xf0\xee\xe2\xe0\xf2\xfc", nullptr, "\xce \xef\xf0\xee\xe3\xf0\xe0\xec\xec\xe5",
                               "\xcf\xe5\xf0\xe5\xe9\xf2\xe8", nullptr, "\xcd\xe0\xe7\xe0\xe4", "\xce\xf2\xec\xe5\xed\xe8\xf2\xfc",
                               nullptr, nullptr};
    constexpr qsizetype kTableAt = 3000, kSlot = 32;
    QByteArray a = randomBytes(8000, random), b;
    for (int slot = 0; slot < 16; ++slot) a.replace(kTableAt + slot * kSlot, kSlot, QByteArray(english[slot]).leftJustified(kSlot, '\0'));
    b = a;
    for (int slot = 0; slot < 16; ++slot)
        if (russian[slot]) b.replace(kTableAt + slot * kSlot, kSlot, QByteArray(russian[slot]).leftJustified(kSlot, '\0'));
    std::vector<Change> found = changesOf(a, b);
    ASSERT_EQ(found.size(), 9u);
    for (const Change& c : found) {
        const qsizetype slot = (c.addressA - kTableAt) / kSlot;
        EXPECT_TRUE(c.addressA == c.addressB && c.lengthA == c.lengthB && c.addressA >= kTableAt && russian[slot] &&
                    c.endA() <= kTableAt + (slot + 1) * kSlot) << c;
    }

    // One byte in 64 flipped in files of equal length: each flip is one replacement.
    const Planted flips = plant(randomBytes(MiB, random), [] {
        std::vector<Edit> e;
        for (qsizetype at = 5; at < MiB; at += 64) e.push_back({at, 1, 1});
        return e;
    }(), 801);
    EXPECT_EQ(changesOf(flips.a, flips.b), flips.changes);

    // Records whose 4-byte fields all changed, and a block inserted among them: the fields in
    // place and the block as one insertion, not the stretch as a replacement.
    QByteArray records = randomBytes(256 * KiB, random), moved = records;
    for (qsizetype at = 0; at + 24 <= moved.size(); at += 24) moved[at + 17] = char(moved[at + 17] ^ 0x40);
    const QByteArray block = randomBytes(3000, random);
    moved.insert(100 * 24, block);
    std::int64_t listed = 0;
    found = changesOf(records, moved);
    for (const Change& c : found) listed += c.lengthB;
    EXPECT_LE(listed, 2 * (records.size() / 24) + block.size());
    EXPECT_TRUE(std::any_of(found.begin(), found.end(), [](const Change& c) { return c.lengthB - c.lengthA >= 3000; }));
}

TEST(ChangeFinder, HandsOnEachChangeOnceFinalAndSaysUpToWhereTheListIsComplete) {
    QRandomGenerator random(900);
    const Planted p = plant(randomBytes(36 * MiB, random), scattered(36 * MiB, 40, 3000, 4096, 901), 902);  // two threads at work
    ASSERT_EQ(changesOf(p.a, p.b), p.changes);
    // Below the settled addresses, the list handed on so far is the whole script.
    auto complete = [&](const std::vector<Change>& handed, const ChangeFinder::Progress& at) {
        const auto below = std::count_if(p.changes.begin(), p.changes.end(), [&](const Change& c) {
            return c.addressA < at.settledA || c.addressB < at.settledB;
        });
        return handed.size() >= std::size_t(below) && std::equal(handed.begin(), handed.end(), p.changes.begin());
    };
    for (const double stopAt : {0.5, 2.0}) {
        SCOPED_TRACE(stopAt);
        std::vector<Change> handed;
        ChangeFinder::Progress last;
        int reports = 0;
        const bool finished = ChangeFinder::findChanges(
            bytes(p.a), p.a.size(), bytes(p.b), p.b.size(), [&](const Change& c) { return handed.push_back(c), true; },
            ChangeFinder::ProgressWatcher([&](const ChangeFinder::Progress& now) {
                ++reports;
                EXPECT_TRUE(now.settledA >= last.settledA && now.settledB >= last.settledB && now.done >= last.done);
                EXPECT_TRUE(complete(handed, now)) << now.settledA << " " << handed.size();
                last = now;
                return now.settledA < stopAt * p.a.size();
            }));
        EXPECT_TRUE(complete(handed, last));
        if (stopAt > 1) {
            EXPECT_TRUE(finished);
            EXPECT_EQ(handed, p.changes);
            EXPECT_EQ(last.settledA, p.a.size());
            EXPECT_EQ(last.done, last.total);
            EXPECT_GT(reports, 3);
        } else {
            // Stopped half way: what came is the start of the script, up to where it said.
            EXPECT_FALSE(finished);
            EXPECT_GE(last.settledA, p.a.size() / 2);
            EXPECT_LT(handed.size(), p.changes.size());
        }
    }
}

// Sparse files made by their pieces of data; the rest is holes.
struct SparsePiece {
    qint64 at;
    QByteArray bytes;
};
QString writeSparse(const TempDir& dir, const QString& name, qint64 size, const std::vector<SparsePiece>& pieces) {
    const QString path = dir.path(name);
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    bool ok = fd >= 0 && ::ftruncate(fd, size) == 0;
    for (const SparsePiece& piece : pieces) ok = ok && ::pwrite(fd, piece.bytes.constData(), piece.bytes.size(), piece.at) == piece.bytes.size();
    if (fd >= 0) ::close(fd);
    EXPECT_TRUE(ok);
    return path;
}

long minorFaults() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

TEST(ChangeFinder, HolesArePassedOverWithoutBeingRead) {
    TempDir dir;
    QRandomGenerator random(1000);
    const QByteArray data = randomBytes(2 * MiB, random);
    QByteArray edited = data;
    for (qsizetype at : {qsizetype(100), qsizetype(MiB + 7)}) edited[at] = char(~edited[at]);
    edited.insert(MiB / 2, "inserted");
    const qint64 size = 24 * MiB + 100;
    const struct {
        const char* name;
        qint64 sizeA, sizeB;
        std::vector<SparsePiece> a, b;
    } rows[] = {
        {"data between holes in both, edited", size, size + 8, {{4 * MiB, data}}, {{4 * MiB, edited}}},
        {"data in A against a hole in B", size, size, {{4 * MiB, data}, {12 * MiB, data}}, {{12 * MiB, data}}},
        {"data in B against a hole in A", size, size, {{12 * MiB, data}}, {{4 * MiB, data}, {12 * MiB, data}}},
        {"both ending in a long common hole", size, size + 8, {{0, data}}, {{0, edited}}},
        {"holes in both, no data", size, size, {}, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const QString pathA = writeSparse(dir, "a", row.sizeA, row.a), pathB = writeSparse(dir, "b", row.sizeB, row.b);
        const FilePair files(pathA, pathB);
        std::vector<Change> found;
        ASSERT_EQ(ChangeFinder::findChanges(files, [&](const Change& c) { return found.push_back(c), true; }),
                  ChangeFinder::Outcome::Done);
        const QByteArray a = TempDir::read(pathA), b = TempDir::read(pathB);
        EXPECT_TRUE(ChangeScript::turnsInto(found, bytes(a), a.size(), bytes(b), b.size()));
        EXPECT_EQ(changesOf(a, b), found);
    }

    // Two 4 GiB images with three small edits: the pages of their holes are never brought in.
    constexpr qint64 kImage = qint64(4) << 30;
    const std::vector<SparsePiece> imageA = {{0, "A"}, {(qint64(2) << 30) + 1, "AAAA"}, {kImage - 1, "A"}};
    const std::vector<SparsePiece> imageB = {{0, "B"}, {(qint64(2) << 30) + 1, "BBBB"}, {kImage - 1, "B"}};
    const FilePair images(writeSparse(dir, "image a", kImage, imageA), writeSparse(dir, "image b", kImage, imageB));
    std::vector<Change> found;
    const long before = minorFaults();
    ASSERT_EQ(ChangeFinder::findChanges(images, [&](const Change& c) { return found.push_back(c), true; }),
              ChangeFinder::Outcome::Done);
    EXPECT_LT(minorFaults() - before, 20000);  // reading the holes would take a million
    EXPECT_EQ(found, (std::vector<Change>{{0, 1, 0, 1}, {(qint64(2) << 30) + 1, 4, (qint64(2) << 30) + 1, 4}, {kImage - 1, 1, kImage - 1, 1}}));
}

TEST(ChangeFinder, LowEntropyFilesEndInAReplacementNotAStall) {
    QRandomGenerator random(500);
    const QByteArray block = randomBytes(KiB, random);
    QByteArray runs;  // runs of one byte, 1 to 5000 long
    while (runs.size() < 4 * MiB) runs += QByteArray(1 + random.bounded(5000), char(random.bounded(4)));

    // Zeros with eight bytes inserted in the middle: exactly that insertion.
    Planted zeros = plant(QByteArray(16 * MiB, '\0'), {{8 * MiB, 0, 8}}, 501);
    EXPECT_EQ(changesOf(zeros.a, zeros.b), zeros.changes);
    // One byte repeated, B the longer: one insertion, wherever it is put.
    const std::vector<Change> longer = changesOf(QByteArray(4 * MiB, '\xAA'), QByteArray(4 * MiB + 1000, '\xAA'));
    ASSERT_EQ(longer.size(), 1u);
    EXPECT_EQ(longer[0].kind(), Change::Kind::Insertion);
    EXPECT_EQ(longer[0].lengthB, 1000);

    const struct {
        const char* name;
        QByteArray a;
        std::vector<Edit> edits;
    } rows[] = {
        {"a block repeated, edits far apart", block.repeated(4 * KiB), scattered(4 * MiB, 6, 3000, 4096, 502)},
        {"a block repeated, one byte changed in every copy", block.repeated(2 * KiB), [] {
             std::vector<Edit> e;
             for (qsizetype at = 17; at < 2 * MiB; at += KiB) e.push_back({at, 1, 1});
             return e;
         }()},
        {"runs of one byte", runs, scattered(runs.size(), 50, 100, 1000, 503)},
        {"zeros and ones alternating", QByteArray("\0\1", 2).repeated(2 * MiB), scattered(4 * MiB, 30, 100, 100, 504)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const Planted p = plant(row.a, row.edits, 510, false);
        EXPECT_GE(changesOf(p.a, p.b).size(), 1u);
    }

    // Unrelated bytes, small enough to be compared exactly if that were cheap: one replacement.
    const QByteArray a = randomBytes(30 * KiB, random), b = randomBytes(31 * KiB, random);
    const std::vector<Change> unrelated = changesOf(a, b);
    ASSERT_EQ(unrelated.size(), 1u);
    EXPECT_EQ(unrelated[0].kind(), Change::Kind::Replacement);
}

TEST(ChangeFinder, ReportsProgressAndStopsWhenAHandlerSaysSo) {
    QRandomGenerator random(600);
    const Planted p = plant(randomBytes(9 * MiB, random), scattered(9 * MiB, 30, 500, 4096, 601), 602);
    std::int64_t last = -1, total = 0;
    int changes = 0;
    EXPECT_TRUE(ChangeFinder::findChanges(
        bytes(p.a), p.a.size(), bytes(p.b), p.b.size(),
        [&](const Change&) { return ++changes > 0; },
        [&](std::int64_t done, std::int64_t all) {
            EXPECT_GE(done, last);
            last = done;
            total = all;
            return true;
        }));
    EXPECT_EQ(changes, 30);
    EXPECT_EQ(last, total);
    EXPECT_GT(total, 0);

    for (bool fromProgress : {true, false}) {
        SCOPED_TRACE(fromProgress ? "stopped from progress" : "stopped from a change");
        int seen = 0, told = 0;
        EXPECT_FALSE(ChangeFinder::findChanges(
            bytes(p.a), p.a.size(), bytes(p.b), p.b.size(),
            [&](const Change&) { return ++seen < 1 || fromProgress; },
            [&](std::int64_t, std::int64_t) { return ++told < 1 || !fromProgress; }));
        EXPECT_EQ(fromProgress ? told : seen, 1);
    }
}

TEST(ChangeFinder, FilesGiveTheScriptOfTheirBytesOrSayTheyCouldNotBeRead) {
    TempDir dir;
    QRandomGenerator random(700);
    // Large enough for the search to split its work over two threads.
    const Planted p = plant(randomBytes(33 * MiB, random), scattered(33 * MiB, 12, 4096, 4096, 701), 702);
    const QString pathA = dir.write(QStringLiteral("a"), p.a), pathB = dir.write(QStringLiteral("b"), p.b);
    auto changesOfFiles = [&](ChangeFinder::Outcome expected, const ChangeFinder::ProgressHandler& progress = {}) {
        const FilePair files(pathA, pathB);
        std::vector<Change> found;
        EXPECT_EQ(ChangeFinder::findChanges(
                      files, [&](const Change& c) { return found.push_back(c), true; }, progress),
                  expected);
        return found;
    };
    EXPECT_EQ(changesOfFiles(ChangeFinder::Outcome::Done), p.changes);
    {
        // Files that cannot be mapped are read whole.
        ScopedFileFault late({FileLayer::Op::Read, 1000});
        EXPECT_EQ(changesOfFiles(ChangeFinder::Outcome::Done), p.changes);
    }
    {
        ScopedFileFault failing({FileLayer::Op::Read, 2, EIO});
        changesOfFiles(ChangeFinder::Outcome::ReadFailed);
    }
    // B cut short while it is read: its pages past the new end are gone.
    changesOfFiles(ChangeFinder::Outcome::ReadFailed, [&](std::int64_t, std::int64_t) {
        EXPECT_EQ(::truncate(QFile::encodeName(pathB).constData(), MiB), 0);
        return true;
    });
}

}  // namespace
