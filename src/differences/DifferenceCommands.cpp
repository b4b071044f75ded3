#include "DifferenceCommands.h"

#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>

#include "AlignedCommand.h"
#include "ChangeActions.h"
#include "ChangeIndex.h"
#include "ChangesDock.h"
#include "DifferenceIndex.h"
#include "LineLabel.h"
#include "MismatchDock.h"
#include "PairView.h"
#include "RunList.h"
#include "ValuesDock.h"
#include "WindowPort.h"
#include "mRWByt.h"

namespace {

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
    explicit RunStepper(WindowPort& window)
        : QObject(&window.host()), window_(window.host()), view_(window.view()), index_(view_.differences()) {
        searching_ = new QWidget(&window_);
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
        window_.statusBar()->addPermanentWidget(searching_);
        searching_->hide();
        // Esc stops the search, or else the change list being made; the action is live only
        // while one of them runs.
        escape_ = new QAction(&window_);
        escape_->setObjectName(QStringLiteral("stopByEscape"));
        escape_->setShortcut(Qt::Key_Escape);
        escape_->setEnabled(false);
        window_.addAction(escape_);

        connect(stop, &QPushButton::clicked, &index_, &DifferenceIndex::cancelSeek);
        connect(escape_, &QAction::triggered, this, [this] {
            if (index_.seeking())
                index_.cancelSeek();
            else
                view_.changes().stop();
        });
        connect(&view_.changes(), &ChangeIndex::changed, this, &RunStepper::followWork);
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
        if (view_.intLoadFile() < 2 || view_.editsPending() || view_.intShowFile() == 0) return;
        const std::int64_t focused = view_.focusedAddress();
        const std::int64_t start = view_.screenStart(view_.intShowFile());
        // From the screen start a run that begins there is the next one. Runs go by A's
        // addresses: file B in view at a shift asks from the byte of A compared with it.
        std::int64_t position = focused >= 0 ? focused : (forward ? start - 1 : start);
        if (view_.intShowFile() == 2 && view_.synchronised()) position = view_.comparedAddress(2, position);
        window_.statusBar()->clearMessage();
        index_.seek(position, forward);
    }

private:
    void showSearching(bool on) {
        searching_->setVisible(on);
        if (!on) bar_->setValue(0);
        followWork();
    }
    void followWork() {
        escape_->setEnabled(searching_->isVisibleTo(&window_) || view_.changes().state() == ChangeIndex::State::Working);
    }

    void found(std::int64_t address, bool forward) {
        showSearching(false);
        if (address >= 0) {
            view_.showInBothFiles(address);
            return;
        }
        // Said where the user looks, with no box to close.
        QString text = forward ? QStringLiteral("Больше несовпадений нет") : QStringLiteral("Раньше несовпадений нет");
        const QString longer =
            DifferenceText::longerFile(view_.FileAtributOne().Size(), view_.FileAtributTwo().Size());
        if (!longer.isEmpty()) text += QStringLiteral(". ") + longer;
        window_.statusBar()->showMessage(text + QLatin1Char('.'), kNoticeMs);
    }

    QMainWindow& window_;
    PairView& view_;
    DifferenceIndex& index_;
    QWidget* searching_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QAction* escape_ = nullptr;
};

}  // namespace

QString addressStatus(const PairView& view) {
    const std::int64_t address = view.focusedAddress();
    const int shown = view.intShowFile();
    if (address < 0 || shown == 0) return {};
    const std::int64_t widest = std::max(view.file(1).Size(), view.file(2).Size());
    // The other file's byte is the one compared with it: at a shift, at its own address.
    const bool shifted = view.synchronised() && view.shift() != 0;
    const auto side = [&](int number) {
        const std::int64_t at = number == shown || !shifted ? address : view.comparedAddress(shown, address);
        QString label = number == 1 ? QStringLiteral("A") : QStringLiteral("B");
        if (at != address) label += QStringLiteral(" (") + DifferenceText::address(at, widest) + QLatin1Char(')');
        return QStringLiteral("   ") + label + QStringLiteral(": ") + byteText(view.shownByte(number, at));
    };
    QString text = QStringLiteral("Адрес ") + DifferenceText::address(address, widest) + side(1);
    if (view.intLoadFile() == 2) text += side(2);
    return text;
}

