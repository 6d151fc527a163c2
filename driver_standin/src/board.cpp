// Simulated board utilities: the Adexa analog-input board on I2C and the simulated driver
// station, each one process-wide device.
#include "../../src/driver_link/VelmoraDriver.h"
#include "internal.h"

using velmora_standin::internal::Next;
using velmora_standin::internal::Record;

namespace {

struct Board {
  bool open = false;
  int32_t vref = 5;
};

struct Station {
  bool exists = false;
  bool enabled = false;
};

Board& B() {
  static Board board;
  return board;
}

Station& DS() {
  static Station station;
  return station;
}

}  // namespace

namespace velmora_standin::internal {
void ResetBoardSims() {
  B() = Board{};
  DS() = Station{};
}
}  // namespace velmora_standin::internal

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
  return B().open ? 0 : 0;
}

float c_getVoltage(uint8_t channel) {
  Record("c_getVoltage", channel);
  if (auto r = Next("c_getVoltage")) return static_cast<float>(r->real);
  return 0.0f;
}

void c_MockDS_create() {
  Record("c_MockDS_create");
  DS() = Station{true, false};
}

void c_MockDS_destroy() {
  Record("c_MockDS_destroy");
  DS() = Station{};
}

void c_MockDS_enable() {
  Record("c_MockDS_enable");
  DS().enabled = true;
}

void c_MockDS_disable() {
  Record("c_MockDS_disable");
  DS().enabled = false;
}

}  // extern "C"
