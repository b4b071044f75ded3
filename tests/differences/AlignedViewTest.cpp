// The aligned view as a user and a screen reader meet it: both files side by side with gaps,
// painted in the colours of their changes; keys row by row and change by change; a table of
// cells for a screen reader; a view whose script no longer holds.
#include "AlignedView.h"
#include "ChangeFinder.h"

#include <QAccessible>
#include <QApplication>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "CodePage.h"
#include "GridColors.h"

namespace {

using Kind = PaintedGrid::Kind;

QString hex(char byte) { return QStringLiteral("%1").arg(quint8(byte), 2, 16, QLatin1Char('0')).toUpper(); }

double contrast(const QColor& a, const QColor& b) {
    auto luminance = [](const QColor& c) {
        auto linear = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    const double x = luminance(a), y = luminance(b);
    return (std::max(x, y) + 0.05) / (std::min(x, y) + 0.05);
}

// 300 random bytes; in B five inserted at 10h, twenty deleted at 64h, three replaced by seven
// at C8h. `reads` counts the reads of the files.
class Aligned : public ::testing::Test {
protected:
    Aligned() {
        a = QByteArray(300, Qt::Uninitialized);
        QRandomGenerator random(28);
        for (char& c : a) c = char(random.bounded(256));
        b = a;
        for (int i = 200; i < 203; ++i) b[i] = char(~b[i]);
        b.insert(203, QByteArray("\x11\x22\x33\x44", 4));
        b.remove(100, 20);
        b.insert(16, QByteArray("\xA1\xA2\xA3\xA4\xA5", 5));
        ChangeFinder::findChanges(reinterpret_cast<const std::uint8_t*>(a.constData()), a.size(),
                                  reinterpret_cast<const std::uint8_t*>(b.constData()), b.size(),
                                  [&](const Change& c) { return script.push_back(c), true; });
        EXPECT_EQ(script, (std::vector<Change>{{16, 0, 16, 5}, {100, 20, 105, 0}, {200, 3, 185, 7}}));
    }
    void open(QSize size) {
        auto read = [this](int side, std::int64_t at, std::uint8_t* into, std::int64_t count) {
            ++reads;
            const QByteArray& file = side == 0 ? a : b;
            const std::int64_t n = std::clamp<std::int64_t>(file.size() - at, 0, count);
            std::memcpy(into, file.constData() + at, std::size_t(n));
            return n;
        };
        view = std::make_unique<AlignedView>(AlignedLayout(script, a.size(), b.size()), read);
        view->resize(size);
        view->show();
        QApplication::setActiveWindow(view.get());
        view->setFocus();
    }
    // The hex cell of a position on screen and side (0 A, 1 B).
    int cell(std::int64_t position, int side) const {
        const std::int64_t at = position - view->topPosition();
        return int(at / view->columns() * 2 + side) * view->columns() + int(at % view->columns());
    }
    QString shown(std::int64_t position, int side) const { return view->placeText(Kind::Hex, cell(position, side)); }
    // Of the inks, the one the characters of a place are drawn in (its pixel farthest from
    // the ground is nearest to it); invalid where nothing stands on the ground.
    static QColor inkOf(const QImage& image, const QRect& place) {
        const QColor ground = image.pixelColor(place.topLeft());
        auto distance = [](const QColor& x, const QColor& y) {
            return std::abs(x.red() - y.red()) + std::abs(x.green() - y.green()) + std::abs(x.blue() - y.blue());
        };
        QColor farthest = ground;
        for (int y = place.top(); y <= place.bottom(); ++y)
            for (int x = place.left(); x <= place.right(); ++x)
                if (distance(image.pixelColor(x, y), ground) > distance(farthest, ground)) farthest = image.pixelColor(x, y);
        if (distance(farthest, ground) < 100) return QColor();
        QColor nearest;
        for (const QColor& ink : {GridColors::black(), GridColors::darkRed(), GridColors::blue()})
            if (!nearest.isValid() || distance(farthest, ink) < distance(farthest, nearest)) nearest = ink;
        return nearest;
    }

    QByteArray a, b;
    std::vector<Change> script;
    std::unique_ptr<AlignedView> view;
    int reads = 0;
};

TEST_F(Aligned, ShowsBothFilesWithGapsPaintedInTheColoursOfTheirChanges) {
    open(QSize(1600, 600));
    ASSERT_EQ(view->columns(), 16);
    ASSERT_GE(view->rows(), 20);
    ASSERT_EQ(view->layout().length(), 300 + 5 + 4);
    const QColor same = GridColors::black(), replaced = GridColors::darkRed(), moved = GridColors::blue();
    const struct {
        std::int64_t position;
        int side;
        QString shown, name, description;
        QColor colour;
    } rows[] = {
        {0, 0, hex(a[0]), "А, адрес 0000000", "", same},
        {16, 0, "--", "А, пропуск перед адресом 0000010", "пропуск", moved},  // where the inserted bytes go
        {16, 1, "A1", "В, адрес 0000010", "вставка", moved},
        {20, 1, "A5", "В, адрес 0000014", "вставка", moved},
        {21, 0, hex(a[16]), "А, адрес 0000010", "", same},
        {105, 0, hex(a[100]), "А, адрес 0000064", "удаление", moved},
        {105, 1, "--", "В, пропуск перед адресом 0000069", "пропуск", moved},
        {125, 1, hex(b[105]), "В, адрес 0000069", "", same},
        {205, 1, hex(b[185]), "В, адрес 00000B9", "замена", replaced},
        {208, 0, "--", "А, пропуск перед адресом 00000CB", "пропуск", replaced},
        {211, 1, "44", "В, адрес 00000BF", "замена", replaced},
        {308, 1, hex(b[288]), "В, адрес 0000120", "", same},
    };
    const QImage image = view->grab().toImage();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.position * 10 + row.side);
        const int at = cell(row.position, row.side);
        EXPECT_EQ(view->placeText(Kind::Hex, at), row.shown);
        EXPECT_EQ(view->placeName(Kind::Hex, at), row.name);
        EXPECT_EQ(view->placeDescription(Kind::Hex, at), row.description);
        EXPECT_EQ(inkOf(image, view->cellPlace(at)), row.colour);
    }
    // Every cell is painted in its ink, the last ones of a row too; none past the end.
    for (int i = 0; i < view->cells(); ++i) {
        const std::int64_t position = i / 32 * 16 + i % 16;
        const bool byte = position < view->layout().length();
        const AlignedLayout::Row at = view->layout().at(std::min(position, view->layout().length() - 1));
        using Mark = AlignedLayout::Mark;
        const QColor ink = !byte ? QColor() : at.change < 0 ? same : at.a.mark == Mark::Replaced || at.b.mark == Mark::Replaced ? replaced : moved;
        ASSERT_EQ(inkOf(image, view->cellPlace(i)), ink) << i;
    }
    EXPECT_TRUE(view->placeText(Kind::Symbol, cell(16, 0)).isEmpty()) << "a gap has no character";
    EXPECT_EQ(view->placeText(Kind::Symbol, cell(16, 1)), QString(CodePage::ansiChar(0xA1)));
    view->setDos(true);
    EXPECT_EQ(view->placeText(Kind::Symbol, cell(16, 1)), QString(CodePage::oemChar(0xA1)));
    EXPECT_EQ(view->placeText(Kind::Row, 2 * 1 + 1), "0000010") << "row 1 of B";
    for (const QColor& ink : {same, replaced, moved})
        for (const QColor& ground : {GridColors::buttonFace(), GridColors::lightCyan()})
            EXPECT_GE(contrast(ink, ground), 4.5) << ink.name().toStdString() << " on " << ground.name().toStdString();
}

