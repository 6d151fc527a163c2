#pragma once

// One value of the stand-in's NetworkTables: a process-wide store of double,
// boolean and string values under their full path ("/SmartDashboard/A/Value"),
// with nothing sent anywhere. A default entry is invalid (tests false), as an
// entry without a table is in the real library: it reads as its default and
// takes no value.

#include <string>
#include <utility>

#include "wpi/StringRef.h"
#include "wpi/Twine.h"
#include "wpilib_standin/Export.h"

namespace nt {

class WPILIB_STANDIN_API NetworkTableEntry {
 public:
  NetworkTableEntry() = default;
  explicit NetworkTableEntry(std::string name) : m_name(std::move(name)) {}

  explicit operator bool() const { return !m_name.empty(); }

  std::string GetName() const { return m_name; }
  // Whether the entry holds a value.
  bool Exists() const;

  // A value of another type, or none, reads as the default.
  bool GetBoolean(bool defaultValue) const;
  double GetDouble(double defaultValue) const;
  std::string GetString(wpi::StringRef defaultValue) const;

  // Fails (false) on an invalid entry and on one that holds another type.
  bool SetBoolean(bool value);
  bool SetDouble(double value);
  bool SetString(const wpi::Twine& value);

 private:
  std::string m_name;
};

}  // namespace nt
