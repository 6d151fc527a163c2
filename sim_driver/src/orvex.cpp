// Simulated Orvex four-channel CAN motor controllers.
//
// Each controller remembers what it and its channels were told. Identity is derived from the CAN
// ID so that a program sees consistent values: the device ID is the CAN ID, the serial number and
// the versions are texts made from it.
//
// The motor model, advanced in simulated time (one 5 ms tick at a time):
//  - each channel drives a DC motor (dc_motor.h: free speed 5000 RPM, stall torque 2.4 N m,
//    stall current 100 A, free current 2 A at 12 V, viscous friction) with an inertia on its shaft
//    (5e-4 kg m^2 unless set), fed from the robot's battery through the controller;
//  - in speed mode the controller applies the commanded speed as its output duty: the motor sees
//    speed x the bus voltage, so it runs slower on a sagging battery and under load;
//  - with a target velocity (setTargetVelocity, RPM), a target encoder count (setTargetDistance),
//    a shaft angle (setTargetAngle) or a held position, the controller steers towards a target
//    RPM: a proportional approach for positions (240 RPM per revolution of error), then a
//    feed-forward on the bus voltage plus a proportional term on the speed error for the duty;
//  - a disabled channel, every channel while the robot is disabled (by the library's MockDS, or
//    built against WPILib by WPILib's driver station), and a speed of 0 get no output: the
//    controller's stop mode shorts the motor, which brakes it on its own back-EMF (mode 0), or
//    leaves it open to coast against its friction (mode 1); what was commanded is kept and
//    applies again once enabled;
//  - each channel's winding current stays within its current limit (SetCurrentLimit, at most the
//    controller's own 100 A): mode 0 lowers the output to hold it there, mode 1 cuts the output
//    for the tick;
//  - a locked shaft (a test or WPILib's sim tools) does not turn and draws what a stalled motor
//    draws;
//  - every channel's supply current, duty x winding current, loads the battery: 12 V behind an
//    internal resistance of 0.02 ohm, so the bus voltage sags with the total current;
//  - the encoder integrates the shaft revolutions: count = revolutions x counts per revolution
//    (the encoder resolution, 2048 unless set), distance = revolutions x the set-up value given
//    with setEncoder (distance per revolution), speed = RPM / 60 x the set-up value;
//  - the controller warms with the heat of the winding currents it carries and cools towards
//    25 C, with a 20 s lag.
#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <iostream>
#include <map>
#include <set>

#include "../../src/driver_link/VelmoraDriver.h"
#include "dc_motor.h"
#include "internal.h"
#include "panel.h"

using velmora_sim::internal::Next;
using velmora_sim::internal::Record;

