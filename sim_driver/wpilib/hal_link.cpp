// The bridge between the simulation driver and WPILib's desktop simulation HAL. Only a simulation
// driver built against WPILib links it; the library never does.
#include <hal/DriverStation.h>
#include <hal/HALBase.h>
#include <hal/SimDevice.h>
#include <mockdata/MockHooks.h>
#include <mockdata/RoboRioData.h>
#include <mockdata/SimDeviceData.h>

#include <atomic>

#include "../src/wpilib_link.h"

namespace velmora_sim::wpilib {

namespace {

// Sim devices live in the HAL's own tables, which HAL_Initialize sets up; a program may well open
// its devices before it gets to that (a robot's members are built before StartRobot's loop, a test
// may never call it). Initialising is idempotent, so make sure of it before the first device.
bool HalReady() {
  static const bool ready = HAL_Initialize(500, 0) != 0;
  return ready;
}

// A HAL value as a number: a double itself, a boolean 0 or 1, an enum its index.
double AsNumber(const HAL_Value& v) {
  switch (v.type) {
    case HAL_DOUBLE:
      return v.data.v_double;
    case HAL_BOOLEAN:
      return v.data.v_boolean != 0 ? 1.0 : 0.0;
    case HAL_ENUM:
      return v.data.v_enum;
    case HAL_INT:
      return v.data.v_int;
    case HAL_LONG:
      return static_cast<double>(v.data.v_long);
    default:
      return 0.0;
  }
}

// The driver has one sink for every watched value; WPILib's callback carries only one pointer.
std::atomic<ValueSink> g_sink{nullptr};

void OnValueSet(const char*, void* param, HAL_SimValueHandle handle, HAL_Bool,
                const HAL_Value* value) {
  const ValueSink sink = g_sink.load();
  if (sink != nullptr && value != nullptr) sink(param, handle, AsNumber(*value));
}

}  // namespace

bool Clock(uint64_t* micros) {
  int32_t status = 0;
  const uint64_t now = HAL_GetFPGATime(&status);
  if (status != 0) return false;
  *micros = now;
  return true;
}

void StepClock(uint64_t micros) { HALSIM_StepTiming(micros); }

// The robot controller's data exists only once the HAL is initialised.
void WatchInputVoltage(void (*watcher)(double volts)) {
  static std::atomic<void (*)(double)> current{nullptr};
  if (watcher == nullptr || current.load() == watcher || !HalReady()) return;
  if (current.exchange(watcher) != nullptr) return;  // watched already
  HALSIM_RegisterRoboRioVInVoltageCallback(
      0,
      [](const char*, void*, const HAL_Value* value) {
        if (value == nullptr || value->type != HAL_DOUBLE) return;
        if (auto* w = current.load()) w(value->data.v_double);
      },
      nullptr, 1);
}

void SetInputVoltage(double volts) {
  if (HalReady()) HALSIM_SetRoboRioVInVoltage(0, volts);
}

bool TimingPaused() { return HALSIM_IsTimingPaused() != 0; }

bool RobotEnabled() {
  // The driver station's data, too, exists only once the HAL has started.
  if (!HalReady()) return false;
  HAL_ControlWord word{};
  if (HAL_GetControlWord(&word) != 0) return false;
  return word.enabled != 0;
}

int32_t CreateDevice(const char* name) {
  if (!HalReady()) return 0;
  return HAL_CreateSimDevice(name);
}

void FreeDevice(int32_t device) {
  if (device != 0) HAL_FreeSimDevice(device);
}

int32_t DeviceByName(const char* name) { return HALSIM_GetSimDeviceHandle(name); }

int32_t CreateValue(int32_t device, const char* name, bool settable, Kind kind, double initial,
                    const char* const* options, int32_t optionCount) {
  if (device == 0) return 0;
  const HAL_Bool readonly = settable ? 0 : 1;
  switch (kind) {
    case Kind::kBoolean:
      return HAL_CreateSimValueBoolean(device, name, readonly, initial != 0.0 ? 1 : 0);
    case Kind::kEnum:
      return HAL_CreateSimValueEnum(device, name, readonly, optionCount,
                                    const_cast<const char**>(options),
                                    static_cast<int32_t>(initial));
    case Kind::kDouble:
      break;
  }
  return HAL_CreateSimValueDouble(device, name, readonly, initial);
}

double GetValue(int32_t value) {
  HAL_Value v{};
  HAL_GetSimValue(value, &v);
  return AsNumber(v);
}

void SetValue(int32_t value, Kind kind, double number) {
  switch (kind) {
    case Kind::kBoolean:
      HAL_SetSimValueBoolean(value, number != 0.0 ? 1 : 0);
      return;
    case Kind::kEnum:
      HAL_SetSimValueEnum(value, static_cast<int32_t>(number));
      return;
    case Kind::kDouble:
      HAL_SetSimValueDouble(value, number);
      return;
  }
}

bool WatchValue(int32_t value, void* param, ValueSink sink) {
  g_sink.store(sink);
  return HALSIM_RegisterSimValueChangedCallback(value, param, OnValueSet, 0) >= 0;
}

}  // namespace velmora_sim::wpilib
