// The demo robot as WPILib runs it: a genuine frc::TimedRobot, started with frc::StartRobot.
//
// WPILib's loop calls the robot every 20 ms in WPILib's own (simulated) time, and the simulation
// driver follows that clock: nothing here steps the simulation. The robot's work is the demo
// robot's own (demo_robot.h); this class only hands it WPILib's calls and clock, and records the
// match as the stepped match does (MatchRecorder), which writes what the robot noticed to the
// console.
#pragma once

#include <frc/TimedRobot.h>

#include <iosfwd>

#include "demo_match.h"
#include "demo_robot.h"

namespace demo {

class TimedDemoRobot : public frc::TimedRobot {
 public:
  // `out` gets the device identity, the robot's events and a telemetry row every half second.
  explicit TimedDemoRobot(std::ostream& out);
  TimedDemoRobot();  // writes to std::cout, as frc::StartRobot builds it

  void RobotInit() override;
  void AutonomousInit() override;
  void AutonomousPeriodic() override;
  // WPILib disables the robot when it starts, too; the demo robot's end of match comes only after
  // its autonomous period.
  void DisabledInit() override;

  // Ends a match still running as DisabledInit does; nothing when none is. For the program, whose
  // robot loop may end before WPILib called DisabledInit. Only while WPILib's loop is not running.
  void EndMatch();

  DemoRobot& Robot() { return m_robot; }
  // The match so far: telemetry of every period, events, the true path; complete after the end.
  const MatchResult& Result() const { return m_recorder.Result(); }

 private:
  static double Now();

  DemoRobot m_robot;
  MatchRecorder m_recorder;
  bool m_matchStarted = false;
  long m_periods = 0;
};

}  // namespace demo
