#include "PairView.h"

#include <algorithm>

#include "ChangeIndex.h"
#include "ComparedFiles.h"
#include "DifferenceIndex.h"
#include "GridGeometry.h"
#include "ScreenModel.h"
#include "UiServices.h"
#include "WindowRules.h"
#include "mRWByt.h"

using GridGeometry::kScreenBytes;

PairView::PairView(UiServices& ui, QObject* parent)
    : QObject(parent),
      ui_(ui),
      fileOne_(std::make_unique<mRWByt>(ui)),
      fileTwo_(std::make_unique<mRWByt>(ui)),
      files_(std::make_unique<ComparedFiles>()),
      differences_(std::make_unique<DifferenceIndex>(*files_)),
      changes_(std::make_unique<ChangeIndex>(*files_)) {
    fileOne_->MsgTitle(QStringLiteral("Bivex"));
    fileTwo_->MsgTitle(QStringLiteral("Bivex"));
}

PairView::~PairView() = default;

int PairView::shorter() const { return fileOne_->Size() < fileTwo_->Size() ? 1 : 2; }

int PairView::shownBytes(int number, std::int64_t address, int count, std::uint8_t* into,
                         std::uint32_t* edited) const {
    if (edited) *edited = 0;
    if (number < 1 || number > intLoadFile_ || address < 0 || count <= 0) return 0;
    const std::int64_t start = number == intShowFile_ ? screenStart(number) : otherDrawnStart();
    // The screen holds the file in view at its start, and the other file where drawn.
    const bool drawn = screen_ && intShowFile_ != 0;
    int got = 0;
    for (; got < count; ++got) {
        const std::int64_t at = address + got;
        if (!drawn || at < start || at >= start + ScreenModel::kCells) break;
        const int cell = int(at - start);
        const int value = number == intShowFile_ ? screen_->value(cell) : screen_->otherByte(cell);
        if (value < 0) return got;
        into[got] = std::uint8_t(value);
        if (edited && number == intShowFile_ && screen_->isEdited(cell)) *edited |= 1u << got;
    }
    if (got == count) return got;
    const std::int64_t read = files_->reader(number - 1).read(address + got, into + got, count - got);
    return got + int(std::max<std::int64_t>(read, 0));
}

int PairView::shownByte(int number, std::int64_t address) const {
    std::uint8_t byte = 0;
    return shownBytes(number, address, 1, &byte) == 1 ? byte : -1;
}

void PairView::loaded(int number) {
    setScreenStart(number, 0);
    intLoadFile_ = number;
    files_->setPath(number == 1 ? ComparedFiles::A : ComparedFiles::B, file(number).Path());
}

void PairView::closedB() {
    intShowFile_ = 1;
    intLoadFile_ = 1;
    curAdresTwo_ = 0;
    fileTwo_->Path(QString());
    files_->setPath(ComparedFiles::B, QString());
    drawn_[1] = FileIdentity();
    if (synchronised_) {
        synchronised_ = false;
        unshift();
        emit modesChanged();
    }
}

void PairView::closedAll() {
    curAdresOne_ = curAdresTwo_ = 0;
    intLoadFile_ = intShowFile_ = 0;
    bolChange_ = false;
    fileOne_->Path(QString());
    fileTwo_->Path(QString());
    files_->setPath(ComparedFiles::A, QString());
    files_->setPath(ComparedFiles::B, QString());
    drawn_ = {};
    setFocusedAddress(-1);
    synchronised_ = writePermission_ = false;
    unshift();
    emit modesChanged();
}

void PairView::setScreenStart(int number, std::int64_t start) {
    (number == 1 ? curAdresOne_ : curAdresTwo_) = start;
}

void PairView::setFocusedAddress(std::int64_t address, bool quiet) {
    if (address == focusedAddress_) return;
    focusedAddress_ = address;
    if (!quiet) emit focusedAddressChanged(address);
}

std::int64_t PairView::otherDrawnStart() const {
    return synchronised_ ? comparedAddress(intShowFile_, screenStart(intShowFile_)) : screenStart(other());
}

void PairView::unshift() {
    shift_ = 0;
    differences_->setShift(0);
}

void PairView::setSynchronised(bool on) {
    synchronised_ = on;
    unshift();
    if (on) curAdresOne_ = curAdresTwo_ = 0;
    emit modesChanged();
}

void PairView::setShift(std::int64_t shift) {
    synchronised_ = true;
    shift_ = shift;
    // The list of runs and F6 compare at the shift too.
    differences_->setShift(shift);
    curAdresTwo_ = GridGeometry::screenStartOf(std::max<std::int64_t>(0, curAdresOne_ + shift));
    emit modesChanged();
}

