#pragma once

// The stand-in's NetworkTables instance: the one process-wide store of
// NetworkTableEntry.h. Only the default instance exists.

#include "networktables/NetworkTableEntry.h"
#include "wpi/Twine.h"
#include "wpilib_standin/Export.h"

namespace nt {

class WPILIB_STANDIN_API NetworkTableInstance {
 public:
  static NetworkTableInstance GetDefault();

  // The entry at the full path `name`, e.g. "/LiveWindow/Ungrouped/Servo[3]/Value".
  NetworkTableEntry GetEntry(const wpi::Twine& name);

  // Waits until the table listeners have been told of every change. The stand-in has no
  // listeners, so there is never anything to wait for.
  bool WaitForEntryListenerQueue(double /*timeout*/) { return true; }

 private:
  NetworkTableInstance() = default;
};

}  // namespace nt
