#include "MismatchDock.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QScreen>
#include <QStyle>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <malloc.h>
#include <sys/stat.h>

#include <atomic>
#include <cmath>
#include <mutex>

#include "FileLayer.h"
#include "MismatchMap.h"
#include "MismatchModel.h"
#include "MismatchTable.h"
#include "RunScanner.h"
#include "fCompBynF.h"

// What the worker hands over; the window takes it every few tens of milliseconds.
struct MismatchDock::Shared {
    std::mutex mutex;
    std::vector<RunScanner::Run> fresh;  // found since the last hand-over, to keep
    std::int64_t runCount = 0, differingBytes = 0, reached = 0;
    std::vector<std::uint8_t> buckets;
    bool done = false;
    RunScanner::ScanResult result;
    std::int64_t sizeA = 0, sizeB = 0;
    std::atomic<bool> stop{false};
};

// The two files as the disk has them: another file, another size or a write since
// (modification and change times) all tell that the list may no longer hold.
struct MismatchDock::DiskState {
    QString pathA, pathB;
    struct Stamp {
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = -1;
        timespec modified{}, changed{};
        bool operator==(const Stamp& o) const {
            return device == o.device && inode == o.inode && size == o.size && modified.tv_sec == o.modified.tv_sec &&
                   modified.tv_nsec == o.modified.tv_nsec && changed.tv_sec == o.changed.tv_sec &&
                   changed.tv_nsec == o.changed.tv_nsec;
        }
    } a, b;
    bool valid = false;
    bool operator==(const DiskState& o) const {
        return valid && o.valid && pathA == o.pathA && pathB == o.pathB && a == o.a && b == o.b;
    }
};

namespace {

MismatchDock::DiskState::Stamp stampOf(const QString& path) {
    MismatchDock::DiskState::Stamp stamp;
    struct stat info {};
    if (FileLayer::stat(path, info) != 0) return stamp;
    stamp.device = info.st_dev;
    stamp.inode = info.st_ino;
    stamp.size = info.st_size;
    stamp.modified = info.st_mtim;
    stamp.changed = info.st_ctim;
    return stamp;
}

// The worker: one pass over both files, handing runs over after every step.
void scanFiles(const std::shared_ptr<MismatchDock::Shared>& shared, const QString& pathA, const QString& pathB);

// The commands after which the bytes on disk may differ from the list.
constexpr const char* kChangingCommands[] = {"mnuRec",   "mnuReplace",   "mnuFill",     "mnuLoad",
                                             "mnuNew",   "mnuRefresh",   "mnuLoadFileA", "mnuLoadFileB",
                                             "mnuDelFileB", "mnuDelAll"};

}  // namespace