void PairView::setWritePermission(bool on) {
    if (writePermission_ == on) return;
    writePermission_ = on;
    emit modesChanged();
}

void PairView::setDosView(bool on) {
    if (dos_ == on) return;
    dos_ = on;
    emit modesChanged();
}

bool PairView::pageDown() {
    if (intLoadFile_ == 0) return false;
    const int shown = intShowFile_;
    const std::int64_t next = screenStart(shown) + kScreenBytes;
    if (next >= fileInView().Size()) return false;
    if (synchronised_) {
        // Together, as far as both files have bytes to compare.
        const std::int64_t compared = comparedAddress(shown, next);
        if (compared >= file(other()).Size()) return false;
        setScreenStart(other(), GridGeometry::screenStartOf(std::max<std::int64_t>(0, compared)));
    }
    setScreenStart(shown, next);
    return true;
}

bool PairView::pageUp() {
    if (intLoadFile_ == 0) return false;
    const int shown = intShowFile_;
    if (screenStart(shown) <= 0) return false;
    const std::int64_t previous = screenStart(shown) - kScreenBytes;
    if (synchronised_)
        setScreenStart(other(), GridGeometry::screenStartOf(std::max<std::int64_t>(0, comparedAddress(shown, previous))));
    setScreenStart(shown, previous);
    return true;
}

std::int64_t PairView::blockCount() const {
    return intShowFile_ == 0 ? 0 : GridGeometry::blockCount(file(intShowFile_).Size());
}

std::int64_t PairView::currentBlock() const {
    return intShowFile_ == 0 ? 0 : GridGeometry::blockOf(screenStart(intShowFile_));
}

void PairView::subShowDate(int NumberFile) { emit drawWanted(NumberFile); }

void PairView::subSearchAddr(std::int64_t& AdresSearch, int TypeSearch) {
    if (synchronised_ && shift_ == 0) AdresSearch = std::min(AdresSearch, file(shorter()).Size());
    const std::int64_t start = GridGeometry::screenStartOf(AdresSearch);
    const int cell = int(AdresSearch - start);
    // A negative address has no screen (it would show the one before address 0).
    if (intShowFile_ == 0 || AdresSearch < 0 || start >= fileInView().Size()) {
        reportMissingAddress(TypeSearch);
        return;
    }
    // The cell takes the focus before the redraw, which then gives it the new byte.
    emit focusWanted(TypeSearch != 0 ? 0 : cell);
    setScreenStart(intShowFile_, start);
    if (synchronised_)
        setScreenStart(other(), GridGeometry::screenStartOf(std::max<std::int64_t>(0, comparedAddress(intShowFile_, start))));
    subShowDate(intShowFile_);
}

void PairView::reportMissingAddress(int TypeSearch) {
    ui_.message(QStringLiteral("Ошибка"),
                TypeSearch != 0 ? QStringLiteral("Указанный Вами блок не существует.")
                                : QStringLiteral("Указанный Вами адрес не существует."),
                MessageIcon::Critical, MessageButtons::Ok);
}

void PairView::showInBothFiles(std::int64_t address) {
    if (intLoadFile_ < 2 || bolChange_) return;
    if (!synchronised_) {
        setSynchronised(true);
        subShowDate(intShowFile_);
    }
    if (shift_ != 0) {
        // `address` is A's: file B in view shows the byte compared with it.
        std::int64_t shown = intShowFile_ == 1 ? address : comparedAddress(1, address);
        subSearchAddr(shown, 0);
        return;
    }
    // Paging together ends with the shorter file; the bytes beyond it are the longer one's.
    const int longer = otherOf(shorter());
    if (address >= file(shorter()).Size() && intShowFile_ != longer) subShowDate(longer);
    subSearchAddr(address, 0);
}

void PairView::showAtAddresses(std::int64_t addressA, std::int64_t addressB) {
    if (intLoadFile_ < 2 || bolChange_) return;
    if (synchronised_) {
        setSynchronised(false);
        subShowDate(intShowFile_);
    }
    // An insertion at the very end of a file points just past it: its last screen shows it.
    const auto within = [](std::int64_t address, std::int64_t size) {
        return std::clamp<std::int64_t>(address, 0, std::max<std::int64_t>(0, size - 1));
    };
    curAdresTwo_ = GridGeometry::screenStartOf(within(addressB, fileTwo_->Size()));
    if (intShowFile_ != 1) subShowDate(1);
    std::int64_t address = within(addressA, fileOne_->Size());
    subSearchAddr(address, 0);
}
