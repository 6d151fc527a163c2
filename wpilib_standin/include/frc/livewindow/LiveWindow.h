#pragma once

// LiveWindow: the dashboard's test-mode view of every object registered with
// LiveWindow on, under "/LiveWindow/<subsystem>/<name>" in the stand-in's
// NetworkTables. Outside LiveWindow mode the same tables are written as
// telemetry, on for every object until turned off, on each UpdateValues().

#include <functional>

#include "wpilib_standin/Export.h"

namespace frc {

class Sendable;

class WPILIB_STANDIN_API LiveWindow {
 public:
  LiveWindow(const LiveWindow&) = delete;
  LiveWindow& operator=(const LiveWindow&) = delete;

  // Run when LiveWindow mode starts and ends.
  std::function<void()> enabled;
  std::function<void()> disabled;

  static LiveWindow* GetInstance();

  void EnableTelemetry(Sendable* component);
  void DisableTelemetry(Sendable* component);
  void DisableAllTelemetry();

  bool IsEnabled() const;
  // Entering or leaving LiveWindow mode writes every table at once and puts each object in its
  // safe state.
  void SetEnabled(bool enabled);

  // Writes the tables; a robot program's loop calls it.
  void UpdateValues();

 private:
  LiveWindow() = default;

  bool m_liveWindowMode = false;
  bool m_startLiveWindowMode = false;
  bool m_telemetry = true;
};

}  // namespace frc
