/// @file
/// The colour sensor `velmora::Lumira`, on CAN or USB.
#pragma once

#include <cstdint>
#include <string>

#include "velmora/Export.h"

namespace velmora {

/// The colour sensor, reached over the CAN bus by its CAN ID or over USB by a port or a device
/// path.
///
/// Every operation is a single call into the driver; the object keeps nothing but the device
/// handle, so whatever it reports comes fresh from the sensor. Setters return the sensor's
/// answer rather than throwing.
///
/// **Lifetime.** Constructing opens the sensor (or throws, leaving nothing open); destroying
/// closes it. Movable (the moved-from object holds no sensor and may only be destroyed or
/// assigned to), not copyable.
///
/// **Threads.** No locks: use one object from one thread at a time.
class VELMORA_API Lumira {
 public:
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

  /// How the sensor reports a colour in ColorData's three components.
  enum class ColorFormat : unsigned char {
    kRGB = 0,  ///< Red, green and blue, each 0 to 1.
    kHSV = 1,  ///< Hue in degrees (0 to 360), saturation and value each 0 to 1.
    kXYZ = 2,  ///< CIE XYZ tristimulus values.
  };

  /// When the sensor measures; SetMeasureMode's number is the mode's parameter.
  enum class MeasureMode : unsigned char {
    kContinuous = 0,  ///< Measures continuously.
    kSingleShot = 1,  ///< Measures once per request.
    kTriggered = 2,   ///< Measures when triggered; SetMeasureMode's value sets the trigger.
  };

  /// The configuration values GetConfig can read back.
  enum class ConfigItem : unsigned char {
    kColorFormat = 0,   ///< The ColorFormat code.
    kSampleTimeMs = 1,  ///< The sample time, milliseconds.
    kBrightness = 2,    ///< The brightness, 0 to 255.
    kMeasureMode = 3,   ///< The MeasureMode code.
    kCanId = 4,         ///< The sensor's CAN ID, 0 to 63.
    kUsbOverride = 5,   ///< 1 when the USB override is on, else 0.
    kStatusLed = 6,     ///< The status LED setting.
  };

  /// One colour reading, as the sensor gives it.
  struct VELMORA_API ColorData {
    uint16_t header = 0;  ///< The reading's header (its sequence number on the simulated device).
    float component1 = 0.0f;  ///< Red, hue or X, by the colour format.
    float component2 = 0.0f;  ///< Green, saturation or Y, by the colour format.
    float component3 = 0.0f;  ///< Blue, value or Z, by the colour format.
    uint8_t trailer = 0;      ///< The reading's trailer (the format code on the simulated device).
  };

  /// Opens the sensor with CAN ID `canId`, 0 to 63.
  /// @throws std::out_of_range "Lumira CAN ID must be in [0, 63], got: <id>" for another ID
  /// (nothing is opened).
  /// @throws std::runtime_error "Failed to open Lumira on CAN ID <id>" if the sensor does not
  /// answer.
  explicit Lumira(int canId);
  /// Opens the sensor on a USB port; `n` goes to the driver unchanged.
  /// @throws std::runtime_error "Failed to open Lumira on <path>", naming the port's device
  /// path, if the sensor cannot be opened.
  Lumira(Port port, int n);
  /// Opens the sensor at a device path (such as "/dev/ttyACM0"); `n` goes to the driver
  /// unchanged.
  /// @throws std::runtime_error "Failed to open Lumira on <path>" if the sensor cannot be
  /// opened.
  Lumira(const std::string& path, int n);
  /// Closes the sensor (nothing for a moved-from object).
  ~Lumira();

  Lumira(const Lumira&) = delete;             ///< Not copyable: one owner per sensor.
  Lumira& operator=(const Lumira&) = delete;  ///< Not copyable: one owner per sensor.
  /// Takes the sensor over; `other` holds none afterwards.
  Lumira(Lumira&& other) noexcept;
  /// Closes this object's sensor, then takes over the sensor of `other`.
  Lumira& operator=(Lumira&& other) noexcept;

  /// The latest colour reading, in the colour format set.
  ColorData GetColor();

  /// Selects the colour format of later readings. Like every setter: the sensor's answer,
  /// false when it refused or did not respond.
  bool SetColorFormat(ColorFormat format);
  /// Sets the time of one measurement, in milliseconds.
  bool SetSampleTimeMs(unsigned short milliseconds);
  /// Sets the sensor's brightness, 0 to 255.
  bool SetBrightness(unsigned char brightness);
  /// Switches the status LED on or off; `value` is the LED's setting, on the sensor's own scale.
  bool SetStatusLed(bool on, unsigned char value);
  /// Selects the measure mode; `value` is the mode's parameter (for example the trigger
  /// distance in millimetres), sent as a float.
  bool SetMeasureMode(MeasureMode mode, float value);
  /// Sets the sensor's Z distance, in millimetres.
  bool SetZmm(float millimetres);
  /// Switches the USB override on or off.
  bool SetUsbOverride(bool enable);
  /// Gives the sensor a new CAN ID; the sensor decides which IDs it accepts (0 to 63 on the
  /// simulated device).
  bool SetCanId(int canId);

  /// Reads one configuration value into `value` (see ConfigItem for what each holds). On false,
  /// `value` holds whatever the driver left in it.
  bool GetConfig(ConfigItem item, unsigned int& value);

  /// The sensor's CAN ID as it reports it.
  int GetCanID() const;
  /// The link the sensor is attached over.
  Transport GetTransport() const;

 private:
  void* m_handle = nullptr;
};

}  // namespace velmora
