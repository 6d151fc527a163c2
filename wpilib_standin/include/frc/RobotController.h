#pragma once

#include "wpilib_standin/Export.h"

namespace frc {

// Status of the robot controller itself.
class WPILIB_STANDIN_API RobotController {
 public:
  RobotController() = delete;

  // The battery voltage at the controller's input, in volts. The stand-in
  // reports 12.0 unless a test sets another value (wpilib_standin/Sim.h).
  static double GetInputVoltage();
};

}  // namespace frc
