// Pallax: the scanning sensor, reached over the CAN bus by its CAN ID or over USB by a port or a
// device path.
//
// One Pallax object stands for one open sensor. It reads scans of up to 64 values and the
// sensor's configuration record; every operation is a single call into the driver.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "velmora/Export.h"

namespace velmora {

class VELMORA_API Pallax {
 public:
  static constexpr int kMaxScanLength = 64;

  // A USB port; the driver turns it into a device path.
  enum class Port : int { kUSB0 = 0, kUSB1 = 1, kUSB2 = 2, kUSB3 = 3 };

  // The link the sensor is attached over.
  enum class Transport : int { kCAN = 0, kUSB = 1 };

  // One scan: a leading byte and the values the sensor measured, in scan order.
  struct VELMORA_API ScanData {
    uint8_t header = 0;
    std::vector<int16_t> values;
  };

  // The sensor's configuration record: three values and three flags.
  struct VELMORA_API Config {
    uint8_t valueA = 0;
    bool flagA = false;
    bool flagB = false;
    bool flagC = false;
    uint8_t valueB = 0;
    uint8_t valueC = 0;
  };

  // Opens the sensor with CAN ID 0 to 63. Throws std::out_of_range for another ID (nothing is
  // opened) and std::runtime_error if the sensor cannot be opened.
  explicit Pallax(int canId);
  // Opens the sensor on a USB port; `n` goes to the driver unchanged. Throws std::runtime_error
  // naming the port's device path if the sensor cannot be opened.
  Pallax(Port port, int n);
  // Opens the sensor at a device path; `n` goes to the driver unchanged. Throws
  // std::runtime_error naming the path if the sensor cannot be opened.
  Pallax(const std::string& path, int n);
  ~Pallax();

  // A sensor has one owner: it can be handed on, never duplicated. A moved-from Pallax holds no
  // sensor and may only be destroyed or assigned to.
  Pallax(const Pallax&) = delete;
  Pallax& operator=(const Pallax&) = delete;
  Pallax(Pallax&& other) noexcept;
  Pallax& operator=(Pallax&& other) noexcept;

  // Asks for a scan of `length` values, brought into 1 to 64. The scan holds as many values as
  // the sensor reports, at most 64.
  ScanData GetData(int length);
  // Reads the configuration record; `item` goes to the driver unchanged.
  Config GetConfig(int item);

  int GetCanID() const;
  Transport GetTransport() const;

 private:
  void* m_handle = nullptr;
};

}  // namespace velmora
