// Helpers for tests inside WPILib's desktop simulation: stepping WPILib's clock the way its robot
// loop would see it, and looking at the sim devices the way WPILib's tools do.
#pragma once

#include <hal/HALBase.h>
#include <hal/SimDevice.h>
#include <mockdata/MockHooks.h>
#include <mockdata/NotifierData.h>
#include <mockdata/SimDeviceData.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "velmora_sim/SimDriver.h"

namespace velmora_test {

// Seconds of WPILib's (paused) clock.
inline void StepWpilib(double seconds) {
  HALSIM_StepTiming(static_cast<uint64_t>(seconds * 1e6 + 0.5));
}

// The simulated world's own notifier, by the name it shows in WPILib's list of notifiers.
constexpr const char* kWorldNotifierName = "Velmora simulated world";

// WPILib's notifiers other than the simulated world's: the earliest alarm among them (UINT64_MAX
// when none is set), as a test waits for a robot loop's first alarm.
inline uint64_t NextRobotNotifierTimeout() {
  std::vector<HALSIM_NotifierInfo> infos(64);
  const int32_t count = HALSIM_GetNotifierInfo(infos.data(), static_cast<int32_t>(infos.size()));
  uint64_t next = UINT64_MAX;
  for (int32_t i = 0; i < count && i < static_cast<int32_t>(infos.size()); ++i) {
    const HALSIM_NotifierInfo& info = infos[static_cast<size_t>(i)];
    if (std::strcmp(info.name, kWorldNotifierName) == 0 || !info.running) continue;
    if (info.timeout < next) next = info.timeout;
  }
  return next;
}

// Waits, within a generous real-time limit, until the simulated world has caught up with WPILib's
// clock on its own: its notifier has run its pass and set its next alarm past the clock. After a
// step of 20 ms or more there is always a pass due. False when it never came (and then says what
// WPILib's notifiers were waiting for).
inline bool WaitForWorld() {
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  for (;;) {
    int32_t status = 0;
    const uint64_t now = HAL_GetFPGATime(&status);
    std::vector<HALSIM_NotifierInfo> infos(64);
    const int32_t count = HALSIM_GetNotifierInfo(infos.data(), static_cast<int32_t>(infos.size()));
    for (int32_t i = 0; i < count && i < static_cast<int32_t>(infos.size()); ++i) {
      const HALSIM_NotifierInfo& info = infos[static_cast<size_t>(i)];
      if (std::strcmp(info.name, kWorldNotifierName) == 0 && info.running && info.timeout > now) {
        return true;
      }
    }
    if (std::chrono::steady_clock::now() > limit) {
      for (int32_t i = 0; i < count && i < static_cast<int32_t>(infos.size()); ++i) {
        const HALSIM_NotifierInfo& info = infos[static_cast<size_t>(i)];
        std::fprintf(stderr, "notifier '%s' running %d timeout %llu now %llu\n", info.name,
                     static_cast<int>(info.running), static_cast<unsigned long long>(info.timeout),
                     static_cast<unsigned long long>(now));
      }
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    // WPILib 2020's notifier lets the first wake-up after an alarm was set go unanswered: a step
    // that moves no time wakes it again.
    HALSIM_StepTiming(0);
  }
}

// Steps WPILib's paused clock by `loops` robot loops of 20 ms, letting the simulated world catch up
// after each on its own, with no device call in between.
inline bool StepLoops(int loops) {
  for (int i = 0; i < loops; ++i) {
    StepWpilib(0.02);
    if (!WaitForWorld()) return false;
  }
  return true;
}

// A sim device by its name, once every change so far is published (the world's own pass may be
// publishing on its thread when a test looks); 0 when there is none.
inline HAL_SimDeviceHandle SimDevice(const char* name) {
  static_cast<void>(velmora_sim::FlushSimValues());
  return HALSIM_GetSimDeviceHandle(name);
}

// The names of every sim device, as WPILib's simulation tools list them.
inline std::vector<std::string> SimDeviceNames() {
  static_cast<void>(velmora_sim::FlushSimValues());
  std::vector<std::string> names;
  HALSIM_EnumerateSimDevices("", &names, [](const char* name, void* param, HAL_SimDeviceHandle) {
    static_cast<std::vector<std::string>*>(param)->push_back(name);
  });
  return names;
}

// One sim value of a device, found by names once every change is published (as SimDevice); 0 when
// there is no such device or value.
inline HAL_SimValueHandle SimValue(const std::string& device, const std::string& value) {
  const HAL_SimDeviceHandle d = SimDevice(device.c_str());
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
  const HAL_SimDeviceHandle d = SimDevice(device.c_str());
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
