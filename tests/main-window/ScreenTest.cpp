// What the screen shows and how it moves: cells and characters, row labels and the position
// indicator, paging and jumping, and comparing two files screen by screen.
#include <QAccessible>
#include <QBackingStore>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QTimer>
#include <QToolTip>

#include "GridAccessibility.h"
#include "GridClipboard.h"

#include "MainWindowHarness.h"

namespace {

class Screen : public MainWindowTest {
protected:
    // Differs from screenBytes() in every byte.
    static QByteArray otherBytes(qint64 size) {
        QByteArray bytes = screenBytes(size);
        for (char& c : bytes) c = char(~c);
        return bytes;
    }
    QProgressBar* bar() const { return child<QProgressBar>("conProgressBar"); }
    std::vector<int> red() const { return cellsIn(GridColors::darkRed()); }
};

TEST_F(Screen, CellsShowUpperCaseHexAndTheCharacterOfTheCodePage) {
    const struct {
        int byte;
        char16_t ansi, dos;  // Windows-1251, CP866
    } rows[] = {{0x00, 0x0000, 0x0000}, {0x0A, 0x000A, 0x000A}, {0x41, u'A', u'A'}, {0x7F, 0x007F, 0x007F},
                {0x80, u'Ђ', u'А'},     {0xAB, u'«', u'л'},     {0xC0, u'А', u'└'}, {0xFF, u'я', 0x00A0}};
    QByteArray bytes;
    for (const auto& row : rows) bytes.append(char(row.byte));
    openA(dir.write(QStringLiteral("chars.bin"), bytes));
    for (bool dos : {false, true}) {
        EXPECT_EQ(isChecked("mnuDOS"), dos);
        EXPECT_TRUE(showsScreen(bytes, 0));
        for (int i = 0; i < int(std::size(rows)); ++i)
            EXPECT_EQ(symbolText(i), QString(QChar(dos ? rows[i].dos : rows[i].ansi))) << rows[i].byte << " " << dos;
        EXPECT_EQ(cellsIn(GridColors::black()).size(), 256u);
        trigger("mnuDOS");
    }
}

TEST_F(Screen, PagingStopsAtBothEndsWhicheverWayItIsAsked) {
    const QByteArray bytes = screenBytes(1024);
    const QString path = dir.write(QStringLiteral("a.bin"), bytes);
    const struct {
        const char* way;
        int focus;  // -1: the buttons are clicked, otherwise the keys pressed in this cell
        bool permission;
    } ways[] = {{"buttons", -1, false}, {"keys in a cell", 0x17, false}, {"keys in an editable cell", 0xFF, true}};
    const int blocks[] = {2, 3, 4, 4, 3, 2, 1, 1};  // after each of four steps down, then up
    for (const auto& way : ways) {
        SCOPED_TRACE(way.way);
        restart();
        openA(path);
        EXPECT_EQ(labels({"lbStatusBarText", "lbSynchro"}), QStringLiteral("1 из 4|Адрес Max. 00003FF"));
        if (way.permission) trigger("mnuEdit");
        if (way.focus >= 0) focusCell(way.focus);
        const int focused = focusedCell();
        for (int i = 0; i < 8; ++i) {
            if (way.focus < 0)
                button(i < 4 ? "knDown" : "knUp")->click();
            else
                pressKey(i < 4 ? Qt::Key_PageDown : Qt::Key_PageUp);
            EXPECT_EQ(label("lbStatusBarText"), QStringLiteral("%1 из 4").arg(blocks[i]));
            EXPECT_TRUE(bar()->value() == blocks[i] && bar()->maximum() == 4) << bar()->value();
            EXPECT_TRUE(showsScreen(bytes, 256 * (blocks[i] - 1))) << "step " << i;
        }
        // Paging keys are the window's: nothing is typed and the focus stays.
        EXPECT_EQ(focusedCell(), focused);
        EXPECT_FALSE(window->changesPending());
    }
    for (qint64 size : {257, 300, 512}) {  // the last screen is empty past the end
        restart();
        const QByteArray file = screenBytes(size);
        openA(dir.write(QStringLiteral("f%1.bin").arg(size), file));
        pressKey(Qt::Key_PageDown);
        EXPECT_TRUE(showsScreen(file, 256)) << size;
        EXPECT_EQ(rowLabel(0) + rowLabel(15) + label("lbStatusBarText"), QStringLiteral("00001000001F2 из 2"));
        EXPECT_EQ(cellsIn(GridColors::black()).size(), 256u);
    }
}

TEST_F(Screen, LargeAndSparseFilesShowTheirLastScreen) {
    const struct {
        qint64 size;
        const char* shown;  // first and last row label, block, last address
    } rows[] = {
        {0x1A400, "001A30 001A3F|420 из 420|Адрес Max. 001A3FF"},
        {0x10000200, "1000010 100001F|1048578 из 1048578|Адрес Max. 100001FF"},  // no digit dropped
        {3221225472, "BFFFFF0 BFFFFFF|12582912 из 12582912|Адрес Max. BFFFFFFF"},  // 3 GiB
    };
    for (const auto& row : rows) {
        restart();
        openA(sparse(QStringLiteral("f%1.bin").arg(row.size), row.size));
        goTo(row.size - 1);
        EXPECT_EQ(rowLabel(0) + ' ' + rowLabel(15) + '|' + labels({"lbStatusBarText", "lbSynchro"}), row.shown);
        EXPECT_EQ(label("lbSizeOne"), QStringLiteral("%1 byte").arg(row.size));
        EXPECT_EQ(cellText(254) + cellText(255), QStringLiteral("005A"));
        EXPECT_EQ(bar()->value(), bar()->maximum());
        EXPECT_TRUE(ui.messages.empty());
    }
}

// The focused cell takes the byte paging brings as the one it was entered with; once a
// change waits to be recorded, the screen stays.
TEST_F(Screen, PagingUnderAFocusedCellAndWhileEditsWait) {
    const QByteArray bytes = screenBytes(1024);
    const QString path = dir.write(QStringLiteral("a.bin"), bytes);
    openA(path);
    trigger("mnuEdit");
    focusCell(5);
    pressKey(Qt::Key_PageDown);
    EXPECT_EQ(window->enteredCellText(), byteText(quint8(bytes[0x105])));
    EXPECT_EQ(baseColor(5), GridColors::lightCyan());
    pressKey(Qt::Key_Return);
    EXPECT_FALSE(window->changesPending());
    editCell(5, QStringLiteral("7"));
    for (Qt::Key key : {Qt::Key_PageDown, Qt::Key_PageUp}) pressKey(key);
    for (const char* name : {"knDown", "knUp"}) button(name)->click();
    EXPECT_TRUE(window->changesPending());
    EXPECT_EQ(window->screenStartOne(), 256);
    EXPECT_EQ(cellText(5), QStringLiteral("07"));
    EXPECT_EQ(textColor(5), GridColors::blue());
    EXPECT_EQ(TempDir::read(path), bytes);
}

TEST_F(Screen, JumpShowsTheScreenAndFocusesTheCellOrIsRefused) {
    const QString noAddress = QStringLiteral("Указанный Вами адрес не существует.");
    const QString noBlock = QStringLiteral("Указанный Вами блок не существует.");
    const struct {
        const char* what;
        qint64 size, start;  // the file and the screen before the jump
        int focus;           // the focused cell before, -1 none
        std::int64_t address;
        int type;  // 0 an address, -1 the start of a block
        qint64 screen;
        int cell;
        QString refusal;
    } rows[] = {
        {"address without focus", 1024, 0x100, -1, 0x2A5, 0, 0x200, 0xA5, {}},
        {"address from another cell", 1024, 0x100, 3, 0x2A5, 0, 0x200, 0xA5, {}},
        {"address onto the focused cell", 1024, 0x100, 0xA5, 0x1A5, 0, 0x100, 0xA5, {}},
        {"block focuses its first cell", 1024, 0x100, 0x40, 0x200, -1, 0x200, 0, {}},
        {"last byte", 1024, 0, 0x10, 0x3FF, 0, 0x300, 0xFF, {}},
        {"empty cell of the last screen", 1000, 0, 0x10, 0x3FF, 0, 0x300, 0xFF, {}},
        {"from an empty cell to a byte", 1000, 0x300, 0xFF, 0x2FF, 0, 0x200, 0xFF, {}},
        {"address of the next screen", 1024, 0x100, 7, 0x400, 0, 0x100, 7, noAddress},
        {"far address", 1024, 0x100, 7, 0x7FFFFFFFFFFFll, 0, 0x100, 7, noAddress},
        {"negative address", 1024, 0x100, 7, -1, 0, 0x100, 7, noAddress},
        {"block after the last", 1024, 0x100, 7, 0x400, -1, 0x100, 7, noBlock},
        {"negative block", 1024, 0x100, 7, -256, -1, 0x100, 7, noBlock},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        restart();
        const QByteArray bytes = screenBytes(row.size);
        const QString path = dir.write(QStringLiteral("a%1.bin").arg(row.size), bytes);
        openA(path);
        trigger("mnuEdit");
        goTo(row.start);
        if (row.focus >= 0) focusCell(row.focus);
        const QString info = label("lbInfo1");
        ui.clear();

        std::int64_t address = row.address;
        window->subSearchAddr(address, row.type);
        EXPECT_EQ(address, row.address);
        EXPECT_TRUE(showsScreen(bytes, row.screen));
        EXPECT_EQ(label("lbStatusBarText"), QStringLiteral("%1 из %2").arg(row.screen / 256 + 1).arg((row.size + 255) / 256));
        ASSERT_EQ(focusedCell(), row.cell);
        if (!row.refusal.isEmpty()) {
            EXPECT_TRUE(shownOnce(QStringLiteral("Ошибка"), row.refusal));
            EXPECT_EQ(label("lbInfo1"), info);
            continue;
        }
        EXPECT_TRUE(ui.messages.empty());
        const bool hasByte = row.screen + row.cell < row.size;
        EXPECT_EQ(label("lbInfo1").isEmpty(), !hasByte);
        EXPECT_EQ(baseColor(row.cell), hasByte ? GridColors::lightCyan() : GridColors::buttonFace());
        EXPECT_EQ(locked(row.cell), !hasByte);
        EXPECT_EQ(selectedText(row.cell), cellText(row.cell));
        EXPECT_TRUE(row.focus < 0 || row.focus == row.cell || baseColor(row.focus) == GridColors::buttonFace());
        pressKey(Qt::Key_Return);  // leaving the cell is no edit
        EXPECT_FALSE(window->changesPending());
        EXPECT_EQ(TempDir::read(path), bytes);
    }
}

TEST_F(Screen, RefreshShowsBytesChangedByAnotherProgram) {
    openA(dir.pattern(QStringLiteral("a.bin"), 300));
    focusCell(0);
    QByteArray changed = TempDir::patternBytes(300);
    changed[5] = '\xAB';
    dir.write(QStringLiteral("a.bin"), changed);
    EXPECT_EQ(cellText(5), QStringLiteral("26"));
    pressKey(Qt::Key_R, Qt::ControlModifier);
    EXPECT_TRUE(showsScreen(changed, 0));
}

TEST_F(Screen, SynchronisedPagingMovesBothFilesAndStopsAtTheShorter) {
    const QByteArray b = otherBytes(1024);
    openA(dir.write(QStringLiteral("a.bin"), screenBytes(1024)));
    openB(dir.write(QStringLiteral("b.bin"), b));
    button("knDown")->click();
    view(2);
    button("knDown")->click();
    button("knDown")->click();
    trigger("mnuSynchro");  // both go to their first screen
    EXPECT_EQ(labels({"lbInfo2", "lbStatusBarText"}), QStringLiteral("Синхро.|1 из 4"));
    EXPECT_TRUE(showsScreen(b, 0));
    button("knDown")->click();
    EXPECT_EQ(window->screenStartOne() + window->screenStartTwo(), 512);
    trigger("mnuSynchro");  // off again: they stay, then move alone
    EXPECT_TRUE(label("lbInfo2").isEmpty());
    button("knDown")->click();
    EXPECT_EQ(window->screenStartOne(), 256);
    EXPECT_EQ(window->screenStartTwo(), 512);

    const struct {
        qint64 sizeA, sizeB;
        int view;
    } rows[] = {{1000, 600, 1}, {1000, 600, 2}, {600, 1000, 2}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.sizeA << " " << row.view);
        restart();
        const QByteArray a = screenBytes(row.sizeA);
        const QByteArray b = otherBytes(row.sizeB);
        openA(dir.write(QStringLiteral("a.bin"), a));
        openB(dir.write(QStringLiteral("b.bin"), b));
        if (row.view == 2) view(2);
        trigger("mnuSynchro");
        button("knUp")->click();
        for (int i = 0; i < 4; ++i) button("knDown")->click();
        EXPECT_TRUE(window->screenStartOne() == 512 && window->screenStartTwo() == 512);
        EXPECT_TRUE(showsScreen(row.view == 1 ? a : b, 512));
        EXPECT_EQ(label("lbStatusBarText"), QStringLiteral("3 из %1").arg(((row.view == 1 ? row.sizeA : row.sizeB) + 255) / 256));
        // A jump beyond the shorter file is lowered to its size, in the caller's variable too.
        std::int64_t address = 0x3E0;
        window->subSearchAddr(address, 0);
        EXPECT_EQ(address, 0x258);
        EXPECT_TRUE(window->screenStartOne() == 512 && window->screenStartTwo() == 512);
        EXPECT_EQ(focusedCell(), 0x58);
        EXPECT_TRUE(ui.messages.empty());
    }
    // The shorter file ends exactly where a screen ends: its last screen is the last one.
    const struct {
        qint64 sizeA, sizeB, lastStart;
    } exact[] = {{512, 1000, 256}, {1000, 768, 512}};
    for (const auto& row : exact) {
        SCOPED_TRACE(testing::Message() << row.sizeA << " " << row.sizeB);
        restart();
        openA(dir.write(QStringLiteral("a.bin"), screenBytes(row.sizeA)));
        openB(dir.write(QStringLiteral("b.bin"), otherBytes(row.sizeB)));
        trigger("mnuSynchro");
        for (int i = 0; i < 5; ++i) button("knDown")->click();
        EXPECT_TRUE(window->screenStartOne() == row.lastStart && window->screenStartTwo() == row.lastStart);
        EXPECT_TRUE(showsScreen(screenBytes(row.sizeA), row.lastStart));
    }
}

