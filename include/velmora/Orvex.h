// Orvex: a four-channel CAN motor controller.
//
// One Orvex object stands for one physical controller. It opens the device by CAN ID, hands out
// its four motor channels and four encoder channels (created on first request and owned by the
// controller), and carries the controller-wide settings and identity queries.
//
// Threads: the controller itself (first requests for a channel, the identity cache) is used from
// one thread at a time; get every channel you need before a second thread starts. The channel
// objects' own state may then be used from several threads at once. That covers the usual shape
// of a robot program: a WPILib PIDController writes a motor channel through PIDWrite from its own
// thread while the robot loop reads Get(), flips SetInverted and reads that and other channels
// and the encoders. Each such call stands on its own: Set and SetInverted racing each other send
// the speed with either the old or the new inversion.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include <frc/CounterBase.h>
#include <frc/SpeedController.h>

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

// One motor output of an Orvex controller, usable wherever WPILib takes a speed controller or a
// PID output. Every device operation is one driver call for this channel.
class VELMORA_API Orvex::Motor : public frc::SpeedController {
 public:
  // Made by Orvex::GetMotor; the index is not tested here.
  Motor(Handle handle, int motorIndex);
  // Releasing a channel object does not stop the motor.
  ~Motor() override;

  Motor(const Motor&) = delete;
  Motor& operator=(const Motor&) = delete;

  // Sends the speed (negated on an inverted channel) unclamped, and remembers what was sent.
  void Set(double speed) override;
  // The last speed sent, after inversion.
  double Get() const override;
  // Affects later Set calls only; the current speed is not sent again.
  void SetInverted(bool isInverted) override;
  bool GetInverted() const override;
  void Disable() override;
  // Set(0.0), so inversion applies (an inverted channel sends -0.0).
  void StopMotor() override;
  // Set(output), so inversion applies.
  void PIDWrite(double output) override;

  void Configure(int configuration);
  // Negates every later RPM reading; there is no way back.
  void InvertRPM();
  double GetRPM();
  // On success writes the RPM (negated after InvertRPM) and returns true; on failure leaves
  // `rpm` untouched and returns false.
  bool TryGetRPM(double& rpm);
  // Like TryGetRPM, but the target is never negated by InvertRPM.
  bool TryGetTargetRPM(double& rpm);
  double GetLimitSwitch(bool which);
  // Absolute position of a Zynder encoder on this channel.
  double GetZynderPosition();
  int GetMotorIndex() const;

  void SetTargetVelocity(float velocity);
  void SetTargetDistance(int distance);
  void SetTargetAngle(double angle);
  void SetPositionHold(bool hold);
  // 0 to 10; a larger value is refused with a message on standard error.
  void SetSensitivity(unsigned char sensitivity);
  void SetCurrentLimit(float limit);
  void SetCurrentLimitMode(unsigned char mode);
  void SetEncoderResolution(unsigned short resolution);
  // This channel's PID type; Orvex::SetPIDType sets the controller-wide one.
  void SetPIDType(unsigned char type);
  void Autotune();

 private:
  uint8_t Index() const { return static_cast<uint8_t>(m_motorIndex); }

  Handle m_handle;
  int m_motorIndex;
  // A PID loop writes the speed from its own thread while the robot loop reads it and flips the
  // flags: each is an atomic of its own. Nothing orders one against another, so relaxed loads
  // and stores do, and cost what plain ones do.
  std::atomic<double> m_speed{0.0};
  std::atomic<bool> m_inverted{false};
  std::atomic<bool> m_invertRPM{false};
};

// One encoder input of an Orvex controller, usable wherever WPILib takes a counter.
class VELMORA_API Orvex::Encoder : public frc::CounterBase {
 public:
  // Made by Orvex::GetEncoder after it sent the channel's set-up call.
  Encoder(Handle handle, int encoderIndex);
  ~Encoder() override;

  Encoder(const Encoder&) = delete;
  Encoder& operator=(const Encoder&) = delete;

  // Counter view for WPILib code: the device count (as GetCount), 0 period, and stopped exactly
  // when the device reports a speed of 0. The maximum period does not apply to this device.
  int Get() const override;
  void Reset() override;
  double GetPeriod() const override;
  void SetMaxPeriod(double maxPeriod) override;
  bool GetStopped() const override;
  // True once SetReverseDirection has been called.
  bool GetDirection() const override;

  // Distance, negated after SetReverseDirection.
  double GetEncoderDistance();
  double GetRaw();
  int GetCount();
  // Speed, negated after InvertSpeed.
  double GetSpeed();
  // Negates the distance from now on, for good.
  void SetReverseDirection();
  // Negates the speed from now on, for good.
  void InvertSpeed();
  int GetEncoderIndex() const;

 private:
  uint8_t Index() const { return static_cast<uint8_t>(m_encoderIndex); }

  Handle m_handle;
  int m_encoderIndex;
  // Set once from any thread, read on every reading from any other: atomics, relaxed as above.
  std::atomic<bool> m_reverseDirection{false};
  std::atomic<bool> m_invertSpeed{false};
};

}  // namespace velmora
