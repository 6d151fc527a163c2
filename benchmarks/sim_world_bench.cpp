// How fast the simulated world runs: an hour of simulated time for a full robot's devices (four
// controllers with 16 motors, the four small lidars and the large lidar, a drive on the field),
// and what another thread's device call waits meanwhile.
//
// Read the counters: "speed_up" is simulated seconds per second of computing (3600 per hour in
// one second is 3600x); "longest_wait_us" is the longest a call on another thread took while the
// hour was computed. Run with repetitions for the median and the range.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "velmora/Lidar.h"
#include "velmora/LidarMini.h"
#include "velmora/Orvex.h"
#include "velmora_sim/SimDriver.h"

namespace {

namespace sim = velmora_sim;

constexpr double kHour = 3600.0;

// The full device set, driving: every motor at its own speed, every lidar scanning.
struct FullRobot {
  std::vector<std::unique_ptr<velmora::Orvex>> controllers;
  std::vector<std::unique_ptr<velmora::LidarMini>> minis;
  velmora::Lidar lidar{velmora::Lidar::Port::kUSB1};

  FullRobot() {
    sim::Reset();
    sim::EnableJournal(false);
    for (int id = 1; id <= 4; ++id) {
      controllers.push_back(std::make_unique<velmora::Orvex>(id));
      for (int m = 0; m < 4; ++m) controllers.back()->GetMotor(m).Set(0.2 * m - 0.3 + 0.05 * id);
    }
    const velmora::LidarMini::Port ports[] = {
        velmora::LidarMini::Port::kUSB0, velmora::LidarMini::Port::kUSB1,
        velmora::LidarMini::Port::kUSB2, velmora::LidarMini::Port::kUSB3};
    for (auto port : ports) {
      minis.push_back(std::make_unique<velmora::LidarMini>(port));
      minis.back()->Start();
    }
    lidar.Start();
    sim::AttachDrive(1, 0, 1, 0.05);
  }
  ~FullRobot() {
    for (auto& mini : minis) {
      mini->Stop();
      mini->Destroy();
    }
  }
};

void SimulatedHour(benchmark::State& state) {
  FullRobot robot;
  for (auto _ : state) {
    if (!sim::SimStep(kHour)) state.SkipWithError("SimStep refused the hour");
  }
  state.counters["speed_up"] = benchmark::Counter(kHour * static_cast<double>(state.iterations()),
                                                  benchmark::Counter::kIsRate);
}

// The same hour while another thread reads a motor's speed over and over: its longest call.
void CallWhileSimulatingAnHour(benchmark::State& state) {
  FullRobot robot;
  velmora::Orvex::Motor& motor = robot.controllers.front()->GetMotor(0);
  double longest = 0.0;
  for (auto _ : state) {
    std::atomic<bool> done{false};
    std::atomic<bool> reading{false};
    double worst = 0.0;
    std::thread reader([&] {
      while (!done.load()) {
        const auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(motor.GetRPM());
        const std::chrono::duration<double, std::micro> took =
            std::chrono::steady_clock::now() - start;
        worst = std::max(worst, took.count());
        reading.store(true);
      }
    });
    while (!reading.load()) std::this_thread::yield();
    sim::SimStep(kHour);
    done.store(true);
    reader.join();
    longest = std::max(longest, worst);
  }
  state.counters["longest_wait_us"] = longest;
  state.counters["speed_up"] = benchmark::Counter(kHour * static_cast<double>(state.iterations()),
                                                  benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK(SimulatedHour)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(CallWhileSimulatingAnHour)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
