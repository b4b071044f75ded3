#include <QApplication>
#include <QStyleFactory>

#include <gtest/gtest.h>

// Every test binary runs inside one QApplication, as the program does: Fusion style, so
// the palette colours the tests check are the ones drawn.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
