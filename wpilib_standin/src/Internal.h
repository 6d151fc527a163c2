#pragma once

// Internals of the stand-in library, shared between its source files and
// never installed or exported.

#include <stdint.h>

#include <string>

#include "hal/Types.h"

namespace wpilib_standin {

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
