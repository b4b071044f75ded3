#pragma once

#include <QColor>
#include <QPalette>

class QWidget;

// How every window of the program looks, whoever opens it: the main window, its dialogs,
// message boxes, file dialogs, menus, tooltips and the help.
//
// Palette: each window draws in GridColors::windowPalette(). Under a light desktop palette
// that is the desktop's own; under a dark one every window takes the same light palette,
// in which the fixed colours of the grid (black text, dark red) keep their contrast. No
// window is ever dark beside a light one.
//
// Style: the application's style, with a focus frame that stands out at 3 : 1 or more
// against what it is drawn on, and the menu bar opened by Alt alone.
namespace WindowLook {

// Once per process, before the first window is shown; again after the application's
// style was replaced.
void install();
// Gives a window the palette now (the others take it when they are shown).
void follow(QWidget* window);
// A highlight from which the style's focus outline of a field or button (the highlight a
// quarter darker) stands out at 3 : 1 against the face, the base and a button.
QColor outlineHighlight(const QPalette& palette);
// The colour of a focus frame drawn on `ground` in `palette`.
QColor focusFrameColor(const QPalette& palette, const QColor& ground);

}  // namespace WindowLook
