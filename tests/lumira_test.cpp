// The colour sensor's reads and settings: argument widths, the driver's answers, record copies,
// and the enumerators agreeing with the simulated sensor.
#include <cstring>
#include <functional>
#include <limits>

#include "driver_link/VelmoraDriver.h"
#include "support/TestSupport.h"
#include "velmora/Lumira.h"

namespace {

using velmora::Lumira;
using velmora_driver::LumiraColorRecord;
using velmora_test::Arg;
using velmora_test::Call;
using velmora_test::Result;
using Calls = std::vector<Call>;

uint32_t Bits(float f) {
  uint32_t b = 0;
  std::memcpy(&b, &f, sizeof b);
  return b;
}

class LumiraTest : public velmora_test::DriverTest {
 protected:
  Lumira sensor{7};
  void SetUp() override {
    velmora_sim::EnableJournal(true);  // the sensor opened before the test: no Reset here
    Clear();
  }
};

TEST_F(LumiraTest, SettingsReachTheDriverAtTheirWidths) {
  const float tiny = std::numeric_limits<float>::denorm_min();
  sensor.SetColorFormat(Lumira::ColorFormat::kXYZ);
  sensor.SetSampleTimeMs(65535);
  sensor.SetBrightness(255);
  sensor.SetStatusLed(true, 200);
  sensor.SetMeasureMode(Lumira::MeasureMode::kTriggered, 0.1f);
  sensor.SetZmm(-0.0f);
  sensor.SetZmm(tiny);
  sensor.SetUsbOverride(true);
  sensor.SetCanId(64);
  sensor.SetCanId(-1);
  const Arg h = Arg::NonNull();
  EXPECT_EQ(Journal(), (Calls{{"c_Lumira_setColorFormat", {h, Arg::U8(2)}},
                              {"c_Lumira_setSampleTimeMs", {h, Arg::U16(65535)}},
                              {"c_Lumira_setBrightness", {h, Arg::U8(255)}},
                              {"c_Lumira_setStatusLed", {h, Arg::Bool(true), Arg::U8(200)}},
                              {"c_Lumira_setMeasureMode", {h, Arg::U8(2), Arg::F32(0.1f)}},
                              {"c_Lumira_setZmm", {h, Arg::F32(-0.0f)}},
                              {"c_Lumira_setZmm", {h, Arg::F32(tiny)}},
                              {"c_Lumira_setUsbOverride", {h, Arg::Bool(true)}},
                              {"c_Lumira_setCanId", {h, Arg::I32(64)}},
                              {"c_Lumira_setCanId", {h, Arg::I32(-1)}}}));
}

TEST_F(LumiraTest, SettersReturnTheDriversAnswer) {
  const std::pair<const char*, std::function<bool()>> setters[] = {
      {"c_Lumira_setColorFormat", [&] { return sensor.SetColorFormat(Lumira::ColorFormat::kRGB); }},
      {"c_Lumira_setSampleTimeMs", [&] { return sensor.SetSampleTimeMs(10); }},
      {"c_Lumira_setBrightness", [&] { return sensor.SetBrightness(1); }},
      {"c_Lumira_setStatusLed", [&] { return sensor.SetStatusLed(false, 0); }},
      {"c_Lumira_setMeasureMode",
       [&] { return sensor.SetMeasureMode(Lumira::MeasureMode::kContinuous, 1.0f); }},
      {"c_Lumira_setZmm", [&] { return sensor.SetZmm(5.0f); }},
      {"c_Lumira_setUsbOverride", [&] { return sensor.SetUsbOverride(false); }},
      {"c_Lumira_setCanId", [&] { return sensor.SetCanId(8); }},
  };
  for (const auto& [function, set] : setters) {
    SCOPED_TRACE(function);
    velmora_sim::ScriptNext(function, Result::Bool(false));
    EXPECT_FALSE(set());
    velmora_sim::ScriptNext(function, Result::Bool(true));
    EXPECT_TRUE(set()) << "the sensor stays usable after a refusal";
  }
}

TEST_F(LumiraTest, ColorIsCopiedFieldForField) {
  const LumiraColorRecord record{0xFFFF, -0.5f, std::numeric_limits<float>::denorm_min(),
                                 std::numeric_limits<float>::quiet_NaN(), 255};
  velmora_sim::ScriptNext("c_Lumira_getColor", Result::Bool(false).Fill(record));
  const Lumira::ColorData color = sensor.GetColor();
  EXPECT_EQ(color.header, 0xFFFF);
  EXPECT_EQ(color.component1, -0.5f);
  EXPECT_EQ(Bits(color.component2), Bits(record.component2));
  EXPECT_EQ(Bits(color.component3), Bits(record.component3));
  EXPECT_EQ(color.trailer, 255);
  EXPECT_EQ(Journal(), (Calls{{"c_Lumira_getColor", {Arg::NonNull(), Arg::NonNull()}}}));
}

// A driver that fills nothing gives zeros, not what the previous reading left on the stack.
TEST_F(LumiraTest, UnfilledColorReadsAsZeros) {
  velmora_sim::ScriptNext("c_Lumira_getColor",
                          Result::Bool(true).Fill(LumiraColorRecord{9, 1.0f, 2.0f, 3.0f, 4}));
  sensor.GetColor();
  velmora_sim::ScriptNext("c_Lumira_getColor", Result::Bool(true));
  const Lumira::ColorData color = sensor.GetColor();
  EXPECT_EQ(color.header, 0);
  EXPECT_EQ(color.component1, 0.0f);
  EXPECT_EQ(color.component2, 0.0f);
  EXPECT_EQ(color.component3, 0.0f);
  EXPECT_EQ(color.trailer, 0);
}

TEST_F(LumiraTest, ConfigIsWrittenByTheDriverOnly) {
  unsigned int value = 0;
  velmora_sim::ScriptNext("c_Lumira_getConfig", Result::Bool(true).Fill(uint32_t{0xFFFFFFFF}));
  EXPECT_TRUE(sensor.GetConfig(Lumira::ConfigItem::kStatusLed, value));
  EXPECT_EQ(value, 0xFFFFFFFFu);
  EXPECT_EQ(Journal(),
            (Calls{{"c_Lumira_getConfig", {Arg::NonNull(), Arg::U8(6), Arg::Pointer(&value)}}}));

  value = 1234;
  velmora_sim::ScriptNext("c_Lumira_getConfig", Result::Bool(false));
  EXPECT_FALSE(sensor.GetConfig(Lumira::ConfigItem::kCanId, value));
  EXPECT_EQ(value, 1234u);
}

// The enumerators mean to the simulated sensor what their names say.
TEST_F(LumiraTest, SimulatedSensorUnderstandsTheEnumerators) {
  velmora_sim::SetLumiraColor(1.0f, 0.0f, 0.0f);
  Lumira::ColorData red = sensor.GetColor();
  EXPECT_EQ(red.component1, 1.0f);
  EXPECT_EQ(red.component2, 0.0f);
  ASSERT_TRUE(sensor.SetColorFormat(Lumira::ColorFormat::kHSV));
  red = sensor.GetColor();
  EXPECT_EQ(red.header, 2) << "second reading";
  EXPECT_EQ(red.component1, 0.0f) << "hue";
  EXPECT_EQ(red.component2, 1.0f) << "saturation";

  ASSERT_TRUE(sensor.SetSampleTimeMs(20));
  ASSERT_TRUE(sensor.SetBrightness(90));
  ASSERT_TRUE(sensor.SetMeasureMode(Lumira::MeasureMode::kSingleShot, 0.0f));
  ASSERT_TRUE(sensor.SetCanId(12));
  EXPECT_FALSE(sensor.SetCanId(64));
  EXPECT_EQ(sensor.GetCanID(), 12);
  const std::pair<Lumira::ConfigItem, unsigned int> expected[] = {
      {Lumira::ConfigItem::kColorFormat, 1}, {Lumira::ConfigItem::kSampleTimeMs, 20},
      {Lumira::ConfigItem::kBrightness, 90}, {Lumira::ConfigItem::kMeasureMode, 1},
      {Lumira::ConfigItem::kCanId, 12},      {Lumira::ConfigItem::kUsbOverride, 0}};
  for (const auto& [item, want] : expected) {
    unsigned int value = 0;
    EXPECT_TRUE(sensor.GetConfig(item, value));
    EXPECT_EQ(value, want) << static_cast<int>(item);
  }
}

}  // namespace
