// Editing bytes in the hexadecimal cells: write permission, focus, checking a typed value
// when the cell is left, and moving between cells with the keyboard.
#include "MainWindowHarness.h"

#include <QClipboard>
#include <QGuiApplication>

#include "CodePage.h"

namespace {

// 300 bytes, so the second screen ends after cell 43; cell 0 holds 00, cell 5 0A, cell 6 0F.
class Editing : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        bytes = screenBytes(300);
        bytes[0] = 0x00;
        bytes[5] = 0x0A;
        bytes[6] = 0x0F;
        path = dir.write(QStringLiteral("a.bin"), bytes);
        openA(path);
    }
    static QString info(int value) { return QStringLiteral("Hex[%1] = Dec[%2]").arg(byteText(value)).arg(value); }
    void expectNothingPending() {
        EXPECT_FALSE(window->changesPending() || button("knRecord")->isEnabled());
        EXPECT_EQ(TempDir::read(path), bytes);
    }

    QByteArray bytes;
    QString path;
};

TEST_F(Editing, PermissionUnlocksTheCellsAndEntrySelectsForReplacing) {
    for (bool permission : {false, true, false, true}) {
        SCOPED_TRACE(permission);
        if (permission != isChecked("mnuEdit")) trigger("mnuEdit");
        int locked = 0;
        for (int i = 0; i < GridGeometry::kCells; ++i) locked += this->locked(i);
        EXPECT_EQ(locked, permission ? 0 : 256);
        EXPECT_EQ(label("lbInvers"), permission ? QStringLiteral("Редакт.") : QString());
        // Entered by a click, by Enter or by its character, a cell selects both digits while
        // typing is allowed, so a new value replaces the old one.
        const int selected = permission ? 2 : 0;
        clickCell(20);
        EXPECT_EQ(selectedText(20).size(), selected);
        pressKey(Qt::Key_Return);
        EXPECT_EQ(selectedText(21).size(), selected);
        clickSymbol(40);
        ASSERT_EQ(focusedCell(), 40);
        EXPECT_EQ(selectedText(40).size(), selected);
    }
    trigger("mnuEdit");
    focusCell(3);
    trigger("mnuEdit");  // switched on under a focused cell, typing replaces its byte at once
    typeKeys(QStringLiteral("5"));
    pressKey(Qt::Key_Return);
    EXPECT_EQ(cellText(3), QStringLiteral("05"));
}

TEST_F(Editing, FocusHighlightsTheCellAndItsCharacter) {
    focusCell(3);
    clickSymbol(5);
    EXPECT_EQ(focusedCell(), 5);
    EXPECT_TRUE(baseColor(5) == GridColors::lightCyan() && symbolBaseColor(5) == GridColors::lightCyan());
    EXPECT_TRUE(baseColor(3) == GridColors::buttonFace() && symbolBaseColor(3) == GridColors::buttonFace());
    EXPECT_EQ(label("lbInfo1"), info(0x0A));
    leaveGrid();  // leaving the grid leaves no highlight behind
    EXPECT_TRUE(baseColor(5) == GridColors::buttonFace() && symbolBaseColor(5) == GridColors::buttonFace());
}

// The menu bar borrows the keyboard and gives it back to the cell, highlighted and described
// again, whether or not a command ran meanwhile.
TEST_F(Editing, TheCellTakesTheKeyboardBackFromTheMenuBar) {
    const struct {
        const char* way;
        std::vector<Qt::Key> keys;
    } rows[] = {
        {"F10, then Escape", {Qt::Key_F10, Qt::Key_Escape, Qt::Key_Escape}},
        // "Параметры", its first item that can be chosen, the next: "Формат файла - DOS"
        {"a command chosen by the keys", {Qt::Key_F10, Qt::Key_Right, Qt::Key_Right, Qt::Key_Right, Qt::Key_Down,
                                          Qt::Key_Down, Qt::Key_Return}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.way);
        focusCell(5);
        for (Qt::Key key : row.keys) {
            QWidget* target = QApplication::activePopupWidget() ? QApplication::activePopupWidget() : QApplication::focusWidget();
            QTest::keyClick(target, key);
        }
        // The cell stays the widget the window gives the keyboard back to; the desktop does so
        // when the menu closes, the offscreen platform not always.
        ASSERT_TRUE(grid().editor() && window->focusWidget() == grid().editor());
        if (!QApplication::focusWidget()) window->focusWidget()->setFocus(Qt::ActiveWindowFocusReason);
        EXPECT_EQ(focusedCell(), 5);
        EXPECT_TRUE(baseColor(5) == GridColors::lightCyan() && symbolBaseColor(5) == GridColors::lightCyan());
        EXPECT_EQ(label("lbInfo1"), info(0x0A));
    }
    EXPECT_TRUE(isChecked("mnuDOS"));
}