TEST_F(Screen, MismatchesAreDarkRedInBothViewsOnlyWhileSynchronised) {
    const QByteArray a = screenBytes(600);
    QByteArray twoDiffer = a;
    twoDiffer[10] = char(twoDiffer[10] ^ 0x5A);
    twoDiffer[300] = char(twoDiffer[300] ^ 0x01);
    std::vector<int> all(256);
    for (int i = 0; i < 256; ++i) all[i] = i;
    const struct {
        const char* what;
        QByteArray b;
        std::vector<int> first, second;  // dark red on the first and second screen
        qint64 sizeA = 600;
    } rows[] = {
        {"identical", a, {}, {}},
        {"bytes 10 and 300 differ", twoDiffer, {10}, {300 - 256}},
        {"B shorter, every byte differs", otherBytes(300), all, {all.begin(), all.begin() + 44}},
        // The bytes of B past the end of A have nothing to differ from.
        {"A shorter, every byte differs", otherBytes(600), all, {all.begin(), all.begin() + 44}, 300},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        restart();
        openA(dir.write(QStringLiteral("a.bin"), a.left(row.sizeA)));
        openB(dir.write(QStringLiteral("b.bin"), row.b));
        EXPECT_TRUE(red().empty());
        view(2);
        EXPECT_TRUE(red().empty());
        trigger("mnuSynchro");
        EXPECT_EQ(red(), row.first) << "view of B";
        view(1);
        EXPECT_EQ(red(), row.first) << "view of A";
        button("knDown")->click();
        EXPECT_EQ(red(), row.second) << "view of A";
        view(2);
        EXPECT_EQ(red(), row.second) << "view of B";
        EXPECT_EQ(grid().symbolForeground(10), GridColors::maroon()) << "only the hex cell marks it";
        trigger("mnuSynchro");
        EXPECT_TRUE(red().empty());
    }
}

