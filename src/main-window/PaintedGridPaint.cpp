// Painting the grid: each place (a hex cell, a character, a row address) from an image made
// once for what it shows, copied into the window's pixels; the room between the places in
// the window's face.
#include "PaintedGrid.h"

#include <QBackingStore>
#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <QTextLayout>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "AddressText.h"
#include "CodePage.h"
#include "ScreenModel.h"

namespace {

constexpr std::uint32_t kNotPainted = 0xFFFFFFFF;
constexpr std::int64_t kRowNotPainted = INT64_MIN;

// QRect::intersects, inline: asked of every place at every paint.
bool overlap(const QRect& a, const QRect& b) {
    return a.left() <= b.right() && b.left() <= a.right() && a.top() <= b.bottom() && b.top() <= a.bottom() &&
           !a.isEmpty() && !b.isEmpty();
}

const QString& hexDigits() {
    static const QString digits = QStringLiteral("0123456789ABCDEF");
    return digits;
}

}  // namespace

// Where the pixels of the window are, when the grid can copy its images straight into them.
struct PaintedGrid::Pixels {
    uchar* bits = nullptr;
    qsizetype stride = 0;
    int bytesPerPixel = 0;
    int ratio = 1;
    QPoint origin;  // of the grid, in the window's pixels
    QRect clip;  // in the window's pixels
};

void PaintedGrid::refresh() {
    // Only the places that show something else are painted again; a page is most of them.
    QRect rows, hex, symbols;
    for (std::size_t r = 0; r < shownRow_.size(); ++r)
        if (paintedRow_[r] != shownRow_[r]) rows |= rowPlaces_[r];
    for (std::size_t i = 0; i < shownHex_.size(); ++i) {
        if (paintedHex_[i] != shownHex_[i] || shownHex_[i] % kHexGlyphs == kOwnText) hex |= hexPlaces_[i];
        if (paintedSymbol_[i] != shownSymbol_[i]) symbols |= symbolPlaces_[i];
    }
    for (const QRect& area : {rows, hex, symbols})
        if (!area.isNull()) repaintPlaces(area);
}

void PaintedGrid::forgetImages() {
    hexTiles_ = TileAtlas();
    symbolTiles_ = TileAtlas();
    prepared_ = 0;
    preparedAll_ = false;
    digitTiles_.clear();
    emptyRow_ = QImage();
    tileFormat_ = QImage::Format_Invalid;
    paintedHex_.assign(shownHex_.size(), kNotPainted);
    paintedSymbol_.assign(shownSymbol_.size(), kNotPainted);
    paintedRow_.assign(shownRow_.size(), kRowNotPainted);
    prepareDigits();
}

void PaintedGrid::placeGaps() {
    // The room between the places: columns of it the height of the grid and rows of it its
    // width. All rows of places stand alike, so the first row's places find the columns.
    gaps_.clear();
    if (rowPlaces_.empty()) return;
    std::vector<std::pair<int, int>> across;
    for (std::size_t k = 0; k < std::size_t(sides_); ++k) across.emplace_back(rowPlaces_[k].left(), rowPlaces_[k].right() + 1);
    for (std::size_t c = 0; c < std::size_t(sides_ * columns_); ++c) {
        across.emplace_back(hexPlaces_[c].left(), hexPlaces_[c].right() + 1);
        across.emplace_back(symbolPlaces_[c].left(), symbolPlaces_[c].right() + 1);
    }
    std::vector<std::pair<int, int>> down;
    for (std::size_t r = 0; r < rowPlaces_.size(); r += std::size_t(sides_))
        down.emplace_back(rowPlaces_[r].top(), rowPlaces_[r].bottom() + 1);
    auto between = [](std::vector<std::pair<int, int>> taken, int end, auto add) {
        std::sort(taken.begin(), taken.end());
        int from = 0;
        for (const auto& [begin, stop] : taken) {
            if (begin > from) add(from, begin);
            from = std::max(from, stop);
        }
        if (from < end) add(from, end);
    };
    between(across, width(), [this](int x0, int x1) { gaps_.emplace_back(x0, 0, x1 - x0, height()); });
    between(down, height(), [this](int y0, int y1) { gaps_.emplace_back(0, y0, width(), y1 - y0); });
}

