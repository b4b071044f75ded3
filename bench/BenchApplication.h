#pragma once

#include <QApplication>
#include <QFont>
#include <QStyleFactory>

#include <memory>

// The application as the program starts it (style and font), on the offscreen platform:
// what the window cases of the benchmark build their window in.
struct BenchApplication {
    int argc = 1;
    char arg0[8] = "bench";
    char* argv[2] = {arg0, nullptr};
    std::unique_ptr<QApplication> app;

    BenchApplication() {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QApplication>(argc, argv);
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPointSize(9);
        QApplication::setFont(font);
    }
};
