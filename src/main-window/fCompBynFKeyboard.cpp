// The keyboard's ways around the window: the menu bar by F10, the areas by Ctrl+Tab, Tab
// within the grid, Enter on a button.
#include "fCompBynF.h"

#include <QApplication>
#include <QDockWidget>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>

#include "ByteGrid.h"

namespace {

bool takesTabFocus(const QWidget* widget) {
    return (widget->focusPolicy() & Qt::TabFocus) == Qt::TabFocus && widget->isEnabled() && widget->isVisible();
}

// The widget an area gives the focus to: the one it last had, else its first Tab stop.
QWidget* entryOf(QWidget* area) {
    if (QWidget* last = area->focusWidget(); last && last != area && area->isAncestorOf(last) && takesTabFocus(last))
        return last;
    // The window's focus chain is a ring through every widget, the area's own included.
    for (QWidget* w = area->nextInFocusChain(); w != area; w = w->nextInFocusChain())
        if (area->isAncestorOf(w) && takesTabFocus(w)) return w;
    // An area that is one control (a view shown in the form's place) takes it itself.
    return takesTabFocus(area) ? area : nullptr;
}

}  // namespace

// The grid, the row of buttons and each docked panel shown, in the order Ctrl+Tab visits them.
QList<QWidget*> fCompBynF::focusAreas() const {
    QList<QWidget*> areas;
    if (inPlace_)
        areas << inPlace_.data();
    else
        areas << grid_ << buttonRow_;
    for (QDockWidget* dock : findChildren<QDockWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (dock->isVisible() && !dock->isFloating()) areas << dock;
    return areas;
}

void fCompBynF::moveToArea(bool forward) {
    const QList<QWidget*> areas = focusAreas();
    const QWidget* focus = QApplication::focusWidget();
    qsizetype current = -1;
    for (qsizetype i = 0; i < areas.size(); ++i)
        if (focus && (areas[i] == focus || areas[i]->isAncestorOf(focus))) current = i;
    const qsizetype n = areas.size();
    // From outside every area (the menu bar, nothing) the first one comes first.
    if (current < 0) current = forward ? n - 1 : 0;
    for (qsizetype step = 1; step <= n; ++step) {
        QWidget* area = areas[(current + (forward ? step : n - step)) % n];
        const Qt::FocusReason reason = forward ? Qt::TabFocusReason : Qt::BacktabFocusReason;
        // The grid's way in is the cell it last had, the first one before any.
        if (area == grid_) {
            setAttribute(Qt::WA_KeyboardFocusChange);
            grid_->focusCell(grid_->entryCell(), reason);
            return;
        }
        QWidget* entry = entryOf(area);
        if (!entry) continue;
        setAttribute(Qt::WA_KeyboardFocusChange);
        entry->setFocus(reason);
        return;
    }
}

// F10 takes the way Alt alone does: the menu bar's keyboard mode, "Файл" marked, the arrows
// and Enter choosing. Pressed again, it leaves the menu bar.
void fCompBynF::enterMenuBar() {
    QKeyEvent alt(QEvent::ShortcutOverride, Qt::Key_Alt, Qt::NoModifier);
    QApplication::sendEvent(menuBar(), &alt);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Alt, Qt::NoModifier);
    QApplication::sendEvent(menuBar(), &release);
}

bool fCompBynF::keyboardPath(QWidget* focus, const QKeyEvent* key) {
    const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
    const int code = key->key();
    if (code == Qt::Key_F10 && mods == Qt::NoModifier) {
        enterMenuBar();
        return true;
    }
    if ((code == Qt::Key_Tab || code == Qt::Key_Backtab) && (mods & Qt::ControlModifier)) {
        moveToArea(code == Qt::Key_Tab && !(mods & Qt::ShiftModifier));
        return true;
    }
    // Tab walks the cells in address order and from the last one back to the first; the
    // other areas are Ctrl+Tab away.
    const int cell = grid_->focusedCell();
    if (cell >= 0 && (code == Qt::Key_Tab || code == Qt::Key_Backtab) && !(mods & ~Qt::ShiftModifier)) {
        const bool forward = code == Qt::Key_Tab && mods == Qt::NoModifier;
        setAttribute(Qt::WA_KeyboardFocusChange);
        grid_->focusCell((cell + (forward ? 1 : GridGeometry::kCells - 1)) % GridGeometry::kCells,
                         forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
        return true;
    }
    // The two option buttons take the arrow keys in a ring, as options do: any arrow
    // selects the other one and shows its file.
    if ((focus == knViweOne || focus == knViweTwo) && mods == Qt::NoModifier &&
        (code == Qt::Key_Down || code == Qt::Key_Right || code == Qt::Key_Up || code == Qt::Key_Left)) {
        QRadioButton* next = focus == knViweOne ? knViweTwo : knViweOne;
        if (next->isEnabled()) {
            next->setFocus(Qt::TabFocusReason);
            selectViewButton(next);
        }
        return true;
    }
    // A focused button is pressed by Enter as by Space; none of the window's is a default button.
    if (auto* button = qobject_cast<QPushButton*>(focus);
        button && (code == Qt::Key_Return || code == Qt::Key_Enter) && mods == Qt::NoModifier) {
        if (!key->isAutoRepeat() && button->isEnabled()) button->click();
        return true;
    }
    return false;
}
