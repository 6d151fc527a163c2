// The WPILib 2020 stand-in: PWM outputs on the simulated roboRIO hardware layer, the speed
// controller base, the dashboard registry and builder, usage reports and error recording.
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

// WPILib's own interface rules, checked at compile time.
static_assert(!std::is_convertible<int, wpi::Twine>::value, "integers become Twines explicitly");
static_assert(std::is_constructible<wpi::Twine, int>::value, "");
static_assert(!std::is_convertible<double, units::volt_t>::value, "volts are explicit");
static_assert(std::is_convertible<decltype(6_V / 12_V), double>::value, "V / V is a scalar");
static_assert(!std::is_copy_constructible<frc::PWM>::value, "");
static_assert(std::is_move_constructible<frc::PWM>::value, "");
static_assert(!std::is_copy_constructible<frc::CounterBase>::value, "");
static_assert(std::is_abstract<frc::SendableBuilder>::value, "");

struct Bounds {
  int32_t max, deadbandMax, center, deadbandMin, min;
  bool operator==(const Bounds& o) const {
    return max == o.max && deadbandMax == o.deadbandMax && center == o.center &&
           deadbandMin == o.deadbandMin && min == o.min;
  }
};

std::ostream& operator<<(std::ostream& os, const Bounds& b) {
  return os << b.max << ", " << b.deadbandMax << ", " << b.center << ", " << b.deadbandMin << ", "
            << b.min;
}

Bounds RawBounds(frc::PWM& pwm) {
  Bounds b{};
  pwm.GetRawBounds(&b.max, &b.deadbandMax, &b.center, &b.deadbandMin, &b.min);
  return b;
}

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

TEST_F(StandinTest, BoundsInMillisecondsBecomeRawValues) {
  struct Case {
    double ms[5];
    Bounds raw;
  };
  const Case cases[] = {
      {{2.0, 1.501, 1.5, 1.499, 1.0}, {1499, 999, 999, 998, 499}},  // 1.501 -> 999.99999999999989
      {{2.5, 1.55, 1.5, 1.45, 0.5}, {1999, 1049, 999, 949, -1}},
      {{2.5, 0, 0, 0, 0.5}, {1999, -501, -501, -501, -1}},
      {{2.4, 0, 0, 0, 0.6}, {1899, -501, -501, -501, 99}},
      {{2.003, 1.55, 1.50, 1.46, 0.999}, {1502, 1049, 999, 959, 498}},
      {{2.5, 1.55f, 1.5, 1.45f, 0.5}, {1999, 1048, 999, 949, -1}},  // floats are a step off
  };
  frc::PWM pwm(3);
  EXPECT_EQ(RawBounds(pwm), cases[0].raw) << "the hardware layer's defaults";
  for (const Case& c : cases) {
    pwm.SetBounds(c.ms[0], c.ms[1], c.ms[2], c.ms[3], c.ms[4]);
    EXPECT_EQ(RawBounds(pwm), c.raw) << c.ms[0] << " " << c.ms[1] << " " << c.ms[4];
  }
  pwm.SetRawBounds(10, 9, 8, 7, 6);
  EXPECT_EQ(RawBounds(pwm), (Bounds{10, 9, 8, 7, 6}));
  EXPECT_EQ(pwm.GetError().GetCode(), 0);
}

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
TEST_F(StandinTest, NonFinitePositionLeavesTheOutputAsItWas) {
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
}

// ---- Output controls --------------------------------------------------------------------------

TEST_F(StandinTest, RawZeroMeansNoPulse) {
  frc::PWM pwm(8);
  EXPECT_EQ(sim::GetPwmState(8).raw, 0) << "disabled from construction";
  pwm.SetRaw(1234);
  EXPECT_EQ(pwm.GetRaw(), 1234);
  pwm.SetDisabled();
  EXPECT_EQ(pwm.GetRaw(), 0);
  EXPECT_EQ(pwm.GetSpeed(), 0.0);
  pwm.SetSpeed(1.0);
  static_cast<frc::MotorSafety&>(pwm).StopMotor();
  EXPECT_EQ(pwm.GetRaw(), 0);
}

TEST_F(StandinTest, PeriodMultiplierWritesTheSquelchMask) {
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
}