// ---- The images ----

QImage PaintedGrid::renderCell(const QSize& size, const QString& text, const QColor& foreground,
                            const QColor& background, bool hex) const {
    const qreal ratio = devicePixelRatioF();
    QImage image(size * ratio, tileFormat_);
    image.setDevicePixelRatio(ratio);
    image.fill(background);
    if (text.isEmpty()) return image;
    QPainter painter(&image);
    painter.setFont(font());
    const QFontMetrics fm = fontMetrics();
    const int top = (size.height() - fm.height() + 1) / 2;
    if (hex) {
        // Where a line edit without a frame puts its centred text: 2 pixels of margin each
        // side and a pixel of room for the cursor.
        painter.setPen(foreground);
        const int used = fm.horizontalAdvance(text) + 1;
        painter.drawText(2 + (size.width() - 4 - used) / 2, top + fm.ascent(), text);
        return image;
    }
    // Control characters show as a faint dot; "&" is drawn as itself.
    QColor pen = foreground;
    if (isControl(text.at(0))) pen.setAlpha(90);
    painter.setPen(pen);
    painter.drawText(QRectF(QPointF(0, 0), size), Qt::AlignCenter | Qt::TextSingleLine, shownCharacter(text.left(1)));
    return image;
}

PaintedGrid::Tile PaintedGrid::tileOf(const QImage& image) { return {image.constBits(), image.bytesPerLine(), image.size()}; }

PaintedGrid::Tile PaintedGrid::hexTile(int index) {
    const std::uint32_t key = shownHex_[std::size_t(index)];
    if (key % kHexGlyphs == kOwnText) {
        // The owner's text is drawn as it is, every time.
        keptTile_ = renderCell(hexPlaces_[std::size_t(index)].size(), ownText(index), inkColor(int(key / kHexGlyphs / kGrounds), false),
                               groundColor(int(key / kHexGlyphs % kGrounds)), true);
        return tileOf(keptTile_);
    }
    return {hexPixels(key), hexTiles_.stride(), hexTiles_.size()};
}

const uchar* PaintedGrid::hexPixels(std::uint32_t key) {
    if (const uchar* pixels = hexTiles_.pixels(int(key))) return pixels;
    const std::uint32_t glyph = key % kHexGlyphs;
    const QColor ground = groundColor(int(key / kHexGlyphs % kGrounds));
    const QString text = glyph < 256 ? ScreenModel::byteText(int(glyph)) : glyph == kGap ? QStringLiteral("--") : QString();
    const QImage image = renderCell(hexPlaces_[0].size(), text, inkColor(int(key / kHexGlyphs / kGrounds), false), ground, true);
    return hexTiles_.store(int(key), image, ground);
}

PaintedGrid::Tile PaintedGrid::symbolTile(int index) {
    return {symbolPixels(shownSymbol_[std::size_t(index)]), symbolTiles_.stride(), symbolTiles_.size()};
}

const uchar* PaintedGrid::symbolPixels(std::uint32_t key) {
    if (const uchar* pixels = symbolTiles_.pixels(int(key))) return pixels;
    const bool none = key == kNoCharacter;
    const QColor ground = groundColor(!none && key >> 8 & 1 ? 1 : 0);
    QString character;
    if (!none) {
        const auto value = std::uint8_t(key & 0xFF);
        character = QString(key >> 9 & 1 ? CodePage::oemChar(value) : CodePage::ansiChar(value));
    }
    const QImage image = renderCell(symbolPlaces_[0].size(), character, inkColor(none ? 0 : int(key >> 10 & 3), true), ground, false);
    return symbolTiles_.store(int(key), image, ground);
}

