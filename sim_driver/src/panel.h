// One simulated device as WPILib's simulation shows it: a sim device named after the device's kind
// and address ("Orvex[5]", "LidarMini[USB0]"), with one sim value per quantity.
//
// Values the program commands (a motor's speed, a lidar's frequency) are read-only there: the
// driver shows them as its model has them. Values a real device measures from outside the robot
// (an analog voltage, the colour under a sensor, a limit switch) are settable: a tool or a test
// writes them and the model reads them on its next driver call. No such set is lost: the driver
// watches each settable value, and never shows a model's value over a set the model has not read.
//
// A model changes its panel under the driver's lock, which must never be held while WPILib's sim
// API runs: WPILib runs a sim value's callbacks under its own lock, and a callback may well call
// back into a device. So a panel only records what it shows; the driver's outermost call, once
// it has let go of its lock, publishes every panel's changes to WPILib (Publish): it creates the
// sim devices of new panels, frees those of released ones, and sets the values that changed.
//
// WPILib's sim data can be reset under an open device (HALSIM_ResetSimDeviceData), after which
// its handles name nothing, or another device. Before it touches a sim device the publisher looks
// it up by name; one that is no longer there is created afresh with the model's values.
//
// A panel lives as long as its device model. In a build without WPILib a panel is empty and costs
// nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "wpilib_link.h"

namespace velmora_sim::internal {

struct PanelRecord;  // what the publisher knows of one panel

class Panel {
 public:
  Panel() = default;
  explicit Panel(const std::string& name);
  ~Panel();
  Panel(Panel&& other) noexcept;
  Panel& operator=(Panel&& other) noexcept;
  Panel(const Panel&) = delete;
  Panel& operator=(const Panel&) = delete;

  // Whether the panel takes part in WPILib's simulation (a named panel in a build with WPILib).
  bool Shown() const { return m_record != nullptr; }

  // Adds a value and returns its slot; values appear in the order they were added.
  size_t Double(const char* name, bool settable, double initial);
  size_t Boolean(const char* name, bool settable, bool initial);
  size_t Enum(const char* name, bool settable, const char* const* options, int32_t count,
              int32_t initial);

  // Shows the model's value: the next publish sets it in WPILib, if it changed.
  void Show(size_t slot, double value);
  // A settable value that a tool or a test set since the model last read it: its new value,
  // which the panel then shows.
  std::optional<double> Changed(size_t slot);
  // What the slot shows now (after Changed, the value set from outside).
  double Shown(size_t slot) const { return slot < m_values.size() ? m_values[slot] : 0.0; }

 private:
  size_t Add(const char* name, bool settable, wpilib::Kind kind, double initial,
             const char* const* options = nullptr, int32_t count = 0);
  void Release();

  std::shared_ptr<PanelRecord> m_record;
  std::vector<double> m_values;  // the model's side: what each slot shows
};

// Publishes every panel's changes to WPILib. Called without the driver's lock, by one thread at a
// time (the driver's publishing rounds see to that). Bounded: a callback that calls back into a
// device on every set cannot keep it going; what is left goes with the next round.
void Publish();

}  // namespace velmora_sim::internal
