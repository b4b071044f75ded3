#pragma once

#include <QWidget>

#include <functional>

#include "RunList.h"

// What the map asks of the runs found so far. Addresses lie within the common length.
struct MapRuns {
    // How many runs have a byte in [lo, hi), and where the first of them starts (-1 none).
    using Within = RunList::Within;
    std::function<Within(std::int64_t lo, std::int64_t hi)> within;
    // The start of the first run beginning after `address` / the last one beginning before
    // it; negative for none (or none known).
    std::function<std::int64_t(std::int64_t address)> next;
    std::function<std::int64_t(std::int64_t address)> previous;
    // Where the comparison has got to: nothing is known of the bytes from there on.
    std::function<std::int64_t()> compared;
};

// A narrow strip as tall as the list: each pixel row stands for an equal share of the
// shorter file, dark red where a run falls, hatched where the files have not been compared
// yet; the screen in view is marked. A click goes to the run under the pointer: the nearest
// within 3 pixel rows, at its start when that is as near, else (a long run) at the part
// under the pointer; far from any run, to the address there. With the focus the arrows step
// from run to run and Enter goes to the run marked. Screen readers get the same in words.
class MismatchMap : public QWidget {
    Q_OBJECT

public:
    explicit MismatchMap(QWidget* parent = nullptr);

    void setRuns(MapRuns runs) { runs_ = std::move(runs); }
    void setMap(const RunMap& map);
    // The address of the screen in view, -1 for none.
    void setScreen(std::int64_t address);
    // What a screen reader hears as the map's value: the marked run.
    QString markedText() const;
    // Moves the keyboard's mark to the next (+1) or previous (-1) run, or goes there (0).
    void step(int direction);

    std::function<void(std::int64_t address)> onJump;

    QSize sizeHint() const override { return {18, 200}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool event(QEvent* event) override;

private:
    // The addresses pixel row y stands for.
    std::pair<std::int64_t, std::int64_t> rowSpan(int y) const;
    int rowOf(std::int64_t address) const;
    // The row a click at y means: the nearest with a run within 3 rows, else y itself.
    int chosenRow(int y) const;
    // The address a click at pixel row y goes to, -1 for none.
    std::int64_t targetAt(int y) const;
    // What the map says of an address whose row spans [lo, hi): "Адрес 0200800, участков: 1".
    QString describeAt(std::int64_t address, std::int64_t lo, std::int64_t hi) const;
    MapRuns::Within within(std::int64_t lo, std::int64_t hi) const;
    std::int64_t compared() const;
    void mark(std::int64_t address);
    void describe();

    RunMap map_;
    MapRuns runs_;
    std::int64_t screen_ = -1;
    std::int64_t marked_ = -1;
    std::int64_t comparedShown_ = -1;
};
