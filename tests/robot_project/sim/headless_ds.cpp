// A driver station for a headless desktop simulation: a WPILib HAL simulation extension that
// keeps the robot enabled in autonomous, sending its control data every 20 ms as a driver
// station does. WPILib's simulation loads the extensions named in HALSIM_EXTENSIONS (as the
// Gradle plugin's simulate tasks load the simulation GUI, whose buttons a team clicks instead).
// Test support, never shipped.
#include <chrono>
#include <cstdint>
#include <thread>

extern "C" {
// WPILib 2020's simulation HAL (libwpiHal), loaded by the program that loads this.
void HALSIM_SetDriverStationDsAttached(int32_t dsAttached);
void HALSIM_SetDriverStationAutonomous(int32_t autonomous);
void HALSIM_SetDriverStationEnabled(int32_t enabled);
void HALSIM_NotifyDriverStationNewData(void);

__attribute__((visibility("default"))) int HALSIM_InitExtension(void) {
  std::thread([] {
    for (;;) {
      HALSIM_SetDriverStationDsAttached(1);
      HALSIM_SetDriverStationAutonomous(1);
      HALSIM_SetDriverStationEnabled(1);
      HALSIM_NotifyDriverStationNewData();
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }).detach();
  return 0;
}
}
