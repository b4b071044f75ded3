#include "TileAtlas.h"

#include <cstring>

void TileAtlas::reset(const QSize& size, QImage::Format format, int count, int perBlock) {
    size_ = size;
    format_ = format;
    stride_ = qsizetype(size.width()) * QImage::toPixelFormat(format).bitsPerPixel() / 8;
    perBlock_ = perBlock;
    blocks_.clear();
    blocks_.resize(std::size_t((count + perBlock - 1) / perBlock));
    ready_.assign(std::size_t(count), false);
    boxes_.assign(std::size_t(count), QRect());
}

uchar* TileAtlas::at(int slot) const {
    const auto& block = blocks_[std::size_t(slot / perBlock_)];
    return block.get() + qsizetype(slot % perBlock_) * stride_ * size_.height();
}

const uchar* TileAtlas::store(int slot, const QImage& image, const QColor& ground) {
    auto& block = blocks_[std::size_t(slot / perBlock_)];
    // Not cleared: a page of it is only taken from the system once an image is written there.
    if (!block) block.reset(new uchar[std::size_t(stride_ * size_.height() * perBlock_)]);
    uchar* pixels = at(slot);
    const int bytesPerPixel = int(stride_ / size_.width());
    QImage groundPixel(1, 1, format_);
    groundPixel.fill(ground);
    QRect& box = boxes_[std::size_t(slot)];
    box = QRect();
    for (int y = 0; y < size_.height(); ++y) {
        const uchar* line = image.constScanLine(y);
        std::memcpy(pixels + y * stride_, line, std::size_t(stride_));
        for (int x = 0; x < size_.width(); ++x)
            if (std::memcmp(line + x * bytesPerPixel, groundPixel.constBits(), std::size_t(bytesPerPixel)) != 0)
                box |= QRect(x, y, 1, 1);
    }
    ready_[std::size_t(slot)] = true;
    return pixels;
}
