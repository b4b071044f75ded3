#pragma once

#include <cstdint>

class ChangesDock;
class PairView;
class QMainWindow;
class WindowPort;

// What a user does with a change once found.

// Ctrl+F6 and Ctrl+Shift+F6: the next or previous change of the list of changes from where
// the user is in the file in view (the focused cell, else the screen), both files shown at
// it. Without a list the list is made first, and the step waits for the user to ask again.
void stepChange(QMainWindow& window, PairView& view, ChangesDock& dock, bool forward);

// "Перенести в файл …": a change of the same length on both sides becomes edits waiting in
// `target` (1 A, 2 B), the bytes of the other file at `from` put at `to` as if typed there,
// to be recorded or cancelled as typed edits are. What would change a file's length cannot
// be done in place: a patch is offered.
void takeOver(WindowPort& port, int target, std::int64_t from, std::int64_t to, std::int64_t lengthFrom,
              std::int64_t lengthTo);
