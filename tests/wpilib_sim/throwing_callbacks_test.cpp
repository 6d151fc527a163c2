// A team's callback on WPILib's simulation that throws: WPILib calls it from inside the driver's
// own calls into WPILib, which the driver makes when a driver call ends (often inside a device's
// destructor). The program goes on, the exception is reported on the standard error stream, and
// the driver's devices and battery keep working.
#include <gtest/gtest.h>
#include <hal/SimDevice.h>
#include <mockdata/RoboRioData.h>
#include <mockdata/SimDeviceData.h>

#include <iostream>
#include <stdexcept>
#include <string>

#include "WpilibSim.h"
#include "support/TestSupport.h"
#include "velmora/Orvex.h"

namespace {

using velmora_test::SimDouble;
using velmora_test::SimValue;

class ThrowingCallbacksTest : public velmora_test::DriverTest {
 protected:
  void SetUp() override {
#ifdef _WIN32
    // WPILib's Windows DLLs are built as MSVC builds C++ (/EHsc): a function of its C interface,
    // such as the one that sets the input voltage and runs its callbacks, is taken never to
    // throw, so an exception cannot pass through it to the driver's catch and the C runtime ends
    // the program inside WPILib. On Windows a callback on WPILib's simulation must not throw.
    GTEST_SKIP() << "an exception cannot cross WPILib's C interface in the MSVC ABI";
#endif
    DriverTest::SetUp();
  }
};

bool Says(const std::string& text, const std::string& what) {
  return text.find(what) != std::string::npos;
}

// The battery's voltage is published to WPILib as the driver call that changed it ends: a
// callback on it that throws must not end the program from there.
TEST_F(ThrowingCallbacksTest, ABatteryCallbackThatThrowsIsReportedAndTheBatteryGoesOn) {
  // Switched off at the end rather than trusted to be gone once cancelled: WPILib 2020 may still
  // call a cancelled callback of the robot controller's data.
  static bool armed = false;
  static int fired = 0;
  armed = true;
  fired = 0;
  const int32_t uid = HALSIM_RegisterRoboRioVInVoltageCallback(
      0,
      [](const char*, void*, const HAL_Value*) {
        if (!armed) return;
        ++fired;
        throw std::runtime_error("the team's battery check failed");
      },
      nullptr, 0);
  velmora_test::StreamCapture err(std::cerr);
  ASSERT_TRUE(velmora_sim::SetBatteryEmf(11.1));
  velmora_test::StepWpilib(0.01);
  EXPECT_EQ(velmora_sim::Battery().volts, 11.1);  // the call that publishes the new voltage
  ASSERT_TRUE(velmora_sim::FlushSimValues());
  EXPECT_EQ(fired, 1);
  EXPECT_EQ(HALSIM_GetRoboRioVInVoltage(0), 11.1) << "WPILib has the voltage all the same";
  EXPECT_TRUE(Says(err.Text(), "the input voltage was set to 11.1"));
  EXPECT_TRUE(Says(err.Text(), "the team's battery check failed")) << err.Text();

  // Publishing goes on with the next change.
  ASSERT_TRUE(velmora_sim::SetBatteryEmf(10.1));
  velmora_test::StepWpilib(0.01);
  (void)velmora_sim::Battery();
  ASSERT_TRUE(velmora_sim::FlushSimValues());
  EXPECT_EQ(fired, 2);
  EXPECT_EQ(HALSIM_GetRoboRioVInVoltage(0), 10.1);
  armed = false;
  HALSIM_CancelRoboRioVInVoltageCallback(0, uid);
  velmora_test::SetBatteryVoltage(12.0);
}

// A device is shown in WPILib as the call that opened it ends. A callback on its creation that
// throws once leaves the device with every sim value all the same; so does one that throws on a
// value's change, and the values after it in the same update are shown too.
TEST_F(ThrowingCallbacksTest, ADeviceWhoseCallbacksThrowStillGetsItsSimValues) {
  static int created = 0;
  created = 0;
  const int32_t uid = HALSIM_RegisterSimDeviceCreatedCallback(
      "Orvex", nullptr,
      [](const char*, void*, HAL_SimDeviceHandle) {
        if (created++ == 0) throw std::runtime_error("the team's device list is full");
      },
      0);
  velmora_test::StreamCapture err(std::cerr);
  velmora::Orvex orvex(5);
  velmora::Orvex::Motor& motor = orvex.GetMotor(0);
  (void)motor.GetRPM();
  HALSIM_CancelSimDeviceCreatedCallback(uid);
  EXPECT_EQ(created, 1);
  EXPECT_TRUE(Says(err.Text(), "the sim device \"Orvex[5]\" was created")) << err.Text();
  EXPECT_TRUE(Says(err.Text(), "the team's device list is full")) << err.Text();
  ASSERT_NE(SimValue("Orvex[5]", "Motor 0 speed"), 0) << "the device has no sim values";
  ASSERT_NE(SimValue("Orvex[5]", "Temperature"), 0);

  // A value's change: its callback throws every time.
  const int32_t changed = HALSIM_RegisterSimValueChangedCallback(
      SimValue("Orvex[5]", "Motor 0 speed"), nullptr,
      [](const char*, void*, HAL_SimValueHandle, HAL_Bool, const HAL_Value*) {
        throw 42;  // not even a std::exception
      },
      0);
  motor.Set(0.1);
  orvex.GetMotor(3).Set(-0.1);
  (void)motor.GetRPM();
  EXPECT_EQ(SimDouble("Orvex[5]", "Motor 0 speed"), 0.1);
  EXPECT_EQ(SimDouble("Orvex[5]", "Motor 3 speed"), -0.1) << "a value after the throw";
  EXPECT_TRUE(Says(err.Text(), "the sim value \"Orvex[5]\" \"Motor 0 speed\" was set"))
      << err.Text();
  EXPECT_TRUE(Says(err.Text(), "no std::exception")) << err.Text();
  HALSIM_CancelSimValueChangedCallback(changed);
  motor.StopMotor();
  orvex.GetMotor(3).StopMotor();
}

}  // namespace
