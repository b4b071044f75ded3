#pragma once

#include <QAccessible>
#include <QGlyphRun>
#include <QImage>
#include <QRegion>
#include <QWidget>

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "GridCursor.h"
#include "TileAtlas.h"

class LineLabel;
class QKeyEvent;
class QLabel;

// The engine of every display of bytes. Rows of places, per side of a row a row address,
// hex cells and the characters of their bytes; each place painted from an image made once
// for what it shows (two digits or a character, in its colours), copied straight into the
// window's pixels; of a place that changed on the same ground, only the box its characters
// stand in. A page changes most places, and a widget per place costs many times that work.
//
// Its owner says what each place shows, as keys (hexKey, symbolKey, a number per row
// address), then calls refresh(); only what shows something else is painted again. What a
// screen reader hears of each place it asks the owner (the place… functions), through
// GridAccessibility, which reads the grid as a table.
//
// Hex cell and character i of side s in row r: i = (r * sides + s) * columns + column;
// row address r * sides + s.
class PaintedGrid : public QWidget {
    Q_OBJECT

public:
    enum class Kind { Row, Hex, Symbol };

    // What a hex cell shows: a byte 0..255, or one of these, in an ink on a ground (colours
    // the owner gives them).
    static constexpr std::uint32_t kNoValue = 256;
    static constexpr std::uint32_t kOwnText = 257;  // the owner's text (ownText), drawn afresh every time
    static constexpr std::uint32_t kGap = 258;       // "--": the side has no byte here
    static constexpr std::uint32_t kHexGlyphs = 259;
    static constexpr int kInks = 4;
    static constexpr int kGrounds = 3;
    static constexpr std::uint32_t hexKey(std::uint32_t glyph, int ink, int ground) {
        return (std::uint32_t(ink) * kGrounds + std::uint32_t(ground)) * kHexGlyphs + glyph;
    }
    // A character cell: a byte's character in the Windows or the DOS code page, in an ink, on
    // the face or the focus ground; or nothing.
    static constexpr std::uint32_t kNoCharacter = 4096;
    static constexpr std::uint32_t symbolKey(int value, int ink, bool focused, bool dos) {
        return value < 0 ? kNoCharacter
                         : std::uint32_t(value) | std::uint32_t(focused) << 8 | std::uint32_t(dos) << 9 |
                               std::uint32_t(ink) << 10;
    }
    // A row address that shows nothing.
    static constexpr std::int64_t kNoLabel = INT64_MIN + 1;

    explicit PaintedGrid(QWidget* parent);
    ~PaintedGrid() override;

    int sides() const { return sides_; }
    int rows() const { return rows_; }
    int columns() const { return columns_; }
    int cells() const { return int(hexPlaces_.size()); }
    // Where a hex cell, a character and a row address stand in the grid.
    QRect cellPlace(int index) const { return hexPlaces_[std::size_t(index)]; }
    QRect symbolPlace(int index) const { return symbolPlaces_[std::size_t(index)]; }
    QRect rowPlace(int row) const { return rowPlaces_[std::size_t(row)]; }
    // The place under a point, or -1.
    int placeAt(const QPoint& at, Kind* kind) const;
    // The column headers, in the order they are read.
    const std::vector<QLabel*>& headers() const { return headers_; }

    // A character as it is drawn: a control character as a faint dot.
    static QString shownCharacter(const QString& character);
    QColor rowForeground() const;
    QColor rowBackground() const;

