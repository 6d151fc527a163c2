/// @file
/// The positional 300-degree servo `velmora::Servo` on a WPILib PWM output.
#pragma once

#include <frc/PWM.h>

#include "velmora/Export.h"

namespace frc {
class SendableBuilder;
}  // namespace frc

namespace velmora {

namespace servos {
class RegistryParking;
}  // namespace servos

/// A positional servo with 300 degrees of travel on a WPILib PWM output (`frc::PWM`).
///
/// The output sends pulses from 0.5 ms (position 0.0, 0 degrees) to 2.5 ms (position 1.0,
/// 300 degrees) with no deadband, at the four-times PWM period. The bottom of the range is the
/// shortest pulse the output can produce, one raw step above "no pulse" (about 0.502 ms), so
/// that every angle keeps the output taking commands. It never calls the maker's driver: all
/// state lives in the PWM output. Shown on the dashboard as "Servo[<channel>]".
///
/// **Lifetime.** Constructing claims the PWM channel, destroying releases it (WPILib's PWM
/// rules). Movable (the moved-from object owns no channel), not copyable. Moving
/// constructs a servo that takes the dashboard entry along (name, LiveWindow entry, SmartDashboard
/// keys), also while a dashboard table is attached to it.
///
/// **Threads.** WPILib's PWM rules: use one object from one thread at a time.
class VELMORA_API Servo : public frc::PWM {
 public:
  /// Claims PWM `channel` (0 to 9 on the roboRIO's header, 10 to 19 on its MXP port) with the
  /// servo's pulse settings and reports the servo for usage.
  explicit Servo(int channel);
  /// Releases the PWM channel.
  ~Servo() override;

  /// Takes over the channel and the dashboard entry of another servo; the moved-from servo owns
  /// neither. Not noexcept: the WPILib moves it is made of are not.
  // NOLINTNEXTLINE(performance-noexcept-move-constructor)
  Servo(Servo&& other);
  /// Releases this servo's own channel (its output is switched off) and takes over the channel
  /// of `other`, so that the released channel can be opened again. The dashboard entry goes with
  /// the move, as with WPILib's own objects: this servo takes the entry of `other` (its name,
  /// SmartDashboard keys and LiveWindow table, now showing this servo) and its own leaves the
  /// registry; `other` is left with none. Except when no dashboard table shows the entry of
  /// `other` yet while one shows this servo's (`arm = Servo(5)` with `arm` on the dashboard): this
  /// servo then keeps its own entry, under the name of `other`. When tables show both entries,
  /// this servo's own stays in the registry describing nothing, so that a SmartDashboard key on it
  /// keeps working (with its last values). Assigning a servo to itself changes nothing. Not
  /// noexcept: the WPILib moves it is made of are not.
  // NOLINTNEXTLINE(performance-noexcept-move-constructor)
  Servo& operator=(Servo&& other);

  /// Moves to position `value`, 0.0 (0 degrees) to 1.0 (300 degrees); the PWM output limits
  /// values outside.
  void Set(double value);
  /// Stops the pulse (raw value 0) until the next Set or SetAngle: the servo goes limp.
  void SetOffline();
  /// The position last set, 0.0 to 1.0, read back from the PWM output.
  double Get() const;

  /// Moves to `degrees`, 0 to 300; values outside are clamped.
  void SetAngle(double degrees);
  /// The angle last set, in degrees, 0 to 300.
  double GetAngle() const;
  /// 300 degrees: the far end of the travel.
  double GetMaxAngle() const;
  /// 0 degrees: the near end of the travel.
  double GetMinAngle() const;

  /// Dashboard description: type "Servo" with the property "Value", the position 0.0 to 1.0,
  /// readable and settable.
  void InitSendable(frc::SendableBuilder& builder) override;

 private:
  // The move constructor's work: moves from `other`, whose dashboard entry waits in `parking`
  // until this servo is complete.
  Servo(Servo& other, servos::RegistryParking&& parking);

  double GetServoAngleRange() const;
};

}  // namespace velmora
