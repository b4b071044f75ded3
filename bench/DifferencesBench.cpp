// Cases of the list of differences: F6 through the window's own function, and PageDown
// while the list scans two large files; plus the data they and the command-line case need.
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QRandomGenerator>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include "AddressText.h"
#include "BenchApplication.h"
#include "BenchRegistry.h"
#include "ByteGrid.h"
#include "DifferenceCommands.h"
#include "DifferenceIndex.h"
#include "HexCell.h"
#include "MismatchDock.h"
#include "StderrUi.h"
#include "PairView.h"
#include "fCompBynF.h"

namespace {

// The window as the program starts it, with the commands of the list installed and both
// files loaded.
struct Window {
    BenchApplication application;
    StderrUi ui;
    std::unique_ptr<fCompBynF> window;
    MismatchDock* dock = nullptr;

    explicit Window(const QStringList& files) {
        window = std::make_unique<fCompBynF>(ui);
        dock = installDifferenceCommands(*window);
        window->resize(1200, 700);
        window->show();
        window->openFromCommandLine(files);
        QApplication::processEvents();
    }
};

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// f6-far FILE_A FILE_B EXPECTED: F6 from address 0 without the list, as the key does it:
// the search on its worker, the window's event loop running meanwhile, the redraw of both
// files included; fails unless the focus lands on EXPECTED (hex). The longest time the
// event loop went without running goes to stderr ("stall S").
BenchRegistration f6Far("f6-far", "FILE_A FILE_B EXPECTED", [](const QStringList& args, BenchClock& clock) {
    if (args.size() < 3) return 2;
    Window w(args.mid(0, 2));
    w.window->grid().focusCell(0);
    QApplication::processEvents();
    DifferenceIndex& index = w.window->view().differences();
    double stall = 0;
    clock.restart();
    w.window->command(fCompBynF::Command::NextMismatch)->trigger();
    auto tick = std::chrono::steady_clock::now();
    while (index.seeking()) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        stall = std::max(stall, secondsSince(tick));
        tick = std::chrono::steady_clock::now();
        QThread::usleep(200);
    }
    QApplication::processEvents();
    clock.stop();
    const std::int64_t at = w.window->view().screenStart(w.window->view().intShowFile()) + w.window->grid().focusedCell();
    if (w.window->grid().focusedCell() < 0 || at != AddressText::funAdresValue(args[2])) {
        std::fprintf(stderr, "f6-far stopped at %llx, not %s\n", static_cast<unsigned long long>(at),
                     qPrintable(args[2]));
        return 1;
    }
    std::fprintf(stderr, "f6-far: stall %.6f\n", stall);
    return w.ui.shown ? 1 : 0;
});

// page-while-scanning FILE_A FILE_B [STEPS]: the list scans the two files while PageDown is
// pressed every 20 ms; the median time from the key to its screen painted. Fails when the
// scan ends before the steps are done (the files are too small to tell anything).
BenchRegistration pageWhileScanning("page-while-scanning", "FILE_A FILE_B [STEPS]", [](const QStringList& args, BenchClock& clock) {
    if (args.size() < 2) return 2;
    Window w(args.mid(0, 2));
    const int steps = args.size() > 2 ? args[2].toInt() : 50;
    w.window->command(fCompBynF::Command::MismatchList)->trigger();
    w.window->grid().focusCell(0);
    QWidget* target = w.window->grid().editor();
    std::vector<double> times;
    for (int i = 0; i < steps; ++i) {
        if (w.window->view().differences().state() != DifferenceIndex::State::Scanning) {
            std::fprintf(stderr, "page-while-scanning: the scan ended after %d steps\n", i);
            return 1;
        }
        const std::int64_t before = w.window->screenStartOne();
        const auto start = std::chrono::steady_clock::now();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
        QApplication::sendEvent(QApplication::focusWidget() ? QApplication::focusWidget() : target, &press);
        w.window->grid().repaint();
        times.push_back(secondsSince(start));
        if (w.window->screenStartOne() != before + 256) {
            std::fprintf(stderr, "page-while-scanning: step %d did not page\n", i);
            return 1;
        }
        // The user's next key comes a moment later; meanwhile the list takes its rows.
        const auto pause = std::chrono::steady_clock::now();
        while (secondsSince(pause) < 0.02) {
            QApplication::processEvents(QEventLoop::AllEvents, 5);
            QThread::msleep(1);
        }
    }
    std::nth_element(times.begin(), times.begin() + steps / 2, times.end());
    clock.report(times[steps / 2]);
    std::fprintf(stderr, "page-while-scanning: max %.6f s\n", *std::max_element(times.begin(), times.end()));
    return w.ui.shown ? 1 : 0;
});

