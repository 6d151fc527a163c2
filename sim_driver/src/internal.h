// Shared plumbing of the simulation driver: one lock for the whole driver, recording a call in the
// journal and taking its scripted result. Every driver function takes the lock, then calls
// Record(...) and then asks Next(...).
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <type_traits>

#include "velmora_sim/SimDriver.h"
#include "wpilib_link.h"

namespace velmora_sim::internal {

// A robot program calls the driver from more than one thread (a PID controller writes its output
// from its own notifier thread while the robot loop reads), as a real driver allows. Every
// exported function, driver call or simulation extra, holds this one process-wide lock for its
// whole run, so the device models, the simulated world, the journal and the scripts change one
// call at a time and the journal keeps the order in which calls really happened. The lock is
// recursive because extras call one another (Reset clears the journal).
//
// Built against WPILib, the driver also lives in WPILib's simulation. The outermost call on a
// thread first reads whether WPILib's driver station has the robot enabled, then takes the lock,
// brings the simulated world up to WPILib's clock and reads back what a tool or a test set on the
// sim devices; when it ends it lets go of the lock and only then publishes the devices' new state
// (Publish). WPILib runs sim value callbacks and driver station callbacks under locks of its own,
// and such a callback may call into a device: so no WPILib call that can wait for one of WPILib's
// locks is ever made under this lock. The clock read is the one WPILib call made under it:
// HAL_GetFPGATime takes no lock and runs no callback.
std::recursive_mutex& DriverMutex();
int& CallDepth();  // how deep this thread is in driver calls
// Follows WPILib's clock, then takes the driver station's state read on the way in (unless a
// change reported by WPILib since `enabledEvents` was read already gave it), reads settable sim
// values.
void EnterCall(bool robotEnabled, uint64_t enabledEvents);
uint64_t EnabledEvents();  // how many changes of WPILib's enabled state WPILib has reported
// Without the lock: watches WPILib's battery voltage and driver station, and starts the world's
// own pass on WPILib's clock.
void WatchBattery();
void WatchWorld();
// The world's own pass runs every 20 ms of WPILib's clock, one robot loop, so that what the
// driver station or the motors change shows within one loop without any device call.
constexpr uint64_t kWorldPassMicros = 20000;
void LeaveCall();         // records every device's state for publishing
void PublishAfterCall();  // publishes it, without the lock; never waits for another thread
// Returns once a publishing round begun after this call has ended, so that every change recorded
// so far is in WPILib's sim data; false when none ended within `limit` (called from inside a WPILib
// callback, whose lock keeps the publishing thread waiting). Without the driver's lock.
bool PublishedWithin(std::chrono::milliseconds limit);
constexpr std::chrono::milliseconds kFlushWait{2000};
// Takes the driver's lock, counting the threads that wait for it, so that a long run of ticks
// can let them go first (ShareLock).
void LockDriver(std::unique_lock<std::recursive_mutex>& guard);
// Called with the lock held once by this thread (CallDepth() == 1): lets every thread waiting for
// the lock have it before this one takes it back. Does nothing when no thread waits.
void ShareLock();
class DriverLock {
 public:
  DriverLock() {
    if constexpr (wpilib::kLinked) {
      const bool outermost = CallDepth() == 0;
      if (outermost) WatchBattery();
      // Read before the lock: WPILib runs driver station callbacks under a lock of its own.
      const uint64_t events = outermost ? EnabledEvents() : 0;
      const bool enabled = outermost && wpilib::RobotEnabled();
      LockDriver(m_guard);
      ++CallDepth();
      if (outermost) EnterCall(enabled, events);
    } else {
      LockDriver(m_guard);
      ++CallDepth();
    }
  }
  ~DriverLock() {
    if constexpr (wpilib::kLinked) {
      const bool outermost = CallDepth() == 1;
      if (outermost) LeaveCall();
      --CallDepth();
      m_guard.unlock();
      if (outermost) PublishAfterCall();
    } else {
      --CallDepth();
    }
  }
  DriverLock(const DriverLock&) = delete;
  DriverLock& operator=(const DriverLock&) = delete;

