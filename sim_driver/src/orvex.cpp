// Simulated Orvex four-channel CAN motor controllers.
//
// Each controller remembers what it and its channels were told. Identity is derived from the CAN
// ID so that a program sees consistent values: the device ID is the CAN ID, the serial number and
// the versions are texts made from it.
//
// The motor model, advanced in simulated time (SimStep):
//  - each channel steers towards a target speed in RPM: the commanded speed times the free speed
//    (5000 RPM), or the RPM given by setTargetVelocity, or a proportional approach to a target
//    encoder count (setTargetDistance), shaft angle (setTargetAngle) or held position;
//  - the actual RPM follows the target with a first-order lag (time constant 0.1 s);
//  - a disabled channel, or every channel while the robot is disabled (by the library's MockDS,
//    or built against WPILib by WPILib's driver station), gets no power and coasts down to 0
//    with the same lag; what was commanded is kept and applies again once enabled;
//  - the encoder integrates the shaft revolutions: count = revolutions x counts per revolution
//    (the encoder resolution, 2048 unless set), distance = revolutions x the set-up value given
//    with setEncoder (distance per revolution), speed = RPM / 60 x the set-up value;
//  - the controller's temperature rises towards 25 C + 20 C x the mean load with a 20 s lag.
#include <algorithm>
#include <array>
#include <cmath>
#include <iostream>
#include <map>

#include "../../src/driver_link/VelmoraDriver.h"
#include "internal.h"
#include "panel.h"

using velmora_sim::internal::Next;
using velmora_sim::internal::Record;

namespace {

constexpr double kFreeSpeedRpm = 5000.0;
constexpr double kLagSeconds = 0.1;
constexpr double kAmbientCelsius = 25.0;
constexpr double kHeatingCelsius = 20.0;
constexpr double kThermalSeconds = 20.0;
constexpr int kDefaultCountsPerRevolution = 2048;
// Position modes approach their target at this rate: RPM per revolution of error.
constexpr double kPositionGain = 240.0;

enum class Mode { kSpeed, kVelocity, kPosition };

struct Channel {
  Mode mode = Mode::kSpeed;
  double speed = 0.0;
  bool enabled = true;
  float targetVelocity = 0.0f;
  double targetRevolutions = 0.0;
  bool positionHold = false;
  double rpm = 0.0;
  double revolutions = 0.0;
  double encoderSetup = 1.0;
  uint16_t encoderResolution = 0;
  int32_t limitSwitch[2] = {0, 0};
  bool zynderSet = false;
  double zynderPosition = 0.0;
  int32_t configuration = 0;
  uint8_t sensitivity = 0;
  float currentLimit = 0.0f;
  uint8_t currentLimitMode = 0;
  uint8_t pidType = 0;

