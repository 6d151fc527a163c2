// Servo: a positional servo with 300 degrees of travel on a WPILib PWM output.
//
// The output sends pulses from 0.5 ms (position 0.0, 0 degrees) to 2.5 ms (position 1.0,
// 300 degrees) with no deadband, at the four-times PWM period. The bottom of the range is the
// shortest pulse the output can produce, one raw step above "no pulse" (about 0.502 ms), so that
// every angle keeps the output taking commands. All state lives in the PWM output.
#pragma once

#include <frc/PWM.h>

#include "velmora/Export.h"

namespace frc {
class SendableBuilder;
}  // namespace frc

namespace velmora {

class VELMORA_API Servo : public frc::PWM {
 public:
  explicit Servo(int channel);
  ~Servo() override;

  // Moving hands the channel over. Assigning releases this servo's own channel (its output is
  // switched off) before taking over the other's, so the released channel can be opened again.
  // Not noexcept: the WPILib moves it is made of are not.
  Servo(Servo&&) = default;
  // NOLINTNEXTLINE(performance-noexcept-move-constructor)
  Servo& operator=(Servo&& other);

  // Position 0.0 to 1.0; limiting is the PWM output's.
  void Set(double value);
  // Stops the pulse (raw value 0) until the next position is set.
  void SetOffline();
  double Get() const;

  // Angle in degrees; values outside 0 to 300 are clamped.
  void SetAngle(double degrees);
  double GetAngle() const;
  double GetMaxAngle() const;
  double GetMinAngle() const;

  // Dashboard: type "Servo" with the property "Value", the position 0.0 to 1.0.
  void InitSendable(frc::SendableBuilder& builder) override;

 private:
  double GetServoAngleRange() const;
};

}  // namespace velmora
