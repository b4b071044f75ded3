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

#include "DifferencesHarness.h"
#include "MismatchMap.h"
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
        {"Файл В", {}, {ctrlTab, key(Qt::Key_Down)}, [this] { return window->intShowFile == 2; }},
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
        {"Обновить список", [this] { makeList(); trigger("mnuRefresh"); },
         {ctrlTab, ctrlTab, backTab, key(Qt::Key_Return)}, [this] { return dock->state() != MismatchDock::State::OutOfDate; }},
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

}  // namespace
