/// @file
/// The four-channel CAN motor controller `velmora::Orvex` with its motor and encoder channels.
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

/// A four-channel CAN motor controller: one object per physical controller.
///
/// The object opens the controller by CAN ID, hands out its four motor channels (Motor) and four
/// encoder channels (Encoder), and carries the controller-wide settings and identity queries.
/// Every call but the identity queries is one call into the maker's driver; driver results are
/// passed on as they come, never turned into exceptions.
///
/// **Lifetime.** Constructing opens the controller, destroying it closes it. Channel objects are
/// made on their first request and belong to the controller: the references GetMotor and
/// GetEncoder return stay valid exactly as long as the Orvex lives. Not copyable, not movable
/// (a moved controller would strand those references).
///
/// **Threads.** The library takes no locks. Use the controller itself (the first request for a
/// channel, the identity queries) from one thread at a time, and get every channel you need
/// before a second thread starts. The channels' own calls may then be shared between threads,
/// and that rests on the driver being thread-safe: the library passes each call to the driver
/// on the caller's thread without any locking of its own (the simulation driver takes one call
/// at a time). The usual shape of a robot program, a WPILib PIDController writing a motor
/// channel through PIDWrite from its own thread while the robot loop reads Get(), flips
/// SetInverted and reads that and other channels and the encoders, then works. Each such call
/// stands on its own: a Set racing a SetInverted sends the speed with either the old or the new
/// inversion. A channel should have one writer: with two threads calling Set (or PIDWrite) on
/// it at once, Get() can be left different from the speed the device got last, since a Set
/// stores its speed and then calls the driver, and the other writer's store and call can fall
/// between the two.
class VELMORA_API Orvex {
 public:
  /// The driver's handle for one controller, shared by its channel objects.
  using Handle = int32_t;

  /// The frequency setting the one-argument constructor opens the controller with.
  static constexpr int kDefaultFrequency = 15600;
  /// Motor channels and encoder channels each: indices 0 to 3.
  static constexpr int kChannelCount = 4;

  class Motor;
  class Encoder;

  /// Opens the controller with CAN ID `id` at the frequency setting `frequency` (the device's
  /// own unit, hertz on the simulated device). Both go to the driver unchanged.
  ///
  /// **A controller the driver could not open does not throw**, by design: driver results are
  /// never tested, so an unplugged controller never stops a robot program at start. That
  /// includes a second Orvex on the CAN ID of one still open. The object is then inert: its
  /// calls reach the driver with the handle the driver gave (the null handle), its motors do not
  /// move, and GetFirmwareVersion() and GetHardwareVersion() return an empty text. To notice it,
  /// check GetFirmwareVersion() once at start; the driver also says so on the console (the
  /// simulation driver: a line "VelmoraDriver (simulation): Orvex on CAN ID <id> ...").
  Orvex(int id, int frequency);
  /// Opens the controller with CAN ID `id` at kDefaultFrequency.
  explicit Orvex(int id);
  /// Closes the controller, then releases its channel objects. No stop command is sent first:
  /// stop the motors yourself if that matters.
  ~Orvex();

  Orvex(const Orvex&) = delete;             ///< Not copyable: one object per device.
  Orvex& operator=(const Orvex&) = delete;  ///< Not copyable: one object per device.
  Orvex(Orvex&&) = delete;                  ///< Not movable: channel references point into it.
  Orvex& operator=(Orvex&&) = delete;       ///< Not movable: channel references point into it.

  /// Motor channel `motorIndex` (0 to 3), made on first request; later calls return the same
  /// object. No driver call.
  /// @throws std::out_of_range "Motor index must be in [0, 3], got: <index>" for another index.
  Motor& GetMotor(int motorIndex);
  /// Encoder channel `encoderIndex` (0 to 3), made on first request. The first request sends
  /// `setupValue` to the device: the distance one shaft revolution counts for, in the unit you
  /// want distances in (0.024 makes GetEncoderDistance metres for a wheel that rolls 24 mm per
  /// revolution). Later requests ignore it.
  /// @throws std::out_of_range "Encoder index must be in [0, 3], got: <index>" for another index;
  /// nothing is sent then.
  Encoder& GetEncoder(int encoderIndex, double setupValue);

