#pragma once

#include <QString>

class QDockWidget;
class QHBoxLayout;
class QLabel;
class QProgressBar;
class QPushButton;
class QVBoxLayout;
class QWidget;

// What both lists' panels show above their tables: the summary, and while the list is being
// made its progress and "Стоп", otherwise "Обновить список". Named `prefix` + "Summary",
// "Progress", "Stop" and "Refresh" for tests and screen readers. It also frames the panel:
// the dock, named `prefix` + "Dock", closable and movable, docked beside or below the form,
// no narrower than 40 digits (its table then scrolls), and its body's column, which holds
// the head at its top and the panel's own widgets below.
struct PanelHead {
    PanelHead(QDockWidget& dock, const QString& prefix, const QString& progressName);

    // The panel's state: the summary's text, and the controls of a list being made or not.
    void show(const QString& text, bool working, double done, bool refreshAllowed);

    QWidget* body;
    QVBoxLayout* column;
    QLabel* summary;
    QProgressBar* bar;
    QPushButton* stop;
    QPushButton* refresh;
    QHBoxLayout* controls;  // more buttons of the panel go here
};
