// Sim value callbacks that call back into the devices, from WPILib's tools or a team's sim test,
// on any thread: WPILib runs them under its own lock, so a driver that held its lock while it
// called WPILib would deadlock with them. Each scenario runs under a watchdog that turns a
// deadlock into a failure of the program; under ThreadSanitizer the whole program runs clean.
#include <frc/CounterBase.h>
#include <frc/PIDOutput.h>
#include <gtest/gtest.h>
#include <hal/HALBase.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <thread>

#include "WpilibSim.h"
#include "support/Finished.h"
#include "support/TestSupport.h"
#include "velmora/Adexa.h"
#include "velmora/MockDS.h"
#include "velmora/Orvex.h"

namespace {

using velmora::Orvex;
using velmora_test::SimValue;

// Far beyond what any scenario takes, even under ThreadSanitizer on a loaded machine.
constexpr std::chrono::seconds kDeadline{120};

// Runs `body` on a thread of its own. A deadlocked thread can be neither joined nor stopped: past
// the deadline the program leaves at once, failed.
void WithinDeadline(const char* scenario, const std::function<void()>& body) {
  velmora_test::Finished finished;
  std::thread runner([&] {
    body();
    finished.Set();
  });
  if (!finished.WaitFor(kDeadline)) {
    std::cerr << scenario << ": not finished after " << kDeadline.count()
              << " s: the threads are deadlocked\n";
    std::fflush(nullptr);
    std::_Exit(3);
  }
  runner.join();
}

// Registered on a sim value: every set of it calls `call`.
class OnSet {
 public:
  OnSet(const char* device, const char* value, std::function<void()> call)
      : m_call(std::move(call)) {
    m_uid = HALSIM_RegisterSimValueChangedCallback(SimValue(device, value), this, &OnSet::Fire, 0);
  }
  ~OnSet() {
    if (m_uid >= 0) HALSIM_CancelSimValueChangedCallback(m_uid);
  }
  OnSet(const OnSet&) = delete;
  OnSet& operator=(const OnSet&) = delete;

  bool Registered() const { return m_uid >= 0; }
  int Count() const { return m_count.load(); }

