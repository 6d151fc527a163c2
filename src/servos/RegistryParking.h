// A servo's dashboard entry, held aside while a servo is built from, or assigned from, another.
#pragma once

#include <frc/smartdashboard/Sendable.h>
#include <frc/smartdashboard/SendableBuilder.h>
#include <frc/smartdashboard/SendableRegistry.h>

#include <string>

namespace velmora::servos {

// WPILib's dashboard registry follows a moved object: moving a PWM output re-keys its entry to
// the new object and, once a dashboard table is attached to the entry (a SmartDashboard key,
// LiveWindow or its telemetry), has the new object describe itself again on the spot. A PWM
// output's move constructor asks for that from inside its base classes, where the new object has
// no InitSendable yet: the program would stop on a pure virtual call.
//
// A parking is constructed before that base: it takes the old servo's entry (describing nothing
// meanwhile, so the table keeps no getters into a servo being moved) and hands it on to the new
// servo once that is complete, which then describes itself with its own getters and setters. The
// registry asks the parking to describe itself exactly when a table is attached to the entry, so
// the parking also learns whether a dashboard shows the entry.
class RegistryParking final : public frc::Sendable {
 public:
  explicit RegistryParking(frc::Sendable& from) {
    auto& registry = frc::SendableRegistry::GetInstance();
    if (!registry.Contains(&from)) return;
    registry.Move(this, &from);
    m_held = true;
    m_name = registry.GetName(this);
  }
  RegistryParking(const RegistryParking&) = delete;
  RegistryParking& operator=(const RegistryParking&) = delete;
  RegistryParking(RegistryParking&&) = delete;
  RegistryParking& operator=(RegistryParking&&) = delete;
  // An entry never handed on leaves the registry here (the one an assignment drops, or the new
  // servo's construction threw).
  ~RegistryParking() override {
    if (m_held) frc::SendableRegistry::GetInstance().Remove(this);
  }

  bool Holds() const { return m_held; }
  // Whether a dashboard table is attached to the entry held.
  bool Shown() const { return m_shown; }
  // The held entry's name ("Servo[3]"); empty without an entry.
  const std::string& Name() const { return m_name; }

  // Gives the entry, if there is one, to the complete servo `to`, which describes itself to its
  // table.
  void HandTo(frc::Sendable& to) {
    if (!m_held) return;
    frc::SendableRegistry::GetInstance().Move(&to, this);
    m_held = false;
  }

  // Lets go of a held entry that a table shows, leaving it in the registry out of every object's
  // reach: a SmartDashboard key may show it, and WPILib 2020 crashes on a key whose entry has
  // gone. It describes nothing (the parking gave it no getters, setters or listeners), LiveWindow
  // leaves it alone, and a key that shows it keeps its last values. Removing is what the parking
  // does with an entry no table shows.
  void LetGo() {
    if (!m_held || !m_shown) return;
    auto& registry = frc::SendableRegistry::GetInstance();
    registry.DisableLiveWindow(this);
    // WPILib's registry leaves an object's entry behind when another entry moves onto the object:
    // a placeholder's entry takes this parking's place, and leaves with it.
    Placeholder placeholder;
    registry.Add(&placeholder, "");
    registry.Move(this, &placeholder);
    registry.Remove(this);
    m_held = false;
  }

  void InitSendable(frc::SendableBuilder& builder) override {
    m_shown = true;
    builder.SetSafeState([] {});
    builder.SetUpdateTable([] {});
  }

 private:
  class Placeholder final : public frc::Sendable {
   public:
    void InitSendable(frc::SendableBuilder& /*builder*/) override {}
  };

  bool m_held = false;
  bool m_shown = false;
  std::string m_name;
};

// Which entry an assigned-to servo ends with, `mine` holding its own and `theirs` that of the
// servo assigned from (now moved from, and in the registry no more). The other entry leaves the
// registry with its parking.
//
// As a WPILib object's move does, the entry goes with the move: the assigned-to servo takes the
// other servo's entry, its name (the channel it now drives), SmartDashboard keys and LiveWindow
// table included. One case keeps the servo's own entry instead: no table shows the other entry yet
// while one shows this servo's, as in `arm = Servo(5)` with `arm` on the dashboard; the entry then
// takes the other one's name. A servo assigned from one that has no entry (its channel was
// refused) keeps its own only while a table shows it.
//
// The registry keeps one entry per object. When tables show both entries (a SmartDashboard key
// may show either), the servo's own is let go rather than removed (see LetGo): a key that showed
// the assigned-to servo keeps its last values and never crashes the dashboard.
inline void KeepEntryAfterAssignment(frc::Sendable& to, RegistryParking& mine,
                                     RegistryParking& theirs) {
  if (theirs.Holds() && (theirs.Shown() || !mine.Shown())) {
    theirs.HandTo(to);
    mine.LetGo();
  } else if (mine.Shown()) {
    mine.HandTo(to);
    if (theirs.Holds()) frc::SendableRegistry::GetInstance().SetName(&to, theirs.Name());
  }
}

}  // namespace velmora::servos
