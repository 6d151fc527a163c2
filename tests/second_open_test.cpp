// A device that is still open cannot be opened a second time: the driver refuses the second open
// with a null handle and says on the standard error stream which device and why, and the library
// reacts as it does to any null handle. Once the first is released, the device opens again.
#include <functional>
#include <iostream>
#include <stdexcept>
#include <string>

#include "support/TestSupport.h"
#include "velmora/LidarMini.h"
#include "velmora/Lumira.h"
#include "velmora/Orvex.h"
#include "velmora/Pallax.h"

namespace {

using velmora::LidarMini;
using velmora::Lumira;
using velmora::Orvex;
using velmora::Pallax;

class SecondOpenTest : public velmora_test::DriverTest {};

// What each kind of sensor does when its open is refused: the library's own error.
TEST_F(SecondOpenTest, ASensorStillOpenIsRefusedAndTheLibraryReportsTheFailedOpen) {
  struct Case {
    const char* name;
    std::function<void()> first;  // opens the device and leaves it open
    std::function<void()> second;
    std::string refusal;  // what the driver says
    std::string error;    // what the library throws
  };
  // The first objects live on the heap and are released below, as a program that forgot them.
  Lumira* lumira = nullptr;
  Pallax* pallax = nullptr;
  const Case cases[] = {
      {"Lumira on CAN", [&] { lumira = new Lumira(3); }, [] { Lumira again(3); },
       "Lumira on CAN ID 3 not opened: a Lumira on it is open already",
       "Failed to open Lumira on CAN ID 3"},
      {"Pallax on CAN", [&] { pallax = new Pallax(9); }, [] { Pallax again(9); },
       "Pallax on CAN ID 9 not opened: a Pallax on it is open already",
       "Failed to open Pallax on CAN ID 9"},
      {"a Pallax on a Lumira's USB port", [&] { lumira = new Lumira(Lumira::Port::kUSB1, 0); },
       [] { Pallax again(Pallax::Port::kUSB1, 0); },
       "Pallax on /dev/ttyACM1 not opened: a Lumira on it is open already",
       "Failed to open Pallax on /dev/ttyACM1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    velmora_sim::Reset();
    c.first();
    velmora_test::StreamCapture err(std::cerr);
    try {
      c.second();
      ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(e.what(), c.error);
    }
    EXPECT_NE(err.Text().find(c.refusal), std::string::npos) << err.Text();
    delete lumira;
    delete pallax;
    lumira = nullptr;
    pallax = nullptr;
  }
}

TEST_F(SecondOpenTest, DifferentKindsOnOneCanIdAreDifferentDevices) {
  Lumira colour(4);
  EXPECT_NO_THROW(Pallax other(4));
}

TEST_F(SecondOpenTest, AControllerStillOpenIsRefusedWithHandleZero) {
  Orvex first(6);
  first.GetMotor(0).Set(0.5);
  velmora_test::StreamCapture err(std::cerr);
  {
    Orvex second(6);
    EXPECT_NE(err.Text().find("Orvex on CAN ID 6 not opened: it is open already"),
              std::string::npos)
        << err.Text();
    EXPECT_EQ(velmora_sim::CallsTo("c_Orvex_create").back(),
              (velmora_test::Call{"c_Orvex_create",
                                  {velmora_test::Arg::I32(6), velmora_test::Arg::I32(15600)}}));
    // The null handle reaches nothing: the first controller's channel keeps its command.
    second.GetMotor(0).Set(0.1);
    EXPECT_EQ(second.GetMotor(0).GetRPM(), 0.0);
  }
  EXPECT_EQ(velmora_sim::OrvexChannel(6, 0).commanded, 0.5);
  EXPECT_TRUE(velmora_sim::OrvexChannel(6, 0).exists)
      << "the refused one's release is not the first's";
}

TEST_F(SecondOpenTest, AReleasedDeviceOpensAgain) {
  { Orvex first(6); }
  { Lumira first(3); }
  LidarMini lidar(LidarMini::Port::kUSB0);
  lidar.Destroy();
  velmora_test::StreamCapture err(std::cerr);
  Orvex again(6);
  Lumira colour(3);
  LidarMini lidarAgain(LidarMini::Port::kUSB0);
  EXPECT_EQ(err.Text(), "");
  EXPECT_TRUE(velmora_sim::OrvexChannel(6, 0).exists);
  EXPECT_EQ(velmora_sim::OpenLidarMinis().size(), 1u);
  lidarAgain.Destroy();
}

// The small lidar's own reaction to a null handle: inert, with empty scans.
TEST_F(SecondOpenTest, ALidarStillOpenIsRefusedAndTheSecondObjectIsInert) {
  LidarMini first(LidarMini::Port::kUSB2);
  first.Start();
  velmora_test::StreamCapture err(std::cerr);
  LidarMini second(LidarMini::Port::kUSB2);
  EXPECT_NE(err.Text().find("LidarMini on port USB2 not opened: it is open already"),
            std::string::npos)
      << err.Text();
  second.Start();
  EXPECT_TRUE(second.GetData().distances.empty());
  EXPECT_EQ(velmora_sim::OpenLidarMinis().size(), 1u);
  first.Destroy();
  second.Destroy();
}

}  // namespace