MismatchDock::MismatchDock(fCompBynF& window)
    : QDockWidget(QStringLiteral("Список несовпадений"), &window), window_(window), scanned_(std::make_unique<DiskState>()) {
    setObjectName(QStringLiteral("mismatchDock"));
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);
    setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea | Qt::BottomDockWidgetArea);

    auto* body = new QWidget(this);
    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(4, 4, 4, 4);
    summary_ = new QLabel(body);
    summary_->setObjectName(QStringLiteral("mismatchSummary"));
    summary_->setWordWrap(true);
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    column->addWidget(summary_);

    auto* controls = new QHBoxLayout;
    bar_ = new QProgressBar(body);
    bar_->setObjectName(QStringLiteral("mismatchProgress"));
    bar_->setRange(0, 1000);
    bar_->setTextVisible(false);
    bar_->setAccessibleName(QStringLiteral("Ход сравнения"));
    stop_ = new QPushButton(QStringLiteral("Стоп"), body);
    stop_->setObjectName(QStringLiteral("mismatchStop"));
    refresh_ = new QPushButton(QStringLiteral("Обновить список"), body);
    refresh_->setObjectName(QStringLiteral("mismatchRefresh"));
    for (QPushButton* button : {stop_, refresh_}) button->setAutoDefault(false);
    controls->addWidget(bar_, 1);
    controls->addWidget(stop_);
    controls->addWidget(refresh_);
    column->addLayout(controls);

    auto* lists = new QHBoxLayout;
    model_ = new MismatchModel(runs_, this);
    table_ = new MismatchTable(model_, body);
    mapStrip_ = new MismatchMap(body);
    mapStrip_->setRuns({[this](std::int64_t lo, std::int64_t hi) { return runs_.within(lo, hi); },
                        [this](std::int64_t address) { return runs_.nextStart(address); },
                        [this](std::int64_t address) { return runs_.previousStart(address); },
                        [this] { return state_ == State::Complete ? map_.commonSize() : reached_; }});
    lists->addWidget(table_, 1);
    lists->addWidget(mapStrip_);
    column->addLayout(lists, 1);
    setWidget(body);
    // Narrower than its columns if the user wants it so: the table then scrolls.
    setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('0')) * 40);

    drainTimer_ = new QTimer(this);
    drainTimer_->setInterval(40);
    connect(drainTimer_, &QTimer::timeout, this, &MismatchDock::drain);
    connect(stop_, &QPushButton::clicked, this, &MismatchDock::stopScan);
    connect(refresh_, &QPushButton::clicked, this, &MismatchDock::startScan);
    connect(table_, &QTableView::activated, this, [this](const QModelIndex& index) {
        if (index.row() < runs_.kept() && onGoTo) onGoTo(runs_.at(index.row()).address);
    });
    mapStrip_->onJump = [this](std::int64_t address) {
        if (onGoTo) onGoTo(address);
    };
    for (const char* name : kChangingCommands)
        if (auto* action = window.findChild<QAction*>(QString::fromLatin1(name)))
            connect(action, &QAction::triggered, this, &MismatchDock::markOutOfDate);
    if (auto* record = window.findChild<QPushButton*>(QStringLiteral("knRecord")))
        connect(record, &QPushButton::clicked, this, &MismatchDock::markOutOfDate);
    connect(&window, &fCompBynF::screenShown, this, [this] {
        checkFiles();
        refresh_->setEnabled(window_.loadedFileCount() == 2 && !window_.changesPending());
        mapStrip_->setScreen(window_.intShowFile != 0 ? window_.inView().screenStart : -1);
    });
    showSummary();
}

MismatchDock::~MismatchDock() { joinWorker(); }

void MismatchDock::joinWorker() {
    if (!worker_.joinable()) return;
    shared_->stop = true;
    worker_.join();
}

MismatchDock::DiskState MismatchDock::diskState(fCompBynF& window) {
    DiskState state;
    if (window.loadedFileCount() < 2) return state;
    state.pathA = window.FileAtributOne().Path();
    state.pathB = window.FileAtributTwo().Path();
    state.a = stampOf(state.pathA);
    state.b = stampOf(state.pathB);
    state.valid = state.a.size >= 0 && state.b.size >= 0;
    return state;
}

bool MismatchDock::upToDate() const { return state_ == State::Complete && *scanned_ == diskState(window_); }

void MismatchDock::showList() {
    if (isHidden() && !isFloating()) makeRoom();
    show();
    raise();
    if (state_ != State::Scanning && !upToDate()) startScan();
    table_->setFocus(Qt::OtherFocusReason);
}

