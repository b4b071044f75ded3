#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>

// The text dump, byte for byte. Five header lines, then one line per row of 16 bytes:
//
//   label  five blanks  sixteen 3-character fields  "|"  one character per byte present
//
// A field is "HH " for a byte, three blanks where the row has no byte, and ".. " for a byte
// the two files of a mismatch dump share (its character is then a blank). Everything is
// CP1251 and every line ends in CR LF.
namespace DumpFormat {

enum class Kind { Block = 0, File = 1, Mismatch = 2 };

constexpr int kRowBytes = 16;
// Where the byte fields begin: after a 6-digit label and five blanks. A longer label takes
// blanks from the gap (at least one stays), so every row of a dump keeps the columns of
// its header; only a dump with labels past 10 digits moves its fields, header included.
constexpr int kFieldColumn = 11;
constexpr int kRuleWidth = 76;  // the "=" and "-" lines, and a full data line
// The longest data line: the widest label (16 digits) and CR LF included.
constexpr int kMaxLineBytes = 16 + 5 + 3 * kRowBytes + 1 + kRowBytes + 2;
// Room the row writers need at `out`: they write some bytes past the line in whole blocks.
constexpr int kLineRoom = kMaxLineBytes + 32;

// The date and time of the title line, "dd.MM.yyyy HH:mm:ss".
QString nowText(const QDateTime& now);
// The field column of a dump whose rows cover the addresses below `end`.
int fieldColumn(std::int64_t end);
// The column header: the digit of column k stands above the second digit of field k.
QString columnHeader(int column = kFieldColumn);
// The five header lines. `block` counts only for the block dump.
QByteArray header(Kind kind, const QDateTime& now, std::int64_t block, const QString& fileName,
                  int column = kFieldColumn);

// The CP1251 byte the character part shows for each byte value: tab, line feed, vertical
// tab, form feed, carriage return and escape become a blank; everything else is the byte's
// character in CP1251 or, for the DOS view, its CP866 character written back in CP1251.
// Byte 0 stays a zero byte.
class CharTable {
public:
    explicit CharTable(bool dos);
    char operator[](std::uint8_t value) const { return table_[value]; }
    // Every byte stands for itself but the blanked controls (the CP1251 view).
    bool plain() const { return plain_; }

private:
    std::array<char, 256> table_{};
    bool plain_ = false;
};

// The labels of successive rows, kept as text and counted up in place, so a long dump
// formats no number per row. Starts from the label the screen shows for the row.
class RowLabel {
public:
    explicit RowLabel(std::int64_t rowAddress = 0, int column = kFieldColumn);
    const char* data() const { return text_.data(); }
    int size() const { return size_; }
    // The label followed by the blanks up to the field column, and blanks up to 32 bytes.
    const char* prefix() const { return text_.data(); }
    int prefixSize() const { return size_ < column_ ? column_ : size_ + 1; }
    void next();
    // Moves on by `rows` rows.
    void advance(std::uint64_t rows);

private:
    void grow();

    std::array<char, 32> text_{};
    int size_ = 0;
    int column_ = kFieldColumn;
};

// The data line of `count` (1..16) bytes at `out`; returns the end, past CR LF. `out` must
// have kLineRoom bytes of room.
char* fileRow(char* out, const RowLabel& label, const std::uint8_t* bytes, int count,
              const CharTable& chars);
namespace detail {
// fileRow without the vector instructions, as on a processor that lacks them.
char* fileRowPortable(char* out, const RowLabel& label, const std::uint8_t* bytes, int count,
                      const CharTable& chars);
}  // namespace detail

// The mismatch line of `count` bytes of files A and B; a differing byte shows the byte of
// file A when `showA`, else that of file B. Same room as fileRow.
char* mismatchRow(char* out, const RowLabel& label, const std::uint8_t* a, const std::uint8_t* b,
                  int count, bool showA, const CharTable& chars);
// The line of one row of the screen from the texts of its 16 cells as shown: a non-empty
// text t gives the field t + " " and the character of its value; an empty one three blanks.
QByteArray cellRow(const QString& label, const QStringList& cellTexts, const CharTable& chars,
                   int column = kFieldColumn);

}  // namespace DumpFormat
