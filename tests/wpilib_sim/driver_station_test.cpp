// Disabled means still: while WPILib's driver station has the robot disabled, every simulated
// motor gets no power whatever the program commands, and the controller's sim device shows it;
// enabled again, the latest command applies. The library's MockDS gates the motors as before: a
// robot disabled by either stands still.
#include <gtest/gtest.h>
#include <mockdata/DriverStationData.h>

#include <cmath>
#include <memory>
#include <string>

#include "WpilibSim.h"
#include "support/TestSupport.h"
#include "velmora/MockDS.h"
#include "velmora/Orvex.h"

namespace {

using velmora_test::SimDouble;

// The model's stop time: nine of its 0.109 s time constants, by which a motor braking on its own
// back-EMF has all but stopped.
constexpr double kStopSeconds = 1.0;
// What is left of full speed after that: well under one RPM.
constexpr double kStoppedRpm = 0.5;

// WPILib's driver station, as a test or the simulation GUI switches it. The test programs run
// with the robot enabled; whatever a test does, it ends enabled.
void SetRobotEnabled(bool enabled) { HALSIM_SetDriverStationEnabled(enabled ? 1 : 0); }

bool ChannelShownEnabled(const char* controller, int channel) {
  const std::string value = "Motor " + std::to_string(channel) + " enabled";
  return HAL_GetSimValueBoolean(velmora_test::SimValue(controller, value)) != 0;
}

class DriverStationTest : public velmora_test::DriverTest {
 protected:
  void TearDown() override {
    SetRobotEnabled(true);
    velmora_test::DriverTest::TearDown();
  }
};

TEST_F(DriverStationTest, DisablingStopsASpinningMotorAndEnablingResumesTheLatestCommand) {
  velmora::Orvex orvex(5);
  velmora::Orvex::Motor& motor = orvex.GetMotor(0);
  motor.Set(0.5);
  velmora_test::StepWpilib(1.0);
  // Half the free speed on the battery, as it sags under the motor's small free-running draw.
  ASSERT_NEAR(motor.GetRPM(), 2500.0 * velmora_sim::Battery().volts / 12.0, 0.5);

  SetRobotEnabled(false);
  velmora_test::StepWpilib(kStopSeconds);
  EXPECT_NEAR(motor.GetRPM(), 0.0, kStoppedRpm);
  EXPECT_FALSE(ChannelShownEnabled("Orvex[5]", 0));
  EXPECT_EQ(SimDouble("Orvex[5]", "Motor 0 target RPM"), 0.0);
  EXPECT_EQ(SimDouble("Orvex[5]", "Motor 0 speed"), 0.5) << "the command is kept";
  // Commands while disabled move nothing; the latest is the one that applies once enabled.
  motor.Set(0.1);
  motor.Set(-0.3);
  velmora_test::StepWpilib(0.5);
  EXPECT_NEAR(motor.GetRPM(), 0.0, kStoppedRpm);

  SetRobotEnabled(true);
  velmora_test::StepWpilib(kStopSeconds);
  EXPECT_NEAR(motor.GetRPM(), -1500.0 * velmora_sim::Battery().volts / 12.0, 0.5);
  EXPECT_TRUE(ChannelShownEnabled("Orvex[5]", 0));
  EXPECT_NEAR(SimDouble("Orvex[5]", "Motor 0 target RPM"), -1500.0, 1e-9);
}

// The two stations combine: the motors turn only when neither has the robot disabled. Without a
// MockDS, WPILib's station alone decides.
TEST_F(DriverStationTest, ARobotDisabledByEitherStationStaysStill) {
  enum class Mock { kNone, kEnabled, kDisabled };
  const struct {
    bool wpilibEnabled;
    Mock mock;
    bool turns;
  } cases[] = {
      {true, Mock::kNone, true},      {false, Mock::kNone, false},
      {true, Mock::kEnabled, true},   {false, Mock::kEnabled, false},
      {true, Mock::kDisabled, false}, {false, Mock::kDisabled, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "WPILib " << (c.wpilibEnabled ? "enabled" : "disabled")
                                    << ", MockDS " << static_cast<int>(c.mock));
    velmora_sim::Reset();
    SetRobotEnabled(c.wpilibEnabled);
    std::unique_ptr<velmora::MockDS> station;
    if (c.mock != Mock::kNone) {
      station = std::make_unique<velmora::MockDS>();
      if (c.mock == Mock::kEnabled) station->Enable();
    }
    velmora::Orvex orvex(8);
    orvex.GetMotor(2).Set(0.1);
    velmora_test::StepWpilib(0.5);
    const double rpm = orvex.GetMotor(2).GetRPM();
    if (c.turns) {
      EXPECT_GT(rpm, 450.0);
    } else {
      EXPECT_EQ(rpm, 0.0);
    }
    EXPECT_EQ(ChannelShownEnabled("Orvex[8]", 2), c.turns);
  }
}

}  // namespace
