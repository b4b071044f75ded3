// Editing bytes in the hexadecimal cells: write permission, entry, checking a typed value
// when the cell is left, and moving between cells with the keyboard.
#include "MainWindowHarness.h"

#include <QClipboard>
#include <QGuiApplication>

#include "CodePage.h"

namespace {

QString info(int value) {
    return QStringLiteral("Hex[%1] = Dec[%2]")
        .arg(QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper())
        .arg(value);
}

// 300 bytes, so the second screen ends after cell 43; cell 0 holds 00, cell 5 0A, cell 6 0F.
class EditingTest : public MainWindowTest {
protected:
    void openFile(qint64 size = 300) {
        bytes = screenBytes(size);
        bytes[0] = 0x00;
        bytes[5] = 0x0A;
        bytes[6] = 0x0F;
        path = dir.write(QStringLiteral("a.bin"), bytes);
        openA(path);
    }
    int byteAt(qint64 address) const { return static_cast<unsigned char>(bytes[address]); }
    // Nothing waits to be recorded and the file is as it was.
    void expectNothingPending() {
        EXPECT_FALSE(button("knRecord")->isEnabled());
        EXPECT_FALSE(isEnabled("mnuCanscel"));
        EXPECT_FALSE(window->changesPending());
        EXPECT_EQ(TempDir::read(path), bytes);
    }

