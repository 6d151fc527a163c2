/// @file
/// The large scanning lidar with switchable filters, `velmora::Lidar`.
#pragma once

#include "velmora/Export.h"

namespace velmora {

/// The large scanning lidar with switchable filters (cluster, Kalman, moving average, median,
/// jitter), each switched on and off and configured separately.
///
/// **Lifetime.** The driver keeps one lidar of this kind for the whole program, so a Lidar
/// object holds nothing: every object drives the same device, and none releases it (destroying
/// an object sends nothing). Not copyable, to keep one owner in the program's design.
///
/// **Threads.** No locks: drive the lidar from one thread at a time, across all its objects.
class VELMORA_API Lidar {
 public:
  /// The USB port the lidar is plugged into; the number goes to the driver unchanged.
  enum class Port : int {
    kUSB0 = 0,  ///< USB port 0.
    kUSB1 = 1,  ///< USB port 1.
    kUSB2 = 2,  ///< USB port 2.
    kUSB3 = 3,  ///< USB port 3.
  };

  /// The lidar's filters; the number goes to the driver unchanged.
  enum class Filter : int {
    kCluster = 0,        ///< The cluster filter, set up by ClusterConfig.
    kKalman = 1,         ///< The Kalman filter, set up by KalmanConfig.
    kMovingAverage = 2,  ///< The moving-average filter, set up by MovingAverageConfig.
    kMedian = 3,         ///< The median filter, set up by MedianConfig.
    kJitter = 4,         ///< The jitter filter, set up by JitterConfig.
  };

  /// One scan, one value per degree: entry i of `distances` was measured at `angles[i]`. A
  /// default-initialised record holds indeterminate values until GetData fills it.
  struct ScanData {
    /// Degrees, counter-clockwise from the lidar's front (entry i at i degrees on the simulated
    /// device).
    float angles[360];
    /// Distance at each angle, in the lidar's own unit (metres on the simulated device); 0 or
    /// below means no valid reading.
    float distances[360];
  };

  /// Opens the lidar on `port`. Nothing is checked or thrown: the driver has the one device.
  explicit Lidar(Port port);

  Lidar(const Lidar&) = delete;             ///< Not copyable.
  Lidar& operator=(const Lidar&) = delete;  ///< Not copyable.

  /// Starts scanning.
  void Start();
  /// Stops scanning.
  void Stop();

  /// The latest scan, after the filters that are switched on.
  ScanData GetData();

  /// Switches one filter on (`enable` true) or off.
  void EnableFilter(Filter filter, bool enable);

  /// Configures the cluster filter: `value`, the device's own clustering parameter (sent
  /// unchanged), and the smallest cluster size, 1 to 10. Another size is refused with "Min
  /// cluster size to large must be less than 11 and greater than 0" on std::cerr, and the lidar
  /// keeps its previous configuration.
  void ClusterConfig(float value, int minClusterSize);
  /// Configures the Kalman filter with the device's own three parameters, sent unchanged.
  void KalmanConfig(float a, float b, float c);
  /// Configures the moving-average window size, 1 to 10. Another size is refused with "Window
  /// size to large must be less than 11 and greater than 0" on std::cerr and nothing is sent.
  void MovingAverageConfig(int windowSize);
  /// Configures the median window size, 1 to 10; another size is refused as in
  /// MovingAverageConfig.
  void MedianConfig(int windowSize);
  /// Configures the jitter filter with the device's own threshold, sent unchanged.
  void JitterConfig(float value);
};

static_assert(sizeof(Lidar::ScanData) == 2880, "Lidar::ScanData mirrors the 2880-byte scan block");

}  // namespace velmora
