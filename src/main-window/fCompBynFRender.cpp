// Drawing the screen: cells, characters, comparison colours, row labels and the
// position indicator.
#include "fCompBynF.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <array>

#include "AddressText.h"
#include "ByteGrid.h"
#include "CodePage.h"
#include "GridColors.h"
#include "HexCell.h"
#include "ProgressBarAdapter.h"
#include "SymbolCell.h"

using namespace GridGeometry;

namespace {

void setTextColor(QLabel* label, const QColor& color) {
    QPalette p = label->palette();
    if (p.color(QPalette::WindowText) == color) return;
    p.setColor(QPalette::WindowText, color);
    label->setPalette(p);
}

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
        for (QAction* a : {mnuLoad, mnuReplace, mnuFill}) a->setEnabled(false);
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
    const bool showA = NumberFile == 1;
    mRWByt& file = showA ? *fileOne_ : *fileTwo_;
    if (showA) showReadOnlyIndicator(file);
    subShowAdres(showA ? curAdresOne : curAdresTwo);
    subCompare(NumberFile);
    setWindowTitle(file.Name().isEmpty() ? QString()
                                         : QStringLiteral("   «") + file.Name() + QStringLiteral("»"));
    if (!showA) showReadOnlyIndicator(file);
    setTextColor(showA ? lbFile1 : lbFile2, GridColors::darkRed());
    setTextColor(showA ? lbFile2 : lbFile1, GridColors::black());
    intShowFile = showA ? 1 : 2;
    const bool pages = file.Size() > kScreenBytes;
    knUp->setEnabled(pages);
    knDown->setEnabled(pages);
    subProgressBarMoment();
    refreshFocusedCellEntry();
}

void fCompBynF::refreshFocusedCellEntry() {
    // A redraw changes the focused cell's text under it; leaving the cell must not count
    // that as an edit.
    const int focused = grid_->focusedCell();
    if (focused >= 0) strOldByt = grid_->cell(focused)->text();
}

void fCompBynF::subCompare(int NumberFile) {
    // Both screens are read in one span each; the file objects keep their own per-byte
    // semantics (positions past the end read as no byte).
    std::array<int, kCells> a{};
    std::array<int, kCells> b{};
    auto readScreen = [](mRWByt& file, std::int64_t start, std::array<int, kCells>& out) {
        std::array<std::uint8_t, kCells> buffer{};
        std::int64_t got = file.ReadSpan(start + 1, buffer.data(), kCells);
        if (got < 0) got = 0;
        for (int i = 0; i < kCells; ++i) out[i] = i < got ? buffer[i] : -1;
        return file.Error();
    };

    if (intLoadFile == 1) {
        bolEqual = true;
        fileOne_->OpenFileRW();
        const int error = readScreen(*fileOne_, curAdresOne, a);
        for (int i = 0; i < kCells; ++i) {
            subScreenByt(i, a[i]);
            if (error == 52) return;  // the file object has reported it; keep the rest
        }
        fileOne_->CloseFile();
        return;
    }

    fileOne_->OpenFileRW();
    fileTwo_->OpenFileRW();
    const int errorA = readScreen(*fileOne_, curAdresOne, a);
    const int errorB = readScreen(*fileTwo_, curAdresTwo, b);
    const bool showA = NumberFile == 1;
    for (int i = 0; i < kCells; ++i) {
        bolEqual = a[i] == b[i] || a[i] == -1 || b[i] == -1;
        subScreenByt(i, showA ? a[i] : b[i]);
        if ((showA ? errorA : errorB) == 52) return;
    }
    fileOne_->CloseFile();
    fileTwo_->CloseFile();
}

void fCompBynF::subScreenByt(int index, int value) {
    if (fileOne_->Error() == 52 || (intLoadFile == 2 && fileTwo_->Error() == 52)) return;
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
    lbInfo1->clear();
}

QString fCompBynF::funSumbol(int value) const {
    const auto byte = static_cast<std::uint8_t>(value);
    return QString(mnuDOS->isChecked() ? CodePage::oemChar(byte) : CodePage::ansiChar(byte));
}

void fCompBynF::subShowAdres(std::int64_t screenStart) {
    for (int r = 0; r < kRows; ++r) {
        const QString label = AddressText::rowLabel(rowAddress(screenStart, r));
        QLineEdit* box = grid_->rowAddress(r);
        if (box->text() != label) box->setText(label);
    }
}

void fCompBynF::subProgressBarMoment() {
    if (intLoadFile == 0) return;
    lbProgressBar->setText(QStringLiteral("Позиция:"));
    mRWByt& file = fileInView();
    const std::int64_t size = file.Size();
    lngBlockMax = GridGeometry::blockCount(size);
    curBlock = GridGeometry::blockOf(screenStartInView());
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

void fCompBynF::mnuRefresh_Click() {
    if (intShowFile >= 1) subShowDate(intShowFile);
}

void fCompBynF::knViweOne_Click() { subShowDate(1); }

void fCompBynF::knViweTwo_Click() { subShowDate(2); }
