#include "AlignedView.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>

#include "FileLayer.h"
#include "GridColors.h"
#include "RunList.h"

namespace {

using Mark = AlignedLayout::Mark;
using Side = AlignedView::Side;

// Positions of the two sides interleaved in the screen reader's order: a row of A, then
// the same row of B.
constexpr int kCellsPerRow = 2 * AlignedView::kColumns;
// A scroll bar counts in int: beyond this many rows it counts in fractions of the length.
constexpr std::int64_t kBarLimit = 1 << 30;

int sideIndex(Side side) { return side == Side::A ? 0 : 1; }

QString markName(Mark mark) {
    switch (mark) {
    case Mark::Same: return QString();
    case Mark::Replaced: return QStringLiteral("замена");
    case Mark::Inserted: return QStringLiteral("вставка");
    case Mark::Deleted: return QStringLiteral("удаление");
    case Mark::Gap: return QStringLiteral("пропуск");
    }
    return QString();
}

}  // namespace

// What a screen reader reads of the view: one cell per position and side on screen, named
// by its side and address, valued by what is painted in it, placed where it is painted.
class AlignedCellAccessibility : public QAccessibleInterface {
public:
    AlignedCellAccessibility(AlignedView* view, int index) : view_(view), index_(index) {}

    bool isValid() const override { return !view_.isNull(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return view_ ? view_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(view_.data()); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessible::Role role() const override { return QAccessible::Cell; }
    void setText(QAccessible::Text, const QString&) override {}

    std::int64_t position() const {
        return (view_->topPosition() / AlignedView::kColumns + index_ / kCellsPerRow) * AlignedView::kColumns +
               index_ % AlignedView::kColumns;
    }
    Side side() const { return (index_ % kCellsPerRow) < AlignedView::kColumns ? Side::A : Side::B; }

    QString text(QAccessible::Text t) const override {
        if (!view_) return QString();
        const AlignedView::Cell cell = view_->cell(position(), side());
        const QString sideName = side() == Side::A ? QStringLiteral("А") : QStringLiteral("В");
        const QString address =
            DifferenceText::address(cell.place.address, std::max(view_->layout().sizeA(), view_->layout().sizeB()));
        switch (t) {
        case QAccessible::Name:
            return cell.place.mark == Mark::Gap ? sideName + QStringLiteral(", пропуск перед адресом ") + address
                                                : sideName + QStringLiteral(", адрес ") + address;
        case QAccessible::Value:
            return cell.text;
        case QAccessible::Description:
            return markName(cell.place.mark);
        default:
            return QString();
        }
    }
    QRect rect() const override {
        if (!view_) return QRect();
        const QRect r = view_->cell(position(), side()).rect;
        return r.isEmpty() ? QRect() : QRect(view_->viewport()->mapToGlobal(r.topLeft()), r.size());
    }
    QAccessible::State state() const override {
        QAccessible::State s;
        s.readOnly = true;
        s.focusable = true;
        if (!view_) return s;
        s.invisible = !view_->isVisible() || rect().isEmpty();
        s.focused = view_->hasFocus() && position() == view_->position() && side() == view_->cursorSide();
        return s;
    }

private:
    QPointer<AlignedView> view_;
    int index_;
};

class AlignedViewAccessibility : public QAccessibleWidget {
public:
    explicit AlignedViewAccessibility(AlignedView* view) : QAccessibleWidget(view, QAccessible::Table) {}
    ~AlignedViewAccessibility() override {
        for (QAccessible::Id id : ids_)
            if (id) QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override {
        const std::int64_t rows = std::min<std::int64_t>(view()->visibleRows(), view()->rowCount() - view()->topRow_);
        return int(std::max<std::int64_t>(rows, 0)) * kCellsPerRow;
    }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount()) return nullptr;
        if (std::size_t(index) >= ids_.size()) ids_.resize(std::size_t(index) + 1, 0);
        QAccessible::Id& id = ids_[std::size_t(index)];
        if (!id) id = QAccessible::registerAccessibleInterface(new AlignedCellAccessibility(view(), index));
        return QAccessible::accessibleInterface(id);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        const QAccessible::Id id = QAccessible::uniqueId(const_cast<QAccessibleInterface*>(child));
        const auto at = std::find(ids_.begin(), ids_.end(), id);
        return at == ids_.end() ? -1 : int(at - ids_.begin());
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        for (int i = 0, n = childCount(); i < n; ++i)
            if (QAccessibleInterface* c = child(i); c->rect().contains(x, y)) return c;
        return nullptr;
    }
    QAccessibleInterface* focusChild() const override {
        const std::int64_t at = view()->position() - view()->topPosition();
        if (!view()->hasFocus() || at < 0 || at >= std::int64_t(childCount()) / 2) return nullptr;
        const int offset = view()->cursorSide() == Side::A ? 0 : AlignedView::kColumns;
        return child(int(at / AlignedView::kColumns * kCellsPerRow + offset + at % AlignedView::kColumns));
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) return view()->windowTitle();
        return QAccessibleWidget::text(t);
    }

private:
    AlignedView* view() const { return static_cast<AlignedView*>(widget()); }
    mutable std::vector<QAccessible::Id> ids_;
};

