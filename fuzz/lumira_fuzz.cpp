// Lumira: colour records and configuration values of any bytes, as the driver could give them
// back, whether or not it reports success, and any CAN ID. The colour must come back field by
// field (float bit patterns included), and only CAN IDs outside 0 to 63 may be refused.
#include <cstring>
#include <stdexcept>

#include "FuzzSupport.h"
#include "driver_link/VelmoraDriver.h"
#include "velmora/Lumira.h"

using velmora::Lumira;
using velmora_fuzz::Require;
using velmora_sim::Result;

namespace {

bool SameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

void CheckColor(Lumira& lumira, FuzzedDataProvider& data) {
  const auto record = velmora_fuzz::RecordFrom<velmora_driver::LumiraColorRecord>(data);
  velmora_sim::ScriptNext("c_Lumira_getColor", Result::Bool(data.ConsumeBool()).Fill(record));
  const Lumira::ColorData color = lumira.GetColor();
  Require(color.header == record.header && color.trailer == record.trailer,
          "header and trailer are copied");
  Require(SameBits(color.component1, record.component1) &&
              SameBits(color.component2, record.component2) &&
              SameBits(color.component3, record.component3),
          "the three components are copied bit for bit");
}

void CheckConfig(Lumira& lumira, FuzzedDataProvider& data) {
  const uint32_t stored = data.ConsumeIntegral<uint32_t>();
  const bool ok = data.ConsumeBool();
  velmora_sim::ScriptNext("c_Lumira_getConfig", Result::Bool(ok).Fill(stored));
  unsigned int value = 0;
  const bool answer =
      lumira.GetConfig(static_cast<Lumira::ConfigItem>(data.ConsumeIntegral<uint8_t>()), value);
  Require(answer == ok, "the driver's answer is passed on");
  Require(!ok || value == stored, "on success the value is the driver's");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  FuzzedDataProvider data(bytes, size);
  velmora_fuzz::FreshDriver();

  const int canId = data.ConsumeIntegral<int>();
  const bool valid = canId >= 0 && canId <= 63;
  try {
    Lumira lumira(canId);
    Require(valid, "a CAN ID outside 0 to 63 is refused");
    while (data.remaining_bytes() > 0) {
      if (data.ConsumeBool()) {
        CheckColor(lumira, data);
      } else {
        CheckConfig(lumira, data);
      }
    }
  } catch (const std::out_of_range&) {
    Require(!valid, "a CAN ID within 0 to 63 is accepted");
  }
  return 0;
}
