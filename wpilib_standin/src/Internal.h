#pragma once

// Internals of the stand-in library, shared between its source files and
// never installed or exported.

#include <stddef.h>
#include <stdint.h>

#include <string>

#include "hal/Types.h"

namespace frc {
class Sendable;
}  // namespace frc

namespace wpilib_standin {

// The dashboard side of the registry, for SmartDashboard and LiveWindow. An entry's id stays
// with it when its object moves, and is never reused.
namespace dashboard {

using UID = size_t;

// The id of the object's entry, which is made (unnamed) if there is none; 0 for null.
UID GetUniqueId(frc::Sendable* sendable);
// The object an entry now belongs to, or null once it has left the registry.
frc::Sendable* GetSendable(UID uid);
// Attaches the NetworkTables table at path `table` to the entry: the object describes itself
// again, and its values are written there.
void Publish(UID uid, const std::string& table);
// Writes the entry's values into its table, if it has one; false when the entry has left the
// registry.
bool Update(UID uid);

// LiveWindow: whether an entry's values are written while not in LiveWindow mode (telemetry).
void SetTelemetry(frc::Sendable* sendable, bool enabled);
void DisableAllTelemetry();
// One LiveWindow pass: each entry marked for LiveWindow (and with telemetry on, outside
// LiveWindow mode) gets its table under /LiveWindow/<subsystem>/<name> the first time, is put in
// its safe state when LiveWindow mode starts, and has its values written.
void UpdateLiveWindow(bool liveWindowMode, bool startLiveWindowMode);
// Puts each LiveWindow entry with a table in its safe state, as leaving LiveWindow mode does.
void StopLiveWindowMode();

}  // namespace dashboard

// Seconds on the process's monotonic clock.
double NowSeconds();

// What the driver station's error report does on a robot: one line on the
// console (here the standard error stream).
void ReportToConsole(bool isError, int32_t code, const std::string& details,
                     const std::string& location);

// The shortest decimal text that reads back as exactly this double.
std::string FormatDouble(double value);

// Appends one entry to the hardware call journal (see wpilib_standin/Sim.h).
void Journal(std::string entry);

// The roboRIO hardware layer's PWM outputs, simulated. Each function reports
// failure through *status (0 = success), as the hardware layer does.
namespace sim_hal {

// Status codes of the hardware layer.
constexpr int32_t kIncompatibleState = 1015;  // a warning, not fatal
constexpr int32_t kParameterOutOfRange = -1028;
constexpr int32_t kResourceIsAllocated = -1029;
constexpr int32_t kResourceOutOfRange = -1030;
constexpr int32_t kPwmScaleError = -1072;
constexpr int32_t kHandleError = -1098;

const char* GetErrorMessage(int32_t code);

int32_t GetNumPWMChannels();
HAL_DigitalHandle InitializePWMPort(int32_t channel, int32_t* status);
void FreePWMPort(HAL_DigitalHandle handle, int32_t* status);
void SetPWMConfig(HAL_DigitalHandle handle, double max, double deadbandMax, double center,
                  double deadbandMin, double min, int32_t* status);
void SetPWMConfigRaw(HAL_DigitalHandle handle, int32_t maxPwm, int32_t deadbandMaxPwm,
                     int32_t centerPwm, int32_t deadbandMinPwm, int32_t minPwm, int32_t* status);
void GetPWMConfigRaw(HAL_DigitalHandle handle, int32_t* maxPwm, int32_t* deadbandMaxPwm,
                     int32_t* centerPwm, int32_t* deadbandMinPwm, int32_t* minPwm, int32_t* status);
void SetPWMEliminateDeadband(HAL_DigitalHandle handle, HAL_Bool eliminateDeadband, int32_t* status);
void SetPWMRaw(HAL_DigitalHandle handle, int32_t value, int32_t* status);
void SetPWMSpeed(HAL_DigitalHandle handle, double speed, int32_t* status);
void SetPWMPosition(HAL_DigitalHandle handle, double position, int32_t* status);
void SetPWMDisabled(HAL_DigitalHandle handle, int32_t* status);
int32_t GetPWMRaw(HAL_DigitalHandle handle, int32_t* status);
double GetPWMSpeed(HAL_DigitalHandle handle, int32_t* status);
double GetPWMPosition(HAL_DigitalHandle handle, int32_t* status);
void LatchPWMZero(HAL_DigitalHandle handle, int32_t* status);
void SetPWMPeriodScale(HAL_DigitalHandle handle, int32_t squelchMask, int32_t* status);

}  // namespace sim_hal
}  // namespace wpilib_standin
