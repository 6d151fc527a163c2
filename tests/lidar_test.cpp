// The large lidar: its driver calls, the size checks with their messages, floats passed through
// bit for bit, and the scan block copied byte for byte.
#include <cstring>
#include <limits>
#include <string>

#include "driver_link/VelmoraDriver.h"
#include "support/TestSupport.h"
#include "velmora/Lidar.h"

namespace {

using velmora::Lidar;
using velmora_test::Arg;
using velmora_test::Call;
using velmora_test::Result;
using velmora_test::StreamCapture;
using Calls = std::vector<Call>;

class LidarTest : public velmora_test::DriverTest {};

TEST_F(LidarTest, OpensRunsAndSwitchesFilters) {
  Lidar lidar(Lidar::Port::kUSB3);
  lidar.Start();
  lidar.EnableFilter(Lidar::Filter::kCluster, true);
  lidar.EnableFilter(Lidar::Filter::kKalman, true);
  lidar.EnableFilter(Lidar::Filter::kMovingAverage, true);
  lidar.EnableFilter(Lidar::Filter::kMedian, true);
  lidar.EnableFilter(Lidar::Filter::kJitter, true);
  lidar.EnableFilter(Lidar::Filter::kKalman, false);
  lidar.EnableFilter(static_cast<Lidar::Filter>(-3), true);
  lidar.Stop();
  EXPECT_EQ(Journal(), (Calls{{"c_Lidar_create", {Arg::I32(3)}},
                              {"c_Lidar_start", {}},
                              {"c_Lidar_enableFilter", {Arg::I32(0), Arg::Bool(true)}},
                              {"c_Lidar_enableFilter", {Arg::I32(1), Arg::Bool(true)}},
                              {"c_Lidar_enableFilter", {Arg::I32(2), Arg::Bool(true)}},
                              {"c_Lidar_enableFilter", {Arg::I32(3), Arg::Bool(true)}},
                              {"c_Lidar_enableFilter", {Arg::I32(4), Arg::Bool(true)}},
                              {"c_Lidar_enableFilter", {Arg::I32(1), Arg::Bool(false)}},
                              {"c_Lidar_enableFilter", {Arg::I32(-3), Arg::Bool(true)}},
                              {"c_Lidar_stop", {}}}));
  const velmora_sim::LidarSimState sim = velmora_sim::GetLidarSim();
  EXPECT_EQ(sim.port, 3);
  EXPECT_FALSE(sim.scanning);
  const bool enabled[] = {true, false, true, true, true};
  for (int f = 0; f < velmora_sim::kLidarFilterCount; ++f) {
    EXPECT_EQ(sim.filterEnabled[f], enabled[f]) << "filter " << f;
  }
}

// Sizes outside 1 to 10 are refused with one line on std::cerr and no driver call.
TEST_F(LidarTest, SizeChecks) {
  const std::string cluster = "Min cluster size to large must be less than 11 and greater than 0\n";
  const std::string window = "Window size to large must be less than 11 and greater than 0\n";
  struct Op {
    const char* call;
    void (*apply)(Lidar&, int);
    const std::string& message;
  };
  const Op ops[] = {
      {"c_Lidar_clusterConfig", [](Lidar& l, int n) { l.ClusterConfig(0.75f, n); }, cluster},
      {"c_Lidar_movingAverageConfig", [](Lidar& l, int n) { l.MovingAverageConfig(n); }, window},
      {"c_Lidar_medianConfig", [](Lidar& l, int n) { l.MedianConfig(n); }, window},
  };
  Lidar lidar(Lidar::Port::kUSB0);
  for (const Op& op : ops) {
    SCOPED_TRACE(op.call);
    for (int size : {0, 11, -5, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()}) {
      Clear();
      StreamCapture err(std::cerr);
      op.apply(lidar, size);
      EXPECT_EQ(err.Text(), op.message) << size;
      EXPECT_TRUE(Journal().empty()) << size;
    }
    for (int size : {1, 10}) {
      Clear();
      StreamCapture err(std::cerr);
      op.apply(lidar, size);
      EXPECT_EQ(err.Text(), "");
      const bool isCluster = op.message == cluster;
      const Call expected = isCluster ? Call{op.call, {Arg::F32(0.75f), Arg::I32(size)}}
                                      : Call{op.call, {Arg::I32(size)}};
      EXPECT_EQ(Journal(), Calls{expected});
    }
  }
  const velmora_sim::LidarSimState sim = velmora_sim::GetLidarSim();
  EXPECT_EQ(sim.clusterMinSize, 10);
  EXPECT_EQ(sim.movingAverageWindow, 10);
  EXPECT_EQ(sim.medianWindow, 10);
}

TEST_F(LidarTest, FloatsReachTheDriverBitForBit) {
  float nanWithPayload = 0;
  const uint32_t nanBits = 0x7FC01234;
  std::memcpy(&nanWithPayload, &nanBits, sizeof nanBits);
  const float values[] = {-1.5f,
                          0.0f,
                          -0.0f,
                          3.0e38f,
                          std::numeric_limits<float>::max(),
                          std::numeric_limits<float>::denorm_min(),
                          -std::numeric_limits<float>::infinity(),
                          nanWithPayload};
  Lidar lidar(Lidar::Port::kUSB0);
  for (float v : values) {
    SCOPED_TRACE(v);
    Clear();
    lidar.KalmanConfig(v, 1.0f, -v);
    lidar.JitterConfig(v);
    lidar.ClusterConfig(v, 5);
    EXPECT_EQ(Journal(),
              (Calls{{"c_Lidar_kalmanConfig", {Arg::F32(v), Arg::F32(1.0f), Arg::F32(-v)}},
                     {"c_Lidar_jitterConfig", {Arg::F32(v)}},
                     {"c_Lidar_clusterConfig", {Arg::F32(v), Arg::I32(5)}}}));
  }
}

TEST_F(LidarTest, ScanBlockIsCopiedByteForByte) {
  unsigned char bytes[2880];
  for (int k = 0; k < 2880; ++k) bytes[k] = static_cast<unsigned char>(k * 7 + k / 256);
  velmora_driver::LidarScanBlock block;
  std::memcpy(&block, bytes, sizeof block);
  velmora_sim::ScriptNext("c_Lidar_getData", Result::None().Fill(block));
  Lidar lidar(Lidar::Port::kUSB0);
  Clear();
  const Lidar::ScanData data = lidar.GetData();
  EXPECT_EQ(Journal(), (Calls{{"c_Lidar_getData", {}}}));
  const auto* got = reinterpret_cast<const unsigned char*>(&data);
  for (int k = 0; k < 2880; ++k) ASSERT_EQ(got[k], bytes[k]) << "byte " << k;
}

TEST_F(LidarTest, ScansTheSimulatedFieldOnceStarted) {
  Lidar lidar(Lidar::Port::kUSB0);
  Lidar::ScanData data = lidar.GetData();
  EXPECT_EQ(data.distances[0], 0.0f) << "not started: no readings";
  lidar.Start();
  velmora_sim::SimStep(0.05);
  EXPECT_EQ(lidar.GetData().distances[0], 0.0f) << "the first scan takes 0.1 s";
  velmora_sim::SimStep(0.05);
  data = lidar.GetData();
  const velmora_sim::RobotPose robot = velmora_sim::Robot();
  for (int deg = 0; deg < 360; ++deg) {
    ASSERT_EQ(data.angles[deg], static_cast<float>(deg));
    const double ray =
        velmora_sim::RayDistance(robot.x, robot.y, deg * 3.14159265358979323846 / 180);
    ASSERT_EQ(data.distances[deg], static_cast<float>(ray)) << deg;
  }
}

// The lidar turns at 10 Hz of simulated time however often it is read.
TEST_F(LidarTest, ScansFollowSimulatedTime) {
  Lidar lidar(Lidar::Port::kUSB0);
  lidar.Start();
  for (int i = 0; i < 100; ++i) {
    velmora_sim::SimStep(0.02);
    (void)lidar.GetData();
    (void)lidar.GetData();
  }
  EXPECT_EQ(velmora_sim::GetLidarSim().scans, 20);
  velmora_sim::PlaceRobot({1.0, 2.0, 3.14159265358979323846});  // facing the wall 1 m behind
  velmora_sim::SimStep(0.05);
  EXPECT_NE(lidar.GetData().distances[0], 1.0f) << "the scan before the turn, still";
  velmora_sim::SimStep(0.05);
  EXPECT_FLOAT_EQ(lidar.GetData().distances[0], 1.0f);
  lidar.Stop();
  EXPECT_EQ(lidar.GetData().distances[0], 0.0f) << "stopped";
}

}  // namespace
