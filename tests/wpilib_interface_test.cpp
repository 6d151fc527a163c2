// WPILib 2020's published behaviour that the library builds on, checked through WPILib's public
// interface only: bounds in milliseconds, the output controls, the dashboard registry and
// builder, the speed controller base, motor safety, error recording and start-up. On the WPILib
// stand-in these cases check the stand-in; on a real WPILib the very same cases show that the
// stand-in behaves as WPILib does.
#include <gtest/gtest.h>

#include <climits>
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
#include <hal/HAL.h>
#include <units/units.h>
#include <wpi/Twine.h>
#include <wpi/raw_ostream.h>

#include "support/DashboardDouble.h"

namespace {

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

// ---- Bounds and output controls ----------------------------------------------------------------

TEST(WpilibInterfaceTest, BoundsInMillisecondsBecomeRawValues) {
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

TEST(WpilibInterfaceTest, RawZeroMeansNoPulse) {
  frc::PWM pwm(8);
  EXPECT_EQ(pwm.GetRaw(), 0) << "disabled from construction";
  pwm.SetRaw(1234);
  EXPECT_EQ(pwm.GetRaw(), 1234);
  pwm.SetDisabled();
  EXPECT_EQ(pwm.GetRaw(), 0);
  EXPECT_EQ(pwm.GetSpeed(), 0.0);
  pwm.SetSpeed(1.0);
  static_cast<frc::MotorSafety&>(pwm).StopMotor();
  EXPECT_EQ(pwm.GetRaw(), 0);
}

TEST(WpilibInterfaceTest, ZeroLatchPulsesWithoutChangingTheOutput) {
  frc::PWM pwm(10);
  pwm.SetRaw(1500);
  pwm.SetZeroLatch();
  EXPECT_EQ(pwm.GetRaw(), 1500);
  EXPECT_EQ(pwm.GetError().GetCode(), 0);
}

// ---- Construction and destruction --------------------------------------------------------------

TEST(WpilibInterfaceTest, ConstructionRegistersAnUnwatchedOutput) {
  auto& registry = frc::SendableRegistry::GetInstance();
  frc::PWM pwm(3);
  EXPECT_EQ(registry.GetName(&pwm), "PWM[3]");
  EXPECT_EQ(registry.GetSubsystem(&pwm), "Ungrouped");
  EXPECT_FALSE(pwm.IsSafetyEnabled());
  EXPECT_EQ(pwm.GetChannel(), 3);
  std::string text;
  wpi::raw_string_ostream desc(text);
  pwm.GetDescription(desc);
  EXPECT_EQ(desc.str(), "PWM 3");
}

TEST(WpilibInterfaceTest, RefusedChannelLeavesAnInertObject) {
  auto& registry = frc::SendableRegistry::GetInstance();
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
  EXPECT_EQ(first.GetChannel(), 11);
}

// ---- Registry ----------------------------------------------------------------------------------

TEST(WpilibInterfaceTest, RegistryNamesDevicesByTypeAndChannel) {
  auto& registry = frc::SendableRegistry::GetInstance();
  frc::PWM pwm(3);
  registry.SetName(&pwm, "Servo", 3);
  EXPECT_EQ(registry.GetName(&pwm), "Servo[3]");
  registry.SetName(&pwm, "Board", 1, 3);
  EXPECT_EQ(registry.GetName(&pwm), "Board[1,3]");
  registry.SetName(&pwm, "Arm", "Wrist");
  EXPECT_EQ(registry.GetName(&pwm), "Wrist");
  EXPECT_EQ(registry.GetSubsystem(&pwm), "Arm");

  frc::PWM moved(std::move(pwm));  // the moved-from object reports its invalid handle
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

TEST(WpilibInterfaceTest, DestroyedDeviceLeavesTheRegistry) {
  auto& registry = frc::SendableRegistry::GetInstance();
  auto pwm = std::make_unique<frc::PWM>(12);
  frc::Sendable* key = pwm.get();
  EXPECT_TRUE(registry.Contains(key));
  pwm.reset();
  EXPECT_FALSE(registry.Contains(key));
}

// ---- Dashboard builder -------------------------------------------------------------------------

TEST(WpilibInterfaceTest, PwmDashboardPropertyIsTheRawValue) {
  frc::PWM pwm(13);
  velmora_test::DashboardDouble dashboard(pwm);
  EXPECT_EQ(dashboard.Type(), "PWM");
  EXPECT_TRUE(dashboard.IsActuator());
  EXPECT_EQ(dashboard.Keys(), std::vector<std::string>{"Value"});

  dashboard.SetDouble("Value", 1234.0);
  EXPECT_EQ(pwm.GetRaw(), 1234);
  EXPECT_EQ(dashboard.GetDouble("Value"), 1234.0);
  dashboard.RunSafeState();
  EXPECT_EQ(pwm.GetRaw(), 0);

  EXPECT_THROW(dashboard.GetDouble("Speed"), std::out_of_range);
  EXPECT_THROW(dashboard.GetBoolean("Value"), std::out_of_range);
}

// ---- Speed controller --------------------------------------------------------------------------

// WPILib 2020: Set inverts, Get reports the output's speed as it is (inversion not undone).
TEST(WpilibInterfaceTest, SpeedControllerInversion) {
  RoundController controller(14);
  frc::SpeedController& sc = controller;
  sc.SetInverted(true);
  sc.Set(0.5);
  EXPECT_EQ(sc.Get(), -0.5);
  EXPECT_TRUE(sc.GetInverted());

  sc.SetInverted(false);
  EXPECT_EQ(sc.Get(), -0.5) << "inverting does not resend";
  static_cast<frc::PIDOutput&>(controller).PIDWrite(0.25);
  EXPECT_EQ(sc.Get(), 0.25);

  sc.Disable();
  EXPECT_EQ(controller.GetRaw(), 0);
  sc.Set(1.0);
  sc.StopMotor();
  EXPECT_EQ(controller.GetRaw(), 0);
  controller.Set(1.0);
  static_cast<frc::MotorSafety&>(controller).StopMotor();
  EXPECT_EQ(controller.GetRaw(), 0);
}

// At the battery's default 12 V (after HAL_Initialize, on either hardware layer).
TEST(WpilibInterfaceTest, SetVoltageDividesByTheBatteryVoltage) {
  ASSERT_EQ(frc::RobotController::GetInputVoltage(), 12.0);
  RoundController controller(15);
  const std::pair<double, double> cases[] = {{6.0, 0.5}, {-3.0, -0.25}, {0.0, 0.0}, {12.0, 1.0}};
  for (const auto& c : cases) {
    static_cast<frc::SpeedController&>(controller).SetVoltage(units::volt_t(c.first));
    EXPECT_EQ(controller.Get(), c.second) << c.first << " V";
  }
  controller.SetVoltage(6_V);
  EXPECT_EQ(controller.Get(), 0.5);
}

TEST(WpilibInterfaceTest, SpeedControllerDashboardBypassesInversion) {
  RoundController controller(16);
  controller.SetInverted(true);
  velmora_test::DashboardDouble dashboard(controller);
  EXPECT_EQ(dashboard.Type(), "Speed Controller");
  EXPECT_TRUE(dashboard.IsActuator());
  dashboard.SetDouble("Value", 0.5);
  EXPECT_EQ(controller.Get(), 0.5) << "not inverted";
  EXPECT_EQ(dashboard.GetDouble("Value"), 0.5);
  dashboard.RunSafeState();
  EXPECT_EQ(controller.GetRaw(), 0);
}

// ---- Motor safety, errors, start-up ------------------------------------------------------------

TEST(WpilibInterfaceTest, OnlySetSpeedFeedsTheWatchdog) {
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

TEST(WpilibInterfaceTest, ErrorsAreRecordedNotThrown) {
  frc::PWM pwm(0);
  pwm.SetError(0, "nothing", "file.cpp", "Function", 1);
  EXPECT_EQ(pwm.GetError().GetCode(), 0) << "code 0 is no error";
  pwm.SetError(1015, "a warning", "dir/file.cpp", "Function", 2);
  EXPECT_FALSE(pwm.StatusIsFatal());
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

TEST(WpilibInterfaceTest, InitializeMayBeCalledAgain) {
  EXPECT_TRUE(HAL_Initialize(500, 0));
  EXPECT_TRUE(HAL_Initialize(500, 0));
}

}  // namespace
