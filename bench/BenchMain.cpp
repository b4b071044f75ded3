#include "BenchRegistry.h"

#include <cstdio>

std::map<QString, BenchCase>& benchCases() {
    static std::map<QString, BenchCase> cases;
    return cases;
}

static void printUsage() {
    std::fprintf(stderr, "usage: bivex_bench CASE ARGS...\ncases:\n");
    for (const auto& [name, benchCase] : benchCases())
        std::fprintf(stderr, "  %s %s\n", qPrintable(name), qPrintable(benchCase.usage));
}

// Cases that need a QApplication create it themselves; the file cases need none.
int main(int argc, char** argv) {
    if (argc < 2) {
        printUsage();
        return 2;
    }
    const auto found = benchCases().find(QString::fromLocal8Bit(argv[1]));
    if (found == benchCases().end()) {
        std::fprintf(stderr, "unknown case: %s\n", argv[1]);
        printUsage();
        return 2;
    }
    QStringList args;
    for (int i = 2; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    BenchClock clock;
    clock.restart();
    const int result = found->second.run(args, clock);
    const double seconds = clock.seconds();
    if (result == 2) std::fprintf(stderr, "arguments: %s\n", qPrintable(found->second.usage));
    if (result != 0) return result;
    std::printf("%.6f\n", seconds);
    return 0;
}
