#pragma once

#include <stddef.h>

#include <string>

#include "wpi/Twine.h"
#include "wpilib_standin/Export.h"

namespace frc {

class Sendable;

// Process-wide registry of dashboard objects, keyed by address: each entry
// holds a name, a subsystem ("Ungrouped" until set), a LiveWindow flag and a
// parent. Names built from a module type and channel read "Type[channel]" or
// "Type[module,channel]".
//
// SmartDashboard and LiveWindow attach tables to entries (see the stand-in's
// README): Move then has the moved-to object describe itself again, as
// WPILib's registry does.
class WPILIB_STANDIN_API SendableRegistry {
 public:
  SendableRegistry(const SendableRegistry&) = delete;
  SendableRegistry& operator=(const SendableRegistry&) = delete;

  using UID = size_t;

  static SendableRegistry& GetInstance();

  void Add(Sendable* sendable, const wpi::Twine& name);
  void Add(Sendable* sendable, const wpi::Twine& moduleType, int channel);
  void Add(Sendable* sendable, const wpi::Twine& moduleType, int moduleNumber, int channel);
  void Add(Sendable* sendable, const wpi::Twine& subsystem, const wpi::Twine& name);

  void AddLW(Sendable* sendable, const wpi::Twine& name);
  void AddLW(Sendable* sendable, const wpi::Twine& moduleType, int channel);
  void AddLW(Sendable* sendable, const wpi::Twine& moduleType, int moduleNumber, int channel);
  void AddLW(Sendable* sendable, const wpi::Twine& subsystem, const wpi::Twine& name);

  void AddChild(Sendable* parent, Sendable* child);
  void AddChild(Sendable* parent, void* child);

  bool Remove(Sendable* sendable);
  void Move(Sendable* to, Sendable* from);
  bool Contains(const Sendable* sendable) const;

  std::string GetName(const Sendable* sendable) const;
  void SetName(Sendable* sendable, const wpi::Twine& name);
  void SetName(Sendable* sendable, const wpi::Twine& moduleType, int channel);
  void SetName(Sendable* sendable, const wpi::Twine& moduleType, int moduleNumber, int channel);
  void SetName(Sendable* sendable, const wpi::Twine& subsystem, const wpi::Twine& name);

  std::string GetSubsystem(const Sendable* sendable) const;
  void SetSubsystem(Sendable* sendable, const wpi::Twine& subsystem);

  // LiveWindow shows (and, in its test mode, drives) only the entries it is enabled for.
  void EnableLiveWindow(Sendable* sendable);
  void DisableLiveWindow(Sendable* sendable);

 private:
  SendableRegistry() = default;
};

}  // namespace frc
