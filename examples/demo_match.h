// A simulated match for the demo robot.
//
// This part stands in for what surrounds a robot program on a real field: WPILib's robot loop
// (calling the robot's methods every 20 ms), the field's control system (enabling and disabling
// the robot through the simulated driver station) and the field itself (the simulation driver's
// simulation, stepped in simulated time). It uses the simulation driver's extras to step time and
// to see where the robot really is; the robot itself (demo_robot.h) does not.
//
// The same options give the same match on every run and every machine: nothing here reads the
// clock.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "demo_robot.h"
#include "velmora_sim/SimDriver.h"

namespace demo {

struct MatchOptions {
  double matchSeconds = 15.0;  // how long the robot is enabled
  double reportSeconds = 0.5;  // one row of the telemetry table per this much simulated time
};

// Where the robot really was, from the simulation.
struct PathPoint {
  double time = 0.0;
  double x = 0.0;
  double y = 0.0;
  double heading = 0.0;  // radians, 0 along +x
};

struct MatchResult {
  std::vector<std::string> identity;  // what the devices said about themselves
  std::vector<Telemetry> telemetry;   // the robot's own view, one entry per period
  std::vector<PathPoint> path;        // the true pose, one entry per period (same index)
  std::vector<Event> events;
  velmora_sim::FieldLayout field;
  velmora::LidarMini::ScanData lastScan;  // the small lidar's last scan
  PathPoint scanPose;                     // where the robot was when the lidar took it
  double parkedAt = -1.0;                 // s into the match; -1 if it never parked
  double lineAt = -1.0;                   // s into the match the line was first seen; -1 never
  double fieldDistance = 0.0;             // m the robot really travelled
  double fieldWallGap = 0.0;              // m from the front bumper to the wall ahead, really
  float filteredNearest = -1.0f;          // the large lidar's nearest reading at the end, m
  float filteredNearestAngle = 0.0f;      // and its angle, degrees
};

// Records a match while it is played, whoever plays it (RunMatch below, or WPILib's own robot
// loop): the robot's telemetry and events, the true pose from the simulation, and what the
// devices and the field show at the end. The device identity, the table rows and the events go
// to `out` as they come.
class MatchRecorder {
 public:
  explicit MatchRecorder(std::ostream& out);

  // After RobotInit: the devices' identity and the table's header.
  void Started(const DemoRobot& robot);
  // After AutonomousInit: a match from here on (the identity is kept); the robot's events.
  void MatchStarted(DemoRobot& robot);
  // After every period, and after DisabledInit: the telemetry, the true pose, the events, and a
  // table row when `row`.
  void Period(DemoRobot& robot, bool row);
  // At the end, while the robot still has its devices: its last scan, the large lidar's nearest
  // reading, and where the robot really ended.
  void Finish(const DemoRobot& robot);

  const MatchResult& Result() const { return m_result; }

 private:
  void TakeEvents(DemoRobot& robot);

  std::ostream& m_out;
  MatchResult m_result;
  int64_t m_lastScanStamp = -1;
};

// Runs one match from a fresh simulation: the robot starts at the field's start position, is
// enabled for options.matchSeconds and disabled at the end. Prints the device identity, the
// telemetry table (every options.reportSeconds) and the robot's events to `out`; the library's
// own console reports (lidar frequency steps) go to std::cout as they happen.
MatchResult RunMatch(const MatchOptions& options, std::ostream& out);

}  // namespace demo
