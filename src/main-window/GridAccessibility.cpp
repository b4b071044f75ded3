#include "GridAccessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFontMetrics>
#include <QHash>
#include <QLabel>
#include <QPointer>

#include <algorithm>
#include <utility>
#include <vector>

#include "HexCell.h"
#include "PaintedGrid.h"
#include "RowAddressBox.h"

namespace {

using Kind = PaintedGrid::Kind;

// The text interface of a place showing two characters at most, centred in its box in the
// grid's font; no selection unless a line edit stands there.
class PlaceText : public QAccessibleTextInterface {
public:
    int characterCount() const override { return int(shown().size()); }
    QString text(int startOffset, int endOffset) const override {
        return shown().mid(startOffset, endOffset - startOffset);
    }
    QRect characterRect(int offset) const override {
        const QString t = shown();
        if (offset < 0 || offset >= t.size()) return QRect();
        const QFontMetrics fm(grid()->font());
        const QRect r = box();
        const int left = r.left() + (r.width() - fm.horizontalAdvance(t)) / 2;
        return QRect(left + fm.horizontalAdvance(t.left(offset)), r.top(), fm.horizontalAdvance(t.at(offset)), r.height());
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
    virtual const PaintedGrid* grid() const = 0;
    virtual QString shown() const = 0;
    virtual QRect box() const = 0;  // on the screen
};

// The cell being edited: its line edit, answering as the cell it stands on. Editable only
// while typing is allowed; caret and selection are the line edit's.
class EditorInterface : public QAccessibleWidget, public PlaceText {
public:
    explicit EditorInterface(HexCell* cell) : QAccessibleWidget(cell, QAccessible::EditableText) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) return cell()->text();
        return QAccessibleWidget::text(t);
    }
    using PlaceText::text;
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.editable = !cell()->isReadOnly();
        s.readOnly = cell()->isReadOnly();
        s.selectableText = true;
        return s;
    }
    void selection(int index, int* startOffset, int* endOffset) const override {
        *startOffset = *endOffset = 0;
        if (index == 0 && cell()->hasSelectedText()) {
            *startOffset = cell()->selectionStart();
            *endOffset = *startOffset + int(cell()->selectedText().size());
        }
    }
    int selectionCount() const override { return cell()->hasSelectedText() ? 1 : 0; }
    void setSelection(int, int startOffset, int endOffset) override { cell()->setSelection(startOffset, endOffset - startOffset); }
    void addSelection(int startOffset, int endOffset) override { setSelection(0, startOffset, endOffset); }
    void removeSelection(int) override { cell()->deselect(); }
    int cursorPosition() const override { return cell()->cursorPosition(); }
    void setCursorPosition(int position) override { cell()->setCursorPosition(position); }

private:
    HexCell* cell() const { return static_cast<HexCell*>(widget()); }
    const PaintedGrid* grid() const override { return static_cast<const PaintedGrid*>(widget()->parentWidget()); }
    QString shown() const override { return cell()->text(); }
    QRect box() const override { return rect(); }
};

// Where a place stands in the grid read as a table: its row, and its column (per side, the
// row address, the hex cells, the characters).
struct TableCell {
    int row, column;
};

int tableColumns(const PaintedGrid& grid) { return grid.sides() * (1 + 2 * grid.columns()); }

TableCell tableCell(const PaintedGrid& grid, Kind kind, int index) {
    if (kind == Kind::Row) return {index / grid.sides(), index % grid.sides() * (1 + 2 * grid.columns())};
    const int perRow = grid.sides() * grid.columns(), side = index % perRow / grid.columns(), column = index % grid.columns();
    return {index / perRow, side * (1 + 2 * grid.columns()) + 1 + (kind == Kind::Symbol ? grid.columns() : 0) + column};
}

// The place at a row and column of the table.
std::pair<Kind, int> placeOf(const PaintedGrid& grid, int row, int column) {
    const int span = 1 + 2 * grid.columns(), side = column / span, at = column % span;
    if (at == 0) return {Kind::Row, row * grid.sides() + side};
    const bool symbol = at > grid.columns();
    return {symbol ? Kind::Symbol : Kind::Hex, (row * grid.sides() + side) * grid.columns() + (at - 1) % grid.columns()};
}

