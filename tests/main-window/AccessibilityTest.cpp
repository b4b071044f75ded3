// What assistive technology reads of the window: every cell as it is painted, wherever the
// grid paints i
#include <QAccessible>

#include <cmath>

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

namespace {

double luminance(const QColor& c) {
    auto linear = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
}
double contrast(const QColor& a, const QColor& b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// A dark desktop scheme: light text on dark grey, as dark themes have it.
QPalette darkPalette() {
    QPalette p(QColor(0x35, 0x35, 0x35), QColor(0x2a, 0x2a, 0x2a));
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(role, QColor(0xf0, 0xf0, 0xf0));
    p.setColor(QPalette::Dark, QColor(0x23, 0x23, 0x23));
    p.setColor(QPalette::Highlight, QColor(0x2a, 0x82, 0xda));
    return p;
}

// Every text of the window, labels and cells, against what it is drawn on; the first
// that falls under 4.5 : 1, or none.
std::string leastReadable(fCompBynF& window) {
    auto check = [](const QString& what, const QColor& text, const QColor& ground) -> std::string {
        const double ratio = contrast(text, ground);
        if (ratio >= 4.5) return {};
        return what.toStdString() + " " + text.name().toStdString() + " on " + ground.name().toStdString() + ": " +
               std::to_string(ratio);
    };
    for (QLabel* label : window.findChildren<QLabel*>())
        if (label->isVisible() && !label->text().isEmpty())
            if (auto found = check(label->objectName(), label->palette().color(QPalette::WindowText),
                                   label->palette().color(QPalette::Window));
                !found.empty())
                return found;
    ByteGrid& grid = window.grid();
    for (int r = 0; r < GridGeometry::kRows; ++r)
        if (auto found = check(grid.rowAddress(r)->objectName(), grid.rowAddress(r)->palette().color(QPalette::Text),
                               grid.rowAddress(r)->palette().color(QPalette::Base));
            !found.empty())
            return found;
    for (int i = 0; i < GridGeometry::kCells; ++i) {
        if (auto found = check(grid.cell(i)->objectName(), grid.cell(i)->foreground(), grid.cell(i)->background());
            !found.empty())
            return found;
        if (auto found = check(grid.symbol(i)->objectName(), grid.symbol(i)->foreground(), grid.symbol(i)->background());
            !found.empty())
            return found;
    }
    return {};
}

// Under a dark desktop palette the window keeps a light one of its own, so that its fixed
// colours stay readable; under the default palette it has none, and the cells are drawn
// in the desktop's button face.
TEST_F(Accessibility, EveryTextStaysReadableUnderADarkDesktopPalette) {
    const QPalette desktop = QApplication::palette();
    const QString a = dir.write(QStringLiteral("a.bin"), screenBytes(600));
    QByteArray other = screenBytes(600);
    for (int i = 0; i < other.size(); i += 3) other[i] = char(~other[i]);
    const QString b = dir.write(QStringLiteral("b.bin"), other);
    QFile::setPermissions(b, QFileDevice::ReadOwner);  // "Только чтение." shows with B in view
    for (bool dark : {true, false}) {
        SCOPED_TRACE(dark ? "dark" : "default");
        QApplication::setPalette(dark ? darkPalette() : desktop);
        restart();
        openA(a);
        openB(b);
        trigger("mnuSynchro");
        view(2);
        focusCell(0);  // a cell that differs, focused: dark red on the shadow
        EXPECT_EQ(textColor(0), GridColors::darkRed());
        EXPECT_TRUE(child("lbOnlyRead")->isVisible());
        if (dark) {
            EXPECT_EQ(leastReadable(*window), "");
        } else {
            EXPECT_FALSE(window->testAttribute(Qt::WA_SetPalette));
            EXPECT_EQ(symbol(1)->background(), desktop.color(QPalette::Button));
            EXPECT_EQ(baseColor(0), desktop.color(QPalette::Dark));
        }
    }
    QFile::setPermissions(b, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

// The form scrolls in a window smaller than itself, so it fits a small screen or a large
// scale (a 1280 x 1024 screen at scale 2 offers 640 x 512), and stays centred in a larger
// one; the paging keys still reach the window.
TEST_F(Accessibility, TheFormFitsASmallScreenAndStaysCentredInALargeWindow) {
    const QSize least = window->minimumSizeHint();
    EXPECT_TRUE(least.width() <= 600 && least.height() <= 460) << least.width() << "x" << least.height();
    openA(dir.write(QStringLiteral("a.bin"), screenBytes(1024)));
    for (const QSize size : {QSize(600, 440), QSize(1400, 1000)}) {
        window->resize(size);
        QApplication::processEvents();
        EXPECT_EQ(window->size(), size);
        const QWidget* form = child("central");
        const QRect shown = window->centralWidget()->rect();
        const QRect place(form->mapTo(window->centralWidget(), QPoint(0, 0)), form->size());
        if (size.width() > 1000) {
            EXPECT_LE((place.center() - shown.center()).manhattanLength(), 2) << "the form is not centred";
        }
        focusCell(17);
        pressKey(Qt::Key_PageDown);
        EXPECT_EQ(window->screenStartOne(), 256);
        pressKey(Qt::Key_PageUp);
        EXPECT_EQ(window->screenStartOne(), 0);
        EXPECT_EQ(focusedCell(), 17);
    }
}

}  // namespace
