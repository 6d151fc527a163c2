// The simulated battery of either WPILib: the stand-in keeps its voltage in its own extras, the
// desktop HAL in the simulated robot controller's data.
#if defined(VELMORA_TEST_ON_REAL_WPILIB)
#include <mockdata/RoboRioData.h>
#else
#include <wpilib_standin/Sim.h>
#endif

#include "support/TestSupport.h"

namespace velmora_test {

void SetBatteryVoltage(double volts) {
#if defined(VELMORA_TEST_ON_REAL_WPILIB)
  HALSIM_SetRoboRioVInVoltage(0, volts);
#else
  wpilib_standin::SetInputVoltage(volts);
#endif
}

}  // namespace velmora_test
