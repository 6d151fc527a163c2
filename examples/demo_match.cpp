#include "demo_match.h"

#include <algorithm>
#include <cmath>
#include <ostream>
#include <string>
#include <utility>

#include "demo_report.h"
#include "velmora/MockDS.h"

namespace demo {

namespace sim = velmora_sim;
using namespace robot_map;

MatchRecorder::MatchRecorder(std::ostream& out) : m_out(out) { m_result.field = sim::Field(); }

void MatchRecorder::Started(const DemoRobot& robot) {
  m_result.identity = robot.Identity();
  for (const std::string& line : m_result.identity) m_out << line << '\n';
  m_out << '\n';
  PrintTableHeader(m_out);
}

void MatchRecorder::MatchStarted(DemoRobot& robot) {
  MatchResult fresh;
  fresh.identity = std::move(m_result.identity);
  fresh.field = sim::Field();
  m_result = std::move(fresh);
  m_lastScanStamp = -1;
  TakeEvents(robot);
}

void MatchRecorder::Period(DemoRobot& robot, bool row) {
  const Telemetry& t = robot.Latest();
  const sim::RobotPose pose = sim::Robot();
  // The robot's clock and the match's agree: its telemetry counts from the start of the match.
  const PathPoint here{t.time, pose.x, pose.y, pose.heading};
  if (robot.LastScan().timestamp != m_lastScanStamp) {
    m_lastScanStamp = robot.LastScan().timestamp;
    m_result.scanPose = here;
  }
  m_result.telemetry.push_back(t);
  m_result.path.push_back(here);
  TakeEvents(robot);
  if (row) PrintRow(m_out, t);
}

void MatchRecorder::Finish(const DemoRobot& robot) {
  const sim::RobotPose end = sim::Robot();
  m_result.lastScan = robot.LastScan();
  m_result.filteredNearest = robot.NearestFilteredDistance();
  m_result.filteredNearestAngle = robot.NearestFilteredAngle();
  m_result.fieldDistance = sim::RobotDistanceTravelled();
  m_result.fieldWallGap = sim::RayDistance(end.x, end.y, end.heading) - kBumperRadius;
}

void MatchRecorder::TakeEvents(DemoRobot& robot) {
  for (Event& event : robot.TakeEvents()) {
    PrintEvent(m_out, event);
    if (m_result.lineAt < 0.0 && event.text.find(" line ") != std::string::npos) {
      m_result.lineAt = event.time;
    }
    if (m_result.parkedAt < 0.0 && event.text.rfind("parked", 0) == 0) {
      m_result.parkedAt = event.time;
    }
    m_result.events.push_back(std::move(event));
  }
}

MatchResult RunMatch(const MatchOptions& options, std::ostream& out) {
  // A fresh field: the robot at its start position, its drive wheels on the drive controller.
  sim::Reset();
  sim::AttachDrive(kDriveCanId, kLeftMotor, kRightMotor, kMetresPerRevolution);

  const double matchSeconds = std::isfinite(options.matchSeconds)
                                  ? std::clamp(options.matchSeconds, kPeriodSeconds, 3600.0)
                                  : 15.0;
  const long periods = std::lround(matchSeconds / kPeriodSeconds);
  const double reportSeconds = std::isfinite(options.reportSeconds) && options.reportSeconds > 0.0
                                   ? options.reportSeconds
                                   : 0.5;
  const long reportEvery = std::max(1L, std::lround(reportSeconds / kPeriodSeconds));

  MatchRecorder recorder(out);
  {
    velmora::MockDS station;  // the field's control system: the robot starts disabled
    DemoRobot robot;
    robot.RobotInit();
    recorder.Started(robot);

    station.Enable();
    robot.AutonomousInit(sim::SimTime());
    recorder.MatchStarted(robot);
    for (long i = 0; i < periods; ++i) {
      robot.AutonomousPeriodic(sim::SimTime());
      recorder.Period(robot, i % reportEvery == 0);
      sim::SimStep(kPeriodSeconds);
    }

    station.Disable();
    robot.DisabledInit(sim::SimTime());
    recorder.Period(robot, true);
    recorder.Finish(robot);
  }
  return recorder.Result();
}

}  // namespace demo
