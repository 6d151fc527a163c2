// A team's robot program, with not one simulation call in it, run in WPILib's desktop simulation
// against the simulation driver: its motor turns, its encoder counts and its lidar scans in
// WPILib's time, and WPILib's tools list its devices. The test plays WPILib's part: it calls the
// robot as TimedRobot's loop does and steps WPILib's paused clock 20 ms per period.
#include <frc/TimedRobot.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>

#include "WpilibSim.h"
#include "velmora/LidarMini.h"
#include "velmora/Orvex.h"

namespace {

// The program as a team writes it.
class TeamRobot : public frc::TimedRobot {
 public:
  TeamRobot() : m_shooter(m_controller.GetMotor(0)), m_encoder(m_controller.GetEncoder(0, 0.1)) {}
  ~TeamRobot() override {
    m_lidar.Stop();
    m_lidar.Destroy();
  }

  void RobotInit() override { m_lidar.Start(); }
  void TeleopPeriodic() override {
    m_shooter.Set(0.5);
    m_rpm = m_shooter.GetRPM();
    m_count = m_encoder.Get();
    m_points = m_lidar.GetData().distances.size();
  }

  double m_rpm = 0.0;
  int m_count = 0;
  size_t m_points = 0;

 private:
  velmora::Orvex m_controller{5};
  velmora::Orvex::Motor& m_shooter;
  velmora::Orvex::Encoder& m_encoder;
  velmora::LidarMini m_lidar{velmora::LidarMini::Port::kUSB0};
};

bool Listed(const std::string& name) {
  const auto names = velmora_test::SimDeviceNames();
  return std::find(names.begin(), names.end(), name) != names.end();
}

// One second of teleoperated driving, as WPILib's loop runs it; what the program saw, printed.
std::string DriveOneSecond() {
  std::ostringstream out;
  TeamRobot robot;
  robot.RobotInit();
  robot.TeleopInit();
  for (int period = 0; period < 50; ++period) {
    velmora_test::StepWpilib(0.02);
    robot.TeleopPeriodic();
    robot.RobotPeriodic();
  }
  EXPECT_GT(robot.m_rpm, 0.0);
  EXPECT_GT(robot.m_count, 0);
  EXPECT_GT(robot.m_points, 0u);
  EXPECT_TRUE(Listed("Orvex[5]"));
  EXPECT_TRUE(Listed("LidarMini[USB0]"));
  out << "RPM " << robot.m_rpm << ", encoder count " << robot.m_count << ", lidar points "
      << robot.m_points << '\n';
  return out.str();
}

TEST(TimedRobotProgram, MotorEncoderAndLidarWorkInWpilibTimeAndRunsRepeat) {
  const std::string first = DriveOneSecond();
  const std::string second = DriveOneSecond();
  std::cout << first << second;
  EXPECT_EQ(first, second);
  // The devices are gone with the program's objects.
  EXPECT_FALSE(Listed("Orvex[5]"));
  EXPECT_FALSE(Listed("LidarMini[USB0]"));
}

TEST(TimedRobotProgram, NothingMovesWhileWpilibTimeStandsStill) {
  TeamRobot robot;
  robot.RobotInit();
  for (int call = 0; call < 10; ++call) robot.TeleopPeriodic();
  EXPECT_EQ(robot.m_rpm, 0.0);
  EXPECT_EQ(robot.m_count, 0);
  velmora_test::StepWpilib(0.1);
  robot.TeleopPeriodic();
  // 20 ticks of 5 ms towards 2500 RPM with a 0.1 s lag: well under way, not there yet.
  EXPECT_GT(robot.m_rpm, 0.5 * 2500.0);
  EXPECT_LT(robot.m_rpm, 0.7 * 2500.0);
}

}  // namespace
