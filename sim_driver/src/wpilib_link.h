// What the simulation driver needs from WPILib's desktop simulation, when it is built against
// WPILib itself: the simulated clock, and the simulated devices that WPILib's tools and a team's
// tests enumerate, read and set.
//
// The calls into WPILib's HAL live in a small bridge (wpilib/hal_link.cpp) that only a driver
// built against WPILib links. Without it (the stand-in build, the Windows build), there is no
// WPILib clock to follow and no sim devices to show: these functions say so and do nothing.
#pragma once

#include <cstdint>

namespace velmora_sim::wpilib {

// How a sim value is shown in WPILib's tools.
enum class Kind { kDouble, kBoolean, kEnum };

#if defined(VELMORA_SIM_WITH_WPILIB)

constexpr bool kLinked = true;

// WPILib's simulated clock (HAL_GetFPGATime), in microseconds.
bool Clock(uint64_t* micros);
// Moves WPILib's simulated clock on, as a test stepping paused timing does.
void StepClock(uint64_t micros);
// The simulated robot controller's input voltage (RobotController::GetInputVoltage).
bool InputVoltage(double* volts);
void SetInputVoltage(double volts);

// A sim device by name; 0 when WPILib refuses it (the name is taken).
int32_t CreateDevice(const char* name);
void FreeDevice(int32_t device);
// One value of a sim device; 0 when it could not be made. `options` names the states of an enum.
int32_t CreateValue(int32_t device, const char* name, bool settable, Kind kind, double initial,
                    const char* const* options = nullptr, int32_t optionCount = 0);
// A value as a number: a double itself, a boolean 0 or 1, an enum its index.
double GetValue(int32_t value);
void SetValue(int32_t value, Kind kind, double number);

#else

constexpr bool kLinked = false;

inline bool Clock(uint64_t*) { return false; }
inline void StepClock(uint64_t) {}
inline bool InputVoltage(double*) { return false; }
inline void SetInputVoltage(double) {}
inline int32_t CreateDevice(const char*) { return 0; }
inline void FreeDevice(int32_t) {}
inline int32_t CreateValue(int32_t, const char*, bool, Kind, double, const char* const* = nullptr,
                           int32_t = 0) {
  return 0;
}
inline double GetValue(int32_t) { return 0.0; }
inline void SetValue(int32_t, Kind, double) {}

#endif

}  // namespace velmora_sim::wpilib
