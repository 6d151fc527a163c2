#include "frc/RobotController.h"

#include <atomic>

#include "wpilib_standin/Sim.h"

namespace {

std::atomic<double>& InputVoltage() {
  static std::atomic<double> volts{wpilib_standin::kDefaultInputVoltage};
  return volts;
}

}  // namespace

namespace frc {

double RobotController::GetInputVoltage() { return InputVoltage().load(); }

}  // namespace frc

namespace wpilib_standin {

void SetInputVoltage(double volts) { InputVoltage().store(volts); }

}  // namespace wpilib_standin
