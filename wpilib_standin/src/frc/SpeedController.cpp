#include "frc/SpeedController.h"

#include "frc/RobotController.h"

namespace frc {

void SpeedController::SetVoltage(units::volt_t output) {
  Set(output / units::volt_t(RobotController::GetInputVoltage()));
}

}  // namespace frc