namespace {

QAccessibleInterface* viewInterface(const QString& className, QObject* object) {
    if (className == QLatin1String("AlignedView")) return new AlignedViewAccessibility(static_cast<AlignedView*>(object));
    return nullptr;
}

}  // namespace

AlignedView::AlignedView(const QString& pathA, const QString& pathB, std::vector<Change> changes, QWidget* parent)
    : QAbstractScrollArea(parent), nameA_(QFileInfo(pathA).fileName()), nameB_(QFileInfo(pathB).fileName()) {
    static const bool installed = (QAccessible::installFactory(viewInterface), true);
    (void)installed;
    setObjectName(QStringLiteral("AlignedView"));
    setWindowTitle(QStringLiteral("Выровненный вид"));
    setAccessibleName(windowTitle());
    fdA_ = FileLayer::open(pathA, O_RDONLY);
    fdB_ = FileLayer::open(pathB, O_RDONLY);
    auto sizeOf = [](int fd) {
        struct stat info {};
        return fd >= 0 && FileLayer::fstat(fd, info) == 0 ? std::int64_t(info.st_size) : 0;
    };
    layout_ = AlignedLayout(std::move(changes), sizeOf(fdA_), sizeOf(fdB_));
    // Light, whatever the desktop: the dark red and the mark of insertions need it.
    setPalette(GridColors::windowPalette());
    viewport()->setBackgroundRole(QPalette::Base);
    setFocusPolicy(Qt::StrongFocus);
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setStyleHint(QFont::Monospace);
    const qreal text = QApplication::font().pointSizeF();
    font.setPointSizeF(text > 0 ? text + 1 : 10);
    setFont(font);
    measure();
}

AlignedView::~AlignedView() {
    if (fdA_ >= 0) FileLayer::close(fdA_);
    if (fdB_ >= 0) FileLayer::close(fdB_);
}

QColor AlignedView::replacedColor() { return GridColors::darkRed(); }
QColor AlignedView::insertedColor() { return QColor(0, 96, 160); }

void AlignedView::measure() {
    const QFontMetrics fm(font());
    charWidth_ = std::max(1, fm.horizontalAdvance(QLatin1Char('0')));
    rowHeight_ = fm.height() + 2;
    headerHeight_ = rowHeight_ + 6;
    addressDigits_ = int(DifferenceText::address(0, std::max(layout_.sizeA(), layout_.sizeB())).size());
    // Per side: the address, two blanks, 16 cells of three characters; three between sides.
    const int side = (addressDigits_ + 2 + 3 * kColumns) * charWidth_;
    sideLeft_[0] = charWidth_;
    sideLeft_[1] = sideLeft_[0] + side + 3 * charWidth_;
    const int width = sideLeft_[1] + side + charWidth_;
    setMinimumWidth(width + verticalScrollBar()->sizeHint().width() + 2 * frameWidth());
    updateGeometry();
    updateScrollBar();
    viewport()->update();
}

