// The roboRIO hardware layer's PWM outputs, simulated.
//
// As on the robot, the raw pulse value is the only output state: positions
// and speeds are turned into raw values with the channel's bounds, and read
// back from the raw value. Bounds given in milliseconds become raw values by
//   raw = (int32_t)((ms - 1.5) / loopTime + 1000 - 1),  loopTime = 0.001 ms,
// so 1.5 ms is raw 999 (the FPGA loop timing of 40 ticks at 40 ticks per
// microsecond gives one step per microsecond).
//
// Departures from the robot, each to avoid undefined behaviour:
// - a non-finite position leaves the output as it was (the robot converts a
//   NaN into an integer);
// - bounds, positions and speeds whose raw value does not fit in 32 bits are
//   refused with an error instead of being converted;
// - bound differences are computed in 64 bits, so extreme raw bounds cannot
//   overflow.
// The raw value is kept as the 32-bit value that was computed; it is not cut
// to a 16-bit register.

#include <stdint.h>

#include <algorithm>
#include <cmath>
#include <mutex>
#include <string>

#include "Internal.h"
#include "wpilib_standin/Sim.h"

namespace wpilib_standin {
namespace sim_hal {
namespace {

constexpr int32_t kPwmDisabled = 0;
constexpr double kDefaultPwmCenter = 1.5;
constexpr int32_t kDefaultPwmStepsDown = 1000;
constexpr int32_t kExpectedLoopTiming = 40;
constexpr int32_t kSystemClockTicksPerMicrosecond = 40;

// Handles carry a type tag, a generation (so that a stale handle to a freed
// and reallocated channel is refused) and the channel.
constexpr int32_t kPwmHandleTag = 0x13;

struct Ports {
  std::mutex mutex;
  PwmState state[kNumPwmChannels];
  uint8_t generation[kNumPwmChannels] = {};
};

// Never destroyed, so that outputs destroyed at exit can still be freed.
Ports& GetPorts() {
  static Ports* ports = new Ports;
  return *ports;
}

int32_t MakeHandle(int32_t channel, uint8_t generation) {
  return (kPwmHandleTag << 24) | (static_cast<int32_t>(generation) << 16) | channel;
}

// The state behind a handle, or null (with *status set) for an invalid one.
// The caller holds the ports mutex.
PwmState* Lookup(Ports& ports, HAL_DigitalHandle handle, int32_t* status) {
  int32_t channel = handle & 0xFFFF;
  if ((handle >> 24) != kPwmHandleTag || channel >= kNumPwmChannels ||
      handle != MakeHandle(channel, ports.generation[channel]) || !ports.state[channel].allocated) {
    *status = kHandleError;
    return nullptr;
  }
  return &ports.state[channel];
}

int32_t ChannelOf(HAL_DigitalHandle handle) { return handle & 0xFFFF; }

std::string Args(HAL_DigitalHandle handle) { return std::to_string(ChannelOf(handle)); }

// Converts a computed raw value to int32_t, truncating toward zero; false if it
// does not fit (or is NaN).
bool ToRaw(double value, int32_t* raw) {
  if (!(value > -2147483649.0 && value < 2147483648.0)) return false;
  *raw = static_cast<int32_t>(value);
  return true;
}

bool MsToRaw(double ms, int32_t* raw) {
  double loopTime = kExpectedLoopTiming / (kSystemClockTicksPerMicrosecond * 1e3);
  return ToRaw((ms - kDefaultPwmCenter) / loopTime + kDefaultPwmStepsDown - 1, raw);
}

// The raw range that speeds map onto: with deadband elimination the speeds
// just above and below 0 start at the deadband edges, otherwise next to the
// center.
int64_t MinPositive(const PwmState& s) {
  return s.eliminateDeadband ? s.deadbandMaxPwm : int64_t{s.centerPwm} + 1;
}
int64_t MaxNegative(const PwmState& s) {
  return s.eliminateDeadband ? s.deadbandMinPwm : int64_t{s.centerPwm} - 1;
}

void SetConfigLocked(PwmState& s, double max, double deadbandMax, double center, double deadbandMin,
                     double min, int32_t* status) {
  int32_t raw[5];
  if (!MsToRaw(max, &raw[0]) || !MsToRaw(deadbandMax, &raw[1]) || !MsToRaw(center, &raw[2]) ||
      !MsToRaw(deadbandMin, &raw[3]) || !MsToRaw(min, &raw[4])) {
    *status = kParameterOutOfRange;
    return;
  }
  s.maxPwm = raw[0];
  s.deadbandMaxPwm = raw[1];
  s.centerPwm = raw[2];
  s.deadbandMinPwm = raw[3];
  s.minPwm = raw[4];
  s.configSet = true;
}

}  // namespace

const char* GetErrorMessage(int32_t code) {
  switch (code) {
    case 0:
      return "";
    case kIncompatibleState:
      return "Incompatible State: The operation cannot be completed";
    case kParameterOutOfRange:
      return "HAL: A parameter is out of range.";
    case kResourceIsAllocated:
      return "HAL: Resource already allocated";
    case kResourceOutOfRange:
      return "HAL: The requested resource is out of range.";
    case kPwmScaleError:
      return "HAL_PWM_SCALE_ERROR: Pwm Scale Error";
    case kHandleError:
      return "HAL: A handle parameter was passed incorrectly";
    default:
      return "HAL: Unknown error";
  }
}

int32_t GetNumPWMChannels() { return kNumPwmChannels; }

HAL_DigitalHandle InitializePWMPort(int32_t channel, int32_t* status) {
  if (channel < 0 || channel >= kNumPwmChannels) {
    *status = kResourceOutOfRange;
    return HAL_kInvalidHandle;
  }
  Ports& ports = GetPorts();
  std::lock_guard<std::mutex> lock(ports.mutex);
  PwmState& s = ports.state[channel];
  if (s.allocated) {
    *status = kResourceIsAllocated;
    return HAL_kInvalidHandle;
  }
  s = PwmState();
  s.allocated = true;
  // Every channel starts with bounds that are always valid.
  SetConfigLocked(s, 2.0, 1.501, 1.5, 1.499, 1.0, status);
  uint8_t generation = ++ports.generation[channel];
  Journal("HAL_InitializePWMPort(" + std::to_string(channel) + ")");
  return MakeHandle(channel, generation);
}

void FreePWMPort(HAL_DigitalHandle handle, int32_t* status) {
  Ports& ports = GetPorts();
  std::lock_guard<std::mutex> lock(ports.mutex);
  PwmState* s = Lookup(ports, handle, status);
  if (!s) return;
  s->allocated = false;
  Journal("HAL_FreePWMPort(" + Args(handle) + ")");
}

void SetPWMConfig(HAL_DigitalHandle handle, double max, double deadbandMax, double center,
                  double deadbandMin, double min, int32_t* status) {
  Ports& ports = GetPorts();
  std::lock_guard<std::mutex> lock(ports.mutex);
  PwmState* s = Lookup(ports, handle, status);
  if (!s) return;
  Journal("HAL_SetPWMConfig(" + Args(handle) + ", " + FormatDouble(max) + ", " +
          FormatDouble(deadbandMax) + ", " + FormatDouble(center) + ", " +
          FormatDouble(deadbandMin) + ", " + FormatDouble(min) + ")");
  SetConfigLocked(*s, max, deadbandMax, center, deadbandMin, min, status);
}

void SetPWMConfigRaw(HAL_DigitalHandle handle, int32_t maxPwm, int32_t deadbandMaxPwm,
                     int32_t centerPwm, int32_t deadbandMinPwm, int32_t minPwm, int32_t* status) {
  Ports& ports = GetPorts();
  std::lock_guard<std::mutex> lock(ports.mutex);
  PwmState* s = Lookup(ports, handle, status);
  if (!s) return;
  Journal("HAL_SetPWMConfigRaw(" + Args(handle) + ", " + std::to_string(maxPwm) + ", " +
          std::to_string(deadbandMaxPwm) + ", " + std::to_string(centerPwm) + ", " +
          std::to_string(deadbandMinPwm) + ", " + std::to_string(minPwm) + ")");
  s->maxPwm = maxPwm;
  s->deadbandMaxPwm = deadbandMaxPwm;
  s->centerPwm = centerPwm;
  s->deadbandMinPwm = deadbandMinPwm;
  s->minPwm = minPwm;
}

void GetPWMConfigRaw(HAL_DigitalHandle handle, int32_t* maxPwm, int32_t* deadbandMaxPwm,
                     int32_t* centerPwm, int32_t* deadbandMinPwm, int32_t* minPwm,
                     int32_t* status) {
  Ports& ports = GetPorts();
  std::lock_guard<std::mutex> lock(ports.mutex);
  PwmState* s = Lookup(ports, handle, status);
  if (!s) return;
  *maxPwm = s->maxPwm;
  *deadbandMaxPwm = s->deadbandMaxPwm;
  *centerPwm = s->centerPwm;
  *deadbandMinPwm = s->deadbandMinPwm;
  *minPwm = s->minPwm;
}

void SetPWMEliminateDeadband(HAL_DigitalHandle handle, HAL_Bool eliminateDeadband,
                             int32_t* status) {
  Ports& ports = GetPorts();
  std::lock_guard<std::mutex> lock(ports.mutex);
  PwmState* s = Lookup(ports, handle, status);
  if (!s) return;
  Journal("HAL_SetPWMEliminateDeadband(" + Args(handle) + ", " +
          (eliminateDeadband ? "true" : "false") + ")");
  s->eliminateDeadband = eliminateDeadband != 0;
}

void SetPWMRaw(HAL_DigitalHandle handle, int32_t value, int32_t* status) {
  Ports& ports = GetPorts();
  std::lock_guard<std::mutex> lock(ports.mutex);
  PwmState* s = Lookup(ports, handle, status);
  if (!s) return;
  Journal("HAL_SetPWMRaw(" + Args(handle) + ", " + std::to_string(value) + ")");
  s->raw = value;
}

void SetPWMSpeed(HAL_DigitalHandle handle, double speed, int32_t* status) {
  Ports& ports = GetPorts();
  std::lock_guard<std::mutex> lock(ports.mutex);
  PwmState* s = Lookup(ports, handle, status);
  if (!s) return;
  Journal("HAL_SetPWMSpeed(" + Args(handle) + ", " + FormatDouble(speed) + ")");
  if (!s->configSet) {
    *status = kIncompatibleState;
    return;
  }

  speed = std::isfinite(speed) ? std::clamp(speed, -1.0, 1.0) : 0.0;

  int32_t raw = s->centerPwm;
  bool fits = true;
  if (speed > 0.0) {
    int64_t minPositive = MinPositive(*s);
    double scale = static_cast<double>(s->maxPwm - minPositive);
    fits = ToRaw(speed * scale + static_cast<double>(minPositive) + 0.5, &raw);
  } else if (speed < 0.0) {
    int64_t maxNegative = MaxNegative(*s);
    double scale = static_cast<double>(maxNegative - s->minPwm);
    fits = ToRaw(speed * scale + static_cast<double>(maxNegative) + 0.5, &raw);
  }
  if (!fits || raw < s->minPwm || raw > s->maxPwm || raw == kPwmDisabled) {
    *status = kPwmScaleError;
    return;
  }
  s->raw = raw;
}

void SetPWMPosition(HAL_DigitalHandle handle, double position, int32_t* status) {
  Ports& ports = GetPorts();
  std::lock_guard<std::mutex> lock(ports.mutex);
  PwmState* s = Lookup(ports, handle, status);
  if (!s) return;
  Journal("HAL_SetPWMPosition(" + Args(handle) + ", " + FormatDouble(position) + ")");
  if (!s->configSet) {
    *status = kIncompatibleState;
    return;
  }
  // No position to aim for: keep the output as it was.
  if (!std::isfinite(position)) return;

  position = std::clamp(position, 0.0, 1.0);
  double range = static_cast<double>(int64_t{s->maxPwm} - s->minPwm);
  int32_t raw = 0;
  if (!ToRaw(position * range + static_cast<double>(s->minPwm), &raw) || raw == kPwmDisabled) {
    *status = kPwmScaleError;
    return;
  }
  s->raw = raw;
}

void SetPWMDisabled(HAL_DigitalHandle handle, int32_t* status) {
  Ports& ports = GetPorts();
  std::lock_guard<std::mutex> lock(ports.mutex);
  PwmState* s = Lookup(ports, handle, status);
  if (!s) return;
  Journal("HAL_SetPWMDisabled(" + Args(handle) + ")");
  s->raw = kPwmDisabled;
}

int32_t GetPWMRaw(HAL_DigitalHandle handle, int32_t* status) {
  Ports& ports = GetPorts();
  std::lock_guard<std::mutex> lock(ports.mutex);
  PwmState* s = Lookup(ports, handle, status);
  return s ? s->raw : 0;
}

double GetPWMSpeed(HAL_DigitalHandle handle, int32_t* status) {
  Ports& ports = GetPorts();
  std::lock_guard<std::mutex> lock(ports.mutex);
  PwmState* s = Lookup(ports, handle, status);
  if (!s) return 0.0;
  if (!s->configSet) {
    *status = kIncompatibleState;
    return 0.0;
  }
  int64_t raw = s->raw;
  int64_t minPositive = MinPositive(*s);
  int64_t maxNegative = MaxNegative(*s);
  if (raw == kPwmDisabled) return 0.0;
  if (raw > s->maxPwm) return 1.0;
  if (raw < s->minPwm) return -1.0;
  if (raw > minPositive) {
    return static_cast<double>(raw - minPositive) / static_cast<double>(s->maxPwm - minPositive);
  }
  if (raw < maxNegative) {
    return static_cast<double>(raw - maxNegative) / static_cast<double>(maxNegative - s->minPwm);
  }
  return 0.0;
}

double GetPWMPosition(HAL_DigitalHandle handle, int32_t* status) {
  Ports& ports = GetPorts();
  std::lock_guard<std::mutex> lock(ports.mutex);
  PwmState* s = Lookup(ports, handle, status);
  if (!s) return 0.0;
  if (!s->configSet) {
    *status = kIncompatibleState;
    return 0.0;
  }
  int64_t raw = s->raw;
  if (raw < s->minPwm) return 0.0;
  if (raw > s->maxPwm) return 1.0;
  return static_cast<double>(raw - s->minPwm) / static_cast<double>(int64_t{s->maxPwm} - s->minPwm);
}

void LatchPWMZero(HAL_DigitalHandle handle, int32_t* status) {
  Ports& ports = GetPorts();
  std::lock_guard<std::mutex> lock(ports.mutex);
  PwmState* s = Lookup(ports, handle, status);
  if (!s) return;
  Journal("HAL_LatchPWMZero(" + Args(handle) + ")");
  // The latch bit is raised and lowered again: one pulse.
  ++s->zeroLatchCount;
}

void SetPWMPeriodScale(HAL_DigitalHandle handle, int32_t squelchMask, int32_t* status) {
  Ports& ports = GetPorts();
  std::lock_guard<std::mutex> lock(ports.mutex);
  PwmState* s = Lookup(ports, handle, status);
  if (!s) return;
  Journal("HAL_SetPWMPeriodScale(" + Args(handle) + ", " + std::to_string(squelchMask) + ")");
  s->periodScale = squelchMask;
}

}  // namespace sim_hal

PwmState GetPwmState(int channel) {
  if (channel < 0 || channel >= kNumPwmChannels) return PwmState();
  sim_hal::Ports& ports = sim_hal::GetPorts();
  std::lock_guard<std::mutex> lock(ports.mutex);
  return ports.state[channel];
}

}  // namespace wpilib_standin
