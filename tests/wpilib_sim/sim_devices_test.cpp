// Every open Velmora device as WPILib's simulation tools see it: a sim device named after its kind
// and address, with what the program commands shown read-only and what the world outside the
// robot supplies settable, and gone when the program releases the device.
#include <gtest/gtest.h>
#include <hal/HALBase.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <iostream>
#include <memory>
#include <string>
#include <thread>

#include "WpilibSim.h"
#include "support/TestSupport.h"
#include "velmora/Adexa.h"
#include "velmora/Lidar.h"
#include "velmora/LidarMini.h"
#include "velmora/Lumira.h"
#include "velmora/MockDS.h"
#include "velmora/Orvex.h"
#include "velmora/Pallax.h"

namespace {

using velmora_test::SimDouble;
using velmora_test::SimValue;
using velmora_test::SimValueReadOnly;

bool Listed(const std::string& name) {
  const auto names = velmora_test::SimDeviceNames();
  return std::find(names.begin(), names.end(), name) != names.end();
}

class SimDevicesTest : public velmora_test::DriverTest {};

TEST_F(SimDevicesTest, EachOpenDeviceIsListedByKindAndAddressUntilReleased) {
  {
    velmora::Orvex orvex(5);
    velmora::LidarMini mini(velmora::LidarMini::Port::kUSB2);
    velmora::Lidar lidar(velmora::Lidar::Port::kUSB1);
    velmora::Lumira onCan(3);
    velmora::Lumira onUsb(velmora::Lumira::Port::kUSB1, 0);
    velmora::Pallax pallax(9);
    velmora::Adexa board(5.0f);
    velmora::MockDS station;
    for (const char* name : {"Orvex[5]", "LidarMini[USB2]", "Lidar[USB1]", "Lumira[CAN 3]",
                             "Lumira[/dev/ttyACM1]", "Pallax[CAN 9]", "Adexa[I2C]", "MockDS"}) {
      EXPECT_TRUE(Listed(name)) << name;
    }
    mini.Destroy();
    EXPECT_FALSE(Listed("LidarMini[USB2]"));
  }
  for (const char* name : {"Orvex[5]", "Lumira[CAN 3]", "Lumira[/dev/ttyACM1]", "Pallax[CAN 9]",
                           "Adexa[I2C]", "MockDS"}) {
    EXPECT_FALSE(Listed(name)) << name;
  }
  // The large lidar has no release call: it stays until the simulation starts afresh.
  EXPECT_TRUE(Listed("Lidar[USB1]"));
  velmora_sim::Reset();
  EXPECT_FALSE(Listed("Lidar[USB1]"));
}

TEST_F(SimDevicesTest, CommandedValuesAreShownReadOnly) {
  velmora::Orvex orvex(7);
  velmora::Orvex::Motor& motor = orvex.GetMotor(2);
  motor.Set(0.1);
  velmora::LidarMini mini(velmora::LidarMini::Port::kUSB0);
  mini.Start();
  mini.IncreaseFrequencyHz();
  velmora::MockDS station;
  station.Enable();
  velmora_test::StepWpilib(0.5);
  (void)motor.GetRPM();  // any driver call brings the world up to WPILib's clock

  EXPECT_EQ(SimDouble("Orvex[7]", "Motor 2 speed"), 0.1);
  EXPECT_NEAR(SimDouble("Orvex[7]", "Motor 2 target RPM"), 500.0, 1e-9);
  EXPECT_GT(SimDouble("Orvex[7]", "Motor 2 RPM"), 450.0);
  EXPECT_GT(SimDouble("Orvex[7]", "Encoder 2 count"), 0.0);
  EXPECT_EQ(HAL_GetSimValueBoolean(SimValue("MockDS", "Enabled")), 1);
  EXPECT_EQ(HAL_GetSimValueBoolean(SimValue("LidarMini[USB0]", "Scanning")), 1);
  EXPECT_FLOAT_EQ(static_cast<float>(SimDouble("LidarMini[USB0]", "Frequency")), 7.0f);
  EXPECT_EQ(SimDouble("LidarMini[USB0]", "Points per scan"), 617.0);
  for (const char* value :
       {"Motor 2 speed", "Motor 2 mode", "Motor 2 RPM", "Encoder 2 distance", "Temperature"}) {
    EXPECT_TRUE(SimValueReadOnly("Orvex[7]", value)) << value;
  }
  EXPECT_TRUE(SimValueReadOnly("LidarMini[USB0]", "Frequency"));
  EXPECT_TRUE(SimValueReadOnly("MockDS", "Enabled"));
  mini.Destroy();
}

TEST_F(SimDevicesTest, ValuesFromOutsideTheRobotCanBeSetAndTheDevicesReportThem) {
  velmora::Adexa board(5.0f);
  velmora::Lumira sensor(3);
  velmora::Orvex orvex(4);
  velmora::Orvex::Motor& motor = orvex.GetMotor(1);
  (void)board.GetVoltage(0);
  (void)sensor.GetColor();
  (void)motor.GetLimitSwitch(true);

  struct Settable {
    const char* device;
    const char* value;
  };
  for (const Settable& s :
       {Settable{"Adexa[I2C]", "Input 6 voltage"}, Settable{"Lumira[CAN 3]", "Red"},
        Settable{"Orvex[4]", "Motor 1 limit switch 1"}}) {
    EXPECT_FALSE(SimValueReadOnly(s.device, s.value)) << s.value;
  }
  HAL_SetSimValueDouble(SimValue("Adexa[I2C]", "Input 6 voltage"), 3.3);
  HAL_SetSimValueDouble(SimValue("Lumira[CAN 3]", "Red"), 0.9);
  HAL_SetSimValueDouble(SimValue("Lumira[CAN 3]", "Green"), 0.1);
  HAL_SetSimValueDouble(SimValue("Orvex[4]", "Motor 1 limit switch 1"), 1.0);

  EXPECT_FLOAT_EQ(board.GetVoltage(6), 3.3f);
  const velmora::Lumira::ColorData colour = sensor.GetColor();
  EXPECT_FLOAT_EQ(colour.component1, 0.9f);
  EXPECT_FLOAT_EQ(colour.component2, 0.1f);
  EXPECT_FLOAT_EQ(colour.component3, 0.5f) << "blue stays what the floor showed";
  EXPECT_EQ(motor.GetLimitSwitch(true), 1.0);
  EXPECT_EQ(motor.GetLimitSwitch(false), 0.0);

  // What was set holds: time passing does not move the input back to its own signal.
  velmora_test::StepWpilib(2.0);
  EXPECT_FLOAT_EQ(board.GetVoltage(6), 3.3f);
  EXPECT_FLOAT_EQ(static_cast<float>(SimDouble("Adexa[I2C]", "Input 6 voltage")), 3.3f);
}

TEST_F(SimDevicesTest, UntouchedInputsFollowTheirSignalsInWpilibTime) {
  velmora::Adexa board(5.0f);
  velmora_test::StepWpilib(0.75);  // input 3: 5 V in the second half of every second
  EXPECT_FLOAT_EQ(board.GetVoltage(3), 5.0f);
  EXPECT_EQ(SimDouble("Adexa[I2C]", "Input 3 voltage"), 5.0);
  velmora_test::StepWpilib(0.5);
  EXPECT_FLOAT_EQ(board.GetVoltage(3), 0.0f);
}

TEST_F(SimDevicesTest, SimStepMovesWpilibsClockSoTheProgramHasOneClock) {
  int32_t status = 0;
  const uint64_t before = HAL_GetFPGATime(&status);
  velmora_sim::SimStep(0.1);
  EXPECT_EQ(HAL_GetFPGATime(&status) - before, 100000u);
  EXPECT_DOUBLE_EQ(velmora_sim::SimTime(), 0.1);
  velmora_test::StepWpilib(0.2);
  EXPECT_DOUBLE_EQ(velmora_sim::SimTime(), 0.3);
}

// WPILib 2020 steps only paused timing: with its timing running, a step would move nothing, so
// it is refused and says why.
TEST_F(SimDevicesTest, SimStepIsRefusedWhileWpilibsTimingRuns) {
  HALSIM_ResumeTiming();
  velmora_test::StreamCapture err(std::cerr);
  const bool stepped = velmora_sim::SimStep(0.1);
  HALSIM_PauseTiming();
  EXPECT_FALSE(stepped);
  EXPECT_NE(err.Text().find("WPILib's timing is not paused"), std::string::npos) << err.Text();
  EXPECT_TRUE(velmora_sim::SimStep(0.1));
}

TEST_F(SimDevicesTest, ASecondControllerOnAnOpenCanIdIsRefusedAndTheFirstKeepsItsSimDevice) {
  velmora::Orvex first(6);
  velmora::Orvex second(6);  // refused: handle 0
  first.GetMotor(0).Set(0.1);
  second.GetMotor(0).Set(0.7);
  velmora_test::StepWpilib(0.2);
  EXPECT_EQ(second.GetMotor(0).GetRPM(), 0.0);
  EXPECT_GT(first.GetMotor(0).GetRPM(), 0.0);
  EXPECT_EQ(SimDouble("Orvex[6]", "Motor 0 speed"), 0.1);
}

// A value set from outside while a driver call runs (here from a callback on a value that the
// call shows) is the model's from the next call on, never shown over by the model's own value.
TEST_F(SimDevicesTest, ValuesSetFromACallbackDuringADriverCallAreNeverLost) {
  velmora::Adexa board(5.0f);
  velmora::Orvex orvex(4);
  velmora::Orvex::Motor& motor = orvex.GetMotor(1);
  motor.Set(0.5);
  struct Wiring {
    std::atomic<int> sets{0};
  } wiring;
  const int32_t uid = HALSIM_RegisterSimValueChangedCallback(
      SimValue("Orvex[4]", "Motor 1 RPM"), &wiring,
      [](const char*, void* param, HAL_SimValueHandle, HAL_Bool, const HAL_Value*) {
        auto* w = static_cast<Wiring*>(param);
        const int sets = ++w->sets;
        // Input 0 follows its own signal until set: each set is a voltage it would not show.
        HAL_SetSimValueDouble(SimValue("Adexa[I2C]", "Input 0 voltage"), 0.1 * sets);
      },
      0);
  ASSERT_GE(uid, 0);
  int held = 0;
  for (int call = 0; call < 10; ++call) {
    const int before = wiring.sets;
    // The motor's new RPM is shown by the world's own pass on WPILib's clock or by the call,
    // whichever comes first: the callback sets the input on that thread.
    velmora_test::StepWpilib(0.1);
    static_cast<void>(motor.GetRPM());
    ASSERT_TRUE(velmora_test::WaitForWorld());
    ASSERT_GT(wiring.sets, before);
    const float expected = static_cast<float>(0.1 * wiring.sets);
    held += board.GetVoltage(0) == expected ? 1 : 0;
    EXPECT_FLOAT_EQ(static_cast<float>(SimDouble("Adexa[I2C]", "Input 0 voltage")), expected);
  }
  HALSIM_CancelSimValueChangedCallback(uid);
  EXPECT_EQ(held, 10);
}

// The world's own pass publishes on its thread. A program's call made meanwhile never waits for
// it (the pass may be held up in a team's callback, under WPILib's lock); a test reading sim values
// flushes first, and then sees that call's change.
TEST_F(SimDevicesTest, ACallNeverWaitsForThePassThatPublishesAndAFlushShowsItsChange) {
  velmora::Orvex orvex(6);
  velmora::Orvex::Motor& motor = orvex.GetMotor(0);
  motor.Set(0.5);
  const HAL_SimValueHandle speed = SimValue("Orvex[6]", "Motor 0 speed");
  struct Gate {
    std::thread::id program = std::this_thread::get_id();
    std::atomic<bool> armed{false};
    std::atomic<bool> held{false};
    std::atomic<bool> open{false};
    std::atomic<bool> timedOut{false};
  } gate;
  // Holds the world's pass inside its publishing, as a slow team callback would.
  const int32_t uid = HALSIM_RegisterSimValueChangedCallback(
      SimValue("Orvex[6]", "Motor 0 RPM"), &gate,
      [](const char*, void* param, HAL_SimValueHandle, HAL_Bool, const HAL_Value*) {
        auto* g = static_cast<Gate*>(param);
        if (!g->armed.load() || std::this_thread::get_id() == g->program) return;
        g->armed.store(false);
        g->held.store(true);
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!g->open.load()) {
          if (std::chrono::steady_clock::now() > limit) {
            g->timedOut.store(true);
            return;
          }
          std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
      },
      0);
  ASSERT_GE(uid, 0);
  gate.armed.store(true);
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!gate.held.load() && std::chrono::steady_clock::now() < limit) {
    velmora_test::StepWpilib(0.02);  // the motor speeds up: each pass shows a new RPM
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ASSERT_TRUE(gate.held.load()) << "no pass of the world's own published the motor's speed";

  // While the pass is held (and WPILib's sim data with it: not even a read gets through), the
  // call returns; the pass publishes its change once the callback lets go.
  motor.Set(-0.1);
  gate.open.store(true);
  EXPECT_FALSE(gate.timedOut.load()) << "the call waited for the held pass";
  ASSERT_TRUE(velmora_sim::FlushSimValues());
  EXPECT_FLOAT_EQ(static_cast<float>(HAL_GetSimValueDouble(speed)), -0.1f);
  HALSIM_CancelSimValueChangedCallback(uid);
}

// WPILib's sim data reset under open devices: a device made afterwards may get an old one's
// handle, but each device's values stay its own, and the open ones are shown again.
TEST_F(SimDevicesTest, ResettingWpilibsSimDataKeepsEachDevicesValuesItsOwn) {
  auto before = std::make_unique<velmora::Orvex>(5);
  before->GetMotor(0).Set(0.1);
  const HAL_SimDeviceHandle old = velmora_test::SimDevice("Orvex[5]");
  ASSERT_NE(old, 0);
  HALSIM_ResetSimDeviceData();
  velmora::Orvex after(6);
  after.GetMotor(0).Set(0.3);
  before->GetMotor(0).Set(0.2);
  static_cast<void>(before->GetMotor(0).GetRPM());
  const HAL_SimDeviceHandle first = velmora_test::SimDevice("Orvex[5]");
  const HAL_SimDeviceHandle second = velmora_test::SimDevice("Orvex[6]");
  ASSERT_NE(first, 0) << "the open controller is shown again";
  ASSERT_NE(second, 0);
  EXPECT_NE(first, second);
  EXPECT_EQ(SimDouble("Orvex[5]", "Motor 0 speed"), 0.2);
  EXPECT_EQ(SimDouble("Orvex[6]", "Motor 0 speed"), 0.3);
  // Releasing the first frees its own sim device, not the one that took its old handle.
  before.reset();
  EXPECT_EQ(velmora_test::SimDevice("Orvex[5]"), 0);
  static_cast<void>(after.GetMotor(0).GetRPM());
  EXPECT_EQ(velmora_test::SimDevice("Orvex[6]"), second);
  EXPECT_EQ(SimDouble("Orvex[6]", "Motor 0 speed"), 0.3);
}

// A colour sensor reports 0 to 1 per component, whatever a tool sets on its sim device.
TEST_F(SimDevicesTest, ColoursSetFromOutsideAreClippedToWhatTheSensorReports) {
  velmora::Lumira sensor(3);
  (void)sensor.GetColor();
  HAL_SetSimValueDouble(SimValue("Lumira[CAN 3]", "Red"), -5.0);
  HAL_SetSimValueDouble(SimValue("Lumira[CAN 3]", "Green"), 1e12);
  HAL_SetSimValueDouble(SimValue("Lumira[CAN 3]", "Blue"), INFINITY);
  velmora::Lumira::ColorData colour = sensor.GetColor();
  EXPECT_EQ(colour.component1, 0.0f);
  EXPECT_EQ(colour.component2, 1.0f);
  EXPECT_EQ(colour.component3, 1.0f);
  HAL_SetSimValueDouble(SimValue("Lumira[CAN 3]", "Blue"), NAN);
  colour = sensor.GetColor();
  EXPECT_EQ(colour.component3, 0.0f);
}

}  // namespace
