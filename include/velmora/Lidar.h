// Lidar: the large scanning lidar with switchable filters.
//
// The driver keeps one lidar of this kind for the whole program, so a Lidar object holds nothing:
// every object drives the same device, and nothing is released when one goes. The lidar's
// filters (cluster, Kalman, moving average, median, jitter) are switched on and off one by one
// and configured separately.
#pragma once

#include "velmora/Export.h"

namespace velmora {

class VELMORA_API Lidar {
 public:
  // The port the lidar is plugged into; its number goes to the driver unchanged.
  enum class Port : int { kUSB0 = 0, kUSB1 = 1, kUSB2 = 2, kUSB3 = 3 };

  // The lidar's filters; the number goes to the driver unchanged.
  enum class Filter : int {
    kCluster = 0,
    kKalman = 1,
    kMovingAverage = 2,
    kMedian = 3,
    kJitter = 4,
  };

  // One scan, one value per degree: entry i of `distances` was measured at `angles[i]`. A
  // default-initialised record holds indeterminate values until GetData fills it.
  struct ScanData {
    float angles[360];
    float distances[360];
  };

  // Opens the lidar on `port`.
  explicit Lidar(Port port);

  Lidar(const Lidar&) = delete;
  Lidar& operator=(const Lidar&) = delete;

  void Start();
  void Stop();

  ScanData GetData();

  void EnableFilter(Filter filter, bool enable);

  // Sizes must be 1 to 10; any other size is refused with one line on std::cerr and the lidar
  // keeps its previous configuration. The float arguments are passed on unchanged.
  void ClusterConfig(float value, int minClusterSize);
  void KalmanConfig(float a, float b, float c);
  void MovingAverageConfig(int windowSize);
  void MedianConfig(int windowSize);
  void JitterConfig(float value);
};

static_assert(sizeof(Lidar::ScanData) == 2880, "Lidar::ScanData mirrors the 2880-byte scan block");

}  // namespace velmora
