// The two PWM servos through WPILib's published interface: bounds and dashboard names, angles
// and positions, the dashboard property and the speed-controller role. These run on the WPILib
// stand-in and on a real WPILib alike; the hardware calls, usage reports and roboRIO pulse
// values that only the stand-in shows are in servo_standin.cpp.
#include <frc/SpeedController.h>
#include <frc/smartdashboard/SendableRegistry.h>
#include <units/units.h>

#include <climits>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "gtest/gtest.h"
#include "support/DashboardDouble.h"
#include "support/TestSupport.h"
#include "velmora/Servo.h"
#include "velmora/ServoContinuous.h"

namespace {

using velmora::Servo;
using velmora::ServoContinuous;

std::string NameOf(frc::Sendable& s) { return frc::SendableRegistry::GetInstance().GetName(&s); }

std::vector<int32_t> RawBounds(frc::PWM& pwm) {
  int32_t max = 0, deadbandMax = 0, center = 0, deadbandMin = 0, min = 0;
  pwm.GetRawBounds(&max, &deadbandMax, &center, &deadbandMin, &min);
  return {max, deadbandMax, center, deadbandMin, min};
}

// A servo that records every position it is given and passes it on to the output.
struct RecordingServo : Servo {
  using Servo::Servo;
  void SetPosition(double pos) override {
    seen.push_back(pos);
    Servo::SetPosition(pos);
  }
  std::vector<double> seen;
};

// Pulses of 0.5 to 2.5 ms, at 0.001 ms per raw step around 1.5 ms = 999: the positional servo
// has no deadband (0 ms is raw -501), the continuous one stops between 1.45 and 1.55 ms. 0.5 ms
// would be raw -1, below "no pulse" (raw 0): the bottom is the shortest pulse there is, raw 1.
TEST(ServoTest, ServosSetTheirPulseBoundsAndDashboardNames) {
  Servo servo(3);
  EXPECT_EQ(RawBounds(servo), (std::vector<int32_t>{1999, -501, -501, -501, 1}));
  EXPECT_EQ(NameOf(servo), "Servo[3]");
  ServoContinuous continuous(0);
  EXPECT_EQ(RawBounds(continuous), (std::vector<int32_t>{1999, 1049, 999, 949, 1}));
  EXPECT_EQ(NameOf(continuous), "ServoContinuous[0]");
  EXPECT_EQ(continuous.Get(), 0.0) << "starts stopped";
}

TEST(ServoTest, AnglesAreClampedAndTurnedIntoPositions) {
  struct Case {
    double degrees;
    double position;
  };
  const Case cases[] = {{-10.0, 0.0}, {0.0, 0.0},   {150.0, 0.5},
                        {300.0, 1.0}, {450.0, 1.0}, {75.0, 0.25}};
  RecordingServo servo(1);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.degrees);
    servo.seen.clear();
    servo.SetAngle(c.degrees);
    EXPECT_EQ(servo.seen, std::vector<double>{c.position});
    EXPECT_NEAR(servo.Get(), c.position, 1e-3) << "the output holds it, to its precision";
  }
  servo.SetAngle(150.0);
  EXPECT_NEAR(servo.GetAngle(), 150.0, 0.2) << "back to degrees, to the output's precision";
  EXPECT_EQ(servo.GetMaxAngle(), 300.0);
  EXPECT_EQ(servo.GetMinAngle(), 0.0);
}

TEST(ServoTest, PositionsPassUnclampedToTheOutput) {
  RecordingServo servo(2);
  servo.Set(1.7);
  EXPECT_EQ(servo.seen, std::vector<double>{1.7});
  EXPECT_EQ(servo.Get(), 1.0) << "the output limits the position";
  servo.Set(0.0);
  EXPECT_EQ(servo.Get(), 0.0);
}

TEST(ServoTest, OfflineStopsThePulse) {
  Servo servo(5);
  servo.SetRaw(1500);
  ASSERT_EQ(servo.GetRaw(), 1500);
  servo.SetOffline();
  EXPECT_EQ(servo.GetRaw(), 0);
}