QAccessibleInterface* place(const PaintedGrid& grid, Kind kind, int index);
QAccessibleInterface* gridInterface(const PaintedGrid& grid) {
    return QAccessible::queryAccessibleInterface(const_cast<PaintedGrid*>(&grid));
}

// A place the grid paints with no widget: a hex cell, a character cell or a row address,
// read from the grid. It has no object of its own; the grid is its parent.
class PaintedPlace : public QAccessibleInterface,
                     public PlaceText,
                     public QAccessibleActionInterface,
                     public QAccessibleTableCellInterface {
public:
    PaintedPlace(const PaintedGrid* grid, Kind kind, int index) : grid_(grid), kind_(kind), index_(index) {}

    bool isValid() const override { return !grid_.isNull(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return grid_->window()->windowHandle(); }
    QAccessibleInterface* parent() const override { return gridInterface(*grid_); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }

    QString text(QAccessible::Text t) const override {
        switch (t) {
        case QAccessible::Name: return grid_->placeName(kind_, index_);
        case QAccessible::Value: return shown();
        case QAccessible::Description: return grid_->placeDescription(kind_, index_);
        default: return QString();
        }
    }
    using PlaceText::text;
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (!grid_->isVisible()) return QRect();
        const QRect place = kind_ == Kind::Hex ? grid_->cellPlace(index_)
                          : kind_ == Kind::Row ? grid_->rowPlace(index_)
                                               : grid_->symbolPlace(index_);
        return QRect(grid_->mapToGlobal(place.topLeft()), place.size());
    }
    QAccessible::Role role() const override {
        if (grid_->readAsTable()) return QAccessible::Cell;
        return kind_ == Kind::Symbol ? QAccessible::StaticText : QAccessible::EditableText;
    }
    QAccessible::State state() const override {
        QAccessible::State s;
        // On the screen wherever the grid is, with no widget of its own.
        s.invisible = !grid_->isVisible();
        if (kind_ == Kind::Symbol) return s;
        s.focusable = true;
        s.selectableText = true;
        const bool editable = grid_->placeEditable(kind_, index_);
        s.editable = editable;
        s.readOnly = !editable;
        s.focused = kind_ == Kind::Hex && grid_->hasFocus() && grid_->cursorCell() == index_;
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        if (type == QAccessible::ActionInterface && kind_ != Kind::Symbol)
            return static_cast<QAccessibleActionInterface*>(this);
        if (type == QAccessible::TableCellInterface && grid_->readAsTable())
            return static_cast<QAccessibleTableCellInterface*>(this);
        return nullptr;
    }

    // A screen reader can give the keyboard to a cell or a row address.
    QStringList actionNames() const override { return {setFocusAction()}; }
    void doAction(const QString& name) override {
        if (name == setFocusAction() && isValid()) const_cast<PaintedGrid*>(grid_.data())->focusPlace(kind_, index_);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

    bool isSelected() const override { return false; }
    QList<QAccessibleInterface*> columnHeaderCells() const override { return {}; }
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return tableCell(*grid_, kind_, index_).column; }
    int rowIndex() const override { return tableCell(*grid_, kind_, index_).row; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override { return parent(); }

private:
    const PaintedGrid* grid() const override { return grid_; }
    QString shown() const override {
        const QString text = grid_->placeText(kind_, index_);
        return kind_ == Kind::Symbol ? PaintedGrid::shownCharacter(text) : text;
    }
    QRect box() const override { return rect(); }

    QPointer<const PaintedGrid> grid_;
    Kind kind_;
    int index_;
};

// Each grid's places in the table's order, once asked for.
QHash<const PaintedGrid*, std::vector<QAccessible::Id>>& placeIds() {
    static QHash<const PaintedGrid*, std::vector<QAccessible::Id>> ids;
    return ids;
}

int slotOf(const PaintedGrid& grid, Kind kind, int index) {
    const TableCell at = tableCell(grid, kind, index);
    return at.row * tableColumns(grid) + at.column;
}

QAccessibleInterface* place(const PaintedGrid& grid, Kind kind, int index) {
    // Where the keyboard is, its line edit answers.
    if (QWidget* editor = grid.placeEditor(kind, index)) return QAccessible::queryAccessibleInterface(editor);
    std::vector<QAccessible::Id>& ids = placeIds()[&grid];
    ids.resize(std::size_t(grid.rows() * tableColumns(grid)), 0);
    QAccessible::Id& id = ids[std::size_t(slotOf(grid, kind, index))];
    if (id == 0) id = QAccessible::registerAccessibleInterface(new PaintedPlace(&grid, kind, index));
    return QAccessible::accessibleInterface(id);
}

// The grid: its headers, and every place it paints, row by row.
class GridInterface : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit GridInterface(PaintedGrid* grid) : QAccessibleWidget(grid, QAccessible::Client) {}

    QAccessible::Role role() const override { return grid()->readAsTable() ? QAccessible::Table : QAccessible::Client; }
    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TableInterface && grid()->readAsTable()) return static_cast<QAccessibleTableInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    int childCount() const override { return headers() + grid()->rows() * tableColumns(*grid()); }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount()) return nullptr;
        if (index < headers()) return QAccessible::queryAccessibleInterface(grid()->headers()[std::size_t(index)]);
        index -= headers();
        return cellAt(index / tableColumns(*grid()), index % tableColumns(*grid()));
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        if (!child) return -1;
        if (const auto* box = qobject_cast<const RowAddressBox*>(child->object()))
            return headers() + slotOf(*grid(), Kind::Row, box->row());
        if (const auto* editor = qobject_cast<const HexCell*>(child->object()))
            return headers() + slotOf(*grid(), Kind::Hex, editor->index());
        for (int i = 0; i < headers(); ++i)
            if (child->object() == grid()->headers()[std::size_t(i)]) return i;
        const auto found = placeIds().constFind(grid());
        if (found == placeIds().constEnd()) return -1;
        const QAccessible::Id id = QAccessible::uniqueId(const_cast<QAccessibleInterface*>(child));
        const auto at = std::find(found->begin(), found->end(), id);
        return at == found->end() ? -1 : headers() + int(at - found->begin());
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        Kind kind;
        const int index = grid()->placeAt(grid()->mapFromGlobal(QPoint(x, y)), &kind);
        return index >= 0 ? place(*grid(), kind, index) : QAccessibleWidget::childAt(x, y);
    }
    QAccessibleInterface* focusChild() const override {
        const int cursor = grid()->cursorCell();
        if (cursor >= 0 && grid()->hasFocus()) return place(*grid(), Kind::Hex, cursor);
        return QAccessibleWidget::focusChild();
    }

    QAccessibleInterface* cellAt(int row, int column) const override {
        if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) return nullptr;
        const auto [kind, index] = placeOf(*grid(), row, column);
        return place(*grid(), kind, index);
    }
    int rowCount() const override { return grid()->rows(); }
    int columnCount() const override { return tableColumns(*grid()); }
    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QString columnDescription(int) const override { return QString(); }
    QString rowDescription(int) const override { return QString(); }
    int selectedCellCount() const override { return 0; }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    QList<QAccessibleInterface*> selectedCells() const override { return {}; }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent*) override {}

