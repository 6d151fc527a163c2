// Usage reports number a PWM device's instance from 1: its channel plus one.
#pragma once

#include <climits>
#include <cstdint>

namespace velmora::servos {

// A channel the PWM output refused can read back as INT_MAX, and a program can pass any int;
// adding one to INT_MAX would overflow, so such a report names INT_MAX itself.
inline int32_t UsageInstance(int channel) { return channel == INT_MAX ? INT_MAX : channel + 1; }

}  // namespace velmora::servos
