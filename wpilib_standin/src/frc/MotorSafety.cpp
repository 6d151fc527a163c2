#include "frc/MotorSafety.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <set>
#include <string>

#include "Internal.h"
#include "frc/WPIErrors.h"

namespace frc {
namespace {

struct Instances {
  std::mutex mutex;
  std::set<MotorSafety*> list;
};

// Never destroyed, so that objects destroyed at exit can still leave it.
Instances& GetInstances() {
  static Instances* instances = new Instances;
  return *instances;
}

void Enlist(MotorSafety* object) {
  Instances& instances = GetInstances();
  std::lock_guard<std::mutex> lock(instances.mutex);
  instances.list.insert(object);
}

}  // namespace

MotorSafety::MotorSafety() { Enlist(this); }

MotorSafety::~MotorSafety() {
  Instances& instances = GetInstances();
  std::lock_guard<std::mutex> lock(instances.mutex);
  instances.list.erase(this);
}

MotorSafety::MotorSafety(MotorSafety&& rhs)
    : ErrorBase(std::move(rhs)),
      m_expiration(rhs.m_expiration),
      m_enabled(rhs.m_enabled),
      m_stopTime(rhs.m_stopTime) {
  Enlist(this);
}

MotorSafety& MotorSafety::operator=(MotorSafety&& rhs) {
  if (&rhs == this) {
    // WPILib's locks this object's mutex and the right-hand side's together: on itself that is
    // the same mutex twice, and the program never gets past it. The stand-in stops at once
    // instead, so that a self-assignment reaching here fails a test quickly rather than hang it.
    std::fputs(
        "MotorSafety: an object move-assigned to itself; WPILib 2020 never returns from this "
        "(it locks the object's mutex twice)\n",
        stderr);
    std::abort();
  }
  ErrorBase::operator=(std::move(rhs));
  m_expiration = rhs.m_expiration;
  m_enabled = rhs.m_enabled;
  m_stopTime = rhs.m_stopTime;
  return *this;
}

void MotorSafety::Feed() {
  std::lock_guard<std::mutex> lock(m_thisMutex);
  m_stopTime = wpilib_standin::NowSeconds() + m_expiration;
}

void MotorSafety::SetExpiration(double expirationTime) {
  std::lock_guard<std::mutex> lock(m_thisMutex);
  m_expiration = expirationTime;
}

double MotorSafety::GetExpiration() const {
  std::lock_guard<std::mutex> lock(m_thisMutex);
  return m_expiration;
}

bool MotorSafety::IsAlive() const {
  std::lock_guard<std::mutex> lock(m_thisMutex);
  return !m_enabled || m_stopTime > wpilib_standin::NowSeconds();
}

void MotorSafety::SetSafetyEnabled(bool enabled) {
  std::lock_guard<std::mutex> lock(m_thisMutex);
  m_enabled = enabled;
}

bool MotorSafety::IsSafetyEnabled() const {
  std::lock_guard<std::mutex> lock(m_thisMutex);
  return m_enabled;
}

void MotorSafety::Check() {
  bool enabled;
  double stopTime;
  {
    std::lock_guard<std::mutex> lock(m_thisMutex);
    enabled = m_enabled;
    stopTime = m_stopTime;
  }
  // Without a driver station the robot counts as enabled and not in test mode.
  if (!enabled) return;

  if (stopTime < wpilib_standin::NowSeconds()) {
    std::string text;
    wpi::raw_string_ostream desc(text);
    GetDescription(desc);
    desc << "... Output not updated often enough.";
    wpi_setWPIErrorWithContext(Timeout, desc.str());
    StopMotor();
  }
}

void MotorSafety::CheckMotors() {
  Instances& instances = GetInstances();
  std::lock_guard<std::mutex> lock(instances.mutex);
  for (MotorSafety* object : instances.list) object->Check();
}

}  // namespace frc
