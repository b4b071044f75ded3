#include "DifferenceCommands.h"

#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>

#include <fcntl.h>

#include "ByteGrid.h"
#include "ChangesDock.h"
#include "DifferenceIndex.h"
#include "FileLayer.h"
#include "HexCell.h"
#include "LineLabel.h"
#include "MismatchDock.h"
#include "RunList.h"
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

// How long a line about F6 stays in the status bar.
constexpr int kNoticeMs = 8000;

// F6 and Shift+F6: the next or previous run from the focused cell, or from the screen
// start when no cell has the focus. The index answers at once from a complete list, and
// otherwise searches on a worker while the window goes on; meanwhile a bar and "Стоп" (or
// Esc) stand in the status bar.
class RunStepper : public QObject {
public:
    explicit RunStepper(fCompBynF& window) : QObject(&window), window_(window), index_(window.differences()) {
        searching_ = new QWidget(&window);
        searching_->setObjectName(QStringLiteral("runSearch"));
        auto* row = new QHBoxLayout(searching_);
        row->setContentsMargins(0, 0, 0, 0);
        bar_ = new QProgressBar(searching_);
        bar_->setObjectName(QStringLiteral("runSearchProgress"));
        bar_->setAccessibleName(QStringLiteral("Ход поиска несовпадения"));
        bar_->setRange(0, 1000);
        bar_->setTextVisible(false);
        bar_->setMaximumWidth(160);
        auto* stop = new QPushButton(QStringLiteral("Стоп"), searching_);
        stop->setObjectName(QStringLiteral("runSearchStop"));
        stop->setAutoDefault(false);
        row->addWidget(bar_);
        row->addWidget(stop);
        window.statusBar()->addPermanentWidget(searching_);
        searching_->hide();
        // Esc stops the search; the action is live only while one runs.
        escape_ = new QAction(&window);
        escape_->setShortcut(Qt::Key_Escape);
        escape_->setEnabled(false);
        window.addAction(escape_);

        connect(stop, &QPushButton::clicked, &index_, &DifferenceIndex::cancelSeek);
        connect(escape_, &QAction::triggered, &index_, &DifferenceIndex::cancelSeek);
        connect(&index_, &DifferenceIndex::seekProgress, this, [this](double done) {
            showSearching(true);
            bar_->setValue(int(done * 1000));
        });
        connect(&index_, &DifferenceIndex::runFound, this, &RunStepper::found);
        connect(&index_, &DifferenceIndex::seekCancelled, this, [this] {
            showSearching(false);
            window_.statusBar()->showMessage(QStringLiteral("Поиск несовпадения остановлен."), kNoticeMs);
        });
    }

    void step(bool forward) {
        if (window_.loadedFileCount() < 2 || window_.changesPending() || window_.intShowFile == 0) return;
        const int focused = window_.grid().focusedCell();
        const std::int64_t start = window_.inView().screenStart;
        // From the screen start a run that begins there is the next one.
        const std::int64_t position = focused >= 0 ? start + focused : (forward ? start - 1 : start);
        window_.statusBar()->clearMessage();
        index_.seek(position, forward);
    }

private:
    void showSearching(bool on) {
        searching_->setVisible(on);
        escape_->setEnabled(on);
        if (!on) bar_->setValue(0);
    }

    void found(std::int64_t address, bool forward) {
        showSearching(false);
        if (address >= 0) {
            window_.showInBothFiles(address);
            return;
        }
        // Said where the user looks, with no box to close.
        QString text = forward ? QStringLiteral("Больше несовпадений нет") : QStringLiteral("Раньше несовпадений нет");
        const QString longer =
            DifferenceText::longerFile(window_.FileAtributOne().Size(), window_.FileAtributTwo().Size());
        if (!longer.isEmpty()) text += QStringLiteral(". ") + longer;
        window_.statusBar()->showMessage(text + QLatin1Char('.'), kNoticeMs);
    }