// Arrows, Home/End and pages move the cursor within the rows that are wholly on screen; F6
// goes from change to change; the readout and the signals follow.
TEST_F(Aligned, KeysMoveTheCursorOverWholeRowsAndFromChangeToChange) {
    open(QSize(1000, 200));
    ASSERT_EQ(view->columns(), 8);
    const int rows = view->rows();
    ASSERT_GE(rows, 3);
    QSignalSpy moved(view.get(), &AlignedView::positionChanged);
    QSignalSpy activated(view.get(), &AlignedView::activated);
    QSignalSpy closing(view.get(), &AlignedView::closeRequested);
    const std::int64_t lastWholeRow = std::int64_t(rows - 1) * 8;
    const struct {
        const char* step;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int times;
        std::int64_t position, change;
    } steps[] = {
        {"End: the last byte of the row", Qt::Key_End, Qt::NoModifier, 1, 7, -1},
        {"Home", Qt::Key_Home, Qt::NoModifier, 1, 0, -1},
        {"Down to the last whole row", Qt::Key_Down, Qt::NoModifier, rows - 1, lastWholeRow, -1},
        {"Down from it: the rows follow", Qt::Key_Down, Qt::NoModifier, 1, lastWholeRow + 8, -1},
        {"Ctrl+Home", Qt::Key_Home, Qt::ControlModifier, 1, 0, -1},
        {"F6", Qt::Key_F6, Qt::NoModifier, 1, 16, 0},
        {"F6 again", Qt::Key_F6, Qt::NoModifier, 2, 205, 2},
        {"F6 past the last change", Qt::Key_F6, Qt::NoModifier, 1, 205, 2},
        {"Shift+F6", Qt::Key_F6, Qt::ShiftModifier, 1, 105, 1},
        {"Left", Qt::Key_Left, Qt::NoModifier, 1, 104, -1},
        {"PageDown", Qt::Key_PageDown, Qt::NoModifier, 1, 104 + 8 * rows, -1},
        {"Ctrl+End", Qt::Key_End, Qt::ControlModifier, 1, 308, -1},
        {"Down on the last row", Qt::Key_Down, Qt::NoModifier, 1, 308, -1},
        {"End on a shorter last row", Qt::Key_End, Qt::NoModifier, 1, 308, -1},
        {"PageUp", Qt::Key_PageUp, Qt::NoModifier, 1, 308 - 8 * rows, -1},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.step);
        for (int i = 0; i < step.times; ++i) QTest::keyClick(view.get(), step.key, step.modifiers);
        EXPECT_EQ(view->position(), step.position);
        ASSERT_FALSE(moved.isEmpty());
        EXPECT_EQ(moved.last().at(1).toLongLong(), step.change);
        // The cursor stands on a whole row of the screen, on both sides.
        const int at = view->cursorCell();
        ASSERT_GE(at, 0);
        EXPECT_TRUE(view->rect().contains(view->cellPlace(at))) << view->cellPlace(at).bottom() << " of " << view->height();
        EXPECT_EQ(view->position() - view->topPosition(), at / 16 * 8 + at % 8);
    }
    // A page reads each file once.
    reads = 0;
    QTest::keyClick(view.get(), Qt::Key_PageUp);
    EXPECT_EQ(reads, 2);

    view->showChange(0);
    EXPECT_EQ(view->readout(), QStringLiteral("А: пропуск перед 0000010  В: 0000010 (A1)  изменение 1 из 3"));
    EXPECT_EQ(view->cursorCell(), cell(16, 1)) << "a screen reader is on B's byte where A has a gap";
    view->setPosition(2);
    EXPECT_EQ(view->readout(), QStringLiteral("А: 0000002 (%1)  В: 0000002 (%1)  изменение — из 3").arg(hex(a[2])));
    view->showChange(2);
    QTest::keyClick(view.get(), Qt::Key_Right, Qt::NoModifier);
    QTest::keyClick(view.get(), Qt::Key_Return);
    ASSERT_EQ(activated.size(), 1);
    EXPECT_EQ(activated[0].at(0).toLongLong(), 201);
    EXPECT_EQ(activated[0].at(1).toLongLong(), 186);
    QTest::keyClick(view.get(), Qt::Key_Escape);
    EXPECT_EQ(closing.size(), 1);
}

