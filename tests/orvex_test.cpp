// The Orvex controller: construction, identity cache, controller-wide calls, channel hand-out.
#include <stdexcept>
#include <string>

#include "support/TestSupport.h"
#include "velmora/Orvex.h"

namespace {

using velmora::Orvex;
using velmora_test::Arg;
using velmora_test::Call;
using velmora_test::Result;
using Calls = std::vector<Call>;

// The simulation driver numbers controller handles from 1 in the order they are opened.
class OrvexTest : public velmora_test::DriverTest {};

TEST_F(OrvexTest, OpensWithDefaultOrGivenFrequency) {
  {
    Orvex defaulted(7);
    Orvex custom(8, 20000);
  }
  EXPECT_EQ(Journal(), (Calls{{"c_Orvex_create", {Arg::I32(7), Arg::I32(15600)}},
                              {"c_Orvex_create", {Arg::I32(8), Arg::I32(20000)}},
                              {"c_Orvex_destroy", {Arg::I32(2)}},
                              {"c_Orvex_destroy", {Arg::I32(1)}}}));
}

TEST_F(OrvexTest, IdentityIsReadOnceWhenComplete) {
  velmora_sim::ScriptNext("c_Orvex_getID", Result::Int(12));
  velmora_sim::ScriptNext("c_Orvex_getFirmwareVersion", Result::Text("1.2"));
  velmora_sim::ScriptNext("c_Orvex_getHardwareVersion", Result::Text("A"));
  Orvex orvex(7);
  Clear();
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(orvex.GetHardwareVersion(), "A");
    EXPECT_EQ(orvex.GetID(), 12);
    EXPECT_EQ(orvex.GetFirmwareVersion(), "1.2");
  }
  EXPECT_EQ(Journal(), (Calls{{"c_Orvex_getID", {Arg::I32(1)}},
                              {"c_Orvex_getFirmwareVersion", {Arg::I32(1)}},
                              {"c_Orvex_getHardwareVersion", {Arg::I32(1)}}}));
}

