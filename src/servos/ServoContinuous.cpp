#include "velmora/ServoContinuous.h"

#include <frc/WPIErrors.h>
#include <frc/smartdashboard/SendableRegistry.h>
#include <hal/FRCUsageReporting.h>

#include <utility>

#include "RegistryParking.h"
#include "ShortestPulse.h"
#include "UsageInstance.h"

namespace velmora {
namespace {

// Pulse widths in milliseconds around the 1.5 ms stop point. The output cannot quite reach 0.5 ms:
// its shortest pulse (see ShortestPulse.h) is full reverse.
constexpr double kMaxPulseMs = 2.5;
constexpr double kDeadbandMaxMs = 1.55;
constexpr double kCenterMs = 1.5;
constexpr double kDeadbandMinMs = 1.45;
constexpr double kMinPulseMs = 0.5;
constexpr int32_t kContinuousServoResourceType = 82;

}  // namespace

ServoContinuous::ServoContinuous(int channel) : frc::PWMSpeedController(channel) {
  SetBounds(kMaxPulseMs, kDeadbandMaxMs, kCenterMs, kDeadbandMinMs, kMinPulseMs);
  servos::KeepShortestPulseProducible(*this);
  SetPeriodMultiplier(kPeriodMultiplier_4X);
  SetSpeed(0.0);
  SetZeroLatch();
  // The output's channel: INT_MAX for a channel it could not take. For a channel out of range
  // WPILib leaves it unset, so the channel asked for stands in.
  const int used =
      GetError().GetCode() == wpi_error_value_ChannelIndexOutOfRange() ? channel : GetChannel();
  HAL_Report(kContinuousServoResourceType, servos::UsageInstance(used), 0, nullptr);
  frc::Sendable& sendable = *this;
  frc::SendableRegistry::GetInstance().SetName(&sendable, "ServoContinuous", used);
}

ServoContinuous::~ServoContinuous() = default;

// As for Servo: the dashboard entry waits in the parking while the bases move.
// NOLINTNEXTLINE(performance-noexcept-move-constructor)
ServoContinuous::ServoContinuous(ServoContinuous&& other)
    : ServoContinuous(other, servos::RegistryParking(other)) {}

// NOLINTNEXTLINE(performance-noexcept-move-constructor)
ServoContinuous::ServoContinuous(ServoContinuous& other, servos::RegistryParking&& parking)
    : frc::PWMSpeedController(std::move(other)) {
  parking.HandTo(*this);
}

// As for Servo: release this servo's channel (through a temporary's destructor, which also stops
// the output) before taking over the other one's; the entries wait in parkings meanwhile, and the
// assigned-to servo keeps one of them. Never on itself (see Servo::operator=).
// NOLINTNEXTLINE(performance-noexcept-move-constructor)
ServoContinuous& ServoContinuous::operator=(ServoContinuous&& other) {
  if (this != &other) {
    servos::RegistryParking mine(*this);
    servos::RegistryParking theirs(other);
    { ServoContinuous released(std::move(*this)); }
    frc::PWMSpeedController::operator=(std::move(other));
    servos::KeepEntryAfterAssignment(*this, mine, theirs);
  }
  return *this;
}

}  // namespace velmora
