#pragma once

#include <QChar>
#include <QString>

#include <array>
#include <bitset>

#include "GridGeometry.h"
#include "WindowRules.h"

// The 256 cells of the screen as the window shows them: the bytes of the file in view and
// of the other file at the same cells, the edits waiting to be recorded and the cell drawn
// with the focus. The grid paints from it, recording takes the edits from it and a screen
// reader is answered from it. A cell's colour is worked out from this state, never kept.
class ScreenModel {
public:
    static constexpr int kCells = GridGeometry::kCells;

    // What a drawing puts on the screen. Bytes are 0..255, -1 where a file has none.
    struct Screen {
        std::array<int, kCells> shown;  // the file in view
        std::array<int, kCells> other;  // the other file at the same cells; all -1 with one file
        int cells = kCells;  // how many cells from the first are drawn; the rest keep what they showed
        int fileInView = 1;  // 1 file A, 2 file B
        bool marked = false;  // mismatches are drawn (synchronised paging)
        bool dos = false;  // characters from the DOS code page
    };
    // The colour a hex cell's text is drawn in, and the ground under a cell.
    enum class Ink { Plain, Mismatch, Edited };
    enum class Ground { Face, Focus, FocusedMismatch };

    ScreenModel();

    // A new drawing: every edit and kept text goes.
    void show(const Screen& screen);

    int byte(int cell) const { return shown_[cell]; }
    int otherByte(int cell) const { return other_[cell]; }
    int fileInView() const { return fileInView_; }
    bool marked() const { return marked_; }
    bool dos() const { return dos_; }
    // Both files have a byte at the cell and they are not the same.
    bool differs(int cell) const { return !WindowRules::cellsEqual(shown_[cell], other_[cell]); }

    // An accepted value, waiting to be recorded; the cell shows its two digits in blue.
    void setEdit(int cell, int value);
    bool isEdited(int cell) const { return edits_[cell] >= 0; }
    // The byte the cell stands for: its edit, else the file's byte; -1 past the end.
    int value(int cell) const { return edits_[cell] >= 0 ? edits_[cell] : shown_[cell]; }
    // A text the cell keeps although it is not its value's two digits ("F" typed over 0F
    // and left without a change); an empty or matching text drops it.
    void keepText(int cell, const QString& text);

    // What the hex cell shows: the kept text, else the value's two digits, else nothing.
    QString text(int cell) const;
    bool hasKeptText(int cell) const { return kept_.test(std::size_t(cell)); }
    // The character cell: the character of the edited value or of the byte; none past the end.
    bool hasCharacter(int cell) const { return value(cell) >= 0; }
    QChar character(int cell) const;

    // The cell drawn with the focus; -1 none.
    void setFocus(int cell) { focus_ = cell; }
    int focus() const { return focus_; }

    Ink ink(int cell) const;
    Ground ground(int cell) const;
    // The character cell is highlighted with its hex cell.
    bool characterFocused(int cell) const { return cell == focus_ && shown_[cell] >= 0; }

    // "00".."FF", made once.
    static const QString& byteText(int value);

private:
    std::array<int, kCells> shown_;
    std::array<int, kCells> other_;
    std::array<int, kCells> edits_;
    std::array<QString, kCells> keptTexts_;
    std::bitset<kCells> kept_;
    int fileInView_ = 1;
    int focus_ = -1;
    bool marked_ = false;
    bool dos_ = false;
};
