#pragma once

class ChangesDock;
class ValuesDock;
class WindowPort;

// "Выровненный вид" (Сервис, Ctrl+J): files A and B side by side, aligned by the list of
// changes, in the window in place of the screen of bytes. The list is made first when there
// is none; the view opens at its current change, and the two follow each other's change.
// Enter shows both files in the grid at the cursor's addresses, Esc goes back. Bytes are
// read through the window's readers of the pair, and only while the list is of those files.
void installAlignedCommand(WindowPort& window, ChangesDock& changes, ValuesDock& values);
