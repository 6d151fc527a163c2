// Every open Velmora device as WPILib's simulation tools see it: a sim device named after its kind
// and address, with what the program commands shown read-only and what the world outside the
// robot supplies settable, and gone when the program releases the device.
#include <gtest/gtest.h>
#include <hal/HALBase.h>

#include <algorithm>
#include <memory>
#include <string>

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

}  // namespace