TEST_F(Screen, FocusedMismatchIsGreyInsteadOfCyan) {
    const QByteArray a = screenBytes(600);
    QByteArray b = a;
    b[10] = char(b[10] ^ 0x5A);
    openA(dir.write(QStringLiteral("a.bin"), a));
    openB(dir.write(QStringLiteral("b.bin"), b));
    ASSERT_NE(GridColors::buttonShadow(), GridColors::lightCyan());
    focusCell(10);  // focused first, then marked
    EXPECT_EQ(baseColor(10), GridColors::lightCyan());
    trigger("mnuSynchro");
    EXPECT_EQ(textColor(10), GridColors::darkRed());
    EXPECT_EQ(baseColor(10), GridColors::buttonShadow());
    focusCell(11);
    EXPECT_TRUE(baseColor(11) == GridColors::lightCyan() && baseColor(10) == GridColors::buttonFace());
    focusCell(10);  // marked first, then focused
    EXPECT_EQ(baseColor(10), GridColors::buttonShadow());
    EXPECT_EQ(symbolBaseColor(10), GridColors::lightCyan());
    trigger("mnuSynchro");
    EXPECT_EQ(textColor(10), GridColors::black());
    EXPECT_EQ(baseColor(10), GridColors::lightCyan());
}

}  // namespace

