// Simulated lidars: the small 360-degree lidar (one object per opened port) and the large
// filtering lidar (one process-wide device).
#include <cmath>
#include <new>

#include "../../src/driver_link/VelmoraDriver.h"
#include "internal.h"

using velmora_standin::internal::ApplyFill;
using velmora_standin::internal::Next;
using velmora_standin::internal::Record;

namespace {

struct MiniLidar {
  int32_t port = 0;
  bool scanning = false;
  float frequency = 6.0f;
  int64_t scans = 0;
};

struct BigLidar {
  bool created = false;
  bool scanning = false;
};

BigLidar& Big() {
  static BigLidar lidar;
  return lidar;
}

}  // namespace

namespace velmora_standin::internal {
void ResetLidarSims() { Big() = BigLidar{}; }
}  // namespace velmora_standin::internal

extern "C" {

void* c_LidarMini_create(int32_t port) {
  Record("c_LidarMini_create", port);
  if (auto r = Next("c_LidarMini_create")) {
    if (r->integer == 0) return nullptr;
  }
  auto* lidar = new (std::nothrow) MiniLidar;
  if (lidar != nullptr) lidar->port = port;
  return lidar;
}

void c_LidarMini_destroy(void* handle) {
  Record("c_LidarMini_destroy", handle);
  delete static_cast<MiniLidar*>(handle);  // null is fine
}

void c_LidarMini_start(void* handle) {
  Record("c_LidarMini_start", handle);
  if (handle != nullptr) static_cast<MiniLidar*>(handle)->scanning = true;
}

void c_LidarMini_stop(void* handle) {
  Record("c_LidarMini_stop", handle);
  if (handle != nullptr) static_cast<MiniLidar*>(handle)->scanning = false;
}

void c_LidarMini_increaseFrequency(void* handle, bool wholeHertz) {
  Record("c_LidarMini_increaseFrequency", handle, wholeHertz);
  if (handle != nullptr) static_cast<MiniLidar*>(handle)->frequency += wholeHertz ? 1.0f : 0.1f;
}

void c_LidarMini_decreaseFrequency(void* handle, bool wholeHertz) {
  Record("c_LidarMini_decreaseFrequency", handle, wholeHertz);
  if (handle != nullptr) static_cast<MiniLidar*>(handle)->frequency -= wholeHertz ? 1.0f : 0.1f;
}

void c_LidarMini_getInfo(void* handle, velmora_driver::LidarMiniInfoRecord* info) {
  Record("c_LidarMini_getInfo", handle, info);
  if (info == nullptr) return;
  if (auto r = Next("c_LidarMini_getInfo")) {
    ApplyFill(*r, info);
    return;
  }
  *info = velmora_driver::LidarMiniInfoRecord{};
  info->model = 0x18;
  info->firmware = 0x0120;
  info->hardware = 7;
  for (int i = 0; i < 16; ++i) info->serialNumber[i] = static_cast<uint8_t>(0x10 * (i % 16) + i);
}

void c_LidarMini_getHealth(void* handle, velmora_driver::LidarMiniHealthRecord* health) {
  Record("c_LidarMini_getHealth", handle, health);
  if (health == nullptr) return;
  if (auto r = Next("c_LidarMini_getHealth")) {
    ApplyFill(*r, health);
    return;
  }
  *health = velmora_driver::LidarMiniHealthRecord{};
}

void c_LidarMini_getData(void* handle, LidarMiniJNI::ScanData* storage) {
  Record("c_LidarMini_getData", handle, storage);
  if (storage == nullptr) return;
  auto* scan = new (storage) LidarMiniJNI::ScanData{};
  if (auto r = Next("c_LidarMini_getData")) {
    scan->timestamp = r->scanTimestamp;
    for (const auto& p : r->scan) scan->points.push_back({p.angle, p.distance, p.quality});
    return;
  }
  auto* lidar = static_cast<MiniLidar*>(handle);
  if (lidar == nullptr) return;
  // A square room, 4 m wide, with the lidar in the middle: one point per degree.
  scan->timestamp = ++lidar->scans;
  scan->points.reserve(360);
  for (int deg = 0; deg < 360; ++deg) {
    const double rad = deg * 3.14159265358979323846 / 180.0;
    const double c = std::fabs(std::cos(rad));
    const double s = std::fabs(std::sin(rad));
    const double d = 2.0 / (c > s ? c : s);
    scan->points.push_back({static_cast<float>(deg), static_cast<float>(d), 47.0f});
  }
}

void c_Lidar_create(int32_t port) {
  Record("c_Lidar_create", port);
  Big().created = true;
}

void c_Lidar_start() {
  Record("c_Lidar_start");
  Big().scanning = true;
}

void c_Lidar_stop() {
  Record("c_Lidar_stop");
  Big().scanning = false;
}

velmora_driver::LidarScanBlock c_Lidar_getData() {
  Record("c_Lidar_getData");
  velmora_driver::LidarScanBlock block{};
  if (auto r = Next("c_Lidar_getData")) {
    ApplyFill(*r, &block);
    return block;
  }
  for (int deg = 0; deg < 360; ++deg) {
    block.angles[deg] = static_cast<float>(deg);
    block.distances[deg] = 2.0f;
  }
  return block;
}

void c_Lidar_enableFilter(int32_t filter, bool enable) {
  Record("c_Lidar_enableFilter", filter, enable);
}

void c_Lidar_clusterConfig(float value, int32_t minClusterSize) {
  Record("c_Lidar_clusterConfig", value, minClusterSize);
}

void c_Lidar_kalmanConfig(float a, float b, float c) { Record("c_Lidar_kalmanConfig", a, b, c); }

void c_Lidar_movingAverageConfig(int32_t windowSize) {
  Record("c_Lidar_movingAverageConfig", windowSize);
}

void c_Lidar_medianConfig(int32_t windowSize) { Record("c_Lidar_medianConfig", windowSize); }

void c_Lidar_jitterConfig(float value) { Record("c_Lidar_jitterConfig", value); }

}  // extern "C"
