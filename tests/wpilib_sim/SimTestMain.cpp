// The entry of every test that runs inside WPILib's desktop simulation: the HAL is initialised, as
// frc::StartRobot does, and WPILib's clock is paused, so that time moves only when a test steps it
// and every run sees the same readings.
#include <gtest/gtest.h>
#include <hal/HALBase.h>
#include <mockdata/MockHooks.h>

int main(int argc, char** argv) {
  if (!HAL_Initialize(500, 0)) return 2;
  HALSIM_PauseTiming();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