TEST(ServoTest, DashboardShowsAndSetsThePosition) {
  Servo servo(6);
  velmora_test::DashboardDouble dashboard(servo);
  EXPECT_EQ(dashboard.Type(), "Servo");
  EXPECT_EQ(dashboard.Keys(), std::vector<std::string>{"Value"});
  EXPECT_TRUE(dashboard.CanRead("Value") && dashboard.CanWrite("Value"));
  servo.SetAngle(300.0);
  EXPECT_EQ(dashboard.GetDouble("Value"), 1.0);
  dashboard.SetDouble("Value", 0.5);
  EXPECT_NEAR(servo.GetAngle(), 150.0, 0.2);
}

// Set and SetAngle go through the virtual SetPosition, so a program's own servo class can
// intercept every position.
TEST(ServoTest, SubclassesSeeEveryPosition) {
  struct Recording : Servo {
    using Servo::Servo;
    void SetPosition(double pos) override { seen.push_back(pos); }
    std::vector<double> seen;
  } servo(7);
  servo.Set(0.25);
  servo.SetAngle(600.0);
  EXPECT_EQ(servo.seen, (std::vector<double>{0.25, 1.0}));
}

// In WPILib 2020 a PWM speed controller's Get reads the output back without undoing the
// inversion: an inverted forward command reads as reverse.
TEST(ServoTest, ContinuousServoIsAWpilibSpeedController) {
  ServoContinuous servo(9);
  frc::SpeedController& sc = servo;
  sc.Set(1.0);
  EXPECT_EQ(sc.Get(), 1.0);
  sc.StopMotor();
  EXPECT_EQ(sc.Get(), 0.0);
  servo.PIDWrite(-0.25);
  EXPECT_NEAR(sc.Get(), -0.25, 1e-3);
  servo.StopMotor();
  EXPECT_EQ(sc.Get(), 0.0) << "the same stop either way";
  sc.SetInverted(true);
  EXPECT_TRUE(sc.GetInverted());
  sc.Set(0.5);
  EXPECT_NEAR(sc.Get(), -0.5, 1e-3);
}

// The continuous servo keeps WPILib's speed-controller dashboard: the value is the output's
// speed, written past the inversion, and the safe state stops the pulse.
TEST(ServoTest, ContinuousServoDashboardIsASpeedController) {
  ServoContinuous servo(10);
  servo.SetInverted(true);
  velmora_test::DashboardDouble dashboard(servo);
  EXPECT_EQ(dashboard.Type(), "Speed Controller");
  EXPECT_TRUE(dashboard.IsActuator());
  dashboard.SetDouble("Value", 0.5);
  EXPECT_NEAR(servo.Get(), 0.5, 1e-3) << "not inverted";
  EXPECT_NEAR(dashboard.GetDouble("Value"), 0.5, 1e-3);
  dashboard.RunSafeState();
  EXPECT_EQ(servo.GetRaw(), 0);
}

// SetVoltage divides by the battery voltage, which WPILib reads from its hardware layer: 12 V
// once HAL_Initialize has run.
TEST(ServoTest, ContinuousServoTakesVoltagesAgainstTheBattery) {
  ServoContinuous servo(11);
  const std::pair<double, double> cases[] = {{6.0, 0.5}, {-3.0, -0.25}, {0.0, 0.0}};
  for (const auto& c : cases) {
    servo.SetVoltage(units::volt_t(c.first));
    EXPECT_NEAR(servo.Get(), c.second, 1e-3) << c.first << " V";
  }
}

// The battery sags during a match: SetVoltage divides by what it reads at that moment, and the
// speed controller's inversion applies after the division.
TEST(ServoTest, ContinuousServoFollowsASaggingBatteryAndItsInversion) {
  struct Case {
    double battery, volts;
    bool inverted;
    double speed;
  };
  const Case cases[] = {
      {10.0, 5.0, false, 0.5}, {8.0, 2.0, true, -0.25}, {12.5, -5.0, false, -0.4}};
  ServoContinuous servo(12);
  for (const Case& c : cases) {
    velmora_test::SetBatteryVoltage(c.battery);
    servo.SetInverted(c.inverted);
    servo.SetVoltage(units::volt_t(c.volts));
    EXPECT_NEAR(servo.Get(), c.speed, 1e-3) << c.volts << " V of " << c.battery;
  }
  velmora_test::SetBatteryVoltage(12.0);
}

