#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QStyleFactory>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <vector>

#include "BlockTransferCommands.h"
#include "CommandLine.h"
#include "DumpCommands.h"
#include "FileLayer.h"
#include "HeadlessDump.h"
#include "HelpViewer.h"
#include "QtUiServices.h"
#include "RangeCommands.h"
#include "Startup.h"
#include "TerminalUiServices.h"
#include "fCompBynF.h"

namespace {

void print(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream);
    std::fflush(stream);
}

// Help, version, refusals and dumps: answered on the terminal, with no window and no
// display.
int answerWithoutWindow(const CommandLine& command, int argc, char** argv) {
    switch (command.action) {
    case CommandLine::Action::Help: {
        // Only for the binary's own folder, which is where the help command looks.
        QCoreApplication core(argc, argv);
        const QString helpFile =
            QDir(fCompBynF::helpFolder(QCoreApplication::applicationDirPath())).filePath(QStringLiteral("Bivex.hlp"));
        print(stdout, commandLineHelp(helpFile, QFileInfo(helpFile).isFile()));
        return 0;
    }
    case CommandLine::Action::Version:
        print(stdout, commandLineVersion());
        return 0;
    case CommandLine::Action::Refuse:
        print(stderr, command.error + QLatin1Char('\n'));
        return CommandLine::kUsageError;
    case CommandLine::Action::Dump:
    case CommandLine::Action::DumpMismatch: {
        TerminalUiServices terminal;
        return runHeadlessDump(command, terminal);
    }
    case CommandLine::Action::Run:
        break;
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    // Before anything writes a file, the dumps without a window included.
    FileLayer::ignoreFileSizeSignal();
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    const CommandLine command = parseCommandLine(arguments);
    if (command.action != CommandLine::Action::Run) return answerWithoutWindow(command, argc, argv);

    // The application sees only the program name and the toolkit's own options: a file
    // named like one of them (after "--") must not change how the toolkit starts.
    std::vector<QByteArray> toolkitBytes;
    for (const QString& argument : command.toolkitArguments) toolkitBytes.push_back(argument.toLocal8Bit());
    std::vector<char*> toolkitArgv;
    for (QByteArray& bytes : toolkitBytes) toolkitArgv.push_back(bytes.data());
    toolkitArgv.push_back(nullptr);
    int toolkitArgc = int(toolkitBytes.size());

    QApplication app(toolkitArgc, toolkitArgv.data());
    QApplication::setApplicationName(QStringLiteral("Bivex"));
    QApplication::setApplicationVersion(QStringLiteral(BIVEX_VERSION));
    QApplication::setWindowIcon(programIcon());
    // The file dialogs and standard buttons in Russian, like the rest of the window.
    installQtTranslation(app);
    // Fusion draws the palette colours of the cells exactly as set.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(9);
    QApplication::setFont(font);
    // The program ends with its main window, whatever help window is still open.
    QApplication::setQuitOnLastWindowClosed(false);

    QtUiServices ui;
    fCompBynF window(ui);
    installRangeCommands(window);
    installBlockTransferCommands(window);
    installDumpCommands(window);
    QObject::connect(&window, &fCompBynF::exitRequested, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    window.show();
    window.openFromCommandLine(command.files);
    // For the start-up benchmark: leave once the display has exposed the window and its
    // first frame is painted (on a display the window is exposed only after show() returns).
    if (qEnvironmentVariableIsSet("BIVEX_EXIT_AFTER_SHOW")) {
        auto* exposed = new QTimer(&app);
        QObject::connect(exposed, &QTimer::timeout, &app, [&window, &app] {
            if (!window.windowHandle() || !window.windowHandle()->isExposed()) return;
            window.repaint();
            app.quit();
        });
        exposed->start(1);
    }
    return app.exec();
}
