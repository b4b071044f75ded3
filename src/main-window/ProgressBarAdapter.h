#pragma once

class QProgressBar;

// Drives an int-based QProgressBar with 64-bit or fractional values. A maximum equal to
// the minimum, a value above the maximum or a maximum below the current value never fail.
class ProgressBarAdapter {
public:
    explicit ProgressBarAdapter(QProgressBar* bar);

    void setMaximum(double maximum);
    void setValue(double value);
    double maximum() const { return maximum_; }
    double value() const { return value_; }

private:
    void apply();

    QProgressBar* bar_;
    double maximum_ = 100;
    double value_ = 0;
};
