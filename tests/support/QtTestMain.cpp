#include <QApplication>
#include <QStyleFactory>

#include <gtest/gtest.h>

namespace {

QtMessageHandler passOn = nullptr;

// The offscreen platform says this for every window it shows; dropping that one message
// keeps the warnings that matter readable. Everything else goes on as before.
void quietOffscreenHints(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text == QLatin1String("This plugin does not support propagateSizeHints()")) return;
    passOn(type, context, text);
}

}  // namespace

// Every test binary runs inside one QApplication, as the program does: Fusion style, so
// the palette colours the tests check are the ones drawn.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    passOn = qInstallMessageHandler(quietOffscreenHints);
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
