// Simulated lidars: the small 360-degree lidar (one object per opened port) and the large
// filtering lidar (one process-wide device). Both ride on the simulated robot and measure the
// field around it; what they see is kept apart from how each device scans.
#include <algorithm>
#include <array>
#include <cmath>
#include <iostream>
#include <memory>
#include <new>
#include <vector>

#include "../../src/driver_link/VelmoraDriver.h"
#include "internal.h"
#include "panel.h"

using velmora_sim::internal::ApplyFill;
using velmora_sim::internal::Next;
using velmora_sim::internal::Record;

namespace {

constexpr double kPi = 3.14159265358979323846;

// ---------------------------------------------------------------------------------------------
// What the lidars see: the simulated field, from the robot they ride on
// ---------------------------------------------------------------------------------------------

constexpr float kMaximumRange = 12.0f;
constexpr float kMinimumRange = 0.05f;

// Where a lidar stood when a scan completed: the robot on the field as it was then. A scan is
// swept from it when a program first reads it, not when it completes, so that a long step of
// simulated time spends nothing on scans nobody reads.
struct Viewpoint {
  velmora_sim::RobotPose robot;
  velmora_sim::FieldLayout field;
};

Viewpoint ViewNow() { return {velmora_sim::Robot(), velmora_sim::Field()}; }

// A reading at `angle` degrees from the robot's heading: the distance to the first wall or
// obstacle, or 0 (no reading) when that is out of range.
float MeasuredDistance(const Viewpoint& at, float angle) {
  const double d = velmora_sim::internal::RayDistanceOn(at.field, at.robot.x, at.robot.y,
                                                        at.robot.heading + angle * kPi / 180.0);
  return d > kMaximumRange || d < kMinimumRange ? 0.0f : static_cast<float>(d);
}

// The small lidar's quality: strong near, weaker far, 0 for no reading.
float QualityOf(float distance) {
  if (distance <= 0.0f) return 0.0f;
  return static_cast<float>(std::lround(20.0 + 200.0 * (1.0 - distance / kMaximumRange)));
}

// ---------------------------------------------------------------------------------------------
// Small lidar
// ---------------------------------------------------------------------------------------------

constexpr int32_t kMiniPortCount = 4;
constexpr double kMiniSamplesPerSecond = 4320.0;
constexpr float kMiniLowestFrequency = 5.0f;
constexpr float kMiniHighestFrequency = 15.0f;

// A small lidar and, in WPILib's simulation, its sim device "LidarMini[USB<port>]".
//
// The head turns on its own clock: once started, it completes a scan every 1/frequency seconds of
// simulated time, whoever reads. A read hands out the latest completed scan, as often as asked,
// until the next one completes. A frequency step changes the speed of the head for the scan after
// the one it is sweeping.
struct MiniLidar {
  velmora_sim::LidarMiniSimState state;
  double nextScanMicros = 0.0;  // when the scan being swept completes, simulated microseconds
  double sweepFrequency = 6.0;  // the frequency of the scan being swept
  std::vector<LidarMiniJNI::DataPoint> latest;  // the latest completed scan; empty before one
  // The latest completed scan not yet swept into `latest`: where it was taken and at what
  // frequency.
  bool unswept = false;
  Viewpoint view;
  double viewFrequency = 6.0;
  velmora_sim::internal::Panel panel;
};

// Never destroyed: the lidars' sim devices must not outlive WPILib's tables at exit.
std::vector<std::unique_ptr<MiniLidar>>& Minis() {
  static auto* minis = new std::vector<std::unique_ptr<MiniLidar>>;
  return *minis;
}

// Small lidars a Reset took from a program that still holds their handles, until it destroys
// them: their memory is kept, so that no lidar opened after the reset gets an old one's address as
// its handle, and destroying an old handle never destroys a new lidar.
std::vector<std::unique_ptr<MiniLidar>>& RetiredMinis() {
  static auto* minis = new std::vector<std::unique_ptr<MiniLidar>>;
  return *minis;
}

// How many points a scan holds at a frequency: the samples of one turn.
int PointsPerScan(double frequency) {
  return std::max(360, static_cast<int>(std::lround(kMiniSamplesPerSecond / frequency)));
}

// The small lidar's sim values, in this order.
enum LidarValue : size_t { kScanning, kFrequency, kPointsPerScan, kScans };

void MakeMiniPanel(MiniLidar& lidar) {
  lidar.panel =
      velmora_sim::internal::Panel("LidarMini[USB" + std::to_string(lidar.state.port) + "]");
  lidar.panel.Boolean("Scanning", false, false);
  lidar.panel.Double("Frequency", false, lidar.state.frequency);
  lidar.panel.Double("Points per scan", false, 0.0);
  lidar.panel.Double("Scans", false, 0.0);
}

void ShowMini(MiniLidar& lidar) {
  if (!lidar.panel.Shown()) return;
  const velmora_sim::LidarMiniSimState& s = lidar.state;
  lidar.panel.Show(kScanning, s.scanning ? 1.0 : 0.0);
  lidar.panel.Show(kFrequency, s.frequency);
  lidar.panel.Show(kPointsPerScan, s.scanning ? PointsPerScan(s.frequency) : 0);
  lidar.panel.Show(kScans, static_cast<double>(s.scans));
}

// The open lidar behind a handle, or null for null, unknown or already destroyed handles.
MiniLidar* FindMini(const void* handle) {
  if (handle == nullptr) return nullptr;
  for (const auto& mini : Minis()) {
    if (mini.get() == handle) return mini.get();
  }
  return nullptr;
}

void StepMiniFrequency(void* handle, bool wholeHertz, bool up) {
  MiniLidar* lidar = FindMini(handle);
  if (lidar == nullptr) return;
  const float step = wholeHertz ? 1.0f : 0.1f;
  float& frequency = lidar->state.frequency;
  const float target = up ? frequency + step : frequency - step;
  // The device ignores steps beyond what its motor can do.
  if (target >= kMiniLowestFrequency && target <= kMiniHighestFrequency) frequency = target;
}

// One sweep of the field: as many points as the lidar samples in one turn at its frequency.
void SweepMini(const Viewpoint& at, double frequency,
               std::vector<LidarMiniJNI::DataPoint>& points) {
  const int count = PointsPerScan(frequency);
  points.clear();
  points.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    const float angle = static_cast<float>(i * 360.0 / count);
    const float distance = MeasuredDistance(at, angle);
    points.push_back({angle, distance, QualityOf(distance)});
  }
}

