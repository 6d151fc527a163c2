// The shortest pulse a servo's PWM output can send.
#pragma once

#include <cstdint>

#include <frc/PWM.h>

namespace velmora::servos {

// Raw pulse values count steps of the output's loop timing, and raw 0 means "no pulse". The
// servos' 0.5 ms minimum lies one step below that (raw -1): a position or speed at the bottom of
// the range would then work out to raw 0 or less, which the output refuses with a scale error
// that it keeps, ignoring every later command (a continuous servo would keep turning through
// StopMotor). The shortest pulse the output can produce is raw 1.
constexpr int32_t kShortestPulseRaw = 1;

// Raises the minimum raw bound of `pwm` to the shortest pulse it can produce, if the bounds set
// in milliseconds put it lower; the other four bounds stay as they are. An output that already
// holds an error (a refused channel) is left alone: asking it would only add another error.
inline void KeepShortestPulseProducible(frc::PWM& pwm) {
  if (pwm.StatusIsFatal()) return;
  int32_t max = 0;
  int32_t deadbandMax = 0;
  int32_t center = 0;
  int32_t deadbandMin = 0;
  int32_t min = kShortestPulseRaw;
  pwm.GetRawBounds(&max, &deadbandMax, &center, &deadbandMin, &min);
  if (min < kShortestPulseRaw) {
    pwm.SetRawBounds(max, deadbandMax, center, deadbandMin, kShortestPulseRaw);
  }
}

}  // namespace velmora::servos
