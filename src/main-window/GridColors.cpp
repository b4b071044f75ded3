#include "GridColors.h"

namespace GridColors {

namespace {

bool isDark(const QPalette& p) {
    return p.color(QPalette::Window).lightness() < p.color(QPalette::WindowText).lightness();
}

QPalette lightPalette() {
    QPalette p(QColor(239, 239, 239));  // black text on white and light grey, dark blue highlight
    // Dark red stays readable on the shadow of a focused cell that differs.
    p.setColor(QPalette::Dark, QColor(216, 216, 216));
    return p;
}

QPalette current;
QPalette previous;
qint64 currentKey = -1;

}  // namespace

const QPalette& windowPalette() {
    // Asked for every cell drawn: worked out again only when the application's changes.
    const QPalette application = QApplication::palette();
    if (application.cacheKey() != currentKey) {
        currentKey = application.cacheKey();
        previous = current;
        current = isDark(application) ? lightPalette() : application;
    }
    return current;
}

const QPalette& previousWindowPalette() {
    windowPalette();
    return previous;
}

}  // namespace GridColors
