// What assistive technology reads of the window, and whether everyone can read it: every
// cell as it is painted, the contrast of every text, the form on a small screen.
#include <QAccessible>
#include <QSet>
#include <QMessageBox>
#include <QScrollArea>
#include <QScrollBar>

#include <cmath>

#include "AddressText.h"
#include "CodePage.h"
#include "GridAccessibility.h"
#include "HelpViewer.h"
#include "frpAdress.h"

#include "MainWindowHarness.h"

namespace {

using Accessibility = MainWindowTest;

// A character as the grid draws it: control characters as a dot.
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
    const struct {
        const char* state;
        QByteArray fileA;
        std::function<void()> steps;
        QByteArray shown;  // the file in view, as the screen should show it from `start`
        qint64 start;
        bool editable;
        QByteArray compared;  // the other file where its bytes are compared with the shown ones
    } rows[] = {
        {"paged down", a, [this] { pressKey(Qt::Key_PageDown); }, a, 256, false, {}},
        {"cell edited, the next one editing", a, [this] { trigger("mnuEdit"); editCell(5, QStringLiteral("7")); }, edited, 0, true, {}},
        {"recorded", a, [this] { trigger("mnuEdit"); editCell(5, QStringLiteral("7")); trigger("mnuRec"); }, edited, 0, true, {}},
        {"synchronised paging, B in view ending on the screen", a,
         [&] {
             openB(dir.write(QStringLiteral("b.bin"), b));
             trigger("mnuSynchro");
             view(2);
             for (int i = 0; i < 2; ++i) pressKey(Qt::Key_PageDown);
         },
         b, 512, false, a},
        {"file shorter than a screen", a.left(100), [] {}, a.left(100), 0, false, {}},
    };
    // What assistive technology would be told: the cells whose text changed.
    QSet<QAccessible::Id> announced;
    GridAccessibility::setListener([&announced](QAccessibleEvent* event) {
        if (event->type() == QAccessible::TextUpdated) announced.insert(event->uniqueId());
    });
    const std::shared_ptr<void> stopListening(nullptr, [](void*) { GridAccessibility::setListener({}); });
    for (const auto& row : rows) {
        SCOPED_TRACE(row.state);
        restart();
        openA(dir.write(QStringLiteral("a.bin"), row.fileA));
        announced.clear();
        row.steps();
        const ByteGrid& grid = window->grid();
        for (int i = 0; i < GridGeometry::kCells; ++i) {
            const bool byte = row.start + i < row.shown.size();
            const quint8 value = byte ? quint8(row.shown[row.start + i]) : 0;
            QAccessibleInterface* hex = GridAccessibility::hexCell(grid, i);
            QAccessibleInterface* character = GridAccessibility::symbol(grid, i);
            ASSERT_TRUE(hex->textInterface() && character->textInterface());
            const QString read = hex->text(QAccessible::Value) + ' ' + hex->text(QAccessible::Name) + ' ' +
                                 hex->textInterface()->text(0, 2) + ' ' + character->text(QAccessible::Name) + '|' +
                                 hex->text(QAccessible::Description);
            // A byte drawn dark red says so, with the other file's byte.
            const bool differs = byte && row.start + i < row.compared.size() && row.compared[row.start + i] != row.shown[row.start + i];
            const QString painted = (byte ? byteText(value) : QString()) + QStringLiteral(" Адрес ") +
                                    AddressText::funHexAdres(row.start + i) + ' ' +
                                    (byte ? byteText(value) : QString()) + ' ' + (byte ? drawn(value) : QString()) + '|' +
                                    (differs ? QStringLiteral("отличается, в файле А: ") + byteText(quint8(row.compared[row.start + i]))
                                             : QString());
            ASSERT_EQ(read, painted) << "cell " << i;
            ASSERT_EQ(hex->rect(), QRect(grid.mapToGlobal(grid.cellPlace(i).topLeft()), grid.cellPlace(i).size())) << i;
            ASSERT_EQ(character->rect(), QRect(grid.mapToGlobal(grid.symbolPlace(i).topLeft()), grid.symbolPlace(i).size()));
            ASSERT_FALSE(hex->state().invisible || character->state().invisible) << i;
            ASSERT_EQ(hex->state().editable, row.editable && byte) << i;
            if (byte) ASSERT_TRUE(character->rect().contains(character->textInterface()->characterRect(0).center())) << i;
            // Reached from the grid by position and by the order of its children.
            QAccessibleInterface* gridFace = QAccessible::queryAccessibleInterface(const_cast<ByteGrid*>(&grid));
            for (QAccessibleInterface* place : {hex, character}) {
                ASSERT_EQ(gridFace->child(gridFace->indexOfChild(place)), place) << i;
                ASSERT_EQ(gridFace->childAt(place->rect().center().x(), place->rect().center().y()), place) << i;
            }
            // Paged to other bytes, a cell that shows another one than before says so.
            const bool opened = i < row.fileA.size();
            if (row.start != 0 && (byte != opened || (byte && value != quint8(row.fileA[i])))) {
                ASSERT_TRUE(announced.contains(QAccessible::uniqueId(character))) << i;
                // The cell being edited is a line edit, which tells of its text itself.
                if (i != focusedCell()) ASSERT_TRUE(announced.contains(QAccessible::uniqueId(hex))) << i;
            }
        }
        // A row label reads as the address its row starts at; it shows that address / 16.
        for (int r = 0; r < GridGeometry::kRows; ++r)
            ASSERT_EQ(GridAccessibility::rowAddress(grid, r)->text(QAccessible::Name),
                      QStringLiteral("Строка с адреса ") + AddressText::funHexAdres(row.start + 16 * r));
    }
}

