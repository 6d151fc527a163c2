// LidarMini: the small 360-degree scanning lidar.
//
// One LidarMini object stands for one lidar opened on a port. It starts and stops scanning, steps
// the scan frequency in whole and tenth hertz within 6 to 12 Hz (reporting every step on the
// console), and reads the device's information, health and scans.
//
// The device is released only by Destroy(): letting the object go out of scope leaves the lidar
// open in the driver, so that a program can hand the lidar on between objects.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "velmora/Export.h"

namespace velmora {

class VELMORA_API LidarMini {
 public:
  // The port the lidar is plugged into; its number goes to the driver unchanged.
  enum class Port : int { kUSB0 = 0, kUSB1 = 1, kUSB2 = 2, kUSB3 = 3 };

  // One scan as three parallel lists: entry i of each list belongs to point i of the scan, in the
  // order the lidar swept it.
  struct VELMORA_API ScanData {
    std::vector<float> angles;     // degrees, 0 to 360
    std::vector<float> distances;  // the lidar's unit; 0 or below: no valid reading
    std::vector<float> qualities;  // as the lidar reports them
    int64_t timestamp = 0;         // the lidar's per-scan stamp

    // The distance of the valid point whose angle is nearest to `angle`, if it lies within
    // `tolerance` degrees (inclusive), else -1. Whole turns do not count and the difference folds
    // at 180 degrees, so 359.5 is 1 degree away from 0.5 and a gyro heading of 630 looks at 270.
    // Of equally near points the first wins. A point or query whose angle is not finite never
    // matches. Only points present in both `angles` and `distances` are looked at.
    float GetDistanceAt(float angle, float tolerance) const;
  };

  // What the lidar says about itself. A default record is all zeros.
  struct VELMORA_API LidarInfo {
    uint8_t model = 0;
    uint8_t firmwareMinor = 0;
    uint8_t firmwareMajor = 0;
    uint8_t hardware = 0;
    uint8_t serialNumber[16] = {};

    // The serial number as 32 upper-case hexadecimal digits, first byte first ("0AFF00...").
    std::string GetSerialString() const;
  };

  // The lidar's own health report. A default record is all zeros.
  struct LidarHealth {
    uint8_t status = 0;
    uint16_t errorCode = 0;
  };

  // Opens the lidar on `port`. If the driver cannot open it the object is inert: every call
  // quietly does nothing and reads return empty records.
  explicit LidarMini(Port port);

  // Two objects must never release the same device, so a LidarMini is not copied. Moving hands
  // the device over and leaves the source inert. There is no move assignment: it would drop the
  // target's open device without releasing it; Destroy() the target first and construct anew.
  LidarMini(const LidarMini&) = delete;
  LidarMini& operator=(const LidarMini&) = delete;
  LidarMini(LidarMini&& other) noexcept;
  LidarMini& operator=(LidarMini&&) = delete;

  void Start();
  void Stop();

  // Releases the device; the object is inert from then on. Safe to call more than once.
  void Destroy();

  // Scan frequency steps. The frequency is kept by this object (a new object starts at 6 Hz) and
  // never read back from the lidar. A step that would leave 6 to 12 Hz is refused with a
  // "blocked" line on std::cerr; an applied step is reported on std::cout.
  void IncreaseFrequencyHz();
  void IncreaseFrequencyTenthHz();
  void DecreaseFrequencyHz();
  void DecreaseFrequencyTenthHz();
  float GetCurrentFrequency() const;

  LidarInfo GetInfo();
  LidarHealth GetHealth();
  ScanData GetData();

 private:
  void ApplyFrequencyChange(float step, bool increase);

  void* m_handle = nullptr;
  float m_currentFrequency = 6.0f;
};

}  // namespace velmora
