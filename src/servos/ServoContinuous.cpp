#include "velmora/ServoContinuous.h"

#include <frc/smartdashboard/SendableRegistry.h>
#include <hal/FRCUsageReporting.h>

#include "UsageInstance.h"

namespace velmora {
namespace {

// Pulse widths in milliseconds around the 1.5 ms stop point.
constexpr double kMaxPulseMs = 2.5;
constexpr double kDeadbandMaxMs = 1.55;
constexpr double kCenterMs = 1.5;
constexpr double kDeadbandMinMs = 1.45;
constexpr double kMinPulseMs = 0.5;
constexpr int32_t kContinuousServoResourceType = 82;

}  // namespace

ServoContinuous::ServoContinuous(int channel) : frc::PWMSpeedController(channel) {
  SetBounds(kMaxPulseMs, kDeadbandMaxMs, kCenterMs, kDeadbandMinMs, kMinPulseMs);
  SetPeriodMultiplier(kPeriodMultiplier_4X);
  SetSpeed(0.0);
  SetZeroLatch();
  HAL_Report(kContinuousServoResourceType, servos::UsageInstance(GetChannel()), 0, nullptr);
  frc::Sendable& sendable = *this;
  frc::SendableRegistry::GetInstance().SetName(&sendable, "ServoContinuous", GetChannel());
}

ServoContinuous::~ServoContinuous() = default;

}  // namespace velmora
