#pragma once

#include <frc/TimedRobot.h>
#include <frc/Timer.h>
#include <velmora/Orvex.h>

// A drive base on one Orvex controller: the left wheels on motor 0, the right wheels on motor 1.
// In autonomous it drives forward for two seconds, then stops.
class Robot : public frc::TimedRobot {
 public:
  static constexpr int kDriveCanId = 5;
  static constexpr int kLeftMotor = 0;
  static constexpr int kRightMotor = 1;
  // How far a wheel rolls in one motor revolution, after the gearbox (metres).
  static constexpr double kMetresPerRevolution = 0.02;
  static constexpr double kAutonomousSpeed = 0.3;
  static constexpr double kAutonomousSeconds = 2.0;

  void AutonomousInit() override;
  void AutonomousPeriodic() override;
  void DisabledInit() override;
  // Desktop simulation only (WPILib never calls these on the robot): the simulated field.
  void SimulationInit() override;
  void SimulationPeriodic() override;

 private:
  velmora::Orvex m_drive{kDriveCanId};
  velmora::Orvex::Motor& m_left = m_drive.GetMotor(kLeftMotor);
  velmora::Orvex::Motor& m_right = m_drive.GetMotor(kRightMotor);
  frc::Timer m_timer;
  bool m_reported = false;
};
