// The servos as the roboRIO's PWM hardware sees them, read from the WPILib stand-in's extras:
// the hardware calls in their order, the usage reports and the raw pulse values. Part of
// servo_test on the stand-in only; a real WPILib offers none of these.
#include <frc/SpeedController.h>
#include <wpilib_standin/Sim.h>

#include <climits>
#include <cmath>
#include <functional>
#include <memory>
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

// After the PWM base's own set-up (port, disabled, deadband, its report) each servo sets its
// bounds and period, the continuous one also stops and latches, and then reports itself.
TEST_F(ServoHardwareTest, ServosAreSetUpInOrder) {
  struct Case {
    const char* what;
    std::function<std::unique_ptr<frc::PWM>()> make;
    int channel;
    Lines own;
    int32_t raw;
  };
  const Case cases[] = {
      {"positional", [] { return std::make_unique<Servo>(3); }, 3,
       Lines{"HAL_SetPWMConfig(3, 2.5, 0, 0, 0, 0.5)",
             "HAL_SetPWMConfigRaw(3, 1999, -501, -501, -501, 1)", "HAL_SetPWMPeriodScale(3, 3)",
             "HAL_Report(33, 4, 0, nullptr)"},
       0},
      {"continuous", [] { return std::make_unique<ServoContinuous>(0); }, 0,
       Lines{"HAL_SetPWMConfig(0, 2.5, 1.55, 1.5, 1.45, 0.5)",
             "HAL_SetPWMConfigRaw(0, 1999, 1049, 999, 949, 1)", "HAL_SetPWMPeriodScale(0, 3)",
             "HAL_SetPWMSpeed(0, 0)", "HAL_LatchPWMZero(0)", "HAL_Report(82, 1, 0, nullptr)"},
       999},  // the stop point
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Hal();
    wpilib_standin::ClearUsageReports();
    const std::unique_ptr<frc::PWM> servo = c.make();
    const std::string ch = std::to_string(c.channel);
    Lines expected{"HAL_InitializePWMPort(" + ch + ")", "HAL_SetPWMDisabled(" + ch + ")",
                   "HAL_SetPWMEliminateDeadband(" + ch + ", false)",
                   "HAL_Report(29, " + std::to_string(c.channel + 1) + ", 0, nullptr)"};
    expected.insert(expected.end(), c.own.begin(), c.own.end());
    EXPECT_EQ(Hal(), expected);
    EXPECT_EQ(wpilib_standin::GetPwmState(c.channel).raw, c.raw);
    const auto reports = wpilib_standin::GetUsageReports();
    ASSERT_EQ(reports.size(), 2u);  // the PWM's own, then the servo's
    EXPECT_EQ(reports[1].context, 0);
    EXPECT_TRUE(reports[1].featureIsNull);
  }
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
  // Out of range, WPILib leaves the output's channel unset: the report names the channel asked for.
  ServoContinuous outOfRange(20);
  EXPECT_EQ(wpilib_standin::GetUsageReports().back().resource, 82);
  EXPECT_EQ(wpilib_standin::GetUsageReports().back().instanceNumber, 21);
}

// The bottom of both servos' range is raw 1, the shortest pulse: full reverse and 0 degrees get
// it (0.5 ms would be raw -1, which the robot's 16-bit register reads as 65535, full travel),
// and the pulses grow with the speed all the way.
TEST_F(ServoHardwareTest, TheBottomOfTheRangeIsTheShortestPulse) {
  ServoContinuous continuous(10);
  int32_t previous = 0;
  for (int i = -1000; i <= 1000; ++i) {
    continuous.Set(i / 1000.0);
    const int32_t raw = wpilib_standin::GetPwmState(10).raw;
    ASSERT_GE(raw, i == -1000 ? 1 : previous) << "speed " << i / 1000.0;
    previous = raw;
  }
  continuous.Set(-1.0);
  EXPECT_EQ(wpilib_standin::GetPwmState(10).raw, 1);
  continuous.StopMotor();
  EXPECT_EQ(wpilib_standin::GetPwmState(10).raw, 0);

  Servo positional(11);
  for (double degrees : {0.0, 0.1}) {
    positional.SetAngle(degrees);
    EXPECT_EQ(wpilib_standin::GetPwmState(11).raw, 1) << degrees << " degrees";
  }
}

// Assigning a servo switches its old output off and frees the channel, before anything else.
TEST_F(ServoHardwareTest, AssignmentSwitchesOffAndFreesTheOldChannel) {
  Servo a(15);
  Servo b(16);
  Hal();
  a = std::move(b);
  EXPECT_EQ(Hal(), (Lines{"HAL_SetPWMDisabled(15)", "HAL_FreePWMPort(15)"}));
  EXPECT_FALSE(wpilib_standin::GetPwmState(15).allocated);
  EXPECT_TRUE(wpilib_standin::GetPwmState(16).allocated);
}

}  // namespace
