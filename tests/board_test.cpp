// The analog board and the simulated driver station: the reference voltage in whole volts, the
// one-byte input numbers, and calls that are never skipped.
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <type_traits>

#include "driver_link/VelmoraDriver.h"
#include "support/TestSupport.h"
#include "velmora/Adexa.h"
#include "velmora/MockDS.h"
#include "velmora/Orvex.h"

namespace {

using velmora::Adexa;
using velmora::MockDS;
using velmora_test::Arg;
using velmora_test::Call;
using velmora_test::Result;
using Calls = std::vector<Call>;

static_assert(!std::is_copy_constructible_v<Adexa> && !std::is_copy_assignable_v<Adexa>);
static_assert(!std::is_copy_constructible_v<MockDS> && !std::is_copy_assignable_v<MockDS>);

class BoardTest : public velmora_test::DriverTest {};

uint32_t Bits(float value) {
  uint32_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

// In range the reference truncates toward zero; NaN and values beyond int (undefined to convert
// as they are; UBSan stops the run if they are) are brought to 0 and to the nearest int.
TEST_F(BoardTest, ReferenceReachesTheBoardInWholeVolts) {
  const float inf = std::numeric_limits<float>::infinity();
  const std::pair<float, int32_t> cases[] = {{3.3f, 3},
                                             {0.5f, 0},
                                             {4.99f, 4},
                                             {-3.7f, -3},
                                             {2147483520.0f, 2147483520},
                                             {-2147483648.0f, INT_MIN},
                                             {std::nanf(""), 0},
                                             {1e20f, INT_MAX},
                                             {-1e20f, INT_MIN},
                                             {inf, INT_MAX},
                                             {-inf, INT_MIN},
                                             {2147483648.0f, INT_MAX}};
  for (const auto& [vref, sent] : cases) {
    Clear();
    {
      Adexa board(vref);
      // The full voltage stays with the object, bit for bit (NaN included).
      EXPECT_EQ(Bits(board.vref), Bits(vref)) << vref;
    }
    EXPECT_EQ(Journal(), (Calls{{"c_initializeI2C", {Arg::I32(sent)}}, {"c_closeI2C", {}}}))
        << vref;
  }
  Clear();
  {
    Adexa board;
    EXPECT_EQ(board.vref, 5.0f);
  }
  EXPECT_EQ(Journal(), (Calls{{"c_initializeI2C", {Arg::I32(5)}}, {"c_closeI2C", {}}}));
}

TEST_F(BoardTest, InputsAreNumberedByTheirLowByteAndReadingsPassUnchanged) {
  Adexa board(3.3f);
  Clear();
  velmora_sim::ScriptNext("c_getRawValue", Result::Int(-7));
  velmora_sim::ScriptNext("c_getVoltage", Result::Real(4.75));
  EXPECT_EQ(board.GetRawValue(256), -7);
  EXPECT_EQ(board.GetVoltage(-1), 4.75f) << "not scaled by the reference";
  board.GetVoltage(3);
  board.GetRawValue(0x1FF);
  EXPECT_EQ(Journal(), (Calls{{"c_getRawValue", {Arg::U8(0)}},
                              {"c_getVoltage", {Arg::U8(255)}},
                              {"c_getVoltage", {Arg::U8(3)}},
                              {"c_getRawValue", {Arg::U8(255)}}}));
}

TEST_F(BoardTest, SimulatedBoardReadsItsInputsAgainstTheReference) {
  velmora_sim::SetAdexaVoltage(2, 2.5f);
  velmora_sim::SetAdexaVoltage(1, 4.0f);
  {
    Adexa board;
    EXPECT_EQ(board.GetRawValue(2), 2048);
    EXPECT_EQ(board.GetVoltage(2), 2.5f);
    EXPECT_EQ(board.GetRawValue(0), 0);
  }
  Adexa board(3.3f);  // the board takes 3 V
  EXPECT_EQ(board.GetRawValue(1), 4095) << "4 V is beyond the reference";
  EXPECT_EQ(board.GetVoltage(1), 3.0f);
}

TEST_F(BoardTest, DriverStationCallsAreNeverSkipped) {
  {
    MockDS station;
    EXPECT_FALSE(velmora_sim::MockDSEnabled());
    station.Enable();
    station.Enable();
    EXPECT_TRUE(velmora_sim::MockDSEnabled());
    station.Disable();
    station.Disable();
    EXPECT_FALSE(velmora_sim::MockDSEnabled());
    station.Enable();
  }
  EXPECT_FALSE(velmora_sim::MockDSEnabled());
  EXPECT_EQ(Names(),
            (std::vector<std::string>{"c_MockDS_create", "c_MockDS_enable", "c_MockDS_enable",
                                      "c_MockDS_disable", "c_MockDS_disable", "c_MockDS_enable",
                                      "c_MockDS_destroy"}));
  for (const Call& call : Journal()) EXPECT_TRUE(call.args.empty()) << call;
}

// In the simulation a disabled station keeps the motors unpowered, as on the field.
TEST_F(BoardTest, DisabledStationStopsTheSimulatedMotors) {
  velmora::Orvex orvex(4);
  c_Orvex_setMotorSpeed(1, 0, 1.0);  // the simulation driver's first controller handle
  MockDS station;
  velmora_sim::SimStep(0.5);
  EXPECT_EQ(velmora_sim::OrvexChannel(4, 0).rpm, 0.0);
  station.Enable();
  velmora_sim::SimStep(0.5);
  EXPECT_GT(velmora_sim::OrvexChannel(4, 0).rpm, 0.0);
}

}  // namespace
