#include "velmora/LidarMini.h"

#include <cmath>
#include <iomanip>
#include <iostream>
#include <limits>
#include <new>
#include <sstream>

#include "../driver_link/VelmoraDriver.h"

namespace velmora {
namespace {

// The scan frequency window. It is tested against thresholds a little outside 6 and 12 so that
// tenth steps, which do not add up exactly in single precision, still reach both ends: sixty
// tenth steps up from 6 land on 12.000013, and sixty down from there on 6.0000005.
constexpr float kWholeStep = 1.0f;
constexpr float kTenthStep = 0.1f;
constexpr float kMaximumFrequency = 12.0f;
constexpr float kMinimumFrequency = 6.0f;
constexpr float kUpperThreshold = 12.001f;
constexpr float kLowerThreshold = 5.999f;

// The driver builds its scan record in storage we provide and leaves its destruction to us. The
// guard destroys it on every way out, also when copying the points runs out of memory.
class DriverScan {
 public:
  DriverScan() = default;
  DriverScan(const DriverScan&) = delete;
  DriverScan& operator=(const DriverScan&) = delete;
  ~DriverScan() {
    if (m_record != nullptr) m_record->~ScanData();
  }

  // Asks the driver for one scan; the record lives until the guard goes.
  const LidarMiniJNI::ScanData& Read(void* handle) {
    auto* place = reinterpret_cast<LidarMiniJNI::ScanData*>(m_storage);
    c_LidarMini_getData(handle, place);
    m_record = std::launder(place);
    return *m_record;
  }

