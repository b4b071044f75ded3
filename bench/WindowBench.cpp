// Cases of the main window on the offscreen platform: one redraw, and paging through
// two synchronised files.
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QStyleFactory>

#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

#include "BenchRegistry.h"
#include "UiServices.h"
#include "fCompBynF.h"

namespace {

// No one answers: a message box counts as OK, a file dialog as cancelled.
class SilentUi : public UiServices {
public:
    MessageAnswer message(const QString&, const QString& text, MessageIcon, MessageButtons) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
        return MessageAnswer::Ok;
    }
    bool chooseOpenFile(FileDialogRequest&) override { return false; }
    bool chooseSaveFile(FileDialogRequest&) override { return false; }
    void openHelp(const QString&, const QString&) override {}
};

struct WindowFixture {
    int argc = 1;
    char arg0[8] = "bench";
    char* argv[2] = {arg0, nullptr};
    std::unique_ptr<QApplication> app;
    SilentUi ui;
    std::unique_ptr<fCompBynF> window;

    explicit WindowFixture(const QStringList& files) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QApplication>(argc, argv);
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        window = std::make_unique<fCompBynF>(ui);
        window->show();
        window->openFromCommandLine(files);
        QApplication::processEvents();
    }
};

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// redraw FILE_A FILE_B [CALLS]: the median time of one full redraw with both files loaded.
BenchRegistration redraw("redraw", "FILE_A FILE_B [CALLS]", [](const QStringList& args, BenchClock& clock) {
    if (args.size() < 2) return 2;
    WindowFixture fixture(args.mid(0, 2));
    const int calls = args.size() > 2 ? args[2].toInt() : 1000;
    fixture.window->findChild<QAction*>(QStringLiteral("mnuSynchro"))->trigger();
    std::vector<double> times;
    times.reserve(calls);
    for (int i = 0; i < calls; ++i) {
        const auto start = std::chrono::steady_clock::now();
        fixture.window->subShowDate(i % 2 ? 1 : 2);
        times.push_back(secondsSince(start));
        if (i % 64 == 0) QApplication::processEvents();  // let the paints happen, untimed
    }
    std::nth_element(times.begin(), times.begin() + calls / 2, times.end());
    clock.report(times[calls / 2]);
    return 0;
});

// page-down FILE_A FILE_B [STEPS]: PageDown through two synchronised files, per step,
// with the paint of each screen included.
BenchRegistration pageDown("page-down", "FILE_A FILE_B [STEPS]", [](const QStringList& args, BenchClock& clock) {
    if (args.size() < 2) return 2;
    WindowFixture fixture(args.mid(0, 2));
    const int steps = args.size() > 2 ? args[2].toInt() : 4096;
    fixture.window->findChild<QAction*>(QStringLiteral("mnuSynchro"))->trigger();
    QApplication::processEvents();
    QWidget* target = fixture.window->focusWidget() ? fixture.window->focusWidget() : fixture.window.get();
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < steps; ++i) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
        QApplication::sendEvent(target, &press);
        QApplication::processEvents();
    }
    const double total = secondsSince(start);
    if (fixture.window->currentBlock() != steps + 1) {
        std::fprintf(stderr, "page-down ended on block %lld, not %d\n",
                     static_cast<long long>(fixture.window->currentBlock()), steps + 1);
        return 1;
    }
    clock.report(total / steps);
    return 0;
});

}  // namespace
