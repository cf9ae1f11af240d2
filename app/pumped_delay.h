// A wait on the window thread that keeps handling the window's events until its time is up.
#pragma once

#include <cstdint>

namespace tovik {

// The due time of a wait in 100-nanosecond units: negative is a wait relative to now, 0 or
// positive a time already past. `unit` 0 to 3 is milliseconds, seconds, minutes or hours; any
// other value is itself the number of milliseconds per unit. Beyond the 64-bit range the value
// saturates, so an overlong wait stays the longest possible one and never wraps to "at once".
std::int64_t DueTime(std::int32_t interval, std::int32_t unit);

// Waits `interval` units while handling the window thread's events, so handlers (the caller's own
// included) may run before it returns. Returns at once for a due time of 0 or later, and as soon
// as the window session closes or the application is quitting. Always true.
bool PumpedDelay(std::int32_t interval = 0, std::int32_t unit = 0);

}  // namespace tovik
