// Opening and closing a sensor that sits either on the CAN bus or on USB.
//
// The colour sensor and the Pallax sensor are opened the same way: by a CAN ID that must lie in
// 0 to 63, or by a device path, with a USB port first turned into its path by the driver. Only
// the word that names the device in messages and the three driver calls differ, so both classes
// share this one implementation of the checks, the messages and the release.
#pragma once

#include <cstdint>
#include <string>

#include "../driver_link/VelmoraDriver.h"

namespace velmora::sensors {

// The driver calls that open and release one kind of sensor, and its name in messages.
struct CanUsbDriver {
  const char* deviceWord;
  void* (*create)(int32_t canId);
  void* (*createUsb)(const char* path, int32_t n);
  void (*destroy)(void* handle);
};

constexpr int kLowestCanId = 0;
constexpr int kHighestCanId = 63;

// Checks the CAN ID, then opens the sensor. Throws std::out_of_range for an ID outside 0 to 63
// (without asking the driver) and std::runtime_error if the driver gives no handle.
void* OpenOnCan(const CanUsbDriver& driver, int canId);

// Opens the sensor at a device path. Throws std::runtime_error naming the path if the driver
// gives no handle.
void* OpenAtPath(const CanUsbDriver& driver, const std::string& path, int n);

// Releases the handle, if there is one, and leaves null behind. A moved-from object holds null
// and so makes no driver call.
void Close(const CanUsbDriver& driver, void*& handle) noexcept;

// Takes the handle of a moved-from object, leaving it null.
void* TakeHandle(void*& from) noexcept;

// Hands `from`'s sensor to `to`, releasing the sensor `to` held before.
void MoveAssign(const CanUsbDriver& driver, void*& to, void*& from) noexcept;

// The device path of a USB port, as the driver names it. The port's number passes unchanged.
template <typename PortEnum>
std::string DevicePathOf(PortEnum port) {
  return FindDevicePath(static_cast<int32_t>(port));
}

// The driver reports 1 for a sensor on USB; every other value means the CAN bus.
template <typename TransportEnum>
TransportEnum TransportFrom(int32_t reported) {
  return reported == 1 ? TransportEnum::kUSB : TransportEnum::kCAN;
}

}  // namespace velmora::sensors
