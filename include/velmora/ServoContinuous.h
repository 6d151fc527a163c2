// ServoContinuous: a continuous-rotation servo on a WPILib PWM output, driven as a speed
// controller from -1.0 to 1.0.
//
// The pulse runs from 0.5 ms (full reverse) through the 1.5 ms stop point to 2.5 ms (full
// forward), with a deadband of 1.45 ms to 1.55 ms, at the four-times PWM period. The output
// starts stopped and latched. Everything else is WPILib's PWM speed controller, unchanged.
#pragma once

#include <frc/PWMSpeedController.h>

#include "velmora/Export.h"

namespace velmora {

class VELMORA_API ServoContinuous : public frc::PWMSpeedController {
 public:
  explicit ServoContinuous(int channel);
  ~ServoContinuous() override;

  ServoContinuous(ServoContinuous&&) = default;
  ServoContinuous& operator=(ServoContinuous&&) = default;
};

}  // namespace velmora
