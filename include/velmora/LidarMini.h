/// @file
/// The small 360-degree scanning lidar `velmora::LidarMini`.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "velmora/Export.h"

namespace velmora {

/// The small 360-degree scanning lidar: one object per lidar opened on a port.
///
/// It starts and stops scanning, steps the scan frequency in whole and tenth hertz within 6 to
/// 12 Hz (reporting every step on std::cout), and reads the lidar's information, health and
/// scans. If the lidar cannot be opened the object is inert: every call quietly does nothing and
/// reads return empty records.
///
/// **Lifetime.** The lidar is released only by Destroy(): letting the object go out of scope
/// leaves the lidar open in the driver (so that a program can hand it on between objects), and
/// a port whose lidar is open cannot be opened again. Call Destroy() when done. Not copyable;
/// moving hands the lidar over and leaves the source inert.
///
/// **Threads.** No locks: use one object from one thread at a time.
class VELMORA_API LidarMini {
 public:
  /// The USB port the lidar is plugged into; the number goes to the driver unchanged.
  enum class Port : int {
    kUSB0 = 0,  ///< USB port 0.
    kUSB1 = 1,  ///< USB port 1.
    kUSB2 = 2,  ///< USB port 2.
    kUSB3 = 3,  ///< USB port 3.
  };

  /// One scan as three parallel lists: entry i of each list belongs to point i of the scan, in
  /// the order the lidar swept it. An empty record means no scan (stopped or inert lidar).
  struct VELMORA_API ScanData {
    /// Degrees, 0 to 360, counter-clockwise from the lidar's front.
    std::vector<float> angles;
    /// Distance to what the point hit, in the lidar's own unit (metres on the simulated
    /// device); 0 or below means no valid reading.
    std::vector<float> distances;
    /// Signal quality on the lidar's own scale (higher is better; 0 with no reading on the
    /// simulated device).
    std::vector<float> qualities;
    /// The lidar's stamp for this scan (microseconds on the simulated device).
    int64_t timestamp = 0;

    /// The distance of the valid point whose angle is nearest to `angle` (degrees), if it lies
    /// within `tolerance` degrees (inclusive); else -1. Whole turns do not count and the
    /// difference folds at 180 degrees, so 359.5 is 1 degree from 0.5 and a gyro heading of 630
    /// looks at 270. Of equally near points the first wins. A point or query whose angle is not
    /// finite never matches. Only points present in both `angles` and `distances` are looked at.
    float GetDistanceAt(float angle, float tolerance) const;
  };

  /// What the lidar says about itself. A default record is all zeros.
  struct VELMORA_API LidarInfo {
    uint8_t model = 0;              ///< The lidar's model code.
    uint8_t firmwareMinor = 0;      ///< Firmware version, minor part (32 in 1.32).
    uint8_t firmwareMajor = 0;      ///< Firmware version, major part (1 in 1.32).
    uint8_t hardware = 0;           ///< Hardware revision.
    uint8_t serialNumber[16] = {};  ///< The serial number's 16 bytes, first byte first.

    /// The serial number as 32 upper-case hexadecimal digits, first byte first ("0AFF00...").
    std::string GetSerialString() const;
  };

  /// The lidar's own health report. A default record is all zeros.
  struct LidarHealth {
    uint8_t status = 0;      ///< The lidar's status code (0: good on the simulated device).
    uint16_t errorCode = 0;  ///< The lidar's error code, 0 when there is none.
  };

  /// Opens the lidar on `port`. Never throws for a lidar that does not answer: the object is
  /// inert then.
  explicit LidarMini(Port port);

  LidarMini(const LidarMini&) = delete;             ///< Not copyable: two owners of one lidar.
  LidarMini& operator=(const LidarMini&) = delete;  ///< Not copyable: two owners of one lidar.
  /// Takes over the lidar of `other`, which is inert afterwards (its frequency record comes
  /// along).
  LidarMini(LidarMini&& other) noexcept;
  /// Not provided: it would drop the target's open lidar without releasing it. Destroy() the
  /// target first and construct anew.
  LidarMini& operator=(LidarMini&&) = delete;

  /// Starts scanning.
  void Start();
  /// Stops scanning; GetData returns empty scans until the next Start.
  void Stop();

  /// Releases the lidar; the object is inert from then on. Safe to call more than once.
  void Destroy();

  /// Raises the scan frequency by 1 Hz. The frequency is kept by this object (a new object
  /// starts at 6 Hz) and never read back from the lidar. A step that would leave 6 to 12 Hz is
  /// refused with a "blocked" line on std::cerr; an applied step prints
  /// "[LidarMini] Scan frequency → <Hz> Hz" on std::cout.
  void IncreaseFrequencyHz();
  /// Raises the scan frequency by 0.1 Hz, within 6 to 12 Hz (as IncreaseFrequencyHz).
  void IncreaseFrequencyTenthHz();
  /// Lowers the scan frequency by 1 Hz, within 6 to 12 Hz (as IncreaseFrequencyHz).
  void DecreaseFrequencyHz();
  /// Lowers the scan frequency by 0.1 Hz, within 6 to 12 Hz (as IncreaseFrequencyHz).
  void DecreaseFrequencyTenthHz();
  /// The scan frequency this object has set, in hertz, 6 to 12.
  float GetCurrentFrequency() const;

  /// Model, firmware, hardware and serial number; all zeros from an inert object.
  LidarInfo GetInfo();
  /// The lidar's health report; all zeros from an inert object.
  LidarHealth GetHealth();
  /// The latest scan (a new one each turn of the lidar, so at the scan frequency).
  ScanData GetData();

 private:
  void ApplyFrequencyChange(float step, bool increase);

  void* m_handle = nullptr;
  float m_currentFrequency = 6.0f;
};

}  // namespace velmora