// The window widens by the list's columns where the screen has the room, so opening the
// list does not squeeze the screen of bytes beside it.
void MismatchDock::makeRoom() {
    // The last column stretches to whatever room there is; it needs as much as A's.
    const int bytesWidth = table_->columnWidth(MismatchModel::BytesAColumn);
    int wanted = mapStrip_->sizeHint().width() + 2 * table_->frameWidth() + 24 + bytesWidth;
    for (int column = 0; column + 1 < model_->columnCount(); ++column) wanted += table_->columnWidth(column);
    // Beside the form where the screen holds both with half of B's bytes at least; else below
    // it, and the form keeps its width (a large font or scale, a small screen).
    const QRect screen = window_.screen() ? window_.screen()->availableGeometry() : QRect(0, 0, INT_MAX, INT_MAX);
    const bool beside = window_.width() + wanted - bytesWidth / 2 <= screen.width();
    const bool below = window_.dockWidgetArea(this) == Qt::BottomDockWidgetArea;
    if (beside == below) window_.addDockWidget(beside ? Qt::RightDockWidgetArea : Qt::BottomDockWidgetArea, this);
    if (window_.isMaximized() || window_.isFullScreen()) return;
    // Once the window has its new size: the list takes what was added (its table scrolls
    // when the screen had less to give), the form keeps its own.
    const int separator = window_.style()->pixelMetric(QStyle::PM_DockWidgetSeparatorExtent, nullptr, &window_);
    const QSize size = beside ? QSize(std::min(window_.width() + wanted, screen.width()), window_.height())
                              : QSize(window_.width(), std::min(window_.height() + separator + sizeHint().height(), screen.height()));
    const int added = beside ? std::max(size.width() - window_.width() - separator, minimumWidth())
                             : std::max(size.height() - window_.height() - separator, minimumHeight());
    window_.resize(size);
    const Qt::Orientation grown = beside ? Qt::Horizontal : Qt::Vertical;
    if (added > 0) QTimer::singleShot(0, this, [this, added, grown] { window_.resizeDocks({this}, {added}, grown); });
}

void MismatchDock::startScan() {
    joinWorker();
    runs_.clear();
    *scanned_ = diskState(window_);
    if (!scanned_->valid) {
        state_ = State::OutOfDate;
        model_->restart(0, 0);
        showSummary();
        return;
    }
    shared_ = std::make_shared<Shared>();
    state_ = State::Scanning;
    sizeA_ = scanned_->a.size;
    sizeB_ = scanned_->b.size;
    reached_ = 0;
    map_.reset(std::min(sizeA_, sizeB_));
    mapStrip_->setMap(map_);
    bytes_ = std::make_shared<RunScanner::FilePair>(scanned_->pathA, scanned_->pathB);
    model_->restart(sizeA_, sizeB_, bytes_);
    table_->clearSpans();
    worker_ = std::thread(scanFiles, shared_, scanned_->pathA, scanned_->pathB);
    drainTimer_->start();
    showSummary();
}

void MismatchDock::stopScan() {
    if (state_ != State::Scanning) return;
    joinWorker();
    drain();
}

void MismatchDock::markOutOfDate() {
    if (state_ == State::Empty) return;
    joinWorker();
    drainTimer_->stop();
    state_ = State::OutOfDate;
    // Rows that may no longer hold are not shown at all.
    runs_.clear();
    bytes_.reset();
    model_->restart(0, 0);
    table_->clearSpans();
    map_.reset(0);
    mapStrip_->setMap(map_);
    showSummary();
}

void MismatchDock::checkFiles() {
    if ((state_ == State::Scanning || state_ == State::Complete || state_ == State::Stopped) &&
        !(*scanned_ == diskState(window_)))
        markOutOfDate();
}

void MismatchDock::drain() {
    if (!shared_) return;
    std::vector<RunScanner::Run> fresh;
    bool done = false;
    RunScanner::ScanResult result;
    {
        std::lock_guard lock(shared_->mutex);
        fresh.swap(shared_->fresh);
        reached_ = shared_->reached;
        map_.setBuckets(shared_->buckets.empty() ? map_.buckets() : shared_->buckets);
        done = shared_->done;
        result = shared_->result;
        for (const RunScanner::Run& run : fresh) runs_.add(run);
        // Runs past what the list keeps were only counted.
        runs_.setTotals(shared_->runCount, shared_->differingBytes);
    }
    model_->runsAdded();
    mapStrip_->setMap(map_);
    if (done) {
        if (worker_.joinable()) worker_.join();
        drainTimer_->stop();
        // The batches handed over between the threads are freed now; give their pages back,
        // so that the list costs what it keeps and no more.
        malloc_trim(0);
        if (result.failed)
            state_ = State::Failed;
        else if (result.stopped)
            state_ = State::Stopped;
        else {
            state_ = State::Complete;
            // A file cut short under the scan ends the list at its real end, and the list
            // holds for the files as they are now.
            if (result.cutShort) {
                *scanned_ = diskState(window_);
                sizeA_ = std::max<std::int64_t>(0, scanned_->a.size);
                sizeB_ = std::max<std::int64_t>(0, scanned_->b.size);
            }
            model_->restart(sizeA_, sizeB_, bytes_);
            model_->finish();
            if (const int rows = model_->rowCount(); rows > runs_.kept())
                table_->setSpan(rows - 1, 0, 1, MismatchModel::ColumnCount);
        }
    }
    showSummary();
}

