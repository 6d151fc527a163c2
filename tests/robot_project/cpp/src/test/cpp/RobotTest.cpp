// The robot in autonomous on the simulated field, on WPILib's paused and stepped clock.
#include <gtest/gtest.h>
#include <mockdata/MockHooks.h>
#include <networktables/NetworkTableInstance.h>
#include <simulation/DriverStationSim.h>
#include <velmora_sim/SimDriver.h>

#include <chrono>
#include <thread>

#include "Robot.h"

namespace {

void Step(int periods) {
  for (int i = 0; i < periods; ++i) {
    HALSIM_StepTiming(20000);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

TEST(RobotTest, AutonomousDrivesForwardAndStops) {
  nt::NetworkTableInstance::GetDefault().StartLocal();  // no network server in a test
  HALSIM_PauseTiming();
  Robot robot;
  std::thread loop([&robot] { robot.StartCompetition(); });
  frc::sim::DriverStationSim station;
  station.SetAutonomous(true);
  station.SetEnabled(true);
  station.NotifyNewData();
  Step(200);  // four seconds of robot time
  // The robot's loop runs on its own thread: let it catch up with the clock's last period.
  for (int wait = 0;
       wait < 10000 &&
       velmora_sim::OrvexChannel(Robot::kDriveCanId, Robot::kLeftMotor).commanded != 0.0;
       ++wait) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  const velmora_sim::RobotPose pose = velmora_sim::Robot();
  EXPECT_GT(pose.x, 1.5);
  EXPECT_NEAR(pose.y, 2.0, 0.05);
  Step(25);
  EXPECT_NEAR(velmora_sim::Robot().x, pose.x, 0.01) << "it stopped after two seconds";
  robot.EndCompetition();
  loop.join();
}

}  // namespace