    QByteArray bytes;
    QString path;
};

TEST_F(EditingTest, PermissionUnlocksCellsAndEnablesRangeCommands) {
    openFile(1024);
    auto lockedCells = [&] {
        int n = 0;
        for (int i = 0; i < GridGeometry::kCells; ++i) n += cell(i)->isReadOnly();
        return n;
    };
    EXPECT_EQ(lockedCells(), 256);
    EXPECT_TRUE(label("lbInvers").isEmpty());

    trigger("mnuEdit");
    EXPECT_TRUE(isChecked("mnuEdit"));
    EXPECT_EQ(label("lbInvers"), QStringLiteral("Редакт."));
    EXPECT_EQ(lockedCells(), 0);
    for (const char* name : {"mnuLoad", "mnuReplace", "mnuFill"}) EXPECT_TRUE(isEnabled(name)) << name;

    trigger("mnuEdit");
    EXPECT_FALSE(isChecked("mnuEdit"));
    EXPECT_TRUE(label("lbInvers").isEmpty());
    EXPECT_EQ(lockedCells(), 256);
    for (const char* name : {"mnuLoad", "mnuReplace", "mnuFill"}) EXPECT_FALSE(isEnabled(name)) << name;

    // Switched on while a cell has the focus, typing replaces that cell's byte at once.
    focusCell(3);
    trigger("mnuEdit");
    typeKeys(QStringLiteral("5"));
    pressKey(Qt::Key_Return);
    EXPECT_EQ(cellText(3), QStringLiteral("05"));
    EXPECT_TRUE(button("knRecord")->isEnabled());
}

// Entered by a click or by a key, a cell selects both digits while typing is allowed, so a
// new value replaces the old one; otherwise nothing.
TEST_F(EditingTest, SelectionOnEntryFollowsPermission) {
    openFile();
    for (bool permission : {false, true}) {
        if (permission) trigger("mnuEdit");
        const int length = permission ? 2 : 0;
        QTest::mouseClick(cell(20), Qt::LeftButton, Qt::NoModifier, cell(20)->rect().center());
        ASSERT_EQ(focusedCell(), 20);
        EXPECT_EQ(cell(20)->selectedText().size(), length) << "click, permission " << permission;
        pressKey(Qt::Key_Return);
        ASSERT_EQ(focusedCell(), 21);
        EXPECT_EQ(cell(21)->selectedText().size(), length) << "Enter, permission " << permission;
        QTest::mouseClick(symbol(40), Qt::LeftButton);
        ASSERT_EQ(focusedCell(), 40);
        EXPECT_EQ(cell(40)->selectedText().size(), length) << "character, permission " << permission;
    }
}

TEST_F(EditingTest, FocusHighlightsTheCellAndItsCharacter) {
    openFile();
    focusCell(5);
    EXPECT_EQ(baseColor(5), GridColors::lightCyan());
    EXPECT_EQ(symbol(5)->background(), GridColors::lightCyan());
    EXPECT_EQ(label("lbInfo1"), QStringLiteral("Hex[0A] = Dec[10]"));
    EXPECT_EQ(window->enteredCellText(), QStringLiteral("0A"));

    focusCell(6);
    EXPECT_EQ(baseColor(5), GridColors::buttonFace());
    EXPECT_EQ(symbol(5)->background(), GridColors::buttonFace());
    EXPECT_EQ(baseColor(6), GridColors::lightCyan());
    EXPECT_EQ(symbol(6)->background(), GridColors::lightCyan());
    EXPECT_EQ(label("lbInfo1"), QStringLiteral("Hex[0F] = Dec[15]"));

    // Leaving for a control outside the grid leaves no highlight behind.
    window->grid().rowAddress(0)->setFocus();
    EXPECT_EQ(baseColor(6), GridColors::buttonFace());
    EXPECT_EQ(symbol(6)->background(), GridColors::buttonFace());
}

TEST_F(EditingTest, FirstChangeEntersThePendingState) {
    openFile(1024);
    openB(dir.write(QStringLiteral("b.bin"), screenBytes(1024)));
    trigger("mnuEdit");
    const auto before = enabledControls();

    editCell(0, QStringLiteral("7"));
    EXPECT_EQ(cellText(0), QStringLiteral("07"));
    EXPECT_EQ(textColor(0), GridColors::blue());
    EXPECT_EQ(symbol(0)->text(), QString(CodePage::ansiChar(7)));
    EXPECT_EQ(focusedCell(), 1);
    EXPECT_TRUE(window->changesPending());
    EXPECT_EQ(enabledChanges(before, enabledControls()),
              (QStringList{QStringLiteral("+knRecord"), QStringLiteral("+mnuCanscel"),
                           QStringLiteral("+mnuRec"), QStringLiteral("-knDown"),
                           QStringLiteral("-knNextScreen"), QStringLiteral("-knUp"),
                           QStringLiteral("-knViweOne"), QStringLiteral("-knViweTwo"),
                           QStringLiteral("-mnuChSearch"), QStringLiteral("-mnuDOS"),
                           QStringLiteral("-mnuEdit"), QStringLiteral("-mnuFill"),
                           QStringLiteral("-mnuLoadFileA"), QStringLiteral("-mnuLoadFileB"),
                           QStringLiteral("-mnuNext"), QStringLiteral("-mnuRefresh"),
                           QStringLiteral("-mnuReplace"), QStringLiteral("-mnuSaveList"),
                           QStringLiteral("-mnuSaveNoByt"), QStringLiteral("-mnuSearch"),
                           QStringLiteral("-mnuSynchro")}));
    // Entering the edited cell again shows its new value.
    focusCell(0);
    EXPECT_EQ(label("lbInfo1"), QStringLiteral("Hex[07] = Dec[7]"));

    // A second change adds to the batch and changes no command.
    const auto pending = enabledControls();
    editCell(1, QStringLiteral("ff"));
    EXPECT_EQ(cellText(1), QStringLiteral("FF"));
    EXPECT_EQ(textColor(1), GridColors::blue());
    EXPECT_TRUE(enabledChanges(pending, enabledControls()).isEmpty());
    EXPECT_EQ(TempDir::read(path), bytes);
    EXPECT_TRUE(ui.messages.empty());
}

// Leaving the cell for a control outside the grid, the information line keeps the value
// just accepted.
TEST_F(EditingTest, InformationLineShowsTheAcceptedValue) {
    openFile();
    trigger("mnuEdit");
    focusCell(0);
    typeKeys(QStringLiteral("7"));
    window->grid().rowAddress(0)->setFocus();
    EXPECT_EQ(cellText(0), QStringLiteral("07"));
    EXPECT_EQ(label("lbInfo1"), QStringLiteral("Hex[07] = Dec[7]"));
    EXPECT_TRUE(button("knRecord")->isEnabled());
}

struct Entry {
    const char* name;
    int cell;
    const char* typed;
    const char* shown;  // the cell's text once left
    bool pending;
};
void PrintTo(const Entry& c, std::ostream* os) { *os << c.name; }

class AcceptedEntry : public EditingTest, public ::testing::WithParamInterface<Entry> {};

TEST_P(AcceptedEntry, IsNormalisedOrLeftAsTyped) {
    const Entry& e = GetParam();
    openFile();
    trigger("mnuEdit");
    const QColor colour = textColor(e.cell);
    editCell(e.cell, QString::fromUtf8(e.typed));

    EXPECT_EQ(cellText(e.cell), QString::fromUtf8(e.shown));
    EXPECT_EQ(focusedCell(), e.cell + 1);
    EXPECT_EQ(TempDir::read(path), bytes);
    EXPECT_TRUE(ui.messages.empty());
    if (e.pending) {
        const int value = cellText(e.cell).toInt(nullptr, 16);
        EXPECT_EQ(textColor(e.cell), GridColors::blue());
        EXPECT_EQ(symbol(e.cell)->text(), QString(CodePage::ansiChar(std::uint8_t(value))));
        EXPECT_TRUE(button("knRecord")->isEnabled());
        focusCell(e.cell);
        EXPECT_EQ(label("lbInfo1"), info(value));
    } else {
        EXPECT_EQ(textColor(e.cell), colour);
        EXPECT_EQ(symbol(e.cell)->text(), QString(CodePage::ansiChar(std::uint8_t(byteAt(e.cell)))));
        expectNothingPending();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Entries, AcceptedEntry,
    ::testing::Values(Entry{"OneDigit", 0, "7", "07", true},
                      Entry{"LowerCase", 0, "ab", "AB", true},
                      Entry{"MixedCase", 0, "fF", "FF", true},
                      Entry{"SameValueLowerCase", 6, "0f", "0f", false},
                      Entry{"SameValueOneDigit", 6, "F", "F", false},
                      Entry{"SameValueAsShown", 6, "0F", "0F", false},
                      Entry{"ZeroOverZero", 0, "0", "0", false}),
    [](const auto& info) { return std::string(info.param.name); });

class InvalidEntry : public EditingTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(InvalidEntry, IsPutBackSilently) {
    openFile();
    trigger("mnuEdit");
    focusCell(6);
    const QString typed = QString::fromUtf8(GetParam());
    if (typed.isEmpty())
        pressKey(Qt::Key_Delete);
    else
        typeKeys(typed);
    EXPECT_EQ(cellText(6), typed.left(2)) << "typed into the cell as it is";
    pressKey(Qt::Key_Return);

    EXPECT_EQ(focusedCell(), 7);
    EXPECT_EQ(cellText(6), QStringLiteral("0F"));
    EXPECT_EQ(textColor(6), GridColors::black());
    EXPECT_TRUE(ui.messages.empty());
    expectNothingPending();
}

INSTANTIATE_TEST_SUITE_P(Entries, InvalidEntry,
                         ::testing::Values("zz", "g", "0x", "-1", " 1", "1 ", ";:", "+!", "жж",
                                           "Ё", "€", "中", "ФЫВА", ""),
                         [](const auto& info) { return "Case" + std::to_string(info.index); });

// A paste is cut to the cell's two characters and judged like typing when the cell is left.
TEST_F(EditingTest, PastedTextIsCutToTwoCharacters) {
    openFile();
    trigger("mnuEdit");
    focusCell(6);
    QGuiApplication::clipboard()->setText(QStringLiteral("Привет, мир! ") + QString(5000, QLatin1Char('x')));
    pressKey(Qt::Key_V, Qt::ControlModifier);
    EXPECT_LE(cellText(6).size(), 2);
    pressKey(Qt::Key_Return);
    EXPECT_EQ(cellText(6), QStringLiteral("0F"));
    expectNothingPending();

    focusCell(6);
    QGuiApplication::clipboard()->setText(QStringLiteral("1234567"));
    pressKey(Qt::Key_V, Qt::ControlModifier);
    pressKey(Qt::Key_Return);
    EXPECT_EQ(cellText(6), QStringLiteral("12"));
    EXPECT_TRUE(button("knRecord")->isEnabled());
    EXPECT_EQ(TempDir::read(path), bytes);
    EXPECT_TRUE(ui.messages.empty());
}

// ---- Moving between cells ----

struct Move {
    const char* name;
    int screen;  // of the 300-byte file: 0 full, 1 ends after cell 43
    int from;
    Qt::Key key;       // Key_Return or Key_Enter; otherwise the character below is typed
    const char* text;
    int to;
};
void PrintTo(const Move& c, std::ostream* os) { *os << c.name; }

class NavigationKey : public EditingTest, public ::testing::WithParamInterface<Move> {};

TEST_P(NavigationKey, MovesTheFocusAndIsNeverTyped) {
    const Move& m = GetParam();
    openFile();
    for (int i = 0; i < m.screen; ++i) pressKey(Qt::Key_PageDown);
    const qint64 start = 256 * m.screen;
    for (bool permission : {false, true}) {
        if (permission) trigger("mnuEdit");
        focusCell(m.from);
        if (m.key == Qt::Key_Return || m.key == Qt::Key_Enter)
            pressKey(m.key);
        else
            typeKeys(QString::fromUtf8(m.text));
        EXPECT_EQ(focusedCell(), m.to) << "permission " << permission;
        EXPECT_TRUE(showsScreen(bytes, start)) << "permission " << permission;
        window->grid().rowAddress(0)->setFocus();
        EXPECT_TRUE(showsScreen(bytes, start)) << "permission " << permission;
        expectNothingPending();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Keys, NavigationKey,
    ::testing::Values(
        Move{"EnterGoesToTheNextCell", 0, 0, Qt::Key_Return, "", 1},
        Move{"KeypadEnter", 0, 17, Qt::Key_Enter, "", 18},
        Move{"EnterOnTheLastCellWraps", 0, 255, Qt::Key_Return, "", 0},
        Move{"EnterOnTheLastByteWraps", 1, 43, Qt::Key_Return, "", 0},
        Move{"CommaGoesBack", 0, 5, Qt::Key_unknown, ",", 4},
        Move{"CyrillicBeGoesBack", 0, 16, Qt::Key_unknown, "б", 15},
        Move{"CommaOnTheFirstCellStays", 0, 0, Qt::Key_unknown, ",", 0},
        Move{"CyrillicBeOnTheFirstCellStays", 1, 0, Qt::Key_unknown, "б", 0},
        Move{"PeriodGoesOn", 0, 5, Qt::Key_unknown, ".", 6},
        Move{"CyrillicYuGoesOn", 0, 15, Qt::Key_unknown, "ю", 16},
        Move{"PeriodOnTheLastCellStays", 0, 255, Qt::Key_unknown, ".", 255},
        Move{"PeriodBeforeAnEmptyCellStays", 1, 43, Qt::Key_unknown, ".", 43},
        Move{"CyrillicYuBeforeAnEmptyCellStays", 1, 43, Qt::Key_unknown, "ю", 43},
        Move{"UpperKGoesUp", 0, 21, Qt::Key_unknown, "K", 5},
        Move{"LowerKGoesUp", 0, 255, Qt::Key_unknown, "k", 239},
        Move{"UpperElGoesUp", 1, 43, Qt::Key_unknown, "Л", 27},
        Move{"LowerElGoesUp", 0, 16, Qt::Key_unknown, "л", 0},
        Move{"KOnTheTopRowStays", 0, 15, Qt::Key_unknown, "K", 15},
        Move{"ElOnTheTopRowStays", 0, 0, Qt::Key_unknown, "л", 0},
        Move{"UpperMGoesDown", 0, 5, Qt::Key_unknown, "M", 21},
        Move{"LowerMGoesDown", 0, 239, Qt::Key_unknown, "m", 255},
        Move{"UpperSoftSignGoesDown", 1, 27, Qt::Key_unknown, "Ь", 43},
        Move{"LowerSoftSignGoesDown", 0, 0, Qt::Key_unknown, "ь", 16},
        Move{"MOnTheBottomRowStays", 0, 245, Qt::Key_unknown, "M", 245},
        Move{"MAboveAnEmptyCellStays", 1, 28, Qt::Key_unknown, "m", 28},
        Move{"SoftSignAboveAnEmptyCellStays", 1, 40, Qt::Key_unknown, "ь", 40}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Cells without a byte, and the character view ----

TEST_F(EditingTest, EmptyCellIsPlainLockedAndSilent) {
    openFile();
    trigger("mnuEdit");
    pressKey(Qt::Key_PageDown);
    focusCell(5);
    ASSERT_FALSE(label("lbInfo1").isEmpty());

    focusCell(100);
    EXPECT_TRUE(cellText(100).isEmpty());
    EXPECT_EQ(baseColor(100), GridColors::buttonFace());
    EXPECT_EQ(symbol(100)->background(), GridColors::buttonFace());
    EXPECT_TRUE(cell(100)->isReadOnly());
    EXPECT_TRUE(label("lbInfo1").isEmpty());
    typeKeys(QStringLiteral("12"));
    EXPECT_TRUE(cellText(100).isEmpty());

    // Switching the permission off and on while it has the focus does not unlock it.
    trigger("mnuEdit");
    trigger("mnuEdit");
    ASSERT_TRUE(isChecked("mnuEdit"));
    EXPECT_TRUE(cell(100)->isReadOnly());
    typeKeys(QStringLiteral("34"));
    EXPECT_TRUE(cellText(100).isEmpty());

    pressKey(Qt::Key_Return);
    EXPECT_EQ(focusedCell(), 0);
    expectNothingPending();
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(EditingTest, CharacterClickFocusesItsHexCell) {
    openFile();
    trigger("mnuEdit");
    focusCell(3);
    QTest::mouseClick(symbol(5), Qt::LeftButton);
    EXPECT_EQ(focusedCell(), 5);
    EXPECT_EQ(baseColor(5), GridColors::lightCyan());
    EXPECT_EQ(symbol(5)->background(), GridColors::lightCyan());
    EXPECT_EQ(baseColor(3), GridColors::buttonFace());
    EXPECT_EQ(label("lbInfo1"), QStringLiteral("Hex[0A] = Dec[10]"));
    typeKeys(QStringLiteral("c"));
    pressKey(Qt::Key_Return);
    EXPECT_EQ(cellText(5), QStringLiteral("0C"));
    EXPECT_TRUE(button("knRecord")->isEnabled());
}

}  // namespace
