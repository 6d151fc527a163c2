#include "frc/PWMSpeedController.h"

#include "frc/smartdashboard/SendableBuilder.h"

namespace frc {

PWMSpeedController::PWMSpeedController(int channel) : PWM(channel) {}

void PWMSpeedController::Set(double speed) { SetSpeed(m_isInverted ? -speed : speed); }

// The speed as the output holds it: inversion is not undone.
double PWMSpeedController::Get() const { return GetSpeed(); }

void PWMSpeedController::SetInverted(bool isInverted) { m_isInverted = isInverted; }

bool PWMSpeedController::GetInverted() const { return m_isInverted; }

void PWMSpeedController::Disable() { SetDisabled(); }

void PWMSpeedController::StopMotor() { PWM::StopMotor(); }

void PWMSpeedController::PIDWrite(double output) { Set(output); }

void PWMSpeedController::InitSendable(SendableBuilder& builder) {
  builder.SetSmartDashboardType("Speed Controller");
  builder.SetActuator(true);
  builder.SetSafeState([this] { SetDisabled(); });
  builder.AddDoubleProperty(
      "Value", [this] { return GetSpeed(); }, [this](double value) { SetSpeed(value); });
}

}  // namespace frc
