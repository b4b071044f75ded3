// The comparison session without a window: when the list of differences goes out of date,
// and how the next and previous run are answered.
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <functional>

#include "ChangeIndex.h"
#include "ComparedFiles.h"
#include "DifferenceIndex.h"
#include "FileLayer.h"
#include "RecordingUiServices.h"
#include "mRWByt.h"
#include "TempDir.h"

namespace {

using State = DifferenceIndex::State;

QByteArray encoded(const QString& path) { return FileLayer::encodeName(path); }

// Dates a file back a day, so that any write from now on gives it another time.
void age(const QString& path) {
    const timespec old[2] = {{::time(nullptr) - 86400, 0}, {::time(nullptr) - 86400, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, encoded(path).constData(), old, 0), 0);
}

class Session : public ::testing::Test {
protected:
    // A and B of `size` bytes, B differing from A every `every` bytes; both loaded.
    void load(qint64 size, qint64 every) {
        QByteArray a(size, '\x11'), b = a;
        for (qint64 i = every / 2; i < size; i += every) b[i] = '\x22';
        pathA = dir.write(QStringLiteral("a.bin"), a);
        pathB = dir.write(QStringLiteral("b.bin"), b);
        age(pathA);
        age(pathB);
        files.setPath(ComparedFiles::A, pathA);
        files.setPath(ComparedFiles::B, pathB);
    }
    void finish() {
        for (int i = 0; i < 2000 && (index.state() == State::Scanning || index.seeking()); ++i) QTest::qWait(5);
    }
    void makeList() {
        index.start();
        finish();
        ASSERT_EQ(index.state(), State::Complete);
    }
    // The answer to one question, -2 when none came.
    std::int64_t seek(std::int64_t position, bool forward) {
        QSignalSpy found(&index, &DifferenceIndex::runFound);
        EXPECT_TRUE(index.seek(position, forward));
        finish();
        return found.isEmpty() ? -2 : found.first().first().toLongLong();
    }

