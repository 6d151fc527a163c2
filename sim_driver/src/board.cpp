// Simulated board utilities: the Adexa analog-input board on I2C and the simulated driver
// station, each one process-wide device. While the station exists and is disabled, the motors
// get no power.
//
// The board's 12-bit converter reads the voltages on its inputs against the reference it was
// opened with. The voltages live apart from the board (Signals). Each input follows a simple
// signal of simulated time, all at 0 V when time starts, so that a program sees something move:
//   input 0: a potentiometer swept from 0 V up to 5 V and back down every 8 s (a triangle);
//   input 1: a sine between 0 V and 3.3 V with a period of 2 s;
//   input 2: a pressure sensor filling towards 4.5 V with a time constant of 3 s;
//   input 3: a switch, 0 V in the first half of every second and 5 V in the second half;
//   inputs 4 to 7: unconnected, 0 V.
// A test or the demo pins an input to a voltage of its own with SetAdexaVoltage.
#include <algorithm>
#include <array>
#include <cmath>

#include "../../src/driver_link/VelmoraDriver.h"
#include "internal.h"
#include "panel.h"

using velmora_sim::internal::Next;
using velmora_sim::internal::Record;

namespace {

constexpr int kInputCount = 8;
constexpr double kFullScale = 4095.0;  // 12-bit converter

constexpr double kPi = 3.14159265358979323846;

// The voltages on the board's inputs: pinned by SetAdexaVoltage, or the input's signal.
struct Signals {
  std::array<bool, kInputCount> pinned{};
  std::array<float, kInputCount> volts{};
};

double SignalVolts(uint8_t input, double t) {
  switch (input) {
    case 0: {
      const double phase = std::fmod(t / 8.0, 1.0);
      return 5.0 * (phase < 0.5 ? 2.0 * phase : 2.0 - 2.0 * phase);
    }
    case 1:
      return 1.65 * (1.0 - std::cos(kPi * t));
    case 2:
      return 4.5 * (1.0 - std::exp(-t / 3.0));
    case 3:
      return std::fmod(t, 1.0) < 0.5 ? 0.0 : 5.0;
    default:
      return 0.0;
  }
}

struct Board {
  bool open = false;
  int32_t vref = 5;
};

struct Station {
  bool exists = false;
  bool enabled = false;
};

Signals& In() {
  static Signals signals;
  return signals;
}

Board& B() {
  static Board board;
  return board;
}

Station& DS() {
  static Station station;
  return station;
}

// The voltage on an input's wire: pinned, or its signal now.
double InputVolts(uint8_t channel) {
  return In().pinned[channel] ? In().volts[channel]
                              : SignalVolts(channel, velmora_sim::internal::Now());
}

// What the converter sees on an input: 0 to the reference, 0 on a closed board or a missing input.
double MeasuredVolts(uint8_t channel) {
  if (!B().open || channel >= kInputCount || B().vref <= 0) return 0.0;
  const double volts = InputVolts(channel);
  if (std::isnan(volts)) return 0.0;
  return std::clamp(volts, 0.0, static_cast<double>(B().vref));
}

// In WPILib's simulation: the open board "Adexa[I2C]", with the voltage on each input (settable:
// a tool or a test wires its own signal) and the reference; the station "MockDS", enabled or not.
// Never destroyed: their sim devices must not outlive WPILib's tables at exit.
velmora_sim::internal::Panel& BoardPanel() {
  static auto* panel = new velmora_sim::internal::Panel;
  return *panel;
}
velmora_sim::internal::Panel& StationPanel() {
  static auto* panel = new velmora_sim::internal::Panel;
  return *panel;
}
constexpr size_t kReferenceSlot = kInputCount;

void MakeBoardPanel() {
  velmora_sim::internal::Panel& panel = BoardPanel();
  panel = velmora_sim::internal::Panel{};
  panel = velmora_sim::internal::Panel("Adexa[I2C]");
  for (uint8_t i = 0; i < kInputCount; ++i) {
    panel.Double(("Input " + std::to_string(i) + " voltage").c_str(), true, InputVolts(i));
  }
  panel.Double("Reference", false, B().vref);
}

void MakeStationPanel() {
  velmora_sim::internal::Panel& panel = StationPanel();
  panel = velmora_sim::internal::Panel{};
  panel = velmora_sim::internal::Panel("MockDS");
  panel.Boolean("Enabled", false, false);
}

// The station gates the motors: the rest of the simulation learns of every change.
void StationChanged() { velmora_sim::internal::SetStationState(DS().exists, DS().enabled); }

}  // namespace

