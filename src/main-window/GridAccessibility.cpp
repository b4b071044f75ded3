#include "GridAccessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFontMetrics>
#include <QHash>
#include <QLabel>
#include <QPointer>

#include <vector>

#include "AddressText.h"
#include "ByteGrid.h"
#include "HexCell.h"
#include "RowAddressBox.h"
#include "ScreenModel.h"

using namespace GridGeometry;

namespace {

enum class Kind { Hex, Symbol, Row };

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
    virtual const ByteGrid* grid() const = 0;
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
    const ByteGrid* grid() const override { return static_cast<const ByteGrid*>(widget()->parentWidget()); }
    QString shown() const override { return cell()->text(); }
    QRect box() const override { return rect(); }
};

// A place the grid paints with no widget: a hex cell, a character cell or a row address,
// read from the grid's model. It has no object of its own; the grid is its parent.
class PaintedPlace : public QAccessibleInterface, public PlaceText, public QAccessibleActionInterface {
public:
    PaintedPlace(const ByteGrid* grid, Kind kind, int index) : grid_(grid), kind_(kind), index_(index) {}

    bool isValid() const override { return !grid_.isNull(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return grid_->window()->windowHandle(); }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(const_cast<ByteGrid*>(grid_.data()));
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }

    QString text(QAccessible::Text t) const override {
        switch (t) {
        case QAccessible::Name:
            return kind_ == Kind::Hex ? GridAccessibility::cellName(*grid_, index_)
                 : kind_ == Kind::Row ? GridAccessibility::rowName(*grid_, index_)
                                      : shown();
        case QAccessible::Value: return shown();
        case QAccessible::Description:
            return kind_ == Kind::Hex ? GridAccessibility::difference(grid_->model(), index_) : QString();
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
        return kind_ == Kind::Symbol ? QAccessible::StaticText : QAccessible::EditableText;
    }
    QAccessible::State state() const override {
        QAccessible::State s;
        // On the screen wherever the grid is, with no widget of its own.
        s.invisible = !grid_->isVisible();
        if (kind_ == Kind::Symbol) return s;
        s.focusable = true;
        s.selectableText = true;
        const bool editable = kind_ == Kind::Hex && !grid_->cellLocked(index_) && grid_->model().byte(index_) >= 0;
        s.editable = editable;
        s.readOnly = !editable;
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        if (type == QAccessible::ActionInterface && kind_ != Kind::Symbol)
            return static_cast<QAccessibleActionInterface*>(this);
        return nullptr;
    }

    // A screen reader can give the keyboard to a cell or a row address.
    QStringList actionNames() const override { return {setFocusAction()}; }
    void doAction(const QString& name) override {
        if (name != setFocusAction() || !isValid()) return;
        auto* grid = const_cast<ByteGrid*>(grid_.data());
        if (kind_ == Kind::Hex) grid->focusCell(index_, Qt::OtherFocusReason);
        else grid->focusRowAddress(index_, Qt::OtherFocusReason);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    const ByteGrid* grid() const override { return grid_; }
    QString shown() const override {
        return kind_ == Kind::Hex ? grid_->cellText(index_)
             : kind_ == Kind::Row ? grid_->rowText(index_)
                                  : ByteGrid::shownCharacter(grid_->symbolText(index_));
    }
    QRect box() const override { return rect(); }

    QPointer<const ByteGrid> grid_;
    Kind kind_;
    int index_;
};

// Each grid's places, by kind and index, once asked for.
constexpr int kPlaces = kRows + 2 * kCells;
QHash<const ByteGrid*, std::vector<QAccessible::Id>>& placeIds() {
    static QHash<const ByteGrid*, std::vector<QAccessible::Id>> ids;
    return ids;
}

// Children in the order they are read: the headers, the row addresses, then each hex cell
// with its character.
int slotOf(Kind kind, int index) {
    return kind == Kind::Row ? index : kRows + 2 * index + (kind == Kind::Symbol ? 1 : 0);
}

QAccessibleInterface* place(const ByteGrid& grid, Kind kind, int index) {
    // Where the keyboard is, its line edit answers.
    if (kind == Kind::Hex && grid.editor() && grid.editor()->index() == index)
        return QAccessible::queryAccessibleInterface(grid.editor());
    if (kind == Kind::Row && grid.rowAddressBox() && grid.rowAddressBox()->row() == index)
        return QAccessible::queryAccessibleInterface(grid.rowAddressBox());
    std::vector<QAccessible::Id>& ids = placeIds()[&grid];
    if (ids.empty()) ids.resize(kPlaces, 0);
    QAccessible::Id& id = ids[std::size_t(slotOf(kind, index))];
    if (id == 0) id = QAccessible::registerAccessibleInterface(new PaintedPlace(&grid, kind, index));
    return QAccessible::accessibleInterface(id);
}

// The grid: its headers, and every place it paints.
class GridInterface : public QAccessibleWidget {
public:
    explicit GridInterface(ByteGrid* grid) : QAccessibleWidget(grid, QAccessible::Client) {}

    int childCount() const override { return int(grid()->headers().size()) + kPlaces; }
    QAccessibleInterface* child(int index) const override {
        const int headers = int(grid()->headers().size());
        if (index < 0 || index >= childCount()) return nullptr;
        if (index < headers) return QAccessible::queryAccessibleInterface(grid()->headers()[std::size_t(index)]);
        index -= headers;
        if (index < kRows) return place(*grid(), Kind::Row, index);
        index -= kRows;
        return place(*grid(), index % 2 ? Kind::Symbol : Kind::Hex, index / 2);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        const int headers = int(grid()->headers().size());
        if (!child) return -1;
        if (const auto* box = qobject_cast<const RowAddressBox*>(child->object())) return headers + box->row();
        if (const auto* editor = qobject_cast<const HexCell*>(child->object()))
            return headers + slotOf(Kind::Hex, editor->index());
        for (int i = 0; i < headers; ++i)
            if (child->object() == grid()->headers()[std::size_t(i)]) return i;
        const auto found = placeIds().constFind(grid());
        if (found == placeIds().constEnd()) return -1;
        const QAccessible::Id id = QAccessible::uniqueId(const_cast<QAccessibleInterface*>(child));
        for (int slot = 0; slot < kPlaces; ++slot)
            if ((*found)[std::size_t(slot)] == id) return headers + slot;
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        const QPoint at = grid()->mapFromGlobal(QPoint(x, y));
        for (int r = 0; r < kRows; ++r)
            if (grid()->rowPlace(r).contains(at)) return place(*grid(), Kind::Row, r);
        for (int i = 0; i < kCells; ++i) {
            if (grid()->cellPlace(i).contains(at)) return place(*grid(), Kind::Hex, i);
            if (grid()->symbolPlace(i).contains(at)) return place(*grid(), Kind::Symbol, i);
        }
        return QAccessibleWidget::childAt(x, y);
    }

private:
    ByteGrid* grid() const { return static_cast<ByteGrid*>(widget()); }
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

QAccessibleInterface* gridInterface(const QString& className, QObject* object) {
    if (className == QLatin1String("ByteGrid")) return new GridInterface(static_cast<ByteGrid*>(object));
    if (className == QLatin1String("HexCell")) return new EditorInterface(static_cast<HexCell*>(object));
    return nullptr;
}

}  // namespace

namespace GridAccessibility {

void install() {
    static const bool installed = [] {
        QAccessible::installFactory(gridInterface);
        QAccessible::installActivationObserver(listening);
        listening->on = QAccessible::isActive();
        return true;
    }();
    (void)installed;
}

void forget(const ByteGrid& grid) {
    const auto found = placeIds().find(&grid);
    if (found == placeIds().end()) return;
    for (QAccessible::Id id : *found)
        if (id != 0) QAccessible::deleteAccessibleInterface(id);
    placeIds().erase(found);
}

QString cellName(const ByteGrid& grid, int index) {
    return QStringLiteral("Адрес ") + AddressText::funHexAdres(address(grid.screenStart(), index));
}

QString rowName(const ByteGrid& grid, int row) {
    return QStringLiteral("Строка с адреса ") + AddressText::funHexAdres(GridGeometry::rowAddress(grid.screenStart(), row));
}

QString difference(const ScreenModel& model, int index) {
    // Dark red is not all a screen reader can tell: it hears the other file's byte.
    if (model.ink(index) != ScreenModel::Ink::Mismatch) return QString();
    return QStringLiteral("отличается, в файле %1: ").arg(model.fileInView() == 1 ? QStringLiteral("В") : QStringLiteral("А")) +
           ScreenModel::byteText(model.otherByte(index));
}

QAccessibleInterface* hexCell(const ByteGrid& grid, int index) { return place(grid, Kind::Hex, index); }
QAccessibleInterface* symbol(const ByteGrid& grid, int index) { return place(grid, Kind::Symbol, index); }
QAccessibleInterface* rowAddress(const ByteGrid& grid, int row) { return place(grid, Kind::Row, row); }

struct Announcement::Texts {
    std::array<QString, kCells> hex;
    std::array<QString, kCells> symbols;
};

Announcement::Announcement(const ByteGrid& grid) : grid_(grid) {
    if (!heard()) return;
    before_ = std::make_unique<Texts>();
    for (int i = 0; i < kCells; ++i) {
        before_->hex[std::size_t(i)] = grid.cellText(i);
        before_->symbols[std::size_t(i)] = grid.symbolText(i);
    }
}

Announcement::~Announcement() {
    if (!before_) return;
    for (int i = 0; i < kCells; ++i) {
        // The cell being edited is a line edit, which tells of its text itself.
        const QString hex = grid_.cellText(i);
        if (hex != before_->hex[std::size_t(i)] && !(grid_.editor() && grid_.editor()->index() == i)) {
            QAccessibleTextUpdateEvent update(hexCell(grid_, i), 0, before_->hex[std::size_t(i)], hex);
            announce(&update);
        }
        // Another control character is another character, though both are drawn as a dot.
        const QString character = grid_.symbolText(i);
        if (character != before_->symbols[std::size_t(i)]) {
            QAccessibleInterface* iface = symbol(grid_, i);
            QAccessibleTextUpdateEvent update(iface, 0, ByteGrid::shownCharacter(before_->symbols[std::size_t(i)]),
                                              ByteGrid::shownCharacter(character));
            announce(&update);
            QAccessibleEvent name(iface, QAccessible::NameChanged);
            announce(&name);
        }
    }
}

void namesChanged(const ByteGrid& grid) {
    if (!heard()) return;
    for (int r = 0; r < kRows; ++r) {
        QAccessibleEvent name(rowAddress(grid, r), QAccessible::NameChanged);
        announce(&name);
    }
    for (int i = 0; i < kCells; ++i) {
        if (grid.editor() && grid.editor()->index() == i) continue;  // its line edit is renamed
        QAccessibleEvent name(hexCell(grid, i), QAccessible::NameChanged);
        announce(&name);
    }
}

void setListener(std::function<void(QAccessibleEvent*)> heard) { listener = std::move(heard); }

}  // namespace GridAccessibility
