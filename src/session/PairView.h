#pragma once

#include <QObject>
#include <QString>

#include <array>
#include <cstdint>
#include <memory>

#include "FileIdentity.h"

class ChangeIndex;
class ComparedFiles;
class ScreenModel;
class DifferenceIndex;
class UiServices;
class mRWByt;

// Where the user is in the pair of files, without a widget: the two file slots and their
// readers, which file is in view, where each file's screen starts, the focused address,
// the modes (synchronised paging, write permission, the DOS view), whether edits wait,
// and what is known of the files' differences. The window shows it and turns what the user
// does into calls on it; the dialogs and panels read it and call its public operations.
//
// Slots are numbered as the window numbers them: 1 file A, 2 file B.
class PairView : public QObject {
    Q_OBJECT

public:
    explicit PairView(UiServices& ui, QObject* parent = nullptr);
    ~PairView() override;

    UiServices& ui() const { return ui_; }

    // ---- The files ----
    // The file objects of the slots; their messages are titled "Bivex".
    mRWByt& FileAtributOne() { return *fileOne_; }
    mRWByt& FileAtributTwo() { return *fileTwo_; }
    mRWByt& file(int number) { return number == 1 ? *fileOne_ : *fileTwo_; }
    const mRWByt& file(int number) const { return number == 1 ? *fileOne_ : *fileTwo_; }
    mRWByt& fileInView() { return file(intShowFile_); }
    // The files as compared and read for display, and what is known of their differences.
    ComparedFiles& files() { return *files_; }
    DifferenceIndex& differences() { return *differences_; }
    ChangeIndex& changes() { return *changes_; }

    // ---- Where the user is ----
    int intShowFile() const { return intShowFile_; }  // 0 none, 1 file A, 2 file B
    int intLoadFile() const { return intLoadFile_; }  // how many files are loaded
    std::int64_t curAdresOne() const { return curAdresOne_; }
    std::int64_t curAdresTwo() const { return curAdresTwo_; }
    std::int64_t screenStart(int number) const { return number == 1 ? curAdresOne_ : curAdresTwo_; }
    static int otherOf(int number) { return number == 1 ? 2 : 1; }
    int other() const { return otherOf(intShowFile_); }
    // The slot of the shorter file (file B when both are as long): paging together and
    // comparing end with it.
    int shorter() const;
    // The address of the focused byte in the file in view, -1 when no cell has the keyboard.
    std::int64_t focusedAddress() const { return focusedAddress_; }
    // Edited bytes wait to be recorded or cancelled.
    bool editsPending() const { return bolChange_; }
    // What the screen shows of slot `number` from `address` on, at most `count` bytes: on
    // the drawn screen as drawn, an edit waiting included (its bit set in `edited`, one
    // bit per byte, when given), and elsewhere as the slot's reader gives them. Returns how
    // many bytes there are (fewer at the file's end, 0 past it or with no file).
    int shownBytes(int number, std::int64_t address, int count, std::uint8_t* into,
                   std::uint32_t* edited = nullptr) const;
    // One byte of it, -1 where there is none.
    int shownByte(int number, std::int64_t address) const;
    // The screen the window draws, read by shownBytes.
    void setScreen(const ScreenModel* screen) { screen_ = screen; }
    // The file a slot's screen was last read from: recording writes into no other.
    const FileIdentity& drawnIdentity(int number) const { return drawn_[std::size_t(number == 1 ? 0 : 1)]; }

    // ---- Modes ----
    bool synchronised() const { return synchronised_; }
    // While synchronised: byte x of file A is compared with byte x + shift of file B.
    std::int64_t shift() const { return shift_; }
    // The address of the other file's byte compared with byte `address` of file `number`.
    std::int64_t comparedAddress(int number, std::int64_t address) const {
        return number == 1 ? address + shift_ : address - shift_;
    }
    // Where the screen drawn for the file not in view starts: while synchronised, at the
    // bytes compared with the screen in view; otherwise at its own screen.
    std::int64_t otherDrawnStart() const;
    bool writePermission() const { return writePermission_; }
    bool dosView() const { return dos_; }

