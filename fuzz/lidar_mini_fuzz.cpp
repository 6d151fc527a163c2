// LidarMini: scan, information and health records as the driver could give them back, between
// frequency steps a program could ask for in any order. The scan must come back point for point
// in three lists of one length, the information field by field with 32 hexadecimal serial
// digits, and the frequency must never leave 6 to 12 Hz.
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "driver_link/VelmoraDriver.h"
#include "velmora/LidarMini.h"

using velmora::LidarMini;
using velmora_fuzz::Require;
using velmora_sim::Result;
using velmora_sim::ScanPoint;

namespace {

bool SameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

void CheckScan(LidarMini& lidar, FuzzedDataProvider& data) {
  const int64_t timestamp = data.ConsumeIntegral<int64_t>();
  // Up to a few thousand points: real scans hold hundreds; more only costs time.
  std::vector<ScanPoint> points(data.ConsumeIntegralInRange<size_t>(0, 2048));
  for (ScanPoint& point : points) {
    point = velmora_fuzz::RecordFrom<ScanPoint>(data);
  }
  velmora_sim::ScriptNext("c_LidarMini_getData", Result::Scan(timestamp, points));

  const LidarMini::ScanData scan = lidar.GetData();
  Require(scan.timestamp == timestamp, "the scan keeps the driver's timestamp");
  Require(scan.angles.size() == points.size() && scan.distances.size() == points.size() &&
              scan.qualities.size() == points.size(),
          "one list entry per scan point");
  for (size_t i = 0; i < points.size(); ++i) {
    Require(SameBits(scan.angles[i], points[i].angle) &&
                SameBits(scan.distances[i], points[i].distance) &&
                SameBits(scan.qualities[i], points[i].quality),
            "every point is copied unchanged, in order");
  }
  scan.GetDistanceAt(data.ConsumeFloatingPoint<float>(), data.ConsumeFloatingPoint<float>());
}

void CheckInfo(LidarMini& lidar, FuzzedDataProvider& data) {
  const auto record = velmora_fuzz::RecordFrom<velmora_driver::LidarMiniInfoRecord>(data);
  velmora_sim::ScriptNext("c_LidarMini_getInfo", Result::None().Fill(record));

  const LidarMini::LidarInfo info = lidar.GetInfo();
  Require(info.model == record.model && info.hardware == record.hardware,
          "model and hardware are copied");
  Require(info.firmwareMinor == (record.firmware & 0xFF) &&
              info.firmwareMajor == (record.firmware >> 8),
          "the firmware word splits into minor (low byte) and major (high byte)");
  Require(std::memcmp(info.serialNumber, record.serialNumber, sizeof info.serialNumber) == 0,
          "the serial number is copied");

  const std::string serial = info.GetSerialString();
  static const char kHex[] = "0123456789ABCDEF";
  Require(serial.size() == 32, "the serial text has 32 digits");
  for (size_t i = 0; i < sizeof info.serialNumber && serial.size() == 32; ++i) {
    Require(serial[2 * i] == kHex[info.serialNumber[i] >> 4] &&
                serial[2 * i + 1] == kHex[info.serialNumber[i] & 0xF],
            "two upper-case hexadecimal digits per serial byte, first byte first");
  }
}

void CheckHealth(LidarMini& lidar, FuzzedDataProvider& data) {
  const auto record = velmora_fuzz::RecordFrom<velmora_driver::LidarMiniHealthRecord>(data);
  velmora_sim::ScriptNext("c_LidarMini_getHealth", Result::None().Fill(record));
  const LidarMini::LidarHealth health = lidar.GetHealth();
  Require(health.status == record.status && health.errorCode == record.errorCode,
          "the health record is copied");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  velmora_fuzz::QuietConsole();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  FuzzedDataProvider data(bytes, size);
  velmora_fuzz::FreshDriver();

  LidarMini lidar(static_cast<LidarMini::Port>(data.ConsumeIntegralInRange(0, 3)));
  lidar.Start();
  while (data.remaining_bytes() > 0) {
    switch (data.ConsumeIntegralInRange(0, 6)) {
      case 0:
        CheckScan(lidar, data);
        break;
      case 1:
        CheckInfo(lidar, data);
        break;
      case 2:
        CheckHealth(lidar, data);
        break;
      case 3:
        lidar.IncreaseFrequencyHz();
        break;
      case 4:
        lidar.IncreaseFrequencyTenthHz();
        break;
      case 5:
        lidar.DecreaseFrequencyHz();
        break;
      default:
        lidar.DecreaseFrequencyTenthHz();
        break;
    }
    const float frequency = lidar.GetCurrentFrequency();
    Require(frequency >= 6.0f - 1e-3f && frequency <= 12.0f + 1e-3f,
            "the scan frequency stays within 6 to 12 Hz");
  }
  lidar.Destroy();
  return 0;
}