  int CountsPerRevolution() const {
    return encoderResolution != 0 ? encoderResolution : kDefaultCountsPerRevolution;
  }
  // The device counts in a 32-bit register that wraps around, as a hardware quadrature counter
  // does: past 2147483647 the count goes on from -2147483648, and a program that takes
  // differences of successive counts (as odometry does) keeps working across the wrap. Saturating
  // would stop the count, and every distance taken from it, for good.
  int32_t Count() const { return WrapToRegister(std::floor(revolutions * CountsPerRevolution())); }
  static int32_t WrapToRegister(double count) {
    if (!std::isfinite(count)) return 0;
    constexpr double kRange = 4294967296.0;     // 2^32
    double wrapped = std::fmod(count, kRange);  // exact for whole numbers
    if (wrapped < 0.0) wrapped += kRange;
    if (wrapped >= kRange / 2.0) wrapped -= kRange;
    return static_cast<int32_t>(wrapped);
  }
};

struct Controller {
  int32_t canId = 0;
  int32_t frequency = 15600;
  uint8_t stopMode = 0;
  uint8_t pidType = 0;
  uint16_t canSensorDelay = 0;
  double temperature = kAmbientCelsius;
  std::array<Channel, 4> channels;
  // The controller in WPILib's simulation: "Orvex[<CAN ID>]" (see ShowOrvex for its values).
  velmora_sim::internal::Panel panel;
};

struct Sim {
  std::map<int32_t, Controller> controllers;  // by handle
  int32_t nextHandle = 1;
};

// Never destroyed: its sim devices must not outlive WPILib's tables at exit.
Sim& S() {
  static Sim* sim = new Sim;
  return *sim;
}

Controller* Find(int32_t handle) {
  auto it = S().controllers.find(handle);
  return it == S().controllers.end() ? nullptr : &it->second;
}

Channel* FindChannel(int32_t handle, uint8_t index) {
  Controller* c = Find(handle);
  return (c != nullptr && index < 4) ? &c->channels[index] : nullptr;
}

Controller* FindByCanId(int32_t canId) {
  for (auto& entry : S().controllers) {
    if (entry.second.canId == canId) return &entry.second;
  }
  return nullptr;
}

// The RPM a channel is steering towards, before power is taken into account.
double TargetRpm(const Channel& ch) {
  if (!ch.enabled) return 0.0;
  switch (ch.mode) {
    case Mode::kSpeed:
      return std::clamp(ch.speed, -1.0, 1.0) * kFreeSpeedRpm;
    case Mode::kVelocity:
      return std::clamp(static_cast<double>(ch.targetVelocity), -kFreeSpeedRpm, kFreeSpeedRpm);
    case Mode::kPosition:
      return std::clamp((ch.targetRevolutions - ch.revolutions) * kPositionGain, -kFreeSpeedRpm,
                        kFreeSpeedRpm);
  }
  return 0.0;
}

void Advance(Controller& c, double dt) {
  const bool powered = velmora_sim::internal::MotorsPowered();
  double load = 0.0;
  for (Channel& ch : c.channels) {
    const double target = powered ? TargetRpm(ch) : 0.0;
    if (std::isfinite(target)) ch.rpm += (target - ch.rpm) * (dt / kLagSeconds);
    ch.revolutions += ch.rpm / 60.0 * dt;
    load += std::fabs(ch.rpm) / kFreeSpeedRpm / 4.0;
  }
  const double settle = kAmbientCelsius + kHeatingCelsius * load;
  c.temperature += (settle - c.temperature) * (dt / kThermalSeconds);
}

// ---------------------------------------------------------------------------------------------
// The controller as a sim device
// ---------------------------------------------------------------------------------------------

// Per motor channel, in this order; the limit switches are what the robot's mechanism presses, so
// a tool or a test sets them. Then the controller's temperature.
enum OrvexValue : size_t {
  kSpeed,
  kMode,
  kEnabled,
  kTargetRpm,
  kRpm,
  kEncoderDistance,
  kEncoderCount,
  kEncoderSpeed,
  kLimitSwitch0,
  kLimitSwitch1,
  kValuesPerChannel
};
constexpr size_t kTemperatureSlot = 4 * kValuesPerChannel;
constexpr const char* kModeNames[] = {"speed", "velocity", "position"};

void MakePanel(Controller& c) {
  using velmora_sim::internal::Panel;
  c.panel = Panel("Orvex[" + std::to_string(c.canId) + "]");
  if (!c.panel.Shown()) return;
  for (int i = 0; i < 4; ++i) {
    const std::string motor = "Motor " + std::to_string(i) + " ";
    const std::string encoder = "Encoder " + std::to_string(i) + " ";
    c.panel.Double((motor + "speed").c_str(), false, 0.0);
    c.panel.Enum((motor + "mode").c_str(), false, kModeNames, 3, 0);
    c.panel.Boolean((motor + "enabled").c_str(), false, true);
    c.panel.Double((motor + "target RPM").c_str(), false, 0.0);
    c.panel.Double((motor + "RPM").c_str(), false, 0.0);
    c.panel.Double((encoder + "distance").c_str(), false, 0.0);
    c.panel.Double((encoder + "count").c_str(), false, 0.0);
    c.panel.Double((encoder + "speed").c_str(), false, 0.0);
    c.panel.Double((motor + "limit switch 0").c_str(), true, 0.0);
    c.panel.Double((motor + "limit switch 1").c_str(), true, 0.0);
  }
  c.panel.Double("Temperature", false, kAmbientCelsius);
}

void ShowOrvex(Controller& c) {
  if (!c.panel.Shown()) return;
  // A disabled robot's channels show as disabled, steering towards 0, whatever was commanded.
  const bool powered = velmora_sim::internal::MotorsPowered();
  for (size_t i = 0; i < 4; ++i) {
    const Channel& ch = c.channels[i];
    const size_t base = i * kValuesPerChannel;
    c.panel.Show(base + kSpeed, ch.speed);
    c.panel.Show(base + kMode, static_cast<double>(ch.mode));
    c.panel.Show(base + kEnabled, ch.enabled && powered ? 1.0 : 0.0);
    c.panel.Show(base + kTargetRpm, powered ? TargetRpm(ch) : 0.0);
    c.panel.Show(base + kRpm, ch.rpm);
    c.panel.Show(base + kEncoderDistance, ch.revolutions * ch.encoderSetup);
    c.panel.Show(base + kEncoderCount, ch.Count());
    c.panel.Show(base + kEncoderSpeed, ch.rpm / 60.0 * ch.encoderSetup);
    c.panel.Show(base + kLimitSwitch0, ch.limitSwitch[0]);
    c.panel.Show(base + kLimitSwitch1, ch.limitSwitch[1]);
  }
  c.panel.Show(kTemperatureSlot, c.temperature);
}

// A switch state set from outside: the driver reports it as a 32-bit integer.
int32_t SwitchState(double value) {
  if (!std::isfinite(value)) return 0;
  return static_cast<int32_t>(std::clamp(std::round(value), -2147483648.0, 2147483647.0));
}

void ReadOrvex(Controller& c) {
  if (!c.panel.Shown()) return;
  for (size_t i = 0; i < 4; ++i) {
    const size_t base = i * kValuesPerChannel;
    for (size_t which = 0; which < 2; ++which) {
      if (auto v = c.panel.Changed(base + kLimitSwitch0 + which)) {
        c.channels[i].limitSwitch[which] = SwitchState(*v);
      }
    }
  }
}

}  // namespace

