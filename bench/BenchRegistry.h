#pragma once

#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <map>

// The clock of one run. The dispatcher starts it just before the case and reads it just
// after; a case with set-up or tear-down it does not want timed calls restart() after
// the set-up and stop() before the tear-down.
class BenchClock {
public:
    void restart() {
        start_ = Clock::now();
        stopped_ = false;
    }
    void stop() {
        end_ = Clock::now();
        stopped_ = true;
    }
    // A case that times its own runs (a median, a per-step figure) reports that figure.
    void report(double seconds) { reported_ = seconds; }
    double seconds() const {
        if (reported_ >= 0) return reported_;
        const auto end = stopped_ ? end_ : Clock::now();
        return std::chrono::duration<double>(end - start_).count();
    }

private:
    using Clock = std::chrono::steady_clock;
    Clock::time_point start_ = Clock::now();
    Clock::time_point end_;
    bool stopped_ = false;
    double reported_ = -1;
};

// A case gets its arguments (after the case name) and returns 0 on success, 2 when they
// are too few (the dispatcher then prints its usage); anything it wants to say goes to
// stderr, so stdout holds only the time.
using BenchFunction = std::function<int(const QStringList& args, BenchClock& clock)>;

struct BenchCase {
    QString usage;  // the arguments, for the help text
    BenchFunction run;
};

std::map<QString, BenchCase>& benchCases();

// Registers a case from a static object in its own file:
//   static BenchRegistration reg("redraw", "FILE", [](const QStringList&, BenchClock&) {...});
struct BenchRegistration {
    BenchRegistration(const char* name, const char* usage, BenchFunction run) {
        benchCases()[QString::fromUtf8(name)] = BenchCase{QString::fromUtf8(usage), std::move(run)};
    }
};
