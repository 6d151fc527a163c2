#pragma once

// The SmartDashboard table "/SmartDashboard" of the stand-in's NetworkTables
// (see networktables/NetworkTableEntry.h): numbers under their key, and
// dashboard objects under a key of their own, whose values are written there
// when the object is put and on each UpdateValues(). The members a robot
// program's tests use; all static.

#include <string>

#include "networktables/NetworkTableEntry.h"
#include "wpi/StringRef.h"
#include "wpilib_standin/Export.h"

namespace frc {

class Sendable;

class WPILIB_STANDIN_API SmartDashboard {
 public:
  SmartDashboard() = delete;

  static nt::NetworkTableEntry GetEntry(wpi::StringRef key);

  // Shows `data` under `key` ("/SmartDashboard/<key>/..."): the object describes itself to the
  // table and its values are written at once. The table stays with the object's registry entry,
  // also when the object is moved. A null object is an error (NullParameter), and nothing changes.
  static void PutData(wpi::StringRef key, Sendable* data);
  // The same under the object's registry name; an unnamed object is not shown.
  static void PutData(Sendable* value);
  // The object shown under `keyName`, or null (an error) if there is none.
  static Sendable* GetData(wpi::StringRef keyName);

  static bool PutNumber(wpi::StringRef keyName, double value);
  static double GetNumber(wpi::StringRef keyName, double defaultValue);

  // Writes the values of every object put on the dashboard; a robot program's loop calls it.
  static void UpdateValues();
};

}  // namespace frc
