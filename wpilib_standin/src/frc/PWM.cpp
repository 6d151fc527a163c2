#include "frc/PWM.h"

#include <cmath>
#include <limits>
#include <string>

#include "Internal.h"
#include "frc/WPIErrors.h"
#include "frc/smartdashboard/SendableBuilder.h"
#include "frc/smartdashboard/SendableRegistry.h"
#include "hal/FRCUsageReporting.h"

namespace simhal = wpilib_standin::sim_hal;

// Records a failed hardware-layer call on this object.
#define wpi_setHALError(code) \
  this->SetError((code), simhal::GetErrorMessage(code), __FILE__, __FUNCTION__, __LINE__)
#define wpi_setHALErrorWithRange(code, min, max, req)                                       \
  this->SetErrorRange((code), (min), (max), (req), simhal::GetErrorMessage(code), __FILE__, \
                      __FUNCTION__, __LINE__)

namespace frc {

PWM::PWM(int channel) {
  if (channel < 0 || channel >= simhal::GetNumPWMChannels()) {
    wpi_setWPIErrorWithContext(ChannelIndexOutOfRange, "PWM Channel " + wpi::Twine(channel));
    // WPILib leaves the channel number unset here: reading it gives whatever the memory held
    // (0xBEBEBEBE in a heap object under AddressSanitizer). The stand-in gives it that pattern,
    // so that a name or a report made from it shows, rather than read uninitialised memory.
    m_channel = static_cast<int>(0xBEBEBEBEu);
    return;
  }

  int32_t status = 0;
  m_handle = simhal::InitializePWMPort(channel, &status);
  if (status != 0) {
    wpi_setHALErrorWithRange(status, 0, simhal::GetNumPWMChannels(), channel);
    m_channel = std::numeric_limits<int>::max();
    m_handle = HAL_kInvalidHandle;
    return;
  }

  m_channel = channel;

  simhal::SetPWMDisabled(m_handle, &status);
  wpi_setHALError(status);
  status = 0;
  simhal::SetPWMEliminateDeadband(m_handle, false, &status);
  wpi_setHALError(status);

  HAL_Report(HALUsageReporting::kResourceType_PWM, channel + 1);
  SendableRegistry::GetInstance().AddLW(this, "PWM", channel);

  SetSafetyEnabled(false);
}

PWM::~PWM() {
  int32_t status = 0;
  simhal::SetPWMDisabled(m_handle, &status);
  wpi_setHALError(status);
  simhal::FreePWMPort(m_handle, &status);
  wpi_setHALError(status);
}

void PWM::StopMotor() { SetDisabled(); }

void PWM::GetDescription(wpi::raw_ostream& desc) const { desc << "PWM " << GetChannel(); }

void PWM::SetRaw(uint16_t value) {
  if (StatusIsFatal()) return;
  int32_t status = 0;
  simhal::SetPWMRaw(m_handle, value, &status);
  wpi_setHALError(status);
}

uint16_t PWM::GetRaw() const {
  if (StatusIsFatal()) return 0;
  int32_t status = 0;
  uint16_t value = static_cast<uint16_t>(simhal::GetPWMRaw(m_handle, &status));
  wpi_setHALError(status);
  return value;
}

void PWM::SetPosition(double pos) {
  if (StatusIsFatal()) return;
  int32_t status = 0;
  simhal::SetPWMPosition(m_handle, pos, &status);
  wpi_setHALError(status);
  if (!std::isfinite(pos)) {
    // The hardware layer kept the output as it was; say why the command had
    // no effect, without making the output unusable.
    wpilib_standin::ReportToConsole(false, 0,
                                    "PWM " + std::to_string(m_channel) + ": position " +
                                        wpilib_standin::FormatDouble(pos) +
                                        " is not finite; output left unchanged",
                                    "PWM::SetPosition");
  }
}

double PWM::GetPosition() const {
  if (StatusIsFatal()) return 0.0;
  int32_t status = 0;
  double position = simhal::GetPWMPosition(m_handle, &status);
  wpi_setHALError(status);
  return position;
}

void PWM::SetSpeed(double speed) {
  if (StatusIsFatal()) return;
  int32_t status = 0;
  simhal::SetPWMSpeed(m_handle, speed, &status);
  wpi_setHALError(status);

  Feed();
}

double PWM::GetSpeed() const {
  if (StatusIsFatal()) return 0.0;
  int32_t status = 0;
  double speed = simhal::GetPWMSpeed(m_handle, &status);
  wpi_setHALError(status);
  return speed;
}

void PWM::SetDisabled() {
  if (StatusIsFatal()) return;
  int32_t status = 0;
  simhal::SetPWMDisabled(m_handle, &status);
  wpi_setHALError(status);
}

void PWM::SetPeriodMultiplier(PeriodMultiplier mult) {
  if (StatusIsFatal()) return;
  int32_t status = 0;
  switch (mult) {
    case kPeriodMultiplier_4X:
      simhal::SetPWMPeriodScale(m_handle, 3, &status);  // squelch 3 of every 4 pulses
      break;
    case kPeriodMultiplier_2X:
      simhal::SetPWMPeriodScale(m_handle, 1, &status);  // squelch every other pulse
      break;
    case kPeriodMultiplier_1X:
      simhal::SetPWMPeriodScale(m_handle, 0, &status);  // every pulse
      break;
    default:
      // A failed assertion is reported, not thrown, and changes nothing.
      wpilib_standin::ReportToConsole(
          true, 0,
          "Assertion \"false\" failed: period multiplier " + std::to_string(static_cast<int>(mult)),
          "PWM::SetPeriodMultiplier");
  }
  wpi_setHALError(status);
}

void PWM::SetZeroLatch() {
  if (StatusIsFatal()) return;
  int32_t status = 0;
  simhal::LatchPWMZero(m_handle, &status);
  wpi_setHALError(status);
}

void PWM::EnableDeadbandElimination(bool eliminateDeadband) {
  if (StatusIsFatal()) return;
  int32_t status = 0;
  simhal::SetPWMEliminateDeadband(m_handle, eliminateDeadband, &status);
  wpi_setHALError(status);
}

void PWM::SetBounds(double max, double deadbandMax, double center, double deadbandMin, double min) {
  if (StatusIsFatal()) return;
  int32_t status = 0;
  simhal::SetPWMConfig(m_handle, max, deadbandMax, center, deadbandMin, min, &status);
  wpi_setHALError(status);
}

void PWM::SetRawBounds(int max, int deadbandMax, int center, int deadbandMin, int min) {
  if (StatusIsFatal()) return;
  int32_t status = 0;
  simhal::SetPWMConfigRaw(m_handle, max, deadbandMax, center, deadbandMin, min, &status);
  wpi_setHALError(status);
}

void PWM::GetRawBounds(int32_t* max, int32_t* deadbandMax, int32_t* center, int32_t* deadbandMin,
                       int32_t* min) {
  int32_t status = 0;
  simhal::GetPWMConfigRaw(m_handle, max, deadbandMax, center, deadbandMin, min, &status);
  wpi_setHALError(status);
}

int PWM::GetChannel() const { return m_channel; }

void PWM::InitSendable(SendableBuilder& builder) {
  builder.SetSmartDashboardType("PWM");
  builder.SetActuator(true);
  builder.SetSafeState([this] { SetDisabled(); });
  builder.AddDoubleProperty(
      "Value", [this] { return GetRaw(); },
      [this](double value) {
        // A raw value is a 16-bit count: out-of-range values are held at the
        // ends and a value that is not a number is ignored.
        if (std::isnan(value)) return;
        if (value < 0.0) value = 0.0;
        if (value > 65535.0) value = 65535.0;
        SetRaw(static_cast<uint16_t>(value));
      });
}

}  // namespace frc