// The latest completed scan's points, swept now if a read asks for them first.
const std::vector<LidarMiniJNI::DataPoint>& LatestScan(MiniLidar& lidar) {
  if (lidar.unswept) {
    SweepMini(lidar.view, lidar.viewFrequency, lidar.latest);
    lidar.unswept = false;
  }
  return lidar.latest;
}

// Completes the scan of a small lidar when it is due by `nowMicros`. The points are what the lidar
// sees from where the robot is at the tick the scan completes in; the timestamp is the exact
// completion time. Ticks are far shorter than a scan, so a tick completes one scan, unless the
// world passed over a stretch of time without computing it (a jump of WPILib's clock): the scans
// of that stretch count as completed, and the latest is swept.
void AdvanceMini(MiniLidar& lidar, double nowMicros) {
  velmora_sim::LidarMiniSimState& s = lidar.state;
  if (!s.scanning || lidar.nextScanMicros > nowMicros) return;
  double completed = lidar.nextScanMicros;
  double sweptAt = lidar.sweepFrequency;
  int64_t count = 1;
  // The next turn runs at the frequency the device has now.
  lidar.sweepFrequency = s.frequency;
  const double period = 1e6 / lidar.sweepFrequency;
  lidar.nextScanMicros = completed + period;
  if (lidar.nextScanMicros <= nowMicros) {
    const double more = std::floor((nowMicros - lidar.nextScanMicros) / period) + 1.0;
    count += static_cast<int64_t>(more);
    completed = lidar.nextScanMicros + (more - 1.0) * period;
    lidar.nextScanMicros = completed + period;
    sweptAt = lidar.sweepFrequency;
  }
  s.scans += count;
  s.timestamp = velmora_sim::internal::EpochMicros() + std::llround(completed);
  lidar.view = ViewNow();
  lidar.viewFrequency = sweptAt;
  lidar.unswept = true;
}

