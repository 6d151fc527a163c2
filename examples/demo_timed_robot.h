// The demo robot as WPILib runs it: a genuine frc::TimedRobot, started with frc::StartRobot.
//
// WPILib's loop calls the robot every 20 ms in WPILib's own (simulated) time, and the simulation
// driver follows that clock: nothing here steps the simulation. The robot's work is the demo
// robot's own (demo_robot.h); this class only hands it WPILib's calls and clock, and writes what it
// noticed to the console.
#pragma once

#include <frc/TimedRobot.h>

#include <iosfwd>
#include <vector>

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

  DemoRobot& Robot() { return m_robot; }
  // Every event so far, oldest first, and the telemetry of every period.
  const std::vector<Event>& Events() const { return m_events; }
  const std::vector<Telemetry>& History() const { return m_history; }

 private:
  static double Now();
  void Report(bool row);

  std::ostream& m_out;
  DemoRobot m_robot;
  bool m_matchStarted = false;
  long m_periods = 0;
  std::vector<Event> m_events;
  std::vector<Telemetry> m_history;
};

}  // namespace demo
