// Orvex: a four-channel CAN motor controller.
//
// One Orvex object stands for one physical controller. It opens the device by CAN ID, hands out
// its four motor channels and four encoder channels (created on first request and owned by the
// controller), and carries the controller-wide settings and identity queries.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "velmora/Export.h"

namespace velmora {

class VELMORA_API Orvex {
 public:
  // The driver's handle for one controller.
  using Handle = int32_t;

  static constexpr int kDefaultFrequency = 15600;
  static constexpr int kChannelCount = 4;

  class Motor;
  class Encoder;

  // Opens the controller with the given CAN ID at the given frequency.
  Orvex(int id, int frequency);
  explicit Orvex(int id);
  ~Orvex();

  Orvex(const Orvex&) = delete;
  Orvex& operator=(const Orvex&) = delete;
  Orvex(Orvex&&) = delete;
  Orvex& operator=(Orvex&&) = delete;

  // Motor channel 0 to 3, created on first request. Throws std::out_of_range for another index.
  Motor& GetMotor(int motorIndex);
  // Encoder channel 0 to 3, created on first request; the set-up value is sent to the device
  // with that first request only. Throws std::out_of_range for another index.
  Encoder& GetEncoder(int encoderIndex, double setupValue);

  // Identity, served from a cache once the device has given a non-zero ID and both versions.
  int GetID();
  std::string GetFirmwareVersion();
  std::string GetHardwareVersion();

  int GetFrequency();
  std::string GetSerialNumber();
  double GetControllerTemp();
  void SetMotorStopMode(unsigned char mode);
  // Controller-wide PID type; each motor channel has its own SetPIDType too.
  void SetPIDType(unsigned char type);
  void AutotuneAll();
  void SetCANSensorOsDelay(unsigned short delay);
  // Reads the target speeds of the channels into `targets`, which must hold one double per
  // channel. A null pointer is refused: returns false without asking the device.
  bool GetTargetRPMFromDevice(double* const targets);

 private:
  void PopulateDeviceInfo();
  static void CheckMotorIndex(int motorIndex);
  static void CheckEncoderIndex(int encoderIndex);

  Handle m_handle;
  std::array<std::unique_ptr<Motor>, kChannelCount> m_motors;
  std::array<std::unique_ptr<Encoder>, kChannelCount> m_encoders;
  int m_id = 0;
  std::string m_firmwareVersion;
  std::string m_hardwareVersion;
};

// One motor output of an Orvex controller.
class VELMORA_API Orvex::Motor {
 public:
  Motor(Handle handle, int motorIndex);
  virtual ~Motor();

  Motor(const Motor&) = delete;
  Motor& operator=(const Motor&) = delete;

  int GetMotorIndex() const { return m_motorIndex; }

 private:
  Handle m_handle;
  int m_motorIndex;
};

// One encoder input of an Orvex controller.
class VELMORA_API Orvex::Encoder {
 public:
  Encoder(Handle handle, int encoderIndex);
  virtual ~Encoder();

  Encoder(const Encoder&) = delete;
  Encoder& operator=(const Encoder&) = delete;

  int GetEncoderIndex() const { return m_encoderIndex; }

 private:
  Handle m_handle;
  int m_encoderIndex;
};

}  // namespace velmora