MismatchDock* installDifferenceCommands(WindowPort& port) {
    QMainWindow& window = port.host();
    PairView& view = port.view();
    auto* dock = new MismatchDock(window, view.differences());
    window.addDockWidget(Qt::RightDockWidgetArea, dock);
    dock->hide();
    dock->onGoTo = [&view](std::int64_t address) { view.showInBothFiles(address); };
    auto* stepper = new RunStepper(port);

    // The list's second mode, in the same place: the changes with inserted and deleted bytes.
    auto* changes = new ChangesDock(window, view.changes());
    window.addDockWidget(Qt::RightDockWidgetArea, changes);
    window.tabifyDockWidget(dock, changes);
    changes->hide();
    changes->onGoTo = [&window, &view](std::int64_t addressA, std::int64_t addressB) {
        view.showAtAddresses(addressA, addressB);
        if (view.intLoadFile() < 2 || view.editsPending()) return;
        const std::int64_t widest = std::max(view.FileAtributOne().Size(), view.FileAtributTwo().Size());
        window.statusBar()->showMessage(QStringLiteral("Синхронизация выключена: файл А показан с адреса %1, файл В — с адреса %2.")
                                            .arg(DifferenceText::address(addressA, widest), DifferenceText::address(addressB, widest)),
                                        kNoticeMs);
    };

    // The list keeps the row of the run under the focused cell selected, however it got there.
    // Runs go by A's addresses: file B in view at a shift is told by those compared with it.
    const auto inA = [&view](std::int64_t address) {
        return address >= 0 && view.intShowFile() == 2 && view.synchronised() ? view.comparedAddress(2, address) : address;
    };
    QObject::connect(&view, &PairView::screenShown, dock, [&view, dock, changes, inA] {
        const bool refresh = view.intLoadFile() == 2 && !view.editsPending();
        dock->showScreen(view.intShowFile() != 0 ? inA(view.screenStart(view.intShowFile())) : -1, refresh);
        changes->allowRefresh(refresh);
        if (const std::int64_t at = view.focusedAddress(); at >= 0) dock->followAddress(inA(at));
    });
    QObject::connect(&view, &PairView::focusedAddressChanged, dock, [dock, inA](std::int64_t at) {
        if (at >= 0) dock->followAddress(inA(at));
    });
    const auto connect = [&port](WindowPort::Command command, auto handler) {
        QObject::connect(port.command(command), &QAction::triggered, &port.host(), handler);
    };
    connect(WindowPort::Command::MismatchList, [dock] { dock->showList(); });
    connect(WindowPort::Command::NextMismatch, [stepper] { stepper->step(true); });
    connect(WindowPort::Command::PreviousMismatch, [stepper] { stepper->step(false); });
    connect(WindowPort::Command::ChangeList, [changes] { changes->showList(); });
    // What the bytes at the cursor read as, in both files.
    auto* values = new ValuesDock(window, view);
    window.addDockWidget(Qt::RightDockWidgetArea, values);
    values->hide();
    connect(WindowPort::Command::Values, [values] { values->toggle(); });
    installAlignedCommand(port, *changes, *values);
    connect(WindowPort::Command::NextChange, [&window, &view, changes] { stepChange(window, view, *changes, true); });
    connect(WindowPort::Command::PreviousChange, [&window, &view, changes] { stepChange(window, view, *changes, false); });
    dock->onShowChanges = [changes] { changes->showList(); };
    const auto take = [&port](int target, std::int64_t from, std::int64_t to, std::int64_t lengthFrom, std::int64_t lengthTo) {
        takeOver(port, target, from, to, lengthFrom, lengthTo);
    };
    dock->onTakeOver = take;
    changes->onTakeOver = take;
    // The lists take the bytes' text in the code page the screen shows, and go out of the
    // window by copy and by file.
    QObject::connect(&view, &PairView::modesChanged, dock, [&view, dock, changes] {
        dock->setDos(view.dosView());
        changes->setDos(view.dosView());
    });
    const auto loaded = [&view] { return QStringList{view.FileAtributOne().Path(), view.FileAtributTwo().Path()}; };
    dock->addExport(view.ui(), loaded);
    changes->addExport(view.ui(), loaded);

    // Where am I: the focused cell's address and both bytes, under the window. It changes with
    // every key, so it keeps its size: a new line lays nothing out.
    auto* status = new LineLabel(QString(), &window);
    status->setObjectName(QStringLiteral("lbAddressStatus"));
    window.statusBar()->addWidget(new LineRoom(status, &window), 1);
    auto refresh = [&view, status] {
        // Leaving the grid keeps the last cell's line; a redraw or another cell renews it.
        const QString text = addressStatus(view);
        if (!text.isEmpty() || view.intLoadFile() == 0) status->setText(text);
    };
    QObject::connect(&view, &PairView::screenShown, status, refresh);
    QObject::connect(&view, &PairView::focusedAddressChanged, status, refresh);
    return dock;
}
