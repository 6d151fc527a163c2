// Orvex motor and encoder channels, driven through WPILib's interfaces as WPILib code would.
#include <frc/CounterBase.h>
#include <frc/PIDOutput.h>
#include <frc/SpeedController.h>
#include <units/units.h>

#include <cmath>
#include <cstring>

#include "support/TestSupport.h"
#include "velmora/Orvex.h"

namespace {

using velmora::Orvex;
using velmora_test::Arg;
using velmora_test::Call;
using velmora_test::Result;
using velmora_test::StreamCapture;
using Calls = std::vector<Call>;
namespace simdrv = velmora_sim;

constexpr int32_t kHandle = 1;  // the simulation driver's first controller handle

// A TryGet call that succeeds and writes `value`.
Result Success(double value) {
  Result r = Result::Bool(true);
  r.real = value;
  return r;
}

class ChannelTest : public velmora_test::DriverTest {
 protected:
  void SetUp() override {
    DriverTest::SetUp();
    orvex = std::make_unique<Orvex>(5);
  }
  void TearDown() override {
    orvex.reset();
    DriverTest::TearDown();
  }
  // A motor channel seen as WPILib sees it, with the journal cleared.
  Orvex::Motor& Motor(int index) {
    Orvex::Motor& m = orvex->GetMotor(index);
    Clear();
    return m;
  }
  Orvex::Encoder& Encoder(int index) {
    Orvex::Encoder& e = orvex->GetEncoder(index, 1.0);
    Clear();
    return e;
  }
  static Call SpeedCall(uint8_t index, double speed) {
    return {"c_Orvex_setMotorSpeed", {Arg::I32(kHandle), Arg::U8(index), Arg::F64(speed)}};
  }

