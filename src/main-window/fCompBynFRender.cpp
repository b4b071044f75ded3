// Drawing the screen: cells, characters, comparison colours, row labels and the
// position indicator.
#include "fCompBynF.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>

#include <algorithm>
#include <array>

#include "AddressText.h"
#include "ByteGrid.h"
#include "ComparedFiles.h"
#include "PairView.h"
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
        view_->setWritePermission(false);
        mnuEdit->setEnabled(false);
        sets_.write.setEnabled(false);
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
    // Whoever follows the view hears once, when the screen is shown, not at each step.
    const QScopedValueRollback drawing(drawing_, true);
    const FileSlot shown = slot(NumberFile);
    // The read-only mark follows file A before the drawing and file B after it.
    if (shown.number == 1) showReadOnlyIndicator(shown.file);
    subShowAdres(view_->screenStart(shown.number));
    subCompare(NumberFile);
    setWindowTitle(shown.file.Name().isEmpty() ? QString()
                                               : QStringLiteral("   «") + shown.file.Name() + QStringLiteral("»"));
    if (shown.number != 1) showReadOnlyIndicator(shown.file);
    GridColors::setTextColor(shown.caption, GridColors::darkRed());
    GridColors::setTextColor(slot(shown.number == 1 ? 2 : 1).caption, GridColors::black());
    view_->setInView(shown.number);
    const bool pages = shown.file.Size() > kScreenBytes;
    knUp->setEnabled(pages);
    knDown->setEnabled(pages);
    subProgressBarMoment();
    refreshFocusedCellEntry();
    view_->noteShown();
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
    const bool two = view_->intLoadFile() != 1;
    // What the disk holds now: a file written since the last drawing shows its new bytes, a
    // file put under a slot's name is the one read.
    view_->files().checkDisk();
    // A file written since its labels were set (a recording, a dialog's write, another
    // program) shows its size and date as it now is.
    for (int n = 1; n <= (two ? 2 : 1); ++n) {
        const SlotReader& reader = view_->files().reader(n - 1);
        if (const FileSlot s = slot(n); reader.isOpen() && s.file.RefreshStamp(reader.size(), reader.stamp().modifiedNs))
            showFileLabels(s);
    }
    // The file in view from its screen start; the other one where its bytes are compared,
    // or from its own screen start when the files page on their own.
    const int shownNumber = NumberFile == 1 || !two ? 1 : 2;
    const auto from = [&](int n) {
        if (n == shownNumber || !view_->synchronised()) return view_->screenStart(n);
        return view_->comparedAddress(shownNumber, view_->screenStart(shownNumber));
    };
    const int errorA = readScreen(1, from(1), a);
    const int errorB = two ? readScreen(2, from(2), b) : 0;
    const bool showA = NumberFile == 1 || !two;
    ScreenModel::Screen screen;
    screen.shown = showA ? a : b;
    screen.other.fill(-1);
    if (two) screen.other = showA ? b : a;
    screen.fileInView = showA ? 1 : 2;
    screen.marked = view_->synchronised();
    screen.dos = view_->dosView();
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

int fCompBynF::readScreen(int number, std::int64_t start, std::array<int, 256>& bytes) {
    // One read of just the screen's bytes, through the slot's reader; positions past the
    // end read as no byte (-1). A file gone from under its name is opened as the file
    // object opens it, which reports why it cannot be, and shows no bytes.
    bytes.fill(-1);
    const SlotReader& reader = view_->files().reader(number - 1);
    mRWByt& file = view_->file(number);
    if (!reader.isOpen()) {
        view_->setDrawnIdentity(number, FileIdentity());
        file.OpenFileRW();
        const int error = file.Error();
        if (error == 0) file.CloseFile();
        return error != 0 ? error : FileErrors::BadHandle;
    }
    view_->setDrawnIdentity(number, reader.identity());
    std::array<std::uint8_t, kCells> buffer{};
    // Only what lies below the size the object knows, as the object would read it; a
    // shifted comparison may begin before the file does.
    const std::int64_t skip = std::clamp<std::int64_t>(-start, 0, kCells);
    const std::int64_t wanted = std::clamp<std::int64_t>(file.Size() - start - skip, 0, kCells - skip);
    const std::int64_t got = reader.read(start + skip, buffer.data(), wanted);
    if (got < 0) return FileErrors::BadHandle;
    for (int i = 0; i < got; ++i) bytes[std::size_t(skip + i)] = buffer[std::size_t(i)];
    return 0;
}

void fCompBynF::subShowAdres(std::int64_t screenStart) { grid_->setScreenStart(screenStart); }

void fCompBynF::subProgressBarMoment() {
    if (view_->intLoadFile() == 0) return;
    lbProgressBar->setText(QStringLiteral("Позиция:"));
    const std::int64_t size = view_->fileInView().Size();
    const std::int64_t blocks = view_->blockCount(), block = view_->currentBlock();
    progress->setMaximum(double(blocks));
    progress->setValue(double(block));
    lbSynchro->setText(QStringLiteral("Адрес Max. ") + AddressText::funHexAdres(size - 1));
    lbStatusBarText->setText(QString::number(block) + QStringLiteral(" из ") + QString::number(blocks));
}

void fCompBynF::mnuDOS_Click() {
    view_->setDosView(!view_->dosView());
    if (view_->intLoadFile() != 0) subShowDate(view_->intShowFile());
}

void fCompBynF::mnuRefresh_Click() { rereadFileInView(); }

void fCompBynF::rereadFileInView() {
    if (view_->intShowFile() < 1) return;
    // The file may have been changed by another program: its size, date and attributes
    // are read again, as when it was opened, so a new end can be reached.
    const FileSlot shown = slot(view_->intShowFile());
    shown.file.Path(shown.file.Path());
    showFileLabels(shown);
    const std::int64_t lastScreen = funScreenAdres(std::max<std::int64_t>(shown.file.Size() - 1, 0));
    if (view_->screenStart(shown.number) > lastScreen) {
        view_->setScreenStart(shown.number, lastScreen);
        if (view_->synchronised()) view_->setScreenStart(PairView::otherOf(shown.number), lastScreen);
    }
    subShowDate(shown.number);
}

void fCompBynF::knViweOne_Click() { subShowDate(1); }

void fCompBynF::knViweTwo_Click() { subShowDate(2); }

void fCompBynF::mnuOtherFile_Click() {
    if (view_->intLoadFile() == 2 && !view_->editsPending())
        selectViewButton(view_->intShowFile() == 1 ? knViweTwo : knViweOne);
}
