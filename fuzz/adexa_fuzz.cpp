// Adexa: any reference voltage a program could open the board with (NaN, infinities, values
// beyond what an int holds) and any input number, with readings as the driver could give them
// back. The board must be opened with the voltage in whole volts (truncated toward zero, out of
// range values at the nearest int, NaN as 0) while `vref` keeps the voltage as given; an input
// must reach the driver as its low byte; readings must come back unchanged; and destroying the
// object must close the board exactly once.
#include <climits>
#include <cmath>
#include <cstring>

#include "FuzzSupport.h"
#include "velmora/Adexa.h"

using velmora_fuzz::Require;
using velmora_sim::Arg;
using velmora_sim::Result;

namespace {

// The whole volts the board should be opened with, worked out in double.
int32_t ExpectedWholeVolts(float vref) {
  if (std::isnan(vref)) return 0;
  const double whole = std::trunc(static_cast<double>(vref));
  if (whole > INT_MAX) return INT_MAX;
  if (whole < INT_MIN) return INT_MIN;
  return static_cast<int32_t>(whole);
}

bool SameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// The one argument of the only recorded call, which must be `name`.
Arg OnlyArgumentOf(const char* name) {
  const std::vector<velmora_sim::Call> calls = velmora_sim::Calls();
  Require(calls.size() == 1 && calls[0].name == name && calls[0].args.size() == 1,
          "one driver call per operation");
  return calls[0].args[0];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  FuzzedDataProvider data(bytes, size);
  velmora_fuzz::FreshDriver();
  velmora_sim::EnableJournal(true);  // a handful of calls per input: the journal is the oracle

  const float vref = data.ConsumeFloatingPoint<float>();
  {
    velmora::Adexa board(vref);
    Require(OnlyArgumentOf("c_initializeI2C") == Arg::I32(ExpectedWholeVolts(vref)),
            "the board is opened in whole volts, truncated toward zero");
    Require(SameBits(board.vref, vref), "vref keeps the voltage as given");

    while (data.remaining_bytes() > 0) {
      velmora_sim::ClearJournal();
      const int input = data.ConsumeIntegral<int>();
      const uint8_t expectedInput = static_cast<uint8_t>(static_cast<unsigned>(input) & 0xFFu);
      if (data.ConsumeBool()) {
        const int32_t raw = data.ConsumeIntegral<int32_t>();
        velmora_sim::ScriptNext("c_getRawValue", Result::Int(raw));
        Require(board.GetRawValue(input) == raw, "a raw reading comes back unchanged");
        Require(OnlyArgumentOf("c_getRawValue") == Arg::U8(expectedInput),
                "the input reaches the driver as its low byte");
      } else {
        const float volts = data.ConsumeFloatingPoint<float>();
        velmora_sim::ScriptNext("c_getVoltage", Result::Real(volts));
        // (The simulation driver keeps a scripted reading as a double, which quiets a
        // signalling NaN on the way: any NaN counts as the same.)
        const float read = board.GetVoltage(input);
        Require(SameBits(read, volts) || (std::isnan(read) && std::isnan(volts)),
                "a voltage comes back unchanged");
        Require(OnlyArgumentOf("c_getVoltage") == Arg::U8(expectedInput),
                "the input reaches the driver as its low byte");
      }
    }
    velmora_sim::ClearJournal();
  }
  const std::vector<std::string> names = velmora_sim::CallNames();
  Require(names.size() == 1 && names[0] == "c_closeI2C", "destroying the board closes it once");
  return 0;
}
