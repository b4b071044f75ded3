// The block transfers as the save, load and create dialogs run them.
#include "BenchRegistry.h"

#include "BlockTransfer.h"
#include "StderrUi.h"
#include "UiServices.h"

#include <QFileInfo>

#include <cstdio>

namespace {

// The dialogs' bar without a window: the updates still come at their pace.
struct NoProgress : BlockTransfer::Progress {
    void setMaximum(double) override {}
    void advance(double) override {}
};

int result(BlockTransfer::Outcome outcome, const StderrUi& ui) {
    return outcome == BlockTransfer::Outcome::Done && ui.shown == 0 ? 0 : 1;
}

// The whole of SOURCE saved as a block into TARGET (a new file).
BenchRegistration saveBlock("save-block", "SOURCE TARGET", [](const QStringList& args, BenchClock&) {
    if (args.size() < 2) return 2;
    StderrUi ui;
    NoProgress progress;
    const qint64 size = QFileInfo(args[0]).size();
    return result(BlockTransfer::subCopyToFile(ui, args[0], args[1], 0, size - 1, progress), ui);
});

// The whole of SOURCE loaded into TARGET at address 0.
BenchRegistration loadBlock("load-block", "SOURCE TARGET", [](const QStringList& args, BenchClock&) {
    if (args.size() < 2) return 2;
    StderrUi ui;
    NoProgress progress;
    const qint64 size = QFileInfo(args[1]).size();
    return result(BlockTransfer::subCopyFromFile(ui, args[0], args[1], FileIdentity::ofPath(args[1]),
                                                 size, 0, progress),
                  ui);
});

// A new file TARGET of MIB mebibytes, every byte VALUE (hexadecimal).
BenchRegistration createFile("create-file", "TARGET MIB VALUE", [](const QStringList& args, BenchClock&) {
    if (args.size() < 3) return 2;
    StderrUi ui;
    NoProgress progress;
    const qint64 size = args[1].toLongLong() * 1024 * 1024;
    const auto value = std::uint8_t(args[2].toUInt(nullptr, 16));
    return result(BlockTransfer::subFillNewFile(ui, args[0], 0, size - 1, value, progress), ui);
});

}  // namespace