// A screen reader meets a table: a row of the screen per row, per side the row address, the
// bytes and the characters as columns; each byte named by its side and address.
TEST_F(Aligned, AScreenReaderReadsATableOfTheCellsAsPainted) {
    open(QSize(1000, 300));
    view->showChange(0);
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(view.get());
    ASSERT_EQ(iface->role(), QAccessible::Table);
    QAccessibleTableInterface* table = iface->tableInterface();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->rowCount(), view->rows());
    EXPECT_EQ(table->columnCount(), 2 * (1 + 8 + 8));
    const std::int64_t row = (16 - view->topPosition()) / 8;
    const struct {
        int column;
        QString name, value, description;
    } cells[] = {
        {0, "А, строка с адреса 0000010", "0000010", ""},
        {1, "А, пропуск перед адресом 0000010", "--", "пропуск"},
        {17, "В, строка с адреса 0000010", "0000010", ""},
        {18, "В, адрес 0000010", "A1", "вставка"},
        {18 + 8, QString(CodePage::ansiChar(0xA1)), QString(CodePage::ansiChar(0xA1)), ""},
    };
    for (const auto& c : cells) {
        SCOPED_TRACE(c.column);
        QAccessibleInterface* cell = table->cellAt(int(row), c.column);
        ASSERT_NE(cell, nullptr);
        EXPECT_EQ(cell->text(QAccessible::Name), c.name);
        EXPECT_EQ(cell->textInterface()->text(0, 10), c.value) << "what is painted, read as text";
        EXPECT_EQ(cell->text(QAccessible::Value), c.value);
        EXPECT_EQ(cell->text(QAccessible::Description), c.description);
        ASSERT_NE(cell->tableCellInterface(), nullptr);
        EXPECT_EQ(cell->tableCellInterface()->rowIndex(), row);
        EXPECT_EQ(cell->tableCellInterface()->columnIndex(), c.column);
        EXPECT_EQ(iface->child(iface->indexOfChild(cell)), cell);
        EXPECT_FALSE(cell->rect().isEmpty());
        EXPECT_EQ(iface->childAt(cell->rect().center().x(), cell->rect().center().y()), cell);
    }
    ASSERT_NE(iface->focusChild(), nullptr);
    EXPECT_EQ(iface->focusChild(), table->cellAt(int(row), 18));
    EXPECT_TRUE(iface->focusChild()->state().focused);
}

