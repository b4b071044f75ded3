// Where the user is, without a window: paging and jumps by mode, the screen's bytes as
// drawn against the file on disk, and what a write or another program's replacement tells.
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdio>

#include "ComparedFiles.h"
#include "FileLayer.h"
#include "PairView.h"
#include "RecordingUiServices.h"
#include "ScreenModel.h"
#include "TempDir.h"
#include "mRWByt.h"

namespace {

class View : public ::testing::Test {
protected:
    // A of `sizeA` and B of `sizeB` bytes, B the complement of A; both loaded, A in view.
    void load(qint64 sizeA, qint64 sizeB) {
        a = TempDir::patternBytes(sizeA);
        b = TempDir::patternBytes(sizeB);
        for (char& c : b) c = char(~c);
        pathA = dir.write(QStringLiteral("a.bin"), a);
        pathB = dir.write(QStringLiteral("b.bin"), b);
        view.FileAtributOne().Path(pathA);
        view.loaded(1);
        view.FileAtributTwo().Path(pathB);
        view.loaded(2);
        view.setInView(1);
        view.setScreen(&screen);
    }
    // What the window does when it draws: both screens read through their readers.
    void draw() {
        ScreenModel::Screen shown;
        shown.shown.fill(-1);
        shown.other.fill(-1);
        for (int n : {1, 2}) {
            auto& cells = n == view.intShowFile() ? shown.shown : shown.other;
            std::uint8_t bytes[256];
            const std::int64_t got = view.files().reader(n - 1).read(view.screenStart(n), bytes, 256);
            for (int i = 0; i < got; ++i) cells[std::size_t(i)] = bytes[i];
        }
        screen.show(shown);
    }

    RecordingUiServices ui;
    TempDir dir;
    PairView view{ui};
    ScreenModel screen;
    QByteArray a, b;
    QString pathA, pathB;
};

TEST_F(View, PagingMovesTheFileInViewOrBothAndStopsAtTheEnd) {
    load(1000, 600);  // A has 4 screens, B 3
    const struct {
        const char* what;
        bool synchronised;
        int inView;
        int downs;
        std::int64_t startA, startB;
    } rows[] = {
        {"A alone, to its last screen", false, 1, 9, 768, 0},
        {"B alone", false, 2, 9, 0, 512},
        {"together, to the shorter file's last screen", true, 1, 9, 512, 512},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        view.setSynchronised(row.synchronised);
        view.setScreenStart(1, 0);
        view.setScreenStart(2, 0);
        view.setInView(row.inView);
        for (int i = 0; i < row.downs; ++i) view.pageDown();
        EXPECT_EQ(view.curAdresOne(), row.startA);
        EXPECT_EQ(view.curAdresTwo(), row.startB);
        while (view.pageUp()) {}
        EXPECT_EQ(view.curAdresOne() + view.curAdresTwo(), 0);
    }
}

TEST_F(View, AJumpFocusesItsCellBeforeTheDrawingOrIsRefused) {
    load(1000, 600);
    QStringList heard;
    QObject::connect(&view, &PairView::focusWanted, [&](int cell) { heard << QStringLiteral("focus %1").arg(cell); });
    QObject::connect(&view, &PairView::drawWanted, [&](int n) { heard << QStringLiteral("draw %1 at %2").arg(n).arg(view.screenStart(n)); });
    const struct {
        bool synchronised;
        std::int64_t address;
        int type;
        const char* heard;  // empty: refused with a message
    } rows[] = {
        {false, 0x305, 0, "focus 5|draw 1 at 768"},
        {false, 0x200, -1, "focus 0|draw 1 at 512"},
        {true, 0x305, 0, "focus 88|draw 1 at 512"},  // lowered to B's end: 0x258
        {false, 1024, 0, ""},
        {false, -1, 0, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.address);
        heard.clear();
        ui.clear();
        view.setSynchronised(row.synchronised);
        std::int64_t address = row.address;
        view.subSearchAddr(address, row.type);
        EXPECT_EQ(heard.join(QLatin1Char('|')).toStdString(), row.heard);
        EXPECT_EQ(ui.messages.size(), *row.heard ? 0u : 1u);
    }
}

TEST_F(View, TheScreensBytesAreWhatWasDrawnUntilTheNextLook) {
    load(1000, 1000);
    view.setScreenStart(2, 256);
    draw();
    screen.setEdit(5, 0x77);
    std::uint8_t bytes[8];
    std::uint32_t edited = 0;
    ASSERT_EQ(view.shownBytes(1, 3, 4, bytes, &edited), 4);
    EXPECT_EQ(bytes[2], 0x77);
    EXPECT_EQ(edited, 0b100u) << "the edit waiting is marked";
    EXPECT_EQ(view.shownByte(2, 300), quint8(b[300]));
    EXPECT_EQ(view.shownByte(2, 5), quint8(b[5])) << "off B's screen, read";
    EXPECT_EQ(view.shownBytes(1, 998, 8, bytes), 2) << "the end of the file";

    // Another program puts other bytes under A's name: what the screen shows stands until a
    // look at the disk, which opens the new file and says the bytes changed.
    QSignalSpy changed(&view.files(), &ComparedFiles::bytesMayHaveChanged);
    const QString other = dir.write(QStringLiteral("new.bin"), QByteArray(1000, '\x5A'));
    ASSERT_EQ(std::rename(FileLayer::encodeName(other).constData(), FileLayer::encodeName(pathA).constData()), 0);
    EXPECT_EQ(view.shownByte(1, 9), quint8(a[9]));
    EXPECT_EQ(view.shownByte(1, 600), quint8(a[600])) << "the old file, still open";
    const auto looks = view.files().checkDisk();
    EXPECT_EQ(looks[0], SlotReader::Look::Replaced);
    EXPECT_EQ(changed.count(), 1);
    draw();
    EXPECT_EQ(view.shownByte(1, 9), 0x5A);
}

TEST_F(View, AWriteThroughAnyFileObjectTellsWhatItWrote) {
    load(1000, 1000);
    QSignalSpy written(&view.files(), &ComparedFiles::bytesWritten);
    QSignalSpy changed(&view.files(), &ComparedFiles::bytesMayHaveChanged);
    // Another object on another spelling of B's path, as a dialog makes one.
    mRWByt writer(ui);
    writer.Path(dir.path(QStringLiteral("./b.bin")));
    writer.OpenFileRW();
    writer.PutByt(1, 0x101);
    writer.PutByt(2, 0x180);
    writer.CloseFile();
    ASSERT_EQ(written.count(), 1);
    EXPECT_EQ(written.first().at(0).toInt(), int(ComparedFiles::B));
    EXPECT_EQ(written.first().at(1).toLongLong(), 0x100);
    EXPECT_EQ(written.first().at(2).toLongLong(), 0x180);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(view.files().checkDisk()[1], SlotReader::Look::Same) << "told once";
}

}  // namespace