  std::unique_ptr<Orvex> orvex;
};

// ---- speed and inversion ----------------------------------------------------------------------

TEST_F(ChannelTest, InversionAppliesToLaterSetsOnly) {
  Orvex::Motor& motor = Motor(0);
  frc::SpeedController& sc = motor;

  sc.SetInverted(true);
  sc.Set(0.5);
  EXPECT_EQ(sc.Get(), -0.5);
  EXPECT_TRUE(sc.GetInverted());

  sc.SetInverted(false);  // no resend, no flip of the remembered speed
  EXPECT_EQ(sc.Get(), -0.5);
  sc.Set(0.5);
  sc.SetInverted(true);
  EXPECT_EQ(sc.Get(), 0.5);
  sc.Set(0.2);
  EXPECT_EQ(Journal(), (Calls{SpeedCall(0, -0.5), SpeedCall(0, 0.5), SpeedCall(0, -0.2)}));
}

TEST_F(ChannelTest, StopPidWriteAndDisableGoThroughTheSameRules) {
  Orvex::Motor& motor = Motor(3);
  frc::SpeedController& sc = motor;
  frc::PIDOutput& pid = motor;

  sc.Set(1.7);  // no clamping
  pid.PIDWrite(0.3);
  sc.Disable();
  EXPECT_EQ(sc.Get(), 0.3) << "Disable leaves the remembered speed";
  sc.SetInverted(true);
  sc.StopMotor();
  EXPECT_EQ(Journal(), (Calls{SpeedCall(3, 1.7),
                              SpeedCall(3, 0.3),
                              {"c_Orvex_disableMotor", {Arg::I32(kHandle), Arg::U8(3)}},
                              SpeedCall(3, -0.0)}));
  EXPECT_TRUE(std::signbit(sc.Get())) << "an inverted stop sends negative zero";
  EXPECT_EQ(sc.Get(), 0.0);
}

TEST_F(ChannelTest, SetVoltageDividesByTheBatteryVoltage) {
  frc::SpeedController& sc = Motor(1);
  sc.SetVoltage(units::volt_t{6.0});
  EXPECT_EQ(Journal(), (Calls{SpeedCall(1, 0.5)}));
}

// WPILib's SetVoltage divides by the battery voltage it reads at that moment: a channel must
// follow a sagging battery, and inversion applies after the division.
TEST_F(ChannelTest, SetVoltageFollowsTheBatteryAndTheInversion) {
  struct Case {
    double battery, volts;
    bool inverted;
    double sent;
  };
  const Case cases[] = {{10.0, 5.0, false, 0.5},
                        {8.0, -2.0, false, -0.25},
                        {12.5, 2.5, false, 0.2},
                        {12.5, 2.5, true, -0.2}};
  Orvex::Motor& motor = Motor(2);
  frc::SpeedController& sc = motor;
  for (const Case& c : cases) {
    velmora_test::SetBatteryVoltage(c.battery);
    sc.SetInverted(c.inverted);
    Clear();
    sc.SetVoltage(units::volt_t{c.volts});
    EXPECT_EQ(Journal(), (Calls{SpeedCall(2, c.sent)})) << c.volts << " V of " << c.battery;
    EXPECT_EQ(sc.Get(), c.sent);
  }
  velmora_test::SetBatteryVoltage(12.0);
}

// ---- RPM read-back ----------------------------------------------------------------------------

TEST_F(ChannelTest, RpmInversionIsOneWayAndSparesTheTarget) {
  Orvex::Motor& motor = Motor(2);
  simdrv::ScriptAlways("c_Orvex_getRPM", Result::Real(1200.0));
  simdrv::ScriptAlways("c_Orvex_tryGetRPM", Success(1200.0));
  simdrv::ScriptAlways("c_Orvex_tryGetTargetRPM", Success(1500.0));
  double rpm = 0.0;
  EXPECT_EQ(motor.GetRPM(), 1200.0);
  motor.InvertRPM();
  motor.InvertRPM();  // twice leaves it on
  motor.SetInverted(false);
  EXPECT_EQ(motor.GetRPM(), -1200.0);
  ASSERT_TRUE(motor.TryGetRPM(rpm));
  EXPECT_EQ(rpm, -1200.0);
  ASSERT_TRUE(motor.TryGetTargetRPM(rpm));
  EXPECT_EQ(rpm, 1500.0);
  EXPECT_FALSE(motor.GetInverted()) << "the two inversions are independent";
}

TEST_F(ChannelTest, FailedTryGetLeavesTheOutputUntouched) {
  Orvex::Motor& motor = Motor(0);
  simdrv::ScriptNext("c_Orvex_tryGetRPM", Result::Bool(false));
  simdrv::ScriptNext("c_Orvex_tryGetTargetRPM", Result::Bool(false));
  double rpm = 42.0;
  EXPECT_FALSE(motor.TryGetRPM(rpm));
  EXPECT_FALSE(motor.TryGetTargetRPM(rpm));
  EXPECT_EQ(rpm, 42.0);
  EXPECT_EQ(Journal(),
            (Calls{{"c_Orvex_tryGetRPM", {Arg::I32(kHandle), Arg::U8(0), Arg::NonNull()}},
                   {"c_Orvex_tryGetTargetRPM", {Arg::I32(kHandle), Arg::U8(0), Arg::NonNull()}}}));
}

// ---- settings reach the driver at their exact widths ------------------------------------------

TEST_F(ChannelTest, SettingsKeepTheirTypesBitForBit) {
  Orvex::Motor& motor = Motor(3);
  const float oddFloat = 0.1f;  // not representable as a short decimal in double
  motor.SetTargetVelocity(2.5f);
  motor.SetCurrentLimit(oddFloat);
  motor.SetTargetDistance(-7);
  motor.SetTargetAngle(90.25);
  motor.SetPositionHold(true);
  motor.SetCurrentLimitMode(4);
  motor.SetEncoderResolution(65535);
  motor.SetPIDType(2);
  motor.Configure(-1);
  motor.Autotune();
  const Arg h = Arg::I32(kHandle);
  const Arg i = Arg::U8(3);
  EXPECT_EQ(Journal(), (Calls{{"c_Orvex_setTargetVelocity", {h, i, Arg::F32(2.5f)}},
                              {"c_Orvex_setCurrentLimit", {h, i, Arg::F32(oddFloat)}},
                              {"c_Orvex_setTargetDistance", {h, i, Arg::I32(-7)}},
                              {"c_Orvex_setTargetAngle", {h, i, Arg::F64(90.25)}},
                              {"c_Orvex_setPositionHold", {h, i, Arg::Bool(true)}},
                              {"c_Orvex_setCurrentLimitMode", {h, i, Arg::U8(4)}},
                              {"c_Orvex_setEncoderResolution", {h, i, Arg::U16(65535)}},
                              {"c_Orvex_setMotorPIDType", {h, i, Arg::U8(2)}},
                              {"c_Orvex_configureMotor", {h, i, Arg::I32(-1)}},
                              {"c_Orvex_autotuneMotor", {h, i}}}));
  EXPECT_EQ(motor.GetMotorIndex(), 3);
}

TEST_F(ChannelTest, SensitivityAboveTenIsRefusedWithAMessage) {
  Orvex::Motor& motor = Motor(1);
  struct Case {
    unsigned char value;
    const char* message;  // empty: accepted
  };
  const Case cases[] = {{0, ""},
                        {10, ""},
                        {11, "[Orvex] Sensitivity must be in [0, 10], got: 11\n"},
                        {200, "[Orvex] Sensitivity must be in [0, 10], got: 200\n"},
                        {255, "[Orvex] Sensitivity must be in [0, 10], got: 255\n"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.value));
    Clear();
    StreamCapture err(std::cerr);
    motor.SetSensitivity(c.value);
    EXPECT_EQ(err.Text(), c.message);
    if (*c.message == '\0') {
      EXPECT_EQ(
          Journal(),
          (Calls{{"c_Orvex_setSensitivity", {Arg::I32(kHandle), Arg::U8(1), Arg::U8(c.value)}}}));
    } else {
      EXPECT_TRUE(Journal().empty());
    }
  }
}