    TempDir dir;
    ComparedFiles files;
    DifferenceIndex index{files};
    QString pathA, pathB;
};

TEST_F(Session, TheListGoesOutOfDateWhenBytesMayHaveChangedAndOnlyThen) {
    struct Case {
        const char* name;
        std::function<void()> act;
        bool outOfDate;
    };
    const std::vector<Case> cases = {
        {"a write into B", [&] { files.noteWritten(pathB); }, true},
        {"a write into A through a hard link", [&] {
             const QString link = dir.path(QStringLiteral("link"));
             ::unlink(encoded(link).constData());
             ASSERT_EQ(::link(encoded(pathA).constData(), encoded(link).constData()), 0);
             files.noteWritten(link);
         }, true},
        {"another program resized B, seen at a redraw", [&] {
             ASSERT_EQ(::truncate(encoded(pathB).constData(), 100), 0);
             files.checkDisk();
         }, true},
        {"another file in slot B", [&] { files.setPath(ComparedFiles::B, dir.write(QStringLiteral("c.bin"), "c")); }, true},
        {"B closed", [&] { files.setPath(ComparedFiles::B, QString()); }, true},
        // Heard from the file system while the window waits, with no redraw.
        {"another program rewrote B in place", [&] {
             const int fd = ::open(encoded(pathB).constData(), O_WRONLY);
             ASSERT_EQ(::pwrite(fd, "\x22", 1, 500), 1);
             ::close(fd);
             for (int i = 0; i < 200 && index.state() != State::OutOfDate; ++i) QTest::qWait(5);
         }, true},
        {"another program put a file in A's place", [&] {
             const QString other = dir.write(QStringLiteral("new-a"), QByteArray(64 * 1024, '\x11'));
             ASSERT_EQ(::rename(encoded(other).constData(), encoded(pathA).constData()), 0);
             for (int i = 0; i < 200 && index.state() != State::OutOfDate; ++i) QTest::qWait(5);
         }, true},
        {"a write into a file not compared", [&] { files.noteWritten(dir.write(QStringLiteral("other"), "x")); }, false},
        {"the list of changes made after a write", [&] {
             RecordingUiServices ui;
             mRWByt writer(ui);  // a byte of B written as it was, by a file object of ours
             writer.Path(pathB);
             writer.OpenFileRW();
             writer.PutByt(0x11, 1);
             writer.CloseFile();
             ChangeIndex changes(files);
             changes.start();
             for (int i = 0; i < 2000 && changes.state() == ChangeIndex::State::Working; ++i) QTest::qWait(5);
             ASSERT_EQ(changes.state(), ChangeIndex::State::Complete);
             index.start();  // looks at the disk: the write was told already
             finish();
             EXPECT_EQ(changes.state(), ChangeIndex::State::Complete);
         }, false},
        {"a redraw with nothing changed", [&] { files.checkDisk(); }, false},
        {"the same files named again", [&] {
             files.setPath(ComparedFiles::A, pathA);
             files.setPath(ComparedFiles::B, pathB);
         }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        load(64 * 1024, 1000);
        makeList();
        c.act();
        EXPECT_EQ(index.state(), c.outOfDate ? State::OutOfDate : State::Complete);
        EXPECT_EQ(index.runs().kept(), c.outOfDate ? 0 : 66) << "no run that may no longer hold";
    }
}

// Another program changes a file while the list is made (before the scan reaches the
// change, or after it has passed: either way the list is of no file as it is now).
TEST_F(Session, AListMadeWhileAFileChangedIsNeverTakenForComplete) {
    struct Case {
        const char* name;
        std::function<void()> change;
    };
    const std::vector<Case> cases = {
        {"A truncated", [&] { ASSERT_EQ(::truncate(encoded(pathA).constData(), 1024 * 1024), 0); }},
        {"B rewritten in place", [&] {
             const int fd = ::open(encoded(pathB).constData(), O_WRONLY);
             for (qint64 at = 500; at < 64 * 1024 * 1024; at += 1000) ASSERT_EQ(::pwrite(fd, "\x11", 1, at), 1);
             ::close(fd);
         }},
        {"A replaced by another file", [&] {
             const QString other = dir.write(QStringLiteral("new-a"), QByteArray(100, '\x11'));
             ASSERT_EQ(::rename(encoded(other).constData(), encoded(pathA).constData()), 0);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        load(64 * 1024 * 1024, 1000);
        index.start();
        ASSERT_EQ(index.state(), State::Scanning);
        c.change();
        finish();
        EXPECT_EQ(index.state(), State::OutOfDate);
        EXPECT_FALSE(index.upToDate());
        EXPECT_EQ(index.runs().kept(), 0);
    }
}

TEST_F(Session, TheNextAndPreviousRunFromTheListFromAScanAndFromASearch) {
    load(8 * 1024 * 1024, 1024 * 1024);  // runs at 512 KiB + k MiB
    const std::int64_t first = 512 * 1024, second = first + 1024 * 1024, last = first + 7 * 1024 * 1024;
    struct Question {
        std::int64_t position;
        bool forward;
        std::int64_t answer;
    };
    const std::vector<Question> questions = {
        {-1, true, first}, {first, true, second}, {last, true, -1},
        {last, false, last - 1024 * 1024}, {first, false, -1}, {8 * 1024 * 1024, false, last},
    };
    // By a search on a worker, with no list.
    for (const Question& q : questions) EXPECT_EQ(seek(q.position, q.forward), q.answer) << q.position;
    // While the list is made: it waits for the list rather than scanning beside it.
    index.start();
    QSignalSpy searching(&index, &DifferenceIndex::seekProgress);
    EXPECT_EQ(seek(last - 1, true), last);
    EXPECT_TRUE(searching.isEmpty());
    // From a complete list, at once.
    makeList();
    for (const Question& q : questions) {
        QSignalSpy found(&index, &DifferenceIndex::runFound);
        ASSERT_TRUE(index.seek(q.position, q.forward));
        ASSERT_EQ(found.size(), 1);
        EXPECT_EQ(found.first().first().toLongLong(), q.answer) << q.position;
    }
}

TEST_F(Session, ASearchCanBeStoppedAndEndsWhenTheFilesChange) {
    load(64 * 1024 * 1024, 64 * 1024 * 1024);  // one run, in the middle
    QSignalSpy found(&index, &DifferenceIndex::runFound), cancelled(&index, &DifferenceIndex::seekCancelled);
    ASSERT_TRUE(index.seek(-1, true));
    EXPECT_FALSE(index.seek(0, true)) << "one question at a time";
    index.cancelSeek();
    EXPECT_FALSE(index.seeking());
    ASSERT_TRUE(index.seek(-1, true));
    files.noteWritten(pathA);
    EXPECT_FALSE(index.seeking());
    QTest::qWait(100);
    EXPECT_TRUE(found.isEmpty());
    EXPECT_EQ(cancelled.size(), 2);
}

}  // namespace

namespace {

// The changes with insertions: found beside the window, out of date on a write like the
// list of runs, never complete for files that changed under the search.
TEST_F(Session, TheChangesAreFoundAndGoOutOfDateLikeTheList) {
    QByteArray a(1024 * 1024, Qt::Uninitialized);
    for (qsizetype i = 0; i < a.size(); ++i) a[i] = char((i * 131 + i / 1000) & 0xFF);
    QByteArray b = a;
    b.insert(5000, "inserted");
    pathA = dir.write(QStringLiteral("a.bin"), a);
    pathB = dir.write(QStringLiteral("b.bin"), b);
    files.setPath(ComparedFiles::A, pathA);
    files.setPath(ComparedFiles::B, pathB);
    ChangeIndex changes(files);
    changes.start();
    for (int i = 0; i < 2000 && changes.state() == ChangeIndex::State::Working; ++i) QTest::qWait(5);
    ASSERT_EQ(changes.state(), ChangeIndex::State::Complete);
    ASSERT_EQ(changes.changes().size(), 1u);
    EXPECT_EQ(changes.changes()[0], (Change{5000, 0, 5000, 8}));
    EXPECT_EQ(changes.totals().inserted, 8);
    files.noteWritten(pathA);
    EXPECT_EQ(changes.state(), ChangeIndex::State::OutOfDate);
    EXPECT_TRUE(changes.changes().empty());
    // Stopped part way, what was found stands, whole up to where the search came.
    {
        QByteArray big(256 * 1024 * 1024, Qt::Uninitialized);
        for (qsizetype i = 0; i < big.size(); i += 8) std::memcpy(big.data() + i, &i, 8);
        QByteArray changed = big;
        for (qsizetype at = 512 * 1024; at < changed.size(); at += 1024 * 1024) changed[at] = char(~changed[at]);
        files.setPath(ComparedFiles::A, dir.write(QStringLiteral("big-a.bin"), big));
        files.setPath(ComparedFiles::B, dir.write(QStringLiteral("big-b.bin"), changed));
        changes.start();
        // Stopped at its first hand-over, which holds the first changes.
        for (int i = 0; i < 4000 && changes.done() == 0 && changes.state() == ChangeIndex::State::Working; ++i) QTest::qWait(1);
        changes.stop();
        ASSERT_EQ(changes.state(), ChangeIndex::State::Stopped);
        ASSERT_FALSE(changes.changes().empty()) << "the first change came before the search ended";
        EXPECT_GE(changes.settledA(), changes.changes().front().endA());
        EXPECT_LT(changes.settledA(), big.size());
        for (const Change& c : changes.changes()) EXPECT_EQ(c.lengthA, 1) << c.addressA;
    }
    files.setPath(ComparedFiles::A, pathA);
    files.setPath(ComparedFiles::B, pathB);
    // A file cut short while the script is made: never taken for complete.
    changes.start();
    ASSERT_EQ(::truncate(encoded(pathB).constData(), 4096), 0);
    for (int i = 0; i < 2000 && changes.state() == ChangeIndex::State::Working; ++i) QTest::qWait(5);
    EXPECT_NE(changes.state(), ChangeIndex::State::Complete);
}

}  // namespace
