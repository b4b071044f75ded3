#include "DumpCommands.h"

#include "AddressText.h"
#include "BusyCursor.h"
#include "DumpMessages.h"
#include "DumpWriters.h"
#include "FileIdentity.h"
#include "FileLayer.h"
#include "GridGeometry.h"
#include "ProgressBarAdapter.h"
#include "UiServices.h"
#include "PairView.h"
#include "WindowPort.h"
#include "mRWByt.h"
#include "mRWFile.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMainWindow>

#include <sys/stat.h>

using DumpFormat::Kind;

namespace {

const QString kCancelName = QStringLiteral("Dump");

bool dosView(WindowPort& window) { return window.view().dosView(); }

// Both slots: a dump into either would empty a file the window shows or compares.
QStringList loadedPaths(WindowPort& window) {
    return {window.view().FileAtributOne().Path(), window.view().FileAtributTwo().Path()};
}

bool isExistingFile(const QString& path) {
    struct stat info;
    return FileLayer::stat(path, info) == 0 && S_ISREG(info.st_mode);
}

// Where the byte fields of the dump begin, from the last row it can hold.
int dumpColumn(WindowPort& window, Kind kind) {
    switch (kind) {
    case Kind::Block:
        return DumpFormat::fieldColumn(window.view().screenStart(window.view().intShowFile()) + GridGeometry::kCells);
    case Kind::File:
        return DumpFormat::fieldColumn(window.view().fileInView().Size());
    case Kind::Mismatch:
        break;
    }
    return DumpFormat::fieldColumn(std::min(window.view().FileAtributOne().Size(), window.view().FileAtributTwo().Size()));
}

void refuseLoadedFile(WindowPort& window) {
    window.view().ui().message(QStringLiteral("Bivex"), loadedTargetMessage(), MessageIcon::Critical, MessageButtons::Ok);
}

// The progress bar and its caption serve the dump while it runs, and the position
// indicator again afterwards, on every way out.
class PrintingProgress {
public:
    explicit PrintingProgress(WindowPort& window, std::int64_t maximum)
        : window_(window), caption_(window.progressCaption()) {
        if (caption_) {
            caption_->setText(QStringLiteral("Печать"));
            caption_->repaint();
        }
        window.positionBar().setMaximum(double(maximum));
        window.positionBar().setValue(0);
    }
    ~PrintingProgress() {
        window_.positionBar().setMaximum(double(window_.view().blockCount()));
        window_.positionBar().setValue(double(window_.view().currentBlock()));
        if (caption_) caption_->setText(QStringLiteral("Позиция"));
    }
    PrintingProgress(const PrintingProgress&) = delete;
    PrintingProgress& operator=(const PrintingProgress&) = delete;

    // Moves the bar and lets the window repaint. Input waits until the dump is over: no
    // command may close or change a file the dump is reading.
    DumpProgress callback() {
        return [this](std::int64_t position) {
            window_.positionBar().setValue(double(position));
            QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        };
    }

private:
    WindowPort& window_;
    QLabel* caption_;
};

}  // namespace

void installDumpCommands(WindowPort& window) {
    const auto connect = [&window](WindowPort::Command id, void (*command)(WindowPort&)) {
        QObject::connect(window.command(id), &QAction::triggered, &window.host(), [&window, command] { command(window); });
    };
    connect(WindowPort::Command::DumpScreen, subSaveBlock);
    connect(WindowPort::Command::DumpFile, subSaveFile);
    connect(WindowPort::Command::DumpMismatch, subSaveIncompatible);
}

bool funFileCap(WindowPort& window, Kind kind, mRWFile& target) {
    FileDialogRequest request;
    request.fileName = kCancelName;
    request.defaultExtension = QStringLiteral("%AppPath%");
    // The screen is offered as plain text first, the long dumps as Word text first.
    request.filter = kind == Kind::Block
                         ? QStringLiteral("Как текст (*.txt)|*.txt|Как текст Word (*.doc)|*.doc")
                         : QStringLiteral("Как текст Word (*.doc)|*.doc|Как текст (*.txt)|*.txt");
    window.view().ui().chooseSaveFile(request);
    if (request.fileName == kCancelName) {
        window.host().update();
        return false;
    }
    const QString path = request.fileName;
    const QStringList loaded = loadedPaths(window);
    if (isExistingFile(path)) {
        if (window.view().ui().message(QStringLiteral("Сохранение"), QStringLiteral("Файл уже существует. Перезаписать?"),
                                MessageIcon::None, MessageButtons::OkCancel) == MessageAnswer::Cancel)
            return false;
        if (FileIdentity::ofPath(path).isOneOf(loaded)) {
            refuseLoadedFile(window);
            return false;
        }
    }
    bool ok = false;
    target.MsgTitle(QStringLiteral("Bivex"));
    switch (target.OpenDump(path, loaded)) {
    case mRWFile::DumpTarget::Opened:
        ok = writeDumpHeader(target, kind, window.view().currentBlock(), window.view().fileInView().Name(),
                             dumpColumn(window, kind));
        break;
    case mRWFile::DumpTarget::LoadedFile:
        // Became a loaded file since the question (a link made meanwhile): still refused.
        refuseLoadedFile(window);
        break;
    case mRWFile::DumpTarget::Failed:
        break;
    }
    window.host().update();
    return ok;
}

void subSaveBlock(WindowPort& window) {
    if (window.view().intShowFile() == 0) return;
    mRWFile target(window.view().ui());
    if (!funFileCap(window, Kind::Block, target)) return;
    const DumpFormat::CharTable chars(dosView(window));
    const std::int64_t start = window.view().screenStart(window.view().intShowFile());
    const int column = dumpColumn(window, Kind::Block);
    QByteArray text;
    for (int r = 0; r < GridGeometry::kRows; ++r) {
        // The screen ends before a row whose first cell is empty; row 0 is always written.
        if (r >= 1 && window.shownCellText(GridGeometry::cellAt(r, 0)).isEmpty()) break;
        QStringList cells;
        for (int c = 0; c < GridGeometry::kColumns; ++c) cells << window.shownCellText(GridGeometry::cellAt(r, c));
        text += DumpFormat::cellRow(AddressText::rowLabel(GridGeometry::rowAddress(start, r)), cells, chars, column);
    }
    target.PutLines(text.constData(), text.size());
    target.CloseFile();
}

void subSaveFile(WindowPort& window) {
    if (window.view().intShowFile() == 0) return;
    BusyCursor busy;
    mRWFile target(window.view().ui());
    if (!funFileCap(window, Kind::File, target)) return;
    mRWByt& file = window.view().fileInView();
    PrintingProgress progress(window, file.Size());
    writeFileDump(file, dosView(window), target, progress.callback());
    target.CloseFile();
}

void subSaveIncompatible(WindowPort& window) {
    if (window.view().intLoadFile() < 2) return;
    BusyCursor busy;
    mRWFile target(window.view().ui());
    if (!funFileCap(window, Kind::Mismatch, target)) return;
    mRWByt& a = window.view().FileAtributOne();
    mRWByt& b = window.view().FileAtributTwo();
    PrintingProgress progress(window, std::min(a.Size(), b.Size()));
    writeMismatchDump(a, b, window.view().intShowFile() == 1, dosView(window), target, progress.callback());
    target.CloseFile();
}