namespace velmora_sim {

bool SetOrvexLimitSwitch(int32_t canId, int index, bool which, int32_t state) {
  const velmora_sim::internal::DriverLock lock;
  Controller* c = FindByCanId(canId);
  if (c == nullptr || index < 0 || index >= 4) return false;
  c->channels[index].limitSwitch[which ? 1 : 0] = state;
  return true;
}

bool SetOrvexZynderPosition(int32_t canId, int index, double position) {
  const velmora_sim::internal::DriverLock lock;
  Controller* c = FindByCanId(canId);
  if (c == nullptr || index < 0 || index >= 4 || !std::isfinite(position)) return false;
  c->channels[index].zynderSet = true;
  c->channels[index].zynderPosition = position;
  return true;
}

OrvexChannelState OrvexChannel(int32_t canId, int index) {
  const velmora_sim::internal::DriverLock lock;
  OrvexChannelState state;
  Controller* c = FindByCanId(canId);
  if (c == nullptr || index < 0 || index >= 4) return state;
  const Channel& ch = c->channels[index];
  state.exists = true;
  state.commanded = ch.speed;
  state.enabled = ch.enabled;
  state.targetRpm = TargetRpm(ch);
  state.rpm = ch.rpm;
  state.revolutions = ch.revolutions;
  state.encoderSetup = ch.encoderSetup;
  state.encoderCount = ch.Count();
  state.temperature = c->temperature;
  return state;
}

namespace internal {

void ResetOrvexSim() { S() = Sim{}; }

void OrvexTick(double dt) {
  for (auto& entry : S().controllers) Advance(entry.second, dt);
}

void ReadOrvexPanels() {
  for (auto& entry : S().controllers) ReadOrvex(entry.second);
}

void ShowOrvexPanels() {
  for (auto& entry : S().controllers) ShowOrvex(entry.second);
}

double OrvexChannelRpm(int32_t canId, int index) {
  Controller* c = FindByCanId(canId);
  return (c != nullptr && index >= 0 && index < 4) ? c->channels[index].rpm : 0.0;
}

}  // namespace internal
}  // namespace velmora_sim

