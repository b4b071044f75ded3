#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QStyleFactory>
#include <QTimer>
#include <QWindow>

#include <cerrno>
#include <cstdio>
#include <vector>

#include "ApplyPatch.h"
#include "BlockTransferCommands.h"
#include "CommandLine.h"
#include "DifferenceCommands.h"
#include "DumpCommands.h"
#include "DumpMessages.h"
#include "FileErrors.h"
#include "FileLayer.h"
#include "HeadlessDump.h"
#include "HelpViewer.h"
#include "ListChanges.h"
#include "ListMismatch.h"
#include "PatchCommand.h"
#include "QtUiServices.h"
#include "RangeCommands.h"
#include "Startup.h"
#include "TerminalUiServices.h"
#include "WritePatch.h"
#include "fCompBynF.h"

namespace {

// False when the text could not be written whole (a closed or full output).
bool print(std::FILE* stream, const QString& text) {
    const QByteArray bytes = FileLayer::encodeName(text);
    errno = 0;
    const bool written = std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream) == std::size_t(bytes.size());
    return std::fflush(stream) == 0 && written && !std::ferror(stream);
}

// Help and version on standard output; a failure to write them is said on stderr, as the
// dumps say theirs, and the exit status is 1.
int printAnswer(const QString& text) {
    if (print(stdout, text)) return 0;
    TerminalUiServices terminal;
    reportFileFailure(terminal, errno != 0 ? errno : EIO, FileErrors::Access::Write);
    return 1;
}

// A display that a message box can be shown on (not the offscreen or minimal platform).
bool displayExists() {
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.startsWith("offscreen") || platform.startsWith("minimal")) return false;
    return !platform.isEmpty() || !qgetenv("DISPLAY").isEmpty() || !qgetenv("WAYLAND_DISPLAY").isEmpty();
}

// The toolkit's own arguments as the bytes they came as, for the application object.
struct ToolkitArgv {
    explicit ToolkitArgv(const QStringList& arguments) {
        for (const QString& argument : arguments) bytes.push_back(FileLayer::encodeName(argument));
        for (QByteArray& b : bytes) pointers.push_back(b.data());
        pointers.push_back(nullptr);
        argc = int(bytes.size());
    }
    std::vector<QByteArray> bytes;
    std::vector<char*> pointers;
    int argc = 0;
};

// Files handed over by a file manager that cannot all be opened: the refusal in a box
// too, where the user looks.
void showRefusal(const CommandLine& command) {
    if (!displayExists()) return;
    ToolkitArgv toolkit(command.toolkitArguments);
    QApplication app(toolkit.argc, toolkit.pointers.data());
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal")) return;
    installQtTranslation(app);
    QtUiServices ui;
    QString text = command.error.mid(command.error.indexOf(QLatin1Char(' ')) + 1);  // without "bivex: "
    text[0] = text[0].toUpper();
    ui.message(QStringLiteral("Bivex"), text, MessageIcon::Warning, MessageButtons::Ok);
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
        return printAnswer(commandLineHelp(helpFile, QFileInfo(helpFile).isFile()));
    }
    case CommandLine::Action::Version:
        return printAnswer(commandLineVersion());
    case CommandLine::Action::Refuse:
        print(stderr, command.error + QLatin1Char('\n'));
        if (command.refusalForWindow) showRefusal(command);
        return CommandLine::kUsageError;
    case CommandLine::Action::Dump:
    case CommandLine::Action::DumpMismatch: {
        TerminalUiServices terminal;
        return runHeadlessDump(command, terminal);
    }
    case CommandLine::Action::ListMismatch:
        return runListMismatch(command.files[0], command.files[1], command.files.value(2), 2, command.range);
    case CommandLine::Action::ListChanges:
        return runListChanges(command.files[0], command.files[1], command.files.value(2), 2, command.range);
    case CommandLine::Action::WritePatch:
        return runWritePatch(command.files[0], command.files[1], command.files[2]);
    case CommandLine::Action::ApplyPatch:
        return runApplyPatch(command.files[0], command.files[1], command.files[2]);
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
    // Names go from argv to the system as the same bytes, whatever they are.
    for (int i = 0; i < argc; ++i) arguments << FileLayer::decodeName(QByteArray(argv[i]));
    const CommandLine command = parseCommandLine(arguments);
    if (command.action != CommandLine::Action::Run) return answerWithoutWindow(command, argc, argv);

    // The application sees only the program name and the toolkit's own options: a file
    // named like one of them (after "--") must not change how the toolkit starts.
    ToolkitArgv toolkit(command.toolkitArguments);
    QApplication app(toolkit.argc, toolkit.pointers.data());
    QApplication::setApplicationName(QStringLiteral("Bivex"));
    QApplication::setApplicationVersion(QStringLiteral(BIVEX_VERSION));
    // The desktop matches the window to its menu entry and icon by this name (Wayland's app id).
    QGuiApplication::setDesktopFileName(QStringLiteral(BIVEX_APP_ID));
    QApplication::setWindowIcon(programIcon());
    // The file dialogs and standard buttons in Russian, like the rest of the window.
    installQtTranslation(app);
    // Fusion draws the palette colours of the cells exactly as set; a style the user names
    // (-style, QT_STYLE_OVERRIDE) is theirs to have.
    if (!userChoseStyle(command.toolkitArguments, qgetenv("QT_STYLE_OVERRIDE")))
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    // Our face, which has every Cyrillic letter, at the size the desktop chose (9 pt where it
    // names none); the window is laid out for it.
    QFont font(QStringLiteral("DejaVu Sans"));
    const qreal desktopSize = QApplication::font().pointSizeF();
    font.setPointSizeF(desktopSize > 0 ? desktopSize : 9);
    QApplication::setFont(font);
    // The program ends with its main window, whatever help window is still open.
    QApplication::setQuitOnLastWindowClosed(false);

    QtUiServices ui;
    fCompBynF window(ui);
    installRangeCommands(window);
    installBlockTransferCommands(window);
    installDumpCommands(window);
    installDifferenceCommands(window);
    installPatchCommand(window);
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
