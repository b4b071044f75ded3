// The whole window without a mouse and through a screen reader: every command reached by
// keys alone, every dialog control named, and the window fitting its font and scale.
#include <QAbstractButton>
#include <QAccessible>
#include <QDockWidget>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QScreen>
#include <QToolTip>

#include "ComparedFiles.h"
#include "DifferencesHarness.h"
#include "MismatchMap.h"
#include "MismatchModel.h"
#include "frpAdress.h"
#include "frpChSearch.h"
#include "frpFill.h"
#include "frpLoad.h"
#include "frpNew.h"
#include "frpReplace.h"
#include "frpSave.h"
#include "frpSearch.h"

namespace {

using Keyboard = DifferencesWindow;

// One key into whatever has it: an open menu, else the focused widget.
void press(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QWidget* target = QApplication::activePopupWidget();
    if (!target) target = QApplication::focusWidget();
    ASSERT_NE(target, nullptr) << "no widget takes the key";
    // A Cyrillic letter comes with its text, as a keyboard layout sends it.
    if (key > 0xFF && key <= 0xFFFF)
        QTest::sendKeyEvent(QTest::Click, target, key, QString(QChar(key)).toLower(), mods);
    else
        QTest::keyClick(target, key, mods);
}

QString focusName() {
    const QWidget* focus = QApplication::focusWidget();
    return focus ? focus->objectName() : QString();
}

TEST_F(Keyboard, EveryCommandIsReachedByKeysAlone) {
    using Keys = std::vector<std::pair<Qt::Key, Qt::KeyboardModifiers>>;
    const auto ctrlTab = std::make_pair(Qt::Key_Tab, Qt::KeyboardModifiers(Qt::ControlModifier));
    const auto backTab = std::make_pair(Qt::Key_Backtab, Qt::KeyboardModifiers(Qt::ShiftModifier));
    const auto key = [](Qt::Key k) { return std::make_pair(k, Qt::KeyboardModifiers()); };
    QString dialogShown;  // the modal dialog the keys opened, closed again at once
    const struct Row {
        const char* command;
        std::function<void()> before;
        Keys keys;
        std::function<bool()> done;
    } rows[] = {
        {"Запись", [this] { trigger("mnuEdit"); editCell(5, QStringLiteral("AA")); }, {ctrlTab, key(Qt::Key_Return)},
         [this] { return TempDir::read(pathA).at(5) == char(0xAA); }},
        // The buttons give the focus back to "Файл А", where the user left it.
        {"Перейти", {}, {ctrlTab, backTab, key(Qt::Key_Return)}, [&] { return dialogShown == "frpAdress"; }},
        {"Файл В", {}, {ctrlTab, key(Qt::Key_Down)}, [this] { return window->view().intShowFile() == 2; }},
        {"Файл В by the right arrow", {}, {ctrlTab, key(Qt::Key_Right)}, [this] { return window->view().intShowFile() == 2; }},
        {"Файл А again by the left arrow", {}, {ctrlTab, key(Qt::Key_Down), key(Qt::Key_Left)},
         [this] { return window->view().intShowFile() == 1 && focusName() == "knViweOne"; }},
        {"the other file (F4)", {}, {key(Qt::Key_F4)}, [this] { return window->view().intShowFile() == 2; }},
        {"Параметры by its letter (Alt+А)", {}, {std::make_pair(Qt::Key(0x0410), Qt::KeyboardModifiers(Qt::AltModifier))},
         [this] { return QApplication::activePopupWidget() == child("mduSetup"); }},
        {"Вниз", {}, {ctrlTab, key(Qt::Key_Tab), key(Qt::Key_Tab), key(Qt::Key_Return)},
         [this] { return window->screenStartOne() == 256; }},
        {"Вверх", [this] { pressKey(Qt::Key_PageDown); }, {ctrlTab, key(Qt::Key_Tab), key(Qt::Key_Return)},
         [this] { return window->screenStartOne() == 0; }},
        {"Синхронизировать файлы (F10)", {}, {key(Qt::Key_F10), key(Qt::Key_Right), key(Qt::Key_Right), key(Qt::Key_Right), key(Qt::Key_Down), key(Qt::Key_Return)},
         [this] { return isChecked("mnuSynchro"); }},
        {"Разрешить запись в файл (Alt)", {}, {key(Qt::Key_Alt), key(Qt::Key_Left), key(Qt::Key_Left), key(Qt::Key_Down), key(Qt::Key_Down), key(Qt::Key_Return)},
         [this] { return isChecked("mnuEdit"); }},
        {"Заменить", [this] { trigger("mnuEdit"); }, {key(Qt::Key_F10), key(Qt::Key_Right), key(Qt::Key_Down), key(Qt::Key_Return)},
         [&] { return dialogShown == "frpReplace"; }},
        {"Заполнить", [this] { trigger("mnuEdit"); }, {key(Qt::Key_F10), key(Qt::Key_Right), key(Qt::Key_Down), key(Qt::Key_Down), key(Qt::Key_Return)},
         [&] { return dialogShown == "frpFill"; }},
        {"Загрузить из ...", [this] { trigger("mnuEdit"); },
         {key(Qt::Key_F10), key(Qt::Key_Down), key(Qt::Key_Down), key(Qt::Key_Down), key(Qt::Key_Down), key(Qt::Key_Return)},
         [&] { return dialogShown == "frpLoad"; }},
        {"Сохранить как ... → Файл", {},
         {key(Qt::Key_F10), key(Qt::Key_Down), key(Qt::Key_Down), key(Qt::Key_Down), key(Qt::Key_Down), key(Qt::Key_Down),
          key(Qt::Key_Right), key(Qt::Key_Down), key(Qt::Key_Return)},
         [this] { return ui.saveRequests.size() == 1; }},
        // The list, out of date, passed the focus on to the map.
        {"Обновить список", [this] { makeList(); window->view().files().noteWritten(pathB); },
         {ctrlTab, ctrlTab, backTab, key(Qt::Key_Return)}, [this] { return index().state() != DifferenceIndex::State::OutOfDate; }},
        {"the map, a run after the screen", [this] { makeList(); },
         {ctrlTab, ctrlTab, key(Qt::Key_Tab), key(Qt::Key_Down), key(Qt::Key_Down), key(Qt::Key_Return)},
         [this] { return focusedAddress() == 0x900; }},
        {"the map, back to the first run", [this] { makeList(); },
         {ctrlTab, ctrlTab, key(Qt::Key_Tab), key(Qt::Key_Down), key(Qt::Key_Up), key(Qt::Key_Return)},
         [this] { return focusedAddress() == 0x10; }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.command);
        SetUp();
        openPair(4096, {{0x10, 2}, {0x300, 4}, {0x900, 1}});
        if (row.before) row.before();
        focusCell(3);
        dialogShown.clear();

        // A dialog the keys open is seen and closed while it runs.
        QTimer watcher;
        QObject::connect(&watcher, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            dialogShown = dialog->objectName();
            if (auto* adress = qobject_cast<frpAdress*>(dialog)) adress->knCancel_Click();
            else if (auto* range = qobject_cast<RangeDialog*>(dialog)) range->discard();
        });
        watcher.start(0);
        QStringList path;
        for (const auto& [k, mods] : row.keys) {
            press(k, mods);
            path << focusName();
        }
        watcher.stop();
        EXPECT_TRUE(row.done()) << "focus went " << path.join(QStringLiteral(" > ")).toStdString();
        if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
    }
}