QSize AlignedView::sizeHint() const {
    return QSize(minimumWidth(), headerHeight_ + 24 * rowHeight_ + 2 * frameWidth());
}

AlignedView::Side AlignedView::cursorSide() const {
    return layout_.length() > 0 && layout_.at(position_).a.mark == Mark::Gap ? Side::B : Side::A;
}

int AlignedView::visibleRows() const {
    return std::max(1, (viewport()->height() - headerHeight_ + rowHeight_ - 1) / rowHeight_);
}

int AlignedView::wholeRows() const { return std::max(1, (viewport()->height() - headerHeight_) / rowHeight_); }

std::int64_t AlignedView::lastTopRow() const { return std::max<std::int64_t>(0, rowCount() - wholeRows()); }

void AlignedView::updateScrollBar() {
    const std::int64_t lastTop = lastTopRow();
    const std::int64_t barMax = std::min(lastTop, kBarLimit);
    // Rows per step of the bar: one, unless the rows outnumber what the bar counts.
    auto toBar = [&](std::int64_t rows) { return lastTop == 0 ? 0 : int((long double)rows * barMax / lastTop); };
    QScrollBar* bar = verticalScrollBar();
    settingBar_ = true;
    bar->setRange(0, int(barMax));
    bar->setPageStep(std::max(1, toBar(wholeRows())));
    bar->setSingleStep(1);
    bar->setValue(toBar(topRow_));
    settingBar_ = false;
    if (topRow_ > lastTop) setTopRow(lastTop);
}

void AlignedView::setTopRow(std::int64_t row) {
    topRow_ = std::clamp<std::int64_t>(row, 0, lastTopRow());
    updateScrollBar();
    viewport()->update();
    announce();
}

void AlignedView::scrollContentsBy(int, int) {
    if (settingBar_) return;
    const QScrollBar* bar = verticalScrollBar();
    topRow_ = bar->maximum() == 0 ? 0 : std::int64_t((long double)bar->value() * lastTopRow() / bar->maximum());
    viewport()->update();
    announce();
}

void AlignedView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBar();
}

bool AlignedView::event(QEvent* event) {
    if (event->type() == QEvent::FontChange) measure();
    return QAbstractScrollArea::event(event);
}

void AlignedView::setPosition(std::int64_t position) {
    position_ = std::clamp<std::int64_t>(position, 0, std::max<std::int64_t>(0, layout_.length() - 1));
    const std::int64_t row = position_ / kColumns;
    if (row < topRow_)
        setTopRow(row);
    else if (row >= topRow_ + wholeRows())
        setTopRow(row - wholeRows() + 1);
    viewport()->update();
    announce();
    emit positionChanged(position_, layout_.length() > 0 ? layout_.at(position_).change : -1);
}

void AlignedView::showChange(std::size_t index) {
    if (index >= layout_.changes().size()) return;
    const std::int64_t start = layout_.startOf(index);
    // A change out of sight comes to the top of the screen, with what follows it.
    if (start / kColumns < topRow_ || start / kColumns >= topRow_ + wholeRows()) setTopRow(start / kColumns);
    setPosition(start);
}

bool AlignedView::nextChange() {
    const std::int64_t next = layout_.nextChange(position_);
    if (next < 0) return false;
    showChange(std::size_t(next));
    return true;
}

bool AlignedView::previousChange() {
    const std::int64_t previous = layout_.previousChange(position_);
    if (previous < 0) return false;
    showChange(std::size_t(previous));
    return true;
}

