// What the library costs on top of the driver: each device call against the same driver call
// made directly, and each record read against the plainest copy of the same data.
//
// The driver is the simulation driver, with its journal off so that a call costs what its
// device model costs. Pairs are named Library/... and Driver/... (or Copy/...) with the same
// suffix; docs/benchmarks.md divides one by the other.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <new>
#include <vector>

#include "driver_link/VelmoraDriver.h"
#include "velmora/LidarMini.h"
#include "velmora/Lumira.h"
#include "velmora/Orvex.h"
#include "velmora/Pallax.h"
#include "velmora_sim/SimDriver.h"

namespace {

namespace sim = velmora_sim;

// A fresh simulation driver with its journal off. The journal is switched on just long enough for
// HandleOf to learn a device's handle from the first argument of a call.
void FreshDriver() {
  sim::Reset();
  sim::EnableJournal(false);
}

template <typename Call>
sim::Arg HandleOf(const char* function, Call&& call) {
  sim::EnableJournal(true);
  sim::ClearJournal();
  call();
  const sim::Arg handle = sim::CallsTo(function).at(0).args.at(0);
  sim::ClearJournal();
  sim::EnableJournal(false);
  return handle;
}

// ------------------------------------------------------------------------------------------------
// Orvex motor channel and controller
// ------------------------------------------------------------------------------------------------

void Library_MotorSet(benchmark::State& state) {
  FreshDriver();
  velmora::Orvex orvex(5);
  frc::SpeedController& motor = orvex.GetMotor(0);
  double speed = 0.25;
  for (auto _ : state) {
    motor.Set(speed);
    speed = -speed;
  }
}

void Driver_MotorSet(benchmark::State& state) {
  FreshDriver();
  velmora::Orvex orvex(5);
  const auto handle = static_cast<int32_t>(
      HandleOf("c_Orvex_setMotorSpeed", [&] { orvex.GetMotor(0).Set(0.0); }).AsInt());
  double speed = 0.25;
  for (auto _ : state) {
    c_Orvex_setMotorSpeed(handle, 0, speed);
    speed = -speed;
  }
}

void Library_GetRPM(benchmark::State& state) {
  FreshDriver();
  velmora::Orvex orvex(5);
  velmora::Orvex::Motor& motor = orvex.GetMotor(0);
  for (auto _ : state) benchmark::DoNotOptimize(motor.GetRPM());
}

void Driver_GetRPM(benchmark::State& state) {
  FreshDriver();
  velmora::Orvex orvex(5);
  const auto handle =
      static_cast<int32_t>(HandleOf("c_Orvex_getRPM", [&] { orvex.GetMotor(0).GetRPM(); }).AsInt());
  for (auto _ : state) benchmark::DoNotOptimize(c_Orvex_getRPM(handle, 0));
}

// The identity is cached after the first query, so the library answers from memory.
void Library_GetID(benchmark::State& state) {
  FreshDriver();
  velmora::Orvex orvex(5);
  orvex.GetID();
  for (auto _ : state) benchmark::DoNotOptimize(orvex.GetID());
}

void Driver_GetID(benchmark::State& state) {
  FreshDriver();
  velmora::Orvex orvex(5);
  const auto handle =
      static_cast<int32_t>(HandleOf("c_Orvex_getID", [&] { orvex.GetID(); }).AsInt());
  for (auto _ : state) benchmark::DoNotOptimize(c_Orvex_getID(handle));
}

// ------------------------------------------------------------------------------------------------
// Lumira setter
// ------------------------------------------------------------------------------------------------

void Library_LumiraSetBrightness(benchmark::State& state) {
  FreshDriver();
  velmora::Lumira sensor(3);
  unsigned char brightness = 0;
  for (auto _ : state) benchmark::DoNotOptimize(sensor.SetBrightness(brightness++));
}

void Driver_LumiraSetBrightness(benchmark::State& state) {
  FreshDriver();
  velmora::Lumira sensor(3);
  void* handle = const_cast<void*>(
      HandleOf("c_Lumira_setBrightness", [&] { sensor.SetBrightness(0); }).AsPointer());
  uint8_t brightness = 0;
  for (auto _ : state) benchmark::DoNotOptimize(c_Lumira_setBrightness(handle, brightness++));
}

// ------------------------------------------------------------------------------------------------
// LidarMini scans
// ------------------------------------------------------------------------------------------------

// A scripted scan of `count` points, the same on every call.
void ScriptScan(int64_t count) {
  std::vector<sim::ScanPoint> points;
  points.reserve(static_cast<size_t>(count));
  for (int64_t i = 0; i < count; ++i) {
    const float angle = static_cast<float>(360.0 * static_cast<double>(i) / count);
    points.push_back({angle, 1.0f + angle / 100.0f, 47.0f});
  }
  sim::ScriptAlways("c_LidarMini_getData", sim::Result::Scan(1, std::move(points)));
}

void Library_LidarMiniGetData(benchmark::State& state) {
  FreshDriver();
  velmora::LidarMini lidar(velmora::LidarMini::Port::kUSB0);
  ScriptScan(state.range(0));
  for (auto _ : state) {
    velmora::LidarMini::ScanData scan = lidar.GetData();
    benchmark::DoNotOptimize(scan.distances.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  lidar.Destroy();
}

// The baseline: the same driver call, and the points copied into three lists reserved for them.
void Copy_LidarMiniGetData(benchmark::State& state) {
  FreshDriver();
  velmora::LidarMini lidar(velmora::LidarMini::Port::kUSB0);
  void* handle =
      const_cast<void*>(HandleOf("c_LidarMini_start", [&] { lidar.Start(); }).AsPointer());
  ScriptScan(state.range(0));
  for (auto _ : state) {
    alignas(LidarMiniJNI::ScanData) unsigned char storage[sizeof(LidarMiniJNI::ScanData)];
    auto* record = reinterpret_cast<LidarMiniJNI::ScanData*>(storage);
    c_LidarMini_getData(handle, record);
    record = std::launder(record);
    std::vector<float> angles;
    std::vector<float> distances;
    std::vector<float> qualities;
    angles.reserve(record->points.size());
    distances.reserve(record->points.size());
    qualities.reserve(record->points.size());
    for (const LidarMiniJNI::DataPoint& p : record->points) {
      angles.push_back(p.angle);
      distances.push_back(p.distance);
      qualities.push_back(p.quality);
    }
    benchmark::DoNotOptimize(distances.data());
    record->~ScanData();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  lidar.Destroy();
}

// One nearest-angle look-up walks the whole scan; items are points.
void Library_GetDistanceAt(benchmark::State& state) {
  velmora::LidarMini::ScanData scan;
  const int64_t count = state.range(0);
  for (int64_t i = 0; i < count; ++i) {
    const float angle = static_cast<float>(360.0 * static_cast<double>(i) / count);
    scan.angles.push_back(angle);
    scan.distances.push_back(1.0f + angle / 100.0f);
    scan.qualities.push_back(47.0f);
  }
  float query = 0.0f;
  for (auto _ : state) {
    benchmark::DoNotOptimize(scan.GetDistanceAt(query, 1.0f));
    query = query < 359.0f ? query + 1.0f : 0.0f;
  }
  state.SetItemsProcessed(state.iterations() * count);
  state.counters["ns_per_point"] = benchmark::Counter(
      static_cast<double>(state.iterations() * count),
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert, benchmark::Counter::kIs1000);
}

// ------------------------------------------------------------------------------------------------
// Pallax scan
// ------------------------------------------------------------------------------------------------

void Library_PallaxGetData(benchmark::State& state) {
  FreshDriver();
  velmora::Pallax pallax(9);
  for (auto _ : state) {
    velmora::Pallax::ScanData scan = pallax.GetData(64);
    benchmark::DoNotOptimize(scan.values.data());
  }
}

void Copy_PallaxGetData(benchmark::State& state) {
  FreshDriver();
  velmora::Pallax pallax(9);
  void* handle =
      const_cast<void*>(HandleOf("c_Pallax_getData", [&] { pallax.GetData(64); }).AsPointer());
  for (auto _ : state) {
    velmora_driver::PallaxScanRecord record{};
    c_Pallax_getData(handle, &record, 64);
    std::vector<int16_t> values(record.values, record.values + record.count);
    benchmark::DoNotOptimize(values.data());
    benchmark::DoNotOptimize(record.header);
  }
}

BENCHMARK(Library_MotorSet);
BENCHMARK(Driver_MotorSet);
BENCHMARK(Library_GetRPM);
BENCHMARK(Driver_GetRPM);
BENCHMARK(Library_GetID);
BENCHMARK(Driver_GetID);
BENCHMARK(Library_LumiraSetBrightness);
BENCHMARK(Driver_LumiraSetBrightness);
BENCHMARK(Library_LidarMiniGetData)->Arg(360)->Arg(2000)->Arg(8000);
BENCHMARK(Copy_LidarMiniGetData)->Arg(360)->Arg(2000)->Arg(8000);
BENCHMARK(Library_GetDistanceAt)->Arg(360)->Arg(2000)->Arg(8000);
BENCHMARK(Library_PallaxGetData);
BENCHMARK(Copy_PallaxGetData);

}  // namespace

BENCHMARK_MAIN();
