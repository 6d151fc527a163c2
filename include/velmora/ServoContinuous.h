// ServoContinuous: a continuous-rotation servo on a WPILib PWM output, driven as a speed
// controller from -1.0 to 1.0.
//
// The pulse runs from 0.5 ms (full reverse) through the 1.5 ms stop point to 2.5 ms (full
// forward), with a deadband of 1.45 ms to 1.55 ms, at the four-times PWM period. Full reverse is
// the shortest pulse the output can produce, one raw step above "no pulse" (about 0.502 ms), so
// that every speed keeps the output taking commands. The output starts stopped and latched.
// Everything else is WPILib's PWM speed controller, unchanged.
#pragma once

#include <frc/PWMSpeedController.h>

#include "velmora/Export.h"

namespace velmora {

class VELMORA_API ServoContinuous : public frc::PWMSpeedController {
 public:
  explicit ServoContinuous(int channel);
  ~ServoContinuous() override;

  // Moving hands the channel over. Assigning releases this servo's own channel (its output is
  // switched off) before taking over the other's, so the released channel can be opened again.
  // Not noexcept: the WPILib moves it is made of are not.
  ServoContinuous(ServoContinuous&&) = default;
  // NOLINTNEXTLINE(performance-noexcept-move-constructor)
  ServoContinuous& operator=(ServoContinuous&& other);
};

}  // namespace velmora
