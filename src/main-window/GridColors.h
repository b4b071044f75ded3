#pragma once

#include <QApplication>
#include <QColor>
#include <QPalette>
#include <QWidget>

// The colours of the grid. Button face and button shadow come from the window's palette,
// as the user's style has them, as far as the texts drawn on them stay readable.
namespace GridColors {

// The palette the window is drawn in: the application's, unless that is dark. The fixed
// colours below (black text, dark red) need a light face, so under a dark desktop the
// window keeps a light palette of its own, every text on it at 4.5 : 1 or more.
const QPalette& windowPalette();
// The window palette before the application's last changed, to find what was drawn in it.
const QPalette& previousWindowPalette();

inline QColor black() { return QColor(0, 0, 0); }
inline QColor darkRed() { return QColor(192, 0, 0); }
inline QColor blue() { return QColor(0, 0, 255); }
inline QColor lightCyan() { return QColor(192, 255, 255); }
inline QColor maroon() { return QColor(128, 0, 0); }
inline QColor buttonFace() { return windowPalette().color(QPalette::Button); }
// The ground of a focused cell that differs: the palette's button shadow, unless dark red
// would read on it at less than 4.5 : 1; then a lighter grey of the program's own.
QColor buttonShadow();
inline QColor highlight() { return windowPalette().color(QPalette::Highlight); }

// The text colour of a label or line; the palette is only touched when it changes.
inline void setTextColor(QWidget* widget, const QColor& color) {
    QPalette p = widget->palette();
    if (p.color(QPalette::WindowText) == color) return;
    p.setColor(QPalette::WindowText, color);
    widget->setPalette(p);
}

}  // namespace GridColors
