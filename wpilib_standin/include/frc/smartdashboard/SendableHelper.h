#pragma once

#include <memory>
#include <string>

#include "frc/smartdashboard/Sendable.h"
#include "frc/smartdashboard/SendableRegistry.h"
#include "wpi/Twine.h"
#include "wpi/deprecated.h"

namespace frc {

// Mixin for a Sendable class Derived (used as SendableHelper<Derived>): keeps
// the registry entry with the object. Moving an object moves its entry;
// copying leaves the registry alone; destroying the object removes the entry.
template <typename Derived>
class SendableHelper {
 public:
  SendableHelper(const SendableHelper& rhs) = default;
  SendableHelper& operator=(const SendableHelper& rhs) = default;

  SendableHelper(SendableHelper&& rhs) {
    // Safe to repeat with the same rhs: a second Move finds nothing to move.
    // The new Derived object is still being constructed, so this cannot be
    // converted to it yet; its Sendable part lies at the same distance from
    // this helper as the Sendable part of rhs lies from rhs.
    Sendable* from = static_cast<Derived*>(&rhs);
    auto offset = reinterpret_cast<char*>(from) - reinterpret_cast<char*>(&rhs);
    Sendable* to = reinterpret_cast<Sendable*>(reinterpret_cast<char*>(this) + offset);
    SendableRegistry::GetInstance().Move(to, from);
  }

  SendableHelper& operator=(SendableHelper&& rhs) {
    SendableRegistry::GetInstance().Move(static_cast<Derived*>(this), static_cast<Derived*>(&rhs));
    return *this;
  }

  WPI_DEPRECATED("use SendableRegistry::GetName()")
  std::string GetName() const {
    return SendableRegistry::GetInstance().GetName(static_cast<const Derived*>(this));
  }

  WPI_DEPRECATED("use SendableRegistry::SetName()")
  void SetName(const wpi::Twine& name) {
    SendableRegistry::GetInstance().SetName(static_cast<Derived*>(this), name);
  }

  WPI_DEPRECATED("use SendableRegistry::SetName()")
  void SetName(const wpi::Twine& subsystem, const wpi::Twine& name) {
    SendableRegistry::GetInstance().SetName(static_cast<Derived*>(this), subsystem, name);
  }

  WPI_DEPRECATED("use SendableRegistry::GetSubsystem()")
  std::string GetSubsystem() const {
    return SendableRegistry::GetInstance().GetSubsystem(static_cast<const Derived*>(this));
  }

  WPI_DEPRECATED("use SendableRegistry::SetSubsystem()")
  void SetSubsystem(const wpi::Twine& subsystem) {
    SendableRegistry::GetInstance().SetSubsystem(static_cast<Derived*>(this), subsystem);
  }

 protected:
  WPI_DEPRECATED("use SendableRegistry::AddChild()")
  void AddChild(std::shared_ptr<Sendable> child) {
    SendableRegistry::GetInstance().AddChild(static_cast<Derived*>(this), child.get());
  }

  WPI_DEPRECATED("use SendableRegistry::AddChild()")
  void AddChild(void* child) {
    SendableRegistry::GetInstance().AddChild(static_cast<Derived*>(this), child);
  }

  WPI_DEPRECATED("use SendableRegistry::SetName()")
  void SetName(const wpi::Twine& moduleType, int channel) {
    SendableRegistry::GetInstance().SetName(static_cast<Derived*>(this), moduleType, channel);
  }

  WPI_DEPRECATED("use SendableRegistry::SetName()")
  void SetName(const wpi::Twine& moduleType, int moduleNumber, int channel) {
    SendableRegistry::GetInstance().SetName(static_cast<Derived*>(this), moduleType, moduleNumber,
                                            channel);
  }

 protected:
  SendableHelper() = default;

  ~SendableHelper() {
    // Safe to repeat: removing an absent object does nothing.
    SendableRegistry::GetInstance().Remove(static_cast<Derived*>(this));
  }
};

}  // namespace frc
