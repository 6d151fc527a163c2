// A servo's dashboard entry, held aside while a new servo is built from the old one.
#pragma once

#include <frc/smartdashboard/Sendable.h>
#include <frc/smartdashboard/SendableRegistry.h>

namespace velmora::servos {

// WPILib's dashboard registry follows a moved object: moving a PWM output re-keys its entry to
// the new object and, once a dashboard table is attached to the entry (a SmartDashboard key,
// LiveWindow or its telemetry), has the new object describe itself again on the spot. A PWM
// output's move constructor asks for that from inside its base classes, where the new object has
// no InitSendable yet: the program would stop on a pure virtual call.
//
// A parking is constructed before that base: it takes the old servo's entry (describing nothing
// meanwhile, so the table keeps no getters into a servo being moved) and hands it on to the new
// servo once that is complete, which then describes itself with its own getters and setters.
class RegistryParking final : public frc::Sendable {
 public:
  explicit RegistryParking(frc::Sendable& from) {
    frc::SendableRegistry::GetInstance().Move(this, &from);
  }
  RegistryParking(const RegistryParking&) = delete;
  RegistryParking& operator=(const RegistryParking&) = delete;
  RegistryParking(RegistryParking&&) = delete;
  RegistryParking& operator=(RegistryParking&&) = delete;
  // An entry never handed on (the new servo's construction threw) leaves the registry here.
  ~RegistryParking() override { frc::SendableRegistry::GetInstance().Remove(this); }

  // Gives the entry, if the old servo had one, to the complete new servo.
  void HandTo(frc::Sendable& to) { frc::SendableRegistry::GetInstance().Move(&to, this); }

  void InitSendable(frc::SendableBuilder& /*builder*/) override {}
};

}  // namespace velmora::servos
