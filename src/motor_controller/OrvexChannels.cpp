#include <atomic>
#include <iostream>

#include "../driver_link/VelmoraDriver.h"
#include "velmora/Orvex.h"

namespace velmora {

// ------------------------------------------------------------------------------------------------
// Motor channel
// ------------------------------------------------------------------------------------------------

namespace {
constexpr unsigned char kMaxSensitivity = 10;
// Each channel flag and the speed stand alone; no other memory is published through them.
constexpr std::memory_order kRelaxed = std::memory_order_relaxed;
// The library takes no locks: an atomic that fell back on one would hide one in every call.
static_assert(std::atomic<double>::is_always_lock_free, "the speed is a lock-free atomic");
static_assert(std::atomic<bool>::is_always_lock_free, "the flags are lock-free atomics");
}  // namespace

Orvex::Motor::Motor(Handle handle, int motorIndex) : m_handle(handle), m_motorIndex(motorIndex) {}

Orvex::Motor::~Motor() = default;

void Orvex::Motor::Set(double speed) {
  const double sent = m_inverted.load(kRelaxed) ? -speed : speed;
  m_speed.store(sent, kRelaxed);
  c_Orvex_setMotorSpeed(m_handle, Index(), sent);
}

double Orvex::Motor::Get() const { return m_speed.load(kRelaxed); }

void Orvex::Motor::SetInverted(bool isInverted) { m_inverted.store(isInverted, kRelaxed); }

bool Orvex::Motor::GetInverted() const { return m_inverted.load(kRelaxed); }

void Orvex::Motor::Disable() { c_Orvex_disableMotor(m_handle, Index()); }

void Orvex::Motor::StopMotor() { Set(0.0); }

void Orvex::Motor::PIDWrite(double output) { Set(output); }

void Orvex::Motor::Configure(int configuration) {
  c_Orvex_configureMotor(m_handle, Index(), configuration);
}

void Orvex::Motor::InvertRPM() { m_invertRPM.store(true, kRelaxed); }

// The inversion flag is read before the driver call: kept in a register across the call it costs
// no more instructions than the plain flag did.
double Orvex::Motor::GetRPM() {
  const bool invert = m_invertRPM.load(kRelaxed);
  const double rpm = c_Orvex_getRPM(m_handle, Index());
  return invert ? -rpm : rpm;
}

bool Orvex::Motor::TryGetRPM(double& rpm) {
  double value = 0.0;
  const bool ok = c_Orvex_tryGetRPM(m_handle, Index(), &value);
  if (ok) rpm = m_invertRPM.load(kRelaxed) ? -value : value;
  return ok;
}

bool Orvex::Motor::TryGetTargetRPM(double& rpm) {
  double value = 0.0;
  const bool ok = c_Orvex_tryGetTargetRPM(m_handle, Index(), &value);
  if (ok) rpm = value;
  return ok;
}

double Orvex::Motor::GetLimitSwitch(bool which) {
  return static_cast<double>(c_Orvex_getLimitSwitch(m_handle, Index(), which));
}

double Orvex::Motor::GetZynderPosition() { return c_Orvex_getZynderPosition(m_handle, Index()); }

int Orvex::Motor::GetMotorIndex() const { return m_motorIndex; }

void Orvex::Motor::SetTargetVelocity(float velocity) {
  c_Orvex_setTargetVelocity(m_handle, Index(), velocity);
}

void Orvex::Motor::SetTargetDistance(int distance) {
  c_Orvex_setTargetDistance(m_handle, Index(), distance);
}

void Orvex::Motor::SetTargetAngle(double angle) {
  c_Orvex_setTargetAngle(m_handle, Index(), angle);
}

void Orvex::Motor::SetPositionHold(bool hold) { c_Orvex_setPositionHold(m_handle, Index(), hold); }

void Orvex::Motor::SetSensitivity(unsigned char sensitivity) {
  if (sensitivity > kMaxSensitivity) {
    // Widened so that 200 prints as 200, not as a character.
    std::cerr << "[Orvex] Sensitivity must be in [0, 10], got: " << static_cast<int>(sensitivity)
              << "\n";
    return;
  }
  c_Orvex_setSensitivity(m_handle, Index(), sensitivity);
}

void Orvex::Motor::SetCurrentLimit(float limit) {
  c_Orvex_setCurrentLimit(m_handle, Index(), limit);
}

void Orvex::Motor::SetCurrentLimitMode(unsigned char mode) {
  c_Orvex_setCurrentLimitMode(m_handle, Index(), mode);
}

void Orvex::Motor::SetEncoderResolution(unsigned short resolution) {
  c_Orvex_setEncoderResolution(m_handle, Index(), resolution);
}

void Orvex::Motor::SetPIDType(unsigned char type) {
  c_Orvex_setMotorPIDType(m_handle, Index(), type);
}

void Orvex::Motor::Autotune() { c_Orvex_autotuneMotor(m_handle, Index()); }

// ------------------------------------------------------------------------------------------------
// Encoder channel
// ------------------------------------------------------------------------------------------------

Orvex::Encoder::Encoder(Handle handle, int encoderIndex)
    : m_handle(handle), m_encoderIndex(encoderIndex) {}

Orvex::Encoder::~Encoder() = default;

int Orvex::Encoder::Get() const { return c_Orvex_getEncoderCount(m_handle, Index()); }

void Orvex::Encoder::Reset() { c_Orvex_resetEncoder(m_handle, Index()); }

double Orvex::Encoder::GetPeriod() const { return 0.0; }

void Orvex::Encoder::SetMaxPeriod(double /*maxPeriod*/) {}

bool Orvex::Encoder::GetStopped() const {
  return c_Orvex_getEncoderSpeed(m_handle, Index()) == 0.0;
}

bool Orvex::Encoder::GetDirection() const { return m_reverseDirection.load(kRelaxed); }

double Orvex::Encoder::GetEncoderDistance() {
  const bool reverse = m_reverseDirection.load(kRelaxed);  // before the call, as in GetRPM
  const double distance = c_Orvex_getEncoderDistance(m_handle, Index());
  return reverse ? -distance : distance;
}

double Orvex::Encoder::GetRaw() { return c_Orvex_getEncoderRaw(m_handle, Index()); }

int Orvex::Encoder::GetCount() { return c_Orvex_getEncoderCount(m_handle, Index()); }

double Orvex::Encoder::GetSpeed() {
  const bool invert = m_invertSpeed.load(kRelaxed);  // before the call, as in GetRPM
  const double speed = c_Orvex_getEncoderSpeed(m_handle, Index());
  return invert ? -speed : speed;
}

void Orvex::Encoder::SetReverseDirection() { m_reverseDirection.store(true, kRelaxed); }

void Orvex::Encoder::InvertSpeed() { m_invertSpeed.store(true, kRelaxed); }

int Orvex::Encoder::GetEncoderIndex() const { return m_encoderIndex; }

}  // namespace velmora