namespace {

using velmora_sim::internal::DcMotor;

constexpr DcMotor kMotor{
    velmora_sim::kOrvexMotor.nominalVolts, velmora_sim::kOrvexMotor.freeSpeedRpm,
    velmora_sim::kOrvexMotor.stallTorque, velmora_sim::kOrvexMotor.stallCurrent,
    velmora_sim::kOrvexMotor.freeCurrent};
constexpr double kFreeSpeedRpm = velmora_sim::kOrvexMotor.freeSpeedRpm;
// Closed-loop modes: duty per unit of speed error, the error in fractions of the free speed.
constexpr double kSpeedGain = 3.0;
// The controller's heat: its switches and leads (ohm) carry each channel's winding current; it
// settles at ambient + thermal resistance (degrees C per watt) x heat, with a 20 s lag.
constexpr double kAmbientCelsius = 25.0;
constexpr double kControllerOhms = 0.004;
constexpr double kThermalResistance = 1.0;
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
  // The motor: what it has on its shaft, whether the shaft is held, and what it drew last tick.
  double inertia = velmora_sim::kOrvexMotor.defaultInertia;
  bool locked = false;
  double duty = 0.0;
  double current = 0.0;    // winding current, A; negative when it drives backwards or brakes
  double lastTurns = 0.0;  // revolutions in the last tick

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

// The robot's battery, which every controller draws from.
struct BatteryModel {
  double emf = velmora_sim::kBatteryVolts;    // open-circuit voltage
  double volts = velmora_sim::kBatteryVolts;  // at the bus, after the sag
  double current = 0.0;                       // what the controllers draw, A
  // Built against WPILib: the bus voltage last queued for WPILib's input voltage (NaN: none).
  double queuedVolts = NAN;
};

struct Sim {
  std::map<int32_t, Controller> controllers;  // by handle
  int32_t nextHandle = 1;
  // Handles of controllers a reset took while the program still held them, until destroyed.
  std::set<int32_t> retired;
  BatteryModel battery;
};

// Never destroyed: its sim devices must not outlive WPILib's tables at exit.
Sim& S() {
  static Sim* sim = new Sim;
  return *sim;
}

// Built against WPILib, the battery's bus voltage is WPILib's input voltage. WPILib runs the
// callbacks of that value under its own lock, so the driver neither reads nor sets it under the
// driver's lock: a watcher notes every voltage set there from outside (the driver's own sets are
// told apart by the thread that makes them), the next call takes it as the battery's open-circuit
// voltage, and the bus voltage is published after the call has let go of the lock.
std::atomic<bool> g_inputVoltsSet{false};
std::atomic<double> g_inputVolts{0.0};
thread_local bool t_publishingVolts = false;
std::atomic<double> g_publishVolts{0.0};
std::atomic<uint64_t> g_publishSequence{0};
uint64_t g_publishedSequence = 0;   // only the publishing thread touches it
double g_lastPublishedVolts = NAN;  // likewise

void InputVoltageSet(double volts) {
  if (t_publishingVolts) return;
  g_inputVolts.store(volts, std::memory_order_relaxed);
  g_inputVoltsSet.store(true, std::memory_order_release);
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

// The output the controller gives a channel, -1 to 1, from what the channel was told and how fast
// it turns now. `busVolts` is the battery voltage the controller measured last.
double Duty(const Channel& ch, bool powered, double busVolts) {
  if (!powered || !ch.enabled) return 0.0;
  if (ch.mode == Mode::kSpeed) {
    return std::isfinite(ch.speed) ? std::clamp(ch.speed, -1.0, 1.0) : 0.0;
  }
  const double target = TargetRpm(ch);
  if (!std::isfinite(target) || !(busVolts > 0.0)) return 0.0;
  // Feed-forward: the voltage that holds the target speed on a free shaft; then the error.
  const double feedForward = target / kFreeSpeedRpm * kMotor.nominalVolts / busVolts;
  const double correction = kSpeedGain * (target - ch.rpm) / kFreeSpeedRpm;
  return std::clamp(feedForward + correction, -1.0, 1.0);
}

// What limits a channel's winding current: the limit the program set (A), in the mode it set,
// within the controller's own limit. A limit of 0, below 0 or no number leaves the controller's
// own limit, the motor's stall current at its nominal voltage.
constexpr double kControllerLimitAmps = velmora_sim::kOrvexControllerLimitAmps;
double CurrentLimit(const Channel& ch) {
  const double set = static_cast<double>(ch.currentLimit);
  return std::isfinite(set) && set > 0.0 ? std::min(set, kControllerLimitAmps)
                                         : kControllerLimitAmps;
}
constexpr uint8_t kLimitModeCut = 1;   // over the limit, the output is cut for the tick
constexpr uint8_t kStopModeCoast = 1;  // not driven, the leads are left open; otherwise shorted

// The winding current at a duty on a bus voltage.
double WindingCurrent(double duty, double busVolts, double speed) {
  return kMotor.Current(duty * busVolts, speed);
}

// The bus voltage with every channel at its duty: V = (E + R_b sum(d Ke w / R)) /
// (1 + R_b sum(d^2 / R)), never below 0 (a dead short can pull it to 0, never past it).
double SolveBus(const Sim& sim, double emf) {
  double conductance = 0.0;
  double backEmfCurrent = 0.0;
  for (const auto& entry : sim.controllers) {
    for (const Channel& ch : entry.second.channels) {
      const double speed = ch.locked ? 0.0 : ch.rpm * velmora_sim::internal::kRadPerSecPerRpm;
      conductance += ch.duty * ch.duty / kMotor.Resistance();
      backEmfCurrent += ch.duty * kMotor.BackEmfConstant() * speed / kMotor.Resistance();
    }
  }
  const double volts = velmora_sim::internal::BusVoltage(emf, velmora_sim::kBatteryResistance,
                                                         conductance, backEmfCurrent);
  return std::isfinite(volts) ? std::clamp(volts, 0.0, emf) : 0.0;
}

// One tick of every controller: the outputs, the battery under their load, then the shafts.
//
// Each channel's controller keeps its winding current within its limit: in the default mode it
// lowers its output until the current is at the limit (so a channel reversed at speed, whose
// back-EMF adds to the supply, draws at most the limit and little from the battery), in the cut
// mode it gives no output for a tick over the limit. Duty and bus voltage depend on each other;
// a few passes settle them.
void AdvanceAll(double dt) {
  Sim& sim = S();
  const bool powered = velmora_sim::internal::MotorsPowered();
  BatteryModel& battery = sim.battery;
  for (auto& entry : sim.controllers) {
    for (Channel& ch : entry.second.channels) ch.duty = Duty(ch, powered, battery.volts);
  }
  double volts = SolveBus(sim, battery.emf);
  for (int pass = 0; pass < 3; ++pass) {
    bool limited = false;
    for (auto& entry : sim.controllers) {
      for (Channel& ch : entry.second.channels) {
        if (ch.duty == 0.0) continue;
        const double speed = ch.locked ? 0.0 : ch.rpm * velmora_sim::internal::kRadPerSecPerRpm;
        const double current = WindingCurrent(ch.duty, volts, speed);
        const double limit = CurrentLimit(ch);
        if (!(std::fabs(current) > limit * (1.0 + 1e-9))) continue;
        limited = true;
        if (ch.currentLimitMode == kLimitModeCut || !(volts > 1e-6)) {
          ch.duty = 0.0;
          continue;
        }
        // The output that puts the winding current at the limit, in the current's direction.
        const double held = std::copysign(limit, current);
        const double duty = (kMotor.BackEmfConstant() * speed + held * kMotor.Resistance()) / volts;
        ch.duty = std::clamp(duty, -1.0, 1.0);
      }
    }
    if (!limited) break;
    volts = SolveBus(sim, battery.emf);
  }
  battery.volts = volts;
  battery.current = 0.0;
  for (auto& entry : sim.controllers) {
    Controller& c = entry.second;
    const bool coast = c.stopMode == kStopModeCoast;
    double heat = 0.0;
    for (Channel& ch : c.channels) {
      const double speed = ch.rpm * velmora_sim::internal::kRadPerSecPerRpm;
      const DcMotor::Step step = kMotor.Advance(ch.duty * battery.volts, speed, ch.inertia, dt,
                                                ch.locked, coast && ch.duty == 0.0);
      ch.rpm = step.speed / velmora_sim::internal::kRadPerSecPerRpm;
      ch.lastTurns = step.turned / (2.0 * 3.14159265358979323846);
      ch.revolutions += ch.lastTurns;
      ch.current = step.current;
      battery.current += ch.duty * ch.current;
      heat += ch.current * ch.current * kControllerOhms;
    }
    // The controller warms with the heat of the currents it carries and cools towards ambient.
    const double settle = kAmbientCelsius + kThermalResistance * heat;
    c.temperature += (settle - c.temperature) * -std::expm1(-dt / kThermalSeconds);
  }
}

// What a controller draws from the battery now, A.
double SupplyCurrent(const Controller& c) {
  double current = 0.0;
  for (const Channel& ch : c.channels) current += ch.duty * ch.current;
  return current;
}

// ---------------------------------------------------------------------------------------------
// The controller as a sim device
// ---------------------------------------------------------------------------------------------

// Per motor channel, in this order; the limit switches are what the robot's mechanism presses, the
// locked shaft and the inertia on it are the mechanism's, so a tool or a test sets them. Then the
// controller's temperature and what it draws from the battery.
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
  kCurrent,
  kLocked,
  kInertia,
  kValuesPerChannel
};
constexpr size_t kTemperatureSlot = 4 * kValuesPerChannel;
constexpr size_t kSupplyCurrentSlot = kTemperatureSlot + 1;
constexpr const char* kModeNames[] = {"speed", "velocity", "position"};

void MakePanel(Controller& c) {
  using velmora_sim::internal::Panel;
  c.panel = Panel("Orvex[" + std::to_string(c.canId) + "]");
  if (!c.panel.Shown()) return;
  for (size_t i = 0; i < 4; ++i) {
    const Channel& ch = c.channels[i];
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
    c.panel.Double((motor + "current").c_str(), false, 0.0);
    c.panel.Boolean((motor + "locked").c_str(), true, ch.locked);
    c.panel.Double((motor + "load inertia").c_str(), true, ch.inertia);
  }
  c.panel.Double("Temperature", false, kAmbientCelsius);
  c.panel.Double("Supply current", false, 0.0);
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
    c.panel.Show(base + kCurrent, ch.current);
    c.panel.Show(base + kLocked, ch.locked ? 1.0 : 0.0);
    c.panel.Show(base + kInertia, ch.inertia);
  }
  c.panel.Show(kTemperatureSlot, c.temperature);
  c.panel.Show(kSupplyCurrentSlot, SupplyCurrent(c));
}

