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

// Where WPILib reports a set of a watched sim value: the watch's own number, the value's handle
// and its new value as a number. Runs on the thread that set it, inside WPILib's own lock.
using ValueSink = void (*)(void* param, int32_t value, double number);

#if defined(VELMORA_SIM_WITH_WPILIB)

constexpr bool kLinked = true;

// WPILib's simulated clock (HAL_GetFPGATime), in microseconds.
bool Clock(uint64_t* micros);
// Moves WPILib's simulated clock on, as a test stepping paused timing does; only paused timing
// moves (TimingPaused).
void StepClock(uint64_t micros);
// The simulated robot controller's input voltage (RobotController::GetInputVoltage). The watcher
// is called with every voltage set there, the current one first; it runs under WPILib's lock, so
// it must not call into WPILib or take the driver's lock. Neither function may be called under
// the driver's lock.
void WatchInputVoltage(void (*watcher)(double volts));
// Registers the watcher again: a reset of WPILib's robot controller data drops its callbacks.
void RewatchInputVoltage();
// The input voltage WPILib holds now.
double InputVoltage();
void SetInputVoltage(double volts);
// The watcher is called with every change of WPILib's driver station's enabled state, the current
// one first, on the thread that changed it and under WPILib's lock of that value: it may take the
// driver's lock but must not call into WPILib beyond the clock. Not under the driver's lock.
void WatchEnabled(void (*watcher)(bool enabled));
void RewatchEnabled();  // after a reset of WPILib's driver station data dropped the callback
// Runs `pass` on a thread of its own whenever WPILib's clock has moved `periodMicros` on since the
// last pass, by WPILib's notifier, so on WPILib's clock however it moves; never by the wall clock.
// Started once; the thread ends at exit. The notifier shows in WPILib's list under this name.
constexpr const char* kClockRunnerName = "Velmora simulated world";
void RunOnClock(void (*pass)(), uint64_t periodMicros);
// Brings the pass's alarm back within one period of WPILib's clock after WPILib restarted it.
void KeepClockRunnerDue();
bool TimingPaused();
// Whether WPILib's driver station has the robot enabled (the HAL control word); false when it
// cannot be read.
bool RobotEnabled();

// A sim device by name; 0 when WPILib refuses it (the name is taken).
int32_t CreateDevice(const char* name);
void FreeDevice(int32_t device);
// The sim device WPILib lists under `name`; 0 when there is none (its sim data was reset).
int32_t DeviceByName(const char* name);
// One value of a sim device; 0 when it could not be made. `options` names the states of an enum.
int32_t CreateValue(int32_t device, const char* name, bool settable, Kind kind, double initial,
                    const char* const* options = nullptr, int32_t optionCount = 0);
// A value as a number: a double itself, a boolean 0 or 1, an enum its index.
double GetValue(int32_t value);
void SetValue(int32_t value, Kind kind, double number);
// Calls `sink` with `param` whenever anyone sets the value; false when WPILib refused.
bool WatchValue(int32_t value, void* param, ValueSink sink);

#else

constexpr bool kLinked = false;

inline bool Clock(uint64_t*) { return false; }
inline void StepClock(uint64_t) {}
inline void WatchInputVoltage(void (*)(double)) {}
inline void RewatchInputVoltage() {}
inline double InputVoltage() { return 0.0; }
inline void SetInputVoltage(double) {}
inline void WatchEnabled(void (*)(bool)) {}
inline void RewatchEnabled() {}
inline void RunOnClock(void (*)(), uint64_t) {}
inline void KeepClockRunnerDue() {}
inline bool TimingPaused() { return false; }
inline bool RobotEnabled() { return true; }
inline int32_t CreateDevice(const char*) { return 0; }
inline void FreeDevice(int32_t) {}
inline int32_t DeviceByName(const char*) { return 0; }
inline int32_t CreateValue(int32_t, const char*, bool, Kind, double, const char* const* = nullptr,
                           int32_t = 0) {
  return 0;
}
inline double GetValue(int32_t) { return 0.0; }
inline void SetValue(int32_t, Kind, double) {}
inline bool WatchValue(int32_t, void*, ValueSink) { return false; }

#endif

}  // namespace velmora_sim::wpilib
