// Opening files into the two slots, from the menu and from the command line.
#include "fCompBynF.h"

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <fcntl.h>

#include "BusyCursor.h"
#include "FileErrors.h"
#include "FileLayer.h"
#include "ByteGrid.h"
#include "HexCell.h"
#include "UiServices.h"

namespace {

QString sizeText(std::int64_t size) { return QString::number(size) + QStringLiteral(" byte"); }

QString dateTimeText(const mRWByt& file) {
    return file.DateText() + QStringLiteral(" / ") + file.TimeText();
}

}  // namespace

void fCompBynF::mnuLoadFileA_Click() {
    if (intLoadFile < 1) {
        subOpenFile();
        if (intLoadFile == 1) mnuSave->setEnabled(true);
    } else {
        ui_.message(QStringLiteral("Сообщение"), QStringLiteral("Файл А уже открыт."),
                    MessageIcon::Warning, MessageButtons::Ok);
    }
}

void fCompBynF::mnuLoadFileB_Click() {
    if (intLoadFile < 2) {
        subOpenFile();
        if (fileTwo_->Error() != -5) {
            subShowDate(1);
            subRefreshCells();
        }
    } else {
        ui_.message(QStringLiteral("Сообщение"), QStringLiteral("Файл B уже открыт."),
                    MessageIcon::Warning, MessageButtons::Ok);
    }
}

void fCompBynF::subOpenFile() {
    FileDialogRequest request;
    request.initialFolder = QStringLiteral("%AppPath%");
    request.filter = QStringLiteral("Все файлы (*.*)|*.*");
    ui_.chooseOpenFile(request);
    if (request.fileName.isEmpty()) return;
    openPath(request.fileName);
}

bool fCompBynF::openPath(const QString& path) {
    // Only an existing regular file is opened: a mistyped name must not create a file
    // (the first drawing opens the file for writing), and a folder or device is no file
    // to view.
    if (!QFileInfo(path).isFile()) {
        ui_.message(QStringLiteral("Ошибка"),
                    QStringLiteral("Файл «") + path +
                        QStringLiteral("» не найден или не является обычным файлом. Он не открыт."),
                    MessageIcon::Warning, MessageButtons::Ok);
        return false;
    }
    // A file that cannot be read is refused here, once, rather than at every drawing.
    if (const int fd = FileLayer::open(path, O_RDONLY); fd < 0) {
        ui_.message(QStringLiteral("Ошибка"),
                    QStringLiteral("Файл «") + path + QStringLiteral("» не удаётся прочитать (") +
                        FileErrors::description(FileErrors::codeForErrno(-fd), -fd) +
                        QStringLiteral("). Он не открыт."),
                    MessageIcon::Warning, MessageButtons::Ok);
        return false;
    } else {
        FileLayer::close(fd);
    }
    BusyCursor busy;
    if (intLoadFile == 0) {
        fileOne_->Path(path);
        if (fileOne_->Error() == -5) {
            // An empty file A leaves the window as "Закрыть Всё" does in the no-file state.
            fileOne_->Path(QString());
            grid_->rowAddress(0)->setFocus();
            return false;
        }
        showReadOnlyIndicator(*fileOne_);
        showFileLabels(1);
        setWindowTitle(QStringLiteral("   «") + fileOne_->Name() + QStringLiteral("»"));
        curAdresOne = 0;
        intLoadFile = 1;
        subShowDate(1);
        selectViewButton(knViweOne);
        knViweOne->setEnabled(false);
        knNextScreen->setEnabled(true);
        for (QAction* a : {mnuLoadFileB, mnuSaveList, mnuDelAll, mnuNext, mnuSearch, mnuRefresh})
            a->setEnabled(true);
        return true;
    }
    fileTwo_->Path(path);
    if (fileTwo_->Error() == -5) return false;  // slot B stays unloaded
    showReadOnlyIndicator(*fileTwo_);
    showFileLabels(2);
    curAdresTwo = 0;
    intLoadFile = 2;
    knViweOne->setEnabled(true);
    knViweTwo->setEnabled(true);
    for (QAction* a : {mnuSaveNoByt, mnuSynchro, mnuDelFileB, mnuChSearch}) a->setEnabled(true);
    return true;
}

void fCompBynF::showFileLabels(int slot) {
    const mRWByt& file = slot == 1 ? *fileOne_ : *fileTwo_;
    (slot == 1 ? lbFileOne : lbFileTwo)->setText(file.Path());
    (slot == 1 ? lbSizeOne : lbSizeTwo)->setText(sizeText(file.Size()));
    (slot == 1 ? lbDateTime1 : lbDateTime2)->setText(dateTimeText(file));
}

void fCompBynF::subRefreshCells() {
    for (int i = 0; i < GridGeometry::kCells; ++i) grid_->cell(i)->repaint();
}

void fCompBynF::openFromCommandLine(const QStringList& paths) {
    // Each path opens as the matching open command would.
    for (int n = 0; n < paths.size() && n < 2; ++n) {
        const QString full = QFileInfo(paths[n]).absoluteFilePath();
        if (intLoadFile == 0) {
            if (openPath(full)) mnuSave->setEnabled(true);
        } else if (intLoadFile == 1) {
            if (openPath(full)) {
                subShowDate(1);
                subRefreshCells();
            }
        }
    }
}
