#include "velmora/Lumira.h"

#include <cstring>

#include "CanUsbDevice.h"

namespace velmora {
namespace {

// The driver writes the configuration value through a pointer to its own 32-bit unsigned type.
static_assert(sizeof(unsigned int) == sizeof(uint32_t), "unsigned int must be 32 bits wide");

sensors::CanUsbDriver Driver() {
  return {"Lumira", &c_Lumira_create, &c_Lumira_createUsb, &c_Lumira_destroy};
}

}  // namespace

Lumira::Lumira(int canId) : m_handle(sensors::OpenOnCan(Driver(), canId)) {}

// The path string that the driver hands back lives until the delegated construction is over,
// whether that succeeds or throws.
Lumira::Lumira(Port port, int n) : Lumira(sensors::DevicePathOf(port), n) {}

Lumira::Lumira(const std::string& path, int n) : m_handle(sensors::OpenAtPath(Driver(), path, n)) {}

Lumira::~Lumira() { sensors::Close(Driver(), m_handle); }

Lumira::Lumira(Lumira&& other) noexcept : m_handle(sensors::TakeHandle(other.m_handle)) {}

Lumira& Lumira::operator=(Lumira&& other) noexcept {
  sensors::MoveAssign(Driver(), m_handle, other.m_handle);
  return *this;
}

Lumira::ColorData Lumira::GetColor() {
  // Cleared first, so that a driver that writes nothing yields zeros rather than stack leftovers.
  velmora_driver::LumiraColorRecord record;
  std::memset(&record, 0, sizeof record);
  c_Lumira_getColor(m_handle, &record);

  ColorData color;
  color.header = record.header;
  color.component1 = record.component1;
  color.component2 = record.component2;
  color.component3 = record.component3;
  color.trailer = record.trailer;
  return color;
}

bool Lumira::SetColorFormat(ColorFormat format) {
  return c_Lumira_setColorFormat(m_handle, static_cast<uint8_t>(format));
}

bool Lumira::SetSampleTimeMs(unsigned short milliseconds) {
  return c_Lumira_setSampleTimeMs(m_handle, milliseconds);
}

bool Lumira::SetBrightness(unsigned char brightness) {
  return c_Lumira_setBrightness(m_handle, brightness);
}

bool Lumira::SetStatusLed(bool on, unsigned char value) {
  return c_Lumira_setStatusLed(m_handle, on, value);
}

bool Lumira::SetMeasureMode(MeasureMode mode, float value) {
  return c_Lumira_setMeasureMode(m_handle, static_cast<uint8_t>(mode), value);
}

bool Lumira::SetZmm(float millimetres) { return c_Lumira_setZmm(m_handle, millimetres); }

bool Lumira::SetUsbOverride(bool enable) { return c_Lumira_setUsbOverride(m_handle, enable); }

bool Lumira::SetCanId(int canId) { return c_Lumira_setCanId(m_handle, canId); }

bool Lumira::GetConfig(ConfigItem item, unsigned int& value) {
  return c_Lumira_getConfig(m_handle, static_cast<uint8_t>(item), &value);
}

int Lumira::GetCanID() const { return c_Lumira_getCanID(m_handle); }

Lumira::Transport Lumira::GetTransport() const {
  return sensors::TransportFrom<Transport>(c_Lumira_getTransport(m_handle));
}

}  // namespace velmora
