#include "demo_timed_robot.h"

#include <frc/Timer.h>

#include <iostream>

namespace demo {

namespace {
// One row of the telemetry table every half second: 25 periods of 20 ms.
constexpr long kRowEvery = 25;
}  // namespace

TimedDemoRobot::TimedDemoRobot(std::ostream& out)
    : frc::TimedRobot(units::second_t(robot_map::kPeriodSeconds)), m_recorder(out) {}

TimedDemoRobot::TimedDemoRobot() : TimedDemoRobot(std::cout) {}

double TimedDemoRobot::Now() { return frc::Timer::GetFPGATimestamp(); }

void TimedDemoRobot::RobotInit() {
  m_robot.RobotInit();
  m_recorder.Started(m_robot);
}

void TimedDemoRobot::AutonomousInit() {
  m_matchStarted = true;
  m_periods = 0;
  m_robot.AutonomousInit(Now());
  m_recorder.MatchStarted(m_robot);
}

void TimedDemoRobot::AutonomousPeriodic() {
  m_robot.AutonomousPeriodic(Now());
  m_recorder.Period(m_robot, m_periods % kRowEvery == 0);
  ++m_periods;
}

void TimedDemoRobot::DisabledInit() { EndMatch(); }

void TimedDemoRobot::EndMatch() {
  if (!m_matchStarted) return;
  m_matchStarted = false;
  m_robot.DisabledInit(Now());
  m_recorder.Period(m_robot, true);
  m_recorder.Finish(m_robot);
}

}  // namespace demo
