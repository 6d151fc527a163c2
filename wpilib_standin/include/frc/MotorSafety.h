#pragma once

#include <mutex>

#include "frc/ErrorBase.h"
#include "wpi/raw_ostream.h"
#include "wpilib_standin/Export.h"

namespace frc {

// Watchdog for an actuator: once enabled, the output must be fed at least once
// per expiration time, or Check() stops it. Every instance is on a
// process-wide list that CheckMotors() walks.
//
// The stand-in has no driver station: Check() treats the robot as enabled and
// not in test mode, and nothing calls CheckMotors() on its own; a program or a
// test calls it. Time is the monotonic clock of the process, in seconds.
class WPILIB_STANDIN_API MotorSafety : public ErrorBase {
 public:
  MotorSafety();
  virtual ~MotorSafety();

  MotorSafety(MotorSafety&& rhs);
  MotorSafety& operator=(MotorSafety&& rhs);

  void Feed();
  void SetExpiration(double expirationTime);
  double GetExpiration() const;
  bool IsAlive() const;
  void SetSafetyEnabled(bool enabled);
  bool IsSafetyEnabled() const;
  void Check();
  static void CheckMotors();

  virtual void StopMotor() = 0;
  virtual void GetDescription(wpi::raw_ostream& desc) const = 0;

 private:
  static constexpr double kDefaultSafetyExpiration = 0.1;

  double m_expiration = kDefaultSafetyExpiration;
  bool m_enabled = false;
  double m_stopTime = 0.0;
  mutable std::mutex m_thisMutex;
};

}  // namespace frc
