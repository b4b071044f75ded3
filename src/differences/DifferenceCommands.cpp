#include "DifferenceCommands.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QStatusBar>

#include <fcntl.h>

#include "BusyCursor.h"
#include "ByteGrid.h"
#include "FileLayer.h"
#include "HexCell.h"
#include "MismatchDock.h"
#include "RunList.h"
#include "RunScanner.h"
#include "UiServices.h"
#include "fCompBynF.h"

namespace {

// The byte at `address` of the file at `path` as the disk holds it, -1 when there is none.
int byteOnDisk(const QString& path, std::int64_t address) {
    if (path.isEmpty() || address < 0) return -1;
    const int fd = FileLayer::open(path, O_RDONLY);
    if (fd < 0) return -1;
    std::uint8_t byte = 0;
    const std::int64_t got = FileLayer::pread(fd, &byte, 1, address);
    FileLayer::close(fd);
    return got == 1 ? byte : -1;
}

QString byteText(int byte) {
    return byte < 0 ? QStringLiteral("--") : QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0')).toUpper();
}

}  // namespace

void showInBothFiles(fCompBynF& window, std::int64_t address) {
    if (window.loadedFileCount() < 2 || window.changesPending()) return;
    auto* synchro = window.findChild<QAction*>(QStringLiteral("mnuSynchro"));
    if (synchro && !synchro->isChecked()) window.mnuSynchro_Click();
    window.subSearchAddr(address, 0);
}

void stepToRun(fCompBynF& window, MismatchDock* dock, bool forward) {
    if (window.loadedFileCount() < 2 || window.changesPending() || window.intShowFile == 0) return;
    const int focused = window.grid().focusedCell();
    const std::int64_t start = window.inView().screenStart;
    // From the screen start a run that begins there is the next one.
    const std::int64_t position = focused >= 0 ? start + focused : (forward ? start - 1 : start);
    std::int64_t target = RunList::kUnknown;
    if (dock && dock->upToDate())
        target = forward ? dock->runs().nextStart(position) : dock->runs().previousStart(position);
    if (target == RunList::kUnknown) {
        BusyCursor busy;
        const RunScanner::FilePair files(window.FileAtributOne().Path(), window.FileAtributTwo().Path());
        target = forward ? RunScanner::nextRunStart(files, position) : RunScanner::previousRunStart(files, position);
    }
    if (target >= 0) {
        showInBothFiles(window, target);
        return;
    }
    QString text = QStringLiteral("Больше несовпадений нет");
    const QString longer =
        DifferenceText::longerFile(window.FileAtributOne().Size(), window.FileAtributTwo().Size());
    if (!longer.isEmpty()) text += QStringLiteral(".\n") + longer + QLatin1Char('.');
    window.ui().message(QStringLiteral("Сообщение"), text, MessageIcon::Information, MessageButtons::Ok);
}

QString addressStatus(fCompBynF& window) {
    const int focused = window.grid().focusedCell();
    if (focused < 0 || window.intShowFile == 0) return {};
    const std::int64_t address = window.inView().screenStart + focused;
    const std::int64_t sizeA = window.FileAtributOne().Size(), sizeB = window.FileAtributTwo().Size();
    QString text = QStringLiteral("Адрес ") + DifferenceText::address(address, std::max(sizeA, sizeB)) +
                   QStringLiteral("   A: ") + byteText(byteOnDisk(window.FileAtributOne().Path(), address));
    if (window.loadedFileCount() == 2)
        text += QStringLiteral("   B: ") + byteText(byteOnDisk(window.FileAtributTwo().Path(), address));
    return text;
}

MismatchDock* installDifferenceCommands(fCompBynF& window) {
    auto* dock = new MismatchDock(window);
    window.addDockWidget(Qt::RightDockWidgetArea, dock);
    dock->hide();
    dock->onGoTo = [&window](std::int64_t address) { showInBothFiles(window, address); };

    const auto connect = [&window](const char* name, auto command) {
        if (auto* action = window.findChild<QAction*>(QString::fromLatin1(name)))
            QObject::connect(action, &QAction::triggered, &window, command);
    };
    connect("mnuMismatchList", [dock] { dock->showList(); });
    connect("mnuNextMismatch", [&window, dock] { stepToRun(window, dock, true); });
    connect("mnuPreviousMismatch", [&window, dock] { stepToRun(window, dock, false); });

    // Where am I: the focused cell's address and both bytes, under the window.
    auto* status = new QLabel(&window);
    status->setObjectName(QStringLiteral("lbAddressStatus"));
    status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // As tall empty as with its line, so the window is sized for it from the start.
    status->setMinimumHeight(status->fontMetrics().height());
    window.statusBar()->addWidget(status, 1);
    auto refresh = [&window, status] {
        // Leaving the grid keeps the last cell's line; a redraw or another cell renews it.
        const QString text = addressStatus(window);
        if (!text.isEmpty() || window.loadedFileCount() == 0) {
            status->setText(text);
            status->setAccessibleName(text);
        }
    };
    QObject::connect(&window, &fCompBynF::screenShown, status, refresh);
    // Only a cell taking the focus: the window may be half torn down when the focus goes.
    QObject::connect(qApp, &QApplication::focusChanged, status, [refresh](QWidget*, QWidget* now) {
        if (qobject_cast<HexCell*>(now)) refresh();
    });
    return dock;
}
