// The simulated world as a team's program meets it in WPILib's desktop simulation: a TimedRobot's
// own loop, run by WPILib on its stepped clock, sees its lidar scan at the lidar's rate; stalled
// motors pull down the battery voltage WPILib reports; the motor's sim values are there to set.
#include <frc/DriverStation.h>
#include <frc/RobotController.h>
#include <frc/TimedRobot.h>
#include <gtest/gtest.h>
#include <hal/HALBase.h>
#include <mockdata/DriverStationData.h>
#include <mockdata/NotifierData.h>
#include <mockdata/RoboRioData.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <mutex>
#include <thread>
#include <vector>

#include "WpilibSim.h"
#include "support/Finished.h"
#include "support/TestSupport.h"
#include "velmora/LidarMini.h"
#include "velmora/Orvex.h"

namespace {

using velmora_test::SimDouble;
using velmora_test::SimValue;
using velmora_test::SimValueReadOnly;

// The battery voltage WPILib reports, once the driver's latest is published (the world's own pass
// may be publishing it on its thread).
double InputVoltage() {
  static_cast<void>(velmora_sim::FlushSimValues());
  return frc::RobotController::GetInputVoltage();
}

uint64_t WpilibMicros() {
  int32_t status = 0;
  return HAL_GetFPGATime(&status);
}

// A team's robot that reads its small lidar in every pass of WPILib's loop, whatever the mode.
class ScanningRobot : public frc::TimedRobot {
 public:
  struct Read {
    uint64_t at;  // WPILib's clock when the program read
    int64_t timestamp;
    size_t points;
  };

  void RobotInit() override { m_lidar.Start(); }
  void RobotPeriodic() override {
    const velmora::LidarMini::ScanData scan = m_lidar.GetData();
    std::lock_guard<std::mutex> lock(m_mutex);
    m_reads.push_back({WpilibMicros(), scan.timestamp, scan.angles.size()});
    m_passes.notify_all();
  }

  // Waits until the loop has made `passes` passes; false after a generous real-time limit, so a
  // loop that stalls fails the test instead of hanging it. WPILib 2020's notifier lets the first
  // wake-up after the loop moved its alarm pass unanswered, so a step that moves no time wakes it
  // again until the pass comes.
  bool WaitForPasses(size_t passes) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_passes.wait_for(lock, std::chrono::milliseconds(20),
                              [&] { return m_reads.size() >= passes; })) {
      if (std::chrono::steady_clock::now() > limit) return false;
      lock.unlock();
      HALSIM_StepTiming(0);
      lock.lock();
    }
    return true;
  }
  std::vector<Read> Reads() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_reads;
  }
  void Release() {
    m_lidar.Stop();
    m_lidar.Destroy();
  }

 private:
  velmora::LidarMini m_lidar{velmora::LidarMini::Port::kUSB0};
  std::mutex m_mutex;
  std::condition_variable m_passes;
  std::vector<Read> m_reads;
};

class SimWorldTest : public velmora_test::DriverTest {};

// WPILib's own loop, on its paused clock stepped 20 ms at a time for 10 s: at 6 Hz the program sees
// 60 scans, each one reported from its completion until the next, stamped on WPILib's clock.
TEST_F(SimWorldTest, ATimedRobotReadingEveryLoopSeesTheLidarsOwnScanRate) {
  ScanningRobot robot;
  const uint64_t start = WpilibMicros();
  std::thread loop([&robot] { robot.StartCompetition(); });
  // WPILib's loop sets its first alarm one period after it starts; step only once it has.
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (velmora_test::NextRobotNotifierTimeout() != start + 20000 &&
         std::chrono::steady_clock::now() < limit) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_EQ(velmora_test::NextRobotNotifierTimeout(), start + 20000)
      << "WPILib's loop did not start";
  constexpr size_t kPasses = 500;  // 10 s of 20 ms loops
  for (size_t pass = 1; pass <= kPasses; ++pass) {
    velmora_test::StepWpilib(0.02);
    if (!robot.WaitForPasses(pass)) {
      ADD_FAILURE() << "WPILib's loop stopped after " << robot.Reads().size() << " passes";
      break;
    }
  }
  robot.EndCompetition();  // stops the loop's notifier: its wait returns and the loop ends
  loop.join();
  robot.Release();

  const std::vector<ScanningRobot::Read> reads = robot.Reads();
  ASSERT_GE(reads.size(), kPasses);
  std::vector<int64_t> scans;
  for (const ScanningRobot::Read& read : reads) {
    if (read.points == 0) {
      EXPECT_TRUE(scans.empty()) << "only before the first scan completes";
      continue;
    }
    EXPECT_EQ(read.points, 720u);
    // Completed by the time of the read, on WPILib's clock, and the latest: at most one period
    // (plus the world's 5 ms tick) old.
    EXPECT_LE(read.timestamp, static_cast<int64_t>(read.at));
    EXPECT_GT(read.timestamp, static_cast<int64_t>(read.at) - 166667 - 5000);
    if (scans.empty() || read.timestamp != scans.back()) {
      if (!scans.empty()) {
        EXPECT_NEAR(static_cast<double>(read.timestamp - scans.back()), 166667.0, 1.0);
      }
      scans.push_back(read.timestamp);
    }
  }
  EXPECT_NEAR(static_cast<double>(scans.size()), 60.0, 1.0);
  ASSERT_FALSE(scans.empty());
  EXPECT_NEAR(
      static_cast<double>(scans.front()),
      static_cast<double>(velmora_sim::SimClockMicros() - velmora_sim::SimTime() * 1e6) + 166667.0,
      1.0)
      << "the first scan a sixth of a second after RobotInit started the lidar";
}

