// Helpers for tests inside WPILib's desktop simulation: stepping WPILib's clock the way its robot
// loop would see it, and looking at the sim devices the way WPILib's tools do.
#pragma once

#include <hal/SimDevice.h>
#include <mockdata/MockHooks.h>
#include <mockdata/SimDeviceData.h>

#include <cstdint>
#include <string>
#include <vector>

namespace velmora_test {

// Seconds of WPILib's (paused) clock.
inline void StepWpilib(double seconds) {
  HALSIM_StepTiming(static_cast<uint64_t>(seconds * 1e6 + 0.5));
}

// The names of every sim device, as WPILib's simulation tools list them.
inline std::vector<std::string> SimDeviceNames() {
  std::vector<std::string> names;
  HALSIM_EnumerateSimDevices("", &names, [](const char* name, void* param, HAL_SimDeviceHandle) {
    static_cast<std::vector<std::string>*>(param)->push_back(name);
  });
  return names;
}

// One sim value of a device, found by names; 0 when there is no such device or value.
inline HAL_SimValueHandle SimValue(const std::string& device, const std::string& value) {
  const HAL_SimDeviceHandle d = HALSIM_GetSimDeviceHandle(device.c_str());
  return d == 0 ? 0 : HALSIM_GetSimValueHandle(d, value.c_str());
}

inline double SimDouble(const std::string& device, const std::string& value) {
  return HAL_GetSimValueDouble(SimValue(device, value));
}

// Whether a sim value is read-only to tools and tests.
inline bool SimValueReadOnly(const std::string& device, const std::string& value) {
  struct Search {
    std::string name;
    bool found = false;
    bool readonly = false;
  } search{value};
  const HAL_SimDeviceHandle d = HALSIM_GetSimDeviceHandle(device.c_str());
  HALSIM_EnumerateSimValues(
      d, &search,
      [](const char* name, void* param, HAL_SimValueHandle, HAL_Bool ro, const HAL_Value*) {
        auto* s = static_cast<Search*>(param);
        if (s->name == name) {
          s->found = true;
          s->readonly = ro != 0;
        }
      });
  return search.found && search.readonly;
}

}  // namespace velmora_test