private:
    PaintedGrid* grid() const { return static_cast<PaintedGrid*>(widget()); }
    int headers() const { return int(grid()->headers().size()); }
};

// Whether assistive technology listens: only then are changes announced, which costs
// nothing while no one does.
class Listening : public QAccessible::ActivationObserver {
public:
    void accessibilityActiveChanged(bool active) override { on = active; }
    bool on = QAccessible::isActive();
};
Listening* const listening = new Listening;  // lives as long as Qt's list of observers
std::function<void(QAccessibleEvent*)> listener;

bool heard() { return listening->on || listener; }

void announce(QAccessibleEvent* event) {
    if (listener)
        listener(event);
    else
        QAccessible::updateAccessibility(event);
}

QAccessibleInterface* makeInterface(const QString& className, QObject* object) {
    if (className == QLatin1String("HexCell")) return new EditorInterface(static_cast<HexCell*>(object));
    // Asked first with the object's own class: any grid of the engine.
    if (auto* grid = qobject_cast<PaintedGrid*>(object); grid && className == QLatin1String(object->metaObject()->className()))
        return new GridInterface(grid);
    return nullptr;
}

}  // namespace

namespace GridAccessibility {

void install() {
    static const bool installed = [] {
        QAccessible::installFactory(makeInterface);
        QAccessible::installActivationObserver(listening);
        listening->on = QAccessible::isActive();
        return true;
    }();
    (void)installed;
}

void forget(const PaintedGrid& grid) {
    const auto found = placeIds().find(&grid);
    if (found == placeIds().end()) return;
    for (QAccessible::Id id : *found)
        if (id != 0) QAccessible::deleteAccessibleInterface(id);
    placeIds().erase(found);
}

QAccessibleInterface* hexCell(const PaintedGrid& grid, int index) { return place(grid, Kind::Hex, index); }
QAccessibleInterface* symbol(const PaintedGrid& grid, int index) { return place(grid, Kind::Symbol, index); }
QAccessibleInterface* rowAddress(const PaintedGrid& grid, int row) { return place(grid, Kind::Row, row); }

Announcement::Announcement(const PaintedGrid& grid) : grid_(grid) {
    if (!heard()) return;
    before_ = std::make_unique<std::vector<QString>>();
    const int cells = grid.cells();
    before_->reserve(std::size_t(2 * cells));
    for (int i = 0; i < cells; ++i) before_->push_back(grid.placeText(Kind::Hex, i));
    for (int i = 0; i < cells; ++i) before_->push_back(grid.placeText(Kind::Symbol, i));
}

Announcement::~Announcement() {
    const int cells = grid_.cells();
    if (!before_ || int(before_->size()) != 2 * cells) return;
    for (int i = 0; i < cells; ++i) {
        // The cell being edited is a line edit, which tells of its text itself.
        const QString hex = grid_.placeText(Kind::Hex, i);
        const QString& hexBefore = (*before_)[std::size_t(i)];
        if (hex != hexBefore && !grid_.placeEditor(Kind::Hex, i)) {
            QAccessibleTextUpdateEvent update(hexCell(grid_, i), 0, hexBefore, hex);
            announce(&update);
        }
        // Another control character is another character, though both are drawn as a dot.
        const QString character = grid_.placeText(Kind::Symbol, i);
        const QString& characterBefore = (*before_)[std::size_t(cells + i)];
        if (character != characterBefore) {
            QAccessibleInterface* iface = symbol(grid_, i);
            QAccessibleTextUpdateEvent update(iface, 0, PaintedGrid::shownCharacter(characterBefore),
                                              PaintedGrid::shownCharacter(character));
            announce(&update);
            QAccessibleEvent name(iface, QAccessible::NameChanged);
            announce(&name);
        }
    }
}

void namesChanged(const PaintedGrid& grid) {
    if (!heard()) return;
    for (int r = 0; r < grid.rows() * grid.sides(); ++r) {
        QAccessibleEvent name(rowAddress(grid, r), QAccessible::NameChanged);
        announce(&name);
    }
    for (int i = 0; i < grid.cells(); ++i) {
        if (grid.placeEditor(Kind::Hex, i)) continue;  // its line edit is renamed
        QAccessibleEvent name(hexCell(grid, i), QAccessible::NameChanged);
        announce(&name);
    }
}

void cursorMoved(const PaintedGrid& grid) {
    const int cursor = grid.cursorCell();
    if (!heard() || cursor < 0 || !grid.hasFocus()) return;
    QAccessibleEvent focus(hexCell(grid, cursor), QAccessible::Focus);
    announce(&focus);
}

void setListener(std::function<void(QAccessibleEvent*)> heard) { listener = std::move(heard); }

}  // namespace GridAccessibility