double contrast(const QColor& a, const QColor& b) {
    auto luminance = [](const QColor& c) {
        auto linear = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    const double la = luminance(a) + 0.05, lb = luminance(b) + 0.05;
    return std::max(la, lb) / std::min(la, lb);
}

// A dark desktop: light text on dark grey, a mid-blue highlight.
QPalette darkPalette() {
    QPalette dark(QColor(0x35, 0x35, 0x35), QColor(0x2a, 0x2a, 0x2a));
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        dark.setColor(role, QColor(0xf0, 0xf0, 0xf0));
    dark.setColor(QPalette::Dark, QColor(0x23, 0x23, 0x23));
    dark.setColor(QPalette::Highlight, QColor(0x2a, 0x82, 0xda));
    return dark;
}

// Under a dark desktop palette (light text on dark grey) the window keeps a light one of its
// own, so that every label and cell is read at 4.5 : 1 or more; back under the default
// palette, even while it runs, it has none, and the cells take the desktop's button face
// again, and a shadow on which dark red still reads.
TEST_F(Accessibility, EveryTextStaysReadableUnderADarkDesktopPalette) {
    const QPalette desktop = QApplication::palette();
    const QPalette dark = darkPalette();
    QByteArray other = screenBytes(600);
    for (int i = 0; i < other.size(); i += 3) other[i] = char(~other[i]);
    const QString b = dir.write(QStringLiteral("b.bin"), other);
    QFile::setPermissions(b, QFileDevice::ReadOwner);  // "Только чтение." shows with B in view
    QApplication::setPalette(dark);
    restart();
    openA(dir.write(QStringLiteral("a.bin"), screenBytes(600)));
    openB(b);
    trigger("mnuSynchro");
    view(2);
    focusCell(0);  // differs: dark red on the shadow
    ASSERT_TRUE(textColor(0) == GridColors::darkRed() && child("lbOnlyRead")->isVisible());
    std::vector<std::tuple<QString, QColor, QColor>> texts;  // name, text, ground
    for (QLabel* l : window->findChildren<QLabel*>())
        if (l->isVisible() && !l->text().isEmpty())
            texts.emplace_back(l->objectName(), l->palette().color(QPalette::WindowText), l->palette().color(QPalette::Window));
    texts.emplace_back(QStringLiteral("row addresses"), grid().rowForeground(), grid().rowBackground());
    for (int i = 0; i < GridGeometry::kCells; ++i) {
        texts.emplace_back(QStringLiteral("plByt0_%1").arg(i), textColor(i), baseColor(i));
        texts.emplace_back(QStringLiteral("lbSumbol_%1").arg(i), grid().symbolForeground(i), symbolBaseColor(i));
    }
    for (const auto& [name, text, ground] : texts)
        ASSERT_GE(contrast(text, ground), 4.5) << name.toStdString() << " " << text.name().toStdString() << " on "
                                               << ground.name().toStdString();
    QApplication::setPalette(desktop);
    QEvent change(QEvent::ApplicationPaletteChange);  // as the running application tells its windows
    QApplication::sendEvent(window.get(), &change);
    EXPECT_FALSE(window->testAttribute(Qt::WA_SetPalette));
    EXPECT_TRUE(symbolBaseColor(1) == desktop.color(QPalette::Button) &&
                grid().rowForeground() == desktop.color(QPalette::Highlight));
    EXPECT_GE(contrast(textColor(0), baseColor(0)), 4.5) << "dark red on the shadow of the desktop's palette";
    QFile::setPermissions(b, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

// Pixels that taking the keyboard focus repaints, in a colour at 3 : 1 or more against the
// grounds it is drawn between (the window's face and a field's base).
int focusFramePixels(QWidget* control) {
    control->window()->setFocus(Qt::OtherFocusReason);
    const QImage before = control->grab().toImage();
    control->window()->setAttribute(Qt::WA_KeyboardFocusChange);
    control->setFocus(Qt::TabFocusReason);
    const QImage after = control->grab().toImage();
    const QColor face = control->palette().color(QPalette::Window), base = control->palette().color(QPalette::Base);
    int strong = 0;
    for (int y = 0; y < after.height(); ++y)
        for (int x = 0; x < after.width(); ++x) {
            const QColor now(after.pixel(x, y));
            strong += before.pixel(x, y) != after.pixel(x, y) && std::min(contrast(now, face), contrast(now, base)) >= 3.0;
        }
    return strong;
}

// Under a dark desktop palette every window the program opens takes the main window's light
// one — a dialog, a message box, the help — and in each a control taking the keyboard focus
// shows a frame at 3 : 1 or more.
TEST_F(Accessibility, EveryWindowTakesOnePaletteAndShowsItsFocus) {
    const QPalette desktop = QApplication::palette();
    const QPalette dark = darkPalette();
    QApplication::setPalette(dark);
    restart();
    openA(dir.write(QStringLiteral("a.bin"), screenBytes(600)));
    const QColor light = window->palette().color(QPalette::Window);
    ASSERT_NE(light, dark.color(QPalette::Window));
    QMessageBox box(window.get());
    box.show();
    HelpViewer help;
    help.show();
    for (QWidget* other : std::initializer_list<QWidget*>{&box, &help})
        EXPECT_EQ(other->palette().color(QPalette::Window), light) << other->metaObject()->className();
    play<frpAdress>("mnuNext", [&](frpAdress& dialog) {
        EXPECT_EQ(dialog.palette().color(QPalette::Window), light);
        for (QWidget* control : std::initializer_list<QWidget*>{dialog.plEnter, dialog.chScreen, dialog.knOk})
            EXPECT_GE(focusFramePixels(control), std::min(control->width(), control->height()))
                << control->objectName().toStdString();
    });
    QApplication::setPalette(desktop);
}

// The form scrolls in a window smaller than itself, so it fits a small screen or a large
// scale (a 1280 x 1024 screen at scale 2 offers 640 x 512), and stays centred in a larger
// one; the paging keys still reach the window first.
TEST_F(Accessibility, TheFormFitsASmallScreenAndStaysCentredInALargeWindow) {
    EXPECT_TRUE(window->minimumSizeHint().width() <= 600 && window->minimumSizeHint().height() <= 460);
    const auto* scroll = qobject_cast<QScrollArea*>(window->centralWidget());
    ASSERT_TRUE(scroll);
    EXPECT_FALSE(scroll->horizontalScrollBar()->isVisible() || scroll->verticalScrollBar()->isVisible())
        << "a window shown first opens at the whole form's size where the screen has room";
    openA(dir.write(QStringLiteral("a.bin"), screenBytes(1024)));
    for (const QSize size : {QSize(600, 440), QSize(1400, 1000)}) {
        window->resize(size);
        focusCell(17);
        const QWidget* form = child("central");
        const QPoint centre = form->mapTo(window->centralWidget(), form->rect().center());
        if (size.width() > 1000) {
            EXPECT_LE((centre - window->centralWidget()->rect().center()).manhattanLength(), 2);
        }
        pressKey(Qt::Key_PageDown);
        EXPECT_EQ(window->screenStartOne(), 256);
        pressKey(Qt::Key_PageUp);
        EXPECT_TRUE(window->size() == size && window->screenStartOne() == 0 && focusedCell() == 17);
    }
}

}  // namespace
