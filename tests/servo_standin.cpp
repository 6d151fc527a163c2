// The servos as the roboRIO's PWM hardware sees them, read from the WPILib stand-in's extras:
// the hardware calls in their order, the usage reports and the raw pulse values. Part of
// servo_test on the stand-in only; a real WPILib offers none of these.
#include <frc/SpeedController.h>
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

class ServoHardwareTest : public ::testing::Test {
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
};

TEST_F(ServoHardwareTest, PositionalServoIsSetUpInOrder) {
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
  ASSERT_EQ(wpilib_standin::GetUsageReports().size(), 2u);  // the PWM's own, then the servo's
  const wpilib_standin::UsageReport report = wpilib_standin::GetUsageReports()[1];
  EXPECT_EQ(report.resource, 33);
  EXPECT_EQ(report.instanceNumber, 4);
  EXPECT_EQ(report.context, 0);
  EXPECT_TRUE(report.featureIsNull);
}

// A NaN angle passes both range tests and reaches the output, which must not turn it into an
// integer pulse: the output keeps what it had.
TEST_F(ServoHardwareTest, NanAngleLeavesTheOutputAsItWas) {
  Servo servo(4);
  servo.SetAngle(150.0);
  const int32_t before = wpilib_standin::GetPwmState(4).raw;
  Hal();
  servo.SetAngle(std::nan(""));
  EXPECT_EQ(Hal(), Lines{"HAL_SetPWMPosition(4, nan)"});
  EXPECT_EQ(wpilib_standin::GetPwmState(4).raw, before);
}

TEST_F(ServoHardwareTest, ContinuousServoStartsStoppedAndLatched) {
  ServoContinuous servo(0);
  const Lines hal = Hal();
  const Lines tail(hal.end() - 5, hal.end());
  EXPECT_EQ(tail, (Lines{"HAL_SetPWMConfig(0, 2.5, 1.55, 1.5, 1.45, 0.5)",
                         "HAL_SetPWMPeriodScale(0, 3)", "HAL_SetPWMSpeed(0, 0)",
                         "HAL_LatchPWMZero(0)", "HAL_Report(82, 1, 0, nullptr)"}));
  EXPECT_EQ(wpilib_standin::GetPwmState(0).raw, 999) << "the stop point";
  EXPECT_EQ(wpilib_standin::GetUsageReports().back().resource, 82);
  EXPECT_EQ(wpilib_standin::GetUsageReports().back().instanceNumber, 1);
}

TEST_F(ServoHardwareTest, ContinuousServoPulsesAroundItsStopPoint) {
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
TEST_F(ServoHardwareTest, RefusedChannelsReportWithoutOverflow) {
  ServoContinuous first(8);
  ServoContinuous second(8);  // channel taken: the output reads back INT_MAX
  EXPECT_EQ(wpilib_standin::GetUsageReports().back().instanceNumber, INT_MAX);
  Servo beyond(INT_MAX);
  EXPECT_EQ(wpilib_standin::GetUsageReports().back().resource, 33);
  EXPECT_EQ(wpilib_standin::GetUsageReports().back().instanceNumber, INT_MAX);
}

}  // namespace