void PaintedGrid::prepareTiles() {
    // While the window waits for the user: the images of every byte as the owner expects
    // most places to show them, a few at a time, so that paging seldom waits for one to be
    // drawn.
    preparing_ = false;
    if (tileFormat_ == QImage::Format_Invalid || hexTiles_.isEmpty()) return;
    const std::vector<TileRun> runs = tilesAhead();
    const int count = int(runs.size()) * 256;
    for (int made = 0; prepared_ < count && made < 32; ++prepared_, ++made) {
        const TileRun& run = runs[std::size_t(prepared_ / 256)];
        const auto value = std::uint32_t(prepared_ % 256);
        if (run.characters)
            symbolPixels(run.first | value);
        else
            hexPixels(run.first + value);
    }
    preparedAll_ = prepared_ >= count;
    if (!preparedAll_) {
        preparing_ = true;
        QTimer::singleShot(0, this, &PaintedGrid::prepareTiles);
    }
}

void PaintedGrid::prepareDigits() {
    QTextLayout layout(hexDigits(), font());
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    const QList<QGlyphRun> runs = layout.glyphRuns();
    digits_ = QGlyphRun();
    digitAdvance_ = 0;
    if (runs.size() == 1 && runs[0].glyphIndexes().size() == hexDigits().size()) {
        digits_ = runs[0];
        digitAdvance_ = runs[0].positions()[1].x() - runs[0].positions()[0].x();
    }
    digitsSpill_ = digitAdvance_ <= 0;
    digitEdges_.clear();
}

QImage PaintedGrid::rowImage(const QString& text, int from, int to) const {
    const QSize box = rowPlaces_[0].size();
    const qreal ratio = devicePixelRatioF();
    QImage image(box * ratio, tileFormat_);
    image.setDevicePixelRatio(ratio);
    image.fill(rowBackground());
    QPainter painter(&image);
    painter.setPen(rowForeground());
    const QFontMetrics fm = fontMetrics();
    // Where a line edit without a frame puts its centred text.
    const qreal advance = digitAdvance_ > 0 ? qreal(text.size()) * digitAdvance_ : fm.horizontalAdvance(text);
    const int used = qRound(advance) + 1 + std::max(0, -fm.minRightBearing());
    const QPoint origin(2 + (box.width() - 4 - used) / 2, (box.height() - fm.height() + 1) / 2 + fm.ascent());
    if (digitAdvance_ <= 0) {
        painter.setFont(font());
        painter.drawText(origin, text);
        return image;
    }
    QList<quint32> glyphs;
    QList<QPointF> positions;
    for (int k = from; k < to; ++k) {
        glyphs << digits_.glyphIndexes()[AddressText::hexDigitValue(text.at(k))];
        positions << QPointF(qreal(k) * digitAdvance_, 0);
    }
    QGlyphRun run;
    run.setRawFont(digits_.rawFont());
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    painter.drawGlyphRun(origin, run);
    return image;
}

const std::vector<int>& PaintedGrid::digitEdges(int digits) {
    // Digit k of a label of `digits` digits stands from edge k to edge k + 1, in pixels of
    // the images: where the whole label puts its glyph.
    if (int(digitEdges_.size()) == digits + 1) return digitEdges_;
    const qreal ratio = devicePixelRatioF();
    const int width = qRound(rowPlaces_[0].width() * ratio);
    const QFontMetrics fm = fontMetrics();
    const int used = qRound(digits * digitAdvance_) + 1 + std::max(0, -fm.minRightBearing());
    const int left = 2 + (rowPlaces_[0].width() - 4 - used) / 2;
    digitEdges_.assign(std::size_t(digits + 1), 0);
    for (int k = 1; k < digits; ++k)
        digitEdges_[std::size_t(k)] = std::clamp(int(std::floor((left + k * digitAdvance_) * ratio)), 0, width);
    digitEdges_[std::size_t(digits)] = width;
    return digitEdges_;
}

