#include "frc/livewindow/LiveWindow.h"

#include "Internal.h"

namespace frc {

// Never destroyed, so that objects destroyed at exit find it.
LiveWindow* LiveWindow::GetInstance() {
  static LiveWindow* instance = new LiveWindow;
  return instance;
}

void LiveWindow::EnableTelemetry(Sendable* component) {
  m_telemetry = true;
  wpilib_standin::dashboard::SetTelemetry(component, true);
}

void LiveWindow::DisableTelemetry(Sendable* component) {
  wpilib_standin::dashboard::SetTelemetry(component, false);
}

void LiveWindow::DisableAllTelemetry() {
  m_telemetry = false;
  wpilib_standin::dashboard::DisableAllTelemetry();
}

bool LiveWindow::IsEnabled() const { return m_liveWindowMode; }

void LiveWindow::SetEnabled(bool enabled) {
  if (m_liveWindowMode == enabled) return;
  m_liveWindowMode = enabled;
  m_startLiveWindowMode = enabled;
  UpdateValues();
  if (enabled) {
    if (this->enabled) this->enabled();
  } else {
    wpilib_standin::dashboard::StopLiveWindowMode();
    if (this->disabled) this->disabled();
  }
}

void LiveWindow::UpdateValues() {
  if (!m_liveWindowMode && !m_telemetry) return;
  wpilib_standin::dashboard::UpdateLiveWindow(m_liveWindowMode, m_startLiveWindowMode);
  m_startLiveWindowMode = false;
}

}  // namespace frc
