// The text dumps as the menu runs them: "Файл" and "Несовпадения" chosen in a window on the
// offscreen platform, the save dialog answered with the output path.
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QRandomGenerator>
#include <QStyleFactory>

#include <cstdio>
#include <memory>

#include "BenchRegistry.h"
#include "DumpCommands.h"
#include "UiServices.h"
#include "fCompBynF.h"

namespace {

// Answers the save dialog with one path and every question with OK; any other message is
// a failure of the run.
class SaveToUi : public UiServices {
public:
    explicit SaveToUi(QString path) : path_(std::move(path)) {}
    MessageAnswer message(const QString&, const QString& text, MessageIcon, MessageButtons buttons) override {
        if (buttons != MessageButtons::OkCancel) {
            std::fprintf(stderr, "message: %s\n", qPrintable(text));
            failed = true;
        }
        return MessageAnswer::Ok;
    }
    bool chooseOpenFile(FileDialogRequest&) override { return false; }
    bool chooseSaveFile(FileDialogRequest& request) override {
        request.fileName = path_;
        return true;
    }
    void openHelp(const QString&, const QString&) override {}
    bool failed = false;

private:
    QString path_;
};

// Opens the files in a window, then times one menu command.
int runDumpCommand(const QStringList& files, const QString& out, const char* action, BenchClock& clock) {
    int argc = 1;
    char arg0[] = "bench";
    char* argv[] = {arg0, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    SaveToUi ui(out);
    fCompBynF window(ui);
    installDumpCommands(window);
    window.show();
    window.openFromCommandLine(files);
    QApplication::processEvents();
    auto* command = window.findChild<QAction*>(QString::fromLatin1(action));
    if (!command || !command->isEnabled()) {
        std::fprintf(stderr, "%s is not available\n", action);
        return 1;
    }
    clock.restart();
    command->trigger();
    clock.stop();
    return ui.failed || QFile(out).size() == 0 ? 1 : 0;
}

// dump-file FILE OUT: "Сохранить как ... / Файл" of FILE into OUT.
BenchRegistration dumpFile("dump-file", "FILE OUT", [](const QStringList& args, BenchClock& clock) {
    if (args.size() < 2) return 2;
    return runDumpCommand({args[0]}, args[1], "mnuSaveFile", clock);
});

// dump-mismatch A B OUT: "Сохранить как ... / Несовпадения" of A and B into OUT.
BenchRegistration dumpMismatch("dump-mismatch", "A B OUT", [](const QStringList& args, BenchClock& clock) {
    if (args.size() < 3) return 2;
    return runDumpCommand({args[0], args[1]}, args[2], "mnuSaveNoByt", clock);
});

// differ-copy SRC DST PERCENT: DST is SRC with PERCENT % of its bytes, at random places,
// changed. Prepares the data of dump-mismatch; its time means nothing.
BenchRegistration differCopy("differ-copy", "SRC DST PERCENT", [](const QStringList& args, BenchClock&) {
    if (args.size() < 3) return 2;
    QFile in(args[0]);
    QFile out(args[1]);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 1;
    QByteArray bytes = in.readAll();
    const auto changes = qint64(double(bytes.size()) * args[2].toDouble() / 100.0);
    QRandomGenerator gen(12345);
    for (qint64 i = 0; i < changes && !bytes.isEmpty(); ++i) {
        char& b = bytes[qsizetype(gen.bounded(quint64(bytes.size())))];
        b = char(quint8(b) ^ quint8(1 + gen.bounded(255)));
    }
    return out.write(bytes) == bytes.size() ? 0 : 1;
});

}  // namespace