// A click on a button that the first edit disables takes the keyboard out of the cell, and
// the window hands it on to the next control; the edit stays, and the cells take the
// keyboard again.
TEST_F(Keyboard, AButtonTheFirstEditDisablesLeavesTheEditPending) {
    for (const char* name : {"knNextScreen", "knViweOne", "knViweTwo", "knUp", "knDown"}) {
        SCOPED_TRACE(name);
        SetUp();
        openPair(4096, {{0x10, 2}});
        trigger("mnuEdit");
        clickCell(5);
        typeKeys(QStringLiteral("AA"));
        // A click gives the button the keyboard before it presses it.
        auto* clicked = child<QAbstractButton>(name);
        clicked->setFocus(Qt::MouseFocusReason);
        QTest::mouseClick(clicked, Qt::LeftButton);
        clickCell(9);
        EXPECT_EQ(focusedCell(), 9);
        EXPECT_EQ(cellText(5), QStringLiteral("AA"));
        EXPECT_TRUE(window->changesPending());
        EXPECT_EQ(TempDir::read(pathA), a);
    }
}

// Tab stays in its area: from the last cell it comes back to the first, and the list's table
// is passed in one step.
TEST_F(Keyboard, TabWalksTheCellsAroundAndPassesTheListInOneStep) {
    openPair(4096, {{0x10, 2}});
    makeList();
    focusCell(255);
    press(Qt::Key_Tab);
    EXPECT_EQ(focusedCell(), 0);
    press(Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(focusedCell(), 255);
    table()->setFocus(Qt::TabFocusReason);
    press(Qt::Key_Tab);
    EXPECT_EQ(focusName(), QStringLiteral("mismatchMap"));
    press(Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(focusName(), QStringLiteral("knViweOne")) << "Ctrl+Shift+Tab goes back to the button last used";
}

using Reader = DifferencesWindow;

// What a screen reader hears of every control of every dialog: its label's text, or what it
// does where it has no label.
TEST_F(Reader, EveryDialogControlHasAName) {
    openPair(4096, {{0x10, 2}});
    trigger("mnuEdit");
    // Every control that takes the focus or reports progress, as "objectName=name", sorted.
    const auto named = [](QWidget& dialog) {
        QStringList out;
        for (QWidget* w : dialog.findChildren<QWidget*>())
            if (qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractButton*>(w) || qobject_cast<QProgressBar*>(w))
                out << w->objectName() + QLatin1Char('=') + QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name);
        out.sort();
        return out.join(QLatin1Char(' '));
    };
    const QString range = QStringLiteral("knCancel=Отмена knOk=Ок plAddresO=Начало: plAddresT=Конец:");
    const QString block = QStringLiteral("bnSelect=Выбрать файл conProgress=Ход записи knCancel=Отмена knOk=Ок "
                                         "plAddresO=Начало: plPath=Путь:");
    const struct {
        const char* command;
        std::function<QString()> open;  // the names in the dialog the command shows
        QString names;
    } rows[] = {
        {"mnuNext", [&] { QString n; play<frpAdress>("mnuNext", [&](frpAdress& d) {
              n = named(d);
              d.chScreen->setChecked(true);  // the field then takes blocks
              n += QStringLiteral(" | plEnter=") + QAccessible::queryAccessibleInterface(d.plEnter)->text(QAccessible::Name);
          }); return n; },
         QStringLiteral("chAdress=Адрес chScreen=Блок knCancel=Отмена knOk=Ok plEnter=Адрес | plEnter=Блок")},
        {"mnuSearch", [&] { QString n; play<frpSearch>("mnuSearch", [&](frpSearch& d) { n = named(d); }); return n; },
         QStringLiteral("conProgress=Ход поиска ") + range + QStringLiteral(" plByt=Байт:")},
        {"mnuChSearch", [&] { QString n; play<frpChSearch>("mnuChSearch", [&](frpChSearch& d) { n = named(d); }); return n; },
         QStringLiteral("conProgress=Ход поиска ") + range},
        {"mnuReplace", [&] { QString n; play<frpReplace>("mnuReplace", [&](frpReplace& d) { n = named(d); }); return n; },
         range + QStringLiteral(" plByt=Байт: plBytD=Заменить на")},
        {"mnuFill", [&] { QString n; play<frpFill>("mnuFill", [&](frpFill& d) { n = named(d); }); return n; },
         range + QStringLiteral(" plByt=Байт:")},
        {"mnuSave", [&] { QString n; play<frpSave>("mnuSave", [&](frpSave& d) { n = named(d); }); return n; },
         block.left(block.indexOf(QStringLiteral(" plPath"))) + QStringLiteral(" plAddresT=Конец: plPath=Путь:")},
        {"mnuLoad", [&] { QString n; play<frpLoad>("mnuLoad", [&](frpLoad& d) { n = named(d); }); return n; }, block},
        {"mnuNew", [&] { QString n; play<frpNew>("mnuNew", [&](frpNew& d) { n = named(d); }); return n; },
         block.left(block.indexOf(QStringLiteral(" plPath"))) + QStringLiteral(" plAddresT=Конец: plByt=Байт: plPath=Путь:")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.command);
        EXPECT_EQ(row.open(), row.names);
    }
}

// The map under the pointer, under the keyboard and to a screen reader, in an 8 MiB file
// with one 4 KiB run: a click on or near its mark lands on the run, a click far from any
// mark on the address there; the run stays visible under the screen's mark.
TEST_F(Reader, TheMapGoesToTheRunUnderThePointerAndSaysWhere) {
    const qint64 run = 0x200800;
    openPair(8 * 1024 * 1024, {{run, 4096}});
    makeList();
    auto* map = child<MismatchMap>("mismatchMap");
    ASSERT_GT(map->height(), 100);
    const int y = int(run * map->height() / (8 * 1024 * 1024));
    const struct {
        int dy;
        qint64 lands;  // -1: the first address the row stands for
    } clicks[] = {{0, run}, {2, run}, {-3, run}, {40, -1}};
    for (const auto& click : clicks) {
        SCOPED_TRACE(click.dy);
        QTest::mouseClick(map, Qt::LeftButton, {}, QPoint(9, y + click.dy));
        const qint64 row = qint64(y + click.dy) * 8 * 1024 * 1024 / map->height();
        EXPECT_EQ(focusedAddress(), click.lands >= 0 ? click.lands : row);
    }
    QHelpEvent tip(QEvent::ToolTip, QPoint(9, y + 1), map->mapToGlobal(QPoint(9, y + 1)));
    QApplication::sendEvent(map, &tip);
    EXPECT_EQ(QToolTip::text(), QStringLiteral("Адрес 0200800, участков: 1"));
    QTest::mouseClick(map, Qt::LeftButton, {}, QPoint(9, y));  // the screen is now the run's
    const QImage shown = map->grab().toImage();
    EXPECT_EQ(QColor(shown.pixel(9, y)), GridColors::darkRed()) << "the run shows under the screen's mark";
    EXPECT_EQ(QColor(shown.pixel(1, y)), map->palette().color(QPalette::WindowText)) << "the screen's mark beside it";
    map->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(map)->text(QAccessible::Value), QStringLiteral("Адрес 0200800, участков: 1"));

    // Files shorter than the map is high: every row stands for a byte, the differing one too.
    SetUp();
    openPair(10, {{5, 1}});
    makeList();
    map = child<MismatchMap>("mismatchMap");
    ASSERT_GT(map->height(), 10);
    for (int row = 0; row < map->height(); ++row) {
        if (row * 10 / map->height() != 5) continue;
        const QPoint at(9, row);
        QHelpEvent hover(QEvent::ToolTip, at, map->mapToGlobal(at));
        QApplication::sendEvent(map, &hover);
        EXPECT_EQ(QToolTip::text(), QStringLiteral("Адрес 0000005, участков: 1")) << row;
    }
}

