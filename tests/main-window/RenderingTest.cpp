// What the screen shows: cell texts, characters, comparison colours, row labels and the
// position indicator, for small, large and sparse files.
#include <QFile>
#include <QProgressBar>

#include "MainWindowHarness.h"

namespace {

using RenderingTest = MainWindowTest;

QString hex2(int value) { return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper(); }

// A sparse file of `size` bytes with `last` as its final byte.
QString sparseFile(const TempDir& dir, const QString& name, qint64 size, char last) {
    const QString path = dir.path(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || !f.resize(size) || !f.seek(size - 1) || f.write(&last, 1) != 1)
        ADD_FAILURE() << "cannot make a sparse file of " << size << " bytes";
    return path;
}

void overwriteByte(const QString& path, qint64 address, char value) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.seek(address));
    ASSERT_EQ(f.write(&value, 1), 1);
}

QProgressBar* bar(const fCompBynF& window) {
    return window.findChild<QProgressBar*>(QStringLiteral("conProgressBar"));
}

TEST_F(RenderingTest, CellsShowUpperCaseHexAndTheCharacterOfTheCodePage) {
    const struct {
        int byte;
        const char* hex;
        char16_t ansi;  // Windows-1251
        char16_t dos;   // CP866
    } rows[] = {
        {0x00, "00", 0x0000, 0x0000}, {0x0A, "0A", 0x000A, 0x000A}, {0x1F, "1F", 0x001F, 0x001F},
        {0x26, "26", u'&', u'&'},     {0x41, "41", u'A', u'A'},     {0x7F, "7F", 0x007F, 0x007F},
        {0x80, "80", u'Ђ', u'А'},     {0xAB, "AB", u'«', u'л'},     {0xC0, "C0", u'А', u'└'},
        {0xE0, "E0", u'а', u'р'},     {0xFF, "FF", u'я', 0x00A0},
    };
    QByteArray bytes;
    for (const auto& row : rows) bytes.append(char(row.byte));
    openA(dir.write(QStringLiteral("chars.bin"), bytes));

    for (bool dos : {false, true}) {
        SCOPED_TRACE(dos ? "DOS view" : "Windows view");
        EXPECT_EQ(isChecked("mnuDOS"), dos);
        for (int i = 0; i < int(std::size(rows)); ++i) {
            SCOPED_TRACE(rows[i].hex);
            EXPECT_EQ(cellText(i), QString::fromLatin1(rows[i].hex));
            EXPECT_EQ(symbol(i)->text(), QString(QChar(dos ? rows[i].dos : rows[i].ansi)));
            EXPECT_EQ(cellColor(i), GridColors::black());
        }
        trigger("mnuDOS");
    }
}

TEST_F(RenderingTest, ScreenPastTheEndOfTheFileIsEmpty) {
    const struct {
        qint64 size;
        int filled;  // cells of the second screen that hold a byte
    } rows[] = {{300, 44}, {257, 1}, {512, 256}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.size);
        const QByteArray bytes = TempDir::patternBytes(row.size);
        openA(dir.write(QStringLiteral("f%1.bin").arg(row.size), bytes));
        pageKey(Qt::Key_PageDown);
        EXPECT_EQ(rowLabel(0), QStringLiteral("000010"));
        EXPECT_EQ(rowLabel(15), QStringLiteral("00001F"));
        EXPECT_EQ(label("lbStatusBarText"), QStringLiteral("2 из 2"));
        int wrong = 0;
        for (int i = 0; i < GridGeometry::kCells; ++i) {
            const bool filled = i < row.filled;
            const QString expected = filled ? hex2(quint8(bytes[0x100 + i])) : QString();
            if (cellText(i) != expected || symbol(i)->text().isEmpty() == filled ||
                cellColor(i) != GridColors::black()) {
                ADD_FAILURE() << "cell " << i << " shows \"" << cellText(i).toStdString() << "\"";
                if (++wrong > 3) break;
            }
        }
        trigger("mnuDelAll");
    }
}

TEST_F(RenderingTest, MismatchesAreDarkRedOnlyWhileSynchronised) {
    const QByteArray a = TempDir::patternBytes(300);
    QByteArray differs = a;
    differs[10] = char(~differs[10]);
    QByteArray shorterAndDiffers = differs.left(200);  // bytes missing in B never differ
    const struct {
        const char* what;
        QByteArray b;
        std::vector<int> red;  // with synchronised paging
    } rows[] = {
        {"identical", a, {}},
        {"byte 10 differs", differs, {10}},
        {"B shorter, byte 10 differs", shorterAndDiffers, {10}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        openA(dir.write(QStringLiteral("a.bin"), a));
        EXPECT_TRUE(darkRedCells().empty()) << "file A only";
        openB(dir.write(QStringLiteral("b.bin"), row.b));
        EXPECT_TRUE(darkRedCells().empty()) << "not synchronised";

        trigger("mnuSynchro");
        ASSERT_TRUE(isChecked("mnuSynchro"));
        EXPECT_EQ(darkRedCells(), row.red) << "view of A";
        QTest::mouseClick(radio("knViweTwo"), Qt::LeftButton);
        EXPECT_EQ(darkRedCells(), row.red) << "view of B";
        // Only the hex cell marks a mismatch.
        EXPECT_EQ(symbol(10)->foreground(), GridColors::maroon());

        trigger("mnuSynchro");
        EXPECT_TRUE(darkRedCells().empty()) << "synchronisation off again";
        trigger("mnuDelAll");
    }
}

TEST_F(RenderingTest, FocusedCellTurnsGreyWhileItShowsAMismatch) {
    const QByteArray a = TempDir::patternBytes(300);
    QByteArray b = a;
    b[10] = char(~b[10]);
    openA(dir.write(QStringLiteral("a.bin"), a));
    openB(dir.write(QStringLiteral("b.bin"), b));
    focusCell(10);
    EXPECT_EQ(cell(10)->background(), GridColors::lightCyan());
    trigger("mnuSynchro");
    EXPECT_EQ(cellColor(10), GridColors::darkRed());
    EXPECT_EQ(cell(10)->palette().color(QPalette::Active, QPalette::Base), GridColors::buttonShadow());
    trigger("mnuSynchro");
    EXPECT_EQ(cellColor(10), GridColors::black());
    EXPECT_EQ(cell(10)->palette().color(QPalette::Active, QPalette::Base), GridColors::lightCyan());
    EXPECT_EQ(cell(11)->background(), GridColors::buttonFace());
}

TEST_F(RenderingTest, RowLabelsShowTheAddressOfEachRow) {
    const struct {
        qint64 fileSize;
        qint64 address;
        const char* first;
        const char* last;
    } rows[] = {
        {0x1B000, 0x1A3C5, "001A30", "001A3F"},
        {0x10000200, 0x10000100, "1000010", "100001F"},  // no digit is dropped
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.first);
        openA(sparseFile(dir, QStringLiteral("f%1.bin").arg(row.fileSize), row.fileSize, '\x5A'));
        goToAddress(row.address);
        EXPECT_EQ(rowLabel(0), QString::fromLatin1(row.first));
        EXPECT_EQ(rowLabel(15), QString::fromLatin1(row.last));
        EXPECT_EQ(cellText(0), QStringLiteral("00"));
        trigger("mnuDelAll");
    }
}

