// The main of every test program. It starts WPILib's hardware layer before any test runs, as a
// robot program does: on the desktop HAL the simulated robot-controller data (battery voltage
// among it) exists only after HAL_Initialize, and reading it earlier crashes. On the real WPILib
// its simulated clock is paused as well.
#include <hal/HAL.h>
#if defined(VELMORA_TEST_ON_REAL_WPILIB)
#include <mockdata/MockHooks.h>
#include <networktables/NetworkTableInstance.h>
#endif

#include <iostream>

#include "gtest/gtest.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (!HAL_Initialize(500, 0)) {
    std::cerr << "HAL_Initialize(500, 0) failed: WPILib's hardware layer did not start\n";
    return 1;
  }
#if defined(VELMORA_TEST_ON_REAL_WPILIB)
  // The simulation driver follows WPILib's clock there: paused, it moves only when a test steps
  // it (SimStep steps it too), so every run sees the same readings.
  HALSIM_PauseTiming();
  // A robot object starts a NetworkTables server on a fixed TCP port; test programs run side by
  // side, so theirs stay local to the process and never open the port.
  nt::NetworkTableInstance::GetDefault().StartLocal();
#endif
  return RUN_ALL_TESTS();
}
