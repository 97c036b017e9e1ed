#pragma once

#include <functional>

namespace support {

// Runs the event loop until `done` holds or `timeoutMs` passes; returns whether it held.
// Tests use this instead of sleeping, so sockets and timers keep running while they wait.
bool spinUntil(const std::function<bool()>& done, int timeoutMs = 5000);

// Runs the event loop for a fixed time (to show that something does NOT happen).
void spinFor(int ms);

} // namespace support
