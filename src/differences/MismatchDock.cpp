#include "MismatchDock.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLocale>
#include <QMainWindow>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>


#include <cmath>

#include "DifferenceIndex.h"
#include "DockRoom.h"
#include "PanelHead.h"
#include "RowExport.h"
#include "MismatchMap.h"
#include "MismatchModel.h"
#include "MismatchTable.h"

MismatchDock::MismatchDock(QMainWindow& window, DifferenceIndex& index)
    : QDockWidget(QStringLiteral("Список несовпадений"), &window), window_(window), index_(index) {
    head_ = std::make_unique<PanelHead>(*this, QStringLiteral("mismatch"), QStringLiteral("Ход сравнения"));
    QWidget* body = head_->body;

    auto* lists = new QHBoxLayout;
    model_ = new MismatchModel(index_.runs(), this);
    table_ = new MismatchTable(model_, body);
    mapStrip_ = new MismatchMap(body);
    const RunList& runs = index_.runs();
    mapStrip_->setRuns({[&runs](std::int64_t lo, std::int64_t hi) { return runs.within(lo, hi); },
                        [&runs](std::int64_t address) { return runs.nextStart(address); },
                        [&runs](std::int64_t address) { return runs.previousStart(address); },
                        [this] {
                            return index_.state() == DifferenceIndex::State::Complete ? index_.map().commonSize()
                                                                                       : index_.reached();
                        }});
    lists->addWidget(table_, 1);
    lists->addWidget(mapStrip_);
    head_->column->addLayout(lists, 1);

    toChanges_ = new QPushButton(QStringLiteral("Список изменений (Ctrl+K)"), body);
    toChanges_->setObjectName(QStringLiteral("mismatchToChanges"));
    toChanges_->setAutoDefault(false);
    toChanges_->hide();
    head_->controls->addWidget(toChanges_);
    connect(toChanges_, &QPushButton::clicked, this, [this] {
        if (onShowChanges) onShowChanges();
    });
    addTakeOver(*table_, [this](int target) {
        const int row = table_->currentIndex().row();
        if (!onTakeOver || row < 0 || row >= index_.runs().kept() || !index_.upToDate()) return;
        const RunList::KeptRun& run = index_.runs().at(row);
        // A run is told by A's address; at a shift, B's bytes stand further on.
        const std::int64_t inB = run.address + index_.shift();
        if (target == 2)
            onTakeOver(2, run.address, inB, run.length, run.length);
        else
            onTakeOver(1, inB, run.address, run.length, run.length);
    });
    connect(head_->stop, &QPushButton::clicked, &index_, &DifferenceIndex::stop);
    connect(head_->refresh, &QPushButton::clicked, &index_, &DifferenceIndex::start);
    connect(table_, &QTableView::activated, this, [this](const QModelIndex& index) { activateRow(index.row()); });
    mapStrip_->onJump = [this](std::int64_t address) {
        if (onGoTo) onGoTo(address);
    };
    connect(&index_, &DifferenceIndex::changed, this, &MismatchDock::indexChanged);
    indexChanged();
}

void MismatchDock::showScreen(std::int64_t screenStart, bool refreshAllowed) {
    refreshAllowed_ = refreshAllowed;
    head_->refresh->setEnabled(refreshAllowed);
    mapStrip_->setScreen(screenStart);
}

MismatchDock::~MismatchDock() = default;

void MismatchDock::showList() {
    if (isHidden() && !isFloating()) makeRoomFor(window_, *this, *table_, mapStrip_->sizeHint().width());
    show();
    raise();
    if (index_.state() != DifferenceIndex::State::Scanning && !index_.upToDate()) index_.start();
    table_->setFocus(Qt::OtherFocusReason);
}


void MismatchDock::indexChanged() {
    using State = DifferenceIndex::State;
    const State state = index_.state();
    if (index_.generation() != shownGeneration_) {
        // Another list: its rows start afresh, their bytes read from the files it is of.
        shownGeneration_ = index_.generation();
        model_->restart(index_.sizeA(), index_.sizeB(), index_.files());
        table_->clearSpans();
    }
    model_->runsAdded();
    if (state == State::Complete && model_->rowCount() == index_.runs().kept()) {
        model_->finish();
        if (const int rows = model_->rowCount(); rows > index_.runs().kept())
            table_->setSpan(rows - 1, 0, 1, MismatchModel::ColumnCount);
    }
    mapStrip_->setMap(index_.map());
    showSummary();
}

