#include "demo_timed_robot.h"

#include <frc/Timer.h>

#include <iostream>
#include <string>
#include <utility>

#include "demo_report.h"

namespace demo {

namespace {
// One row of the telemetry table every half second: 25 periods of 20 ms.
constexpr long kRowEvery = 25;
}  // namespace

TimedDemoRobot::TimedDemoRobot(std::ostream& out)
    : frc::TimedRobot(units::second_t(robot_map::kPeriodSeconds)), m_out(out) {}

TimedDemoRobot::TimedDemoRobot() : TimedDemoRobot(std::cout) {}

double TimedDemoRobot::Now() { return frc::Timer::GetFPGATimestamp(); }

void TimedDemoRobot::RobotInit() {
  m_robot.RobotInit();
  for (const std::string& line : m_robot.Identity()) m_out << line << '\n';
  m_out << '\n';
  PrintTableHeader(m_out);
}

void TimedDemoRobot::AutonomousInit() {
  m_matchStarted = true;
  m_periods = 0;
  m_robot.AutonomousInit(Now());
  Report(false);
}

void TimedDemoRobot::AutonomousPeriodic() {
  m_robot.AutonomousPeriodic(Now());
  Report(m_periods % kRowEvery == 0);
  ++m_periods;
}

void TimedDemoRobot::DisabledInit() {
  if (!m_matchStarted) return;
  m_matchStarted = false;
  m_robot.DisabledInit(Now());
  Report(true);
}

void TimedDemoRobot::Report(bool row) {
  for (Event& event : m_robot.TakeEvents()) {
    PrintEvent(m_out, event);
    m_events.push_back(std::move(event));
  }
  m_history.push_back(m_robot.Latest());
  if (row) PrintRow(m_out, m_robot.Latest());
}

}  // namespace demo
