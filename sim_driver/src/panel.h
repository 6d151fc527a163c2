// One simulated device as WPILib's simulation shows it: a sim device named after the device's kind
// and address ("Orvex[5]", "LidarMini[USB0]"), with one sim value per quantity.
//
// Values the program commands (a motor's speed, a lidar's frequency) are read-only there: the
// driver shows them as its model has them. Values a real device measures from outside the robot
// (an analog voltage, the colour under a sensor, a limit switch) are settable: a tool or a test
// writes them and the model reads them back on the next driver call.
//
// A panel lives as long as its device model; it frees its sim device when the model goes. In a
// build without WPILib a panel is empty and costs nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "wpilib_link.h"

namespace velmora_sim::internal {

class Panel {
 public:
  Panel() = default;
  explicit Panel(const std::string& name);
  ~Panel();
  Panel(Panel&& other) noexcept;
  Panel& operator=(Panel&& other) noexcept;
  Panel(const Panel&) = delete;
  Panel& operator=(const Panel&) = delete;

  bool Shown() const { return m_device != 0; }

  // Adds a value and returns its slot; values appear in the order they were added.
  size_t Double(const char* name, bool settable, double initial);
  size_t Boolean(const char* name, bool settable, bool initial);
  size_t Enum(const char* name, bool settable, const char* const* options, int32_t count,
              int32_t initial);

  // Shows the model's value (only touching WPILib when it changed).
  void Show(size_t slot, double value);
  // A settable value that a tool or a test changed since the driver last showed it: its new value.
  // The driver takes it as shown.
  std::optional<double> Changed(size_t slot);
  // What the slot shows now (after Changed, the value set from outside).
  double Shown(size_t slot) const { return slot < m_values.size() ? m_values[slot].shown : 0.0; }

 private:
  size_t Add(const char* name, bool settable, wpilib::Kind kind, double initial,
             const char* const* options = nullptr, int32_t count = 0);

  struct Value {
    int32_t handle = 0;
    wpilib::Kind kind = wpilib::Kind::kDouble;
    bool settable = false;
    double shown = 0.0;
  };
  int32_t m_device = 0;
  std::vector<Value> m_values;
};

}  // namespace velmora_sim::internal
