#include "Robot.h"

#include <frc/RobotBase.h>
#include <velmora_sim/SimDriver.h>

#include <cstdio>

void Robot::AutonomousInit() {
  m_timer.Reset();
  m_timer.Start();
  m_reported = false;
}

void Robot::AutonomousPeriodic() {
  const double speed = m_timer.Get() < kAutonomousSeconds ? kAutonomousSpeed : 0.0;
  m_left.Set(speed);
  m_right.Set(speed);
}

void Robot::DisabledInit() {
  m_left.Set(0.0);
  m_right.Set(0.0);
}

void Robot::SimulationInit() {
  velmora_sim::AttachDrive(kDriveCanId, kLeftMotor, kRightMotor, kMetresPerRevolution);
  velmora_sim::PlaceRobot({1.0, 2.0, 0.0});
}

void Robot::SimulationPeriodic() {
  if (!m_reported && IsAutonomous() && IsEnabled() && m_timer.Get() > kAutonomousSeconds + 0.5) {
    m_reported = true;
    const velmora_sim::RobotPose pose = velmora_sim::Robot();
    std::printf("Robot: autonomous done at x=%.2f m, y=%.2f m, %.2f m driven\n", pose.x, pose.y,
                velmora_sim::RobotDistanceTravelled());
    std::fflush(stdout);
  }
}

#ifndef RUNNING_FRC_TESTS
int main() { return frc::StartRobot<Robot>(); }
#endif