    fCompBynF& window_;
    DifferenceIndex& index_;
    QWidget* searching_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QAction* escape_ = nullptr;
};

}  // namespace

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
    auto* dock = new MismatchDock(window, window.differences());
    window.addDockWidget(Qt::RightDockWidgetArea, dock);
    dock->hide();
    dock->onGoTo = [&window](std::int64_t address) { window.showInBothFiles(address); };
    auto* stepper = new RunStepper(window);

    // The list's second mode, in the same place: the changes with inserted and deleted bytes.
    auto* changes = new ChangesDock(window, window.changes());
    window.addDockWidget(Qt::RightDockWidgetArea, changes);
    window.tabifyDockWidget(dock, changes);
    changes->hide();
    changes->onGoTo = [&window](std::int64_t addressA, std::int64_t addressB) {
        window.showAtAddresses(addressA, addressB);
        if (window.loadedFileCount() < 2 || window.changesPending()) return;
        const std::int64_t widest = std::max(window.FileAtributOne().Size(), window.FileAtributTwo().Size());
        window.statusBar()->showMessage(QStringLiteral("Синхронизация выключена: файл А показан с адреса %1, файл В — с адреса %2.")
                                            .arg(DifferenceText::address(addressA, widest), DifferenceText::address(addressB, widest)),
                                        kNoticeMs);
    };

    // The focused cell's address, where there is one.
    const auto focusedAddress = [&window]() -> std::int64_t {
        const int focused = window.grid().focusedCell();
        return focused >= 0 && window.intShowFile != 0 ? window.inView().screenStart + focused : -1;
    };
    // The list keeps the row of the run under the focused cell selected, however it got there.
    QObject::connect(&window, &fCompBynF::screenShown, dock, [&window, dock, changes, focusedAddress] {
        const bool refresh = window.loadedFileCount() == 2 && !window.changesPending();
        dock->showScreen(window.intShowFile != 0 ? window.inView().screenStart : -1, refresh);
        changes->allowRefresh(refresh);
        if (const std::int64_t at = focusedAddress(); at >= 0) dock->followAddress(at);
    });
    QObject::connect(qApp, &QApplication::focusChanged, dock, [dock, focusedAddress](QWidget*, QWidget* now) {
        if (!qobject_cast<HexCell*>(now)) return;
        if (const std::int64_t at = focusedAddress(); at >= 0) dock->followAddress(at);
    });
    const auto connect = [&window](fCompBynF::Command command, auto handler) {
        QObject::connect(window.command(command), &QAction::triggered, &window, handler);
    };
    connect(fCompBynF::Command::MismatchList, [dock] { dock->showList(); });
    connect(fCompBynF::Command::NextMismatch, [stepper] { stepper->step(true); });
    connect(fCompBynF::Command::PreviousMismatch, [stepper] { stepper->step(false); });
    connect(fCompBynF::Command::ChangeList, [changes] { changes->showList(); });

    // Where am I: the focused cell's address and both bytes, under the window. It changes with
    // every key, so it keeps its size: a new line lays nothing out.
    auto* status = new LineLabel(QString(), &window);
    status->setObjectName(QStringLiteral("lbAddressStatus"));
    window.statusBar()->addWidget(new LineRoom(status, &window), 1);
    auto refresh = [&window, status] {
        // Leaving the grid keeps the last cell's line; a redraw or another cell renews it.
        const QString text = addressStatus(window);
        if (!text.isEmpty() || window.loadedFileCount() == 0) status->setText(text);
    };
    QObject::connect(&window, &fCompBynF::screenShown, status, refresh);
    // Only a cell taking the focus: the window may be half torn down when the focus goes.
    QObject::connect(qApp, &QApplication::focusChanged, status, [refresh](QWidget*, QWidget* now) {
        if (qobject_cast<HexCell*>(now)) refresh();
    });
    return dock;
}
