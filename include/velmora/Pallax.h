/// @file
/// The scanning sensor `velmora::Pallax`, on CAN or USB.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "velmora/Export.h"

namespace velmora {

/// The scanning sensor, reached over the CAN bus by its CAN ID or over USB by a port or a
/// device path.
///
/// It reads scans of up to 64 values and the sensor's configuration record; every operation is
/// a single call into the driver. Opening, the CAN ID range and the messages are those of
/// Lumira, with "Pallax" as the device word.
///
/// **Lifetime.** Constructing opens the sensor (or throws, leaving nothing open); destroying
/// closes it. Movable (the moved-from object holds no sensor and may only be destroyed or
/// assigned to), not copyable.
///
/// **Threads.** No locks: use one object from one thread at a time.
class VELMORA_API Pallax {
 public:
  /// The most values one scan holds.
  static constexpr int kMaxScanLength = 64;

  /// A USB port; the driver turns it into a device path.
  enum class Port : int {
    kUSB0 = 0,  ///< USB port 0.
    kUSB1 = 1,  ///< USB port 1.
    kUSB2 = 2,  ///< USB port 2.
    kUSB3 = 3,  ///< USB port 3.
  };

  /// The link the sensor is attached over.
  enum class Transport : int {
    kCAN = 0,  ///< The CAN bus.
    kUSB = 1,  ///< USB.
  };

  /// One scan, as the sensor reports it.
  struct VELMORA_API ScanData {
    uint8_t header = 0;  ///< The scan's leading byte (a scan counter on the simulated device).
    /// The measured values in scan order, on the sensor's own scale; at most kMaxScanLength.
    std::vector<int16_t> values;
  };

  /// The sensor's configuration record: three values and three flags, each the sensor's own.
  struct VELMORA_API Config {
    uint8_t valueA = 0;  ///< First configuration value.
    bool flagA = false;  ///< First configuration flag.
    bool flagB = false;  ///< Second configuration flag.
    bool flagC = false;  ///< Third configuration flag.
    uint8_t valueB = 0;  ///< Second configuration value.
    uint8_t valueC = 0;  ///< Third configuration value.
  };

  /// Opens the sensor with CAN ID `canId`, 0 to 63.
  /// @throws std::out_of_range "Pallax CAN ID must be in [0, 63], got: <id>" for another ID
  /// (nothing is opened).
  /// @throws std::runtime_error "Failed to open Pallax on CAN ID <id>" if the sensor does not
  /// answer.
  explicit Pallax(int canId);
  /// Opens the sensor on a USB port; `n` goes to the driver unchanged.
  /// @throws std::runtime_error "Failed to open Pallax on <path>", naming the port's device
  /// path, if the sensor cannot be opened.
  Pallax(Port port, int n);
  /// Opens the sensor at a device path (such as "/dev/ttyACM1"); `n` goes to the driver
  /// unchanged.
  /// @throws std::runtime_error "Failed to open Pallax on <path>" if the sensor cannot be
  /// opened.
  Pallax(const std::string& path, int n);
  /// Closes the sensor (nothing for a moved-from object).
  ~Pallax();

  Pallax(const Pallax&) = delete;             ///< Not copyable: one owner per sensor.
  Pallax& operator=(const Pallax&) = delete;  ///< Not copyable: one owner per sensor.
  /// Takes the sensor over; `other` holds none afterwards.
  Pallax(Pallax&& other) noexcept;
  /// Closes this object's sensor, then takes over the sensor of `other`.
  Pallax& operator=(Pallax&& other) noexcept;

  /// Asks for a scan of `length` values, brought into 1 to 64. The scan holds as many values as
  /// the sensor reports, at most 64.
  ScanData GetData(int length);
  /// Reads the configuration record; `item`, the sensor's own selector, goes to the driver
  /// unchanged.
  Config GetConfig(int item);

  /// The sensor's CAN ID as it reports it.
  int GetCanID() const;
  /// The link the sensor is attached over.
  Transport GetTransport() const;

 private:
  void* m_handle = nullptr;
};

}  // namespace velmora
