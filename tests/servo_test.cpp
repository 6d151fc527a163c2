// The two PWM servos: construction on the WPILib PWM output, angle and position, dashboard,
// usage reports and registry names.
#include <frc/SpeedController.h>
#include <frc/smartdashboard/SendableRegistry.h>
#include <wpilib_standin/InMemorySendableBuilder.h>
#include <wpilib_standin/Sim.h>

#include <climits>
#include <cmath>
#include <string>
#include <utility>
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
  const Lines tail(hal.end() - 4, hal.end());
  EXPECT_EQ(tail, (Lines{"HAL_SetPWMConfig(3, 2.5, 0, 0, 0, 0.5)",
                         "HAL_SetPWMConfigRaw(3, 1999, -501, -501, -501, 1)",
                         "HAL_SetPWMPeriodScale(3, 3)", "HAL_Report(33, 4, 0, nullptr)"}));
  for (const std::string& line : hal) {
    EXPECT_EQ(line.find("HAL_SetPWMSpeed"), std::string::npos) << "no initial speed";
    EXPECT_EQ(line.find("HAL_LatchPWMZero"), std::string::npos) << "no zero latch";
  }
  const wpilib_standin::PwmState pwm = wpilib_standin::GetPwmState(3);
  EXPECT_EQ((std::vector<int32_t>{pwm.maxPwm, pwm.deadbandMaxPwm, pwm.centerPwm, pwm.deadbandMinPwm,
                                  pwm.minPwm}),
            (std::vector<int32_t>{1999, -501, -501, -501, 1}))
      << "0.5 ms is raw -1; the shortest pulse the output produces is raw 1";
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
  const Lines tail(hal.end() - 6, hal.end());
  EXPECT_EQ(tail, (Lines{"HAL_SetPWMConfig(0, 2.5, 1.55, 1.5, 1.45, 0.5)",
                         "HAL_SetPWMConfigRaw(0, 1999, 1049, 999, 949, 1)",
                         "HAL_SetPWMPeriodScale(0, 3)", "HAL_SetPWMSpeed(0, 0)",
                         "HAL_LatchPWMZero(0)", "HAL_Report(82, 1, 0, nullptr)"}));
  const wpilib_standin::PwmState pwm = wpilib_standin::GetPwmState(0);
  EXPECT_EQ((std::vector<int32_t>{pwm.maxPwm, pwm.deadbandMaxPwm, pwm.centerPwm, pwm.deadbandMinPwm,
                                  pwm.minPwm}),
            (std::vector<int32_t>{1999, 1049, 999, 949, 1}));
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

// Full reverse is what a joystick sends. It must give the shortest pulse rather than raw 0, which
// the output refuses with an error it keeps: the servo would then ignore StopMotor and keep
// turning at its last speed.
TEST_F(ServoTest, ContinuousServoStopsAfterFullReverse) {
  ServoContinuous servo(10);
  frc::SpeedController& sc = servo;
  sc.Set(0.5);
  sc.Set(-1.0);
  EXPECT_FALSE(servo.StatusIsFatal()) << servo.GetError().GetMessage();
  EXPECT_EQ(wpilib_standin::GetPwmState(10).raw, 1) << "the shortest pulse";
  EXPECT_EQ(sc.Get(), -1.0);
  sc.StopMotor();
  EXPECT_EQ(wpilib_standin::GetPwmState(10).raw, 0) << "stopped";
  sc.Set(0.3);
  EXPECT_NEAR(sc.Get(), 0.3, 1.0 / 999) << "still taking commands";
}

TEST_F(ServoTest, BothServosReportTheShortestPulseAsTheirMinimum) {
  Servo positional(11);
  ServoContinuous continuous(12);
  for (frc::PWM* pwm : {static_cast<frc::PWM*>(&positional), static_cast<frc::PWM*>(&continuous)}) {
    int32_t max = 0, deadbandMax = 0, center = 0, deadbandMin = 0, min = 0;
    pwm->GetRawBounds(&max, &deadbandMax, &center, &deadbandMin, &min);
    EXPECT_EQ(min, 1) << "channel " << pwm->GetChannel();
    EXPECT_EQ(max, 1999) << "channel " << pwm->GetChannel();
  }
}