using Fit = DifferencesWindow;

// The window opens at the size its layout needs at the desktop's font and scale: no scroll
// bar and no caption cut off at 9 to 11 pt on a 1280 x 1024 desktop, the list's rows as tall
// as its text needs, and at scale 2, where the form cannot fit, the list goes below it
// rather than taking its columns.
TEST_F(Fit, TheWindowFitsItsFontAndScale) {
    const QFont desktop = QApplication::font();
    const struct {
        const char* desktop;
        int points;
        int screenNumber;
    } rows[] = {{"9 pt", 9, 0}, {"10 pt", 10, 0}, {"11 pt", 11, 0}, {"scale 2, with the list", 9, 1}};
    ASSERT_EQ(QGuiApplication::screens().size(), 2);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.desktop);
        QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), row.points));
        screen = QGuiApplication::screens()[row.screenNumber];
        SetUp();
        openPair(4096, {{0x10, 2}});
        trigger("mnuSynchro");  // "Синхро." shows
        const auto* scroll = qobject_cast<QScrollArea*>(window->centralWidget());
        const bool scaled = row.screenNumber == 1;
        const auto scrolls = [scroll] {
            return scroll->horizontalScrollBar()->isVisible() || scroll->verticalScrollBar()->isVisible();
        };
        // 640 x 512 cannot hold the form: only there does it scroll.
        EXPECT_EQ(scrolls(), scaled) << window->width() << " x " << window->height();
        for (const char* name : {"knRecord", "knNextScreen", "knViweOne", "knViweTwo", "knUp", "knDown", "Label19", "lbInfo2",
                                 "lbProgressBar", "lbStatusBar", "lbFile1", "lbFile2"})
            EXPECT_GE(child(name)->width(), child(name)->sizeHint().width()) << name << " is cut off";
        const int formWidth = scroll->viewport()->width();
        makeList();
        QApplication::processEvents();
        EXPECT_GE(table()->verticalHeader()->defaultSectionSize(), table()->fontMetrics().height() + 2);
        EXPECT_TRUE(window->screen() == screen && window->width() <= screen->availableGeometry().width());
        if (!scaled) {
            EXPECT_FALSE(scrolls()) << "the list beside or below the form, never over it";
        }
        // Beside the form or below it, the list shows at least half of B's bytes.
        EXPECT_LE(table()->columnViewportPosition(MismatchModel::BytesBColumn) +
                      table()->columnWidth(MismatchModel::BytesAColumn) / 2,
                  table()->viewport()->width());
        if (scaled) {
            EXPECT_EQ(window->dockWidgetArea(dock), Qt::BottomDockWidgetArea);
            EXPECT_EQ(scroll->viewport()->width(), formWidth) << "the list takes none of the form's width";
        }
    }
    screen = nullptr;
    QApplication::setFont(desktop);
}

}  // namespace
