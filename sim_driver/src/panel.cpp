#include "panel.h"

#include <cmath>
#include <utility>

namespace velmora_sim::internal {

Panel::Panel(const std::string& name) : m_device(wpilib::CreateDevice(name.c_str())) {}

Panel::~Panel() { wpilib::FreeDevice(m_device); }

Panel::Panel(Panel&& other) noexcept
    : m_device(std::exchange(other.m_device, 0)), m_values(std::move(other.m_values)) {}

Panel& Panel::operator=(Panel&& other) noexcept {
  if (this != &other) {
    wpilib::FreeDevice(m_device);
    m_device = std::exchange(other.m_device, 0);
    m_values = std::move(other.m_values);
  }
  return *this;
}

size_t Panel::Add(const char* name, bool settable, wpilib::Kind kind, double initial,
                  const char* const* options, int32_t count) {
  Value v;
  v.kind = kind;
  v.settable = settable;
  v.shown = initial;
  if (m_device != 0) {
    v.handle = wpilib::CreateValue(m_device, name, settable, kind, initial, options, count);
  }
  m_values.push_back(v);
  return m_values.size() - 1;
}

size_t Panel::Double(const char* name, bool settable, double initial) {
  return Add(name, settable, wpilib::Kind::kDouble, initial);
}

size_t Panel::Boolean(const char* name, bool settable, bool initial) {
  return Add(name, settable, wpilib::Kind::kBoolean, initial ? 1.0 : 0.0);
}

size_t Panel::Enum(const char* name, bool settable, const char* const* options, int32_t count,
                   int32_t initial) {
  return Add(name, settable, wpilib::Kind::kEnum, initial, options, count);
}

void Panel::Show(size_t slot, double value) {
  if (slot >= m_values.size()) return;
  Value& v = m_values[slot];
  if (v.handle == 0) return;
  // Compare bit for bit in effect: NaN never equals itself, so it is shown once and then kept.
  if (v.shown == value || (std::isnan(v.shown) && std::isnan(value))) return;
  v.shown = value;
  wpilib::SetValue(v.handle, v.kind, value);
}

std::optional<double> Panel::Changed(size_t slot) {
  if (slot >= m_values.size()) return std::nullopt;
  Value& v = m_values[slot];
  if (v.handle == 0 || !v.settable) return std::nullopt;
  const double now = wpilib::GetValue(v.handle);
  if (now == v.shown || (std::isnan(now) && std::isnan(v.shown))) return std::nullopt;
  v.shown = now;
  return now;
}

}  // namespace velmora_sim::internal
