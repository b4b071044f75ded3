#include "ExactDifference.h"

#include <algorithm>

bool ExactDifference::find(const std::uint8_t* x, std::int64_t n, const std::uint8_t* y, std::int64_t m, std::int64_t steps,
                           std::vector<Change>& changes, std::int64_t& used) {
    changes.clear();
    std::int64_t stepsLeft = steps;
    // furthest_[offset + k]: the furthest x reached on diagonal k = x - y. Each distance reads
    // only what the one before wrote, and the first reads diagonal 1.
    const std::int64_t offset = n + m + 1;
    if (furthest_.size() < std::size_t(2 * offset + 1)) furthest_.resize(std::size_t(2 * offset + 1));
    furthest_[std::size_t(offset + 1)] = 0;
    trace_.clear();
    std::int64_t distance = -1;
    for (std::int64_t d = 0; d <= n + m && distance < 0; ++d) {
        std::int64_t* v = furthest_.data() + offset;
        for (std::int64_t k = -d; k <= d; k += 2) {
            std::int64_t px = (k == -d || (k != d && v[k - 1] < v[k + 1])) ? v[k + 1] : v[k - 1] + 1;
            std::int64_t py = px - k;
            const std::int64_t from = px;
            while (px < n && py < m && x[px] == y[py]) {
                ++px;
                ++py;
            }
            v[k] = px;
            stepsLeft -= 1 + (px - from);
            if (px >= n && py >= m) distance = d;
        }
        for (std::int64_t k = -d; k <= d; k += 2) trace_.push_back(std::int32_t(v[k]));
        if (stepsLeft < 0 && distance < 0) {
            used = steps - stepsLeft;
            return false;
        }
    }
    used = steps - stepsLeft;

    // Back from the end: each distance adds one step right (a byte of x) or down (of y)
    // before a run of equal bytes. Steps with no equal byte between them are one change.
    auto furthestAt = [&](std::int64_t d, std::int64_t k) {
        return std::int64_t(trace_[std::size_t(d * (d + 1) / 2 + (k + d) / 2)]);
    };
    std::int64_t px = n, py = m;
    for (std::int64_t d = distance; d > 0; --d) {
        const std::int64_t k = px - py;
        const bool down = k == -d || (k != d && furthestAt(d - 1, k - 1) < furthestAt(d - 1, k + 1));
        const std::int64_t fromK = down ? k + 1 : k - 1;
        const std::int64_t fromX = furthestAt(d - 1, fromK), fromY = fromX - fromK;
        const std::int64_t stepX = down ? fromX : fromX + 1, stepY = down ? fromY + 1 : fromY;
        if (changes.empty() || px > stepX || py > stepY) changes.push_back({stepX, 0, stepY, 0});  // its end, for now
        Change& change = changes.back();
        change.lengthA += change.addressA - fromX;
        change.lengthB += change.addressB - fromY;
        change.addressA = fromX;
        change.addressB = fromY;
        px = fromX;
        py = fromY;
    }
    std::reverse(changes.begin(), changes.end());
    return true;
}
