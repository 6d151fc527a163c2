#pragma once

// The stand-in publishes nothing to NetworkTables; an entry is only the value
// type that SendableBuilder::GetEntry returns. A default entry is invalid
// (tests false), as an entry without a table is in the real library.

namespace nt {

class NetworkTableEntry {
 public:
  NetworkTableEntry() = default;

  explicit operator bool() const { return false; }
};

}  // namespace nt