void StartMini(MiniLidar& lidar) {
  velmora_sim::LidarMiniSimState& s = lidar.state;
  if (s.scanning) return;
  s.scanning = true;
  lidar.latest.clear();
  lidar.unswept = false;
  lidar.sweepFrequency = s.frequency;
  lidar.nextScanMicros = velmora_sim::internal::NowMicros() + 1e6 / lidar.sweepFrequency;
}

void StopMini(MiniLidar& lidar) {
  lidar.state.scanning = false;
  lidar.latest.clear();
  lidar.unswept = false;
}

// ---------------------------------------------------------------------------------------------
// Large lidar
// ---------------------------------------------------------------------------------------------

// The large lidar turns at a fixed rate of its own, 10 scans a second, with the same rule as the
// small one: a read hands out the latest completed scan until the next one completes.
constexpr double kBigScanMicros = 100000.0;

struct BigLidar {
  velmora_sim::LidarSimState state;
  double nextScanMicros = 0.0;
  bool hasScan = false;
  std::array<float, 360> distances{};
  bool unswept = false;  // the latest scan is still to be swept from `view` (see Viewpoint)
  Viewpoint view;
};

const std::array<float, 360>& BigDistances(BigLidar& lidar) {
  if (lidar.unswept) {
    for (int deg = 0; deg < 360; ++deg) {
      lidar.distances[static_cast<size_t>(deg)] =
          MeasuredDistance(lidar.view, static_cast<float>(deg));
    }
    lidar.unswept = false;
  }
  return lidar.distances;
}

BigLidar& BigDevice() {
  static BigLidar lidar;
  return lidar;
}

velmora_sim::LidarSimState& Big() { return BigDevice().state; }

void AdvanceBig(double nowMicros) {
  BigLidar& lidar = BigDevice();
  if (!lidar.state.created || !lidar.state.scanning) return;
  if (lidar.nextScanMicros > nowMicros) return;
  // One scan per tick, or every scan of a stretch the world passed over (see AdvanceMini).
  const double due = std::floor((nowMicros - lidar.nextScanMicros) / kBigScanMicros) + 1.0;
  lidar.state.scans += static_cast<int64_t>(due);
  lidar.nextScanMicros += due * kBigScanMicros;
  lidar.view = ViewNow();
  lidar.unswept = true;
  lidar.hasScan = true;
}

// The large lidar in WPILib's simulation, "Lidar[USB<port>]", from its create call on. Never
// destroyed, like the small lidars.
velmora_sim::internal::Panel& BigPanel() {
  static auto* panel = new velmora_sim::internal::Panel;
  return *panel;
}

// The large lidar takes one point per degree at a rate of its own: no frequency to show.
constexpr int kBigPointsPerScan = 360;
enum BigLidarValue : size_t { kBigScanning, kBigPointsPerScanSlot, kBigScans };

void ShowBig() {
  velmora_sim::internal::Panel& panel = BigPanel();
  if (!panel.Shown()) return;
  const velmora_sim::LidarSimState& s = Big();
  panel.Show(kBigScanning, s.scanning ? 1.0 : 0.0);
  panel.Show(kBigPointsPerScanSlot, s.scanning ? kBigPointsPerScan : 0);
  panel.Show(kBigScans, static_cast<double>(s.scans));
}

}  // namespace

namespace velmora_sim {

std::vector<const void*> OpenLidarMinis() {
  const velmora_sim::internal::DriverLock lock;
  std::vector<const void*> handles;
  for (const auto& mini : Minis()) handles.push_back(mini.get());
  return handles;
}

bool GetLidarMiniSim(const void* handle, LidarMiniSimState* state) {
  const velmora_sim::internal::DriverLock lock;
  const MiniLidar* lidar = FindMini(handle);
  if (lidar == nullptr || state == nullptr) return false;
  *state = lidar->state;
  return true;
}

LidarSimState GetLidarSim() {
  const velmora_sim::internal::DriverLock lock;
  return Big();
}

namespace internal {
void ResetLidarSims() {
  for (auto& mini : Minis()) {
    mini->panel = Panel{};
    RetiredMinis().push_back(std::move(mini));
  }
  Minis().clear();
  BigDevice() = BigLidar{};
  BigPanel() = Panel{};
}

void LidarTick(double nowMicros) {
  for (const auto& mini : Minis()) AdvanceMini(*mini, nowMicros);
  AdvanceBig(nowMicros);
}

void ShowLidarPanels() {
  for (const auto& mini : Minis()) ShowMini(*mini);
  ShowBig();
}
}  // namespace internal

}  // namespace velmora_sim

