#pragma once

class QDockWidget;
class QMainWindow;
class QTableView;

// Before a list's panel is first shown: the window grows by what the panel needs, beside
// the form where the screen holds both with half of the table's last column at least, else
// below it, so that showing a list never squeezes the screen of bytes. `extraWidth` is what
// the panel holds beside its table. Nothing when another panel already stands in its place.
void makeRoomFor(QMainWindow& window, QDockWidget& dock, const QTableView& table, int extraWidth);
