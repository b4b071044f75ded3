// The aligned view as a user and a screen reader meet it: the bytes of both files side by
// side with gaps and colours, F6 from change to change, and files too long for a scroll bar.
#include "AlignedView.h"
#include "ChangeFinder.h"

#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>

#include "TempDir.h"

namespace {

using Side = AlignedView::Side;

QString hex(char byte) { return QStringLiteral("%1").arg(quint8(byte), 2, 16, QLatin1Char('0')).toUpper(); }

double contrast(const QColor& a, const QColor& b) {
    auto luminance = [](const QColor& c) {
        auto linear = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    const double x = luminance(a), y = luminance(b);
    return (std::max(x, y) + 0.05) / (std::min(x, y) + 0.05);
}

TEST(AlignedView, ShowsBothFilesAlignedWithGapsInTheColoursOfTheirChanges) {
    TempDir dir;
    QByteArray a(300, Qt::Uninitialized);
    QRandomGenerator random(28);
    for (char& c : a) c = char(random.bounded(256));
    // Five bytes inserted at 10h, twenty deleted at 64h, three replaced by seven at C8h.
    QByteArray b = a;
    for (int i = 200; i < 203; ++i) b[i] = char(~b[i]);
    b.insert(203, QByteArray("\x11\x22\x33\x44", 4));
    b.remove(100, 20);
    b.insert(16, QByteArray("\xA1\xA2\xA3\xA4\xA5", 5));
    std::vector<Change> script;
    ChangeFinder::findChanges(reinterpret_cast<const std::uint8_t*>(a.constData()), a.size(),
                              reinterpret_cast<const std::uint8_t*>(b.constData()), b.size(),
                              [&](const Change& c) { return script.push_back(c), true; });
    ASSERT_EQ(script, (std::vector<Change>{{16, 0, 16, 5}, {100, 20, 105, 0}, {200, 3, 185, 7}}));

    AlignedView view(dir.write(QStringLiteral("a.bin"), a), dir.write(QStringLiteral("b.bin"), b), script);
    view.resize(view.sizeHint().width(), 200);
    view.show();
    view.activateWindow();
    QApplication::setActiveWindow(&view);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
    ASSERT_EQ(view.layout().length(), 300 + 5 + 4);
    const QColor text = view.palette().color(QPalette::Text), replaced = AlignedView::replacedColor(),
                 marked = AlignedView::insertedColor();
    const struct {
        std::int64_t position;
        Side side;
        QString shown;
        QColor color;
        std::int64_t address;
    } rows[] = {
        {0, Side::A, hex(a[0]), text, 0},
        {0, Side::B, hex(b[0]), text, 0},
        {16, Side::A, "--", marked, 16},  // the gap stands where the inserted bytes go
        {16, Side::B, "A1", marked, 16},
        {20, Side::B, "A5", marked, 20},
        {21, Side::A, hex(a[16]), text, 16},
        {21, Side::B, hex(b[21]), text, 21},
        {105, Side::A, hex(a[100]), marked, 100},
        {105, Side::B, "--", marked, 105},
        {124, Side::A, hex(a[119]), marked, 119},
        {125, Side::A, hex(a[120]), text, 120},
        {125, Side::B, hex(b[105]), text, 105},
        {205, Side::A, hex(a[200]), replaced, 200},
        {205, Side::B, hex(b[185]), replaced, 185},
        {208, Side::A, "--", replaced, 203},
        {211, Side::B, "44", replaced, 191},
        {212, Side::A, hex(a[203]), text, 203},
        {308, Side::B, hex(b[288]), text, 288},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.position * 10 + int(row.side));
        const AlignedView::Cell cell = view.cell(row.position, row.side);
        EXPECT_EQ(cell.text, row.shown);
        EXPECT_EQ(cell.color, row.color);
        EXPECT_EQ(cell.place.address, row.address);
    }
    for (const QColor& colour : {text, replaced, marked})
        EXPECT_GE(contrast(colour, view.palette().color(QPalette::Base)), 4.5) << colour.name().toStdString();

    // F6 and Shift+F6 from change to change; nothing past the last.
    view.setFocus();
    QSignalSpy moved(&view, &AlignedView::positionChanged);
    const struct {
        Qt::KeyboardModifiers modifiers;
        std::int64_t position, change;
    } steps[] = {{Qt::NoModifier, 16, 0}, {Qt::NoModifier, 105, 1}, {Qt::NoModifier, 205, 2},
                 {Qt::NoModifier, 205, 2}, {Qt::ShiftModifier, 105, 1}, {Qt::ShiftModifier, 16, 0}};
    for (const auto& step : steps) {
        QTest::keyClick(&view, Qt::Key_F6, step.modifiers);
        EXPECT_EQ(view.position(), step.position);
        ASSERT_FALSE(moved.isEmpty());
        EXPECT_EQ(moved.last().at(1).toLongLong(), step.change);
        EXPECT_FALSE(view.cell(step.position, Side::B).rect.isEmpty()) << "the change is on screen";
    }

    // A screen reader reads every cell on screen as it is painted, A's row before B's.
    QAccessible::setActive(true);
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(&view);
    ASSERT_GE(table->childCount(), 2 * AlignedView::kColumns);
    for (int index : {0, 5, 16, 21, table->childCount() - 1}) {
        SCOPED_TRACE(index);
        QAccessibleInterface* cell = table->child(index);
        const Side side = index % 32 < 16 ? Side::A : Side::B;
        const std::int64_t position = view.topPosition() + index / 32 * 16 + index % 16;
        const AlignedView::Cell painted = view.cell(position, side);
        EXPECT_EQ(cell->text(QAccessible::Value), painted.text);
        EXPECT_TRUE(cell->text(QAccessible::Name).startsWith(side == Side::A ? QStringLiteral("А, ") : QStringLiteral("В, ")));
        EXPECT_TRUE(cell->text(QAccessible::Name).endsWith(QString::number(painted.place.address, 16).toUpper()));
        EXPECT_EQ(cell->rect(), QRect(view.viewport()->mapToGlobal(painted.rect.topLeft()), painted.rect.size()));
        EXPECT_EQ(table->indexOfChild(cell), index);
    }
    ASSERT_NE(table->focusChild(), nullptr);
    EXPECT_EQ(table->focusChild()->text(QAccessible::Value), "A1");
    EXPECT_EQ(table->focusChild()->text(QAccessible::Description), QStringLiteral("вставка"));
    QAccessible::setActive(false);
}

// Files far longer than a scroll bar counts rows (sparse, they take no room): the bar and
// the keys still reach every row, and a change in the middle is found.
TEST(AlignedView, ReachesEveryRowOfFilesLongerThanAScrollBarCounts) {
    TempDir dir;
    const qint64 size = qint64(40) << 30, middle = size / 2;
    const QString pathA = dir.path(QStringLiteral("a.bin")), pathB = dir.path(QStringLiteral("b.bin"));
    QFile fileA(pathA), fileB(pathB);
    ASSERT_TRUE(fileA.open(QIODevice::WriteOnly) && fileA.resize(size));
    ASSERT_TRUE(fileB.open(QIODevice::WriteOnly) && fileB.resize(size + 4) && fileB.seek(middle) &&
                fileB.write("\x01\x02\x03\x04", 4) == 4);
    fileA.close();
    fileB.close();
    AlignedView view(pathA, pathB, {{middle, 0, middle, 4}});
    view.resize(view.sizeHint());
    view.show();
    view.setFocus();

    QTest::keyClick(&view, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(view.position(), size + 3);
    EXPECT_EQ(view.verticalScrollBar()->value(), view.verticalScrollBar()->maximum());
    EXPECT_EQ(view.cell(size + 3, Side::A).place.address, size - 1);
    EXPECT_FALSE(view.cell(size + 3, Side::A).rect.isEmpty());

    view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum() / 2);
    EXPECT_NEAR(double(view.topPosition()), double(middle), double(size) / (1 << 20));
    QTest::keyClick(&view, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(view.topPosition(), 0);
    QTest::keyClick(&view, Qt::Key_F6);
    EXPECT_EQ(view.position(), middle);
    EXPECT_EQ(view.cell(middle + 3, Side::B).text, "04");
    EXPECT_EQ(view.cell(middle + 4, Side::A).place.address, middle);
}

}  // namespace
