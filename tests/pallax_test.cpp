// The Pallax sensor's reads: the bound on the requested scan length, the scan copy held to the
// record's 64 entries, and the configuration record.
#include <climits>
#include <cstring>

#include "driver_link/VelmoraDriver.h"
#include "support/TestSupport.h"
#include "velmora/Pallax.h"

namespace {

using velmora::Pallax;
using velmora_driver::PallaxConfigRecord;
using velmora_driver::PallaxScanRecord;
using velmora_test::Arg;
using velmora_test::Call;
using velmora_test::Result;
using Calls = std::vector<Call>;

// A record whose entry i holds 10 * i + 1, with entry 1 as the bit pattern 0xFFFF.
PallaxScanRecord Record(uint8_t header, int32_t count) {
  PallaxScanRecord r;
  std::memset(&r, 0, sizeof r);
  r.header = header;
  r.count = count;
  for (int i = 0; i < 64; ++i) r.values[i] = static_cast<int16_t>(10 * i + 1);
  const uint16_t allOnes = 0xFFFF;
  std::memcpy(&r.values[1], &allOnes, sizeof allOnes);
  return r;
}

class PallaxTest : public velmora_test::DriverTest {
 protected:
  Pallax sensor{3};
  void SetUp() override {
    velmora_sim::EnableJournal(true);  // the sensor opened before the test: no Reset here
    Clear();
  }
};

TEST_F(PallaxTest, RequestedLengthIsBroughtInto1To64) {
  const std::pair<int, int> cases[] = {{0, 1},   {-5, 1},  {INT_MIN, 1}, {1, 1},
                                       {64, 64}, {65, 64}, {1000, 64},   {INT_MAX, 64}};
  for (const auto& [asked, sent] : cases) {
    Clear();
    sensor.GetData(asked);
    EXPECT_EQ(Journal(),
              (Calls{{"c_Pallax_getData", {Arg::NonNull(), Arg::NonNull(), Arg::I32(sent)}}}))
        << asked;
  }
}

// The record's count decides how many entries are copied; a count the record cannot hold is
// held to the 64 entries it has (ASan would catch a read past them).
TEST_F(PallaxTest, ValuesFollowTheRecordsCountWithinItsEntries) {
  const std::pair<int32_t, size_t> cases[] = {{0, 0},       {3, 3},   {64, 64},   {-1, 0},
                                              {INT_MIN, 0}, {65, 64}, {1000, 64}, {INT_MAX, 64}};
  for (const auto& [count, expected] : cases) {
    SCOPED_TRACE(count);
    const PallaxScanRecord record = Record(0x7E, count);
    velmora_sim::ScriptNext("c_Pallax_getData", Result::Bool(true).Fill(record));
    const Pallax::ScanData scan = sensor.GetData(10);
    EXPECT_EQ(scan.header, 0x7E);
    ASSERT_EQ(scan.values.size(), expected);
    EXPECT_EQ(std::vector<int16_t>(scan.values),
              std::vector<int16_t>(record.values, record.values + expected));
    if (expected > 1) {
      EXPECT_EQ(scan.values[1], -1) << "0xFFFF is -1";
    }
  }
}

// A driver that fills nothing gives an empty scan, not the previous scan's count and entries.
TEST_F(PallaxTest, UnfilledScanIsEmpty) {
  velmora_sim::ScriptNext("c_Pallax_getData", Result::Bool(true).Fill(Record(9, 64)));
  sensor.GetData(64);
  velmora_sim::ScriptNext("c_Pallax_getData", Result::Bool(true));
  const Pallax::ScanData scan = sensor.GetData(64);
  EXPECT_EQ(scan.header, 0);
  EXPECT_TRUE(scan.values.empty());
}

TEST_F(PallaxTest, ConfigBytesBecomeValuesAndFlags) {
  velmora_sim::ScriptNext("c_Pallax_getConfig", Result::Bool(true).Fill(PallaxConfigRecord{
                                                    0xFF, 0x00, 0x01, 0xFF, 0xFF, 0xFF}));
  Pallax::Config c = sensor.GetConfig(-1);
  EXPECT_EQ(Journal(),
            (Calls{{"c_Pallax_getConfig", {Arg::NonNull(), Arg::NonNull(), Arg::I32(-1)}}}));
  EXPECT_EQ(c.valueA, 255);
  EXPECT_FALSE(c.flagA);
  EXPECT_TRUE(c.flagB);
  EXPECT_TRUE(c.flagC);
  EXPECT_EQ(c.valueB, 255);
  EXPECT_EQ(c.valueC, 255);

  velmora_sim::ScriptNext("c_Pallax_getConfig",
                          Result::Bool(true).Fill(PallaxConfigRecord{1, 0x80, 0, 0, 2, 3}));
  c = sensor.GetConfig(0);
  EXPECT_EQ(c.valueA, 1);
  EXPECT_TRUE(c.flagA);
  EXPECT_FALSE(c.flagB);
  EXPECT_FALSE(c.flagC);
  EXPECT_EQ(c.valueB, 2);
  EXPECT_EQ(c.valueC, 3);
}

TEST_F(PallaxTest, SimulatedSensorScansTheRequestedLength) {
  EXPECT_EQ(sensor.GetData(10).values.size(), 10u);
  EXPECT_EQ(sensor.GetData(100).values.size(), 64u);
  EXPECT_EQ(sensor.GetData(-3).values.size(), 1u);
  EXPECT_EQ(sensor.GetCanID(), 3);
}

}  // namespace