extern "C" {

int32_t c_Orvex_create(int32_t id, int32_t frequency) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Orvex_create", id, frequency);
  if (auto r = Next("c_Orvex_create")) return static_cast<int32_t>(r->integer);
  // One controller answers on a CAN ID: a second open of it, while the first is open, is refused
  // as the device driver refuses it, with a null handle.
  if (FindByCanId(id) != nullptr) {
    std::cerr << "VelmoraDriver (simulation): Orvex on CAN ID " << id
              << " not opened: it is open already (a controller object for it that was never "
                 "destroyed); handle 0\n";
    return 0;
  }
  const int32_t handle = S().nextHandle++;
  Controller& c = S().controllers[handle];
  c.canId = id;
  c.frequency = frequency;
  if (velmora_sim::wpilib::kLinked) MakePanel(c);
  return handle;
}

void c_Orvex_destroy(int32_t handle) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Orvex_destroy", handle);
  S().controllers.erase(handle);
}

int32_t c_Orvex_getID(int32_t handle) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Orvex_getID", handle);
  if (auto r = Next("c_Orvex_getID")) return static_cast<int32_t>(r->integer);
  Controller* c = Find(handle);
  return c != nullptr ? c->canId : 0;
}

std::string c_Orvex_getFirmwareVersion(int32_t handle) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Orvex_getFirmwareVersion", handle);
  if (auto r = Next("c_Orvex_getFirmwareVersion")) return r->text;
  return Find(handle) != nullptr ? "2.4.1" : "";
}

std::string c_Orvex_getHardwareVersion(int32_t handle) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Orvex_getHardwareVersion", handle);
  if (auto r = Next("c_Orvex_getHardwareVersion")) return r->text;
  return Find(handle) != nullptr ? "B3" : "";
}

std::string c_Orvex_getSerialNumber(int32_t handle) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Orvex_getSerialNumber", handle);
  if (auto r = Next("c_Orvex_getSerialNumber")) return r->text;
  Controller* c = Find(handle);
  return c != nullptr ? "ORX-" + std::to_string(100000 + c->canId) : "";
}

int32_t c_Orvex_getFrequency(int32_t handle) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Orvex_getFrequency", handle);
  if (auto r = Next("c_Orvex_getFrequency")) return static_cast<int32_t>(r->integer);
  Controller* c = Find(handle);
  return c != nullptr ? c->frequency : 0;
}

double c_Orvex_getControllerTemp(int32_t handle) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Orvex_getControllerTemp", handle);
  if (auto r = Next("c_Orvex_getControllerTemp")) return r->real;
  Controller* c = Find(handle);
  return c != nullptr ? c->temperature : 0.0;
}

void c_Orvex_setMotorStopMode(int32_t handle, uint8_t mode) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Orvex_setMotorStopMode", handle, mode);
  if (Controller* c = Find(handle)) c->stopMode = mode;
}

void c_Orvex_setPIDType(int32_t handle, uint8_t type) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Orvex_setPIDType", handle, type);
  if (Controller* c = Find(handle)) c->pidType = type;
}

void c_Orvex_autotuneAll(int32_t handle) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Orvex_autotuneAll", handle);
}

void c_Orvex_setCANSensorOsDelay(int32_t handle, uint16_t delay) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Orvex_setCANSensorOsDelay", handle, delay);
  if (Controller* c = Find(handle)) c->canSensorDelay = delay;
}

bool c_Orvex_getTargetRPMFromDevice(int32_t handle, double* targets) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Orvex_getTargetRPMFromDevice", handle, targets);
  if (auto r = Next("c_Orvex_getTargetRPMFromDevice")) {
    if (targets != nullptr && r->hasFill) {
      std::memcpy(targets, r->fill.data(),
                  r->fill.size() < 4 * sizeof(double) ? r->fill.size() : 4 * sizeof(double));
    }
    return r->integer != 0;
  }
  Controller* c = Find(handle);
  if (c == nullptr || targets == nullptr) return false;
  for (int i = 0; i < 4; ++i) targets[i] = TargetRpm(c->channels[i]);
  return true;
}