const PaintedGrid::DigitTile* PaintedGrid::digitTile(int digits, int k, int digit) {
    DigitTile& tile = digitTiles_[(quint32(digits) << 8) | (quint32(k) << 4) | quint32(digit)];
    if (!tile.image.isNull()) return &tile;
    // The digit alone in its place; the rest of the box must stay as if it were empty.
    const QString text(digits, hexDigits().at(digit));
    const QImage alone = rowImage(text, k, k + 1);
    const QImage empty = rowImage(text, 0, 0);
    const std::vector<int>& edges = digitEdges(digits);
    const int from = edges[std::size_t(k)], to = edges[std::size_t(k) + 1];
    const int bytesPerPixel = alone.depth() / 8;
    QRect ink;
    for (int y = 0; y < alone.height() && !digitsSpill_; ++y) {
        const uchar* a = alone.constScanLine(y);
        const uchar* e = empty.constScanLine(y);
        digitsSpill_ = std::memcmp(a, e, size_t(from * bytesPerPixel)) != 0 ||
                       std::memcmp(a + to * bytesPerPixel, e + to * bytesPerPixel, size_t((alone.width() - to) * bytesPerPixel)) != 0;
        if (std::memcmp(a + from * bytesPerPixel, e + from * bytesPerPixel, size_t((to - from) * bytesPerPixel)) != 0)
            ink |= QRect(0, y, to - from, 1);
    }
    if (digitsSpill_) return nullptr;
    tile.image = alone.copy(from, 0, to - from, alone.height());
    tile.ink = ink;
    return &tile;
}

// ---- Putting them in place ----

void PaintedGrid::putTile(QPainter& painter, const Tile& tile, const QRect& place, int deviceLeft, const Pixels* to,
                       const QRect& part) {
    if (!to) {
        QImage image(tile.bits, tile.size.width(), tile.size.height(), tile.stride, tileFormat_);
        const qreal ratio = devicePixelRatioF();
        image.setDevicePixelRatio(ratio);
        painter.drawImage(QPointF(place.left() + deviceLeft / ratio, place.top()), image);
        return;
    }
    // Row by row, as the bytes they are: the tile and the window share one pixel format.
    const QPoint at = to->origin + place.topLeft() * to->ratio + QPoint(deviceLeft, 0);
    const QRect target = (part.isNull() ? QRect(at, tile.size) : part.translated(at)).intersected(to->clip);
    if (target.isEmpty()) return;
    const size_t length = size_t(target.width()) * size_t(to->bytesPerPixel);
    const qsizetype from = tile.stride;
    const uchar* source = tile.bits + (target.y() - at.y()) * from + qsizetype(target.x() - at.x()) * to->bytesPerPixel;
    uchar* line = to->bits + target.y() * to->stride + qsizetype(target.x()) * to->bytesPerPixel;
    for (int y = 0; y < target.height(); ++y, line += to->stride, source += from) std::memcpy(line, source, length);
}

void PaintedGrid::paintRow(QPainter& painter, int r, const Pixels* to, const QString& before) {
    const std::int64_t number = shownRow_[std::size_t(r)];
    const QString text = number == kNoLabel ? QString() : rowLabel(number);
    const int digits = int(text.size());
    const QRect& place = rowPlaces_[std::size_t(r)];
    if (digits == 0) {
        if (emptyRow_.isNull()) emptyRow_ = rowImage(QString(), 0, 0);
        putTile(painter, tileOf(emptyRow_), place, 0, to);
        return;
    }
    // Each digit from its place's image while the font keeps its digits within their places;
    // a digit that replaces another only where either has ink, so that a page writes as few
    // lines of the window as it can.
    const DigitTile* tiles[32] = {};
    const DigitTile* was[32] = {};
    const bool same = before.size() == text.size();
    for (int k = 0; k < digits && k < 32 && !digitsSpill_; ++k) {
        tiles[k] = digitTile(digits, k, AddressText::hexDigitValue(text.at(k)));
        if (same && !digitsSpill_ && before.at(k) != text.at(k)) was[k] = digitTile(digits, k, AddressText::hexDigitValue(before.at(k)));
    }
    if (digitsSpill_ || digits > 32) {
        const QImage whole = rowImage(text, 0, digits);
        putTile(painter, tileOf(whole), place, 0, to);
        return;
    }
    const std::vector<int>& edges = digitEdges(digits);
    for (int k = 0; k < digits; ++k) {
        if (!same)
            putTile(painter, tileOf(tiles[k]->image), place, edges[std::size_t(k)], to);
        else if (before.at(k) != text.at(k))
            if (const QRect part = tiles[k]->ink | was[k]->ink; !part.isEmpty())
                putTile(painter, tileOf(tiles[k]->image), place, edges[std::size_t(k)], to, part);
    }
}

