#pragma once

#include <chrono>

// How often a long job shows how far it has come, in the window or on the terminal:
// often enough to look alive, seldom enough to cost nothing next to the work.
namespace Pacing {
constexpr std::chrono::milliseconds kInterval{50};
constexpr int kIntervalMs = int(kInterval.count());
}  // namespace Pacing
