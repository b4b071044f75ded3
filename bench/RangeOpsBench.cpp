// The loops of the range dialogs, called as the dialogs call them, over whole files.
#include "BenchRegistry.h"

#include "RangeScanners.h"
#include "StderrUi.h"
#include "UiServices.h"
#include "mRWByt.h"

#include <QByteArray>

#include <cstdio>

namespace {

// Fails unless the search found EXPECTED and said nothing, so a wrong result cannot be fast.
int foundAt(const RangeScanners::ScanResult& result, const QString& expected, const StderrUi& ui) {
    if (result.found != expected.toLongLong()) {
        std::fprintf(stderr, "found %lld\n", static_cast<long long>(result.found));
        return 1;
    }
    return ui.shown ? 1 : 0;
}

// The dialogs hand each chunk's bar value to a pacer; this stands in for it.
struct BarSink {
    std::int64_t counter = 0;
    std::int64_t last = -1;
    RangeScanners::StepCounter steps{counter, [this](std::int64_t value) { last = value; }};
};

BenchRegistration byteSearch("byte-search", "FILE HEXPATTERN EXPECTED", [](const QStringList& args, BenchClock& clock) {
    if (args.size() < 3) return 2;
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
    return foundAt(result, args[2], ui);
});

BenchRegistration mismatchSearch("mismatch-search", "FILE_A FILE_B EXPECTED", [](const QStringList& args, BenchClock& clock) {
    if (args.size() < 3) return 2;
    StderrUi ui;
    mRWByt fileA(ui), fileB(ui);
    fileA.Path(args[0]);
    fileB.Path(args[1]);
    BarSink bar;
    clock.restart();
    const auto result = RangeScanners::findMismatch(fileA, fileB, 0, fileA.Size() - 1, bar.steps);
    clock.stop();
    return foundAt(result, args[2], ui);
});

BenchRegistration replaceBytes("replace", "FILE", [](const QStringList& args, BenchClock& clock) {
    if (args.size() < 1) return 2;
    StderrUi ui;
    mRWByt file(ui);
    file.Path(args[0]);
    clock.restart();
    const bool ok = RangeScanners::replaceBytes(file, 0, file.Size() - 1, 0x00, 0x11);
    clock.stop();
    return ok && !ui.shown ? 0 : 1;
});

BenchRegistration fillBytes("fill", "FILE", [](const QStringList& args, BenchClock& clock) {
    if (args.size() < 1) return 2;
    StderrUi ui;
    mRWByt file(ui);
    file.Path(args[0]);
    clock.restart();
    const bool ok = RangeScanners::fillBytes(file, 0, file.Size() - 1, 0x00);
    clock.stop();
    return ok && !ui.shown ? 0 : 1;
});

}  // namespace
