#include "CanUsbDevice.h"

#include <stdexcept>

namespace velmora::sensors {

void* OpenOnCan(const CanUsbDriver& driver, int canId) {
  if (canId < kLowestCanId || canId > kHighestCanId) {
    throw std::out_of_range(std::string(driver.deviceWord) + " CAN ID must be in [" +
                            std::to_string(kLowestCanId) + ", " + std::to_string(kHighestCanId) +
                            "], got: " + std::to_string(canId));
  }
  void* handle = driver.create(static_cast<int32_t>(canId));
  if (handle == nullptr) {
    throw std::runtime_error("Failed to open " + std::string(driver.deviceWord) + " on CAN ID " +
                             std::to_string(canId));
  }
  return handle;
}

void* OpenAtPath(const CanUsbDriver& driver, const std::string& path, int n) {
  void* handle = driver.createUsb(path.c_str(), static_cast<int32_t>(n));
  if (handle == nullptr) {
    throw std::runtime_error("Failed to open " + std::string(driver.deviceWord) + " on " + path);
  }
  return handle;
}

void Close(const CanUsbDriver& driver, void*& handle) noexcept {
  if (handle == nullptr) return;
  driver.destroy(handle);
  handle = nullptr;
}

void* TakeHandle(void*& from) noexcept {
  void* handle = from;
  from = nullptr;
  return handle;
}

void MoveAssign(const CanUsbDriver& driver, void*& to, void*& from) noexcept {
  if (&to == &from) return;
  Close(driver, to);
  to = TakeHandle(from);
}

}  // namespace velmora::sensors