    // ---- Changes of where the user is (the window keeps its controls in step) ----
    // A file was opened into slot `number`, its screen at the start; both slots count as
    // loaded once B is.
    void loaded(int number);
    // File B closed: file A alone, in view, unsynchronised.
    void closedB();
    // Both closed: everything as at start-up, the DOS view excepted.
    void closedAll();
    void setInView(int number) { intShowFile_ = number; }
    void setScreenStart(int number, std::int64_t start);
    // `quiet` while a drawing is under way: the screen, once shown, tells of it.
    void setFocusedAddress(std::int64_t address, bool quiet = false);
    void setEditsPending(bool pending) { bolChange_ = pending; }
    void setDrawnIdentity(int number, const FileIdentity& file) { drawn_[std::size_t(number == 1 ? 0 : 1)] = file; }
    // Synchronised paging switched on starts both files at 0, unshifted.
    void setSynchronised(bool on);
    // Synchronised paging at a shift: file A stays where it is, file B follows it.
    void setShift(std::int64_t shift);
    void setWritePermission(bool on);
    void setDosView(bool on);

    // ---- Paging ----
    // The next or previous screen of the file in view, or of both while synchronised;
    // false when there is none (or nothing is loaded).
    bool pageDown();
    bool pageUp();
    // The file in view's size, and the block numbers of the position indicator.
    std::int64_t blockCount() const;
    std::int64_t currentBlock() const;

    // ---- The public operations ----
    // Puts file A (1) or file B (any other value) in view and redraws everything.
    void subShowDate(int NumberFile);
    // Shows the screen holding an address (TypeSearch 0) or the start of a block (other),
    // focusing its cell; may lower AdresSearch under synchronised paging.
    void subSearchAddr(std::int64_t& AdresSearch, int TypeSearch);
    // "Указанный Вами адрес/блок не существует." (block when TypeSearch is not 0).
    void reportMissingAddress(int TypeSearch);
    // Synchronised paging on and the screen holding `address` of A in both files (B's at
    // the shift), its cell focused; an address beyond the shorter file is shown in the
    // longer one. Nothing while edits wait.
    void showInBothFiles(std::int64_t address);
    // File A from `addressA` and file B from `addressB`, each paged on its own (synchronised
    // paging off), file A in view with the focus on its byte. Nothing while edits wait.
    void showAtAddresses(std::int64_t addressA, std::int64_t addressB);
    // The go-to dialog or "Закрыть Всё" drops the kept state of both search dialogs.
    void discardSearchDialogs() { emit searchDialogsDiscarded(); }
    // The window has drawn a screen.
    void noteShown() { emit screenShown(); }

signals:
    // The window draws: file `NumberFile` in view, everything read again.
    void drawWanted(int NumberFile);
    // The window gives the keyboard to a cell of the screen about to be drawn.
    void focusWanted(int cell);
    // A screen has been drawn: bytes, files or position may have changed.
    void screenShown();
    // The focused address moved (-1: no cell has the keyboard).
    void focusedAddressChanged(std::int64_t address);
    void modesChanged();
    // Whoever owns the search dialogs discards them.
    void searchDialogsDiscarded();

private:
    // No shift: the files and the list of runs compare at equal addresses.
    void unshift();

    UiServices& ui_;
    std::unique_ptr<mRWByt> fileOne_, fileTwo_;
    std::unique_ptr<ComparedFiles> files_;
    std::unique_ptr<DifferenceIndex> differences_;
    std::unique_ptr<ChangeIndex> changes_;

    int intShowFile_ = 0;
    int intLoadFile_ = 0;
    std::int64_t curAdresOne_ = 0;
    std::int64_t curAdresTwo_ = 0;
    std::int64_t focusedAddress_ = -1;
    bool bolChange_ = false;
    std::array<FileIdentity, 2> drawn_{};
    const ScreenModel* screen_ = nullptr;
    bool synchronised_ = false;
    std::int64_t shift_ = 0;
    bool writePermission_ = false;
    bool dos_ = false;
};