// While the device gives an ID of 0 or an empty version, every identity query asks again for all
// three values, and the newest answers replace the old ones.
TEST_F(OrvexTest, IncompleteIdentityIsAskedForAgain) {
  struct Case {
    const char* name;
    int64_t id;
    const char* firmware;
    const char* hardware;
  };
  const Case cases[] = {
      {"id zero", 0, "1.0", "A"}, {"firmware empty", 5, "", "A"}, {"hardware empty", 5, "1.0", ""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    velmora_sim::Reset();
    Orvex orvex(3);
    velmora_sim::ScriptAlways("c_Orvex_getID", Result::Int(c.id));
    velmora_sim::ScriptAlways("c_Orvex_getFirmwareVersion", Result::Text(c.firmware));
    velmora_sim::ScriptAlways("c_Orvex_getHardwareVersion", Result::Text(c.hardware));
    Clear();
    EXPECT_EQ(orvex.GetID(), c.id);
    EXPECT_EQ(orvex.GetFirmwareVersion(), c.firmware);
    EXPECT_EQ(orvex.GetHardwareVersion(), c.hardware);
    EXPECT_EQ(velmora_sim::CountCalls("c_Orvex_getID"), 3u);
    EXPECT_EQ(velmora_sim::CountCalls("c_Orvex_getFirmwareVersion"), 3u);
    EXPECT_EQ(velmora_sim::CountCalls("c_Orvex_getHardwareVersion"), 3u);
    EXPECT_EQ(Names(),
              (std::vector<std::string>{
                  "c_Orvex_getID", "c_Orvex_getFirmwareVersion", "c_Orvex_getHardwareVersion",
                  "c_Orvex_getID", "c_Orvex_getFirmwareVersion", "c_Orvex_getHardwareVersion",
                  "c_Orvex_getID", "c_Orvex_getFirmwareVersion", "c_Orvex_getHardwareVersion"}));
  }
}

TEST_F(OrvexTest, IdentityFromTheSimulatedDevice) {
  Orvex orvex(9);
  EXPECT_EQ(orvex.GetID(), 9);
  EXPECT_FALSE(orvex.GetFirmwareVersion().empty());
  EXPECT_FALSE(orvex.GetHardwareVersion().empty());
  EXPECT_NE(orvex.GetSerialNumber().find('9'), std::string::npos);
  EXPECT_EQ(orvex.GetFrequency(), 15600);
}

TEST_F(OrvexTest, UncachedQueriesAskEveryTime) {
  velmora_sim::ScriptNext("c_Orvex_getControllerTemp", Result::Real(41.5));
  velmora_sim::ScriptNext("c_Orvex_getSerialNumber", Result::Text("SN-1"));
  velmora_sim::ScriptNext("c_Orvex_getFrequency", Result::Int(1000));
  Orvex orvex(7);
  Clear();
  EXPECT_EQ(orvex.GetControllerTemp(), 41.5);
  EXPECT_EQ(orvex.GetSerialNumber(), "SN-1");
  EXPECT_EQ(orvex.GetFrequency(), 1000);
  orvex.GetControllerTemp();
  orvex.GetSerialNumber();
  orvex.GetFrequency();
  EXPECT_EQ(velmora_sim::CountCalls("c_Orvex_getControllerTemp"), 2u);
  EXPECT_EQ(velmora_sim::CountCalls("c_Orvex_getSerialNumber"), 2u);
  EXPECT_EQ(velmora_sim::CountCalls("c_Orvex_getFrequency"), 2u);
}

TEST_F(OrvexTest, ControllerWideSettingsKeepTheirWidths) {
  Orvex orvex(7);
  Clear();
  orvex.SetMotorStopMode(2);
  orvex.SetPIDType(255);
  orvex.AutotuneAll();
  orvex.SetCANSensorOsDelay(65535);
  EXPECT_EQ(Journal(), (Calls{{"c_Orvex_setMotorStopMode", {Arg::I32(1), Arg::U8(2)}},
                              {"c_Orvex_setPIDType", {Arg::I32(1), Arg::U8(255)}},
                              {"c_Orvex_autotuneAll", {Arg::I32(1)}},
                              {"c_Orvex_setCANSensorOsDelay", {Arg::I32(1), Arg::U16(65535)}}}));
}

TEST_F(OrvexTest, TargetSpeedsInBulk) {
  Orvex orvex(7);
  double targets[4] = {-1, -1, -1, -1};
  const double scripted[4] = {100.0, -200.0, 0.0, 3.5};
  velmora_sim::ScriptNext("c_Orvex_getTargetRPMFromDevice", Result::Bool(true).Fill(scripted));
  Clear();
  EXPECT_TRUE(orvex.GetTargetRPMFromDevice(targets));
  EXPECT_EQ(Journal(),
            (Calls{{"c_Orvex_getTargetRPMFromDevice", {Arg::I32(1), Arg::Pointer(targets)}}}));
  for (int i = 0; i < 4; ++i) EXPECT_EQ(targets[i], scripted[i]);

  velmora_sim::ScriptNext("c_Orvex_getTargetRPMFromDevice", Result::Bool(false));
  EXPECT_FALSE(orvex.GetTargetRPMFromDevice(targets));
}

// The driver would write through a null pointer and crash the program; the library refuses it.
TEST_F(OrvexTest, NullTargetBufferIsRefusedWithoutADriverCall) {
  Orvex orvex(7);
  Clear();
  EXPECT_FALSE(orvex.GetTargetRPMFromDevice(nullptr));
  EXPECT_TRUE(Journal().empty());
}

TEST_F(OrvexTest, ChannelsAreCreatedOnceAndIndependently) {
  Orvex orvex(7);
  Clear();
  Orvex::Motor& m2 = orvex.GetMotor(2);
  EXPECT_EQ(&m2, &orvex.GetMotor(2));
  EXPECT_EQ(m2.GetMotorIndex(), 2);
  EXPECT_TRUE(Journal().empty()) << "motor channels are made without a driver call";

  Orvex::Encoder& e1 = orvex.GetEncoder(1, 2.5);
  EXPECT_EQ(&e1, &orvex.GetEncoder(1, 7.0));
  EXPECT_EQ(e1.GetEncoderIndex(), 1);
  EXPECT_EQ(Journal(), (Calls{{"c_Orvex_setEncoder", {Arg::I32(1), Arg::U8(1), Arg::F64(2.5)}}}));

  // Encoder slot 1 does not fill motor slot 1, nor the other way round.
  Orvex::Motor& m1 = orvex.GetMotor(1);
  EXPECT_EQ(m1.GetMotorIndex(), 1);
  EXPECT_NE(static_cast<void*>(&m1), static_cast<void*>(&e1));
  orvex.GetEncoder(2, 1.0);
  EXPECT_EQ(velmora_sim::CountCalls("c_Orvex_setEncoder"), 2u);
}

TEST_F(OrvexTest, BadIndexesThrowAndChangeNothing) {
  struct Case {
    bool motor;
    int index;
    const char* message;
  };
  const Case cases[] = {
      {true, -1, "Motor index must be in [0, 3], got: -1"},
      {true, 4, "Motor index must be in [0, 3], got: 4"},
      {true, -2147483647 - 1, "Motor index must be in [0, 3], got: -2147483648"},
      {false, -1, "Encoder index must be in [0, 3], got: -1"},
      {false, 4, "Encoder index must be in [0, 3], got: 4"},
      {false, 2147483647, "Encoder index must be in [0, 3], got: 2147483647"},
  };
  Orvex orvex(7);
  Clear();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    try {
      if (c.motor) {
        orvex.GetMotor(c.index);
      } else {
        orvex.GetEncoder(c.index, 1.0);
      }
      ADD_FAILURE() << "no exception";
    } catch (const std::out_of_range& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
  }
  EXPECT_TRUE(Journal().empty());
  // The refused requests filled no slot: the first good request still sends the set-up call.
  orvex.GetEncoder(0, 4.0);
  EXPECT_EQ(Journal(), (Calls{{"c_Orvex_setEncoder", {Arg::I32(1), Arg::U8(0), Arg::F64(4.0)}}}));
}

TEST_F(OrvexTest, DestructionIsOneDestroyCallAfterHandingOutAllChannels) {
  {
    Orvex orvex(7);
    for (int i = 0; i < 4; ++i) {
      orvex.GetMotor(i);
      orvex.GetEncoder(i, 1.0);
    }
    Clear();
  }
  EXPECT_EQ(Journal(), (Calls{{"c_Orvex_destroy", {Arg::I32(1)}}}));
}

}  // namespace
