// MockDS: a simulated driver station, so that a robot program can run without a real one and
// switch itself between enabled and disabled.
//
// The driver keeps one simulated station for the whole process; the object only creates it,
// commands it and destroys it.
#pragma once

#include "velmora/Export.h"

namespace velmora {

class VELMORA_API MockDS {
 public:
  MockDS();
  ~MockDS();

  // Destroying the station twice would pull it from under another MockDS: not copyable, not
  // movable.
  MockDS(const MockDS&) = delete;
  MockDS& operator=(const MockDS&) = delete;
  MockDS(MockDS&&) = delete;
  MockDS& operator=(MockDS&&) = delete;

  // Every call reaches the station, also when it repeats the last one.
  void Enable();
  void Disable();
};

}  // namespace velmora
