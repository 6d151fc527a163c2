#pragma once

#include "frc/PWM.h"
#include "frc/SpeedController.h"
#include "wpilib_standin/Export.h"

namespace frc {

class SendableBuilder;

// Base of speed controllers driven by a PWM output. Set applies the inversion
// flag; Get returns the output's speed as read back, without undoing the
// inversion.
class WPILIB_STANDIN_API PWMSpeedController : public PWM, public SpeedController {
 public:
  PWMSpeedController(PWMSpeedController&&) = default;
  PWMSpeedController& operator=(PWMSpeedController&&) = default;

  void Set(double value) override;
  double Get() const override;
  void SetInverted(bool isInverted) override;
  bool GetInverted() const override;
  void Disable() override;
  void StopMotor() override;
  void PIDWrite(double output) override;

 protected:
  explicit PWMSpeedController(int channel);
  void InitSendable(SendableBuilder& builder) override;

 private:
  bool m_isInverted = false;
};

}  // namespace frc
