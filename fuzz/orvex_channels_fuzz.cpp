// Orvex motor and encoder channels: every member, in any order, on any channel, with every
// driver reading scripted from fuzz bytes. A model of each channel's own state (the speed sent,
// inversion, RPM inversion, distance and speed inversion) must agree with what the library sends
// and returns: speeds negated exactly on an inverted channel, readings negated exactly once their
// inversion is on (and never switched back), everything else passed on unchanged with the
// controller's handle and the channel's index, and sensitivities above 10 refused before the
// driver sees them.
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

#include "FuzzSupport.h"
#include "velmora/Orvex.h"

using velmora::Orvex;
using velmora_fuzz::Require;
using velmora_sim::Arg;
using velmora_sim::Call;
using velmora_sim::Result;

namespace {

struct MotorModel {
  double sent = 0.0;
  bool inverted = false;
  bool invertRPM = false;
};

struct EncoderModel {
  bool reverse = false;
  bool invertSpeed = false;
};

bool Same(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b));
}

// The calls recorded since the last look.
std::vector<Call> Recorded() {
  std::vector<Call> calls = velmora_sim::Calls();
  velmora_sim::ClearJournal();
  return calls;
}

// Exactly one call, `name`, on this controller and channel, followed by `rest`.
void RequireOnly(const char* name, Orvex::Handle handle, int index, std::vector<Arg> rest,
                 const char* what) {
  std::vector<Arg> args = {Arg::I32(handle), Arg::U8(static_cast<uint8_t>(index))};
  args.insert(args.end(), rest.begin(), rest.end());
  const std::vector<Call> calls = Recorded();
  Require(calls.size() == 1 && calls[0] == Call{name, args}, what);
}

void RequireNone(const char* what) { Require(Recorded().empty(), what); }

// A driver reading of a double, scripted for the next call of `function`.
double ScriptReal(const char* function, FuzzedDataProvider& data) {
  const double value = data.ConsumeFloatingPoint<double>();
  velmora_sim::ScriptNext(function, Result::Real(value));
  return value;
}

