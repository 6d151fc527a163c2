#include "velmora/Pallax.h"

#include <algorithm>
#include <cstring>

#include "CanUsbDevice.h"

namespace velmora {
namespace {

static_assert(Pallax::kMaxScanLength == velmora_driver::kPallaxMaxValues,
              "a scan holds as many values as the driver's scan record");

sensors::CanUsbDriver Driver() {
  return {"Pallax", &c_Pallax_create, &c_Pallax_createUsb, &c_Pallax_destroy};
}

}  // namespace

Pallax::Pallax(int canId) : m_handle(sensors::OpenOnCan(Driver(), canId)) {}

// The path string that the driver hands back lives until the delegated construction is over,
// whether that succeeds or throws.
Pallax::Pallax(Port port, int n) : Pallax(sensors::DevicePathOf(port), n) {}

Pallax::Pallax(const std::string& path, int n) : m_handle(sensors::OpenAtPath(Driver(), path, n)) {}

Pallax::~Pallax() { sensors::Close(Driver(), m_handle); }

Pallax::Pallax(Pallax&& other) noexcept : m_handle(sensors::TakeHandle(other.m_handle)) {}

Pallax& Pallax::operator=(Pallax&& other) noexcept {
  sensors::MoveAssign(Driver(), m_handle, other.m_handle);
  return *this;
}

Pallax::ScanData Pallax::GetData(int length) {
  // The sensor is always asked for 1 to 64 values.
  const int32_t requested = std::clamp(length, 1, kMaxScanLength);

  // Cleared first, so that a driver that writes nothing yields an empty scan, not stack leftovers.
  velmora_driver::PallaxScanRecord record;
  std::memset(&record, 0, sizeof record);
  c_Pallax_getData(m_handle, &record, requested);

  ScanData scan;
  scan.header = record.header;
  // The record's own count says how many entries are valid. It is trusted only as far as the
  // record reaches: a count below 0 gives no values, one above 64 gives the 64 entries there are.
  const int32_t count = std::clamp<int32_t>(record.count, 0, kMaxScanLength);
  scan.values.assign(record.values, record.values + count);
  return scan;
}

Pallax::Config Pallax::GetConfig(int item) {
  velmora_driver::PallaxConfigRecord record;
  std::memset(&record, 0, sizeof record);
  c_Pallax_getConfig(m_handle, &record, item);

  Config config;
  config.valueA = record.valueA;
  config.flagA = record.flagA != 0;
  config.flagB = record.flagB != 0;
  config.flagC = record.flagC != 0;
  config.valueB = record.valueB;
  config.valueC = record.valueC;
  return config;
}

int Pallax::GetCanID() const { return c_Pallax_getCanID(m_handle); }

Pallax::Transport Pallax::GetTransport() const {
  return sensors::TransportFrom<Transport>(c_Pallax_getTransport(m_handle));
}

}  // namespace velmora
