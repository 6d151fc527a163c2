// The bridge between the simulation driver and WPILib's desktop simulation HAL. Only a simulation
// driver built against WPILib links it; the library never does.
#include <hal/DriverStation.h>
#include <hal/HALBase.h>
#include <hal/Notifier.h>
#include <hal/SimDevice.h>
#include <mockdata/DriverStationData.h>
#include <mockdata/MockHooks.h>
#include <mockdata/RoboRioData.h>
#include <mockdata/SimDeviceData.h>

#include <atomic>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <mutex>
#include <string>
#include <thread>

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

// A sim device's or sim value's name for a report: "Orvex[5]" "Motor 0 locked".
std::string ValueName(int32_t value) {
  struct Search {
    int32_t value;
    std::string name;
  } search{value, {}};
  HALSIM_EnumerateSimDevices(
      "", &search, [](const char* device, void* param, HAL_SimDeviceHandle handle) {
        auto* s = static_cast<Search*>(param);
        if (!s->name.empty()) return;
        struct Inner {
          Search* outer;
          const char* device;
        } inner{s, device};
        HALSIM_EnumerateSimValues(
            handle, &inner,
            [](const char* name, void* p, HAL_SimValueHandle v, HAL_Bool, const HAL_Value*) {
              auto* in = static_cast<Inner*>(p);
              if (v == in->outer->value) {
                in->outer->name = std::string("\"") + in->device + "\" \"" + name + "\"";
              }
            });
      });
  return search.name.empty() ? "with handle " + std::to_string(value) : search.name;
}