  /// The device's ID (its CAN ID). Identity is read once and then served from memory, as soon
  /// as the device has given a non-zero ID and both version texts; until then every identity
  /// query asks the device again.
  int GetID();
  /// The firmware version text, as the device gives it (for example "2.4.1"); cached as GetID.
  std::string GetFirmwareVersion();
  /// The hardware version text, as the device gives it (for example "B3"); cached as GetID.
  std::string GetHardwareVersion();

  /// The controller's frequency setting, read from the device each time (the unit of the
  /// constructor's `frequency`).
  int GetFrequency();
  /// The serial number text, read from the device each time.
  std::string GetSerialNumber();
  /// The controller's temperature in degrees Celsius, read from the device each time.
  double GetControllerTemp();
  /// Selects what the channels do when stopped, by the device's own stop-mode code; sent
  /// unchanged.
  void SetMotorStopMode(unsigned char mode);
  /// Selects the controller-wide PID type by the device's own code, sent unchanged. Each channel
  /// has its own too: Motor::SetPIDType.
  void SetPIDType(unsigned char type);
  /// Starts the device's auto-tuning of every channel (Motor::Autotune tunes one).
  void AutotuneAll();
  /// Sets the controller's delay for CAN sensors, in the device's own unit; sent unchanged.
  void SetCANSensorOsDelay(unsigned short delay);
  /// Reads the target speed of every channel, in RPM, into `targets`, which must hold
  /// kChannelCount doubles.
  /// @return the device's answer; false also for a null pointer, which is refused without
  /// asking the device.
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

/// One motor output of an Orvex controller: a WPILib `frc::SpeedController` and
/// `frc::PIDOutput`, so any WPILib code that drives those can drive it.
///
/// Every device operation is one driver call for this channel. Get from Orvex::GetMotor; the
/// controller owns the object and destroys it with itself. Its calls may be made from several
/// threads at once (see Orvex: a PID loop on its own thread is the usual case).
class VELMORA_API Orvex::Motor : public frc::SpeedController {
 public:
  /// Made by Orvex::GetMotor, which tests the index; not meant to be called by a program.
  Motor(Handle handle, int motorIndex);
  /// Releasing a channel object does not stop the motor.
  ~Motor() override;

  Motor(const Motor&) = delete;             ///< Not copyable: the controller owns the channel.
  Motor& operator=(const Motor&) = delete;  ///< Not copyable: the controller owns the channel.

  /// Drives the motor at `speed`, the fraction of full output from -1.0 (full reverse) to 1.0
  /// (full forward), negated on an inverted channel. Not clamped: the device receives what you
  /// send. Remembers what was sent for Get.
  void Set(double speed) override;
  /// The last speed sent, after inversion (-1.0 to 1.0 when you keep to that range).
  double Get() const override;
  /// Inverts later Set calls; the current speed is not sent again.
  void SetInverted(bool isInverted) override;
  /// Whether Set calls are inverted.
  bool GetInverted() const override;
  /// Stops driving the channel until the next Set; Get still reports the last speed sent.
  void Disable() override;
  /// Set(0.0), so inversion applies (an inverted channel sends -0.0).
  void StopMotor() override;
  /// Set(output), so inversion applies: a WPILib PID loop's output ends here.
  void PIDWrite(double output) override;

  /// Sends a configuration code of the device's own for this channel, unchanged.
  void Configure(int configuration);
  /// Negates every later GetRPM and TryGetRPM reading, for good (there is no way back).
  void InvertRPM();
  /// The shaft speed in revolutions per minute, negated after InvertRPM.
  double GetRPM();
  /// On success writes the shaft speed in RPM (negated after InvertRPM) to `rpm` and returns
  /// true; on failure leaves `rpm` untouched and returns false.
  bool TryGetRPM(double& rpm);
  /// Like TryGetRPM for the speed the channel is steering towards, in RPM; never negated by
  /// InvertRPM.
  bool TryGetTargetRPM(double& rpm);
  /// The state of one of the channel's two limit switches (`which`: false the first, true the
  /// second), as the device reports it.
  double GetLimitSwitch(bool which);
  /// The absolute position of a Zynder encoder on this channel, in the device's own unit
  /// (degrees within one turn, 0 to 360, on the simulated device).
  double GetZynderPosition();
  /// The channel index, 0 to 3.
  int GetMotorIndex() const;