namespace {

// What the window shows, as painted (not as a fresh grab would paint it).
class Shown : public MainWindowTest {
protected:
    QImage screen() const {
        QApplication::processEvents();
        QPaintDevice* device = window->backingStore()->paintDevice();
        EXPECT_EQ(device->devType(), int(QInternal::Image));
        return *static_cast<QImage*>(device);
    }
    QRect onScreen(const QRect& place) const {
        return place.translated(window->grid().mapTo(window.get(), QPoint(0, 0)));
    }
    // Some pixel of the place has exactly this colour.
    static bool shows(const QImage& image, const QRect& place, const QColor& colour) {
        for (int y = place.top(); y <= place.bottom(); ++y)
            for (int x = place.left(); x <= place.right(); ++x)
                if (image.pixelColor(x, y).rgb() == colour.rgb()) return true;
        return false;
    }
    bool cellShows(const QImage& image, int i, const QColor& colour) const {
        return shows(image, onScreen(window->grid().cellPlace(i)), colour);
    }
    void clickGrid(const QRect& place) {
        QTest::mouseClick(&window->grid(), Qt::LeftButton, Qt::NoModifier, place.center());
    }
};

// The grid paints the cells it keeps for the window: each page's bytes in their colours,
// the highlight where the focus is, and nothing left behind by the previous screen.
TEST_F(Shown, CellsArePaintedInTheirColoursAndClicksReachThem) {
    const QByteArray a = screenBytes(600);
    QByteArray b = a;
    b[10] = char(b[10] ^ 0x5A);
    b[256 + 20] = char(b[256 + 20] ^ 0x5A);
    openA(dir.write(QStringLiteral("a.bin"), a));
    openB(dir.write(QStringLiteral("b.bin"), b));
    trigger("mnuSynchro");
    const ByteGrid& grid = window->grid();
    for (int page : {0, 1}) {
        SCOPED_TRACE(page);
        const int marked = page == 0 ? 10 : 20;
        QImage image = screen();
        EXPECT_TRUE(cellShows(image, marked, GridColors::darkRed()) && !cellShows(image, marked, GridColors::black()));
        EXPECT_TRUE(cellShows(image, 30, GridColors::black()) && !cellShows(image, 30, GridColors::darkRed()));
        EXPECT_FALSE(cellShows(image, page == 0 ? 20 : 10, GridColors::darkRed())) << "a mark of the other page";
        // A click lands on the cell under the pointer; a click on a character, on its byte.
        clickGrid(grid.cellPlace(40));
        EXPECT_EQ(focusedCell(), 40);
        EXPECT_EQ(grid.editor()->geometry(), grid.cellPlace(40)) << "the focused cell edits at its place";
        clickGrid(grid.symbolPlace(marked));
        EXPECT_EQ(focusedCell(), marked);
        image = screen();
        EXPECT_TRUE(shows(image, onScreen(grid.symbolPlace(marked)), GridColors::lightCyan()));
        EXPECT_TRUE(cellShows(image, 40, GridColors::buttonFace()) && !cellShows(image, 40, GridColors::lightCyan()));
        EXPECT_FALSE(shows(image, onScreen(grid.symbolPlace(40)), GridColors::lightCyan()));
        pressKey(Qt::Key_PageDown);
    }
}

// The grid paints only what changed since its last paint, into pixels the window keeps; after
// any step the window shows what a paint of the whole grid from scratch shows.
TEST_F(Shown, WhatIsPaintedStepByStepIsWhatAFreshPaintShows) {
    QByteArray a = screenBytes(1500);
    QByteArray b = a;
    for (int i = 0; i < b.size(); i += 7) b[i] = char(~b[i]);
    const struct {
        const char* step;
        std::function<void()> play;
    } rows[] = {
        {"files opened", [&] { openA(dir.write(QStringLiteral("a.bin"), a)); openB(dir.write(QStringLiteral("b.bin"), b)); }},
        {"synchronised", [&] { trigger("mnuSynchro"); }},
        {"a cell focused", [&] { clickGrid(window->grid().cellPlace(21)); }},
        {"paged down twice", [&] { pressKey(Qt::Key_PageDown); pressKey(Qt::Key_PageDown); }},
        {"DOS view", [&] { trigger("mnuDOS"); }},
        {"a character clicked", [&] { clickGrid(window->grid().symbolPlace(200)); }},
        {"a byte edited", [&] { trigger("mnuEdit"); typeKeys(QStringLiteral("7")); pressKey(Qt::Key_Return); }},
        {"recorded, file B in view", [&] { trigger("mnuRec"); view(2); }},
        {"a row address focused", [&] { leaveGrid(); }},
        {"paged up, past the end of B", [&] { pressKey(Qt::Key_PageUp); trigger("mnuSynchro"); for (int i = 0; i < 6; ++i) button("knDown")->click(); }},
        {"Windows view again", [&] { trigger("mnuDOS"); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.step);
        row.play();
        const QImage shown = screen().copy(onScreen(window->grid().rect()));
        const QImage fresh = window->grid().grab().toImage().convertToFormat(shown.format());
        ASSERT_EQ(shown.size(), fresh.size());
        int differ = 0;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x) differ += shown.pixel(x, y) != fresh.pixel(x, y);
        EXPECT_EQ(differ, 0);
    }
}

}  // namespace

