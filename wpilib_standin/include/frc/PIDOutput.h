#pragma once

#include "wpilib_standin/Export.h"

namespace frc {

// Something a control loop can write its output to.
class WPILIB_STANDIN_INTERFACE PIDOutput {
 public:
  virtual void PIDWrite(double output) = 0;
};

}  // namespace frc