void c_Orvex_setEncoder(int32_t handle, uint8_t index, double setupValue) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Orvex_setEncoder", handle, index, setupValue);
  if (Channel* ch = FindChannel(handle, index)) ch->encoderSetup = setupValue;
}

void c_Orvex_setMotorSpeed(int32_t handle, uint8_t index, double speed) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Orvex_setMotorSpeed", handle, index, speed);
  if (Channel* ch = FindChannel(handle, index)) {
    ch->speed = speed;
    ch->enabled = true;
    if (!ch->positionHold) ch->mode = Mode::kSpeed;
  }
}

void c_Orvex_disableMotor(int32_t handle, uint8_t index) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Orvex_disableMotor", handle, index);
  if (Channel* ch = FindChannel(handle, index)) ch->enabled = false;
}

void c_Orvex_configureMotor(int32_t handle, uint8_t index, int32_t configuration) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Orvex_configureMotor", handle, index, configuration);
  if (Channel* ch = FindChannel(handle, index)) ch->configuration = configuration;
}

double c_Orvex_getRPM(int32_t handle, uint8_t index) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Orvex_getRPM", handle, index);
  if (auto r = Next("c_Orvex_getRPM")) return r->real;
  Channel* ch = FindChannel(handle, index);
  return ch != nullptr ? ch->rpm : 0.0;
}

bool c_Orvex_tryGetRPM(int32_t handle, uint8_t index, double* rpm) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Orvex_tryGetRPM", handle, index, rpm);
  if (auto r = Next("c_Orvex_tryGetRPM")) {
    if (r->integer != 0 && rpm != nullptr) *rpm = r->real;
    return r->integer != 0;
  }
  Channel* ch = FindChannel(handle, index);
  if (ch == nullptr || rpm == nullptr) return false;
  *rpm = ch->rpm;
  return true;
}

bool c_Orvex_tryGetTargetRPM(int32_t handle, uint8_t index, double* rpm) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Orvex_tryGetTargetRPM", handle, index, rpm);
  if (auto r = Next("c_Orvex_tryGetTargetRPM")) {
    if (r->integer != 0 && rpm != nullptr) *rpm = r->real;
    return r->integer != 0;
  }
  Channel* ch = FindChannel(handle, index);
  if (ch == nullptr || rpm == nullptr) return false;
  *rpm = TargetRpm(*ch);
  return true;
}

int32_t c_Orvex_getLimitSwitch(int32_t handle, uint8_t index, bool which) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Orvex_getLimitSwitch", handle, index, which);
  if (auto r = Next("c_Orvex_getLimitSwitch")) return static_cast<int32_t>(r->integer);
  Channel* ch = FindChannel(handle, index);
  return ch != nullptr ? ch->limitSwitch[which ? 1 : 0] : 0;
}

double c_Orvex_getZynderPosition(int32_t handle, uint8_t index) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Orvex_getZynderPosition", handle, index);
  if (auto r = Next("c_Orvex_getZynderPosition")) return r->real;
  Channel* ch = FindChannel(handle, index);
  if (ch == nullptr) return 0.0;
  // An absolute encoder on the shaft: the angle within one turn, unless a test placed it.
  if (ch->zynderSet) return ch->zynderPosition;
  const double turns = ch->revolutions - std::floor(ch->revolutions);
  return turns * 360.0;
}

void c_Orvex_setTargetVelocity(int32_t handle, uint8_t index, float velocity) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Orvex_setTargetVelocity", handle, index, velocity);
  if (Channel* ch = FindChannel(handle, index)) {
    ch->targetVelocity = velocity;
    ch->enabled = true;
    ch->mode = Mode::kVelocity;
  }
}

void c_Orvex_setTargetDistance(int32_t handle, uint8_t index, int32_t distance) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Orvex_setTargetDistance", handle, index, distance);
  // The target distance is an encoder count to reach.
  if (Channel* ch = FindChannel(handle, index)) {
    ch->targetRevolutions = static_cast<double>(distance) / ch->CountsPerRevolution();
    ch->enabled = true;
    ch->mode = Mode::kPosition;
  }
}

