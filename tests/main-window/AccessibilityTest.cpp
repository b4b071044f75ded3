// What assistive technology reads of the window: every cell as it is painted, wherever the
// grid paints i
#include <QAccessible>

#include "AddressText.h"
#include "CodePage.h"

#include "MainWindowHarness.h"

namespace {

// With assistive technology listening, so that the cells announce what they change.
class Accessibility : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        QAccessible::setActive(true);
    }
    void TearDown() override {
        QAccessible::setActive(false);
        MainWindowTest::TearDown();
    }
};

// A character as the grid draws it: control characters as a do
QString drawn(quint8 byte) {
    const QChar ch = CodePage::ansiChar(byte);
    return ch.unicode() < 0x20 || ch.unicode() == 0x7F ? QString(QChar(0x00B7)) : QString(ch);
}

TEST_F(Accessibility, EveryCellReadsWhatIsPaintedWhereItIsPainted) {
    const QByteArray a = screenBytes(1024);
    QByteArray edited = a;
    edited[5] = 0x07;
    QByteArray b = a.left(700);
    for (char& c : b) c = char(~c);
    const struct Row {
        const char* state;
        std::function<void()> before, step;
        QByteArray shown;  // the bytes of the file in view, as the screen should show them
        qint64 start;
    } rows[] = {
        {"paged down", [this] { openA(dir.write(QStringLiteral("a.bin"), screenBytes(1024))); },
         [this] { pressKey(Qt::Key_PageDown); }, a, 256},
        {"cell edited, the next one editing",
         [this] {
             openA(dir.write(QStringLiteral("a.bin"), screenBytes(1024)));
             trigger("mnuEdit");
         },
         [this] { editCell(5, QStringLiteral("7")); }, edited, 0},
        {"recorded",
         [this] {
             openA(dir.write(QStringLiteral("a.bin"), screenBytes(1024)));
             trigger("mnuEdit");
             editCell(5, QStringLiteral("7"));
         },
         [this] { trigger("mnuRec"); }, edited, 0},
        {"synchronised paging, B in view and ending on the screen",
         [this, b] {
             openA(dir.write(QStringLiteral("a.bin"), screenBytes(1024)));
             openB(dir.write(QStringLiteral("b.bin"), b));
             trigger("mnuSynchro");
             view(2);
             pressKey(Qt::Key_PageDown);
         },
         [this] { pressKey(Qt::Key_PageDown); }, b, 512},
        {"file shorter than a screen", [] {},
         [this] { openA(dir.write(QStringLiteral("short.bin"), screenBytes(100))); }, a.left(100), 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.state);
        restart();
        row.before();
        row.step();
        QApplication::processEvents();
        const ByteGrid& grid = window->grid();
        int wrong = 0;
        for (int i = 0; i < GridGeometry::kCells && wrong < 3; ++i) {
            const bool byte = row.start + i < row.shown.size();
            const quint8 value = byte ? quint8(row.shown[row.start + i]) : 0;
            QAccessibleInterface* hex = QAccessible::queryAccessibleInterface(cell(i));
            QAccessibleInterface* character = QAccessible::queryAccessibleInterface(symbol(i));
            ASSERT_TRUE(hex && character && hex->textInterface() && character->textInterface());
            const QString hexText = byte ? byteText(value) : QString();
            const QString charText = byte ? drawn(value) : QString();
            const QRect hexRect(grid.mapToGlobal(grid.cellPlace(i).topLeft()), grid.cellPlace(i).size());
            const QRect charRect(grid.mapToGlobal(grid.symbolPlace(i).topLeft()), grid.symbolPlace(i).size());
            const QString name = QStringLiteral("Адрес ") + AddressText::funHexAdres(row.start + i);
            const bool right =
                hex->text(QAccessible::Value) == hexText && hex->text(QAccessible::Name) == name &&
                hex->textInterface()->text(0, 2) == hexText && hex->rect() == hexRect && !hexRect.isEmpty() &&
                character->text(QAccessible::Name) == charText && character->rect() == charRect;
            if (!right) {
                ++wrong;
                ADD_FAILURE() << "cell " << i << " reads \"" << hex->text(QAccessible::Value).toStdString() << "\" "
                              << hex->text(QAccessible::Name).toStdString() << " at "
                              << hex->rect().x() << "," << hex->rect().y() << " "
                              << hex->rect().width() << "x" << hex->rect().height() << ", character \""
                              << character->text(QAccessible::Name).toStdString() << "\"; painted \""
                              << hexText.toStdString() << "\" " << name.toStdString() << " at "
                              << hexRect.x() << "," << hexRect.y() << ", character \"" << charText.toStdString()
                              << "\"";
            }
        }
    }
}

}  // namespace
