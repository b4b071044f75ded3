// Opening files into the two slots, from the menu and from the command line.
#include "fCompBynF.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QTimer>
#include <QMimeData>
#include <QUrl>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <fcntl.h>
#include <sys/stat.h>

#include "BusyCursor.h"
#include "FileErrors.h"
#include "FileLayer.h"
#include "ByteGrid.h"
#include "PairView.h"
#include "UiServices.h"

namespace {

QString sizeText(std::int64_t size) { return QString::number(size) + QStringLiteral(" byte"); }

}  // namespace

void fCompBynF::mnuLoadFileA_Click() {
    if (view_->intLoadFile() < 1) {
        subOpenFile();
    } else {
        ui_.message(QStringLiteral("Сообщение"), QStringLiteral("Файл А уже открыт."),
                    MessageIcon::Warning, MessageButtons::Ok);
    }
}

void fCompBynF::mnuLoadFileB_Click() {
    if (view_->intLoadFile() < 2) {
        subOpenFile();
        if (view_->FileAtributTwo().Error() != FileErrors::EmptyFile) {
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
    // Looked up through the file layer, which passes any byte of a name unchanged.
    struct stat info;
    if (FileLayer::stat(path, info) != 0 || !S_ISREG(info.st_mode)) {
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
                        FileErrors::description(FileErrors::codeForErrno(-fd, FileErrors::Access::Read), -fd) +
                        QStringLiteral("). Он не открыт."),
                    MessageIcon::Warning, MessageButtons::Ok);
        return false;
    } else {
        FileLayer::close(fd);
    }
    BusyCursor busy;
    const FileSlot target = slot(view_->intLoadFile() == 0 ? 1 : 2);
    target.file.Path(path);
    if (target.file.Error() == FileErrors::EmptyFile) {
        // An empty file A leaves the window as "Закрыть Всё" does in the no-file state;
        // an empty file B leaves slot B unloaded.
        if (target.number == 1) {
            target.file.Path(QString());
            grid_->focusRowAddress(0);
        }
        return false;
    }
    showReadOnlyIndicator(target.file);
    showFileLabels(target);
    view_->loaded(target.number);
    if (target.number == 1) {
        subShowDate(1);
        selectViewButton(knViweOne);
        sets_.file.setEnabled(true);
        knViweOne->setEnabled(false);  // the only file is in view: nothing to switch to
    } else {
        sets_.twoFiles.setEnabled(true);
    }
    return true;
}

void fCompBynF::showFileLabels(const FileSlot& slot) {
    slot.path->setText(slot.file.Path());
    slot.size->setText(sizeText(slot.file.Size()));
    slot.dateTime->setText(slot.file.DateText() + QStringLiteral(" / ") + slot.file.TimeText());
}

void fCompBynF::clearFileLabels(const FileSlot& slot) {
    slot.path->setText(QStringLiteral("Не загружен"));
    slot.size->setText(sizeText(0));
    slot.dateTime->clear();
}

void fCompBynF::subRefreshCells() {
    grid_->repaint();
}

void fCompBynF::openFromCommandLine(const QStringList& paths) { openInFreeSlots(paths.mid(0, 2)); }

// Each path opens as the open command of the next free slot would: file A, then file B.
void fCompBynF::openInFreeSlots(const QStringList& paths) {
    for (const QString& path : paths) {
        const QString full = FileLayer::absolutePath(path);
        if (view_->intLoadFile() == 0) {
            openPath(full);
        } else if (view_->intLoadFile() == 1) {
            if (openPath(full)) {
                subShowDate(1);
                subRefreshCells();
            }
        } else {
            ui_.message(QStringLiteral("Сообщение"), QStringLiteral("Файл B уже открыт."),
                        MessageIcon::Warning, MessageButtons::Ok);
            return;
        }
    }
}

namespace {

// One or two local files, or nothing.
QStringList droppedFiles(const QMimeData* data) {
    QStringList paths;
    if (!data->hasUrls()) return {};
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile()) return {};
        paths << FileLayer::nameFromUrl(url);
    }
    return paths.size() <= 2 ? paths : QStringList();
}

// Opening a dropped file takes nothing away from its source: the drop is answered as a
// copy (or a link, where the source offers only that) whatever the source proposed, since
// a move answer lets it delete its original. A source that offers neither is refused.
bool takeAsCopy(QDropEvent* event) {
    const Qt::DropActions offered = event->possibleActions();
    if (!(offered & (Qt::CopyAction | Qt::LinkAction))) return false;
    event->setDropAction(offered & Qt::CopyAction ? Qt::CopyAction : Qt::LinkAction);
    event->accept();
    return true;
}

}  // namespace

// Files dropped on the window open as the open commands would, and only when those can
// be chosen: not while edits wait.
void fCompBynF::dragEnterEvent(QDragEnterEvent* event) {
    if (!view_->editsPending() && !droppedFiles(event->mimeData()).isEmpty()) takeAsCopy(event);
}

void fCompBynF::dragMoveEvent(QDragMoveEvent* event) {
    if (!view_->editsPending() && !droppedFiles(event->mimeData()).isEmpty()) takeAsCopy(event);
}

void fCompBynF::dropEvent(QDropEvent* event) {
    const QStringList paths = droppedFiles(event->mimeData());
    if (view_->editsPending() || paths.isEmpty() || !takeAsCopy(event)) return;
    // Opened once the drop has been answered: a message box shown here would keep the
    // source waiting for the answer.
    QTimer::singleShot(0, this, [this, paths] {
        if (!view_->editsPending()) openInFreeSlots(paths);
    });
}
