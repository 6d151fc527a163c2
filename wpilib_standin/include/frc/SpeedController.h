#pragma once

#include <units/units.h>

#include "frc/PIDOutput.h"
#include "wpilib_standin/Export.h"

namespace frc {

// A motor output driven by a speed from -1.0 to 1.0.
class WPILIB_STANDIN_API SpeedController : public PIDOutput {
 public:
  virtual ~SpeedController() = default;

  virtual void Set(double speed) = 0;

  // Sets the output as a voltage: Set(output / the battery voltage that
  // RobotController::GetInputVoltage() reports), with no clamping and no
  // guard against a zero battery voltage.
  virtual void SetVoltage(units::volt_t output);

  virtual double Get() const = 0;
  virtual void SetInverted(bool isInverted) = 0;
  virtual bool GetInverted() const = 0;
  virtual void Disable() = 0;
  virtual void StopMotor() = 0;
};

}  // namespace frc
