#include "demo_match.h"

#include <algorithm>
#include <cmath>
#include <ostream>

#include "demo_report.h"
#include "velmora/MockDS.h"

namespace demo {

namespace sim = velmora_sim;
using namespace robot_map;

namespace {

PathPoint Where() {
  const sim::RobotPose pose = sim::Robot();
  return PathPoint{sim::SimTime(), pose.x, pose.y, pose.heading};
}

void Report(std::ostream& out, DemoRobot& robot, MatchResult& result) {
  for (Event& event : robot.TakeEvents()) {
    PrintEvent(out, event);
    if (result.lineAt < 0.0 && event.text.find(" line ") != std::string::npos) {
      result.lineAt = event.time;
    }
    if (result.parkedAt < 0.0 && event.text.rfind("parked", 0) == 0) result.parkedAt = event.time;
    result.events.push_back(std::move(event));
  }
}

}  // namespace

MatchResult RunMatch(const MatchOptions& options, std::ostream& out) {
  // A fresh field: the robot at its start position, its drive wheels on the drive controller.
  sim::Reset();
  sim::AttachDrive(kDriveCanId, kLeftMotor, kRightMotor, kMetresPerRevolution);

  MatchResult result;
  result.field = sim::Field();
  const double matchSeconds = std::isfinite(options.matchSeconds)
                                  ? std::clamp(options.matchSeconds, kPeriodSeconds, 3600.0)
                                  : 15.0;
  const long periods = std::lround(matchSeconds / kPeriodSeconds);
  const double reportSeconds = std::isfinite(options.reportSeconds) && options.reportSeconds > 0.0
                                   ? options.reportSeconds
                                   : 0.5;
  const long reportEvery = std::max(1L, std::lround(reportSeconds / kPeriodSeconds));
  result.telemetry.reserve(static_cast<size_t>(periods) + 1);
  result.path.reserve(static_cast<size_t>(periods) + 1);

  {
    velmora::MockDS station;  // the field's control system: the robot starts disabled
    DemoRobot robot;
    robot.RobotInit();
    result.identity = robot.Identity();
    for (const std::string& line : result.identity) out << line << '\n';
    out << '\n';
    PrintTableHeader(out);

    station.Enable();
    const double start = sim::SimTime();
    robot.AutonomousInit(start);
    Report(out, robot, result);
    int64_t lastScanStamp = -1;
    for (long i = 0; i < periods; ++i) {
      robot.AutonomousPeriodic(sim::SimTime());
      const PathPoint here = Where();
      if (robot.LastScan().timestamp != lastScanStamp) {
        lastScanStamp = robot.LastScan().timestamp;
        result.scanPose = here;
      }
      result.telemetry.push_back(robot.Latest());
      result.path.push_back(PathPoint{here.time - start, here.x, here.y, here.heading});
      Report(out, robot, result);
      if (i % reportEvery == 0) PrintRow(out, robot.Latest());
      sim::SimStep(kPeriodSeconds);
    }

    station.Disable();
    robot.DisabledInit(sim::SimTime());
    const PathPoint here = Where();
    result.telemetry.push_back(robot.Latest());
    result.path.push_back(PathPoint{here.time - start, here.x, here.y, here.heading});
    Report(out, robot, result);
    PrintRow(out, robot.Latest());

    result.lastScan = robot.LastScan();
    result.filteredNearest = robot.NearestFilteredDistance();
    result.filteredNearestAngle = robot.NearestFilteredAngle();
    result.fieldDistance = sim::RobotDistanceTravelled();
    result.fieldWallGap = sim::RayDistance(here.x, here.y, here.heading) - kBumperRadius;
  }
  PrintSummary(out, result);
  return result;
}

}  // namespace demo