void AlignedView::keyPressEvent(QKeyEvent* event) {
    const bool control = event->modifiers() & Qt::ControlModifier;
    const int whole = wholeRows();
    const std::int64_t page = std::int64_t(whole) * kColumns;
    switch (event->key()) {
    case Qt::Key_F6:
        if (event->modifiers() & Qt::ShiftModifier)
            previousChange();
        else
            nextChange();
        return;
    case Qt::Key_Left: setPosition(position_ - 1); return;
    case Qt::Key_Right: setPosition(position_ + 1); return;
    case Qt::Key_Up: setPosition(position_ - kColumns); return;
    case Qt::Key_Down: setPosition(position_ + kColumns); return;
    case Qt::Key_PageUp:
        setTopRow(topRow_ - whole);
        setPosition(position_ - page);
        return;
    case Qt::Key_PageDown:
        setTopRow(topRow_ + whole);
        setPosition(position_ + page);
        return;
    case Qt::Key_Home: setPosition(control ? 0 : position_ - position_ % kColumns); return;
    case Qt::Key_End: setPosition(control ? layout_.length() - 1 : position_ - position_ % kColumns + kColumns - 1); return;
    default: QAbstractScrollArea::keyPressEvent(event);
    }
}

void AlignedView::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const int row = (at.y() - headerHeight_) / rowHeight_;
    for (Side side : {Side::A, Side::B}) {
        const int first = sideLeft_[sideIndex(side)] + (addressDigits_ + 2) * charWidth_ - charWidth_ / 2;
        const int column = (at.x() - first) / (3 * charWidth_);
        if (at.y() >= headerHeight_ && at.x() >= first && column < kColumns) {
            const std::int64_t position = (topRow_ + row) * kColumns + column;
            if (position < layout_.length()) setPosition(position);
            break;
        }
    }
    setFocus(Qt::MouseFocusReason);
}

QRect AlignedView::cellRect(std::int64_t position, Side side) const {
    const std::int64_t row = position / kColumns - topRow_;
    if (position < 0 || position >= layout_.length() || row < 0 || row >= visibleRows()) return QRect();
    const int x = sideLeft_[sideIndex(side)] + (addressDigits_ + 2 + 3 * int(position % kColumns)) * charWidth_ -
                  charWidth_ / 2;
    return QRect(x, headerHeight_ + int(row) * rowHeight_, 3 * charWidth_, rowHeight_);
}

QRect AlignedView::addressRect(int row, Side side) const {
    return QRect(sideLeft_[sideIndex(side)], headerHeight_ + row * rowHeight_, addressDigits_ * charWidth_, rowHeight_);
}

void AlignedView::readVisibleBytes() const {
    const std::int64_t first = topRow_ * kColumns;
    const std::int64_t last = std::min(layout_.length(), (topRow_ + visibleRows()) * kColumns);
    for (Side side : {Side::A, Side::B}) {
        const int s = sideIndex(side);
        bytesRead_[s] = 0;
        if (first >= last) continue;
        const AlignedLayout::Row from = layout_.at(first), to = layout_.at(last - 1);
        const AlignedLayout::Place& end = side == Side::A ? to.a : to.b;
        bytesFrom_[s] = side == Side::A ? from.a.address : from.b.address;
        const std::int64_t count = end.address + (end.mark == Mark::Gap ? 0 : 1) - bytesFrom_[s];
        if (count <= 0) continue;
        bytes_[s].resize(std::size_t(count));
        bytesRead_[s] = std::max<std::int64_t>(0, FileLayer::pread(side == Side::A ? fdA_ : fdB_, bytes_[s].data(), count,
                                                                   bytesFrom_[s]));
    }
}

int AlignedView::byteAt(Side side, std::int64_t address) const {
    const int s = sideIndex(side);
    const std::int64_t at = address - bytesFrom_[s];
    if (at >= 0 && at < bytesRead_[s]) return bytes_[s][std::size_t(at)];
    // Off the screen (a screen reader, a test): read on its own.
    std::uint8_t byte = 0;
    return FileLayer::pread(side == Side::A ? fdA_ : fdB_, &byte, 1, address) == 1 ? byte : -1;
}

