#pragma once

#include <QString>

class QHBoxLayout;
class QLabel;
class QProgressBar;
class QPushButton;
class QVBoxLayout;
class QWidget;

// What both lists' panels show above their tables: the summary, and while the list is being
// made its progress and "Стоп", otherwise "Обновить список". Named `prefix` + "Summary",
// "Progress", "Stop" and "Refresh" for tests and screen readers.
struct PanelHead {
    PanelHead(QWidget* body, QVBoxLayout* column, const QString& prefix, const QString& progressName);

    // The panel's state: the summary's text, and the controls of a list being made or not.
    void show(const QString& text, bool working, double done, bool refreshAllowed);

    QLabel* summary;
    QProgressBar* bar;
    QPushButton* stop;
    QPushButton* refresh;
    QHBoxLayout* controls;  // more buttons of the panel go here
};