void DriveMotor(Orvex::Motor& motor, MotorModel& model, Orvex::Handle h, int i,
                FuzzedDataProvider& data) {
  switch (data.ConsumeIntegralInRange(0, 11)) {
    case 0:
    case 1: {  // Set, or PIDWrite through WPILib's PID output
      const double speed = data.ConsumeFloatingPoint<double>();
      if (data.ConsumeBool()) {
        motor.Set(speed);
      } else {
        static_cast<frc::PIDOutput&>(motor).PIDWrite(speed);
      }
      model.sent = model.inverted ? -speed : speed;
      RequireOnly("c_Orvex_setMotorSpeed", h, i, {Arg::F64(model.sent)},
                  "a speed is sent once, negated exactly on an inverted channel");
      break;
    }
    case 2:
      model.inverted = data.ConsumeBool();
      motor.SetInverted(model.inverted);
      RequireNone("inverting sends nothing");
      break;
    case 3:
      motor.StopMotor();
      model.sent = model.inverted ? -0.0 : 0.0;
      RequireOnly("c_Orvex_setMotorSpeed", h, i, {Arg::F64(model.sent)}, "stopping sends 0");
      break;
    case 4:
      motor.Disable();
      RequireOnly("c_Orvex_disableMotor", h, i, {}, "disabling is one call");
      break;
    case 5:
      if (data.ConsumeBool()) {
        motor.InvertRPM();
        model.invertRPM = true;
        RequireNone("inverting the RPM sends nothing");
      } else {
        const double rpm = ScriptReal("c_Orvex_getRPM", data);
        Require(Same(motor.GetRPM(), model.invertRPM ? -rpm : rpm),
                "the RPM is the driver's, negated once InvertRPM was called");
        RequireOnly("c_Orvex_getRPM", h, i, {}, "one RPM read");
      }
      break;
    case 6: {
      const bool target = data.ConsumeBool();
      const bool ok = data.ConsumeBool();
      Result answer = Result::Bool(ok);
      answer.real = data.ConsumeFloatingPoint<double>();
      velmora_sim::ScriptNext(target ? "c_Orvex_tryGetTargetRPM" : "c_Orvex_tryGetRPM", answer);
      const double untouched = 4321.5;
      double rpm = untouched;
      Require((target ? motor.TryGetTargetRPM(rpm) : motor.TryGetRPM(rpm)) == ok,
              "a read's success is the driver's");
      const double expected =
          !ok ? untouched : (model.invertRPM && !target ? -answer.real : answer.real);
      Require(Same(rpm, expected), "a failed read leaves the variable; a target is never negated");
      break;
    }
    case 7: {
      const bool which = data.ConsumeBool();
      const int32_t state = data.ConsumeIntegral<int32_t>();
      velmora_sim::ScriptNext("c_Orvex_getLimitSwitch", Result::Int(state));
      Require(motor.GetLimitSwitch(which) == static_cast<double>(state),
              "a limit switch reads the driver's state");
      RequireOnly("c_Orvex_getLimitSwitch", h, i, {Arg::Bool(which)}, "one limit switch read");
      const double position = ScriptReal("c_Orvex_getZynderPosition", data);
      Require(Same(motor.GetZynderPosition(), position), "the absolute position is the driver's");
      break;
    }
    case 8: {
      const float velocity = data.ConsumeFloatingPoint<float>();
      motor.SetTargetVelocity(velocity);
      RequireOnly("c_Orvex_setTargetVelocity", h, i, {Arg::F32(velocity)},
                  "a target velocity reaches the driver as the same float");
      const int distance = data.ConsumeIntegral<int>();
      motor.SetTargetDistance(distance);
      RequireOnly("c_Orvex_setTargetDistance", h, i, {Arg::I32(distance)}, "target distance");
      const double angle = data.ConsumeFloatingPoint<double>();
      motor.SetTargetAngle(angle);
      RequireOnly("c_Orvex_setTargetAngle", h, i, {Arg::F64(angle)}, "target angle");
      const bool hold = data.ConsumeBool();
      motor.SetPositionHold(hold);
      RequireOnly("c_Orvex_setPositionHold", h, i, {Arg::Bool(hold)}, "position hold");
      break;
    }
    case 9: {
      const unsigned char sensitivity = data.ConsumeIntegral<unsigned char>();
      motor.SetSensitivity(sensitivity);
      if (sensitivity > 10) {
        RequireNone("a sensitivity above 10 never reaches the driver");
      } else {
        RequireOnly("c_Orvex_setSensitivity", h, i, {Arg::U8(sensitivity)}, "sensitivity");
      }
      break;
    }
    case 10: {
      const float limit = data.ConsumeFloatingPoint<float>();
      motor.SetCurrentLimit(limit);
      RequireOnly("c_Orvex_setCurrentLimit", h, i, {Arg::F32(limit)}, "current limit");
      const unsigned char mode = data.ConsumeIntegral<unsigned char>();
      motor.SetCurrentLimitMode(mode);
      RequireOnly("c_Orvex_setCurrentLimitMode", h, i, {Arg::U8(mode)}, "current limit mode");
      const unsigned short resolution = data.ConsumeIntegral<unsigned short>();
      motor.SetEncoderResolution(resolution);
      RequireOnly("c_Orvex_setEncoderResolution", h, i, {Arg::U16(resolution)}, "resolution");
      break;
    }
    default: {
      const unsigned char type = data.ConsumeIntegral<unsigned char>();
      motor.SetPIDType(type);
      RequireOnly("c_Orvex_setMotorPIDType", h, i, {Arg::U8(type)}, "the channel's PID type");
      const int configuration = data.ConsumeIntegral<int>();
      motor.Configure(configuration);
      RequireOnly("c_Orvex_configureMotor", h, i, {Arg::I32(configuration)}, "configuration");
      motor.Autotune();
      RequireOnly("c_Orvex_autotuneMotor", h, i, {}, "auto-tuning");
      break;
    }
  }
  Require(Same(motor.Get(), model.sent), "Get() is the last speed sent");
  Require(motor.GetInverted() == model.inverted, "GetInverted() is the flag set");
  Require(motor.GetMotorIndex() == i, "the channel keeps its index");
}

