// Orvex: identity texts, target speeds and RPM read-backs as the driver could give them back, and
// channel indices and settings as a robot program could pass them. Indices outside 0 to 3 must be
// rejected with std::out_of_range and nothing else; a failed RPM read must leave the program's
// variable alone and a successful one must deliver the driver's value (negated once InvertRPM
// was called); every other call must simply return.
#include <array>
#include <cstring>
#include <stdexcept>
#include <string>

#include "FuzzSupport.h"
#include "velmora/Orvex.h"

using velmora_fuzz::Require;
using velmora_sim::Result;

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

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// One motor channel: a speed, a setting, and an RPM read-back whose driver answer is fuzzed.
void DriveMotor(velmora::Orvex::Motor& motor, FuzzedDataProvider& data, bool& rpmInverted) {
  switch (data.ConsumeIntegralInRange(0, 3)) {
    case 0:
      motor.SetInverted(data.ConsumeBool());
      motor.Set(data.ConsumeFloatingPoint<double>());
      motor.Get();
      break;
    case 1:
      motor.SetSensitivity(data.ConsumeIntegral<unsigned char>());
      motor.SetCurrentLimit(data.ConsumeFloatingPoint<float>());
      break;
    case 2:
      motor.InvertRPM();
      rpmInverted = true;
      break;
    default: {
      const double driverValue = data.ConsumeFloatingPoint<double>();
      const bool ok = data.ConsumeBool();
      const bool target = data.ConsumeBool();
      Result answerOfDriver = Result::Bool(ok);
      answerOfDriver.real = driverValue;  // what the driver writes through its pointer
      velmora_sim::ScriptNext(target ? "c_Orvex_tryGetTargetRPM" : "c_Orvex_tryGetRPM",
                              answerOfDriver);
      const double sentinel = 12345.5;
      double rpm = sentinel;
      const bool answer = target ? motor.TryGetTargetRPM(rpm) : motor.TryGetRPM(rpm);
      Require(answer == ok, "the driver's answer is passed on");
      if (!ok) {
        Require(SameBits(rpm, sentinel), "a failed read leaves the variable untouched");
      } else {
        const double expected = rpmInverted && !target ? -driverValue : driverValue;
        Require(SameBits(rpm, expected) || (rpm != rpm && driverValue != driverValue),
                "a successful read delivers the driver's value, negated after InvertRPM");
      }
      break;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  velmora_fuzz::QuietConsole();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  FuzzedDataProvider data(bytes, size);
  velmora_fuzz::FreshDriver();

  velmora_sim::ScriptAlways("c_Orvex_getID", Result::Int(data.ConsumeIntegral<int32_t>()));
  velmora_sim::ScriptAlways("c_Orvex_getFirmwareVersion",
                            Result::Text(data.ConsumeRandomLengthString(64)));
  velmora_sim::ScriptAlways("c_Orvex_getHardwareVersion",
                            Result::Text(data.ConsumeRandomLengthString(64)));
  velmora_sim::ScriptAlways("c_Orvex_getSerialNumber",
                            Result::Text(data.ConsumeRandomLengthString(64)));
  std::array<double, velmora::Orvex::kChannelCount> targets{};
  for (double& target : targets) target = data.ConsumeFloatingPoint<double>();
  velmora_sim::ScriptAlways("c_Orvex_getTargetRPMFromDevice",
                            Result::Bool(data.ConsumeBool()).Fill(targets));

  velmora::Orvex orvex(data.ConsumeIntegral<int>(), data.ConsumeIntegral<int>());
  std::array<bool, velmora::Orvex::kChannelCount> rpmInverted{};
  while (data.remaining_bytes() > 0) {
    const int index = data.ConsumeIntegral<int>();
    const bool valid = index >= 0 && index < velmora::Orvex::kChannelCount;
    switch (data.ConsumeIntegralInRange(0, 6)) {
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
      case 5:
        if (valid) DriveMotor(orvex.GetMotor(index), data, rpmInverted[index]);
        break;
      default:
        orvex.SetMotorStopMode(data.ConsumeIntegral<unsigned char>());
        orvex.SetCANSensorOsDelay(data.ConsumeIntegral<unsigned short>());
        break;
    }
  }
  return 0;
}