TEST_F(Editing, AcceptedValueIsNormalisedAndMarkedBlueUnlessItIsTheSameByte) {
    const struct {
        int cell;
        const char* typed;
        const char* shown;  // the cell's text once left
        bool changed;
    } rows[] = {{0, "7", "07", true},  {0, "ab", "AB", true},  {0, "fF", "FF", true}, {6, "0f", "0f", false},
                {6, "F", "F", false}, {6, "0F", "0F", false}, {0, "0", "0", false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.typed);
        restart();
        openA(path);
        trigger("mnuEdit");
        editCell(row.cell, QString::fromUtf8(row.typed));
        EXPECT_EQ(cellText(row.cell), QString::fromUtf8(row.shown));
        EXPECT_EQ(focusedCell(), row.cell + 1);
        EXPECT_TRUE(ui.messages.empty());
        EXPECT_EQ(TempDir::read(path), bytes);
        const int value = row.changed ? cellText(row.cell).toInt(nullptr, 16) : quint8(bytes[row.cell]);
        EXPECT_EQ(textColor(row.cell), row.changed ? GridColors::blue() : GridColors::black());
        EXPECT_EQ(symbolText(row.cell), QString(CodePage::ansiChar(std::uint8_t(value))));
        EXPECT_EQ(window->changesPending(), row.changed);
        focusCell(row.cell);
        EXPECT_TRUE(!row.changed || label("lbInfo1") == info(value));
    }
    focusCell(0);  // left for a control outside the grid, the value is accepted just the same
    typeKeys(QStringLiteral("7"));
    leaveGrid();
    EXPECT_EQ(cellText(0) + label("lbInfo1"), QStringLiteral("07") + info(7));
    EXPECT_TRUE(window->changesPending());
}

TEST_F(Editing, InvalidValueIsPutBackSilently) {
    trigger("mnuEdit");
    for (const char* typed : {"zz", "g", "0x", "-1", " 1", "1 ", ";:", "+!", "жж", "Ё", "€", "中", "ФЫВА", "１", "٣", ""}) {
        SCOPED_TRACE(typed);
        focusCell(6);
        const QString text = QString::fromUtf8(typed);
        text.isEmpty() ? pressKey(Qt::Key_Delete) : typeKeys(text);
        EXPECT_EQ(cellText(6), text.left(2)) << "typed into the cell as it is";
        pressKey(Qt::Key_Return);
        EXPECT_EQ(focusedCell(), 7);
        EXPECT_EQ(cellText(6), QStringLiteral("0F"));
        EXPECT_EQ(textColor(6), GridColors::black());
        EXPECT_TRUE(ui.messages.empty());
        expectNothingPending();
    }
    // A paste is cut to the cell's two characters and judged like typing.
    for (const QString& pasted : {QStringLiteral("Привет, мир! ") + QString(5000, 'x'), QStringLiteral("1234567")}) {
        focusCell(6);
        QGuiApplication::clipboard()->setText(pasted);
        pressKey(Qt::Key_V, Qt::ControlModifier);
        EXPECT_LE(cellText(6).size(), 2);
        pressKey(Qt::Key_Return);
    }
    EXPECT_EQ(cellText(6), QStringLiteral("12"));
}