// A program run in simulation with no driver station stays disabled. Enabled from its own
// SimulationInit, as the simulated-world guide shows, WPILib's loop runs the teleoperated code.
class EnabledInSimulationRobot : public frc::TimedRobot {
 public:
  void SimulationInit() override {
    HALSIM_SetDriverStationAutonomous(false);
    HALSIM_SetDriverStationTest(false);
    HALSIM_SetDriverStationDsAttached(true);
    HALSIM_SetDriverStationEnabled(true);
    HALSIM_NotifyDriverStationNewData();
  }
  void TeleopPeriodic() override {
    m_shooter.Set(0.5);
    m_teleopPasses.fetch_add(1);
  }

  velmora::Orvex m_controller{5};
  velmora::Orvex::Motor& m_shooter = m_controller.GetMotor(0);
  std::atomic<int> m_teleopPasses{0};
};

TEST_F(SimWorldTest, AProgramEnabledFromItsSimulationInitRunsTeleop) {
  // As a simulation run starts: no driver station has enabled the robot.
  HALSIM_SetDriverStationEnabled(false);
  HALSIM_NotifyDriverStationNewData();
  EnabledInSimulationRobot robot;
  std::thread loop([&robot] { robot.StartCompetition(); });
  // The driver station's thread takes the new data on its own time: step WPILib's clock until the
  // loop has run teleop for a while, within a generous real-time limit.
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (robot.m_teleopPasses.load() < 25 && std::chrono::steady_clock::now() < limit) {
    velmora_test::StepWpilib(0.02);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  robot.EndCompetition();
  loop.join();
  EXPECT_GE(robot.m_teleopPasses.load(), 25);
  EXPECT_TRUE(frc::DriverStation::GetInstance().IsEnabled());
  EXPECT_GT(robot.m_shooter.GetRPM(), 0.0) << "enabled, the motor turns";
}

// Four locked shafts at full output: the battery voltage WPILib reports is 12 V less the internal
// resistance times what the controller draws; back to 12 V once the motors stop.
TEST_F(SimWorldTest, StalledMotorsPullDownTheBatteryVoltageWpilibReports) {
  velmora::Orvex orvex(5);
  for (int i = 0; i < 4; ++i) (void)orvex.GetMotor(i).Get();
  (void)orvex.GetMotor(0).GetRPM();  // shows the sim device's values
  for (int i = 0; i < 4; ++i) {
    const std::string locked = "Motor " + std::to_string(i) + " locked";
    EXPECT_FALSE(SimValueReadOnly("Orvex[5]", locked));
    HAL_SetSimValueBoolean(SimValue("Orvex[5]", locked), true);
  }
  for (int i = 0; i < 4; ++i) orvex.GetMotor(i).Set(1.0);
  velmora_test::StepWpilib(0.1);
  (void)orvex.GetMotor(0).GetRPM();

  const double supply = SimDouble("Orvex[5]", "Supply current");
  const double volts = InputVoltage();
  EXPECT_NEAR(volts, 12.0 - velmora_sim::kBatteryResistance * supply, 1e-9);
  EXPECT_NEAR(volts, 7.2, 1e-9) << "four 0.12 ohm windings against 0.02 ohm";
  for (int i = 0; i < 4; ++i) {
    const std::string motor = "Motor " + std::to_string(i) + " ";
    EXPECT_EQ(SimDouble("Orvex[5]", motor + "RPM"), 0.0);
    EXPECT_NEAR(SimDouble("Orvex[5]", motor + "current"), volts / 0.12, 1e-9);
    EXPECT_TRUE(SimValueReadOnly("Orvex[5]", motor + "current"));
  }
  EXPECT_TRUE(SimValueReadOnly("Orvex[5]", "Supply current"));

  for (int i = 0; i < 4; ++i) orvex.GetMotor(i).StopMotor();
  velmora_test::StepWpilib(0.02);
  (void)orvex.GetMotor(0).GetRPM();
  EXPECT_EQ(InputVoltage(), 12.0);
  EXPECT_EQ(SimDouble("Orvex[5]", "Supply current"), 0.0);
}

// A callback on WPILib's battery voltage that reads a motor (as a team's test or a dashboard
// might) runs while the driver publishes the sag from other threads: every call completes. A
// deadlock ends the program, failed, rather than hang it.
TEST_F(SimWorldTest, ABatteryCallbackThatCallsADeviceNeverDeadlocks) {
  velmora::Orvex orvex(5);
  velmora::Orvex::Motor& motor = orvex.GetMotor(0);
  // Outlives the test: the callback is switched off rather than trusted to be gone once
  // cancelled.
  struct Context {
    std::atomic<velmora::Orvex::Motor*> motor{nullptr};
    std::atomic<int> fired{0};
  };
  static Context context;
  context.motor = &motor;
  const int32_t uid = HALSIM_RegisterRoboRioVInVoltageCallback(
      0,
      [](const char*, void* param, const HAL_Value*) {
        auto* c = static_cast<Context*>(param);
        if (velmora::Orvex::Motor* m = c->motor.load()) {
          (void)m->GetRPM();
          c->fired.fetch_add(1);
        }
      },
      &context, 0);
  velmora_test::Finished finished;
  std::thread runner([&] {
    std::thread other([&] {
      for (int i = 0; i < 200; ++i) (void)orvex.GetMotor(1).GetRPM();
    });
    for (int i = 0; i < 200; ++i) {
      velmora_sim::SetOrvexMotorLocked(5, 0, i % 2 == 0);
      motor.Set(i % 3 == 0 ? 0.0 : 1.0);
      velmora_test::StepWpilib(0.005);
      (void)motor.GetRPM();
    }
    other.join();
    finished.Set();
  });
  if (!finished.WaitFor(std::chrono::seconds(120))) {
    std::cerr << "battery callback: not finished after 120 s: the threads are deadlocked\n";
    std::fflush(nullptr);
    std::_Exit(3);
  }
  runner.join();
  context.motor = nullptr;
  HALSIM_CancelRoboRioVInVoltageCallback(0, uid);
  EXPECT_GT(context.fired.load(), 10) << "the sag came and went";
  motor.StopMotor();
  velmora_test::SetBatteryVoltage(12.0);
}

// A battery voltage a test sets through WPILib is the battery's own: the sag comes off it.
TEST_F(SimWorldTest, AVoltageSetThroughWpilibIsTheBatterysOpenCircuitVoltage) {
  velmora::Orvex orvex(5);
  velmora::Orvex::Motor& motor = orvex.GetMotor(0);
  HALSIM_SetRoboRioVInVoltage(0, 10.1);
  motor.Set(1.0);
  EXPECT_EQ(InputVoltage(), 10.1) << "not lost to the driver's 12 V";
  velmora_test::StepWpilib(2.0);
  (void)motor.GetRPM();
  EXPECT_EQ(velmora_sim::Battery().emf, 10.1);
  const double volts = InputVoltage();
  EXPECT_LT(volts, 10.1);
  EXPECT_NEAR(motor.GetRPM(), 5000.0 * volts / 12.0, 0.5) << "a free motor on the lower voltage";
  motor.StopMotor();
  velmora_test::StepWpilib(1.0);
  (void)motor.GetRPM();
  EXPECT_EQ(InputVoltage(), 10.1);
  velmora_test::SetBatteryVoltage(12.0);
}

// The inertia on a shaft is the mechanism's: a heavier one set from WPILib's tools makes the motor
// slower to come up to speed; a value the model cannot use is refused, reported and put back.
TEST_F(SimWorldTest, TheLoadInertiaIsSettableFromWpilib) {
  velmora::Orvex orvex(5);
  velmora::Orvex::Motor& light = orvex.GetMotor(0);
  velmora::Orvex::Motor& heavy = orvex.GetMotor(1);
  (void)light.GetRPM();
  const HAL_SimValueHandle inertia = SimValue("Orvex[5]", "Motor 1 load inertia");
  ASSERT_NE(inertia, 0);
  EXPECT_EQ(HAL_GetSimValueDouble(inertia), velmora_sim::kOrvexMotor.defaultInertia);
  HAL_SetSimValueDouble(inertia, 4 * velmora_sim::kOrvexMotor.defaultInertia);
  light.Set(0.5);
  heavy.Set(0.5);
  velmora_test::StepWpilib(0.1);
  EXPECT_GT(light.GetRPM(), 1.3 * heavy.GetRPM());
  EXPECT_EQ(velmora_sim::OrvexChannel(5, 1).inertia, 4 * velmora_sim::kOrvexMotor.defaultInertia);

  for (const double bad : {0.0, -1.0, double{NAN}}) {
    SCOPED_TRACE(bad);
    HAL_SetSimValueDouble(inertia, bad);
    velmora_test::StreamCapture err(std::cerr);
    (void)heavy.GetRPM();
    EXPECT_NE(err.Text().find("Orvex[5] Motor 1 load inertia must be within"), std::string::npos)
        << err.Text();
    EXPECT_EQ(HAL_GetSimValueDouble(inertia), 4 * velmora_sim::kOrvexMotor.defaultInertia);
    EXPECT_EQ(velmora_sim::OrvexChannel(5, 1).inertia, 4 * velmora_sim::kOrvexMotor.defaultInertia);
  }
}

}  // namespace
