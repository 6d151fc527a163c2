// The simulated world runs on WPILib's clock, not on the program's calls: with WPILib's timing
// paused and stepped one 20 ms loop at a time, and no device call between the steps, what WPILib's
// driver station and the motors do shows within one loop. Each case reads the world only after
// its steps, or through WPILib (its battery voltage, the sim devices).
#include <frc/RobotController.h>
#include <gtest/gtest.h>
#include <hal/HALBase.h>
#include <mockdata/DriverStationData.h>
#include <mockdata/MockHooks.h>
#include <mockdata/RoboRioData.h>
#include <units/units.h>

#include <cmath>
#include <memory>
#include <string>

#include "WpilibSim.h"
#include "support/TestSupport.h"
#include "velmora/LidarMini.h"
#include "velmora/Orvex.h"

namespace {

namespace sim = velmora_sim;
using velmora_test::SimDouble;
using velmora_test::SimValue;
using velmora_test::StepLoops;

class WorldClockTest : public velmora_test::DriverTest {
 protected:
  void SetUp() override {
    DriverTest::SetUp();
    HALSIM_SetDriverStationEnabled(true);
  }
  void TearDown() override {
    HALSIM_SetDriverStationEnabled(true);
    velmora_test::SetBatteryVoltage(12.0);
    DriverTest::TearDown();
  }
  static double InputVolts() {
    static_cast<void>(velmora_sim::FlushSimValues());
    return frc::RobotController::GetInputVoltage();
  }
  static void LockAll(int canId) {
    const std::string device = "Orvex[" + std::to_string(canId) + "]";
    for (int i = 0; i < 4; ++i) {
      HAL_SetSimValueBoolean(SimValue(device, "Motor " + std::to_string(i) + " locked"), true);
    }
  }
};

// Disabled by WPILib's driver station at full speed, with no call for 5 s: the shaft brakes to a
// stop within its time constant and stays there; the sim device shows it still. Enabled again, the
// command kept applies.
TEST_F(WorldClockTest, ADisabledRobotsMotorsStandStillWithoutDeviceCalls) {
  velmora::Orvex orvex(5);
  orvex.GetMotor(0).Set(1.0);
  ASSERT_TRUE(StepLoops(50));
  const double before = sim::OrvexChannel(5, 0).revolutions;
  EXPECT_GT(sim::OrvexChannel(5, 0).rpm, 4900.0);

  HALSIM_SetDriverStationEnabled(false);
  ASSERT_TRUE(StepLoops(250));  // 5 s
  EXPECT_LT(std::fabs(SimDouble("Orvex[5]", "Motor 0 RPM")), 1.0) << "shown still, no call made";
  const sim::OrvexChannelState disabled = sim::OrvexChannel(5, 0);
  // Braking from 5000 RPM with a 0.13 s time constant turns the shaft about 11 revolutions.
  EXPECT_LT(disabled.revolutions - before, 15.0) << "it kept turning while disabled";
  EXPECT_LT(std::fabs(disabled.rpm), 1.0);

  HALSIM_SetDriverStationEnabled(true);
  ASSERT_TRUE(StepLoops(50));
  EXPECT_GT(sim::OrvexChannel(5, 0).rpm, 4900.0) << "enabled again, the kept command applies";
}

// The disable and the enable take effect at their instants on WPILib's clock: a program that
// calls its device every loop and one that makes no call until after the enable see the same
// shaft, to the last bit.
TEST_F(WorldClockTest, DisableAndEnableTakeEffectAtTheirInstantsNotAtTheNextCall) {
  double turned[2] = {0.0, 0.0};
  for (int run = 0; run < 2; ++run) {
    sim::Reset();
    velmora::Orvex orvex(5);
    orvex.GetMotor(0).Set(0.7);
    sim::SimStep(1.0);
    const double start = sim::OrvexChannel(5, 0).revolutions;
    HALSIM_SetDriverStationEnabled(false);
    if (run == 0) {
      for (int loop = 0; loop < 25; ++loop) {
        velmora_test::StepWpilib(0.02);
        (void)orvex.GetMotor(0).GetRPM();
      }
    } else {
      velmora_test::StepWpilib(0.5);
    }
    HALSIM_SetDriverStationEnabled(true);
    velmora_test::StepWpilib(0.1);
    turned[run] = sim::OrvexChannel(5, 0).revolutions - start;
  }
  EXPECT_EQ(turned[0], turned[1]);
  EXPECT_LT(turned[0], 12.0) << "about 7 turns braking, 3 accelerating again";
}

// Stalled motors pull the bus down; once they stop (disabled, or every device closed while
// enabled) WPILib reports the open-circuit voltage again within one loop, without any call.
TEST_F(WorldClockTest, TheBatteryRecoversWithinOneLoopAfterTheMotorsStop) {
  auto orvex = std::make_unique<velmora::Orvex>(5);
  for (int i = 0; i < 4; ++i) orvex->GetMotor(i).Set(1.0);
  LockAll(5);
  ASSERT_TRUE(StepLoops(5));
  EXPECT_NEAR(InputVolts(), 7.2, 0.01) << "four stalled motors at full output";

  HALSIM_SetDriverStationEnabled(false);
  ASSERT_TRUE(StepLoops(1));
  EXPECT_DOUBLE_EQ(InputVolts(), 12.0) << "disabled: open circuit within one loop";

  HALSIM_SetDriverStationEnabled(true);
  ASSERT_TRUE(StepLoops(1));
  EXPECT_NEAR(InputVolts(), 7.2, 0.01) << "enabled again, the kept commands stall the motors";

  orvex.reset();  // closed while enabled and stalled
  ASSERT_TRUE(StepLoops(1));
  EXPECT_DOUBLE_EQ(InputVolts(), 12.0) << "no device left drawing";
  ASSERT_TRUE(StepLoops(3));
  EXPECT_DOUBLE_EQ(InputVolts(), 12.0);
}

// Reversing four motors from full speed: each controller holds its winding current at its limit
// while the back-EMF adds to the supply, so the bus never goes below 0 V nor becomes NaN, and a
// voltage command afterwards runs the right way.
TEST_F(WorldClockTest, AReversalAtSpeedNeverReportsANegativeOrNanVoltage) {
  velmora::Orvex orvex(5);
  for (int i = 0; i < 4; ++i) orvex.GetMotor(i).Set(1.0);
  ASSERT_TRUE(StepLoops(100));
  for (int i = 0; i < 4; ++i) orvex.GetMotor(i).Set(-1.0);
  double lowest = 100.0;
  for (int loop = 0; loop < 100; ++loop) {
    ASSERT_TRUE(StepLoops(1));
    const double volts = InputVolts();
    ASSERT_FALSE(std::isnan(volts)) << "loop " << loop;
    lowest = std::min(lowest, volts);
  }
  EXPECT_GT(lowest, 0.0);
  EXPECT_LT(lowest, 11.0) << "the reversal does load the battery";
  EXPECT_LT(sim::OrvexChannel(5, 0).rpm, -4900.0);
  orvex.GetMotor(1).SetVoltage(units::volt_t(6.0));
  ASSERT_TRUE(StepLoops(1));
  EXPECT_GT(sim::OrvexChannel(5, 1).duty, 0.0) << "+6 V is forward";
}

// WPILib's robot controller and driver station data reset under the world: a voltage a test sets
// afterwards is the battery's, and the driver station's changes still act at their instant.
TEST_F(WorldClockTest, TheWorldKeepsWatchingAfterWpilibsDataResets) {
  velmora::Orvex orvex(5);
  orvex.GetMotor(0).Set(1.0);
  ASSERT_TRUE(StepLoops(2));
  HALSIM_ResetRoboRioData(0);
  ASSERT_TRUE(StepLoops(1));
  HALSIM_SetRoboRioVInVoltage(0, 10.1);
  ASSERT_TRUE(StepLoops(1));
  EXPECT_DOUBLE_EQ(sim::Battery().emf, 10.1);
  HALSIM_SetRoboRioVInVoltage(0, 11.3);
  ASSERT_TRUE(StepLoops(1));
  EXPECT_DOUBLE_EQ(sim::Battery().emf, 11.3) << "watched again after the reset";

  HALSIM_ResetDriverStationData();  // disables the robot and drops every callback
  ASSERT_TRUE(StepLoops(2));
  HALSIM_SetDriverStationEnabled(true);
  ASSERT_TRUE(StepLoops(50));
  EXPECT_GT(sim::OrvexChannel(5, 0).rpm, 4000.0);
  const double before = sim::OrvexChannel(5, 0).revolutions;
  HALSIM_SetDriverStationEnabled(false);
  velmora_test::StepWpilib(5.0);
  EXPECT_LT(sim::OrvexChannel(5, 0).revolutions - before, 15.0)
      << "the disable after the reset took effect at its instant";
}

// A voltage a test sets on WPILib's battery is the open-circuit voltage: the bus WPILib reports
// comes off it with the sag at once, at the very next call, not only at the next tick.
TEST_F(WorldClockTest, AVoltageSetOnWpilibsBatterySagsUnderTheLoadAtOnce) {
  velmora::Orvex orvex(5);
  for (int i = 0; i < 4; ++i) orvex.GetMotor(i).Set(1.0);
  LockAll(5);
  ASSERT_TRUE(StepLoops(5));
  HALSIM_SetRoboRioVInVoltage(0, 10.1);
  (void)orvex.GetMotor(0).GetRPM();  // takes the voltage and publishes the bus at once
  EXPECT_EQ(sim::Battery().emf, 10.1);
  EXPECT_LT(InputVolts(), 9.0) << "four stalled motors still draw";
  ASSERT_TRUE(StepLoops(1));
  // Four stalled channels: V = E / (1 + R_b x 4 / R).
  EXPECT_NEAR(InputVolts(), 10.1 / (1.0 + 0.02 * 4.0 / 0.12), 1e-6);
}

// WPILib restarts its clock: the world goes on from the new clock, its lidar's timestamps and its
// own pass with it.
TEST_F(WorldClockTest, AfterWpilibRestartsItsClockTimestampsFollowTheNewClock) {
  velmora::LidarMini lidar(velmora::LidarMini::Port::kUSB0);
  lidar.Start();
  ASSERT_TRUE(sim::SimStep(1.0));
  HALSIM_RestartTiming();
  ASSERT_TRUE(HALSIM_IsTimingPaused());
  (void)lidar.GetData();
  ASSERT_TRUE(StepLoops(25));
  const velmora::LidarMini::ScanData scan = lidar.GetData();
  int32_t status = 0;
  const auto now = static_cast<int64_t>(HAL_GetFPGATime(&status));
  EXPECT_FALSE(scan.angles.empty());
  EXPECT_LE(scan.timestamp, now);
  EXPECT_GT(scan.timestamp, now - 166667 - 5000) << "a scan of the last sixth of a second";
  EXPECT_NEAR(static_cast<double>(sim::SimClockMicros()), static_cast<double>(now), 5000.0);
  lidar.Stop();
  lidar.Destroy();
}

}  // namespace
