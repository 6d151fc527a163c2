// The WPILib 2020 stand-in's own cases: PWM outputs on the simulated roboRIO hardware layer
// (pulse values, scale errors, the hardware calls), its battery voltage control and usage
// reports. What it shares with WPILib's published behaviour is checked in both builds by
// wpilib_interface_test.cpp; these run on the stand-in only.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <iostream>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include <frc/CounterBase.h>
#include <frc/PWM.h>
#include <frc/PWMSpeedController.h>
#include <frc/RobotController.h>
#include <frc/smartdashboard/SendableBuilder.h>
#include <frc/smartdashboard/SendableRegistry.h>
#include <hal/FRCUsageReporting.h>
#include <hal/HAL.h>
#include <units/units.h>
#include <wpi/Twine.h>
#include <wpi/raw_ostream.h>
#include <wpilib_standin/InMemorySendableBuilder.h>
#include <wpilib_standin/Sim.h>

#include "support/TestSupport.h"

namespace {

namespace sim = wpilib_standin;
using velmora_test::StreamCapture;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// A speed controller with raw bounds on round numbers, so that speeds read back exactly:
// full forward 2100, stop 1100, full reverse 100.
class RoundController : public frc::PWMSpeedController {
 public:
  explicit RoundController(int channel) : PWMSpeedController(channel) {
    SetRawBounds(2100, 1100, 1100, 1100, 100);
    EnableDeadbandElimination(true);
  }
};

class StandinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sim::ClearUsageReports();
    sim::ClearHalJournal();
    sim::SetInputVoltage(sim::kDefaultInputVoltage);
  }
  void TearDown() override { sim::SetInputVoltage(sim::kDefaultInputVoltage); }
};

// ---- Bounds, positions and speeds -------------------------------------------------------------

TEST_F(StandinTest, PositionsMapOntoTheFullRangeAndBack) {
  struct Case {
    double position;
    int32_t raw;
    double readBack;
  };
  const Case cases[] = {
      {0.0, -1, 0.0},
      {0.25, 499, 0.25},
      {0.5, 999, 0.5},
      {1.0, 1999, 1.0},
      {1.7, 1999, 1.0},
      {-0.3, -1, 0.0},
      {0.3337, 666, 667.0 / 2000},  // quantised
  };
  frc::PWM pwm(4);
  pwm.SetBounds(2.5, 0.0, 0.0, 0.0, 0.5);
  for (const Case& c : cases) {
    pwm.SetPosition(c.position);
    EXPECT_EQ(sim::GetPwmState(4).raw, c.raw) << c.position;
    EXPECT_DOUBLE_EQ(pwm.GetPosition(), c.readBack) << c.position;
  }
  pwm.SetPosition(0.0);
  EXPECT_EQ(pwm.GetRaw(), 65535) << "GetRaw narrows -1 to 16 bits";
}

TEST_F(StandinTest, SpeedsMapAroundTheCenterAndBack) {
  struct Case {
    bool eliminateDeadband;
    double speed;
    int32_t raw;
    double readBack;
  };
  // Bounds 1999, 1049, 999, 949, -1: without elimination speeds start next to the center
  // (1000 and 998), with it at the deadband edges (1049 and 949).
  const Case cases[] = {
      {false, 0.0, 999, 0.0},         {false, 0.5, 1500, 500.0 / 999},  {false, 1.0, 1999, 1.0},
      {false, 7.0, 1999, 1.0},        {false, -0.5, 499, -499.0 / 999}, {false, kNaN, 999, 0.0},
      {false, -kInf, 999, 0.0},       {true, 0.5, 1524, 0.5},           {true, -0.5, 474, -0.5},
      {true, 0.01, 1059, 10.0 / 950},
  };
  frc::PWM pwm(5);
  pwm.SetBounds(2.5, 1.55, 1.5, 1.45, 0.5);
  for (const Case& c : cases) {
    pwm.EnableDeadbandElimination(c.eliminateDeadband);
    pwm.SetSpeed(c.speed);
    EXPECT_EQ(sim::GetPwmState(5).raw, c.raw) << c.speed;
    EXPECT_DOUBLE_EQ(pwm.GetSpeed(), c.readBack) << c.speed;
  }
  EXPECT_EQ(pwm.GetError().GetCode(), 0);
}

