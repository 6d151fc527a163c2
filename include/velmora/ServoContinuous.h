/// @file
/// The continuous-rotation servo `velmora::ServoContinuous` on a WPILib PWM output.
#pragma once

#include <frc/PWMSpeedController.h>

#include "velmora/Export.h"

namespace velmora {

namespace servos {
class RegistryParking;
}  // namespace servos

/// A continuous-rotation servo on a WPILib PWM output, driven as a WPILib speed controller
/// (`frc::PWMSpeedController`) from -1.0 (full reverse) to 1.0 (full forward).
///
/// The pulse runs from 0.5 ms (full reverse) through the 1.5 ms stop point to 2.5 ms (full
/// forward), with a deadband of 1.45 ms to 1.55 ms, at the four-times PWM period. Full reverse
/// is the shortest pulse the output can produce, one raw step above "no pulse" (about 0.502 ms),
/// so that every speed keeps the output taking commands. The output starts stopped and latched.
/// Everything else (Set, Get, inversion, StopMotor, the dashboard description) is WPILib's PWM
/// speed controller, unchanged; the dashboard name is "ServoContinuous[<channel>]". It never calls
/// the maker's driver.
///
/// **Lifetime.** Constructing claims the PWM channel, destroying releases it. Movable, not
/// copyable. Moving constructs a servo that takes the dashboard entry along (name,
/// LiveWindow entry, SmartDashboard keys), also while a dashboard table is attached to it.
///
/// **Threads.** WPILib's PWM rules: use one object from one thread at a time.
class VELMORA_API ServoContinuous : public frc::PWMSpeedController {
 public:
  /// Claims PWM `channel` (0 to 9 on the roboRIO's header, 10 to 19 on its MXP port), stopped,
  /// and reports it for usage.
  explicit ServoContinuous(int channel);
  /// Releases the PWM channel.
  ~ServoContinuous() override;

  /// Takes over the channel and the dashboard entry of another servo; the moved-from servo owns
  /// neither. Not noexcept: the WPILib moves it is made of are not.
  // NOLINTNEXTLINE(performance-noexcept-move-constructor)
  ServoContinuous(ServoContinuous&& other);
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
  ServoContinuous& operator=(ServoContinuous&& other);

 private:
  // The move constructor's work: moves from `other`, whose dashboard entry waits in `parking`
  // until this servo is complete.
  ServoContinuous(ServoContinuous& other, servos::RegistryParking&& parking);
};

}  // namespace velmora