void MismatchDock::showSummary() {
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    const std::int64_t common = std::min(sizeA_, sizeB_);
    const auto number = [&](std::int64_t n) { return russian.toString(qlonglong(n)); };
    QString text;
    const QString counts = QStringLiteral("участков: %1, различающихся байтов: %2")
                               .arg(number(runs_.runCount()), number(runs_.differingBytes()));
    switch (state_) {
    case State::Empty:
        text = QStringLiteral("Список ещё не составлен.");
        break;
    case State::Scanning:
        text = QStringLiteral("Сравнение… ") + counts + QLatin1Char('.');
        break;
    case State::Stopped:
        text = QStringLiteral("Остановлено на адресе %1: ").arg(DifferenceText::address(reached_, std::max(sizeA_, sizeB_))) +
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
        if (runs_.differingBytes() == 0 || common == 0) {
            share = QStringLiteral("100");
        } else {
            // Never "100" while one byte differs.
            const double equal = std::min(99.99, std::floor(double(common - runs_.differingBytes()) * 10000.0 / double(common)) / 100.0);
            share = russian.toString(equal, 'f', 2);
        }
        text = runs_.runCount() == 0 ? QStringLiteral("Общие байты совпадают.")
                                     : QStringLiteral("Всего ") + counts + QLatin1Char('.');
        text += QStringLiteral(" Совпадает %1 % байтов.").arg(share);
        if (runs_.stoppedKeeping())
            text += QStringLiteral(" Список показывает первые %1 участков.").arg(number(runs_.kept()));
        break;
    }
    }
    summary_->setText(text);
    summary_->setAccessibleName(text);
    const bool scanning = state_ == State::Scanning;
    bar_->setVisible(scanning);
    stop_->setVisible(scanning);
    refresh_->setVisible(!scanning);
    refresh_->setEnabled(window_.loadedFileCount() == 2 && !window_.changesPending());
    const std::int64_t total = std::min(sizeA_, sizeB_);
    bar_->setValue(total > 0 ? int(__int128(reached_) * 1000 / total) : 0);
    table_->setEnabled(state_ != State::OutOfDate);
}

namespace {

void scanFiles(const std::shared_ptr<MismatchDock::Shared>& shared, const QString& pathA, const QString& pathB) {
    const RunScanner::FilePair files(pathA, pathB);
    RunMap map;
    map.reset(files.commonSize());
    std::vector<RunScanner::Run> found;
    std::int64_t runCount = 0, differingBytes = 0;
    auto handOver = [&](std::int64_t reached) {
        std::lock_guard lock(shared->mutex);
        shared->fresh.insert(shared->fresh.end(), found.begin(), found.end());
        found.clear();
        shared->runCount = runCount;
        shared->differingBytes = differingBytes;
        shared->reached = reached;
        shared->buckets = map.buckets();
    };
    const RunScanner::ScanResult result = RunScanner::scanRuns(
        files, 0, files.commonSize(),
        [&](const RunScanner::Run& run) {
            if (runCount < RunList::kKeptRuns) found.push_back(run);
            ++runCount;
            differingBytes += run.length;
            map.mark(run.address, run.length);
            return true;
        },
        [&](std::int64_t reached) {
            handOver(reached);
            return !shared->stop.load();
        });
    handOver(result.reached);
    std::lock_guard lock(shared->mutex);
    shared->result = result;
    shared->done = true;
}

}  // namespace
