// The loops of the range dialogs, called as the dialogs call them, over whole files.
#include "BenchRegistry.h"

#include "RangeScanners.h"
#include "StderrUi.h"
#include "UiServices.h"
#include "mRWByt.h"

#include <QByteArray>

#include <cstdio>

namespace {

bool needArgs(const QStringList& args, int count, const char* usage) {
    if (args.size() >= count) return true;
    std::fprintf(stderr, "arguments: %s\n", usage);
    return false;
}

// The dialogs hand each chunk's bar value to a pacer; this stands in for it.
struct BarSink {
    std::int64_t counter = 0;
    std::int64_t last = -1;
    RangeScanners::StepCounter steps{counter, [this](std::int64_t value) { last = value; }};
};

// Fails unless the pattern is found exactly at EXPECTED, so a wrong result cannot be fast.
BenchRegistration byteSearch("byte-search", "FILE HEXPATTERN EXPECTED", [](const QStringList& args, BenchClock& clock) {
    if (!needArgs(args, 3, "FILE HEXPATTERN EXPECTED")) return 2;
    StderrUi ui;
    mRWByt file(ui);
    file.Path(args[0]);
    const QByteArray pattern = QByteArray::fromHex(args[1].toLatin1());
    BarSink bar;
    clock.restart();
    const auto result = RangeScanners::findPattern(file, 0, file.Size() - 1,
                                                   reinterpret_cast<const std::uint8_t*>(pattern.constData()),
                                                   int(pattern.size()), bar.steps);
    clock.stop();
    if (result.found != args[2].toLongLong()) {
        std::fprintf(stderr, "found %lld\n", static_cast<long long>(result.found));
        return 1;
    }
    return ui.shown ? 1 : 0;
});

BenchRegistration mismatchSearch("mismatch-search", "FILE_A FILE_B EXPECTED", [](const QStringList& args, BenchClock& clock) {
    if (!needArgs(args, 3, "FILE_A FILE_B EXPECTED")) return 2;
    StderrUi ui;
    mRWByt fileA(ui), fileB(ui);
    fileA.Path(args[0]);
    fileB.Path(args[1]);
    BarSink bar;
    clock.restart();
    const auto result = RangeScanners::findMismatch(fileA, fileB, 0, fileA.Size() - 1, bar.steps);
    clock.stop();
    if (result.found != args[2].toLongLong()) {
        std::fprintf(stderr, "found %lld\n", static_cast<long long>(result.found));
        return 1;
    }
    return ui.shown ? 1 : 0;
});

BenchRegistration replaceBytes("replace", "FILE", [](const QStringList& args, BenchClock& clock) {
    if (!needArgs(args, 1, "FILE")) return 2;
    StderrUi ui;
    mRWByt file(ui);
    file.Path(args[0]);
    clock.restart();
    const bool ok = RangeScanners::replaceBytes(file, 0, file.Size() - 1, 0x00, 0x11);
    clock.stop();
    return ok && !ui.shown ? 0 : 1;
});

BenchRegistration fillBytes("fill", "FILE", [](const QStringList& args, BenchClock& clock) {
    if (!needArgs(args, 1, "FILE")) return 2;
    StderrUi ui;
    mRWByt file(ui);
    file.Path(args[0]);
    clock.restart();
    const bool ok = RangeScanners::fillBytes(file, 0, file.Size() - 1, 0x00);
    clock.stop();
    return ok && !ui.shown ? 0 : 1;
});

}  // namespace
