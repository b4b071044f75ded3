#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QTableView;
class UiServices;

// Takes a list out of the window: "Копировать" (Ctrl+Insert) puts the selected rows on the
// clipboard, "Сохранить список…" (Ctrl+Shift+S) writes every row into a text file, one line
// each as `line` gives it (UTF-8, lines ended by a new line). Both are in the table's
// context menu and on its keys. A file the window has loaded (`loaded` tells their paths)
// is never written: that is refused with a message, and a failure leaves no half-written
// file under the name.
void addRowExport(QTableView& table, UiServices& ui, std::function<QString(int row)> line,
                  std::function<QStringList()> loaded, const QString& suggestedName);

// "Перенести в файл В" (Ctrl+Shift+B) and "Перенести в файл А" (Ctrl+Shift+A) of a list's
// table, in its context menu and on its keys: `take` gets the file to change (1 A, 2 B).
void addTakeOver(QTableView& table, std::function<void(int target)> take);

// Writes `text` into the file at `path`, put in its place only once it is whole. An empty
// string, or the reason it failed.
QString writeWhole(const QString& path, const QByteArray& text);