TEST_F(StandinTest, ZeroLatchPulsesWithoutChangingTheOutput) {
  frc::PWM pwm(10);
  pwm.SetRaw(1500);
  EXPECT_EQ(sim::GetPwmState(10).zeroLatchCount, 0);
  pwm.SetZeroLatch();
  EXPECT_EQ(sim::GetPwmState(10).zeroLatchCount, 1);
  EXPECT_EQ(pwm.GetRaw(), 1500);
  EXPECT_EQ(sim::GetHalJournal().back(), "HAL_LatchPWMZero(10)");
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
}

TEST_F(StandinTest, RefusedChannelLeavesAnInertObject) {
  auto& registry = frc::SendableRegistry::GetInstance();
  StreamCapture err(std::cerr);
  for (int channel : {-1, 20}) {
    frc::PWM pwm(channel);
    EXPECT_EQ(pwm.GetError().GetCode(), -1);
    EXPECT_NE(pwm.GetError().GetMessage().find("PWM Channel " + std::to_string(channel)),
              std::string::npos);
    EXPECT_TRUE(pwm.StatusIsFatal());
    EXPECT_FALSE(registry.Contains(&pwm));
    pwm.SetSpeed(0.5);
  }
  frc::PWM first(11);
  frc::PWM second(11);
  EXPECT_EQ(second.GetError().GetCode(), -1029);
  EXPECT_NE(second.GetError().GetMessage().find("Requested Value: 11"), std::string::npos);
  EXPECT_EQ(second.GetChannel(), INT_MAX);
  EXPECT_FALSE(registry.Contains(&second));
  EXPECT_EQ(sim::GetUsageReports().size(), 1u) << "only the first reports";
  EXPECT_EQ(sim::GetHalJournal().size(), 4u) << "only the first reaches the hardware";
}

// ---- Registry ----------------------------------------------------------------------------------

TEST_F(StandinTest, RegistryNamesDevicesByTypeAndChannel) {
  auto& registry = frc::SendableRegistry::GetInstance();
  StreamCapture err(std::cerr);  // the moved-from object reports its invalid handle
  frc::PWM pwm(3);
  registry.SetName(&pwm, "Servo", 3);
  EXPECT_EQ(registry.GetName(&pwm), "Servo[3]");
  registry.SetName(&pwm, "Board", 1, 3);
  EXPECT_EQ(registry.GetName(&pwm), "Board[1,3]");
  registry.SetName(&pwm, "Arm", "Wrist");
  EXPECT_EQ(registry.GetName(&pwm), "Wrist");
  EXPECT_EQ(registry.GetSubsystem(&pwm), "Arm");

  frc::PWM moved(std::move(pwm));
  EXPECT_FALSE(registry.Contains(&pwm));
  EXPECT_EQ(registry.GetName(&moved), "Wrist");

  EXPECT_TRUE(registry.Remove(&moved));
  EXPECT_FALSE(registry.Remove(&moved));
  registry.SetName(&moved, "Servo", 3);
  registry.SetSubsystem(&moved, "Arm");
  EXPECT_FALSE(registry.Contains(&moved)) << "renaming does not register";
  EXPECT_EQ(registry.GetName(&moved), "");
  EXPECT_EQ(registry.GetSubsystem(&moved), "");
}

TEST_F(StandinTest, DestroyedDeviceLeavesTheRegistry) {
  auto& registry = frc::SendableRegistry::GetInstance();
  auto pwm = std::make_unique<frc::PWM>(12);
  frc::Sendable* key = pwm.get();
  EXPECT_TRUE(registry.Contains(key));
  pwm.reset();
  EXPECT_FALSE(registry.Contains(key));
}

// ---- Dashboard builder -------------------------------------------------------------------------

TEST_F(StandinTest, PwmDashboardPropertyIsTheRawValue) {
  frc::PWM pwm(13);
  sim::InMemorySendableBuilder builder;
  builder.Build(pwm);
  EXPECT_EQ(builder.GetSmartDashboardType(), "PWM");
  EXPECT_TRUE(builder.IsActuator());
  EXPECT_EQ(builder.GetPropertyKeys(), std::vector<std::string>{"Value"});

  builder.SetDouble("Value", 1234.0);
  EXPECT_EQ(pwm.GetRaw(), 1234);
  EXPECT_EQ(builder.GetDouble("Value"), 1234.0);
  for (double outside : {-5.0, 1e9, kNaN}) builder.SetDouble("Value", outside);
  EXPECT_EQ(pwm.GetRaw(), 65535) << "held at the ends; NaN ignored";
  builder.RunSafeState();
  EXPECT_EQ(pwm.GetRaw(), 0);

  EXPECT_THROW(builder.GetDouble("Speed"), std::out_of_range);
  EXPECT_THROW(builder.GetBoolean("Value"), std::out_of_range);
}