 private:
  std::unique_lock<std::recursive_mutex> m_guard{DriverMutex(), std::defer_lock};
};

void Append(Call&& call);
bool JournalOn();

template <typename T>
Arg ToArg(T value) {
  if constexpr (std::is_same_v<T, bool>) {
    return Arg::Bool(value);
  } else if constexpr (std::is_same_v<T, uint8_t>) {
    return Arg::U8(value);
  } else if constexpr (std::is_same_v<T, uint16_t>) {
    return Arg::U16(value);
  } else if constexpr (std::is_same_v<T, int32_t>) {
    return Arg::I32(value);
  } else if constexpr (std::is_same_v<T, uint32_t>) {
    return Arg::U32(value);
  } else if constexpr (std::is_same_v<T, int64_t>) {
    return Arg::I64(value);
  } else if constexpr (std::is_same_v<T, float>) {
    return Arg::F32(value);
  } else if constexpr (std::is_same_v<T, double>) {
    return Arg::F64(value);
  } else if constexpr (std::is_same_v<T, const char*>) {
    return Arg::Text(value != nullptr ? std::string(value) : std::string());
  } else if constexpr (std::is_pointer_v<T>) {
    return Arg::Pointer(static_cast<const void*>(value));
  } else {
    static_assert(!sizeof(T), "argument type the journal does not know");
  }
}

// Records one call with its arguments at the types the driver function received them.
template <typename... A>
void Record(const char* name, A... args) {
  if (!JournalOn()) return;
  Call call;
  call.name = name;
  call.args.reserve(sizeof...(A));
  (call.args.push_back(ToArg<A>(args)), ...);
  Append(std::move(call));
}

// The scripted result for this call of `name`, if a test scripted one.
std::optional<Result> Next(const char* name);

// Copies a scripted fill over the caller's storage, never more than that storage holds.
template <typename T>
void ApplyFill(const Result& r, T* out) {
  if (out == nullptr || !r.hasFill) return;
  std::memcpy(out, r.fill.data(), r.fill.size() < sizeof(T) ? r.fill.size() : sizeof(T));
}

// Each simulated device family puts itself back to its start.
void ResetOrvexSim();
void ResetLidarSims();
void ResetSensorSims();
void ResetBoardSims();
void ResetSimulation();

// Simulated time and the field, shared by the device models.
constexpr double kTickSeconds = 0.005;
constexpr uint64_t kTickMicros = 5000;
// The most one step computes: an hour of simulated time, 720 000 ticks (well under a second of
// computing time for a robot's devices).
constexpr uint64_t kMaxStepTicks = 720000;
constexpr double kMaxStepSeconds = kMaxSimStepSeconds;
static_assert(kMaxStepTicks * kTickMicros == static_cast<uint64_t>(kMaxStepSeconds * 1e6));
double Now();
// Simulated time in microseconds since the last Reset, in whole ticks; and where that time starts
// on the clock a program reads: WPILib's clock (HAL_GetFPGATime) when the driver follows it, 0
// otherwise. Device timestamps are EpochMicros() + a time on the simulated clock.
double NowMicros();
int64_t EpochMicros();
// Brings the world up to WPILib's clock, in whole ticks (nothing without WPILib). While another
// thread works off a long run of ticks, a call does not wait for them all unless `finish` says so
// (SimStep): it takes the world as far as it has come.
void FollowWpilibClock(bool finish = false);
// Works off the ticks owed, sharing the lock every 20 ms of simulated time.
void WorkOffTicks(bool finish);
void OrvexTick(double dt);                           // advances every controller by one tick
void LidarTick(double nowMicros);                    // completes the lidars' scans due by then
double OrvexChannelTurns(int32_t canId, int index);  // in the last tick; 0 without such channel
// RayDistance on a given field.
double RayDistanceOn(const FieldLayout& field, double x, double y, double angle);
// The simulated driver station gates every motor: while a station exists and is disabled, the
// motors get no power. Without a station the motors run (bench testing). Built against WPILib,
// WPILib's driver station gates them as well: while it has the robot disabled, no power either.
void SetStationState(bool exists, bool enabled);
bool MotorsPowered();

// Each device family's sim devices: read what a tool or a test set, show the models' state.
void ReadOrvexPanels();
void ShowOrvexPanels();
void PublishBattery();  // without the lock
void ShowLidarPanels();
void ReadSensorPanels();
void ShowSensorPanels();
void ReadBoardPanels();
void ShowBoardPanels();

}  // namespace velmora_sim::internal