void c_Orvex_setTargetAngle(int32_t handle, uint8_t index, double angle) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Orvex_setTargetAngle", handle, index, angle);
  // The target angle is a shaft angle in degrees, counted from the last encoder reset.
  if (Channel* ch = FindChannel(handle, index)) {
    if (std::isfinite(angle)) ch->targetRevolutions = angle / 360.0;
    ch->enabled = true;
    ch->mode = Mode::kPosition;
  }
}

void c_Orvex_setPositionHold(int32_t handle, uint8_t index, bool hold) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Orvex_setPositionHold", handle, index, hold);
  if (Channel* ch = FindChannel(handle, index)) {
    ch->positionHold = hold;
    if (hold) {
      ch->targetRevolutions = ch->revolutions;  // hold where the shaft is now
      ch->mode = Mode::kPosition;
    } else {
      ch->mode = Mode::kSpeed;
    }
  }
}

void c_Orvex_setSensitivity(int32_t handle, uint8_t index, uint8_t sensitivity) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Orvex_setSensitivity", handle, index, sensitivity);
  if (Channel* ch = FindChannel(handle, index)) ch->sensitivity = sensitivity;
}

void c_Orvex_setCurrentLimit(int32_t handle, uint8_t index, float limit) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Orvex_setCurrentLimit", handle, index, limit);
  if (Channel* ch = FindChannel(handle, index)) ch->currentLimit = limit;
}

void c_Orvex_setCurrentLimitMode(int32_t handle, uint8_t index, uint8_t mode) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Orvex_setCurrentLimitMode", handle, index, mode);
  if (Channel* ch = FindChannel(handle, index)) ch->currentLimitMode = mode;
}

void c_Orvex_setEncoderResolution(int32_t handle, uint8_t index, uint16_t resolution) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Orvex_setEncoderResolution", handle, index, resolution);
  if (Channel* ch = FindChannel(handle, index)) {
    // Keep the shaft position; only the counts per revolution change.
    ch->encoderResolution = resolution;
  }
}

void c_Orvex_setMotorPIDType(int32_t handle, uint8_t index, uint8_t type) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Orvex_setMotorPIDType", handle, index, type);
  if (Channel* ch = FindChannel(handle, index)) ch->pidType = type;
}

void c_Orvex_autotuneMotor(int32_t handle, uint8_t index) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Orvex_autotuneMotor", handle, index);
}

void c_Orvex_resetEncoder(int32_t handle, uint8_t index) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Orvex_resetEncoder", handle, index);
  if (Channel* ch = FindChannel(handle, index)) {
    ch->targetRevolutions -= ch->revolutions;  // a position target keeps its place on the shaft
    ch->revolutions = 0.0;
  }
}

double c_Orvex_getEncoderDistance(int32_t handle, uint8_t index) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Orvex_getEncoderDistance", handle, index);
  if (auto r = Next("c_Orvex_getEncoderDistance")) return r->real;
  Channel* ch = FindChannel(handle, index);
  return ch != nullptr ? ch->revolutions * ch->encoderSetup : 0.0;
}

double c_Orvex_getEncoderRaw(int32_t handle, uint8_t index) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Orvex_getEncoderRaw", handle, index);
  if (auto r = Next("c_Orvex_getEncoderRaw")) return r->real;
  Channel* ch = FindChannel(handle, index);
  return ch != nullptr ? ch->revolutions * ch->CountsPerRevolution() : 0.0;
}

int32_t c_Orvex_getEncoderCount(int32_t handle, uint8_t index) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Orvex_getEncoderCount", handle, index);
  if (auto r = Next("c_Orvex_getEncoderCount")) return static_cast<int32_t>(r->integer);
  Channel* ch = FindChannel(handle, index);
  return ch != nullptr ? ch->Count() : 0;
}

double c_Orvex_getEncoderSpeed(int32_t handle, uint8_t index) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Orvex_getEncoderSpeed", handle, index);
  if (auto r = Next("c_Orvex_getEncoderSpeed")) return r->real;
  Channel* ch = FindChannel(handle, index);
  return ch != nullptr ? ch->rpm / 60.0 * ch->encoderSetup : 0.0;
}

}  // extern "C"