// ---- Speed controller --------------------------------------------------------------------------

// WPILib 2020: Set inverts, Get reports the output's speed as it is (inversion not undone).
TEST_F(StandinTest, SpeedControllerInversion) {
  RoundController controller(14);
  frc::SpeedController& sc = controller;
  sc.SetInverted(true);
  sc.Set(0.5);
  EXPECT_EQ(sim::GetPwmState(14).raw, 600);
  EXPECT_EQ(sc.Get(), -0.5);
  EXPECT_TRUE(sc.GetInverted());

  sc.SetInverted(false);
  EXPECT_EQ(sim::GetPwmState(14).raw, 600) << "inverting does not resend";
  static_cast<frc::PIDOutput&>(controller).PIDWrite(0.25);
  EXPECT_EQ(sc.Get(), 0.25);

  sc.Disable();
  EXPECT_EQ(sim::GetPwmState(14).raw, 0);
  sc.Set(1.0);
  sc.StopMotor();
  EXPECT_EQ(sim::GetPwmState(14).raw, 0);
  controller.Set(1.0);
  static_cast<frc::MotorSafety&>(controller).StopMotor();
  EXPECT_EQ(sim::GetPwmState(14).raw, 0);
}

TEST_F(StandinTest, SetVoltageDividesByTheBatteryVoltage) {
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

TEST_F(StandinTest, SpeedControllerDashboardBypassesInversion) {
  RoundController controller(16);
  controller.SetInverted(true);
  sim::InMemorySendableBuilder builder;
  builder.Build(controller);
  EXPECT_EQ(builder.GetSmartDashboardType(), "Speed Controller");
  EXPECT_TRUE(builder.IsActuator());
  builder.SetDouble("Value", 0.5);
  EXPECT_EQ(sim::GetPwmState(16).raw, 1600);
  EXPECT_EQ(builder.GetDouble("Value"), 0.5);
  builder.RunSafeState();
  EXPECT_EQ(sim::GetPwmState(16).raw, 0);
}

// ---- Motor safety ------------------------------------------------------------------------------

TEST_F(StandinTest, OnlySetSpeedFeedsTheWatchdog) {
  frc::PWM pwm(17);
  EXPECT_TRUE(pwm.IsAlive()) << "safety is off from construction";
  pwm.SetSafetyEnabled(true);
  pwm.SetExpiration(60.0);
  EXPECT_FALSE(pwm.IsAlive()) << "never fed";
  pwm.SetPosition(0.5);
  pwm.SetRaw(1000);
  EXPECT_FALSE(pwm.IsAlive());
  pwm.SetSpeed(0.1);
  EXPECT_TRUE(pwm.IsAlive());
  EXPECT_EQ(pwm.GetExpiration(), 60.0);
}

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

TEST_F(StandinTest, ErrorsAreRecordedNotThrown) {
  frc::PWM pwm(0);
  StreamCapture err(std::cerr);
  pwm.SetError(0, "nothing", "file.cpp", "Function", 1);
  EXPECT_EQ(pwm.GetError().GetCode(), 0) << "code 0 is no error";
  pwm.SetError(1015, "a warning", "dir/file.cpp", "Function", 2);
  EXPECT_FALSE(pwm.StatusIsFatal());
  EXPECT_NE(err.Text().find("Warning 1015 at Function [file.cpp:2]: a warning"), std::string::npos)
      << err.Text();
  pwm.SetErrorRange(-1028, 0, 19, 25, "Channel", "file.cpp", "Function", 3);
  EXPECT_EQ(pwm.GetError().GetMessage(),
            "Channel, Minimum Value: 0, MaximumValue: 19, Requested Value: 25");
  EXPECT_TRUE(pwm.StatusIsFatal());
  bool found = false;
  for (const frc::Error& e : frc::ErrorBase::GetGlobalErrors()) found |= e.GetCode() == -1028;
  EXPECT_TRUE(found);
  pwm.ClearError();
  EXPECT_FALSE(pwm.StatusIsFatal());
}

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

TEST_F(StandinTest, InitializeMayBeCalledAgain) {
  EXPECT_TRUE(HAL_Initialize(500, 0));
  EXPECT_TRUE(HAL_Initialize(500, 0));
}

}  // namespace
