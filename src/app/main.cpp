#include <QApplication>
#include <QFontDatabase>
#include <QStyleFactory>
#include <QTimer>

#include "BlockTransferCommands.h"
#include "FileLayer.h"
#include "HelpViewer.h"
#include "QtUiServices.h"
#include "RangeCommands.h"
#include "fCompBynF.h"

int main(int argc, char** argv) {
    FileLayer::ignoreFileSizeSignal();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Bivex"));
    QApplication::setApplicationVersion(QStringLiteral(BIVEX_VERSION));
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
    QObject::connect(&window, &fCompBynF::exitRequested, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    window.show();
    window.openFromCommandLine(app.arguments().mid(1));
    // For the start-up benchmark: leave as soon as the first window has been drawn.
    if (qEnvironmentVariableIsSet("BIVEX_EXIT_AFTER_SHOW"))
        QTimer::singleShot(0, &app, [&window, &app] {
            window.repaint();
            app.quit();
        });
    return app.exec();
}
