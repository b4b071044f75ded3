#pragma once

#include <QString>

#include <array>
#include <functional>
#include <memory>

class ByteGrid;
class QAccessibleEvent;
class QAccessibleInterface;
class ScreenModel;

// What assistive technology reads of the grid. The grid paints its cells and row addresses
// without a widget for each, so each one answers through an interface of its own, made
// from the screen model when a screen reader first asks for it and costing nothing before:
// its text, name, state and the box it is painted in. While a cell or row address has the
// keyboard, its line edit answers for it.
namespace GridAccessibility {

// Makes the grid answer with its cells; once per process, before the first grid is asked.
void install();
// The grid is going: its cells' interfaces go with it.
void forget(const ByteGrid& grid);

// A hex cell's name, by its address ("Адрес 0000105"); a row address's, by the address its
// row starts at; what a cell drawn dark red says of the other file's byte (empty otherwise).
QString cellName(const ByteGrid& grid, int index);
QString rowName(const ByteGrid& grid, int row);
QString difference(const ScreenModel& model, int index);

// The interfaces of a hex cell, a character cell and a row address.
QAccessibleInterface* hexCell(const ByteGrid& grid, int index);
QAccessibleInterface* symbol(const ByteGrid& grid, int index);
QAccessibleInterface* rowAddress(const ByteGrid& grid, int row);

// Made before a change of the grid's texts, tells a screen reader that follows which cells
// show another text once it goes. Free while no one listens.
class Announcement {
public:
    explicit Announcement(const ByteGrid& grid);
    ~Announcement();
    Announcement(const Announcement&) = delete;
    Announcement& operator=(const Announcement&) = delete;

private:
    struct Texts;
    const ByteGrid& grid_;
    std::unique_ptr<Texts> before_;
};
// The screen start changed: every cell and row address has another name.
void namesChanged(const ByteGrid& grid);

// Hears the grid's announcements instead of the platform's accessibility, which listens
// only while assistive technology runs; empty gives them back to it. For tests.
void setListener(std::function<void(QAccessibleEvent*)> listener);

}  // namespace GridAccessibility