void MismatchDock::activateRow(int row) {
    const RunList& runs = index_.runs();
    if (!onGoTo) return;
    if (row < runs.kept()) {
        onGoTo(runs.at(row).address);
    } else if (index_.state() == DifferenceIndex::State::Complete && index_.sizeA() != index_.sizeB()) {
        // The row of the longer file: its first byte beyond the shorter one.
        onGoTo(std::min(index_.sizeA(), index_.sizeB()));
    }
}

void MismatchDock::followAddress(std::int64_t address) {
    const RunList& runs = index_.runs();
    const std::int64_t row = runs.indexAt(address);
    if (row < 0 || row >= model_->rowCount()) return;
    const QModelIndex wanted = model_->index(int(row), 0);
    if (table_->currentIndex().row() == wanted.row()) return;
    table_->setCurrentIndex(wanted);
    table_->scrollTo(wanted);
}

bool MismatchDock::looksShifted() const {
    // Bytes put in or taken out move everything after them: from the first run on most bytes
    // differ, or the lengths differ and the runs are many.
    const RunList& runs = index_.runs();
    if (index_.state() != DifferenceIndex::State::Complete || runs.runCount() == 0 || runs.kept() == 0) return false;
    const std::int64_t common = std::min(index_.sizeA(), index_.sizeB());
    const std::int64_t after = common - runs.at(0).address;
    return (index_.sizeA() != index_.sizeB() && runs.runCount() >= 64) || (after > 0 && 2 * runs.differingBytes() >= after && runs.differingBytes() >= 64);
}

void MismatchDock::showSummary() {
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    using State = DifferenceIndex::State;
    const RunList& runs = index_.runs();
    const std::int64_t sizeA = index_.sizeA(), sizeB = index_.sizeB(), reached = index_.reached();
    const std::int64_t common = std::min(sizeA, sizeB);
    const auto number = [&](std::int64_t n) { return russian.toString(qlonglong(n)); };
    QString text;
    const QString counts = QStringLiteral("участков: %1, различающихся байтов: %2")
                               .arg(number(runs.runCount()), number(runs.differingBytes()));
    const State state = index_.state();
    switch (state) {
    case State::Empty:
        text = QStringLiteral("Список ещё не составлен.");
        break;
    case State::Scanning:
        text = QStringLiteral("Сравнение… ") + counts + QLatin1Char('.');
        break;
    case State::Stopped:
        text = QStringLiteral("Остановлено на адресе %1: ").arg(DifferenceText::address(reached, std::max(sizeA, sizeB))) +
               counts + QLatin1Char('.');
        break;
    case State::OutOfDate:
        text = QStringLiteral("Список устарел: файлы могли измениться.");
        break;
    case State::Failed:
        text = QStringLiteral("Не удалось прочитать файлы.");
        break;
    case State::Complete: {
        QString share;
        if (runs.differingBytes() == 0 || common == 0) {
            share = QStringLiteral("100");
        } else {
            // Never "100" while one byte differs.
            const double equal = std::min(99.99, std::floor(double(common - runs.differingBytes()) * 10000.0 / double(common)) / 100.0);
            share = russian.toString(equal, 'f', 2);
        }
        text = runs.runCount() == 0 ? QStringLiteral("Общие байты совпадают.")
                                     : QStringLiteral("Всего ") + counts + QLatin1Char('.');
        text += QStringLiteral(" Совпадает %1\u00A0% байтов.").arg(share);
        if (runs.stoppedKeeping())
            text += QStringLiteral(" Список показывает первые %1 участков.").arg(number(runs.kept()));
        if (looksShifted())
            text += QStringLiteral(" Похоже, байты вставлены или удалены: их покажет список изменений.");
        if (!index_.heardAsTheyHappen()) text += DifferenceText::notHeardNote();
        break;
    }
    }
    toChanges_->setVisible(state == State::Complete && looksShifted());
    const std::int64_t total = std::min(sizeA, sizeB);
    head_->show(text, state == State::Scanning, total > 0 ? double(reached) / double(total) : 0.0, refreshAllowed_);
    table_->setEnabled(state != State::OutOfDate);
}

void MismatchDock::setDos(bool dos) { model_->setDos(dos); }

void MismatchDock::addExport(UiServices& ui, std::function<QStringList()> loaded) {
    addRowExport(*table_, ui, [this](int row) { return model_->rowLine(row); }, std::move(loaded), QStringLiteral("runs.txt"));
}