 private:
  alignas(LidarMiniJNI::ScanData) unsigned char m_storage[sizeof(LidarMiniJNI::ScanData)];
  LidarMiniJNI::ScanData* m_record = nullptr;
};

// How far apart two directions are that lie more than a turn apart (or of which one is not
// finite). Headings from a gyro keep counting past 360, so whole turns are removed before the
// fold at 180; two finite angles far enough apart for their difference to overflow are each
// reduced to less than a turn first. A direction that is not finite is no direction: the result
// is NaN, which fails every comparison of the look-up.
float FarDifference(float stored, float query) {
  if (!std::isfinite(stored) || !std::isfinite(query)) {
    return std::numeric_limits<float>::quiet_NaN();
  }
  float d = std::fabs(stored - query);
  if (!std::isfinite(d)) d = std::fabs(std::fmod(stored, 360.0f) - std::fmod(query, 360.0f));
  d = std::fmod(d, 360.0f);
  return d > 180.0f ? 360.0f - d : d;
}

// One pass of the nearest-angle look-up over `count` points; leaves the nearest difference found
// in `best`. The difference is folded once at 180 degrees, which is all the angles of one scan
// need. Angles more than a turn apart (or an infinite one) fold below 0; with kReduceTurns such a
// difference is worked out again with whole turns removed.
template <bool kReduceTurns>
float NearestDistance(const float* angles, const float* distances, size_t count, float angle,
                      float tolerance, float& best) {
  best = std::numeric_limits<float>::max();
  float result = -1.0f;
  const float* const end = angles + count;
  for (const float* a = angles; a != end; ++a, ++distances) {
    float d = std::fabs(*a - angle);
    if (d > 180.0f) d = 360.0f - d;
    if (kReduceTurns && d < 0.0f) d = FarDifference(*a, angle);
    // Written so that a NaN anywhere makes the test false: a NaN angle matches nothing.
    if (tolerance >= d && best > d && *distances > 0.0f) {
      best = d;
      result = *distances;
    }
  }
  return result;
}

}  // namespace

float LidarMini::ScanData::GetDistanceAt(float angle, float tolerance) const {
  if (angles.empty()) return -1.0f;
  // An infinite query has no direction; a NaN one fails every comparison anyway.
  if (!std::isfinite(angle)) return -1.0f;
  // A record a program built itself may have fewer distances than angles: an angle without a
  // distance is no point at all.
  const size_t count = angles.size() < distances.size() ? angles.size() : distances.size();
  float best = 0.0f;
  const float result =
      NearestDistance<false>(angles.data(), distances.data(), count, angle, tolerance, best);
  // A difference folded below 0 beats every true match, so it can only hide behind a best
  // difference below 0; then, and only then, the scan is looked at again with whole turns
  // removed. Ordinary scans pay one comparison per look-up for it, not one per point.
  if (best < 0.0f) {
    return NearestDistance<true>(angles.data(), distances.data(), count, angle, tolerance, best);
  }
  return result;
}

std::string LidarMini::LidarInfo::GetSerialString() const {
  std::ostringstream text;
  for (uint8_t byte : serialNumber) {
    text << std::hex << std::uppercase << std::setw(2) << std::setfill('0')
         << static_cast<int>(byte);
  }
  return text.str();
}

LidarMini::LidarMini(Port port) : m_handle(c_LidarMini_create(static_cast<int32_t>(port))) {}

LidarMini::LidarMini(LidarMini&& other) noexcept
    : m_handle(other.m_handle), m_currentFrequency(other.m_currentFrequency) {
  other.m_handle = nullptr;
}

void LidarMini::Start() {
  if (m_handle != nullptr) c_LidarMini_start(m_handle);
}

void LidarMini::Stop() {
  if (m_handle != nullptr) c_LidarMini_stop(m_handle);
}

void LidarMini::Destroy() {
  // The driver accepts null, so a second Destroy is harmless.
  c_LidarMini_destroy(m_handle);
  m_handle = nullptr;
}

void LidarMini::IncreaseFrequencyHz() { ApplyFrequencyChange(kWholeStep, true); }

void LidarMini::IncreaseFrequencyTenthHz() { ApplyFrequencyChange(kTenthStep, true); }

void LidarMini::DecreaseFrequencyHz() { ApplyFrequencyChange(kWholeStep, false); }

void LidarMini::DecreaseFrequencyTenthHz() { ApplyFrequencyChange(kTenthStep, false); }

float LidarMini::GetCurrentFrequency() const { return m_currentFrequency; }

void LidarMini::ApplyFrequencyChange(float step, bool increase) {
  const float target = increase ? m_currentFrequency + step : m_currentFrequency - step;
  // The range test comes first, so an inert object still reports a refused step.
  if (increase && target > kUpperThreshold) {
    std::cerr << "[LidarMini] IncreaseFrequency blocked: " << m_currentFrequency << " + " << step
              << " Hz would exceed maximum " << kMaximumFrequency << " Hz\n";
    return;
  }
  if (!increase && target < kLowerThreshold) {
    std::cerr << "[LidarMini] DecreaseFrequency blocked: " << m_currentFrequency << " - " << step
              << " Hz would go below minimum " << kMinimumFrequency << " Hz\n";
    return;
  }
  if (m_handle == nullptr) return;

  const bool wholeHertz = step == kWholeStep;
  if (increase) {
    c_LidarMini_increaseFrequency(m_handle, wholeHertz);
  } else {
    c_LidarMini_decreaseFrequency(m_handle, wholeHertz);
  }
  m_currentFrequency = target;
  std::cout << "[LidarMini] Scan frequency \xE2\x86\x92 " << m_currentFrequency << " Hz\n";
}

LidarMini::LidarInfo LidarMini::GetInfo() {
  LidarInfo info;
  if (m_handle == nullptr) return info;
  velmora_driver::LidarMiniInfoRecord record{};
  c_LidarMini_getInfo(m_handle, &record);
  info.model = record.model;
  info.firmwareMinor = static_cast<uint8_t>(record.firmware & 0xFFu);
  info.firmwareMajor = static_cast<uint8_t>(record.firmware >> 8);
  info.hardware = record.hardware;
  for (size_t i = 0; i < sizeof info.serialNumber; ++i) {
    info.serialNumber[i] = record.serialNumber[i];
  }
  return info;
}

LidarMini::LidarHealth LidarMini::GetHealth() {
  LidarHealth health;
  if (m_handle == nullptr) return health;
  velmora_driver::LidarMiniHealthRecord record{};
  c_LidarMini_getHealth(m_handle, &record);
  health.status = record.status;
  health.errorCode = record.errorCode;
  return health;
}

LidarMini::ScanData LidarMini::GetData() {
  ScanData data;
  if (m_handle == nullptr) return data;
  DriverScan scan;
  const LidarMiniJNI::ScanData& record = scan.Read(m_handle);
  // One allocation per list per scan.
  const size_t n = record.points.size();
  data.angles.reserve(n);
  data.distances.reserve(n);
  data.qualities.reserve(n);
  data.timestamp = record.timestamp;
  for (const LidarMiniJNI::DataPoint& point : record.points) {
    data.angles.push_back(point.angle);
    data.distances.push_back(point.distance);
    data.qualities.push_back(point.quality);
  }
  return data;
}

}  // namespace velmora
