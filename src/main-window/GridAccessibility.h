#pragma once

#include <QString>

#include <functional>

class QAccessibleEvent;
class QObject;
class QWidget;

// What assistive technology reads of the grid. The grid paints the cells itself, so the
// cell widgets' own line-edit text and geometry say nothing true; each hex and character
// cell answers instead with what is painted in it and where.
namespace GridAccessibility {

// Makes the cells answer with their own interfaces; once per process, before the first
// cell is asked.
void install();
// A cell's painted text changed from `before`: a screen reader that follows is told. Free
// while no assistive technology listens.
void textChanged(QWidget* cell, const QString& before, const QString& after);
// Hears the cells' announcements instead of the platform's accessibility, which listens
// only while assistive technology runs; empty gives them back to it. For tests.
void setListener(std::function<void(QAccessibleEvent*)> listener);

}  // namespace GridAccessibility