namespace {

// A byte 00 shows a faint dot in the character view; a place past the end shows nothing.
TEST_F(Shown, ControlCharactersAndEmptyPlacesAreToldApart) {
    QByteArray bytes(20, '\0');
    bytes[3] = 'A';
    openA(dir.write(QStringLiteral("a.bin"), bytes));
    const QImage image = screen();
    const QColor face = GridColors::buttonFace();
    auto blank = [&](int i) {
        const QRect place = onScreen(window->grid().symbolPlace(i));
        for (int y = place.top(); y <= place.bottom(); ++y)
            for (int x = place.left(); x <= place.right(); ++x)
                if (image.pixelColor(x, y).rgb() != face.rgb()) return false;
        return true;
    };
    EXPECT_FALSE(blank(5)) << "byte 00";
    EXPECT_FALSE(blank(3)) << "byte 41";
    EXPECT_TRUE(blank(20) && blank(255)) << "past the end";
    EXPECT_TRUE(cellShows(image, 5, GridColors::black()) && !cellShows(image, 20, GridColors::black()));
}

// Each cell tells its address (tooltip and accessible name); the context menu and
// Ctrl+Insert copy bytes, the screen and addresses without taking the window's shortcuts.
TEST_F(Screen, CellsTellTheirAddressAndCopyWhatTheyShow) {
    QByteArray bytes = screenBytes(300);
    bytes[256 + 1] = '\x07';
    openA(dir.write(QStringLiteral("a.bin"), bytes));
    pressKey(Qt::Key_PageDown);
    ByteGrid& grid = window->grid();
    EXPECT_EQ(GridAccessibility::hexCell(grid, 5)->text(QAccessible::Name), QStringLiteral("Адрес 0000105"));
    QHelpEvent tip(QEvent::ToolTip, grid.cellPlace(5).center(), grid.mapToGlobal(grid.cellPlace(5).center()));
    QApplication::sendEvent(&grid, &tip);
    EXPECT_EQ(QToolTip::text(), QStringLiteral("Адрес 0000105"));

    QString hex, text;
    for (int a = 256; a < 300; ++a) {
        hex += byteText(quint8(bytes[a])) + ((a - 256) % 16 == 15 || a == 299 ? "\n" : " ");
        text += symbolText(a - 256).at(0).category() == QChar::Other_Control ? QStringLiteral(".") : symbolText(a - 256);
        if ((a - 256) % 16 == 15 || a == 299) text += '\n';
    }
    EXPECT_EQ(GridClipboard::screenHex(grid), hex);
    EXPECT_EQ(GridClipboard::screenText(grid).mid(1, 1), QStringLiteral("."));
    EXPECT_EQ(GridClipboard::screenText(grid), text);

    focusCell(7);
    QApplication::clipboard()->clear();
    pressKey(Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), cellText(7));
    // The hex copies carry the bytes too, for programs that paste binary data.
    const auto raw = [] { return QApplication::clipboard()->mimeData()->data(QStringLiteral("application/octet-stream")); };
    EXPECT_EQ(raw(), bytes.mid(256 + 7, 1));
    const struct {
        const char* action;
        QString copied;
        QByteArray raw;
    } rows[] = {{"copyByte", cellText(5), bytes.mid(256 + 5, 1)}, {"copyAddress", "0000105", {}}, {"copyScreenHex", hex, bytes.mid(256)}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.action);
        QApplication::clipboard()->clear();
        QTimer::singleShot(0, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            ASSERT_NE(menu, nullptr);
            menu->findChild<QAction*>(QString::fromLatin1(row.action))->trigger();
            menu->close();
        });
        QContextMenuEvent click(QContextMenuEvent::Mouse, grid.symbolPlace(5).center(), grid.mapToGlobal(grid.symbolPlace(5).center()));
        QApplication::sendEvent(&grid, &click);
        EXPECT_EQ(QApplication::clipboard()->text(), row.copied);
        EXPECT_EQ(raw(), row.raw);
    }
}

}  // namespace