// Servos on channels the output refuses stay inert through every call, dashboard included:
// nothing throws, nothing crashes, and they read as stopped.
TEST(ServoTest, EveryCallOnARefusedChannelIsHarmless) {
  for (int channel : {-1, 20, INT_MAX}) {
    SCOPED_TRACE(channel);
    Servo servo(channel);
    servo.SetAngle(120.0);
    servo.Set(0.5);
    servo.SetOffline();
    EXPECT_EQ(servo.Get(), 0.0);
    EXPECT_EQ(servo.GetAngle(), 0.0);
    velmora_test::DashboardDouble dashboard(servo);
    dashboard.SetDouble("Value", 0.5);
    EXPECT_EQ(dashboard.GetDouble("Value"), 0.0);
    ServoContinuous continuous(channel);
    continuous.Set(0.5);
    continuous.SetVoltage(6_V);
    continuous.PIDWrite(-0.5);
    continuous.StopMotor();
    EXPECT_EQ(continuous.Get(), 0.0);
  }
}

// A destroyed servo leaves the dashboard registry and frees its channel for the next one.
TEST(ServoTest, DestroyedServosFreeTheirChannels) {
  auto& registry = frc::SendableRegistry::GetInstance();
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    auto servo = std::make_unique<Servo>(13);
    auto continuous = std::make_unique<ServoContinuous>(14);
    EXPECT_EQ(servo->GetChannel(), 13);
    EXPECT_EQ(continuous->GetChannel(), 14);
    frc::Sendable* keys[] = {servo.get(), continuous.get()};
    servo.reset();
    continuous.reset();
    for (frc::Sendable* key : keys) EXPECT_FALSE(registry.Contains(key));
  }
}

// A moved servo takes its dashboard entry along; the moved-from object has none.
TEST(ServoTest, MovedServoKeepsItsDashboardName) {
  Servo first(15);
  Servo moved(std::move(first));
  EXPECT_EQ(NameOf(moved), "Servo[15]");
  EXPECT_FALSE(frc::SendableRegistry::GetInstance().Contains(&first));
  moved.SetAngle(300.0);
  EXPECT_EQ(moved.Get(), 1.0);
}

// A channel the output refuses leaves an inert servo: commands to it change nothing, and the
// servo that holds the channel keeps it.
TEST(ServoTest, RefusedChannelsLeaveInertServos) {
  ServoContinuous first(8);
  ServoContinuous second(8);  // channel taken: the output reads back INT_MAX
  EXPECT_EQ(second.GetChannel(), INT_MAX);
  first.Set(0.5);
  second.Set(-1.0);
  EXPECT_EQ(second.Get(), 0.0);
  EXPECT_NEAR(first.Get(), 0.5, 1e-3);
  EXPECT_EQ(first.GetChannel(), 8) << "the first servo keeps its output";
  Servo beyond(INT_MAX);
  beyond.SetAngle(100.0);
  EXPECT_EQ(beyond.Get(), 0.0);
}

// A refused channel keeps the error the PWM output reported for it, as a plain PWM output on the
// same channel does: the servo's own setup adds nothing that would replace it.
TEST(ServoTest, RefusedChannelsKeepTheOutputsOwnError) {
  frc::PWM holder(4);  // channel 4 is taken
  for (int channel : {-1, 20, 4}) {
    SCOPED_TRACE(channel);
    frc::PWM plain(channel);
    ASSERT_TRUE(plain.StatusIsFatal());
    Servo servo(channel);
    ServoContinuous continuous(channel);
    for (const frc::ErrorBase* refused : {static_cast<const frc::ErrorBase*>(&servo),
                                          static_cast<const frc::ErrorBase*>(&continuous)}) {
      EXPECT_EQ(refused->GetError().GetCode(), plain.GetError().GetCode());
      EXPECT_EQ(refused->GetError().GetMessage(), plain.GetError().GetMessage());
    }
  }
}

// Full reverse is what a joystick sends. On the roboRIO a pulse below the shortest one would be
// refused with an error the output keeps, after which it ignores StopMotor and keeps turning.
TEST(ServoTest, ContinuousServoStopsAfterFullReverse) {
  ServoContinuous servo(12);
  frc::SpeedController& sc = servo;
  sc.Set(0.5);
  sc.Set(-1.0);
  EXPECT_FALSE(servo.StatusIsFatal()) << servo.GetError().GetMessage();
  EXPECT_EQ(sc.Get(), -1.0);
  sc.StopMotor();
  EXPECT_EQ(sc.Get(), 0.0) << "stopped";
  sc.Set(0.3);
  EXPECT_NEAR(sc.Get(), 0.3, 1.0 / 999) << "still taking commands";
}