// An inertia the model works with: kMinLoadInertia to kMaxLoadInertia kg m^2, from a bare rotor
// to a heavy flywheel geared down, where its integration stays exact.
bool ValidInertia(double inertia) {
  return inertia >= velmora_sim::kMinLoadInertia && inertia <= velmora_sim::kMaxLoadInertia;
}

// A switch state set from outside: the driver reports it as a 32-bit integer.
int32_t SwitchState(double value) {
  if (!std::isfinite(value)) return 0;
  return static_cast<int32_t>(std::clamp(std::round(value), -2147483648.0, 2147483647.0));
}

void ReadOrvex(Controller& c) {
  if (!c.panel.Shown()) return;
  for (size_t i = 0; i < 4; ++i) {
    Channel& ch = c.channels[i];
    const size_t base = i * kValuesPerChannel;
    for (size_t which = 0; which < 2; ++which) {
      if (auto v = c.panel.Changed(base + kLimitSwitch0 + which)) {
        ch.limitSwitch[which] = SwitchState(*v);
      }
    }
    if (auto v = c.panel.Changed(base + kLocked)) ch.locked = *v != 0.0;
    if (auto v = c.panel.Changed(base + kInertia)) {
      if (ValidInertia(*v)) {
        ch.inertia = *v;
      } else {
        // Refused: the value goes back to the inertia the model keeps using.
        std::cerr << "[VelmoraDriver] Orvex[" << c.canId << "] Motor " << i
                  << " load inertia must be within " << velmora_sim::kMinLoadInertia << " to "
                  << velmora_sim::kMaxLoadInertia << " kg m^2, got: " << *v << "; keeping "
                  << ch.inertia << '\n';
        c.panel.Show(base + kInertia, ch.inertia);
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

void SetOrvexMotorLocked(int32_t canId, int index, bool locked) {
  const velmora_sim::internal::DriverLock lock;
  Controller* c = FindByCanId(canId);
  if (c != nullptr && index >= 0 && index < 4) c->channels[index].locked = locked;
}

bool SetOrvexLoadInertia(int32_t canId, int index, double inertia) {
  const velmora_sim::internal::DriverLock lock;
  Controller* c = FindByCanId(canId);
  if (c == nullptr || index < 0 || index >= 4 || !ValidInertia(inertia)) return false;
  c->channels[index].inertia = inertia;
  return true;
}

BatteryState Battery() {
  const velmora_sim::internal::DriverLock lock;
  const auto& b = S().battery;
  return BatteryState{b.emf, kBatteryResistance, b.volts, b.current};
}

bool SetBatteryEmf(double volts) {
  const velmora_sim::internal::DriverLock lock;
  if (!std::isfinite(volts) || volts < 0.0 || volts > kMaximumBatteryVolts) return false;
  S().battery.emf = volts;
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
  state.locked = ch.locked;
  state.inertia = ch.inertia;
  state.duty = ch.duty;
  state.current = ch.current;
  return state;
}

namespace internal {

// A controller still open at a reset stays in the program that holds it: handles then go on
// counting past it, so destroying it never destroys a controller opened after the reset. With
// every controller destroyed, numbering starts again at 1, so that each test of a program that
// runs many sees its controller under the same handle.
void ResetOrvexSim() {
  std::set<int32_t> retired = std::move(S().retired);
  for (const auto& entry : S().controllers) retired.insert(entry.first);
  const int32_t nextHandle = retired.empty() ? 1 : S().nextHandle;
  S() = Sim{};
  S().nextHandle = nextHandle;
  S().retired = std::move(retired);
}

void OrvexTick(double dt) { AdvanceAll(dt); }

void ReadOrvexPanels() {
  for (auto& entry : S().controllers) ReadOrvex(entry.second);
  // A voltage a test or a tool set as WPILib's input voltage is the battery's, from now on.
  BatteryModel& battery = S().battery;
  if (!g_inputVoltsSet.exchange(false, std::memory_order_acquire)) return;
  const double volts = g_inputVolts.load(std::memory_order_relaxed);
  if (std::isfinite(volts) && volts >= 0.0 && volts <= kMaximumBatteryVolts) {
    battery.emf = volts;
    battery.volts = volts - kBatteryResistance * battery.current;
  } else {
    std::cerr << "[VelmoraDriver] the battery voltage must be within 0 to " << kMaximumBatteryVolts
              << " V, got: " << volts << "; keeping " << battery.emf << " V\n";
  }
  battery.queuedVolts = NAN;  // whatever was set, show the model's bus voltage over it
}

void ShowOrvexPanels() {
  for (auto& entry : S().controllers) ShowOrvex(entry.second);
  BatteryModel& battery = S().battery;
  if (!wpilib::kLinked || battery.volts == battery.queuedVolts) return;
  battery.queuedVolts = battery.volts;
  g_publishVolts.store(battery.volts, std::memory_order_relaxed);
  g_publishSequence.fetch_add(1, std::memory_order_release);
}

void WatchBattery() {
  wpilib::WatchInputVoltage(&InputVoltageSet);
  WatchWorld();
}

void PublishBattery() {
  if (!wpilib::kLinked) return;
  // Called by one thread at a time, in the driver's publishing rounds.
  // WPILib holds a voltage that is neither the driver's last nor one its watch saw set: WPILib's
  // robot controller data was reset (HALSIM_ResetRoboRioData), which puts the voltage back and
  // drops every callback. Take what WPILib holds as set from outside, and watch again, so that a
  // voltage set after the reset is the battery's as before.
  const double held = wpilib::InputVoltage();
  if (!std::isnan(g_lastPublishedVolts) && held != g_lastPublishedVolts &&
      !g_inputVoltsSet.load(std::memory_order_acquire) &&
      held != g_inputVolts.load(std::memory_order_relaxed)) {
    InputVoltageSet(held);
    wpilib::RewatchInputVoltage();
    return;  // the next call takes it, and publishes the bus voltage from it
  }
  for (int pass = 0; pass < 4; ++pass) {
    const uint64_t sequence = g_publishSequence.load(std::memory_order_acquire);
    if (sequence == g_publishedSequence) break;
    const double volts = g_publishVolts.load(std::memory_order_relaxed);
    t_publishingVolts = true;
    wpilib::SetInputVoltage(volts);
    t_publishingVolts = false;
    g_publishedSequence = sequence;
    g_lastPublishedVolts = volts;
  }
}

double OrvexChannelTurns(int32_t canId, int index) {
  Controller* c = FindByCanId(canId);
  return (c != nullptr && index >= 0 && index < 4) ? c->channels[index].lastTurns : 0.0;
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
  S().retired.erase(handle);
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