 private:
  static void Fire(const char*, void* param, HAL_SimValueHandle, HAL_Bool, const HAL_Value*) {
    auto* self = static_cast<OnSet*>(param);
    self->m_call();
    self->m_count.fetch_add(1);
  }
  std::function<void()> m_call;
  std::atomic<int> m_count{0};
  int32_t m_uid = -1;
};

// Every value of a sim device, as a tool lists them; the callback calls `call` for each.
void EnumerateCalling(const char* device, const std::function<void()>& call) {
  HALSIM_EnumerateSimValues(
      HALSIM_GetSimDeviceHandle(device), const_cast<std::function<void()>*>(&call),
      [](const char*, void* param, HAL_SimValueHandle, HAL_Bool, const HAL_Value*) {
        (*static_cast<std::function<void()>*>(param))();
      });
}

class CallbackThreadsTest : public velmora_test::DriverTest {};

TEST_F(CallbackThreadsTest, CallbacksThatCallBackIntoDevicesCompleteOnTheCallingThread) {
  WithinDeadline("callbacks on the calling thread", [] {
    Orvex orvex(5);
    Orvex::Motor& motor = orvex.GetMotor(0);
    velmora::Adexa board(5.0f);
    velmora::MockDS station;
    station.Enable();
    motor.Set(0.5);
    // A limit switch wired to the shaft's speed, as a team's sim test would do it.
    OnSet onRpm("Orvex[5]", "Motor 0 RPM", [&] {
      HAL_SetSimValueDouble(SimValue("Orvex[5]", "Motor 0 limit switch 0"),
                            motor.GetRPM() > 1000.0 ? 1.0 : 0.0);
    });
    OnSet onSwitch("Orvex[5]", "Motor 0 limit switch 0",
                   [&] { static_cast<void>(board.GetVoltage(0)); });
    ASSERT_TRUE(onRpm.Registered());
    // The world's own pass may run these callbacks on its thread. WPILib hands them over under its
    // own lock, which ThreadSanitizer does not see (WPILib is not built with it): a driver call
    // after registering orders them before every pass, through the driver's lock, in its eyes.
    static_cast<void>(motor.GetRPM());
    for (int period = 0; period < 50; ++period) {
      velmora_test::StepWpilib(0.02);
      static_cast<void>(motor.GetRPM());
      EnumerateCalling("Orvex[5]", [&] { static_cast<void>(motor.Get()); });
      EnumerateCalling("Adexa[I2C]", [&] { static_cast<void>(motor.GetRPM()); });
    }
    // The world's own pass may still be publishing the last step, running the callbacks on its
    // thread: let it finish before looking.
    ASSERT_TRUE(velmora_test::WaitForWorld());
    static_cast<void>(motor.GetRPM());
    EXPECT_GT(onRpm.Count(), 0);
    EXPECT_GT(onSwitch.Count(), 0);
    EXPECT_EQ(motor.GetLimitSwitch(false), 1.0) << "the callback's set reached the device";
  });
}

TEST_F(CallbackThreadsTest, RobotLoopPidThreadAndCallbackThreadRunTogether) {
  WithinDeadline("robot loop, PID thread and callback thread", [] {
    Orvex orvex(5);
    Orvex::Motor& driven = orvex.GetMotor(0);
    Orvex::Motor& other = orvex.GetMotor(1);
    Orvex::Encoder& source = orvex.GetEncoder(0, 0.1);
    velmora::Adexa board(5.0f);
    velmora::MockDS station;
    station.Enable();
    // Whoever publishes the shaft's new speed runs this, under WPILib's lock.
    OnSet onRpm("Orvex[5]", "Motor 0 RPM", [&] { static_cast<void>(other.GetRPM()); });
    ASSERT_TRUE(onRpm.Registered());
    static_cast<void>(other.GetRPM());  // orders the registration before every pass (see above)

    // Each thread goes round at least this often while the others run.
    constexpr int kRounds = 400;
    std::atomic<bool> stop{false};
    std::atomic<int> pidRounds{0};
    std::atomic<int> toolRounds{0};
    std::thread pid([&] {
      frc::PIDOutput& output = driven;
      frc::CounterBase& counter = source;
      for (int k = 0; !stop.load(); ++k) {
        static_cast<void>(source.GetEncoderDistance());
        static_cast<void>(counter.Get());
        output.PIDWrite(0.1 * (1 + k % 9));
        pidRounds.fetch_add(1);
      }
    });
    // A sim tool: sets what the world outside the robot supplies and lists the values, calling
    // back into the devices from its callbacks.
    std::atomic<int> lastSwitch{0};
    std::thread tool([&] {
      for (int k = 1; !stop.load(); ++k) {
        HAL_SetSimValueDouble(SimValue("Orvex[5]", "Motor 1 limit switch 1"), k % 7);
        lastSwitch.store(k % 7);
        HAL_SetSimValueDouble(SimValue("Adexa[I2C]", "Input 2 voltage"), 0.5 * (k % 9));
        EnumerateCalling("Orvex[5]", [&] { static_cast<void>(driven.GetRPM()); });
        EnumerateCalling("Adexa[I2C]", [&] { static_cast<void>(board.GetVoltage(2)); });
        toolRounds.fetch_add(1);
      }
    });
    // The loop starts with the other two under way: on two cores one thread can well get ahead.
    while (pidRounds.load() == 0 || toolRounds.load() == 0) std::this_thread::yield();
    for (int round = 0;
         round < kRounds || pidRounds.load() < kRounds || toolRounds.load() < kRounds; ++round) {
      velmora_test::StepWpilib(0.005);
      other.Set(0.2);
      static_cast<void>(other.GetLimitSwitch(true));
      static_cast<void>(driven.GetRPM());
      static_cast<void>(board.GetVoltage(2));
    }
    stop.store(true);
    pid.join();
    tool.join();
    // Nothing the tool set was lost: the device reports its last set.
    EXPECT_EQ(other.GetLimitSwitch(true), static_cast<double>(lastSwitch.load()));
    EXPECT_GT(onRpm.Count(), 0);
  });
}

}  // namespace