AlignedView::Cell AlignedView::cell(std::int64_t position, Side side) const {
    Cell cell;
    cell.color = palette().color(QPalette::Text);
    if (position < 0 || position >= layout_.length()) return cell;
    const AlignedLayout::Row row = layout_.at(position);
    cell.place = side == Side::A ? row.a : row.b;
    cell.rect = cellRect(position, side);
    switch (cell.place.mark) {
    case Mark::Same: break;
    case Mark::Replaced: cell.color = replacedColor(); break;
    case Mark::Inserted:
    case Mark::Deleted: cell.color = insertedColor(); break;
    case Mark::Gap:
        // In the colour of the change that leaves it.
        cell.color = row.a.mark == Mark::Replaced || row.b.mark == Mark::Replaced ? replacedColor() : insertedColor();
        cell.text = QStringLiteral("--");
        return cell;
    }
    const int value = byteAt(side, cell.place.address);
    const std::uint8_t byte = std::uint8_t(value);
    cell.text = value < 0 ? QStringLiteral("??") : DifferenceText::hexBytes(&byte, 1);
    return cell;
}

void AlignedView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.setFont(font());
    const QPalette& colours = palette();
    painter.fillRect(viewport()->rect(), colours.color(QPalette::Base));
    painter.setPen(colours.color(QPalette::Text));
    const QFontMetrics fm(font());
    const int baseline = (rowHeight_ + fm.ascent() - fm.descent()) / 2;
    painter.drawText(sideLeft_[0], baseline + 2, QStringLiteral("Файл А: ") + nameA_);
    painter.drawText(sideLeft_[1], baseline + 2, QStringLiteral("Файл В: ") + nameB_);
    painter.setPen(colours.color(QPalette::Mid));
    painter.drawLine(0, headerHeight_ - 3, viewport()->width(), headerHeight_ - 3);
    const int between = sideLeft_[1] - 2 * charWidth_;
    painter.drawLine(between, 0, between, viewport()->height());

    readVisibleBytes();
    const std::int64_t largest = std::max(layout_.sizeA(), layout_.sizeB());
    for (int row = 0; row < visibleRows() && topRow_ + row < rowCount(); ++row) {
        const std::int64_t first = (topRow_ + row) * kColumns;
        const AlignedLayout::Row starts = layout_.at(first);
        for (Side side : {Side::A, Side::B}) {
            painter.setPen(colours.color(QPalette::Text));
            const std::int64_t address = (side == Side::A ? starts.a : starts.b).address;
            painter.drawText(addressRect(row, side), Qt::AlignLeft | Qt::AlignVCenter, DifferenceText::address(address, largest));
            // Cells of one colour side by side go out as one text: the font is monospaced,
            // and a text per cell would cost most of the paint.
            const int y = headerHeight_ + row * rowHeight_ + baseline;
            const int x = sideLeft_[sideIndex(side)] + (addressDigits_ + 2) * charWidth_;
            QString run;
            QColor runColour;
            int runStart = 0;
            const int columns = int(std::min<std::int64_t>(kColumns, layout_.length() - first));
            for (int column = 0; column <= columns; ++column) {
                const Cell c = column < columns ? cell(first + column, side) : Cell();
                if (column == columns || c.color != runColour) {
                    painter.setPen(runColour);
                    painter.drawText(x + 3 * runStart * charWidth_, y, run);
                    run.clear();
                    runColour = c.color;
                    runStart = column;
                }
                if (!run.isEmpty()) run += QLatin1Char(' ');
                run += c.text;
            }
        }
    }
    painter.setPen(colours.color(QPalette::Highlight));
    for (Side side : {Side::A, Side::B})
        if (const QRect r = cellRect(position_, side); !r.isEmpty()) painter.drawRect(r.adjusted(0, 0, -1, -1));
}

void AlignedView::announce() {
    if (!QAccessible::isActive()) return;
    QAccessibleEvent shown(this, QAccessible::VisibleDataChanged);
    QAccessible::updateAccessibility(&shown);
    if (!hasFocus()) return;
    if (QAccessibleInterface* focused = QAccessible::queryAccessibleInterface(this)->focusChild()) {
        QAccessibleEvent focus(focused, QAccessible::Focus);
        QAccessible::updateAccessibility(&focus);
    }
}
