#include "velmora/Lidar.h"

#include <cstring>
#include <iostream>

#include "../driver_link/VelmoraDriver.h"

namespace velmora {
namespace {

constexpr size_t kArrayBytes = 1440;
static_assert(sizeof(velmora_driver::LidarScanBlock) == 2 * kArrayBytes, "scan block size");
static_assert(sizeof(Lidar::ScanData::angles) == kArrayBytes, "first array of Lidar::ScanData");
static_assert(sizeof(Lidar::ScanData::distances) == kArrayBytes, "second array of Lidar::ScanData");

// The filters take sizes of 1 to 10 only.
bool SizeInRange(int size) { return size >= 1 && size <= 10; }

}  // namespace

Lidar::Lidar(Port port) { c_Lidar_create(static_cast<int32_t>(port)); }

void Lidar::Start() { c_Lidar_start(); }

void Lidar::Stop() { c_Lidar_stop(); }

Lidar::ScanData Lidar::GetData() {
  const velmora_driver::LidarScanBlock block = c_Lidar_getData();
  const auto* bytes = reinterpret_cast<const unsigned char*>(&block);
  ScanData data;
  std::memcpy(data.angles, bytes, kArrayBytes);
  std::memcpy(data.distances, bytes + kArrayBytes, kArrayBytes);
  return data;
}

void Lidar::EnableFilter(Filter filter, bool enable) {
  c_Lidar_enableFilter(static_cast<int32_t>(filter), enable);
}

void Lidar::ClusterConfig(float value, int minClusterSize) {
  if (!SizeInRange(minClusterSize)) {
    std::cerr << "Min cluster size to large must be less than 11 and greater than 0" << std::endl;
    return;
  }
  c_Lidar_clusterConfig(value, minClusterSize);
}

void Lidar::KalmanConfig(float a, float b, float c) { c_Lidar_kalmanConfig(a, b, c); }

void Lidar::MovingAverageConfig(int windowSize) {
  if (!SizeInRange(windowSize)) {
    std::cerr << "Window size to large must be less than 11 and greater than 0" << std::endl;
    return;
  }
  c_Lidar_movingAverageConfig(windowSize);
}

void Lidar::MedianConfig(int windowSize) {
  if (!SizeInRange(windowSize)) {
    std::cerr << "Window size to large must be less than 11 and greater than 0" << std::endl;
    return;
  }
  c_Lidar_medianConfig(windowSize);
}

void Lidar::JitterConfig(float value) { c_Lidar_jitterConfig(value); }

}  // namespace velmora
