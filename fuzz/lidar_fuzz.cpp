// Lidar: scan blocks as the driver could give them back, and filter numbers, sizes and settings
// as a robot program could pass them, in any order. A scan must come back byte for byte; a size
// outside 1 to 10 must be refused before the driver sees it (the lidar keeps its previous
// configuration), and every other setting must reach the driver unchanged.
#include <cstring>

#include "FuzzSupport.h"
#include "driver_link/VelmoraDriver.h"
#include "velmora/Lidar.h"

using velmora::Lidar;
using velmora_fuzz::Require;
using velmora_sim::Result;

namespace {

bool SameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }
bool SizeAccepted(int size) { return size >= 1 && size <= 10; }

void CheckScan(Lidar& lidar, FuzzedDataProvider& data) {
  const auto block = velmora_fuzz::RecordFrom<velmora_driver::LidarScanBlock>(data);
  velmora_sim::ScriptNext("c_Lidar_getData", Result::None().Fill(block));
  const Lidar::ScanData scan = lidar.GetData();
  static_assert(sizeof scan == sizeof block, "one scan block per record");
  Require(std::memcmp(&scan, &block, sizeof scan) == 0, "the scan is the driver's, byte for byte");
}

// A size-checked setting: the lidar's configuration afterwards is the new size when it was
// accepted and the old one otherwise.
void CheckSize(int before, int size, int after, const char* what) {
  Require(after == (SizeAccepted(size) ? size : before), what);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  velmora_fuzz::QuietConsole();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  FuzzedDataProvider data(bytes, size);
  velmora_fuzz::FreshDriver();
  Lidar lidar(static_cast<Lidar::Port>(data.ConsumeIntegral<int>()));

  while (data.remaining_bytes() > 0) {
    const velmora_sim::LidarSimState before = velmora_sim::GetLidarSim();
    switch (data.ConsumeIntegralInRange(0, 7)) {
      case 0:
        CheckScan(lidar, data);
        break;
      case 1: {
        const float value = data.ConsumeFloatingPoint<float>();
        const int minSize = data.ConsumeIntegral<int>();
        lidar.ClusterConfig(value, minSize);
        const velmora_sim::LidarSimState after = velmora_sim::GetLidarSim();
        CheckSize(before.clusterMinSize, minSize, after.clusterMinSize,
                  "a cluster size outside 1 to 10 never reaches the lidar");
        Require(SameBits(after.clusterValue, SizeAccepted(minSize) ? value : before.clusterValue),
                "the cluster value goes with an accepted size, unchanged");
        break;
      }
      case 2: {
        const int window = data.ConsumeIntegral<int>();
        lidar.MovingAverageConfig(window);
        CheckSize(before.movingAverageWindow, window,
                  velmora_sim::GetLidarSim().movingAverageWindow,
                  "a moving-average window outside 1 to 10 never reaches the lidar");
        break;
      }
      case 3: {
        const int window = data.ConsumeIntegral<int>();
        lidar.MedianConfig(window);
        CheckSize(before.medianWindow, window, velmora_sim::GetLidarSim().medianWindow,
                  "a median window outside 1 to 10 never reaches the lidar");
        break;
      }
      case 4: {
        float k[3];
        for (float& v : k) v = data.ConsumeFloatingPoint<float>();
        lidar.KalmanConfig(k[0], k[1], k[2]);
        const velmora_sim::LidarSimState after = velmora_sim::GetLidarSim();
        Require(SameBits(after.kalman[0], k[0]) && SameBits(after.kalman[1], k[1]) &&
                    SameBits(after.kalman[2], k[2]),
                "the Kalman settings reach the lidar unchanged, in order");
        break;
      }
      case 5: {
        const float jitter = data.ConsumeFloatingPoint<float>();
        lidar.JitterConfig(jitter);
        Require(SameBits(velmora_sim::GetLidarSim().jitter, jitter),
                "the jitter setting reaches the lidar unchanged");
        break;
      }
      case 6: {
        const int filter = data.ConsumeIntegral<int>();
        const bool enable = data.ConsumeBool();
        lidar.EnableFilter(static_cast<Lidar::Filter>(filter), enable);
        if (filter >= 0 && filter < velmora_sim::kLidarFilterCount) {
          Require(velmora_sim::GetLidarSim().filterEnabled[filter] == enable,
                  "a filter switch reaches the lidar");
        }
        break;
      }
      default:
        if (data.ConsumeBool()) {
          lidar.Start();
        } else {
          lidar.Stop();
        }
        break;
    }
  }
  return 0;
}