    // What a screen reader hears of a place: its name, its text (by default what it shows;
    // a character cell's character as it is, control characters too), what more there is
    // to say; whether it takes typing; the line edit standing at it while it has the keyboard.
    virtual QString placeName(Kind kind, int index) const;
    virtual QString placeText(Kind kind, int index) const;
    virtual QString placeDescription(Kind, int) const { return QString(); }
    virtual bool placeEditable(Kind, int) const { return false; }
    virtual QWidget* placeEditor(Kind, int) const { return nullptr; }
    // A screen reader gives the keyboard to a place.
    virtual void focusPlace(Kind, int) {}
    // The hex cell the grid's own cursor is on while the grid has the keyboard, or -1.
    virtual int cursorCell() const { return -1; }
    // The side and the position (from the first on screen) of a hex or character cell, for
    // a grid with a cursor; and the cell of a position on screen.
    int sideOf(int cell) const { return cell / columns_ % sides_; }
    std::int64_t positionOf(int cell) const { return cell / (sides_ * columns_) * columns_ + cell % columns_; }
    int cellOf(std::int64_t position, int side) const {
        return int(position / columns_ * sides_ + side) * columns_ + int(position % columns_);
    }
    // The line under the rows of an arranged grid.
    QString footText() const;
    // Read as a table of cells, or as a client area of editable places.
    bool readAsTable() const { return readAsTable_; }

protected:
    // Rows of sides, each of `columns` cells; what every place shows is forgotten.
    void setShape(int sides, int rows, int columns);
    void setReadAsTable(bool table) { readAsTable_ = table; }
    // The places as the owner laid them out, then placesChanged(); all of one kind alike in
    // size. Or arrange(): by arithmetic, under a line of captions.
    std::vector<QRect> rowPlaces_, hexPlaces_, symbolPlaces_;
    std::vector<QLabel*> headers_;
    void placesChanged();
    // Lays out as many whole rows as fit, of as many bytes (16, 8 or 4) as fit with every
    // side whole; one caption per side above, a line of text below.
    void arrange(const QStringList& captions, int labelDigits);
    // The size that shows `rows` rows of `columns` bytes, arranged.
    QSize arrangedSize(int columns, int rows) const;
    void setFootText(const QString& text);
    // The shape changed under arrange(): the owner says again what each place shows.
    virtual void shapeChanged() {}

    // A grid with a cursor of its own over the positions of the cursor's length (read-only
    // displays): keys, clicks and the wheel move it, and the rows follow it.
    GridCursor cursor_;
    void setCursorKeys(bool on) { cursorKeys_ = on; }
    // Keys that are this display's while it has the keyboard, though the window has them too
    // (F6 steps through the aligned files' changes there).
    void keepKeys(const QList<QKeySequence>& keys);
    bool event(QEvent* event) override;
    // The cursor moved, or the rows it shows: the owner shows it.
    virtual void cursorMoved() {}
    // cursorMoved(), told to a screen reader too.
    void cursorChanged();
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    // The sizes of the places, from the grid's font, for row addresses of up to
    // `labelDigits` digits.
    struct Sizes {
        int cell, height, symbol, row;
    };
    Sizes sizes(int labelDigits = 7) const;
    // The width of one side of `columns` bytes, as arrange() lays it out.
    int sideWidth(int columns, int labelDigits) const;
    static constexpr int kSpacing = 2;
    static constexpr int kHexToCharacters = 10;  // room between the hex cells and the characters
    static constexpr int kBetweenSides = 16;

    void setCell(int cell, std::uint32_t hex, std::uint32_t symbol) {
        shownHex_[std::size_t(cell)] = hex;
        shownSymbol_[std::size_t(cell)] = symbol;
    }
    void setRowLabel(int row, std::int64_t number) { shownRow_[std::size_t(row)] = number; }
    std::uint32_t shownHex(int cell) const { return shownHex_[std::size_t(cell)]; }
    // Paints again what shows something else since the last refresh.
    void refresh();

    // The text of a row address that shows `number`.
    virtual QString rowLabel(std::int64_t number) const = 0;
    // The colours of an ink (of a hex cell or a character) and of a ground.
    virtual QColor inkColor(int ink, bool character) const = 0;
    virtual QColor groundColor(int ground) const = 0;
    // The text of a cell that shows kOwnText.
    virtual QString ownText(int) const { return QString(); }
    // Images made while the window waits, most wanted first: runs of 256 keys from `first`
    // (byte 0), of hex cells or of characters.
    struct TileRun {
        std::uint32_t first;
        bool characters;
    };
    virtual std::vector<TileRun> tilesAhead() const { return {}; }

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    // The font, palette or pixel format changed: every image is made again.
    void forgetImages();

