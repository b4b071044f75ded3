#pragma once

#include <QWidget>

#include <functional>

#include "RunList.h"

// A narrow strip as tall as the list: each pixel row stands for an equal share of the
// shorter file, dark red where a run falls; the screen in view is marked, a click goes
// there. Screen readers get the same picture in words.
class MismatchMap : public QWidget {
    Q_OBJECT

public:
    explicit MismatchMap(QWidget* parent = nullptr);

    void setMap(const RunMap& map);
    // The address of the screen in view, -1 for none.
    void setScreen(std::int64_t address);
    // The address a click at pixel row y stands for.
    std::int64_t addressAt(int y) const;

    std::function<void(std::int64_t address)> onJump;

    QSize sizeHint() const override { return {18, 200}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void describe();
    RunMap map_;
    std::int64_t screen_ = -1;
};
