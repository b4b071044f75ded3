#include "MismatchMap.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include "GridColors.h"
#include "WindowLook.h"

namespace {

// The map to a screen reader: named, described by where its runs lie, valued by the run the
// keyboard has marked; pressing goes there, increase and decrease step between runs.
class MapInterface : public QAccessibleWidget {
public:
    explicit MapInterface(MismatchMap* map) : QAccessibleWidget(map, QAccessible::Chart) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) return map()->markedText();
        return QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override {
        return QAccessibleWidget::actionNames() << pressAction() << increaseAction() << decreaseAction();
    }
    void doAction(const QString& name) override {
        if (name == pressAction()) map()->step(0);
        else if (name == increaseAction()) map()->step(1);
        else if (name == decreaseAction()) map()->step(-1);
        else QAccessibleWidget::doAction(name);
    }

private:
    MismatchMap* map() const { return static_cast<MismatchMap*>(widget()); }
};

QAccessibleInterface* mapInterface(const QString& className, QObject* object) {
    return className == QLatin1String("MismatchMap") ? new MapInterface(static_cast<MismatchMap*>(object)) : nullptr;
}

constexpr int kReach = 3;  // pixel rows a click may miss a run by

}  // namespace

MismatchMap::MismatchMap(QWidget* parent) : QWidget(parent) {
    static const bool installed = (QAccessible::installFactory(mapInterface), true);
    (void)installed;
    setObjectName(QStringLiteral("mismatchMap"));
    setFixedWidth(18);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(QStringLiteral("Карта несовпадений"));
    describe();
}

void MismatchMap::setMap(const RunMap& map) {
    const std::int64_t now = compared();
    if (map.commonSize() == map_.commonSize() && map.buckets() == map_.buckets() && now == comparedShown_) return;
    if (map.commonSize() != map_.commonSize()) marked_ = -1;
    map_ = map;
    comparedShown_ = now;
    describe();
    update();
}

void MismatchMap::setScreen(std::int64_t address) {
    if (address == screen_) return;
    screen_ = address;
    describe();
    update();
}

MapRuns::Within MismatchMap::within(std::int64_t lo, std::int64_t hi) const {
    return runs_.within ? runs_.within(lo, hi) : MapRuns::Within{};
}

std::int64_t MismatchMap::compared() const { return runs_.compared ? runs_.compared() : map_.commonSize(); }

std::pair<std::int64_t, std::int64_t> MismatchMap::rowSpan(int y) const {
    const std::int64_t size = map_.commonSize();
    const int h = std::max(1, height());
    const auto from = std::int64_t(__int128(y) * size / h), to = std::int64_t(__int128(y + 1) * size / h);
    return {from, std::max(to, from + 1)};
}

int MismatchMap::rowOf(std::int64_t address) const {
    const std::int64_t size = map_.commonSize();
    return size > 0 ? int(__int128(address) * height() / size) : 0;
}

int MismatchMap::chosenRow(int y) const {
    y = std::clamp(y, 0, std::max(0, height() - 1));
    for (int distance = 0; distance <= kReach; ++distance)
        for (const int row : {y - distance, y + distance})
            if (row >= 0 && row < height()) {
                const auto [lo, hi] = rowSpan(row);
                if (within(lo, hi).count > 0) return row;
            }
    return y;
}

std::int64_t MismatchMap::targetAt(int y) const {
    if (map_.commonSize() <= 0 || height() <= 0) return -1;
    const auto [lo, hi] = rowSpan(chosenRow(y));
    const MapRuns::Within there = within(lo, hi);
    if (there.count == 0) return std::min(lo, map_.commonSize() - 1);
    return there.first >= rowSpan(std::max(0, y - kReach)).first ? there.first : lo;
}

QString MismatchMap::describeAt(std::int64_t address, std::int64_t lo, std::int64_t hi) const {
    const QString where = QStringLiteral("Адрес ") + DifferenceText::address(address, map_.commonSize());
    if (lo >= compared()) return where + QStringLiteral(", ещё не сравнивалось");
    return where + QStringLiteral(", участков: %1").arg(within(lo, hi).count);
}

QString MismatchMap::markedText() const {
    if (marked_ < 0) return {};
    const auto [lo, hi] = rowSpan(rowOf(marked_));
    return describeAt(marked_, lo, hi);
}

void MismatchMap::mark(std::int64_t address) {
    if (address < 0 || address == marked_) return;
    marked_ = address;
    update();
    QAccessibleValueChangeEvent changed(this, markedText());
    QAccessible::updateAccessibility(&changed);
}

void MismatchMap::step(int direction) {
    if (direction == 0) {
        if (marked_ >= 0 && onJump) onJump(marked_);
        return;
    }
    if (!runs_.next || !runs_.previous) return;
    if (marked_ < 0) {
        // The first step from nowhere lands on the run at or after the screen in view.
        std::int64_t found = runs_.next(screen_ >= 0 ? screen_ - 1 : -1);
        if (found < 0) found = runs_.next(-1);
        mark(found);
        return;
    }
    mark(direction > 0 ? runs_.next(marked_) : runs_.previous(marked_));
}

void MismatchMap::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Down:
    case Qt::Key_Right:
        step(1);
        break;
    case Qt::Key_Up:
    case Qt::Key_Left:
        step(-1);
        break;
    case Qt::Key_Home:
        if (runs_.next) mark(runs_.next(-1));
        break;
    case Qt::Key_End:
        if (runs_.previous) mark(runs_.previous(map_.commonSize()));
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        step(0);
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void MismatchMap::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    if (marked_ < 0) step(1);
    update();
}

void MismatchMap::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}

void MismatchMap::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    const std::int64_t size = map_.commonSize();
    const int h = height(), w = width();
    if (size > 0 && h > 0) {
        // Not compared yet: hatched, so it is never taken for "no differences".
        if (const std::int64_t end = compared(); end < size) {
            const int top = rowOf(end);
            painter.fillRect(0, top, w, h - top, QBrush(palette().color(QPalette::Dark), Qt::BDiagPattern));
        }
        // The screen's mark is wider than a run's, so a run under it still shows inside.
        if (screen_ >= 0 && screen_ < size)
            painter.fillRect(0, std::max(0, rowOf(screen_) - 2), w, 5, palette().color(QPalette::WindowText));
        for (int y = 0; y < h; ++y) {
            const auto [from, to] = rowSpan(y);
            // Three rows per mark: a single byte in a large file must still catch the eye.
            if (map_.marked(from, to)) painter.fillRect(4, std::max(0, y - 1), w - 8, 3, GridColors::darkRed());
        }
        if (hasFocus() && marked_ >= 0 && marked_ < size) {
            painter.setPen(WindowLook::focusFrameColor(palette(), palette().color(QPalette::Base)));
            painter.drawRect(1, std::max(0, rowOf(marked_) - 3), w - 3, 6);
        }
    }
    painter.setPen(hasFocus() ? WindowLook::focusFrameColor(palette(), palette().color(QPalette::Window))
                              : palette().color(QPalette::Dark));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void MismatchMap::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const std::int64_t address = targetAt(int(event->position().y()));
    if (address < 0) return;
    mark(address);
    if (onJump) onJump(address);
}

bool MismatchMap::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        if (map_.commonSize() <= 0) {
            QToolTip::hideText();
        } else {
            const auto [lo, hi] = rowSpan(chosenRow(help->pos().y()));
            QToolTip::showText(help->globalPos(), describeAt(targetAt(help->pos().y()), lo, hi), this);
        }
        return true;
    }
    return QWidget::event(event);
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
}
