#pragma once

#include <QString>

#include <functional>
#include <memory>
#include <vector>

class PaintedGrid;
class QAccessibleEvent;
class QAccessibleInterface;

// What assistive technology reads of a grid. The grid paints its places without a widget
// for each, so each one answers through an interface of its own, made when a screen reader
// first asks for it and costing nothing before: its text, name, state and the box it is
// painted in, all asked of the grid (PaintedGrid::place…). The grid reads as a table: a
// row of the grid is a row of it; per side, the row address, the hex cells and the
// characters are its columns. While a place has the keyboard in a line edit, the line edit
// answers for it.
namespace GridAccessibility {

// Makes the grids answer with their places; once per process, before the first is asked.
void install();
// The grid is going: its places' interfaces go with it.
void forget(const PaintedGrid& grid);

// The interfaces of a hex cell, a character cell and a row address.
QAccessibleInterface* hexCell(const PaintedGrid& grid, int index);
QAccessibleInterface* symbol(const PaintedGrid& grid, int index);
QAccessibleInterface* rowAddress(const PaintedGrid& grid, int row);

// Made before a change of the grid's texts, tells a screen reader that follows which cells
// show another text once it goes. Free while no one listens.
class Announcement {
public:
    explicit Announcement(const PaintedGrid& grid);
    ~Announcement();
    Announcement(const Announcement&) = delete;
    Announcement& operator=(const Announcement&) = delete;

private:
    const PaintedGrid& grid_;
    std::unique_ptr<std::vector<QString>> before_;  // hex cells, then characters
};
// The places have other names (the addresses on screen moved).
void namesChanged(const PaintedGrid& grid);
// The grid's own cursor moved to another cell (PaintedGrid::cursorCell).
void cursorMoved(const PaintedGrid& grid);

// Hears the grids' announcements instead of the platform's accessibility, which listens
// only while assistive technology runs; empty gives them back to it. For tests.
void setListener(std::function<void(QAccessibleEvent*)> listener);

}  // namespace GridAccessibility
