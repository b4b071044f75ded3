#pragma once

#include <cstdint>

class PairView;
class ProgressBarAdapter;
class QAction;
class QLabel;
class QMainWindow;
class QByteArray;
class QString;
class QWidget;

// What the features (range dialogs, block transfers, dumps, the lists of differences) ask
// of the main window beyond the view of the pair: its commands, its progress bar, a place
// for their dialogs and panels. They keep to this and to the view; the window class is
// the application's alone.
class WindowPort {
public:
    // The menu commands that features carry out: they connect to the action's trigger; the
    // window keeps its caption, shortcut and enabled state.
    enum class Command {
        Search,            // Найти байт
        MismatchSearch,    // Найти несовпадения
        Replace,           // Заменить
        Fill,              // Заполнить
        SaveBlock,         // Сохранить блок
        LoadBlock,         // Загрузить из ...
        NewFile,           // Создать файл
        DumpScreen,        // Сохранить как ... → Блок
        DumpFile,          // Сохранить как ... → Файл
        DumpMismatch,      // Сохранить как ... → Несовпадения
        MismatchList,      // Список несовпадений
        NextMismatch,      // F6
        PreviousMismatch,  // Shift+F6
        ChangeList,        // Список изменений
        NextChange,        // Ctrl+F6
        PreviousChange,    // Ctrl+Shift+F6
        SavePatch,         // Сохранить изменения как патч…
        Values,            // Значения под курсором
        AlignedView,       // Выровненный вид
    };

    virtual ~WindowPort() = default;

    // The window itself: the parent of dialogs, the holder of panels and the status bar.
    virtual QMainWindow& host() = 0;
    virtual PairView& view() = 0;
    virtual QAction* command(Command command) const = 0;
    // The window's position bar, which long loops borrow, and the caption beside it
    // ("Позиция:" while nothing runs).
    virtual ProgressBarAdapter& positionBar() = 0;
    virtual QLabel* progressCaption() const = 0;
    // Reads the size, date and attributes of the file in view again and redraws, as
    // "Обновить" does: another program, or a block written into it, may have changed it.
    virtual void rereadFileInView() = 0;
    // What hex cell `cell` of the screen shows, as the user sees it: an edit waiting, or a
    // text typed and left in it, included; empty past the end.
    virtual QString shownCellText(int cell) const = 0;
    // Puts `bytes` into file `number` (1 A, 2 B) from `address` on as edits waiting to be
    // recorded, as if typed into its cells: the file is shown at the screen that holds
    // `address`, and the bytes that lie on that screen become its edits. Returns how many
    // did, or -1 when nothing may be edited now (write permission off, edits waiting).
    virtual int placeEdits(int number, std::int64_t address, const QByteArray& bytes) = 0;
    // Shows `widget` in the window's middle in place of the screen of bytes and what goes
    // with it, with the keyboard, until it is taken back (nullptr) or deleted; then the
    // screen of bytes comes back with the keyboard in its cell.
    virtual void showInPlaceOfForm(QWidget* widget) = 0;
};