// The resident size of this process in MiB.
double residentMiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return -1;
}

// list-memory FILE_A FILE_B: what a complete list adds to the window's resident size, in
// MiB (reported in place of seconds; the script holds it to the 40 MiB target). The files
// unmapped after the scan do not count. Fails unless the list kept its full million runs.
BenchRegistration listMemory("list-memory", "FILE_A FILE_B", [](const QStringList& args, BenchClock& clock) {
    if (args.size() < 2) return 2;
    Window w(args.mid(0, 2));
    const double before = residentMiB();
    w.window->command(fCompBynF::Command::MismatchList)->trigger();
    const DifferenceIndex& index = w.window->view().differences();
    while (index.state() == DifferenceIndex::State::Scanning) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    QApplication::processEvents();
    const double grown = residentMiB() - before;
    std::fprintf(stderr, "list-memory: %.1f MiB for %lld runs found\n", grown, static_cast<long long>(index.runs().runCount()));
    if (index.runs().kept() != RunList::kKeptRuns) {
        std::fprintf(stderr, "list-memory: %lld runs kept, not a million\n", static_cast<long long>(index.runs().kept()));
        return 1;
    }
    clock.report(grown);
    return w.ui.shown ? 1 : 0;
});

// run-copy SRC DST PERCENT: DST is SRC with runs of 1 to 64 changed bytes, PERCENT % of
// the bytes in all, at random places. The data of list-mismatch; its time means nothing.
BenchRegistration runCopy("run-copy", "SRC DST PERCENT", [](const QStringList& args, BenchClock&) {
    if (args.size() < 3) return 2;
    QFile in(args[0]), out(args[1]);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 1;
    const double share = args[2].toDouble() / 100.0;
    // The mean run is 32.5 bytes: one every 32.5 / share bytes.
    const auto meanGap = qint64(32.5 / share);
    QRandomGenerator random(4711);
    qint64 next = qint64(random.bounded(quint64(2 * meanGap)));
    qint64 base = 0;
    constexpr qint64 kChunk = 64 << 20;
    while (!in.atEnd()) {
        QByteArray bytes = in.read(kChunk);
        while (next < base + bytes.size()) {
            const qint64 length = 1 + qint64(random.bounded(64u));
            for (qint64 i = next; i < next + length && i < base + bytes.size(); ++i) {
                char& b = bytes[qsizetype(i - base)];
                b = char(quint8(b) ^ quint8(1 + random.bounded(255u)));
            }
            next += length + 1 + qint64(random.bounded(quint64(2 * meanGap)));
        }
        if (out.write(bytes) != bytes.size()) return 1;
        base += bytes.size();
    }
    return 0;
});

// sparse-pair A B MIB: two images of MIB mebibytes, mostly holes, as disk images are. At
// the start of every mebibyte 64 KiB of data: random bytes in both files but for 40 runs of
// 1 to 64 bytes changed in B; in every eighth mebibyte zeros and the 40 runs in A only,
// against a hole in B. 40 runs per mebibyte in all. The data of list-mismatch-sparse; its
// time means nothing.
BenchRegistration sparsePair("sparse-pair", "A B MIB", [](const QStringList& args, BenchClock&) {
    if (args.size() < 3) return 2;
    const qint64 mib = args[2].toLongLong();
    QFile a(args[0]), b(args[1]);
    if (!a.open(QIODevice::WriteOnly | QIODevice::Truncate) || !b.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        !a.resize(mib << 20) || !b.resize(mib << 20))
        return 1;
    constexpr qint64 kStretch = 64 * 1024, kRuns = 40, kRunSpacing = 1600;  // runs never touch
    QRandomGenerator random(1234);
    for (qint64 m = 0; m < mib; ++m) {
        const bool onlyInA = m % 8 == 7;
        QByteArray inA(kStretch, '\0');
        if (!onlyInA) random.fillRange(reinterpret_cast<quint32*>(inA.data()), kStretch / 4);
        QByteArray inB = inA;
        for (qint64 r = 0; r < kRuns; ++r) {
            const qint64 at = r * kRunSpacing + random.bounded(kRunSpacing - 64), length = 1 + random.bounded(64);
            for (qint64 i = at; i < at + length; ++i) {
                const auto change = char(1 + random.bounded(255));
                if (onlyInA)
                    inA[i] = change;
                else
                    inB[i] = char(inB[i] ^ change);
            }
        }
        if (!a.seek(m << 20) || a.write(inA) != kStretch) return 1;
        if (!onlyInA && (!b.seek(m << 20) || b.write(inB) != kStretch)) return 1;
    }
    return 0;
});

}  // namespace
