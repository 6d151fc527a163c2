// The main of every test program. It starts WPILib's hardware layer before any test runs, as a
// robot program does: on the desktop HAL the simulated robot-controller data (battery voltage
// among it) exists only after HAL_Initialize, and reading it earlier crashes. On the real WPILib
// its simulated clock is paused as well.
#include <hal/HAL.h>
#if defined(VELMORA_TEST_ON_REAL_WPILIB)
#include <mockdata/DriverStationData.h>
#include <mockdata/MockHooks.h>
#include <networktables/NetworkTableInstance.h>
#endif

#include <cstdio>
#include <cstdlib>
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
  // The simulated motors stay still while WPILib's driver station has the robot disabled, as
  // WPILib's simulation starts it: the tests run the robot enabled, as a team's simulation run
  // with its driver station enabled does. A test that disables it enables it again.
  HALSIM_SetDriverStationEnabled(1);
  // A robot object starts a NetworkTables server on a fixed TCP port; test programs run side by
  // side, so theirs stay local to the process and never open the port.
  nt::NetworkTableInstance::GetDefault().StartLocal();
  const int result = RUN_ALL_TESTS();
  // A robot object starts WPILib 2020's driver-station thread, whose destructor at exit joins it
  // while it may be waiting for driver-station data that a paused simulation never sends: the
  // program would hang. A test program has nothing left to release, so it leaves without running
  // static destructors.
  std::cout.flush();
  std::fflush(nullptr);
  std::_Exit(result);
#else
  return RUN_ALL_TESTS();
#endif
}