TEST_F(Editing, NavigationKeysMoveTheFocusAndAreNeverTyped) {
    const struct {
        int screen;  // 0 full, 1 ends after cell 43
        int from;
        const char* keys;  // "\r" Return, "\n" keypad Enter, \1..\4 arrows up, down, left, right, \5 End; otherwise typed
        int to;
    } rows[] = {
        {0, 0, "\r", 1},    {0, 17, "\n", 18},  {0, 255, "\r", 0},  {1, 43, "\r", 0},   // next, wrapping
        {0, 5, ",", 4},     {0, 16, "б", 15},   {0, 0, ",", 0},     {1, 0, "б", 0},     // back
        {0, 5, ".", 6},     {0, 15, "ю", 16},   {0, 255, ".", 255}, {1, 43, ".", 43},   // on
        {1, 43, "ю", 43},   {0, 21, "K", 5},    {0, 255, "k", 239}, {1, 43, "Л", 27},   // up
        {0, 16, "л", 0},    {0, 15, "K", 15},   {0, 0, "л", 0},     {0, 5, "M", 21},    // down
        {0, 239, "m", 255}, {1, 27, "Ь", 43},   {0, 0, "ь", 16},    {0, 245, "M", 245},
        {1, 28, "m", 28},   {1, 40, "ь", 40},
        // The arrow keys walk as those keys do; left and right only from the cell's edge.
        {0, 21, "\1", 5},   {0, 5, "\1", 5},    {0, 5, "\2", 21},   {1, 40, "\2", 40},  {1, 27, "\2", 43},
        {0, 5, "\3", 4},    {0, 0, "\3", 0},    {0, 5, "\5\4", 6}, {1, 43, "\5\4", 43}, {0, 5, "\5\3", 5},
    };
    for (const auto& row : rows) {
        for (bool permission : {false, true}) {
            SCOPED_TRACE(testing::Message() << row.keys << " in " << row.screen << "/" << row.from << ", " << permission);
            if (window->screenStartOne() != 256 * row.screen) goTo(256 * row.screen);
            if (permission != isChecked("mnuEdit")) trigger("mnuEdit");
            focusCell(row.from);
            static const Qt::Key special[] = {Qt::Key_Up, Qt::Key_Down, Qt::Key_Left, Qt::Key_Right, Qt::Key_End};
            if (row.keys[0] == '\r' || row.keys[0] == '\n')
                pressKey(row.keys[0] == '\r' ? Qt::Key_Return : Qt::Key_Enter);
            else if (row.keys[0] >= 1 && row.keys[0] <= 5)
                for (const char* k = row.keys; *k; ++k) pressKey(special[*k - 1]);
            else
                typeKeys(QString::fromUtf8(row.keys));
            EXPECT_EQ(focusedCell(), row.to);
            EXPECT_TRUE(showsScreen(bytes, 256 * row.screen));
            leaveGrid();
            EXPECT_TRUE(showsScreen(bytes, 256 * row.screen));
            expectNothingPending();
        }
    }
}

// A cell without a byte takes no typing and shows no information while it has the focus,
// whatever the permission does; once paging gives it a byte it is editable.
TEST_F(Editing, EmptyCellIsLockedUntilPagingGivesItAByte) {
    trigger("mnuEdit");
    pressKey(Qt::Key_PageDown);
    focusCell(5);
    ASSERT_FALSE(label("lbInfo1").isEmpty());
    focusCell(100);
    EXPECT_TRUE(baseColor(100) == GridColors::buttonFace() && symbolBaseColor(100) == GridColors::buttonFace());
    EXPECT_TRUE(locked(100) && label("lbInfo1").isEmpty());
    typeKeys(QStringLiteral("12"));
    trigger("mnuEdit");
    trigger("mnuEdit");
    EXPECT_TRUE(locked(100));
    typeKeys(QStringLiteral("34"));
    EXPECT_TRUE(cellText(100).isEmpty());
    pressKey(Qt::Key_Return);
    EXPECT_EQ(focusedCell(), 0);
    expectNothingPending();

    focusCell(100);
    pressKey(Qt::Key_PageUp);
    EXPECT_FALSE(locked(100));
    typeKeys(QStringLiteral("ab"));
    pressKey(Qt::Key_Return);
    EXPECT_EQ(cellText(100), QStringLiteral("AB"));
    EXPECT_TRUE(window->changesPending());
}

}  // namespace