namespace velmora_sim {

bool SetAdexaVoltage(int channel, float volts) {
  const velmora_sim::internal::DriverLock lock;
  if (channel < 0 || channel >= kInputCount || !std::isfinite(volts)) return false;
  In().pinned[channel] = true;
  In().volts[channel] = volts;
  return true;
}

bool MockDSEnabled() {
  const velmora_sim::internal::DriverLock lock;
  return DS().exists && DS().enabled;
}

namespace internal {
void ResetBoardSims() {
  In() = Signals{};
  B() = Board{};
  DS() = Station{};
  BoardPanel() = Panel{};
  StationPanel() = Panel{};
}

void ReadBoardPanels() {
  Panel& panel = BoardPanel();
  if (!panel.Shown()) return;
  for (uint8_t i = 0; i < kInputCount; ++i) {
    if (auto v = panel.Changed(i)) {
      // Whatever a tool sets, the wire carries a voltage a float holds (and the converter clips
      // it to its reference); a voltage that is no number reads 0.
      In().pinned[i] = true;
      In().volts[i] = std::isnan(*v) ? 0.0f : static_cast<float>(std::clamp(*v, -1e6, 1e6));
    }
  }
}

void ShowBoardPanels() {
  Panel& board = BoardPanel();
  if (board.Shown()) {
    for (uint8_t i = 0; i < kInputCount; ++i) board.Show(i, InputVolts(i));
    board.Show(kReferenceSlot, B().vref);
  }
  StationPanel().Show(0, DS().enabled ? 1.0 : 0.0);
}
}  // namespace internal

}  // namespace velmora_sim

extern "C" {

void c_initializeI2C(int32_t vref) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_initializeI2C", vref);
  B().open = true;
  B().vref = vref;
  if (velmora_sim::wpilib::kLinked) MakeBoardPanel();
}

void c_closeI2C() {
  const velmora_sim::internal::DriverLock lock;
  Record("c_closeI2C");
  B().open = false;
  BoardPanel() = velmora_sim::internal::Panel{};
}

int32_t c_getRawValue(uint8_t channel) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_getRawValue", channel);
  if (auto r = Next("c_getRawValue")) return static_cast<int32_t>(r->integer);
  if (B().vref <= 0) return 0;
  return static_cast<int32_t>(std::lround(MeasuredVolts(channel) / B().vref * kFullScale));
}

float c_getVoltage(uint8_t channel) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_getVoltage", channel);
  if (auto r = Next("c_getVoltage")) return static_cast<float>(r->real);
  return static_cast<float>(MeasuredVolts(channel));
}

void c_MockDS_create() {
  const velmora_sim::internal::DriverLock lock;
  Record("c_MockDS_create");
  DS() = Station{true, false};
  if (velmora_sim::wpilib::kLinked) MakeStationPanel();
  StationChanged();
}

void c_MockDS_destroy() {
  const velmora_sim::internal::DriverLock lock;
  Record("c_MockDS_destroy");
  DS() = Station{};
  StationPanel() = velmora_sim::internal::Panel{};
  StationChanged();
}

void c_MockDS_enable() {
  const velmora_sim::internal::DriverLock lock;
  Record("c_MockDS_enable");
  DS().enabled = true;
  StationChanged();
}

void c_MockDS_disable() {
  const velmora_sim::internal::DriverLock lock;
  Record("c_MockDS_disable");
  DS().enabled = false;
  StationChanged();
}

}  // extern "C"
