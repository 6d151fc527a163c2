// The demo robot as a genuine frc::TimedRobot in WPILib's desktop simulation. The test plays
// WPILib and the field: it starts WPILib's clock from zero, paused, calls the robot as
// TimedRobot's loop does through the 15 s autonomous period, stepping the clock 20 ms per period,
// and looks at where the robot really went. The robot steps nothing: the simulation driver follows
// WPILib's clock. The demo program built on this robot is run as well, in WPILib's own timing, and
// must print and write what the stand-in build does.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "WpilibSim.h"
#include "demo_report.h"
#include "demo_timed_robot.h"
#include "support/DemoOutput.h"
#include "velmora_sim/SimDriver.h"

namespace {

namespace sim = velmora_sim;
using demo::Phase;
using namespace demo::robot_map;

struct Match {
  demo::MatchResult result;
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
    match.result = robot.Result();
    const sim::RobotPose end = sim::Robot();
    match.wallGap = sim::RayDistance(end.x, end.y, end.heading) - kBumperRadius;
  }
  match.console = out.str();
  return match;
}

bool HasEvent(const Match& m, const std::string& start) {
  for (const demo::Event& e : m.result.events) {
    if (e.text.rfind(start, 0) == 0) return true;
  }
  return false;
}

TEST(DemoTimedRobot, AutonomousSeesTheLineAndParksBeforeTheWall) {
  const Match m = PlayAutonomous(15.0);
  for (const char* event : {"enabled", "blue line", "wall ahead", "parked", "disabled"}) {
    EXPECT_TRUE(HasEvent(m, event)) << event << "\n" << m.console;
  }
  ASSERT_FALSE(m.result.telemetry.empty());
  EXPECT_EQ(m.result.telemetry.back().phase, Phase::kDisabled);
  EXPECT_NEAR(m.wallGap, kStopGap, 0.05);
  const double wall = sim::Field().width;
  for (const sim::RobotPose& p : m.path) EXPECT_LT(p.x + kBumperRadius, wall - 0.1);
  // WPILib's 15 s, followed in the driver's 5 ms ticks.
  EXPECT_DOUBLE_EQ(sim::SimTime(), 15.0);
}

TEST(DemoTimedRobot, TwoRunsAreIdentical) {
  const Match first = PlayAutonomous(15.0);
  const Match second = PlayAutonomous(15.0);
  ASSERT_EQ(first.result.telemetry.size(), second.result.telemetry.size());
  for (size_t i = 0; i < first.result.telemetry.size(); ++i) {
    ASSERT_EQ(first.result.telemetry[i], second.result.telemetry[i]) << "period " << i;
  }
  for (size_t i = 0; i < first.path.size(); ++i) {
    ASSERT_EQ(first.path[i].x, second.path[i].x) << "period " << i;
    ASSERT_EQ(first.path[i].y, second.path[i].y) << "period " << i;
  }
  EXPECT_EQ(first.console, second.console);
}

// The robot's record of its match is the stepped match's: a true pose per period, the moments of
// the match, the devices' last readings; the same report and files come of it.
TEST(DemoTimedRobot, RecordsTheMatchForTheSameReportAndFiles) {
  const Match m = PlayAutonomous(15.0);
  const demo::MatchResult& r = m.result;
  ASSERT_EQ(r.telemetry.size(), 751u) << "750 periods and the disabled state";
  ASSERT_EQ(r.path.size(), r.telemetry.size());
  for (size_t i = 0; i < r.path.size(); ++i) {
    ASSERT_EQ(r.path[i].time, r.telemetry[i].time) << "period " << i;
  }
  for (size_t i = 0; i < m.path.size(); ++i) ASSERT_EQ(r.path[i].x, m.path[i].x) << "period " << i;
  EXPECT_EQ(r.identity.size(), 5u);
  EXPECT_GT(r.lineAt, 0.0);
  EXPECT_GT(r.parkedAt, r.lineAt);
  EXPECT_EQ(r.fieldWallGap, m.wallGap);
  EXPECT_GT(r.lastScan.angles.size(), 0u);
  EXPECT_GT(r.filteredNearest, 0.0f);
  EXPECT_NEAR(r.fieldDistance, r.telemetry.back().distance, 0.05);

  std::ostringstream summary;
  demo::PrintSummary(summary, r);
  const auto facts = velmora_test::ReadConsole(summary.str());
  EXPECT_EQ(facts.size(), 18u);
  velmora_test::ReportFolder dir;
  demo::WriteCsv(dir / "telemetry.csv", r);
  demo::WriteSvg(dir / "field.svg", r);
  demo::WriteCharts(dir / "charts.svg", r);
  EXPECT_EQ(velmora_test::ExpectReportFiles(dir.Path(), 15.0), r.telemetry.size());
  EXPECT_NE(m.console.find("  time  phase "), std::string::npos) << "the table's header";
  velmora_test::ReadConsole(m.console + summary.str());
}

#if defined(VELMORA_DEMO_PROGRAM)

// The program in WPILib's own (wall-clock) timing: a few seconds of autonomous, then the same
// summary and files as the stand-in build's. Wall-clock periods come late on a busy machine, so
// the counts are checked for plausibility, not to the period.
TEST(DemoTimedProgram, PlaysInWpilibPrintsTheSummaryAndWritesItsFiles) {
  constexpr double kSeconds = 3.0;
  velmora_test::ReportFolder scratch;
  const std::string out = scratch / "out";
  const velmora_test::ProgramRun run =
      velmora_test::RunDemoProgram({"--match-seconds", "3", "--out", out}, scratch.Path());
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  const auto facts = velmora_test::ReadConsole(run.out);
  ASSERT_EQ(facts.size(), 18u) << run.out;
  const double matchTime = facts.at("match time");
  EXPECT_GE(matchTime, kSeconds - 0.05);
  EXPECT_LE(matchTime, kSeconds + 1.0);
  const size_t rows = velmora_test::ExpectReportFiles(out, matchTime);
  EXPECT_GE(rows, static_cast<size_t>(kSeconds / kPeriodSeconds / 2));
  EXPECT_LE(rows, static_cast<size_t>(matchTime / kPeriodSeconds) + 2);
  EXPECT_NE(run.out.find("Wrote " + out + "/telemetry.csv (" + std::to_string(rows) + " rows), "),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("  time  phase "), std::string::npos) << "the table's header";
  EXPECT_NE(run.out.find("  -> enabled"), std::string::npos) << run.out;
  // The robot drove, as fast as its motors allow at most, and the field saw it go as far as its
  // encoders.
  EXPECT_GT(facts.at("encoder distance"), 0.5);
  EXPECT_NEAR(facts.at("field distance"), facts.at("encoder distance"), 0.05);
  EXPECT_LE(facts.at("top speed"), kFreeSpeed * 1.05);
  EXPECT_GT(facts.at("wall gap"), 0.0);
}

TEST(DemoTimedProgram, RefusesBadCommandLinesAndFoldersBeforeStartingTheRobot) {
  velmora_test::ReportFolder scratch;
  velmora_test::ExpectRefusalsOfTheProgram(scratch.Path());
}

#endif  // VELMORA_DEMO_PROGRAM

}  // namespace
