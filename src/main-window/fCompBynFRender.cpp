// Drawing the screen: cells, characters, comparison colours, row labels and the
// position indicator.
#include "fCompBynF.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>
#include <array>

#include "AddressText.h"
#include "ByteGrid.h"
#include "LineLabel.h"
#include "FileErrors.h"
#include "GridColors.h"
#include "ProgressBarAdapter.h"
#include "WindowRules.h"

using namespace GridGeometry;

void fCompBynF::showReadOnlyIndicator(const mRWByt& file) {
    if (file.FileAttr() & 1) {
        // Write permission goes with everything that depends on it, as if the user had
        // switched it off: no command or cell may still write into a read-only file.
        mnuEdit->setChecked(false);
        mnuEdit->setEnabled(false);
        lbInvers->setText(QString());
        writeCommands_.setEnabled(false);
        subLockByt();
        lbOnlyRead->setVisible(true);
        lnOnlyRead->setVisible(true);
    } else {
        mnuEdit->setEnabled(true);
        lbOnlyRead->setVisible(false);
        lnOnlyRead->setVisible(false);
    }
}

void fCompBynF::subShowDate(int NumberFile) {
    noteLoadedFiles();
    const FileSlot shown = slot(NumberFile);
    // The read-only mark follows file A before the drawing and file B after it.
    if (shown.number == 1) showReadOnlyIndicator(shown.file);
    subShowAdres(shown.screenStart);
    subCompare(NumberFile);
    setWindowTitle(shown.file.Name().isEmpty() ? QString()
                                               : QStringLiteral("   «") + shown.file.Name() + QStringLiteral("»"));
    if (shown.number != 1) showReadOnlyIndicator(shown.file);
    GridColors::setTextColor(shown.caption, GridColors::darkRed());
    GridColors::setTextColor(slot(shown.number == 1 ? 2 : 1).caption, GridColors::black());
    intShowFile = shown.number;
    const bool pages = shown.file.Size() > kScreenBytes;
    knUp->setEnabled(pages);
    knDown->setEnabled(pages);
    subProgressBarMoment();
    refreshFocusedCellEntry();
    emit screenShown();
}

void fCompBynF::refreshFocusedCellEntry() {
    // A redraw changes the byte under the focused cell: enter it again, so it gets the
    // highlight, lock, selection and information line of the byte it now shows, and its
    // new text as the entry text (leaving it must not count as an edit).
    const int focused = grid_->focusedCell();
    if (focused >= 0) plByt0_GotFocus(focused);
}

void fCompBynF::subCompare(int NumberFile) {
    std::array<int, kCells> a{};
    std::array<int, kCells> b{};
    const bool two = intLoadFile != 1;
    const int errorA = readScreen(*fileOne_, curAdresOne, a, drawnIdentity_[0]);
    const int errorB = two ? readScreen(*fileTwo_, curAdresTwo, b, drawnIdentity_[1]) : 0;
    // A file written since its labels were set (a recording, a dialog's write, another
    // program) shows its size and date as it now is.
    for (int n = 1; n <= (two ? 2 : 1); ++n)
        if (const FileSlot s = slot(n); s.file.RefreshStamp()) showFileLabels(s);
    const bool showA = NumberFile == 1 || !two;
    ScreenModel::Screen screen;
    screen.shown = showA ? a : b;
    screen.other.fill(-1);
    if (two) screen.other = showA ? b : a;
    screen.fileInView = showA ? 1 : 2;
    screen.marked = mnuSynchro->isChecked();
    screen.dos = mnuDOS->isChecked();
    // A read refused by the file layer stops the drawing at the first byte it did not give;
    // the object has said why, and the rest of the screen keeps what it showed.
    if ((showA ? errorA : errorB) == FileErrors::BadHandle)
        screen.cells = int(std::find_if(screen.shown.begin(), screen.shown.end(), [](int v) { return v < 0; }) -
                           screen.shown.begin());
    grid_->showScreen(screen);
    // The information line goes with the old screen; a focused cell, entered again right
    // after, writes its own.
    if (screen.cells > 0 && grid_->focusedCell() < 0) lbInfo1->clear();
}

int fCompBynF::readScreen(mRWByt& file, std::int64_t screenStart, std::array<int, 256>& bytes,
                          FileIdentity& drawn) {
    // One span per screen, of just the screen's bytes (the read-ahead window is for
    // loops); positions past the end read as no byte (-1). A file that cannot
    // be opened has been reported by its object and shows no bytes. The file is always
    // closed again, so a failure never leaves it open for the next drawing.
    bytes.fill(-1);
    drawn = FileIdentity();
    file.OpenFileRW();
    if (file.Error() != 0) return file.Error();
    drawn = file.OpenedIdentity();
    std::array<std::uint8_t, kCells> buffer{};
    const std::int64_t got = file.ReadSpan(screenStart + 1, buffer.data(), kCells, mRWByt::ReadAhead::None);
    const int error = file.Error();
    for (int i = 0; i < got; ++i) bytes[i] = buffer[i];
    file.CloseFile();
    return error;
}

void fCompBynF::subShowAdres(std::int64_t screenStart) { grid_->setScreenStart(screenStart); }

void fCompBynF::subProgressBarMoment() {
    if (intLoadFile == 0) return;
    lbProgressBar->setText(QStringLiteral("Позиция:"));
    const FileSlot shown = inView();
    const std::int64_t size = shown.file.Size();
    lngBlockMax = GridGeometry::blockCount(size);
    curBlock = GridGeometry::blockOf(shown.screenStart);
    progress->setMaximum(double(lngBlockMax));
    progress->setValue(double(curBlock));
    lbSynchro->setText(QStringLiteral("Адрес Max. ") + AddressText::funHexAdres(size - 1));
    lbStatusBarText->setText(QString::number(curBlock) + QStringLiteral(" из ") +
                             QString::number(lngBlockMax));
}

void fCompBynF::mnuDOS_Click() {
    mnuDOS->setChecked(!mnuDOS->isChecked());
    if (intLoadFile != 0) subShowDate(intShowFile);
}

void fCompBynF::mnuRefresh_Click() { rereadFileInView(); }

void fCompBynF::rereadFileInView() {
    if (intShowFile < 1) return;
    // The file may have been changed by another program: its size, date and attributes
    // are read again, as when it was opened, so a new end can be reached.
    const FileSlot shown = inView();
    shown.file.Path(shown.file.Path());
    showFileLabels(shown);
    const std::int64_t lastScreen = funScreenAdres(std::max<std::int64_t>(shown.file.Size() - 1, 0));
    if (shown.screenStart > lastScreen) {
        shown.screenStart = lastScreen;
        if (mnuSynchro->isChecked()) curAdresOne = curAdresTwo = lastScreen;
    }
    subShowDate(shown.number);
}

void fCompBynF::knViweOne_Click() { subShowDate(1); }

void fCompBynF::knViweTwo_Click() { subShowDate(2); }
