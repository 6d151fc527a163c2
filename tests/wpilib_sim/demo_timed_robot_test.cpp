// The demo robot as a genuine frc::TimedRobot in WPILib's desktop simulation. The test plays
// WPILib and the field: it starts WPILib's clock from zero, paused, calls the robot as
// TimedRobot's loop does through the 15 s autonomous period, stepping the clock 20 ms per period,
// and looks at where the robot really went. The robot steps nothing: the simulation driver follows
// WPILib's clock.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "WpilibSim.h"
#include "demo_timed_robot.h"
#include "velmora_sim/SimDriver.h"

namespace {

namespace sim = velmora_sim;
using demo::Phase;
using namespace demo::robot_map;

struct Match {
  std::vector<demo::Telemetry> history;
  std::vector<demo::Event> events;
  std::vector<sim::RobotPose> path;  // the true pose after every period
  std::string console;
  double wallGap = 0.0;  // front bumper to the wall ahead at the end, m
};

Match PlayAutonomous(double seconds) {
  HALSIM_RestartTiming();  // WPILib's clock from zero, still paused
  sim::Reset();
  sim::AttachDrive(kDriveCanId, kLeftMotor, kRightMotor, kMetresPerRevolution);

  Match match;
  std::ostringstream out;
  {
    demo::TimedDemoRobot robot(out);
    // What TimedRobot's loop does: initialise, start disabled, then the autonomous period.
    robot.RobotInit();
    robot.DisabledInit();
    robot.RobotPeriodic();
    robot.AutonomousInit();
    const long periods = std::lround(seconds / kPeriodSeconds);
    for (long i = 0; i < periods; ++i) {
      robot.AutonomousPeriodic();
      robot.RobotPeriodic();
      match.path.push_back(sim::Robot());
      velmora_test::StepWpilib(kPeriodSeconds);
    }
    robot.DisabledInit();
    match.history = robot.History();
    match.events = robot.Events();
    const sim::RobotPose end = sim::Robot();
    match.wallGap = sim::RayDistance(end.x, end.y, end.heading) - kBumperRadius;
  }
  match.console = out.str();
  return match;
}

bool HasEvent(const Match& m, const std::string& start) {
  for (const demo::Event& e : m.events) {
    if (e.text.rfind(start, 0) == 0) return true;
  }
  return false;
}

TEST(DemoTimedRobot, AutonomousSeesTheLineAndParksBeforeTheWall) {
  const Match m = PlayAutonomous(15.0);
  for (const char* event : {"enabled", "blue line", "wall ahead", "parked", "disabled"}) {
    EXPECT_TRUE(HasEvent(m, event)) << event << "\n" << m.console;
  }
  ASSERT_FALSE(m.history.empty());
  EXPECT_EQ(m.history.back().phase, Phase::kDisabled);
  EXPECT_NEAR(m.wallGap, kStopGap, 0.05);
  const double wall = sim::Field().width;
  for (const sim::RobotPose& p : m.path) EXPECT_LT(p.x + kBumperRadius, wall - 0.1);
  // WPILib's 15 s, followed in the driver's 5 ms ticks.
  EXPECT_DOUBLE_EQ(sim::SimTime(), 15.0);
}

TEST(DemoTimedRobot, TwoRunsAreIdentical) {
  const Match first = PlayAutonomous(15.0);
  const Match second = PlayAutonomous(15.0);
  ASSERT_EQ(first.history.size(), second.history.size());
  for (size_t i = 0; i < first.history.size(); ++i) {
    ASSERT_EQ(first.history[i], second.history[i]) << "period " << i;
  }
  for (size_t i = 0; i < first.path.size(); ++i) {
    ASSERT_EQ(first.path[i].x, second.path[i].x) << "period " << i;
    ASSERT_EQ(first.path[i].y, second.path[i].y) << "period " << i;
  }
  EXPECT_EQ(first.console, second.console);
}

}  // namespace
