#pragma once

#include <QColor>
#include <QImage>
#include <QSize>

#include <memory>
#include <vector>

// Images of one size and pixel format, side by side in memory by number, each made when it
// is first wanted: the grid copies its cells from here, so that a page is a run of plain
// copies through a few blocks of memory rather than a search through separate images. A
// block is taken when one of its images is first made; what is never made costs nothing.
class TileAtlas {
public:
    // Empties the atlas for images of `size` pixels, in blocks of `perBlock` images.
    void reset(const QSize& size, QImage::Format format, int count, int perBlock);
    bool isEmpty() const { return ready_.empty(); }
    // The pixels of image `slot`, or nullptr while it is not made.
    const uchar* pixels(int slot) const { return ready_[std::size_t(slot)] ? at(slot) : nullptr; }
    // Keeps a copy of `image` (of the atlas's size and format), drawn on `ground`, as image
    // `slot`.
    const uchar* store(int slot, const QImage& image, const QColor& ground);
    // Where image `slot` differs from its ground, in its own pixels: the box its characters
    // stand in (none while it is not made).
    QRect inkBox(int slot) const { return boxes_[std::size_t(slot)]; }
    qsizetype stride() const { return stride_; }
    QSize size() const { return size_; }
    QImage::Format format() const { return format_; }

private:
    uchar* at(int slot) const;

    QSize size_;
    QImage::Format format_ = QImage::Format_Invalid;
    qsizetype stride_ = 0;
    int perBlock_ = 1;
    std::vector<std::unique_ptr<uchar[]>> blocks_;
    std::vector<bool> ready_;
    std::vector<QRect> boxes_;
};
