#include "GridColors.h"

#include <cmath>

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

namespace {

double contrast(const QColor& a, const QColor& b) {
    auto luminance = [](const QColor& c) {
        auto linear = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF()) + 0.05;
    };
    const double x = luminance(a), y = luminance(b);
    return std::max(x, y) / std::min(x, y);
}

}  // namespace

QColor buttonShadow() {
    // Asked for every focused cell: the answer is kept for the palette it was found for.
    static qint64 key = -1;
    static QColor shadow;
    const QPalette& palette = windowPalette();
    if (palette.cacheKey() != key) {
        key = palette.cacheKey();
        shadow = palette.color(QPalette::Dark);
        if (contrast(darkRed(), shadow) < 4.5) shadow = QColor(216, 216, 216);
    }
    return shadow;
}

const QPalette& previousWindowPalette() {
    windowPalette();
    return previous;
}

}  // namespace GridColors