  /// Steers the channel to a shaft speed, in the device's own unit (RPM on the simulated
  /// device). Sent as a float.
  void SetTargetVelocity(float velocity);
  /// Steers the channel to an encoder position, in the device's own unit (encoder counts, see
  /// SetEncoderResolution, on the simulated device).
  void SetTargetDistance(int distance);
  /// Steers the shaft to an angle, in the device's own unit (degrees from the last encoder
  /// reset on the simulated device).
  void SetTargetAngle(double angle);
  /// True holds the shaft where it is now; false returns to speed control.
  void SetPositionHold(bool hold);
  /// The channel's sensitivity, 0 to 10 on the device's own scale. A larger value is refused:
  /// "[Orvex] Sensitivity must be in [0, 10], got: <value>" on std::cerr, nothing sent.
  void SetSensitivity(unsigned char sensitivity);
  /// The channel's current limit, in the device's own unit; sent as a float, unchecked.
  void SetCurrentLimit(float limit);
  /// Selects how the current limit applies, by the device's own mode code; sent unchanged.
  void SetCurrentLimitMode(unsigned char mode);
  /// The encoder's resolution: counts per shaft revolution (2048 on the simulated device until
  /// set).
  void SetEncoderResolution(unsigned short resolution);
  /// Selects this channel's PID type by the device's own code; Orvex::SetPIDType sets the
  /// controller-wide one.
  void SetPIDType(unsigned char type);
  /// Starts the device's auto-tuning of this channel.
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

/// One encoder input of an Orvex controller: a WPILib `frc::CounterBase`, so any WPILib code
/// that reads a counter can read it.
///
/// The set-up value given to Orvex::GetEncoder is the distance one shaft revolution counts for
/// (so on the simulated device): distances come in its unit and speeds in its unit per second.
/// Get from Orvex::GetEncoder; the controller owns the object and destroys it with itself. Its
/// calls may be made from several threads at once (see Orvex).
class VELMORA_API Orvex::Encoder : public frc::CounterBase {
 public:
  /// Made by Orvex::GetEncoder after it sent the set-up value; not meant to be called by a
  /// program.
  Encoder(Handle handle, int encoderIndex);
  /// No driver call.
  ~Encoder() override;

  Encoder(const Encoder&) = delete;             ///< Not copyable: the controller owns it.
  Encoder& operator=(const Encoder&) = delete;  ///< Not copyable: the controller owns it.

  /// The device count, as GetCount (WPILib's counter view).
  int Get() const override;
  /// Sets the count and the distance back to 0.
  void Reset() override;
  /// Always 0: this device reports no pulse period.
  double GetPeriod() const override;
  /// Ignored: the maximum period does not apply to this device.
  void SetMaxPeriod(double maxPeriod) override;
  /// True exactly when the device reports a speed of 0.
  bool GetStopped() const override;
  /// True once SetReverseDirection has been called.
  bool GetDirection() const override;

  /// The distance since the last Reset: shaft revolutions times the set-up value, in its unit;
  /// negated after SetReverseDirection.
  double GetEncoderDistance();
  /// The raw reading in the device's own unit (encoder counts, with fractions, on the simulated
  /// device); no inversion applies.
  double GetRaw();
  /// The position in whole encoder counts since the last Reset; no inversion applies.
  int GetCount();
  /// The speed in the set-up value's unit per second (metres per second for a set-up value in
  /// metres); negated after InvertSpeed.
  double GetSpeed();
  /// Negates GetEncoderDistance from now on, for good.
  void SetReverseDirection();
  /// Negates GetSpeed from now on, for good.
  void InvertSpeed();
  /// The channel index, 0 to 3.
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