TEST_F(RenderingTest, PositionIndicatorCountsBlocks) {
    openA(dir.pattern(QStringLiteral("a.bin"), 1024));
    EXPECT_EQ(label("lbSynchro"), QStringLiteral("Адрес Max. 00003FF"));
    EXPECT_EQ(label("lbProgressBar"), QStringLiteral("Позиция:"));
    for (int block = 1; block <= 4; ++block) {
        SCOPED_TRACE(block);
        EXPECT_EQ(label("lbStatusBarText"), QStringLiteral("%1 из 4").arg(block));
        EXPECT_EQ(bar(*window)->maximum(), 4);
        EXPECT_EQ(bar(*window)->value(), block);
        pageKey(Qt::Key_PageDown);
    }
    EXPECT_EQ(label("lbStatusBarText"), QStringLiteral("4 из 4"));
    EXPECT_EQ(cellText(255), hex2((1023 * 7 + 3) % 256));
}

TEST_F(RenderingTest, FileLargerThanTwoGigabytesIsShownToItsLastByte) {
    const qint64 size = 3221225472;  // 3 GiB
    openA(sparseFile(dir, QStringLiteral("big.bin"), size, '\x5A'));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(label("lbSizeOne"), QStringLiteral("3221225472 byte"));
    EXPECT_EQ(label("lbSynchro"), QStringLiteral("Адрес Max. BFFFFFFF"));
    EXPECT_EQ(label("lbStatusBarText"), QStringLiteral("1 из 12582912"));
    EXPECT_EQ(bar(*window)->value(), bar(*window)->minimum());

    goToAddress(size - 1);
    EXPECT_EQ(label("lbStatusBarText"), QStringLiteral("12582912 из 12582912"));
    EXPECT_EQ(rowLabel(15), QStringLiteral("BFFFFFF"));
    EXPECT_EQ(cellText(254), QStringLiteral("00"));
    EXPECT_EQ(cellText(255), QStringLiteral("5A"));
    EXPECT_EQ(bar(*window)->value(), bar(*window)->maximum());
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(RenderingTest, SwitchingToAShorterFileKeepsThePositionBarInRange) {
    openA(dir.pattern(QStringLiteral("a.bin"), 4096));
    goToAddress(4095);
    ASSERT_EQ(label("lbStatusBarText"), QStringLiteral("16 из 16"));
    openB(dir.pattern(QStringLiteral("b.bin"), 300));

    QTest::mouseClick(radio("knViweTwo"), Qt::LeftButton);
    EXPECT_EQ(label("lbStatusBarText"), QStringLiteral("1 из 2"));
    EXPECT_EQ(label("lbSynchro"), QStringLiteral("Адрес Max. 000012B"));
    EXPECT_EQ(bar(*window)->maximum(), 2);
    EXPECT_EQ(bar(*window)->value(), 1);

    QTest::mouseClick(radio("knViweOne"), Qt::LeftButton);
    EXPECT_EQ(label("lbStatusBarText"), QStringLiteral("16 из 16"));
    EXPECT_EQ(bar(*window)->maximum(), 16);
    EXPECT_EQ(bar(*window)->value(), 16);
}

TEST_F(RenderingTest, RefreshShowsBytesChangedByAnotherProgram) {
    const QString a = dir.pattern(QStringLiteral("a.bin"), 300);
    openA(a);
    focusCell(0);
    overwriteByte(a, 5, '\xAB');
    EXPECT_EQ(cellText(5), QStringLiteral("26"));
    pressKey(Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(cellText(5), QStringLiteral("AB"));
    EXPECT_EQ(symbol(5)->text(), QStringLiteral("«"));

    overwriteByte(a, 6, '\x00');
    trigger("mnuRefresh");
    EXPECT_EQ(cellText(6), QStringLiteral("00"));
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(RenderingTest, DosViewWithoutFilesOnlyMovesTheCheckMark) {
    trigger("mnuDOS");
    EXPECT_TRUE(isChecked("mnuDOS"));
    expectNoFileState();
    trigger("mnuDOS");
    EXPECT_FALSE(isChecked("mnuDOS"));
    expectNoFileState();
    EXPECT_TRUE(ui.messages.empty());
}

}  // namespace
