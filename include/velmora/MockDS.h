/// @file
/// The simulated driver station `velmora::MockDS`.
#pragma once

#include "velmora/Export.h"

namespace velmora {

/// A simulated driver station, so that a robot program can run without a real one and switch
/// itself between enabled and disabled.
///
/// **Lifetime.** The driver keeps one simulated station for the whole process: constructing an
/// object creates it, destroying the object destroys it, also under any other MockDS still
/// alive. Keep exactly one. Not copyable, not movable (either would destroy the station
/// twice).
///
/// **Threads.** No locks: command the station from one thread at a time.
class VELMORA_API MockDS {
 public:
  /// Creates the simulated station; it starts disabled.
  MockDS();
  /// Destroys the simulated station.
  ~MockDS();

  MockDS(const MockDS&) = delete;             ///< Not copyable: would destroy it twice.
  MockDS& operator=(const MockDS&) = delete;  ///< Not copyable: would destroy it twice.
  MockDS(MockDS&&) = delete;                  ///< Not movable: would destroy it twice.
  MockDS& operator=(MockDS&&) = delete;       ///< Not movable: would destroy it twice.

  /// Enables the robot. Every call reaches the station, also when it repeats the last one.
  void Enable();
  /// Disables the robot. Every call reaches the station, also when it repeats the last one.
  void Disable();
};

}  // namespace velmora