TEST_F(ChannelTest, LimitSwitchAndZynderPositionComeFromTheDevice) {
  Orvex::Motor& motor = Motor(2);
  simdrv::SetOrvexLimitSwitch(5, 2, true, 1);
  simdrv::SetOrvexZynderPosition(5, 2, 271.5);
  EXPECT_EQ(motor.GetLimitSwitch(true), 1.0);
  EXPECT_EQ(motor.GetLimitSwitch(false), 0.0);
  EXPECT_EQ(motor.GetZynderPosition(), 271.5);
  EXPECT_EQ(simdrv::CallsTo("c_Orvex_getLimitSwitch")[0].args[2], Arg::Bool(true));
}

// ---- encoder ----------------------------------------------------------------------------------

TEST_F(ChannelTest, EncoderSignInversionsAreOneWayAndIndependent) {
  Orvex::Encoder& enc = Encoder(2);
  simdrv::ScriptAlways("c_Orvex_getEncoderDistance", Result::Real(12.5));
  simdrv::ScriptAlways("c_Orvex_getEncoderSpeed", Result::Real(300.0));
  simdrv::ScriptAlways("c_Orvex_getEncoderRaw", Result::Real(77.0));
  simdrv::ScriptAlways("c_Orvex_getEncoderCount", Result::Int(-9));

  EXPECT_EQ(enc.GetEncoderDistance(), 12.5);
  EXPECT_FALSE(enc.GetDirection());
  enc.InvertSpeed();
  EXPECT_EQ(enc.GetSpeed(), -300.0);
  EXPECT_EQ(enc.GetEncoderDistance(), 12.5) << "speed inversion leaves distance alone";
  EXPECT_FALSE(enc.GetDirection());
  enc.SetReverseDirection();
  enc.SetReverseDirection();  // twice stays on
  enc.InvertSpeed();
  EXPECT_EQ(enc.GetEncoderDistance(), -12.5);
  EXPECT_TRUE(enc.GetDirection());
  EXPECT_EQ(enc.GetSpeed(), -300.0);
  EXPECT_EQ(enc.GetRaw(), 77.0);
  EXPECT_EQ(enc.GetCount(), -9);
  EXPECT_EQ(enc.GetEncoderIndex(), 2);
  for (const Call& c : Journal()) {
    EXPECT_EQ(c.args, (std::vector<Arg>{Arg::I32(kHandle), Arg::U8(2)})) << c;
  }
}

TEST_F(ChannelTest, EncoderAsWpilibCounter) {
  Orvex::Encoder& enc = Encoder(1);
  frc::CounterBase& counter = enc;
  enc.SetReverseDirection();
  counter.Reset();
  EXPECT_TRUE(counter.GetDirection()) << "reset keeps the flags";
  EXPECT_EQ(Journal(), (Calls{{"c_Orvex_resetEncoder", {Arg::I32(kHandle), Arg::U8(1)}}}));

  simdrv::ScriptNext("c_Orvex_getEncoderCount", Result::Int(1234));
  EXPECT_EQ(counter.Get(), 1234) << "the counter reads the device count, unsigned by flags";
  simdrv::ScriptNext("c_Orvex_getEncoderSpeed", Result::Real(0.0));
  EXPECT_TRUE(counter.GetStopped());
  simdrv::ScriptNext("c_Orvex_getEncoderSpeed", Result::Real(-0.01));
  EXPECT_FALSE(counter.GetStopped());
  counter.SetMaxPeriod(0.5);
  EXPECT_EQ(counter.GetPeriod(), 0.0);
}

// ---- against the simulated controller ----------------------------------------------------------

TEST_F(ChannelTest, SimulatedMotorAndEncoderAgree) {
  Orvex::Motor& motor = orvex->GetMotor(0);
  Orvex::Encoder& enc = orvex->GetEncoder(0, 0.1);  // 0.1 m per revolution
  motor.Set(0.5);
  simdrv::SimStep(2.0);
  const double rpm = 2500.0 * simdrv::Battery().volts / 12.0;  // on the sagging battery
  EXPECT_NEAR(motor.GetRPM(), rpm, 0.5);
  EXPECT_NEAR(enc.GetSpeed(), rpm / 60.0 * 0.1, 0.01);
  EXPECT_GT(enc.GetEncoderDistance(), 0.0);
  EXPECT_FALSE(enc.GetStopped());
  EXPECT_EQ(enc.Get(), enc.GetCount());
}

}  // namespace
