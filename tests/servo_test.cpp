// The two PWM servos: construction on the WPILib PWM output, angle and position, dashboard,
// usage reports and registry names.
#include <frc/SpeedController.h>
#include <frc/smartdashboard/SendableRegistry.h>
#include <wpilib_standin/InMemorySendableBuilder.h>
#include <wpilib_standin/Sim.h>

#include <climits>
#include <cmath>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "velmora/Servo.h"
#include "velmora/ServoContinuous.h"

namespace {

using velmora::Servo;
using velmora::ServoContinuous;
using Lines = std::vector<std::string>;

class ServoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wpilib_standin::ClearHalJournal();
    wpilib_standin::ClearUsageReports();
  }
  // The hardware calls made since the last look.
  static Lines Hal() {
    Lines lines = wpilib_standin::GetHalJournal();
    wpilib_standin::ClearHalJournal();
    return lines;
  }
  static std::string NameOf(frc::Sendable& s) {
    return frc::SendableRegistry::GetInstance().GetName(&s);
  }
};

TEST_F(ServoTest, PositionalServoIsSetUpInOrder) {
  Servo servo(3);
  const Lines hal = Hal();
  // The PWM base's own set-up comes first; then the servo's bounds, period and report.
  const Lines tail(hal.end() - 3, hal.end());
  EXPECT_EQ(tail, (Lines{"HAL_SetPWMConfig(3, 2.5, 0, 0, 0, 0.5)", "HAL_SetPWMPeriodScale(3, 3)",
                         "HAL_Report(33, 4, 0, nullptr)"}));
  for (const std::string& line : hal) {
    EXPECT_EQ(line.find("HAL_SetPWMSpeed"), std::string::npos) << "no initial speed";
    EXPECT_EQ(line.find("HAL_LatchPWMZero"), std::string::npos) << "no zero latch";
  }
  const wpilib_standin::PwmState pwm = wpilib_standin::GetPwmState(3);
  EXPECT_EQ((std::vector<int32_t>{pwm.maxPwm, pwm.deadbandMaxPwm, pwm.centerPwm, pwm.deadbandMinPwm,
                                  pwm.minPwm}),
            (std::vector<int32_t>{1999, -501, -501, -501, -1}));
  EXPECT_EQ(NameOf(servo), "Servo[3]");
  ASSERT_EQ(wpilib_standin::GetUsageReports().size(), 2u);  // the PWM's own, then the servo's
  const wpilib_standin::UsageReport report = wpilib_standin::GetUsageReports()[1];
  EXPECT_EQ(report.resource, 33);
  EXPECT_EQ(report.instanceNumber, 4);
  EXPECT_EQ(report.context, 0);
  EXPECT_TRUE(report.featureIsNull);
}

TEST_F(ServoTest, AnglesAreClampedAndTurnedIntoPositions) {
  struct Case {
    double degrees;
    const char* command;
  };
  const Case cases[] = {
      {-10.0, "HAL_SetPWMPosition(1, 0)"},   {0.0, "HAL_SetPWMPosition(1, 0)"},
      {150.0, "HAL_SetPWMPosition(1, 0.5)"}, {300.0, "HAL_SetPWMPosition(1, 1)"},
      {450.0, "HAL_SetPWMPosition(1, 1)"},   {75.0, "HAL_SetPWMPosition(1, 0.25)"}};
  Servo servo(1);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.degrees);
    Hal();
    servo.SetAngle(c.degrees);
    EXPECT_EQ(Hal(), Lines{c.command});
  }
  servo.SetAngle(150.0);
  EXPECT_NEAR(servo.GetAngle(), 150.0, 0.2) << "back to degrees, to the output's precision";
  EXPECT_EQ(servo.GetMaxAngle(), 300.0);
  EXPECT_EQ(servo.GetMinAngle(), 0.0);
}

TEST_F(ServoTest, PositionsPassUnclampedToTheOutput) {
  Servo servo(2);
  Hal();
  servo.Set(1.7);
  EXPECT_EQ(Hal(), Lines{"HAL_SetPWMPosition(2, 1.7)"});
  EXPECT_EQ(servo.Get(), 1.0) << "the output limits the position";
  servo.Set(0.0);
  EXPECT_EQ(servo.Get(), 0.0);
}

// A NaN angle passes both range tests and reaches the output, which must not turn it into an
// integer pulse: the output keeps what it had.
TEST_F(ServoTest, NanAngleLeavesTheOutputAsItWas) {
  Servo servo(4);
  servo.SetAngle(150.0);
  const int32_t before = wpilib_standin::GetPwmState(4).raw;
  Hal();
  servo.SetAngle(std::nan(""));
  EXPECT_EQ(Hal(), Lines{"HAL_SetPWMPosition(4, nan)"});
  EXPECT_EQ(wpilib_standin::GetPwmState(4).raw, before);
}

