// Paging screen by screen, jumping to an address or a block, and paging two files together.
#include "MainWindowHarness.h"

namespace {

const QString kNoAddress = QStringLiteral("Указанный Вами адрес не существует.");
const QString kNoBlock = QStringLiteral("Указанный Вами блок не существует.");

QString infoText(const QByteArray& bytes, qint64 address) {
    const int value = static_cast<unsigned char>(bytes[address]);
    return QStringLiteral("Hex[%1] = Dec[%2]")
        .arg(QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper())
        .arg(value);
}

// A file of `size` bytes that differs in every byte from screenBytes() of the harness.
QByteArray otherBytes(qint64 size) {
    QByteArray bytes(size, Qt::Uninitialized);
    for (qint64 a = 0; a < size; ++a) bytes[a] = char(~((a * 7 + (a / 256) * 101 + 3) % 256));
    return bytes;
}

using PagingTest = MainWindowTest;
using SynchroTest = MainWindowTest;

// ---- Paging one file ----

struct PagingWay {
    const char* name;
    int focus;        // the cell with the focus while paging, -1 none
    bool permission;  // write permission on
    Qt::Key down;     // Key_unknown: click the buttons
    Qt::Key up;
};
void PrintTo(const PagingWay& c, std::ostream* os) { *os << c.name; }

class Paging : public MainWindowTest, public ::testing::WithParamInterface<PagingWay> {
protected:
    void down() {
        if (GetParam().down == Qt::Key_unknown)
            button("knDown")->click();
        else
            pressKey(GetParam().down);
    }
    void up() {
        if (GetParam().up == Qt::Key_unknown)
            button("knUp")->click();
        else
            pressKey(GetParam().up);
    }
};

TEST_P(Paging, StopsAtBothEndsOfTheFile) {
    const QByteArray bytes = screenBytes(1024);
    openA(dir.write(QStringLiteral("a.bin"), bytes));
    if (GetParam().permission) trigger("mnuEdit");
    if (GetParam().focus >= 0) focusCell(GetParam().focus);
    const int focused = focusedCell();

    for (int block = 2; block <= 5; ++block) {
        down();
        const int expected = std::min(block, 4);
        EXPECT_EQ(window->screenStartOne(), 256 * (expected - 1)) << "after Вниз to " << block;
        EXPECT_EQ(label("lbStatusBarText"), QStringLiteral("%1 из 4").arg(expected));
        EXPECT_TRUE(showsScreen(bytes, 256 * (expected - 1)));
    }
    for (int block = 3; block >= 0; --block) {
        up();
        const int expected = std::max(block, 1);
        EXPECT_EQ(window->screenStartOne(), 256 * (expected - 1)) << "after Вверх to " << block;
        EXPECT_EQ(label("lbStatusBarText"), QStringLiteral("%1 из 4").arg(expected));
        EXPECT_TRUE(showsScreen(bytes, 256 * (expected - 1)));
    }
    // Paging keys are the window's: nothing is typed, and the focus stays where it was.
    EXPECT_EQ(focusedCell(), focused);
    EXPECT_TRUE(ui.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Ways, Paging,
    ::testing::Values(PagingWay{"Buttons", -1, false, Qt::Key_unknown, Qt::Key_unknown},
                      PagingWay{"KeysInHexCell", 0x17, false, Qt::Key_PageDown, Qt::Key_PageUp},
                      PagingWay{"KeysInEditableCell", 0xFF, true, Qt::Key_PageDown, Qt::Key_PageUp}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PagingTest, PageKeysDoNothingWithoutAFile) {
    focusCell(0);
    pressKey(Qt::Key_PageDown);
    pressKey(Qt::Key_PageUp);
    window->setFocus();
    pressKey(Qt::Key_PageDown);
    expectNoFileState();
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(PagingTest, PagingWaitsWhileEditsArePending) {
    const QByteArray bytes = screenBytes(1024);
    const QString path = dir.write(QStringLiteral("a.bin"), bytes);
    openA(path);
    pressKey(Qt::Key_PageDown);
    trigger("mnuEdit");
    editCell(3, QStringLiteral("7"));
    ASSERT_TRUE(button("knRecord")->isEnabled());

    pressKey(Qt::Key_PageDown);
    pressKey(Qt::Key_PageUp);
    button("knDown")->click();
    button("knUp")->click();

    EXPECT_EQ(window->screenStartOne(), 256);
    EXPECT_EQ(cellText(3), QStringLiteral("07"));
    EXPECT_EQ(textColor(3), GridColors::blue());
    EXPECT_EQ(focusedCell(), 4);
    EXPECT_EQ(TempDir::read(path), bytes);
}

// The cell that keeps the focus while the screen moves under it takes the new byte as what
// it was entered with: leaving it is no edit, and typing replaces the new byte.
TEST_F(PagingTest, FocusedCellTakesTheNewByteWhenPaging) {
    const QByteArray bytes = screenBytes(1024);
    const QString path = dir.write(QStringLiteral("a.bin"), bytes);
    openA(path);
    trigger("mnuEdit");
    focusCell(5);

    pressKey(Qt::Key_PageDown);
    ASSERT_EQ(window->screenStartOne(), 256);
    EXPECT_EQ(focusedCell(), 5);
    EXPECT_EQ(window->enteredCellText(), byteText(static_cast<unsigned char>(bytes[0x105])));
    EXPECT_EQ(baseColor(5), GridColors::lightCyan());
    pressKey(Qt::Key_Return);
    EXPECT_FALSE(button("knRecord")->isEnabled());
    EXPECT_EQ(textColor(5), GridColors::black());

    focusCell(5);
    pressKey(Qt::Key_PageUp);
    typeKeys(QStringLiteral("7"));
    pressKey(Qt::Key_Return);
    EXPECT_EQ(cellText(5), QStringLiteral("07"));
    EXPECT_TRUE(button("knRecord")->isEnabled());
    EXPECT_EQ(TempDir::read(path), bytes);
}

// An empty cell is locked while it has the focus; the same cell is editable again once the
// screen gives it a byte.
TEST_F(PagingTest, EmptyCellUnlocksWhenPagingGivesItAByte) {
    const QByteArray bytes = screenBytes(300);
    openA(dir.write(QStringLiteral("a.bin"), bytes));
    trigger("mnuEdit");
    pressKey(Qt::Key_PageDown);
    focusCell(100);
    ASSERT_TRUE(cell(100)->isReadOnly());

    pressKey(Qt::Key_PageUp);
    EXPECT_FALSE(cell(100)->isReadOnly());
    typeKeys(QStringLiteral("ab"));
    pressKey(Qt::Key_Return);
    EXPECT_EQ(cellText(100), QStringLiteral("AB"));
    EXPECT_TRUE(button("knRecord")->isEnabled());
}

// ---- Jumping to an address ----

struct Jump {
    const char* name;
    qint64 fileSize;
    std::int64_t address;
    int type;         // 0 an address, otherwise the start of a block
    int focusBefore;  // -1: no cell has the focus
    qint64 screen;
    int cell;
};
void PrintTo(const Jump& c, std::ostream* os) { *os << c.name; }

class JumpTo : public MainWindowTest, public ::testing::WithParamInterface<Jump> {};

TEST_P(JumpTo, ShowsTheScreenAndFocusesTheCell) {
    const Jump& j = GetParam();
    const QByteArray bytes = screenBytes(j.fileSize);
    const QString path = dir.write(QStringLiteral("a.bin"), bytes);
    openA(path);
    trigger("mnuEdit");
    if (j.focusBefore >= 0) focusCell(j.focusBefore);

    std::int64_t address = j.address;
    window->subSearchAddr(address, j.type);

    EXPECT_EQ(address, j.address);
    EXPECT_EQ(window->screenStartOne(), j.screen);
    EXPECT_TRUE(showsScreen(bytes, j.screen));
    EXPECT_EQ(label("lbStatusBarText"),
              QStringLiteral("%1 из %2").arg(j.screen / 256 + 1).arg((j.fileSize + 255) / 256));
    ASSERT_EQ(focusedCell(), j.cell);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), QStringLiteral("plByt0_%1").arg(j.cell));
    EXPECT_EQ(window->enteredCellText(), cellText(j.cell));
    const qint64 target = j.screen + j.cell;
    if (target < j.fileSize) {
        EXPECT_EQ(label("lbInfo1"), infoText(bytes, target));
        EXPECT_EQ(baseColor(j.cell), GridColors::lightCyan());
        EXPECT_EQ(symbol(j.cell)->background(), GridColors::lightCyan());
        EXPECT_FALSE(cell(j.cell)->isReadOnly());
        EXPECT_EQ(cell(j.cell)->selectedText(), cellText(j.cell));
    } else {
        EXPECT_TRUE(cellText(j.cell).isEmpty());
        EXPECT_TRUE(label("lbInfo1").isEmpty());
        EXPECT_EQ(baseColor(j.cell), GridColors::buttonFace());
        EXPECT_TRUE(cell(j.cell)->isReadOnly());
    }
    if (j.focusBefore >= 0 && j.focusBefore != j.cell) {
        EXPECT_EQ(baseColor(j.focusBefore), GridColors::buttonFace());
    }

    // Leaving the cell is no edit: the byte it shows is the one it was entered with.
    pressKey(Qt::Key_Return);
    EXPECT_FALSE(button("knRecord")->isEnabled());
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(TempDir::read(path), bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, JumpTo,
    ::testing::Values(Jump{"AddressWithoutFocus", 1024, 0x1A5, 0, -1, 0x100, 0xA5},
                      Jump{"AddressFromAnotherCell", 1024, 0x1A5, 0, 3, 0x100, 0xA5},
                      Jump{"AddressOntoTheFocusedCell", 1024, 0x1A5, 0, 0xA5, 0x100, 0xA5},
                      Jump{"BlockFocusesItsFirstCell", 1024, 0x200, -1, 0x40, 0x200, 0},
                      Jump{"LastByte", 1024, 0x3FF, 0, 0x10, 0x300, 0xFF},
                      Jump{"EmptyCellOfTheLastScreen", 1000, 0x3FF, 0, 0x10, 0x300, 0xFF},
                      Jump{"FromEmptyCellToAByte", 1000, 0x2FF, 0, 0xFF, 0x200, 0xFF}),
    [](const auto& info) { return std::string(info.param.name); });

struct MissingJump {
    const char* name;
    std::int64_t address;
    int type;
    const QString* text;
};
void PrintTo(const MissingJump& c, std::ostream* os) { *os << c.name; }

class JumpBeyond : public MainWindowTest, public ::testing::WithParamInterface<MissingJump> {};

TEST_P(JumpBeyond, IsReportedAndTheScreenStays) {
    const MissingJump& j = GetParam();
    const QByteArray bytes = screenBytes(1024);
    openA(dir.write(QStringLiteral("a.bin"), bytes));
    pressKey(Qt::Key_PageDown);
    focusCell(7);
    const QString info = label("lbInfo1");

    std::int64_t address = j.address;
    window->subSearchAddr(address, j.type);

    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].title, QStringLiteral("Ошибка"));
    EXPECT_EQ(ui.messages[0].text, *j.text);
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Critical);
    EXPECT_EQ(ui.messages[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(window->screenStartOne(), 256);
    EXPECT_EQ(label("lbStatusBarText"), QStringLiteral("2 из 4"));
    EXPECT_TRUE(showsScreen(bytes, 256));
    EXPECT_EQ(focusedCell(), 7);
    EXPECT_EQ(label("lbInfo1"), info);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, JumpBeyond,
    ::testing::Values(MissingJump{"AddressOfTheNextScreen", 0x400, 0, &kNoAddress},
                      MissingJump{"BlockAfterTheLast", 0x400, -1, &kNoBlock},
                      MissingJump{"FarAddress", 0x7FFFFFFFFFFFll, 0, &kNoAddress},
                      MissingJump{"NegativeAddress", -1, 0, &kNoAddress},
                      MissingJump{"NegativeBlock", -256, -1, &kNoBlock}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Synchronised paging ----

TEST_F(SynchroTest, SynchroOnMovesBothFilesToTheFirstScreen) {
    const QByteArray a = screenBytes(1024);
    const QByteArray b = otherBytes(1024);
    openA(dir.write(QStringLiteral("a.bin"), a));
    openB(dir.write(QStringLiteral("b.bin"), b));
    button("knDown")->click();
    button("knDown")->click();
    radio("knViweTwo")->click();
    button("knDown")->click();
    button("knDown")->click();
    ASSERT_EQ(window->screenStartOne(), 512);
    ASSERT_EQ(window->screenStartTwo(), 512);

    trigger("mnuSynchro");
    EXPECT_TRUE(isChecked("mnuSynchro"));
    EXPECT_EQ(label("lbInfo2"), QStringLiteral("Синхро."));
    EXPECT_EQ(window->screenStartOne(), 0);
    EXPECT_EQ(window->screenStartTwo(), 0);
    EXPECT_EQ(window->intShowFile, 2);
    EXPECT_TRUE(showsScreen(b, 0));
    EXPECT_EQ(label("lbStatusBarText"), QStringLiteral("1 из 4"));

    // Both move together; switching it off leaves them where they are.
    button("knDown")->click();
    EXPECT_EQ(window->screenStartOne(), 256);
    EXPECT_EQ(window->screenStartTwo(), 256);
    trigger("mnuSynchro");
    EXPECT_FALSE(isChecked("mnuSynchro"));
    EXPECT_TRUE(label("lbInfo2").isEmpty());
    EXPECT_EQ(window->screenStartOne(), 256);
    EXPECT_EQ(window->screenStartTwo(), 256);
    button("knDown")->click();
    EXPECT_EQ(window->screenStartOne(), 256);
    EXPECT_EQ(window->screenStartTwo(), 512);
}

struct SynchroSizes {
    const char* name;
    qint64 sizeA;
    qint64 sizeB;
    int view;  // 1 file A, 2 file B
};
void PrintTo(const SynchroSizes& c, std::ostream* os) { *os << c.name; }

class SynchroPaging : public MainWindowTest, public ::testing::WithParamInterface<SynchroSizes> {};

TEST_P(SynchroPaging, StopsAtTheEndOfTheShorterFile) {
    const SynchroSizes& s = GetParam();
    const QByteArray a = screenBytes(s.sizeA);
    const QByteArray b = otherBytes(s.sizeB);
    openA(dir.write(QStringLiteral("a.bin"), a));
    openB(dir.write(QStringLiteral("b.bin"), b));
    if (s.view == 2) radio("knViweTwo")->click();
    trigger("mnuSynchro");
    const QByteArray& shown = s.view == 1 ? a : b;
    const qint64 blocks = ((s.view == 1 ? s.sizeA : s.sizeB) + 255) / 256;

    button("knUp")->click();
    EXPECT_EQ(window->screenStartOne(), 0);
    EXPECT_EQ(window->screenStartTwo(), 0);
    for (int i = 0; i < 4; ++i) button("knDown")->click();
    EXPECT_EQ(window->screenStartOne(), 512);
    EXPECT_EQ(window->screenStartTwo(), 512);
    EXPECT_TRUE(showsScreen(shown, 512));
    EXPECT_EQ(label("lbStatusBarText"), QStringLiteral("3 из %1").arg(blocks));

    // A jump beyond the shorter file is lowered to its size, in the caller's variable too.
    std::int64_t address = 0x3E0;
    window->subSearchAddr(address, 0);
    EXPECT_EQ(address, 0x258);
    EXPECT_EQ(window->screenStartOne(), 512);
    EXPECT_EQ(window->screenStartTwo(), 512);
    EXPECT_EQ(label("lbStatusBarText"), QStringLiteral("3 из %1").arg(blocks));
    EXPECT_EQ(focusedCell(), 0x58);
    EXPECT_TRUE(ui.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Sizes, SynchroPaging,
                         ::testing::Values(SynchroSizes{"BShorterAInView", 1000, 600, 1},
                                           SynchroSizes{"BShorterBInView", 1000, 600, 2},
                                           SynchroSizes{"AShorterBInView", 600, 1000, 2}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SynchroTest, MismatchesAreDarkRedInBothViewsOnlyWhileSynchronised) {
    const QByteArray a = screenBytes(600);
    QByteArray b = a;
    b[10] = char(b[10] ^ 0x5A);
    b[300] = char(b[300] ^ 0x01);
    openA(dir.write(QStringLiteral("a.bin"), a));
    openB(dir.write(QStringLiteral("b.bin"), b));

    EXPECT_TRUE(darkRedCells().empty());
    radio("knViweTwo")->click();
    EXPECT_TRUE(darkRedCells().empty());

    trigger("mnuSynchro");
    EXPECT_EQ(darkRedCells(), std::vector<int>{10});
    radio("knViweOne")->click();
    EXPECT_EQ(darkRedCells(), std::vector<int>{10});
    button("knDown")->click();
    EXPECT_EQ(darkRedCells(), std::vector<int>{300 - 256});

    trigger("mnuSynchro");
    EXPECT_TRUE(darkRedCells().empty());
}

TEST_F(SynchroTest, BytesMissingInTheShorterFileAreNeverDarkRed) {
    const QByteArray a = screenBytes(1000);
    const QByteArray b = otherBytes(300);
    openA(dir.write(QStringLiteral("a.bin"), a));
    openB(dir.write(QStringLiteral("b.bin"), b));
    trigger("mnuSynchro");
    button("knDown")->click();

    std::vector<int> firstCells(44);
    for (int i = 0; i < 44; ++i) firstCells[i] = i;
    EXPECT_EQ(darkRedCells(), firstCells);
    radio("knViweTwo")->click();
    EXPECT_EQ(darkRedCells(), firstCells);
    EXPECT_TRUE(showsScreen(b, 256));
}

TEST_F(SynchroTest, FocusedMismatchIsButtonShadowInsteadOfCyan) {
    const QByteArray a = screenBytes(600);
    QByteArray b = a;
    b[10] = char(b[10] ^ 0x5A);
    openA(dir.write(QStringLiteral("a.bin"), a));
    openB(dir.write(QStringLiteral("b.bin"), b));
    const QColor shadow = QApplication::palette().color(QPalette::Dark);
    ASSERT_NE(shadow, GridColors::lightCyan());

    // Focused first, then marked by the redraw that synchronisation makes.
    focusCell(10);
    EXPECT_EQ(baseColor(10), GridColors::lightCyan());
    trigger("mnuSynchro");
    EXPECT_EQ(baseColor(10), shadow);

    focusCell(11);
    EXPECT_EQ(baseColor(11), GridColors::lightCyan());
    EXPECT_EQ(baseColor(10), GridColors::buttonFace());
    // Marked first, then focused.
    focusCell(10);
    EXPECT_EQ(baseColor(10), shadow);
    EXPECT_EQ(symbol(10)->background(), GridColors::lightCyan());
    // The mark goes with synchronisation, and the focus shows cyan again.
    trigger("mnuSynchro");
    EXPECT_EQ(textColor(10), GridColors::black());
    EXPECT_EQ(baseColor(10), GridColors::lightCyan());
}

}  // namespace
