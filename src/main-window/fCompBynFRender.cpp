// Drawing the screen: cells, characters, comparison colours, row labels and the
// position indicator.
#include "fCompBynF.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>
#include <array>

#include "AddressText.h"
#include "ByteGrid.h"
#include "CodePage.h"
#include "FileErrors.h"
#include "GridColors.h"
#include "HexCell.h"
#include "ProgressBarAdapter.h"
#include "SymbolCell.h"
#include "WindowRules.h"

using namespace GridGeometry;

namespace {

QString byteText(int value) {
    static const char digits[] = "0123456789ABCDEF";
    const QChar text[2] = {QLatin1Char(digits[value >> 4]), QLatin1Char(digits[value & 15])};
    return QString(text, 2);
}

}  // namespace

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
    editedCells_.reset();
    const int errorA = readScreen(*fileOne_, curAdresOne, a, drawnIdentity_[0]);
    const int errorB = two ? readScreen(*fileTwo_, curAdresTwo, b, drawnIdentity_[1]) : 0;
    // A file written since its labels were set (a recording, a dialog's write, another
    // program) shows its size and date as it now is.
    for (int n = 1; n <= (two ? 2 : 1); ++n)
        if (const FileSlot s = slot(n); s.file.RefreshStamp()) showFileLabels(s);
    const bool showA = NumberFile == 1 || !two;
    const int errorInView = showA ? errorA : errorB;
    drawnBytes_ = showA ? a : b;
    for (int i = 0; i < kCells; ++i) {
        bolEqual = !two || WindowRules::cellsEqual(a[i], b[i]);
        // A read refused by the file layer stops the drawing here; the object has said why,
        // and the rest of the screen keeps what it showed.
        if (errorInView == FileErrors::BadHandle && (showA ? a[i] : b[i]) < 0) return;
        subScreenByt(i, showA ? a[i] : b[i]);
        // Dark red is not all a screen reader can tell: it hears the other file's byte.
        QString difference;
        if (mnuSynchro->isChecked() && !bolEqual)
            difference = QStringLiteral("отличается, в файле %1: ").arg(showA ? QStringLiteral("В") : QStringLiteral("А")) +
                         byteText(showA ? b[i] : a[i]);
        if (HexCell* cell = grid_->cell(i); cell->accessibleDescription() != difference)
            cell->setAccessibleDescription(difference);
    }
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

void fCompBynF::subScreenByt(int index, int value) {
    HexCell* cell = grid_->cell(index);
    QString text;
    QString character;
    if (value < 0) {
        cell->setForeground(GridColors::black());
    } else {
        text = byteText(value);
        character = funSumbol(value);
    }
    if (!mnuSynchro->isChecked() || bolEqual) {
        cell->setForeground(GridColors::black());
        if (cell->background() == GridColors::buttonShadow()) cell->setBackground(GridColors::lightCyan());
    } else {
        cell->setForeground(GridColors::darkRed());
        if (cell->background() == GridColors::lightCyan()) cell->setBackground(GridColors::buttonShadow());
    }
    cell->setCellText(text);
    grid_->symbol(index)->setText(character);
    if (!lbInfo1->text().isEmpty()) lbInfo1->clear();
}

QString fCompBynF::funSumbol(int value) const {
    const auto byte = static_cast<std::uint8_t>(value);
    return QString(mnuDOS->isChecked() ? CodePage::oemChar(byte) : CodePage::ansiChar(byte));
}

void fCompBynF::subShowAdres(std::int64_t screenStart) {
    grid_->setScreenStart(screenStart);
    for (int r = 0; r < kRows; ++r) {
        const QString label = AddressText::rowLabel(rowAddress(screenStart, r));
        QLineEdit* box = grid_->rowAddress(r);
        if (box->text() != label) box->setText(label);
    }
}

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