// Every speed from -1 to 1 and every angle from 0 to 300, in fine steps, leaves the output
// taking commands and reads back within one raw step.
TEST(ServoTest, EverySpeedAndAngleKeepsTheOutputTakingCommands) {
  ServoContinuous continuous(12);
  for (int i = -1000; i <= 1000; ++i) {
    const double speed = i / 1000.0;
    continuous.Set(speed);
    ASSERT_FALSE(continuous.StatusIsFatal()) << "speed " << speed;
    ASSERT_NEAR(continuous.Get(), speed, 1.0 / 997) << "speed " << speed;
  }
  Servo positional(13);
  for (int tenths = 0; tenths <= 3000; ++tenths) {
    const double degrees = tenths / 10.0;
    positional.SetAngle(degrees);
    ASSERT_FALSE(positional.StatusIsFatal()) << degrees << " degrees";
    ASSERT_NEAR(positional.GetAngle(), degrees, 300.0 / 1998) << degrees << " degrees";
  }
  positional.SetAngle(0.1);
  positional.SetAngle(150.0);
  EXPECT_NEAR(positional.GetAngle(), 150.0, 1e-9);
}

// Assigning one servo to another releases the assigned-over channel, so that it can be opened
// again, and leaves the assigned-to object driving the other channel under its name.
template <typename ServoType>
void AssignmentReleasesTheOldChannel(const char* moduleType) {
  SCOPED_TRACE(moduleType);
  {
    ServoType a(16);
    ServoType b(17);
    a = std::move(b);
    EXPECT_EQ(a.GetChannel(), 17);
    EXPECT_EQ(NameOf(a), std::string(moduleType) + "[17]");
    ServoType reopened(16);
    EXPECT_EQ(reopened.GetChannel(), 16);
    EXPECT_FALSE(reopened.StatusIsFatal()) << reopened.GetError().GetMessage();
    ServoType& same = a;
    a = std::move(same);  // assigning a servo to itself changes nothing
    EXPECT_EQ(a.GetChannel(), 17);
    EXPECT_EQ(NameOf(a), std::string(moduleType) + "[17]");
  }
  for (int channel : {16, 17}) {
    ServoType again(channel);
    EXPECT_EQ(again.GetChannel(), channel);
    EXPECT_FALSE(again.StatusIsFatal()) << again.GetError().GetMessage();
  }
}

TEST(ServoTest, AssignmentReleasesTheAssignedOverChannel) {
  AssignmentReleasesTheOldChannel<Servo>("Servo");
  AssignmentReleasesTheOldChannel<ServoContinuous>("ServoContinuous");
}

// A servo on a channel the output refused has no dashboard entry, and for a channel out of range
// WPILib never sets the channel number. A servo assigned from it drives nothing, has no entry
// either (it used to keep its own, named after that unset number: "Servo[-1094795586]"), and frees
// its old channel; the moved-from servo stays inert.
template <typename ServoType>
void AssignmentFromARefusedChannel(const char* moduleType) {
  SCOPED_TRACE(moduleType);
  auto& registry = frc::SendableRegistry::GetInstance();
  for (int channel : {-1, 20}) {
    SCOPED_TRACE(channel);
    ServoType a(16);
    ServoType refused(channel);
    ASSERT_FALSE(registry.Contains(&refused));
    a = std::move(refused);
    EXPECT_FALSE(registry.Contains(&a)) << NameOf(a);
    EXPECT_FALSE(registry.Contains(&refused));
    a.Set(0.5);
    EXPECT_EQ(a.Get(), 0.0);
    ServoType moved(std::move(a));
    EXPECT_FALSE(registry.Contains(&moved));
    ServoType reopened(16);
    EXPECT_FALSE(reopened.StatusIsFatal()) << reopened.GetError().GetMessage();
    EXPECT_EQ(NameOf(reopened), std::string(moduleType) + "[16]");
  }
}

TEST(ServoTest, AssignmentFromARefusedChannelLeavesNoEntry) {
  AssignmentFromARefusedChannel<Servo>("Servo");
  AssignmentFromARefusedChannel<ServoContinuous>("ServoContinuous");
}

}  // namespace
