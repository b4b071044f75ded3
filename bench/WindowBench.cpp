// Cases of the main window on the offscreen platform: one redraw, and paging through
// two synchronised files. Each timed step includes the paint of what changed on the
// screen, and a step that paints no cell fails the case: a figure without the paint
// would not be what the user waits for.
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QKeyEvent>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include "BenchApplication.h"
#include "BenchRegistry.h"
#include "ByteGrid.h"
#include "StderrUi.h"
#include "PairView.h"
#include "fCompBynF.h"

namespace {

// Counts the paint events that reach the grid and its cells.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* grid) : grid_(grid) {}
    int paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            auto* widget = static_cast<QWidget*>(watched);
            if (widget == grid_ || grid_->isAncestorOf(widget)) ++paints;
        }
        return false;
    }

private:
    QWidget* grid_;
};

// The window as the program starts it (style and font of main.cpp), with both files
// loaded and synchronised paging on.
struct WindowFixture {
    BenchApplication application;
    StderrUi ui;
    std::unique_ptr<fCompBynF> window;
    std::unique_ptr<PaintCounter> counter;

    explicit WindowFixture(const QStringList& files) {
        window = std::make_unique<fCompBynF>(ui);
        window->show();
        window->openFromCommandLine(files);
        window->findChild<QAction*>(QStringLiteral("mnuSynchro"))->trigger();
        QApplication::processEvents();
        counter = std::make_unique<PaintCounter>(&window->grid());
        qApp->installEventFilter(counter.get());
    }
    // Delivers what the step left pending, the repaint of the changed cells among it.
    static void paint() { QApplication::processEvents(); }
};

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The median of the steps is the case's figure (the other processes of a busy machine then
// do not count as ours); the mean and the 90th percentile go to stderr as "mean=… p90=…",
// for the line scripts/bench prints.
void reportSpread(std::vector<double> times, BenchClock& clock) {
    if (times.empty()) return;
    std::sort(times.begin(), times.end());
    double total = 0;
    for (double t : times) total += t;
    std::fprintf(stderr, "mean=%.6f p90=%.6f\n", total / double(times.size()), times[times.size() * 9 / 10]);
    clock.report(times[times.size() / 2]);
}

// redraw FILE_A FILE_B [CALLS]: the median time of one full redraw with both files loaded
// and synchronised, painting included. The view switches between A and B on every call,
// so on files that differ the cells that differ change each time.
BenchRegistration redraw("redraw", "FILE_A FILE_B [CALLS]", [](const QStringList& args, BenchClock& clock) {
    if (args.size() < 2) return 2;
    WindowFixture fixture(args.mid(0, 2));
    const int calls = args.size() > 2 ? args[2].toInt() : 1000;
    std::vector<double> times;
    times.reserve(calls);
    for (int i = 0; i < calls; ++i) {
        const int paintsBefore = fixture.counter->paints;
        const auto start = std::chrono::steady_clock::now();
        fixture.window->subShowDate(i % 2 ? 1 : 2);
        WindowFixture::paint();
        times.push_back(secondsSince(start));
        if (fixture.counter->paints == paintsBefore) {
            std::fprintf(stderr, "redraw %d painted no cell: are the files the same?\n", i);
            return 1;
        }
    }
    reportSpread(std::move(times), clock);
    return fixture.ui.shown ? 1 : 0;
});

// page-down FILE_A FILE_B [STEPS]: PageDown through two synchronised files, the median time
// of one step with the paint of its screen included.
BenchRegistration pageDown("page-down", "FILE_A FILE_B [STEPS]", [](const QStringList& args, BenchClock& clock) {
    if (args.size() < 2) return 2;
    WindowFixture fixture(args.mid(0, 2));
    const int steps = args.size() > 2 ? args[2].toInt() : 4096;
    QWidget* target = fixture.window->focusWidget() ? fixture.window->focusWidget() : fixture.window.get();
    int unpainted = 0;
    std::vector<double> times;
    times.reserve(steps);
    for (int i = 0; i < steps; ++i) {
        const int paintsBefore = fixture.counter->paints;
        const auto start = std::chrono::steady_clock::now();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
        QApplication::sendEvent(target, &press);
        WindowFixture::paint();
        times.push_back(secondsSince(start));
        unpainted += fixture.counter->paints == paintsBefore;
    }
    if (fixture.window->view().currentBlock() != steps + 1) {
        std::fprintf(stderr, "page-down ended on block %lld, not %d\n",
                     static_cast<long long>(fixture.window->view().currentBlock()), steps + 1);
        return 1;
    }
    if (unpainted > 0) {
        std::fprintf(stderr, "page-down: %d of %d steps painted no cell\n", unpainted, steps);
        return 1;
    }
    reportSpread(std::move(times), clock);
    return fixture.ui.shown ? 1 : 0;
});

// pair-files FILE_A FILE_B MIB: not a measurement but the data of the two cases above: two
// files of random bytes in which each byte of B is A's byte or another random byte, so
// about half of the bytes differ, and differently on every screen.
BenchRegistration pairFiles("pair-files", "FILE_A FILE_B MIB", [](const QStringList& args, BenchClock&) {
    if (args.size() < 3) return 2;
    QFile a(args[0]);
    QFile b(args[1]);
    if (!a.open(QIODevice::WriteOnly | QIODevice::Truncate) || !b.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "cannot write %s or %s\n", qPrintable(args[0]), qPrintable(args[1]));
        return 1;
    }
    std::uint64_t state = 0x9E3779B97F4A7C15ull;
    auto next = [&state] {  // xorshift64*
        state ^= state >> 12;
        state ^= state << 25;
        state ^= state >> 27;
        return state * 0x2545F4914F6CDD1Dull;
    };
    constexpr std::size_t kChunk = 1 << 20;
    std::vector<std::uint64_t> bufA(kChunk / 8);
    std::vector<std::uint64_t> bufB(kChunk / 8);
    const long long chunks = args[2].toLongLong();
    for (long long c = 0; c < chunks; ++c) {
        for (std::size_t w = 0; w < bufA.size(); ++w) {
            const std::uint64_t x = next();
            const std::uint64_t other = next();
            // one random bit per byte chooses whether B's byte is A's or another
            std::uint64_t choose = next() & 0x0101010101010101ull;
            choose *= 0xFF;
            bufA[w] = x;
            bufB[w] = (x & ~choose) | (other & choose);
        }
        if (a.write(reinterpret_cast<const char*>(bufA.data()), kChunk) != qint64(kChunk) ||
            b.write(reinterpret_cast<const char*>(bufB.data()), kChunk) != qint64(kChunk)) {
            std::fprintf(stderr, "write failed\n");
            return 1;
        }
    }
    return 0;
});

}  // namespace
