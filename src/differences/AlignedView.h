#pragma once

#include <QAbstractScrollArea>
#include <QColor>
#include <QString>

#include <cstdint>
#include <vector>

#include "AlignedLayout.h"

// Files A and B side by side, aligned by the script of changes that turns A into B: rows
// of 16 positions, each side with its own address, a gap "--" where a side lacks the
// bytes the other has. Read-only. Only the rows on screen are made, from the script and
// from one read of each file per paint, however long the files are.
//
// Keys: arrows, PageUp/PageDown, Home/End (Ctrl+ for the whole length) move the cursor
// framed on both sides; F6 and Shift+F6 go to the next and previous change.
class AlignedView : public QAbstractScrollArea {
    Q_OBJECT

public:
    enum class Side { A, B };
    static constexpr int kColumns = 16;

    // `changes` must be the script that turns the file at pathA into the one at pathB, in
    // order (as ChangeFinder gives it). The files are opened read-only for the view's life.
    AlignedView(const QString& pathA, const QString& pathB, std::vector<Change> changes, QWidget* parent = nullptr);
    ~AlignedView() override;

    const AlignedLayout& layout() const { return layout_; }

    // The aligned position of the cursor, and of the first position on screen.
    std::int64_t position() const { return position_; }
    std::int64_t topPosition() const { return topRow_ * kColumns; }
    // The side a screen reader is told the cursor is on: A's, unless A has a gap there.
    Side cursorSide() const;
    // Moves the cursor, scrolling it into view.
    void setPosition(std::int64_t position);
    // The cursor to the first position of change `index` of the script.
    void showChange(std::size_t index);
    // F6 and Shift+F6: the cursor to the beginning of the next (previous) change. False, and
    // nothing moves, when there is none.
    bool nextChange();
    bool previousChange();

    // How a cell is drawn: its text ("3F", "--" for a gap, empty past the end), colour, and
    // its place in the viewport (empty when it is not on screen).
    struct Cell {
        QString text;
        QColor color;
        AlignedLayout::Place place;
        QRect rect;
    };
    Cell cell(std::int64_t position, Side side) const;
    // Rows on screen, whole or not.
    int visibleRows() const;
    QSize sizeHint() const override;

    // Bytes of replacements; bytes of insertions and deletions, and their gaps.
    static QColor replacedColor();
    static QColor insertedColor();

signals:
    // The cursor moved; `change` is the index of the change it is in, or -1.
    void positionChanged(std::int64_t position, std::int64_t change);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool event(QEvent* event) override;

private:
    friend class AlignedViewAccessibility;

    void measure();
    void updateScrollBar();
    void setTopRow(std::int64_t row);
    std::int64_t rowCount() const { return (layout_.length() + kColumns - 1) / kColumns; }
    // Rows wholly on screen, and the top row that shows the last one.
    int wholeRows() const;
    std::int64_t lastTopRow() const;
    // Reads the bytes of both files that the rows from topRow_ show.
    void readVisibleBytes() const;
    // The byte at `address` of a side, from the last read; -1 when it could not be read.
    int byteAt(Side side, std::int64_t address) const;
    QRect cellRect(std::int64_t position, Side side) const;
    QRect addressRect(int row, Side side) const;
    void announce();

    AlignedLayout layout_;
    int fdA_ = -1, fdB_ = -1;
    std::int64_t topRow_ = 0;
    std::int64_t position_ = 0;
    bool settingBar_ = false;

    // Geometry, from the font.
    int charWidth_ = 8, rowHeight_ = 16, headerHeight_ = 20, addressDigits_ = 7;
    int sideLeft_[2] = {0, 0};  // where each side's address column begins

    // The bytes read for the rows on screen: each side's from its first address on.
    mutable std::vector<std::uint8_t> bytes_[2];
    mutable std::int64_t bytesFrom_[2] = {0, 0};
    mutable std::int64_t bytesRead_[2] = {0, 0};
    QString nameA_, nameB_;
};
