#include "velmora/Servo.h"

#include <functional>
#include <utility>

#include <frc/smartdashboard/SendableBuilder.h>
#include <frc/smartdashboard/SendableRegistry.h>
#include <hal/FRCUsageReporting.h>

#include "RegistryParking.h"
#include "ShortestPulse.h"
#include "UsageInstance.h"

namespace velmora {
namespace {

// Pulse widths in milliseconds: 0.5 ms is 0 degrees and 2.5 ms is 300 degrees; no deadband. The
// output cannot quite reach 0.5 ms: its shortest pulse (see ShortestPulse.h) stands for 0 degrees.
constexpr double kMaxPulseMs = 2.5;
constexpr double kMinPulseMs = 0.5;
constexpr double kNoDeadbandMs = 0.0;
constexpr double kMaxAngle = 300.0;
constexpr double kMinAngle = 0.0;
constexpr int32_t kServoResourceType = 33;

}  // namespace

Servo::Servo(int channel) : frc::PWM(channel) {
  SetBounds(kMaxPulseMs, kNoDeadbandMs, kNoDeadbandMs, kNoDeadbandMs, kMinPulseMs);
  servos::KeepShortestPulseProducible(*this);
  SetPeriodMultiplier(kPeriodMultiplier_4X);
  HAL_Report(kServoResourceType, servos::UsageInstance(channel), 0, nullptr);
  frc::Sendable& sendable = *this;
  frc::SendableRegistry::GetInstance().SetName(&sendable, "Servo", channel);
}

Servo::~Servo() = default;

// The dashboard entry waits in the parking while the PWM base moves (see RegistryParking.h).
// NOLINTNEXTLINE(performance-noexcept-move-constructor)
Servo::Servo(Servo&& other) : Servo(other, servos::RegistryParking(other)) {}

// NOLINTNEXTLINE(performance-noexcept-move-constructor)
Servo::Servo(Servo& other, servos::RegistryParking&& parking) : frc::PWM(std::move(other)) {
  parking.HandTo(*this);
}

// The PWM base's own move assignment takes over the other servo's channel and forgets this one's
// without releasing it, so the channel could never be opened again. Handing this servo's channel
// to a temporary first lets the temporary's destructor switch the output off and release it.
//
// Both dashboard entries wait in parkings meanwhile (see RegistryParking.h): the temporary gets
// none and the base moves none, so no servo that is not complete describes itself. Afterwards the
// assigned-to servo takes one of them and the moved-from servo has none, so that no dashboard
// table reads a servo without a channel and destroying it touches no entry a table shows.
//
// Assigning a servo to itself changes nothing. It must not reach the base: WPILib's move
// assignment of a motor safety object locks its own mutex twice and never returns.
// NOLINTNEXTLINE(performance-noexcept-move-constructor)
Servo& Servo::operator=(Servo&& other) {
  if (this != &other) {
    servos::RegistryParking mine(*this);
    servos::RegistryParking theirs(other);
    { Servo released(std::move(*this)); }
    frc::PWM::operator=(std::move(other));
    servos::KeepEntryAfterAssignment(*this, mine, theirs);
  }
  return *this;
}

void Servo::Set(double value) { SetPosition(value); }

void Servo::SetOffline() { SetRaw(0); }

double Servo::Get() const { return GetPosition(); }

void Servo::SetAngle(double degrees) {
  if (degrees < kMinAngle) {
    degrees = kMinAngle;
  } else if (degrees > kMaxAngle) {
    degrees = kMaxAngle;
  }
  SetPosition((degrees - kMinAngle) / GetServoAngleRange());
}

double Servo::GetAngle() const { return GetPosition() * GetServoAngleRange() + kMinAngle; }

double Servo::GetMaxAngle() const { return kMaxAngle; }

double Servo::GetMinAngle() const { return kMinAngle; }

double Servo::GetServoAngleRange() const { return kMaxAngle - kMinAngle; }

void Servo::InitSendable(frc::SendableBuilder& builder) {
  builder.SetSmartDashboardType("Servo");
  builder.AddDoubleProperty(
      "Value", [this] { return Get(); }, [this](double value) { Set(value); });
}

}  // namespace velmora
