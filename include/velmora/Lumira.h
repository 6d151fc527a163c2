// Lumira: the colour sensor, reached over the CAN bus by its CAN ID or over USB by a port or a
// device path.
//
// One Lumira object stands for one open sensor. Every operation is a single call into the driver;
// the object keeps nothing but the device handle, so whatever it reports comes fresh from the
// sensor.
#pragma once

#include <cstdint>
#include <string>

#include "velmora/Export.h"

namespace velmora {

class VELMORA_API Lumira {
 public:
  // A USB port; the driver turns it into a device path.
  enum class Port : int { kUSB0 = 0, kUSB1 = 1, kUSB2 = 2, kUSB3 = 3 };

  // The link the sensor is attached over.
  enum class Transport : int { kCAN = 0, kUSB = 1 };

  // How the sensor reports a colour in ColorData's three components.
  enum class ColorFormat : unsigned char { kRGB = 0, kHSV = 1, kXYZ = 2 };

  // When the sensor measures; SetMeasureMode's number is the mode's parameter (for example the
  // trigger distance in millimetres).
  enum class MeasureMode : unsigned char { kContinuous = 0, kSingleShot = 1, kTriggered = 2 };

  // The configuration values GetConfig can read back.
  enum class ConfigItem : unsigned char {
    kColorFormat = 0,
    kSampleTimeMs = 1,
    kBrightness = 2,
    kMeasureMode = 3,
    kCanId = 4,
    kUsbOverride = 5,
    kStatusLed = 6,
  };

  // One colour reading, as the sensor gives it.
  struct VELMORA_API ColorData {
    uint16_t header = 0;
    float component1 = 0.0f;
    float component2 = 0.0f;
    float component3 = 0.0f;
    uint8_t trailer = 0;
  };

  // Opens the sensor with CAN ID 0 to 63. Throws std::out_of_range for another ID (nothing is
  // opened) and std::runtime_error if the sensor cannot be opened.
  explicit Lumira(int canId);
  // Opens the sensor on a USB port; `n` goes to the driver unchanged. Throws std::runtime_error
  // naming the port's device path if the sensor cannot be opened.
  Lumira(Port port, int n);
  // Opens the sensor at a device path; `n` goes to the driver unchanged. Throws
  // std::runtime_error naming the path if the sensor cannot be opened.
  Lumira(const std::string& path, int n);
  ~Lumira();

  // A sensor has one owner: it can be handed on, never duplicated. A moved-from Lumira holds no
  // sensor and may only be destroyed or assigned to.
  Lumira(const Lumira&) = delete;
  Lumira& operator=(const Lumira&) = delete;
  Lumira(Lumira&& other) noexcept;
  Lumira& operator=(Lumira&& other) noexcept;

  ColorData GetColor();

  // Each setter returns the sensor's answer: false when it refused or did not respond.
  bool SetColorFormat(ColorFormat format);
  bool SetSampleTimeMs(unsigned short milliseconds);
  bool SetBrightness(unsigned char brightness);
  bool SetStatusLed(bool on, unsigned char value);
  bool SetMeasureMode(MeasureMode mode, float value);
  bool SetZmm(float millimetres);
  bool SetUsbOverride(bool enable);
  // Gives the sensor a new CAN ID; the sensor decides which IDs it accepts.
  bool SetCanId(int canId);

  // Reads one configuration value into `value`. On false, `value` holds whatever the driver left
  // in it.
  bool GetConfig(ConfigItem item, unsigned int& value);

  int GetCanID() const;
  Transport GetTransport() const;

 private:
  void* m_handle = nullptr;
};

}  // namespace velmora
