// Simulated board utilities: the Adexa analog-input board on I2C and the simulated driver
// station, each one process-wide device. While the station exists and is disabled, the motors
// get no power.
//
// The board's 12-bit converter reads the voltages on its inputs against the reference it was
// opened with. The voltages live apart from the board (Signals) so that a model of the robot can
// drive them later; tests and the demo set them with SetAdexaVoltage.
#include <algorithm>
#include <array>
#include <cmath>

#include "../../src/driver_link/VelmoraDriver.h"
#include "internal.h"

using velmora_standin::internal::Next;
using velmora_standin::internal::Record;

namespace {

constexpr int kInputCount = 8;
constexpr double kFullScale = 4095.0;  // 12-bit converter

// The voltages on the board's inputs.
struct Signals {
  std::array<float, kInputCount> volts{};
};

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

// What the converter sees on an input: 0 to the reference, 0 on a closed board or a missing input.
double MeasuredVolts(uint8_t channel) {
  if (!B().open || channel >= kInputCount || B().vref <= 0) return 0.0;
  const double volts = In().volts[channel];
  if (std::isnan(volts)) return 0.0;
  return std::clamp(volts, 0.0, static_cast<double>(B().vref));
}

// The station gates the motors: the rest of the simulation learns of every change.
void StationChanged() { velmora_standin::internal::SetStationState(DS().exists, DS().enabled); }

}  // namespace

namespace velmora_standin {

void SetAdexaVoltage(int channel, float volts) {
  if (channel >= 0 && channel < kInputCount) In().volts[channel] = volts;
}

bool MockDSEnabled() { return DS().exists && DS().enabled; }

namespace internal {
void ResetBoardSims() {
  In() = Signals{};
  B() = Board{};
  DS() = Station{};
}
}  // namespace internal

}  // namespace velmora_standin

extern "C" {

void c_initializeI2C(int32_t vref) {
  Record("c_initializeI2C", vref);
  B().open = true;
  B().vref = vref;
}

void c_closeI2C() {
  Record("c_closeI2C");
  B().open = false;
}

int32_t c_getRawValue(uint8_t channel) {
  Record("c_getRawValue", channel);
  if (auto r = Next("c_getRawValue")) return static_cast<int32_t>(r->integer);
  if (B().vref <= 0) return 0;
  return static_cast<int32_t>(std::lround(MeasuredVolts(channel) / B().vref * kFullScale));
}

float c_getVoltage(uint8_t channel) {
  Record("c_getVoltage", channel);
  if (auto r = Next("c_getVoltage")) return static_cast<float>(r->real);
  return static_cast<float>(MeasuredVolts(channel));
}

void c_MockDS_create() {
  Record("c_MockDS_create");
  DS() = Station{true, false};
  StationChanged();
}

void c_MockDS_destroy() {
  Record("c_MockDS_destroy");
  DS() = Station{};
  StationChanged();
}

void c_MockDS_enable() {
  Record("c_MockDS_enable");
  DS().enabled = true;
  StationChanged();
}

void c_MockDS_disable() {
  Record("c_MockDS_disable");
  DS().enabled = false;
  StationChanged();
}

}  // extern "C"