TEST_F(ServoTest, OfflineStopsThePulse) {
  Servo servo(5);
  servo.Set(0.5);
  EXPECT_NE(servo.GetRaw(), 0);
  servo.SetOffline();
  EXPECT_EQ(servo.GetRaw(), 0);
  EXPECT_EQ(wpilib_standin::GetPwmState(5).raw, 0);
}

TEST_F(ServoTest, DashboardShowsAndSetsThePosition) {
  Servo servo(6);
  wpilib_standin::InMemorySendableBuilder builder;
  builder.Build(servo);
  EXPECT_EQ(builder.GetSmartDashboardType(), "Servo");
  EXPECT_EQ(builder.GetPropertyKeys(), Lines{"Value"});
  servo.SetAngle(300.0);
  EXPECT_EQ(builder.GetDouble("Value"), 1.0);
  Hal();
  builder.SetDouble("Value", 0.5);
  EXPECT_EQ(Hal(), Lines{"HAL_SetPWMPosition(6, 0.5)"});
  EXPECT_NEAR(servo.GetAngle(), 150.0, 0.2);
}

// Set and SetAngle go through the virtual SetPosition, so a program's own servo class can
// intercept every position.
TEST_F(ServoTest, SubclassesSeeEveryPosition) {
  struct Recording : Servo {
    using Servo::Servo;
    void SetPosition(double pos) override { seen.push_back(pos); }
    std::vector<double> seen;
  } servo(7);
  servo.Set(0.25);
  servo.SetAngle(600.0);
  EXPECT_EQ(servo.seen, (std::vector<double>{0.25, 1.0}));
}

TEST_F(ServoTest, ContinuousServoStartsStoppedAndLatched) {
  ServoContinuous servo(0);
  const Lines hal = Hal();
  const Lines tail(hal.end() - 5, hal.end());
  EXPECT_EQ(tail, (Lines{"HAL_SetPWMConfig(0, 2.5, 1.55, 1.5, 1.45, 0.5)",
                         "HAL_SetPWMPeriodScale(0, 3)", "HAL_SetPWMSpeed(0, 0)",
                         "HAL_LatchPWMZero(0)", "HAL_Report(82, 1, 0, nullptr)"}));
  const wpilib_standin::PwmState pwm = wpilib_standin::GetPwmState(0);
  EXPECT_EQ((std::vector<int32_t>{pwm.maxPwm, pwm.deadbandMaxPwm, pwm.centerPwm, pwm.deadbandMinPwm,
                                  pwm.minPwm}),
            (std::vector<int32_t>{1999, 1049, 999, 949, -1}));
  EXPECT_EQ(pwm.raw, 999) << "the stop point";
  EXPECT_EQ(NameOf(servo), "ServoContinuous[0]");
  EXPECT_EQ(wpilib_standin::GetUsageReports().back().resource, 82);
  EXPECT_EQ(wpilib_standin::GetUsageReports().back().instanceNumber, 1);
}

TEST_F(ServoTest, ContinuousServoIsAWpilibSpeedController) {
  ServoContinuous servo(9);
  frc::SpeedController& sc = servo;
  sc.Set(1.0);
  EXPECT_EQ(wpilib_standin::GetPwmState(9).raw, 1999);
  sc.StopMotor();
  EXPECT_EQ(wpilib_standin::GetPwmState(9).raw, 0);
  servo.Set(-1.0);
  servo.StopMotor();
  EXPECT_EQ(wpilib_standin::GetPwmState(9).raw, 0) << "the same stop either way";
  sc.SetInverted(true);
  sc.Set(0.5);
  EXPECT_LT(wpilib_standin::GetPwmState(9).raw, 999) << "inverted: below the stop point";
}

// A channel the output refuses must not turn the usage report into an integer overflow.
TEST_F(ServoTest, RefusedChannelsReportWithoutOverflow) {
  ServoContinuous first(8);
  ServoContinuous second(8);  // channel taken: the output reads back INT_MAX
  EXPECT_EQ(second.GetChannel(), INT_MAX);
  EXPECT_EQ(wpilib_standin::GetUsageReports().back().instanceNumber, INT_MAX);
  Servo beyond(INT_MAX);
  EXPECT_EQ(wpilib_standin::GetUsageReports().back().resource, 33);
  EXPECT_EQ(wpilib_standin::GetUsageReports().back().instanceNumber, INT_MAX);
  EXPECT_EQ(first.GetChannel(), 8) << "the first servo keeps its output";
}

}  // namespace
