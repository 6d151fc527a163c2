// LidarMini::ScanData::GetDistanceAt on records a program built itself: lists of any lengths
// (angles and distances need not match), any float values (NaN, infinities, negatives) and any
// query angle and tolerance. The answer is -1 or the distance of a valid point (above 0) that is
// present in both lists.
#include <vector>

#include "FuzzSupport.h"
#include "velmora/LidarMini.h"

using velmora_fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  FuzzedDataProvider data(bytes, size);
  velmora::LidarMini::ScanData scan;
  scan.angles.resize(data.ConsumeIntegralInRange<size_t>(0, 1024));
  scan.distances.resize(data.ConsumeIntegralInRange<size_t>(0, 1024));
  if (data.ConsumeBool()) scan.qualities.resize(scan.angles.size());
  const float angle = data.ConsumeFloatingPoint<float>();
  const float tolerance = data.ConsumeFloatingPoint<float>();
  // Mostly angles within a turn, so that nearness matters; now and then any float at all.
  for (float& a : scan.angles) {
    a = data.ConsumeBool() ? data.ConsumeFloatingPointInRange<float>(0.0f, 360.0f)
                           : data.ConsumeFloatingPoint<float>();
  }
  for (float& d : scan.distances) d = data.ConsumeFloatingPoint<float>();

  const float result = scan.GetDistanceAt(angle, tolerance);
  if (result == -1.0f) return 0;
  bool found = false;
  const size_t points =
      scan.angles.size() < scan.distances.size() ? scan.angles.size() : scan.distances.size();
  for (size_t i = 0; i < points && !found; ++i) found = scan.distances[i] == result;
  Require(result > 0.0f && found, "the answer is -1 or the distance of a valid point");
  return 0;
}