// A speed or position whose raw value would be 0 (no pulse) is refused with a scale error;
// the error is fatal, so the output then ignores commands until the error is cleared.
TEST_F(StandinTest, ScaleErrorKeepsTheOutputAndLatchesUntilCleared) {
  frc::PWM pwm(6);
  pwm.SetBounds(2.5, 1.55, 1.5, 1.45, 0.5);
  pwm.SetSpeed(0.5);
  StreamCapture err(std::cerr);
  pwm.SetSpeed(-1.0);  // -1 * 999 + 998 + 0.5 truncates to 0
  EXPECT_EQ(pwm.GetError().GetCode(), -1072);
  EXPECT_TRUE(pwm.StatusIsFatal());
  EXPECT_EQ(sim::GetPwmState(6).raw, 1500);
  EXPECT_NE(err.Text().find("Pwm Scale Error"), std::string::npos);

  pwm.SetSpeed(0.0);
  EXPECT_EQ(sim::GetPwmState(6).raw, 1500) << "ignored while fatal";
  EXPECT_EQ(pwm.GetSpeed(), 0.0) << "getters return 0 while fatal";
  pwm.ClearError();
  pwm.SetSpeed(0.0);
  EXPECT_EQ(sim::GetPwmState(6).raw, 999);

  pwm.SetBounds(2.5, 0.0, 0.0, 0.0, 0.5);
  pwm.SetPosition(0.0007);  // 1.4 - 1 truncates to 0
  EXPECT_EQ(pwm.GetError().GetCode(), -1072);
  EXPECT_EQ(sim::GetPwmState(6).raw, 999);
}

// The roboRIO would turn a NaN position into an integer, which is undefined; the stand-in
// keeps the output as it was, records no error and says so on the console.
TEST_F(StandinTest, NonFiniteValuesNeverBecomeUndefinedPulses) {
  frc::PWM pwm(7);
  pwm.SetBounds(2.5, 0.0, 0.0, 0.0, 0.5);
  pwm.SetPosition(0.5);
  for (double position : {kNaN, -kNaN, kInf, -kInf}) {
    StreamCapture err(std::cerr);
    pwm.SetPosition(position);
    EXPECT_EQ(sim::GetPwmState(7).raw, 999) << position;
    EXPECT_EQ(pwm.GetPosition(), 0.5);
    EXPECT_NE(err.Text().find("PWM 7: position"), std::string::npos) << err.Text();
  }
  EXPECT_EQ(pwm.GetError().GetCode(), 0);
  pwm.SetPosition(1.0);
  EXPECT_EQ(sim::GetPwmState(7).raw, 1999) << "still usable";

  // The dashboard's raw value is a double: the stand-in holds it at the 16-bit ends and ignores
  // NaN rather than convert it to an integer, which would be undefined.
  wpilib_standin::InMemorySendableBuilder builder;
  builder.Build(pwm);
  for (double outside : {-5.0, 1e9, kNaN}) builder.SetDouble("Value", outside);
  EXPECT_EQ(pwm.GetRaw(), 65535) << "held at the ends; NaN ignored";
}

// ---- Output controls --------------------------------------------------------------------------

TEST_F(StandinTest, PeriodMultiplierAndZeroLatchReachTheHardware) {
  frc::PWM pwm(9);
  EXPECT_EQ(sim::GetPwmState(9).periodScale, 0);
  const std::pair<frc::PWM::PeriodMultiplier, int32_t> cases[] = {
      {frc::PWM::kPeriodMultiplier_4X, 3},
      {frc::PWM::kPeriodMultiplier_2X, 1},
      {frc::PWM::kPeriodMultiplier_1X, 0},
  };
  for (const auto& c : cases) {
    pwm.SetPeriodMultiplier(c.first);
    EXPECT_EQ(sim::GetPwmState(9).periodScale, c.second);
  }
  pwm.SetPeriodMultiplier(frc::PWM::kPeriodMultiplier_4X);
  StreamCapture err(std::cerr);
  pwm.SetPeriodMultiplier(static_cast<frc::PWM::PeriodMultiplier>(3));
  EXPECT_EQ(sim::GetPwmState(9).periodScale, 3) << "an unknown multiplier changes nothing";
  EXPECT_NE(err.Text().find("Assertion"), std::string::npos);
  EXPECT_EQ(pwm.GetError().GetCode(), 0);

  EXPECT_EQ(sim::GetPwmState(9).zeroLatchCount, 0);
  pwm.SetZeroLatch();
  EXPECT_EQ(sim::GetPwmState(9).zeroLatchCount, 1);
  EXPECT_EQ(sim::GetHalJournal().back(), "HAL_LatchPWMZero(9)");
}

// ---- Construction and destruction ------------------------------------------------------------

