#include <QApplication>
#include <QStyleFactory>
#include <QTemporaryFile>

#include <gtest/gtest.h>

namespace {

QtMessageHandler passOn = nullptr;

// The offscreen platform says these for every window and every popup menu it shows;
// dropping them keeps the warnings that matter readable. Everything else goes on as before.
void quietOffscreenHints(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text == QLatin1String("This plugin does not support propagateSizeHints()") ||
        text == QLatin1String("This plugin does not support grabbing the keyboard"))
        return;
    passOn(type, context, text);
}

}  // namespace

// Every test binary runs inside one QApplication, as the program does: Fusion style, so
// the palette colours the tests check are the ones drawn.
//
// The offscreen platform gets two screens: the primary one a 1280 x 1024 desktop at 96 dpi,
// the second the same desktop at scale 2 (640 x 512 logical pixels), for the tests of how
// the window fits them.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryFile screens;
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen" && screens.open()) {
        screens.write(R"({"screens": [
            {"name": "desktop", "x": 0, "y": 0, "width": 1280, "height": 1024, "logicalDpi": 96, "dpr": 1},
            {"name": "scaled", "x": 1280, "y": 0, "width": 640, "height": 512, "logicalDpi": 96, "dpr": 2}]})");
        screens.flush();
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + screens.fileName().toLocal8Bit());
    }
    passOn = qInstallMessageHandler(quietOffscreenHints);
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