namespace {

// How a place is painted: not at all, only where its characters stand, or whole.
enum class Stroke : std::uint8_t { None, Ink, Whole };

int hexGround(std::uint32_t key) {
    return key == kNotPainted ? -1 : int(key / PaintedGrid::kHexGlyphs % PaintedGrid::kGrounds);
}
int symbolGround(std::uint32_t key) {
    return key == kNotPainted ? -1 : key == PaintedGrid::kNoCharacter ? 0 : int(key >> 8 & 1);
}

}  // namespace

void PaintedGrid::repaintPlaces(const QRect& area) {
    requested_ += area;
    update(area);
}

void PaintedGrid::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    // The window's own pixels, when they are an image in which the grid stands at whole
    // pixels: the images are copied straight into it, in its pixel format.
    Pixels pixels;
    const Pixels* to = nullptr;
    const QPaintEngine* engine = painter.paintEngine();
    const QTransform device = painter.deviceTransform();
    const qreal ratio = devicePixelRatioF();
    QImage::Format format = QImage::Format_ARGB32_Premultiplied;
    if (engine && engine->type() == QPaintEngine::Raster && engine->paintDevice()->devType() == QInternal::Image &&
        ratio == std::floor(ratio) && device.type() <= QTransform::TxScale && device.m11() == ratio &&
        device.m22() == ratio && device.dx() == std::floor(device.dx()) && device.dy() == std::floor(device.dy())) {
        auto* image = static_cast<QImage*>(engine->paintDevice());
        if (image->depth() >= 8) {
            format = image->format();
            pixels = {image->bits(), image->bytesPerLine(), image->depth() / 8, int(ratio),
                      QPoint(int(device.dx()), int(device.dy())), QRect()};
            to = &pixels;
        }
    }
    // The images are made in the window's format; painted elsewhere (a grab), they are
    // converted as they are drawn.
    if (tileFormat_ == QImage::Format_Invalid || (to && format != tileFormat_)) {
        forgetImages();
        tileFormat_ = format;
    }
    if (hexTiles_.isEmpty() && !hexPlaces_.empty())
        hexTiles_.reset(hexPlaces_[0].size() * ratio, tileFormat_, int(kInks * kGrounds * kHexGlyphs), int(kHexGlyphs));
    if (symbolTiles_.isEmpty() && !symbolPlaces_.empty())
        symbolTiles_.reset(symbolPlaces_[0].size() * ratio, tileFormat_, int(kNoCharacter + 1), 256);

    // On the screen, the window system keeps every pixel of the window as it was painted,
    // unless the window is see-through (cleared before each paint). There a place that shows
    // what it showed needs no paint, and one on the same ground only the box its characters
    // stand in; but only what the grid itself asked to paint again is sure to hold its last
    // painting: the rest of the region (uncovered, resized, scrolled in) is painted whole,
    // and so is everything painted elsewhere (a grab).
    QBackingStore* store = backingStore();
    const bool onScreen = store && engine && engine->paintDevice() == store->paintDevice();
    const QWindow* handle = window()->windowHandle();
    const bool kept = to && onScreen && handle && !handle->format().hasAlpha();
    const QRegion& region = event->region();
    const QRegion whole = kept ? region.subtracted(requested_) : region;
    if (onScreen) requested_ = QRegion();
    const QRect bounds = region.boundingRect();
    auto stroke = [&](const QRect& place, bool same, bool sameGround) {
        if (!overlap(bounds, place) || !region.intersects(place)) return Stroke::None;
        if (whole.intersects(place)) return Stroke::Whole;
        return same ? Stroke::None : sameGround ? Stroke::Ink : Stroke::Whole;
    };
    const std::size_t labels = shownRow_.size(), cells = shownHex_.size();
    rowsBefore_.resize(labels);
    rowStroke_.resize(labels);
    for (std::size_t r = 0; r < labels; ++r) {
        const std::int64_t now = shownRow_[r], was = paintedRow_[r];
        const Stroke row = stroke(rowPlaces_[r], was == now, was != kRowNotPainted);
        rowStroke_[r] = std::uint8_t(row);
        rowsBefore_[r] = row != Stroke::Ink || was == kNoLabel ? QString() : rowLabel(was);
        if (row != Stroke::None && onScreen) paintedRow_[r] = now;
    }
    hexStroke_.resize(cells);
    symbolStroke_.resize(cells);
    hexBefore_ = paintedHex_;
    symbolBefore_ = paintedSymbol_;
    for (std::size_t i = 0; i < cells; ++i) {
        const std::uint32_t hexNow = shownHex_[i], symbolNow = shownSymbol_[i];
        // The owner's text is drawn afresh every time, and wholly painted over.
        const bool own = hexNow % kHexGlyphs == kOwnText || paintedHex_[i] % kHexGlyphs == kOwnText;
        const Stroke hex = stroke(hexPlaces_[i], paintedHex_[i] == hexNow && !own, hexGround(paintedHex_[i]) == hexGround(hexNow) && !own);
        const Stroke symbol = stroke(symbolPlaces_[i], paintedSymbol_[i] == symbolNow, symbolGround(paintedSymbol_[i]) == symbolGround(symbolNow));
        hexStroke_[i] = std::uint8_t(hex);
        symbolStroke_[i] = std::uint8_t(symbol);
        if (!onScreen) continue;
        if (hex != Stroke::None) paintedHex_[i] = hexNow;
        if (symbol != Stroke::None) paintedSymbol_[i] = symbolNow;
    }

    const QColor face = palette().color(QPalette::Window);
    if (to && (faceLine_.width() != width() * pixels.ratio || faceLine_.format() != format || faceLine_.pixelColor(0, 0) != face)) {
        // A line of the window's face, copied into the room between the places.
        faceLine_ = QImage(width() * pixels.ratio, 1, format);
        faceLine_.fill(face);
    }
    for (const QRect& rect : region) {
        painter.setClipRect(rect);
        pixels.clip = QRect(pixels.origin + rect.topLeft() * pixels.ratio, rect.size() * pixels.ratio);
        if (whole.intersects(rect)) {
            for (const QRect& gap : gaps_) {
                if (!gap.intersects(rect)) continue;
                if (to)
                    putTile(painter, {faceLine_.constBits(), 0, QSize(gap.width() * pixels.ratio, gap.height() * pixels.ratio)},
                            gap, 0, to);
                else
                    painter.fillRect(gap.intersected(rect), face);
            }
        }
        for (std::size_t r = 0; r < labels; ++r)
            if (Stroke(rowStroke_[r]) != Stroke::None && overlap(rowPlaces_[r], rect)) paintRow(painter, int(r), to, rowsBefore_[r]);
        for (std::size_t i = 0; i < cells; ++i) {
            // On the same ground, what changes is where the old characters and the new stand.
            const Stroke hex = Stroke(hexStroke_[i]), symbol = Stroke(symbolStroke_[i]);
            if (hex != Stroke::None && overlap(hexPlaces_[i], rect)) {
                const Tile tile = hexTile(int(i));
                putTile(painter, tile, hexPlaces_[i], 0, to,
                        hex == Stroke::Ink ? hexTiles_.inkBox(int(shownHex_[i])) | hexTiles_.inkBox(int(hexBefore_[i])) : QRect());
            }
            if (symbol != Stroke::None && overlap(symbolPlaces_[i], rect)) {
                const Tile tile = symbolTile(int(i));
                putTile(painter, tile, symbolPlaces_[i], 0, to,
                        symbol == Stroke::Ink ? symbolTiles_.inkBox(int(shownSymbol_[i])) | symbolTiles_.inkBox(int(symbolBefore_[i]))
                                              : QRect());
            }
        }
    }
    if (!preparing_ && !preparedAll_) {
        preparing_ = true;
        QTimer::singleShot(0, this, &PaintedGrid::prepareTiles);
    }
}
