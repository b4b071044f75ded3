#include "GridAccessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFontMetrics>

#include "ByteGrid.h"
#include "HexCell.h"
#include "SymbolCell.h"

namespace {

// One painted cell of the grid: its text, and the box the grid paints it in. A parked hex
// cell and a character cell have no size of their own; the box is the grid's.
class PaintedCell : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    PaintedCell(QWidget* cell, QAccessible::Role role) : QAccessibleWidget(cell, role) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QRect rect() const override {
        if (!grid()->isVisible()) return QRect();
        const QRect place = box();
        return QRect(grid()->mapToGlobal(place.topLeft()), place.size());
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        // A cell is on the screen wherever the grid is, even with no room of its own.
        s.invisible = !grid()->isVisible();
        return s;
    }

    using QAccessibleWidget::text;
    // The text interface over a text of two characters at most.
    int characterCount() const override { return int(shown().size()); }
    QString text(int startOffset, int endOffset) const override {
        return shown().mid(startOffset, endOffset - startOffset);
    }
    QRect characterRect(int offset) const override {
        const QString t = shown();
        if (offset < 0 || offset >= t.size()) return QRect();
        const QFontMetrics fm(grid()->font());
        const QRect r = rect();
        const int left = r.left() + (r.width() - fm.horizontalAdvance(t)) / 2;
        return QRect(left + fm.horizontalAdvance(t.left(offset)), r.top(), fm.horizontalAdvance(t.at(offset)),
                     r.height());
    }
    int offsetAtPoint(const QPoint& point) const override {
        for (int i = 0; i < characterCount(); ++i)
            if (characterRect(i).contains(point)) return i;
        return -1;
    }
    void selection(int, int* startOffset, int* endOffset) const override { *startOffset = *endOffset = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* startOffset, int* endOffset) const override {
        *startOffset = offset < 0 ? -1 : 0;
        *endOffset = offset < 0 ? -1 : characterCount();
        return QString();
    }

protected:
    ByteGrid* grid() const { return static_cast<ByteGrid*>(widget()->parentWidget()); }
    virtual QRect box() const = 0;
    virtual QString shown() const = 0;
};

// A hex cell: named by its address, valued by its two digits ("" past the end). While it
// edits, caret and selection are the line edit's.
class HexCellInterface : public PaintedCell {
public:
    explicit HexCellInterface(HexCell* cell) : PaintedCell(cell, QAccessible::EditableText) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) return shown();
        if (t == QAccessible::Name) return cell()->accessibleName();
        return QAccessibleWidget::text(t);
    }
    using PaintedCell::text;
    QAccessible::State state() const override {
        QAccessible::State s = PaintedCell::state();
        s.editable = !cell()->isReadOnly();
        s.readOnly = cell()->isReadOnly();
        s.selectableText = true;
        return s;
    }
    void selection(int index, int* startOffset, int* endOffset) const override {
        *startOffset = *endOffset = 0;
        if (index == 0 && cell()->isEditing() && cell()->hasSelectedText()) {
            *startOffset = cell()->selectionStart();
            *endOffset = *startOffset + int(cell()->selectedText().size());
        }
    }
    int selectionCount() const override { return cell()->isEditing() && cell()->hasSelectedText() ? 1 : 0; }
    void setSelection(int, int startOffset, int endOffset) override {
        if (cell()->isEditing()) cell()->setSelection(startOffset, endOffset - startOffset);
    }
    void addSelection(int startOffset, int endOffset) override { setSelection(0, startOffset, endOffset); }
    void removeSelection(int) override {
        if (cell()->isEditing()) cell()->deselect();
    }
    int cursorPosition() const override { return cell()->isEditing() ? cell()->cursorPosition() : 0; }
    void setCursorPosition(int position) override {
        if (cell()->isEditing()) cell()->setCursorPosition(position);
    }

private:
    HexCell* cell() const { return static_cast<HexCell*>(widget()); }
    QRect box() const override { return grid()->cellPlace(cell()->index()); }
    QString shown() const override { return cell()->text(); }
};

// A character cell: the character as it is drawn, as its name and value.
class SymbolCellInterface : public PaintedCell {
public:
    explicit SymbolCellInterface(SymbolCell* cell) : PaintedCell(cell, QAccessible::StaticText) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name || t == QAccessible::Value) return shown();
        return QAccessibleWidget::text(t);
    }
    using PaintedCell::text;

private:
    SymbolCell* cell() const { return static_cast<SymbolCell*>(widget()); }
    QRect box() const override { return grid()->symbolPlace(cell()->index()); }
    QString shown() const override { return cell()->shownText(); }
};

// Whether assistive technology listens: only then do the cells announce their changes,
// which costs nothing while no one does.
class Listening : public QAccessible::ActivationObserver {
public:
    void accessibilityActiveChanged(bool active) override { on = active; }
    bool on = QAccessible::isActive();
};
Listening* const listening = new Listening;  // lives as long as Qt's list of observers
std::function<void(QAccessibleEvent*)> listener;

void announce(QAccessibleEvent* event) {
    if (listener)
        listener(event);
    else
        QAccessible::updateAccessibility(event);
}

QAccessibleInterface* cellInterface(const QString& className, QObject* object) {
    if (className == QLatin1String("HexCell")) return new HexCellInterface(static_cast<HexCell*>(object));
    if (className == QLatin1String("SymbolCell")) return new SymbolCellInterface(static_cast<SymbolCell*>(object));
    return nullptr;
}

}  // namespace

namespace GridAccessibility {

void install() {
    static const bool installed = [] {
        QAccessible::installFactory(cellInterface);
        QAccessible::installActivationObserver(listening);
        listening->on = QAccessible::isActive();
        return true;
    }();
    (void)installed;
}

void textChanged(QWidget* cell, const QString& before, const QString& after) {
    if (!listening->on && !listener) return;
    QAccessibleTextUpdateEvent update(cell, 0, before, after);
    announce(&update);
    if (qobject_cast<SymbolCell*>(cell)) {
        QAccessibleEvent name(cell, QAccessible::NameChanged);
        announce(&name);
    }
}

void setListener(std::function<void(QAccessibleEvent*)> heard) { listener = std::move(heard); }

}  // namespace GridAccessibility
