// The main of every test program. It starts WPILib's hardware layer before any test runs, as a
// robot program does: on the desktop HAL the simulated robot-controller data (battery voltage
// among it) exists only after HAL_Initialize, and reading it earlier crashes.
#include <hal/HAL.h>

#include <iostream>

#include "gtest/gtest.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (!HAL_Initialize(500, 0)) {
    std::cerr << "HAL_Initialize(500, 0) failed: WPILib's hardware layer did not start\n";
    return 1;
  }
  return RUN_ALL_TESTS();
}
