#pragma once

#include <QApplication>
#include <QColor>
#include <QPalette>
#include <QWidget>

// The colours of the grid. Button face and button shadow come from the application
// palette, as the user's style has them.
namespace GridColors {

inline QColor black() { return QColor(0, 0, 0); }
inline QColor darkRed() { return QColor(192, 0, 0); }
inline QColor blue() { return QColor(0, 0, 255); }
inline QColor lightCyan() { return QColor(192, 255, 255); }
inline QColor maroon() { return QColor(128, 0, 0); }
inline QColor buttonFace() { return QApplication::palette().color(QPalette::Button); }
inline QColor buttonShadow() { return QApplication::palette().color(QPalette::Dark); }
inline QColor highlight() { return QApplication::palette().color(QPalette::Highlight); }

// The text colour of a label or line; the palette is only touched when it changes.
inline void setTextColor(QWidget* widget, const QColor& color) {
    QPalette p = widget->palette();
    if (p.color(QPalette::WindowText) == color) return;
    p.setColor(QPalette::WindowText, color);
    widget->setPalette(p);
}

}  // namespace GridColors