extern "C" {

void* c_LidarMini_create(int32_t port) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_LidarMini_create", port);
  if (auto r = Next("c_LidarMini_create")) {
    if (r->integer == 0) return nullptr;
  }
  if (port < 0 || port >= kMiniPortCount) {
    std::cerr << "VelmoraDriver (simulation): LidarMini on port " << port
              << " not opened: there is no such port (0 to " << kMiniPortCount - 1
              << "); null handle\n";
    return nullptr;
  }
  for (const auto& mini : Minis()) {
    if (mini->state.port == port) {
      std::cerr << "VelmoraDriver (simulation): LidarMini on port USB" << port
                << " not opened: it is open already (a lidar object for it whose Destroy was "
                   "never called); null handle\n";
      return nullptr;
    }
  }
  auto lidar = std::unique_ptr<MiniLidar>(new (std::nothrow) MiniLidar);
  if (lidar == nullptr) return nullptr;
  lidar->state.port = port;
  if (velmora_sim::wpilib::kLinked) MakeMiniPanel(*lidar);
  Minis().push_back(std::move(lidar));
  return Minis().back().get();
}

void c_LidarMini_destroy(void* handle) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_LidarMini_destroy", handle);
  auto& retired = RetiredMinis();
  retired.erase(std::remove_if(retired.begin(), retired.end(),
                               [handle](const auto& mini) { return mini.get() == handle; }),
                retired.end());
  auto& minis = Minis();
  minis.erase(std::remove_if(minis.begin(), minis.end(),
                             [handle](const auto& mini) { return mini.get() == handle; }),
              minis.end());
}

void c_LidarMini_start(void* handle) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_LidarMini_start", handle);
  if (MiniLidar* lidar = FindMini(handle)) StartMini(*lidar);
}

void c_LidarMini_stop(void* handle) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_LidarMini_stop", handle);
  if (MiniLidar* lidar = FindMini(handle)) StopMini(*lidar);
}

void c_LidarMini_increaseFrequency(void* handle, bool wholeHertz) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_LidarMini_increaseFrequency", handle, wholeHertz);
  StepMiniFrequency(handle, wholeHertz, true);
}

void c_LidarMini_decreaseFrequency(void* handle, bool wholeHertz) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_LidarMini_decreaseFrequency", handle, wholeHertz);
  StepMiniFrequency(handle, wholeHertz, false);
}

void c_LidarMini_getInfo(void* handle, velmora_driver::LidarMiniInfoRecord* info) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_LidarMini_getInfo", handle, info);
  if (info == nullptr) return;
  if (auto r = Next("c_LidarMini_getInfo")) {
    ApplyFill(*r, info);
    return;
  }
  const MiniLidar* lidar = FindMini(handle);
  if (lidar == nullptr) return;
  *info = velmora_driver::LidarMiniInfoRecord{};
  info->model = 0x18;
  info->firmware = 0x0120;  // 1.32
  info->hardware = 7;
  // A serial number of the device's own: a fixed stem, the port in the last byte.
  for (int i = 0; i < 15; ++i) info->serialNumber[i] = static_cast<uint8_t>(0xA0 + 7 * i);
  info->serialNumber[15] = static_cast<uint8_t>(lidar->state.port);
}

void c_LidarMini_getHealth(void* handle, velmora_driver::LidarMiniHealthRecord* health) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_LidarMini_getHealth", handle, health);
  if (health == nullptr) return;
  if (auto r = Next("c_LidarMini_getHealth")) {
    ApplyFill(*r, health);
    return;
  }
  if (FindMini(handle) == nullptr) return;
  *health = velmora_driver::LidarMiniHealthRecord{};  // status 0: good, no error
}