// Once the files are written the script no longer holds: the view says why and shows no byte
// by it, and stays so.
TEST_F(Aligned, AViewOutOfDateSaysWhyAndShowsNoByte) {
    open(QSize(1000, 300));
    view->showChange(1);
    const QString reason = QStringLiteral("Список изменений устарел: файл А записан.");
    view->setOutOfDate(reason);
    reads = 0;
    for (Qt::Key key : {Qt::Key_PageDown, Qt::Key_F6, Qt::Key_Down}) QTest::keyClick(view.get(), key);
    view->setDos(true);
    view->showChange(2);
    view->resize(1600, 400);
    EXPECT_EQ(reads, 0);
    EXPECT_EQ(view->readout(), reason);
    for (int i = 0; i < view->cells(); ++i) ASSERT_TRUE(view->placeText(Kind::Hex, i).isEmpty() && view->placeText(Kind::Symbol, i).isEmpty());
    for (int r = 0; r < 2 * view->rows(); ++r) ASSERT_TRUE(view->placeText(Kind::Row, r).isEmpty());
}

// As many bytes to a row as fit with both sides whole: 4 at twice the scale on a 1280-pixel
// screen; rows of files far beyond 4 GiB are reached.
TEST_F(Aligned, FitsNarrowRoomAndReachesTheEndOfHugeFiles) {
    open(QSize(1000, 300));
    EXPECT_EQ(view->columns(), 8);
    view->setPosition(250);
    view->resize(640, 512);
    EXPECT_EQ(view->columns(), 4);
    for (int i = 0; i < view->cells(); ++i) ASSERT_TRUE(view->rect().contains(view->symbolPlace(i))) << i;
    EXPECT_EQ(view->position(), 250) << "the cursor stays, on screen";
    EXPECT_EQ(view->placeText(Kind::Hex, view->cursorCell()), shown(250, 0));

    const std::int64_t size = std::int64_t(40) << 30, middle = size / 2;
    AlignedView huge(AlignedLayout({{middle, 0, middle, 4}}, size, size + 4), [](int, std::int64_t, std::uint8_t* into, std::int64_t n) {
        std::memset(into, 7, std::size_t(n));
        return n;
    });
    huge.resize(1000, 300);
    QTest::keyClick(&huge, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(huge.position(), size + 3);
    EXPECT_EQ(huge.readout(), QStringLiteral("А: 9FFFFFFFF (07)  В: A00000003 (07)  изменение — из 1"));
    QTest::keyClick(&huge, Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(&huge, Qt::Key_F6);
    EXPECT_EQ(huge.position(), middle);
    EXPECT_EQ(huge.topPosition(), middle);
}

}  // namespace
