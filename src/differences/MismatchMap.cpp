#include "MismatchMap.h"

#include <QMouseEvent>
#include <QPainter>

#include "GridColors.h"

MismatchMap::MismatchMap(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("mismatchMap"));
    setFixedWidth(18);
    setCursor(Qt::PointingHandCursor);
    setAccessibleName(QStringLiteral("Карта несовпадений"));
    describe();
}

void MismatchMap::setMap(const RunMap& map) {
    if (map.commonSize() == map_.commonSize() && map.buckets() == map_.buckets()) return;
    map_ = map;
    describe();
    update();
}

void MismatchMap::setScreen(std::int64_t address) {
    if (address == screen_) return;
    screen_ = address;
    describe();
    update();
}

std::int64_t MismatchMap::addressAt(int y) const {
    const std::int64_t size = map_.commonSize();
    if (size <= 0 || height() <= 0) return -1;
    const int row = std::clamp(y, 0, height() - 1);
    return std::min<std::int64_t>(size - 1, std::int64_t(__int128(row) * size / height()));
}

void MismatchMap::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    const std::int64_t size = map_.commonSize();
    const int h = height();
    if (size > 0 && h > 0) {
        for (int y = 0; y < h; ++y) {
            const auto from = std::int64_t(__int128(y) * size / h), to = std::int64_t(__int128(y + 1) * size / h);
            // Three rows per mark: a single byte in a large file must still catch the eye.
            if (map_.marked(from, std::max(to, from + 1)))
                painter.fillRect(2, std::max(0, y - 1), width() - 4, 3, GridColors::darkRed());
        }
        if (screen_ >= 0 && screen_ < size) {
            const int y = int(__int128(screen_) * h / size);
            painter.fillRect(0, std::max(0, y - 1), width(), 3, palette().color(QPalette::WindowText));
        }
    }
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void MismatchMap::mousePressEvent(QMouseEvent* event) {
    const std::int64_t address = addressAt(int(event->position().y()));
    if (event->button() == Qt::LeftButton && address >= 0 && onJump) onJump(address);
}

// "Несовпадения: 0–1 %, 40 %. Экран: 35 %." — the marks by hundredths of the file.
void MismatchMap::describe() {
    const std::int64_t size = map_.commonSize();
    QStringList parts;
    int first = -1;
    auto close = [&](int end) {
        if (first < 0) return;
        parts << (end - 1 == first ? QStringLiteral("%1 %").arg(first) : QStringLiteral("%1–%2 %").arg(first).arg(end - 1));
        first = -1;
    };
    for (int p = 0; p < 100 && size > 0; ++p) {
        const bool marked = map_.marked(std::int64_t(__int128(p) * size / 100), std::int64_t(__int128(p + 1) * size / 100));
        if (marked && first < 0) first = p;
        if (!marked) close(p);
    }
    close(100);
    QString text = parts.isEmpty() ? QStringLiteral("Несовпадений нет.")
                                   : QStringLiteral("Несовпадения: ") + parts.join(QStringLiteral(", ")) + QLatin1Char('.');
    if (screen_ >= 0 && size > 0)
        text += QStringLiteral(" Экран: %1 %.").arg(int(__int128(screen_) * 100 / size));
    setAccessibleDescription(text);
    setToolTip(text);
}