void DriveEncoder(Orvex::Encoder& encoder, EncoderModel& model, Orvex::Handle h, int i,
                  FuzzedDataProvider& data) {
  switch (data.ConsumeIntegralInRange(0, 6)) {
    case 0:
      encoder.Reset();
      RequireOnly("c_Orvex_resetEncoder", h, i, {}, "a reset is one call");
      break;
    case 1: {
      const double distance = ScriptReal("c_Orvex_getEncoderDistance", data);
      Require(Same(encoder.GetEncoderDistance(), model.reverse ? -distance : distance),
              "the distance is the driver's, negated once reversed");
      RequireOnly("c_Orvex_getEncoderDistance", h, i, {}, "one distance read");
      break;
    }
    case 2: {
      const double raw = ScriptReal("c_Orvex_getEncoderRaw", data);
      Require(Same(encoder.GetRaw(), raw), "the raw value is never negated");
      const int32_t count = data.ConsumeIntegral<int32_t>();
      velmora_sim::ScriptNext("c_Orvex_getEncoderCount", Result::Int(count));
      Require(encoder.GetCount() == count, "the count is never negated");
      break;
    }
    case 3: {
      const double speed = ScriptReal("c_Orvex_getEncoderSpeed", data);
      Require(Same(encoder.GetSpeed(), model.invertSpeed ? -speed : speed),
              "the speed is the driver's, negated once inverted");
      break;
    }
    case 4:
      if (data.ConsumeBool()) {
        encoder.SetReverseDirection();
        model.reverse = true;
      } else {
        encoder.InvertSpeed();
        model.invertSpeed = true;
      }
      RequireNone("inverting a reading sends nothing");
      break;
    case 5: {  // the WPILib counter view
      frc::CounterBase& counter = encoder;
      const int32_t count = data.ConsumeIntegral<int32_t>();
      velmora_sim::ScriptNext("c_Orvex_getEncoderCount", Result::Int(count));
      Require(counter.Get() == count, "the counter reads the device count");
      const double speed = ScriptReal("c_Orvex_getEncoderSpeed", data);
      Require(counter.GetStopped() == (speed == 0.0), "stopped exactly at speed 0");
      Require(counter.GetPeriod() == 0.0, "no period");
      Recorded();
      counter.SetMaxPeriod(data.ConsumeFloatingPoint<double>());
      RequireNone("the maximum period does not reach the driver");
      break;
    }
    default:
      break;
  }
  Require(encoder.GetDirection() == model.reverse, "the direction is the reverse flag");
  Require(encoder.GetEncoderIndex() == i, "the channel keeps its index");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  velmora_fuzz::QuietConsole();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  FuzzedDataProvider data(bytes, size);
  velmora_fuzz::FreshDriver();
  velmora_sim::EnableJournal(true);  // the journal is the oracle for what reaches the driver

  const Orvex::Handle handle = data.ConsumeIntegral<int32_t>();
  velmora_sim::ScriptNext("c_Orvex_create", Result::Int(handle));
  Orvex orvex(data.ConsumeIntegral<int>());
  std::array<Orvex::Motor*, Orvex::kChannelCount> motors{};
  std::array<Orvex::Encoder*, Orvex::kChannelCount> encoders{};
  for (int i = 0; i < Orvex::kChannelCount; ++i) {
    motors[i] = &orvex.GetMotor(i);
    encoders[i] = &orvex.GetEncoder(i, data.ConsumeFloatingPoint<double>());
  }
  std::array<MotorModel, Orvex::kChannelCount> motorModels{};
  std::array<EncoderModel, Orvex::kChannelCount> encoderModels{};
  Recorded();

  while (data.remaining_bytes() > 0) {
    const int i = data.ConsumeIntegralInRange(0, Orvex::kChannelCount - 1);
    if (data.ConsumeBool()) {
      DriveMotor(*motors[i], motorModels[i], handle, i, data);
    } else {
      DriveEncoder(*encoders[i], encoderModels[i], handle, i, data);
    }
    Recorded();
  }
  return 0;
}
