#include "ProgressBarAdapter.h"

#include <QProgressBar>

#include <algorithm>
#include <cmath>

namespace {
constexpr int kTicks = 1'000'000;  // resolution once the range exceeds an int
}

ProgressBarAdapter::ProgressBarAdapter(QProgressBar* bar) : bar_(bar) {
    bar_->setRange(0, 100);
    bar_->setValue(0);
}

void ProgressBarAdapter::setMaximum(double maximum) {
    maximum_ = maximum;
    apply();
}

void ProgressBarAdapter::setValue(double value) {
    value_ = value;
    apply();
}

void ProgressBarAdapter::apply() {
    const double maximum = std::max(0.0, maximum_);
    const double value = std::clamp(value_, 0.0, maximum);
    int barMaximum;
    int barValue;
    if (maximum <= kTicks) {
        barMaximum = int(std::ceil(maximum));
        barValue = int(std::floor(value));
    } else {
        barMaximum = kTicks;
        barValue = int(value / maximum * kTicks);
    }
    if (barMaximum == 0) barMaximum = 1;  // an empty range would show a busy indicator
    if (bar_->maximum() != barMaximum) {
        bar_->setValue(0);  // never let the value sit above a lowered maximum
        bar_->setMaximum(barMaximum);
    }
    bar_->setValue(barValue);
}