// Every speed from -1 to 1 and every angle from 0 to 300, in fine steps, reaches the output as a
// pulse it accepts, reads back within one raw step, and leaves the output able to stop.
TEST_F(ServoTest, EverySpeedAndAngleKeepsTheOutputTakingCommands) {
  ServoContinuous continuous(13);
  int32_t previous = 0;
  for (int i = -1000; i <= 1000; ++i) {
    const double speed = i / 1000.0;
    continuous.Set(speed);
    const int32_t raw = wpilib_standin::GetPwmState(13).raw;
    ASSERT_FALSE(continuous.StatusIsFatal()) << "speed " << speed;
    ASSERT_GE(raw, 1) << "speed " << speed;
    ASSERT_GE(raw, previous) << "speed " << speed << ": pulses grow with the speed";
    ASSERT_NEAR(continuous.Get(), speed, 1.0 / 997) << "speed " << speed;
    previous = raw;
  }
  continuous.StopMotor();
  EXPECT_EQ(wpilib_standin::GetPwmState(13).raw, 0);

  Servo positional(14);
  for (int tenths = 0; tenths <= 3000; ++tenths) {
    const double degrees = tenths / 10.0;
    positional.SetAngle(degrees);
    ASSERT_FALSE(positional.StatusIsFatal()) << degrees << " degrees";
    ASSERT_GE(wpilib_standin::GetPwmState(14).raw, 1) << degrees << " degrees";
    ASSERT_NEAR(positional.GetAngle(), degrees, 300.0 / 1998) << degrees << " degrees";
  }
  positional.SetAngle(0.0);
  EXPECT_EQ(positional.GetRaw(), 1) << "0 degrees is the shortest pulse, not 65535";
  positional.SetAngle(0.1);
  positional.SetAngle(150.0);
  EXPECT_EQ(positional.GetAngle(), 150.0);
}

// Assigning one servo to another must release the assigned-over channel, so that it can be
// opened again, and leave the assigned-to object driving the other channel under its name.
template <typename ServoType>
void AssignmentReleasesTheOldChannel(const char* moduleType) {
  SCOPED_TRACE(moduleType);
  {
    ServoType a(15);
    ServoType b(16);
    wpilib_standin::ClearHalJournal();
    a = std::move(b);
    const Lines hal = wpilib_standin::GetHalJournal();
    EXPECT_EQ(hal, (Lines{"HAL_SetPWMDisabled(15)", "HAL_FreePWMPort(15)"}))
        << "the old output is switched off, then released";
    EXPECT_EQ(a.GetChannel(), 16);
    EXPECT_EQ(frc::SendableRegistry::GetInstance().GetName(&a), std::string(moduleType) + "[16]");

    ServoType reopened(15);
    EXPECT_EQ(reopened.GetChannel(), 15);
    EXPECT_FALSE(reopened.StatusIsFatal()) << reopened.GetError().GetMessage();

    ServoType& same = a;
    a = std::move(same);  // assigning a servo to itself changes nothing
    EXPECT_EQ(a.GetChannel(), 16);
    EXPECT_TRUE(wpilib_standin::GetPwmState(16).allocated);
  }
  for (int channel : {15, 16}) {
    ServoType again(channel);
    EXPECT_EQ(again.GetChannel(), channel);
    EXPECT_FALSE(again.StatusIsFatal()) << again.GetError().GetMessage();
  }
}

TEST_F(ServoTest, AssignmentReleasesTheAssignedOverChannel) {
  AssignmentReleasesTheOldChannel<Servo>("Servo");
  AssignmentReleasesTheOldChannel<ServoContinuous>("ServoContinuous");
}

}  // namespace