void c_LidarMini_getData(void* handle, LidarMiniJNI::ScanData* storage) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_LidarMini_getData", handle, storage);
  if (storage == nullptr) return;
  // The caller's storage is raw: the record is built in it, whatever happens next.
  auto* scan = new (storage) LidarMiniJNI::ScanData{};
  if (auto r = Next("c_LidarMini_getData")) {
    scan->timestamp = r->scanTimestamp;
    scan->points.reserve(r->scan.size());
    for (const auto& p : r->scan) scan->points.push_back({p.angle, p.distance, p.quality});
    return;
  }
  if (MiniLidar* lidar = FindMini(handle)) {
    // A stopped lidar, or one still sweeping its first scan, has no scan to give.
    scan->timestamp = lidar->state.timestamp;
    scan->points = LatestScan(*lidar);
  }
}

void c_Lidar_create(int32_t port) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Lidar_create", port);
  if (velmora_sim::wpilib::kLinked && (!Big().created || Big().port != port)) {
    velmora_sim::internal::Panel& panel = BigPanel();
    panel = velmora_sim::internal::Panel{};  // a lidar re-created on another port moves
    panel = velmora_sim::internal::Panel("Lidar[USB" + std::to_string(port) + "]");
    panel.Boolean("Scanning", false, false);
    panel.Double("Points per scan", false, 0.0);
    panel.Double("Scans", false, 0.0);
  }
  // Started before it was created, the head turns from now.
  if (!Big().created) {
    BigDevice().nextScanMicros = velmora_sim::internal::NowMicros() + kBigScanMicros;
  }
  Big().created = true;
  Big().port = port;
}

void c_Lidar_start() {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Lidar_start");
  BigLidar& lidar = BigDevice();
  if (lidar.state.scanning) return;
  lidar.state.scanning = true;
  lidar.hasScan = false;
  lidar.nextScanMicros = velmora_sim::internal::NowMicros() + kBigScanMicros;
}

void c_Lidar_stop() {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Lidar_stop");
  BigDevice().state.scanning = false;
  BigDevice().hasScan = false;
}

velmora_driver::LidarScanBlock c_Lidar_getData() {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Lidar_getData");
  velmora_driver::LidarScanBlock block{};
  if (auto r = Next("c_Lidar_getData")) {
    ApplyFill(*r, &block);
    return block;
  }
  // Until the first scan completes, and while stopped, every distance is 0 (no reading).
  BigLidar& lidar = BigDevice();
  const bool measuring = lidar.state.created && lidar.state.scanning && lidar.hasScan;
  const std::array<float, 360>* distances = measuring ? &BigDistances(lidar) : nullptr;
  for (int deg = 0; deg < 360; ++deg) {
    block.angles[deg] = static_cast<float>(deg);
    block.distances[deg] = distances != nullptr ? (*distances)[static_cast<size_t>(deg)] : 0.0f;
  }
  return block;
}

void c_Lidar_enableFilter(int32_t filter, bool enable) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Lidar_enableFilter", filter, enable);
  if (filter >= 0 && filter < velmora_sim::kLidarFilterCount) {
    Big().filterEnabled[filter] = enable;
  }
}

void c_Lidar_clusterConfig(float value, int32_t minClusterSize) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Lidar_clusterConfig", value, minClusterSize);
  Big().clusterValue = value;
  Big().clusterMinSize = minClusterSize;
}

void c_Lidar_kalmanConfig(float a, float b, float c) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Lidar_kalmanConfig", a, b, c);
  Big().kalman[0] = a;
  Big().kalman[1] = b;
  Big().kalman[2] = c;
}

void c_Lidar_movingAverageConfig(int32_t windowSize) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Lidar_movingAverageConfig", windowSize);
  Big().movingAverageWindow = windowSize;
}

void c_Lidar_medianConfig(int32_t windowSize) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Lidar_medianConfig", windowSize);
  Big().medianWindow = windowSize;
}

void c_Lidar_jitterConfig(float value) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Lidar_jitterConfig", value);
  Big().jitter = value;
}

}  // extern "C"
