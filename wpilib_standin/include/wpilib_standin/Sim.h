#pragma once

// Stand-in only: controls and read-back of the simulated hardware layer, for
// tests and demos. None of this exists in the real library, and device code
// must not use it.

#include <stdint.h>

#include <string>
#include <vector>

#include "wpilib_standin/Export.h"

namespace frc {
class Sendable;
}  // namespace frc

namespace wpilib_standin {

// ---- Battery ----------------------------------------------------------------

constexpr double kDefaultInputVoltage = 12.0;

// Sets the battery voltage that frc::RobotController::GetInputVoltage()
// reports (12.0 until set).
WPILIB_STANDIN_API void SetInputVoltage(double volts);

// ---- Usage reports ------------------------------------------------------------

// One HAL_Report call, as received.
struct UsageReport {
  int32_t resource = 0;
  int32_t instanceNumber = 0;
  int32_t context = 0;
  std::string feature;        // "" when the feature was null
  bool featureIsNull = true;  // whether the feature argument was nullptr
};

// Every HAL_Report call since the start or the last ClearUsageReports(), in
// call order.
WPILIB_STANDIN_API std::vector<UsageReport> GetUsageReports();
WPILIB_STANDIN_API void ClearUsageReports();

// ---- PWM outputs ----------------------------------------------------------------

constexpr int kNumPwmChannels = 20;

// The hardware state of one PWM channel.
struct PwmState {
  bool allocated = false;  // a frc::PWM currently owns the channel
  int32_t raw = 0;         // pulse value; 0 = no pulse
  int32_t maxPwm = 0;      // raw bounds, as set or converted from ms
  int32_t deadbandMaxPwm = 0;
  int32_t centerPwm = 0;
  int32_t deadbandMinPwm = 0;
  int32_t minPwm = 0;
  bool configSet = false;          // bounds were set in ms (SetBounds or default)
  bool eliminateDeadband = false;  // speed mapping skips the deadband
  int32_t periodScale = 0;         // squelch mask: 0 = 1X, 1 = 2X, 3 = 4X
  int zeroLatchCount = 0;          // zero latch pulses since allocation
};

// State of a channel 0-19; a default PwmState for any other number. A freed
// channel keeps its last state until it is allocated again.
WPILIB_STANDIN_API PwmState GetPwmState(int channel);

// ---- Hardware call journal ----------------------------------------------------------

// Each hardware-layer call that changed or reported something, in order, as
// text: the HAL function name and its arguments, the PWM channel first, e.g.
//   "HAL_InitializePWMPort(3)"            "HAL_FreePWMPort(3)"
//   "HAL_SetPWMConfig(3, 2.5, 1.55, 1.5, 1.45, 0.5)"   (ms as given)
//   "HAL_SetPWMConfigRaw(3, 1999, 1049, 999, 949, -1)"
//   "HAL_SetPWMEliminateDeadband(3, false)"
//   "HAL_SetPWMRaw(3, 999)"   "HAL_SetPWMSpeed(3, 0)"   "HAL_SetPWMPosition(3, 0.5)"
//   "HAL_SetPWMDisabled(3)"   "HAL_SetPWMPeriodScale(3, 3)"   "HAL_LatchPWMZero(3)"
//   "HAL_Report(33, 4, 0, nullptr)"   "HAL_Report(82, 1, 0, \"text\")"
// Doubles are written in the shortest form that reads back exactly. Calls on
// an invalid handle fail with an error and are not journalled.
WPILIB_STANDIN_API std::vector<std::string> GetHalJournal();
WPILIB_STANDIN_API void ClearHalJournal();

// ---- Dashboard registry --------------------------------------------------------------

// Whether the registry shows the object in LiveWindow (registered with AddLW).
WPILIB_STANDIN_API bool IsLiveWindowEnabled(const frc::Sendable* sendable);

}  // namespace wpilib_standin
