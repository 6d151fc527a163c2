// Pallax: scan records whose count says anything at all (negative, above the 64 entries the
// record holds) and configuration records of any bytes, for any requested scan length and any
// CAN ID. The scan must hold the record's first `count` entries (never more than the record's
// 64), the sensor must be asked for 1 to 64 values, and only CAN IDs outside 0 to 63 may be
// refused.
#include <algorithm>
#include <cstddef>
#include <stdexcept>

#include "FuzzSupport.h"
#include "driver_link/VelmoraDriver.h"
#include "velmora/Pallax.h"

using velmora::Pallax;
using velmora_fuzz::Require;
using velmora_sim::Result;

namespace {

void CheckScan(Pallax& pallax, FuzzedDataProvider& data) {
  auto record = velmora_fuzz::RecordFrom<velmora_driver::PallaxScanRecord>(data);
  if (data.ConsumeBool()) record.count = data.ConsumeIntegralInRange(-2, 66);  // near the edges
  velmora_sim::ScriptNext("c_Pallax_getData", Result::Bool(data.ConsumeBool()).Fill(record));
  const int length = data.ConsumeIntegral<int>();

  velmora_sim::ClearJournal();
  const Pallax::ScanData scan = pallax.GetData(length);

  const auto calls = velmora_sim::CallsTo("c_Pallax_getData");
  Require(calls.size() == 1, "one driver read per scan");
  const int64_t requested = calls.empty() ? 0 : calls[0].args.at(2).AsInt();
  Require(requested >= 1 && requested <= velmora_driver::kPallaxMaxValues,
          "the sensor is asked for 1 to 64 values");

  Require(scan.header == record.header, "the header byte is copied");
  if (record.count >= 0 && record.count <= velmora_driver::kPallaxMaxValues) {
    Require(scan.values.size() == static_cast<size_t>(record.count),
            "the scan holds exactly the entries the record counts");
  } else {
    // A count the driver should never give: the copy must stay within the record's 64 entries.
    Require(scan.values.size() <= static_cast<size_t>(velmora_driver::kPallaxMaxValues),
            "the scan never reaches past the record");
  }
  Require(std::equal(scan.values.begin(), scan.values.end(), record.values),
          "the entries are copied in order");
}

void CheckConfig(Pallax& pallax, FuzzedDataProvider& data) {
  const auto record = velmora_fuzz::RecordFrom<velmora_driver::PallaxConfigRecord>(data);
  velmora_sim::ScriptNext("c_Pallax_getConfig", Result::Bool(data.ConsumeBool()).Fill(record));
  const Pallax::Config config = pallax.GetConfig(data.ConsumeIntegral<int>());
  Require(config.valueA == record.valueA && config.valueB == record.valueB &&
              config.valueC == record.valueC,
          "the three values are copied");
  Require(config.flagA == (record.flagA != 0) && config.flagB == (record.flagB != 0) &&
              config.flagC == (record.flagC != 0),
          "a flag is set exactly when its byte is not 0");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  FuzzedDataProvider data(bytes, size);
  velmora_fuzz::FreshDriver();
  velmora_sim::EnableJournal(true);  // the requested length is read from the journal

  const int canId = data.ConsumeIntegral<int>();
  const bool valid = canId >= 0 && canId <= 63;
  try {
    Pallax pallax(canId);
    Require(valid, "a CAN ID outside 0 to 63 is refused");
    while (data.remaining_bytes() > 0) {
      if (data.ConsumeBool()) {
        CheckScan(pallax, data);
      } else {
        CheckConfig(pallax, data);
      }
    }
  } catch (const std::out_of_range&) {
    Require(!valid, "a CAN ID within 0 to 63 is accepted");
  }
  return 0;
}
