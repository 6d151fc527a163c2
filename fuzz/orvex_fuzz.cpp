// Orvex: identity texts and target speeds as the driver could give them back, and channel
// indices as a robot program could pass them. Indices outside 0 to 3 must be rejected with
// std::out_of_range and nothing else; every other call must simply return.
#include <array>
#include <stdexcept>
#include <string>

#include "FuzzSupport.h"
#include "velmora/Orvex.h"

using velmora_fuzz::Require;
using velmora_standin::Result;

namespace {

// Whether `call(index)` threw std::out_of_range; any other exception escapes to libFuzzer.
template <typename Call>
bool Rejected(Call&& call, int index) {
  try {
    call(index);
  } catch (const std::out_of_range&) {
    return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  FuzzedDataProvider data(bytes, size);
  velmora_fuzz::FreshDriver();

  velmora_standin::ScriptAlways("c_Orvex_getID", Result::Int(data.ConsumeIntegral<int32_t>()));
  velmora_standin::ScriptAlways("c_Orvex_getFirmwareVersion",
                                Result::Text(data.ConsumeRandomLengthString(64)));
  velmora_standin::ScriptAlways("c_Orvex_getHardwareVersion",
                                Result::Text(data.ConsumeRandomLengthString(64)));
  velmora_standin::ScriptAlways("c_Orvex_getSerialNumber",
                                Result::Text(data.ConsumeRandomLengthString(64)));
  std::array<double, velmora::Orvex::kChannelCount> targets{};
  for (double& target : targets) target = data.ConsumeFloatingPoint<double>();
  velmora_standin::ScriptAlways("c_Orvex_getTargetRPMFromDevice",
                                Result::Bool(data.ConsumeBool()).Fill(targets));

  velmora::Orvex orvex(data.ConsumeIntegral<int>(), data.ConsumeIntegral<int>());
  while (data.remaining_bytes() > 0) {
    const int index = data.ConsumeIntegral<int>();
    const bool valid = index >= 0 && index < velmora::Orvex::kChannelCount;
    switch (data.ConsumeIntegralInRange(0, 5)) {
      case 0: {
        const bool rejected = Rejected([&](int i) { orvex.GetMotor(i); }, index);
        Require(rejected != valid, "GetMotor rejects exactly the indices outside 0 to 3");
        break;
      }
      case 1: {
        const double setup = data.ConsumeFloatingPoint<double>();
        const bool rejected = Rejected([&](int i) { orvex.GetEncoder(i, setup); }, index);
        Require(rejected != valid, "GetEncoder rejects exactly the indices outside 0 to 3");
        break;
      }
      case 2:
        orvex.GetID();
        orvex.GetFirmwareVersion();
        orvex.GetHardwareVersion();
        break;
      case 3:
        orvex.GetSerialNumber();
        break;
      case 4: {
        std::array<double, velmora::Orvex::kChannelCount> out{};
        orvex.GetTargetRPMFromDevice(data.ConsumeBool() ? out.data() : nullptr);
        break;
      }
      default:
        orvex.SetMotorStopMode(data.ConsumeIntegral<unsigned char>());
        orvex.SetCANSensorOsDelay(data.ConsumeIntegral<unsigned short>());
        break;
    }
  }
  return 0;
}
