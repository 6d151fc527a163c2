#pragma once

#include <stdint.h>

#include "frc/MotorSafety.h"
#include "frc/smartdashboard/Sendable.h"
#include "frc/smartdashboard/SendableHelper.h"
#include "hal/Types.h"
#include "wpi/raw_ostream.h"
#include "wpilib_standin/Export.h"

namespace frc {

class AddressableLED;
class SendableBuilder;

// One PWM output channel: 0-9 on the headers, 10-19 on the MXP port.
//
// The output holds one raw pulse value; 0 means no pulse. Positions (0 to 1)
// and speeds (-1 to 1) are mapped onto raw values through five bounds (max,
// deadband max, center, deadband min, min), set in milliseconds with
// SetBounds or as raw values with SetRawBounds. Read-back converts the raw
// value back, so it shows the quantisation of the output.
//
// Errors are recorded (ErrorBase), not thrown. Once an error with a negative
// code is recorded the output ignores commands and its getters return 0,
// until ClearError().
class WPILIB_STANDIN_API PWM : public MotorSafety, public Sendable, public SendableHelper<PWM> {
 public:
  friend class AddressableLED;

  // How many PWM periods pass per output pulse (the others are squelched).
  enum PeriodMultiplier {
    kPeriodMultiplier_1X = 1,
    kPeriodMultiplier_2X = 2,
    kPeriodMultiplier_4X = 4
  };

  // Allocates the channel, disables its output, reports it for usage and
  // registers it for the dashboard as "PWM[channel]". A channel outside 0-19
  // or already in use records an error and leaves the object inert.
  explicit PWM(int channel);

  // Disables the output and frees the channel.
  ~PWM() override;

  PWM(PWM&&) = default;
  PWM& operator=(PWM&&) = default;

  void StopMotor() override;
  void GetDescription(wpi::raw_ostream& desc) const override;

  virtual void SetRaw(uint16_t value);
  virtual uint16_t GetRaw() const;
  virtual void SetPosition(double pos);
  virtual double GetPosition() const;
  virtual void SetSpeed(double speed);
  virtual double GetSpeed() const;
  virtual void SetDisabled();

  void SetPeriodMultiplier(PeriodMultiplier mult);
  void SetZeroLatch();
  void EnableDeadbandElimination(bool eliminateDeadband);
  void SetBounds(double max, double deadbandMax, double center, double deadbandMin, double min);
  void SetRawBounds(int max, int deadbandMax, int center, int deadbandMin, int min);
  void GetRawBounds(int32_t* max, int32_t* deadbandMax, int32_t* center, int32_t* deadbandMin,
                    int32_t* min);
  int GetChannel() const;

 protected:
  void InitSendable(SendableBuilder& builder) override;

 private:
  int m_channel;
  hal::Handle<HAL_DigitalHandle> m_handle;
};

}  // namespace frc