    static QFont gridFont();
    // The move of a cursor key (arrows, PageUp/PageDown, Home/End, Ctrl+Home/End), or false.
    static bool cursorMove(const QKeyEvent* event, GridCursor::Move* move);
    static bool isControl(QChar ch) { return ch.unicode() < 0x20 || ch.unicode() == 0x7F; }

private:
    QList<QKeySequence> keptKeys_;
    void placeGaps();
    struct Pixels;
    QImage renderCell(const QSize& size, const QString& text, const QColor& foreground, const QColor& background,
                      bool hex) const;
    // The pixels of an image to copy into a place.
    struct Tile {
        const uchar* bits;
        qsizetype stride;
        QSize size;
    };
    static Tile tileOf(const QImage& image);
    Tile hexTile(int index);
    Tile symbolTile(int index);
    // The image of what a key shows, made when first wanted.
    const uchar* hexPixels(std::uint32_t key);
    const uchar* symbolPixels(std::uint32_t key);
    void prepareTiles();
    void prepareDigits();
    // A row address's box showing the digits [from, to) of `text` where the whole text puts them.
    QImage rowImage(const QString& text, int from, int to) const;
    const std::vector<int>& digitEdges(int digits);
    // The image of a digit in its place, and the lines its ink stands on.
    struct DigitTile {
        QImage image;
        QRect ink;
    };
    // A digit's image, or nullptr when the font's digits spill over.
    const DigitTile* digitTile(int digits, int k, int digit);
    // Copies a tile, or the part of it given in its own pixels, into a place.
    void putTile(QPainter& painter, const Tile& tile, const QRect& place, int deviceLeft, const Pixels* to,
                 const QRect& part = QRect());
    // Paints a row address; of a label `before` with as many digits, only the digits that differ.
    void paintRow(QPainter& painter, int row, const Pixels* to, const QString& before);
    // Asks for a paint of places whose pixels the grid painted last (see paintEvent).
    void repaintPlaces(const QRect& area);

    int sides_ = 1, rows_ = 0, columns_ = 0;
    bool readAsTable_ = false;
    // What arrange() was last asked for; laid out again at each resize.
    QStringList captions_;
    int labelDigits_ = 0;
    LineLabel* foot_ = nullptr;
    bool cursorKeys_ = false;
    // What each place shows now, and as last painted.
    std::vector<std::uint32_t> shownHex_, shownSymbol_, paintedHex_, paintedSymbol_;
    std::vector<std::int64_t> shownRow_, paintedRow_;
    // Kept between paints, so that a paint allocates nothing.
    std::vector<std::uint32_t> hexBefore_, symbolBefore_;
    std::vector<std::uint8_t> hexStroke_, symbolStroke_, rowStroke_;
    std::vector<QString> rowsBefore_;
    // The room between the places, painted in the window's face.
    std::vector<QRect> gaps_;
    // What the grid asked to paint again since its last paint.
    QRegion requested_;
    // Each image made once, in the window's pixel format: hex cells by key, characters by key.
    QImage::Format tileFormat_ = QImage::Format_Invalid;
    TileAtlas hexTiles_;
    TileAtlas symbolTiles_;
    QImage keptTile_;
    QImage emptyRow_;
    int prepared_ = 0;  // of the images made ahead (prepareTiles)
    bool preparing_ = false, preparedAll_ = false;
    QImage faceLine_;
    // Row addresses change with every page. Their hex digits are glyphs laid out once, and
    // a label of n digits puts digit k at a fixed pixel column, so each digit in each place
    // is drawn once and copied from there; should a font's digits spill into a neighbour's
    // place, labels are drawn whole each time.
    QGlyphRun digits_;
    qreal digitAdvance_ = 0;
    std::unordered_map<quint32, DigitTile> digitTiles_;  // by number of digits, place and digit
    std::vector<int> digitEdges_;
    bool digitsSpill_ = false;
};
