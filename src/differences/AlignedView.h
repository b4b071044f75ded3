#pragma once

#include <vector>

#include "AlignedLayout.h"
#include "PaintedGrid.h"

// Files A and B side by side, aligned by the script of changes that turns A into B: per row
// each side's address, bytes and characters, "--" where a side lacks the bytes the other
// has; same bytes black, replaced dark red, inserted and deleted blue. Read-only, on the grid
// engine; only the rows on screen are read. Under them, where the cursor is. Keys: those of
// the cursor, F6 and Shift+F6 to the next and previous change, Enter, Esc.
class AlignedView : public PaintedGrid {
    Q_OBJECT

public:
    AlignedView(AlignedLayout layout, AlignedLayout::Read read, QWidget* parent = nullptr);

    const AlignedLayout& layout() const { return layout_; }
    // The aligned position of the cursor, and of the first position on screen.
    std::int64_t position() const { return cursor_.position(); }
    std::int64_t topPosition() const { return cursor_.top(); }
    void setPosition(std::int64_t position);
    // The cursor to the first position of change `index`; one out of sight comes to the top.
    void showChange(std::size_t index);
    void setDos(bool dos);
    // The script no longer holds (a file was written or replaced): the reason is shown
    // instead of the bytes, for good.
    void setOutOfDate(const QString& reason);
    // The line under the rows: the cursor's addresses and bytes, and its change.
    QString readout() const { return footText(); }
    QSize sizeHint() const override { return arrangedSize(8, 16); }
    QSize minimumSizeHint() const override { return arrangedSize(4, 4); }

    QString placeName(Kind kind, int index) const override;
    QString placeDescription(Kind kind, int index) const override;
    int cursorCell() const override;

signals:
    // The cursor moved; `change` is the index of the change it is in, or -1.
    void positionChanged(std::int64_t position, std::int64_t change);
    void activated(std::int64_t addressA, std::int64_t addressB);
    void closeRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void shapeChanged() override { cursorMoved(); }
    void cursorMoved() override;
    QString rowLabel(std::int64_t number) const override;
    QColor inkColor(int ink, bool character) const override;
    QColor groundColor(int ground) const override;
    std::vector<TileRun> tilesAhead() const override;

private:
    // The place of a cell's side, or nullptr past the end.
    const AlignedLayout::Place* placeOf(int cell, int side) const;

    AlignedLayout layout_;
    AlignedLayout::Read read_;
    std::vector<AlignedLayout::Shown> shown_;
    QString outOfDate_;
    bool dos_ = false;
    std::int64_t shownTop_ = -1;
};
