#pragma once

#include <cstdint>

class MismatchDock;
class fCompBynF;

// Connects "Список несовпадений" (the panel at the right), F6 / Shift+F6 and the status
// line under the window. Returns the panel, which the window owns.
MismatchDock* installDifferenceCommands(fCompBynF& window);

// Synchronised paging on, and the screen holding `address` in both files, its cell
// focused.
void showInBothFiles(fCompBynF& window, std::int64_t address);

// F6 (forward) and Shift+F6: the next or previous run from the focused cell, or from the
// screen start when no cell has the focus; through the list when it is up to date, by a
// scan otherwise. At the end: "Больше несовпадений нет".
void stepToRun(fCompBynF& window, MismatchDock* dock, bool forward);

// "Адрес 0001A35   A: 3C   B: 3D" for the focused cell; empty without one.
class QString;
QString addressStatus(fCompBynF& window);