TEST_F(StandinTest, ConstructionAllocatesReportsAndRegisters) {
  auto& registry = frc::SendableRegistry::GetInstance();
  {
    frc::PWM pwm(3);
    EXPECT_EQ(sim::GetHalJournal(),
              (std::vector<std::string>{"HAL_InitializePWMPort(3)", "HAL_SetPWMDisabled(3)",
                                        "HAL_SetPWMEliminateDeadband(3, false)",
                                        "HAL_Report(29, 4, 0, nullptr)"}));
    EXPECT_EQ(registry.GetName(&pwm), "PWM[3]");
    EXPECT_EQ(registry.GetSubsystem(&pwm), "Ungrouped");
    EXPECT_TRUE(sim::IsLiveWindowEnabled(&pwm));
    EXPECT_FALSE(pwm.IsSafetyEnabled());
    EXPECT_EQ(pwm.GetChannel(), 3);
    std::string text;
    wpi::raw_string_ostream desc(text);
    pwm.GetDescription(desc);
    EXPECT_EQ(desc.str(), "PWM 3");

    pwm.SetSpeed(0.0);
    sim::ClearHalJournal();
  }
  EXPECT_EQ(sim::GetHalJournal(),
            (std::vector<std::string>{"HAL_SetPWMDisabled(3)", "HAL_FreePWMPort(3)"}));
  EXPECT_FALSE(sim::GetPwmState(3).allocated);
  EXPECT_EQ(sim::GetPwmState(3).raw, 0);

  // A refused channel neither reports nor reaches the hardware.
  StreamCapture err(std::cerr);
  sim::ClearUsageReports();
  sim::ClearHalJournal();
  frc::PWM outside(20);
  frc::PWM first(11);
  frc::PWM second(11);
  EXPECT_EQ(sim::GetUsageReports().size(), 1u) << "only the first reports";
  EXPECT_EQ(sim::GetHalJournal().size(), 4u) << "only the first reaches the hardware";
}

// ---- Speed controller --------------------------------------------------------------------------

TEST_F(StandinTest, SetVoltageFollowsTheSimulatedBattery) {
  struct Case {
    double battery, volts, speed;
  };
  const Case cases[] = {{12.0, 6.0, 0.5}, {12.0, -3.0, -0.25}, {10.0, 5.0, 0.5}, {8.0, 2.0, 0.25}};
  RoundController controller(15);
  for (const Case& c : cases) {
    sim::SetInputVoltage(c.battery);
    EXPECT_EQ(frc::RobotController::GetInputVoltage(), c.battery);
    static_cast<frc::SpeedController&>(controller).SetVoltage(units::volt_t(c.volts));
    EXPECT_EQ(controller.Get(), c.speed) << c.volts << " V of " << c.battery;
  }
  sim::SetInputVoltage(12.0);
  controller.SetVoltage(6_V);
  EXPECT_EQ(controller.Get(), 0.5);
}

// ---- Motor safety ------------------------------------------------------------------------------

TEST_F(StandinTest, CheckRecordsATimeoutForAStarvedOutput) {
  frc::PWM watched(18);
  frc::PWM unwatched(19);
  watched.SetSafetyEnabled(true);
  watched.SetExpiration(0.0);
  StreamCapture err(std::cerr);
  frc::MotorSafety::CheckMotors();
  EXPECT_EQ(watched.GetError().GetCode(), -6);
  EXPECT_NE(watched.GetError().GetMessage().find("PWM 18... Output not updated often enough."),
            std::string::npos);
  EXPECT_EQ(unwatched.GetError().GetCode(), 0);
}

// ---- Errors, usage reports, start-up -----------------------------------------------------------

TEST_F(StandinTest, UsageReportsAreRecordedInOrder) {
  EXPECT_EQ(HAL_Report(HALUsageReporting::kResourceType_Servo, 4), 0);
  EXPECT_EQ(HAL_Report(82, 1, 2, "continuous"), 0);
  const auto reports = sim::GetUsageReports();
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[0].resource, 33);
  EXPECT_EQ(reports[0].instanceNumber, 4);
  EXPECT_EQ(reports[0].context, 0);
  EXPECT_TRUE(reports[0].featureIsNull);
  EXPECT_EQ(reports[1].resource, 82);
  EXPECT_EQ(reports[1].context, 2);
  EXPECT_EQ(reports[1].feature, "continuous");
  EXPECT_FALSE(reports[1].featureIsNull);
  EXPECT_EQ(sim::GetHalJournal().back(), "HAL_Report(82, 1, 2, \"continuous\")");
  sim::ClearUsageReports();
  EXPECT_TRUE(sim::GetUsageReports().empty());
}

}  // namespace
