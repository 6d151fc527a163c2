#include "velmora/Adexa.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "../driver_link/VelmoraDriver.h"

namespace velmora {
namespace {

// The board takes its reference in whole volts: the voltage truncated toward zero. Converting a
// float outside the int range (or NaN) to int is undefined, so such values are brought to the
// nearest int first and NaN becomes 0; every value in range truncates exactly as a cast does.
int32_t WholeVolts(float vref) {
  constexpr float kTwoToThe31 = 2147483648.0f;  // exactly representable, one past INT32_MAX
  if (std::isnan(vref)) return 0;
  if (vref >= kTwoToThe31) return std::numeric_limits<int32_t>::max();
  if (vref < -kTwoToThe31) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(vref);
}

// Inputs are numbered by one byte.
uint8_t InputNumber(int channel) { return static_cast<uint8_t>(channel & 0xFF); }

}  // namespace

Adexa::Adexa() : Adexa(kDefaultVref) {}

Adexa::Adexa(float volts) : vref(volts) { c_initializeI2C(WholeVolts(vref)); }

Adexa::~Adexa() { c_closeI2C(); }

int Adexa::GetRawValue(int channel) { return c_getRawValue(InputNumber(channel)); }

float Adexa::GetVoltage(int channel) { return c_getVoltage(InputNumber(channel)); }

}  // namespace velmora
