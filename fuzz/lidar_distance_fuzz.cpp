// LidarMini::ScanData::GetDistanceAt on records a program built itself: lists of any lengths
// (angles and distances need not match), any float values (NaN, infinities, negatives) and any
// query angle and tolerance. The answer is -1 or the distance of a valid point (above 0) with a
// finite angle that is present in both lists. Where every angle lies within half a turn and a
// half of the query, so that a single fold at 180 degrees brings each difference into 0 to 180,
// the answer is exactly that of the plain single-fold look-up.
#include <cmath>
#include <cstring>
#include <limits>
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
  const size_t points =
      scan.angles.size() < scan.distances.size() ? scan.angles.size() : scan.distances.size();

  // The single-fold look-up, where it is sound.
  bool singleFoldSound = true;
  float best = std::numeric_limits<float>::max();
  float singleFold = -1.0f;
  for (size_t i = 0; i < points; ++i) {
    float d = std::fabs(scan.angles[i] - angle);
    if (d > 180.0f) d = 360.0f - d;
    if (!(d >= 0.0f && d <= 180.0f)) singleFoldSound = false;
    if (tolerance >= d && best > d && scan.distances[i] > 0.0f) {
      best = d;
      singleFold = scan.distances[i];
    }
  }
  if (singleFoldSound && points > 0) {
    Require(std::memcmp(&result, &singleFold, sizeof result) == 0,
            "within half a turn and a half, the answer is the single-fold one, bit for bit");
  }

  if (result == -1.0f) return 0;
  bool found = false;
  for (size_t i = 0; i < points && !found; ++i) {
    found = scan.distances[i] == result && std::isfinite(scan.angles[i]);
  }
  Require(result > 0.0f && found && std::isfinite(angle),
          "the answer is -1 or the distance of a valid point with a finite angle");
  return 0;
}