// WPILib calls every callback registered for a change (a team's test or tool may register them on
// sim devices, sim values and the input voltage) on the thread that made it, inside the call that
// made it. The driver makes those calls when a driver call ends, often from a device's destructor,
// so an exception a callback throws must never leave them: it would end the program. Nor is it
// swallowed: it is reported on the standard error stream, with what the driver was doing, and the
// driver goes on. WPILib makes the change before it calls the callbacks, so the change itself has
// happened; the callbacks registered after the one that threw are not called for this change.
//
// Called in a catch block; `during` gives what the driver was doing, as a string.
template <typename During>
void ReportCallbackThrow(During during) noexcept {
  try {
    std::string what;
    try {
      throw;
    } catch (const std::exception& e) {
      what = e.what();
    } catch (...) {
      what = "an exception that is no std::exception";
    }
    std::cerr << "[VelmoraDriver] a WPILib sim callback threw when " << during() << ": " << what
              << "; the simulation goes on (callbacks after it were not called for this change)\n";
  } catch (...) {
    // Out of memory while reporting: nothing more to be done here.
  }
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
namespace {
std::atomic<void (*)(double)> g_voltageWatcher{nullptr};
void RegisterVoltageWatch() {
  HALSIM_RegisterRoboRioVInVoltageCallback(
      0,
      [](const char*, void*, const HAL_Value* value) {
        if (value == nullptr || value->type != HAL_DOUBLE) return;
        if (auto* w = g_voltageWatcher.load()) w(value->data.v_double);
      },
      nullptr, 1);
}
}  // namespace

void WatchInputVoltage(void (*watcher)(double volts)) {
  if (watcher == nullptr || g_voltageWatcher.load() == watcher || !HalReady()) return;
  if (g_voltageWatcher.exchange(watcher) != nullptr) return;  // watched already
  RegisterVoltageWatch();
}

void RewatchInputVoltage() {
  if (g_voltageWatcher.load() != nullptr && HalReady()) RegisterVoltageWatch();
}

double InputVoltage() { return HalReady() ? HALSIM_GetRoboRioVInVoltage(0) : 0.0; }

namespace {
std::atomic<void (*)(bool)> g_enabledWatcher{nullptr};
void RegisterEnabledWatch() {
  HALSIM_RegisterDriverStationEnabledCallback(
      [](const char*, void*, const HAL_Value* value) {
        if (value == nullptr || value->type != HAL_BOOLEAN) return;
        if (auto* w = g_enabledWatcher.load()) w(value->data.v_boolean != 0);
      },
      nullptr, 1);
}
}  // namespace

void WatchEnabled(void (*watcher)(bool enabled)) {
  if (watcher == nullptr || g_enabledWatcher.load() == watcher || !HalReady()) return;
  if (g_enabledWatcher.exchange(watcher) != nullptr) return;
  RegisterEnabledWatch();
}

void RewatchEnabled() {
  if (g_enabledWatcher.load() != nullptr && HalReady()) RegisterEnabledWatch();
}

// The world's own notifier: a thread that sleeps in WPILib's notifier until WPILib's clock reaches
// its alarm, whatever moves that clock (real time, or a test stepping paused timing), runs one pass
// and sets the next alarm one period on. It ends at exit, before WPILib's notifiers are torn down.
namespace {
struct ClockRunner {
  std::mutex mutex;
  std::atomic<HAL_NotifierHandle> notifier{0};
  std::thread thread;
  void (*pass)() = nullptr;
  uint64_t period = 0;
  std::atomic<uint64_t> alarm{0};
  std::atomic<bool> started{false};
  std::atomic<bool> stopping{false};
};
ClockRunner& Runner() {
  static auto* runner = new ClockRunner;  // never destroyed: the thread may outlive statics
  return *runner;
}

void Arm(ClockRunner& r, uint64_t at) {
  int32_t status = 0;
  r.alarm.store(at);
  HAL_UpdateNotifierAlarm(r.notifier.load(), at, &status);
}

void RunPasses() {
  ClockRunner& r = Runner();
  while (!r.stopping.load()) {
    int32_t status = 0;
    const uint64_t woke = HAL_WaitForNotifierAlarm(r.notifier.load(), &status);
    if (woke == 0 || status != 0 || r.stopping.load()) break;  // stopped
    try {
      r.pass();
    } catch (...) {
      // Nothing may leave this thread: the next pass publishes what this one could not.
    }
    uint64_t now = 0;
    if (!Clock(&now)) now = woke;
    Arm(r, now + r.period);
  }
}

void StopRunner() {
  ClockRunner& r = Runner();
  const std::lock_guard<std::mutex> lock(r.mutex);
  const HAL_NotifierHandle notifier = r.notifier.load();
  if (notifier == 0) return;
  r.stopping.store(true);
  int32_t status = 0;
  HAL_StopNotifier(notifier, &status);
  if (r.thread.joinable()) r.thread.join();
  r.notifier.store(0);
  HAL_CleanNotifier(notifier, &status);
}
}  // namespace

void RunOnClock(void (*pass)(), uint64_t periodMicros) {
  ClockRunner& r = Runner();
  if (r.started.load() || pass == nullptr || periodMicros == 0 || !HalReady()) return;
  const std::lock_guard<std::mutex> lock(r.mutex);
  if (r.started.load() || r.stopping.load()) return;
  int32_t status = 0;
  const HAL_NotifierHandle notifier = HAL_InitializeNotifier(&status);
  if (notifier == 0 || status != 0) return;
  HAL_SetNotifierName(notifier, kClockRunnerName, &status);
  r.notifier = notifier;
  r.pass = pass;
  r.period = periodMicros;
  r.started.store(true);
  uint64_t now = 0;
  (void)Clock(&now);
  Arm(r, now + periodMicros);
  try {
    r.thread = std::thread(RunPasses);
  } catch (...) {
    r.notifier.store(0);
    HAL_CleanNotifier(notifier, &status);
    r.started.store(false);
    return;
  }
  // WPILib's notifiers were set up by HAL_Initialize, before this: so this runs before they go.
  std::atexit(StopRunner);
}

void KeepClockRunnerDue() {
  ClockRunner& r = Runner();
  if (!r.started.load() || r.stopping.load()) return;
  uint64_t now = 0;
  if (!Clock(&now)) return;
  // WPILib restarted its clock (HALSIM_RestartTiming): the alarm would lie far ahead of it. Takes
  // no mutex: the exit's stop holds the runner's while it waits for the pass to end (an alarm set
  // on a stopped notifier is refused by WPILib, harmlessly).
  if (r.alarm.load() > now + r.period && r.notifier.load() != 0 && !r.stopping.load()) {
    Arm(r, now + r.period);
  }
}

void SetInputVoltage(double volts) {
  if (!HalReady()) return;
  try {
    HALSIM_SetRoboRioVInVoltage(0, volts);
  } catch (...) {
    ReportCallbackThrow(
        [&] { return "the input voltage was set to " + std::to_string(volts) + " V"; });
  }
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
  try {
    return HAL_CreateSimDevice(name);
  } catch (...) {
    // Made before the callbacks ran: the device is there, and gets its values.
    ReportCallbackThrow([&] { return std::string("the sim device \"") + name + "\" was created"; });
    return HALSIM_GetSimDeviceHandle(name);
  }
}

void FreeDevice(int32_t device) {
  if (device == 0) return;
  try {
    HAL_FreeSimDevice(device);
  } catch (...) {
    ReportCallbackThrow([] { return std::string("a sim device was freed"); });
  }
}

int32_t DeviceByName(const char* name) { return HALSIM_GetSimDeviceHandle(name); }

namespace {

int32_t MakeValue(int32_t device, const char* name, bool settable, Kind kind, double initial,
                  const char* const* options, int32_t optionCount) {
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

}  // namespace

int32_t CreateValue(int32_t device, const char* name, bool settable, Kind kind, double initial,
                    const char* const* options, int32_t optionCount) {
  if (device == 0) return 0;
  try {
    return MakeValue(device, name, settable, kind, initial, options, optionCount);
  } catch (...) {
    // Made before the callbacks ran, as a device is.
    ReportCallbackThrow([&] { return std::string("the sim value \"") + name + "\" was created"; });
    return HALSIM_GetSimValueHandle(device, name);
  }
}

double GetValue(int32_t value) {
  HAL_Value v{};
  HAL_GetSimValue(value, &v);
  return AsNumber(v);
}

namespace {

void WriteValue(int32_t value, Kind kind, double number) {
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

}  // namespace

void SetValue(int32_t value, Kind kind, double number) {
  try {
    WriteValue(value, kind, number);
  } catch (...) {
    ReportCallbackThrow([&] { return "the sim value " + ValueName(value) + " was set"; });
  }
}

bool WatchValue(int32_t value, void* param, ValueSink sink) {
  g_sink.store(sink);
  return HALSIM_RegisterSimValueChangedCallback(value, param, OnValueSet, 0) >= 0;
}

}  // namespace velmora_sim::wpilib
