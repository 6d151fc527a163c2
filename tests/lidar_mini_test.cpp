// The small lidar: handle life, frequency stepping with its console reports, nearest-angle
// look-up, serial text and the records copied from the driver.
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <type_traits>

#include "support/TestSupport.h"
#include "velmora/LidarMini.h"

namespace {

using velmora::LidarMini;
using velmora_test::Arg;
using velmora_test::Call;
using velmora_test::Result;
using velmora_test::StreamCapture;
using Calls = std::vector<Call>;

static_assert(!std::is_copy_constructible_v<LidarMini> && !std::is_copy_assignable_v<LidarMini>);
static_assert(std::is_nothrow_move_constructible_v<LidarMini>);

const std::string kArrow = "\xE2\x86\x92";

class LidarMiniTest : public velmora_test::DriverTest {
 protected:
  // The handle of the most recently opened simulated lidar.
  static const void* Handle() { return velmora_sim::OpenLidarMinis().back(); }
};

// Runs `count` steps of one kind and returns what went to std::cout and std::cerr.
struct Steps {
  std::string out;
  std::string err;
};
Steps Step(LidarMini& lidar, void (LidarMini::*step)(), int count) {
  StreamCapture out(std::cout);
  StreamCapture err(std::cerr);
  for (int i = 0; i < count; ++i) (lidar.*step)();
  return {out.Text(), err.Text()};
}

std::string Applied(const std::string& value) {
  return "[LidarMini] Scan frequency " + kArrow + " " + value + " Hz\n";
}

TEST_F(LidarMiniTest, EveryCallCarriesTheHandleAndOnlyDestroyReleases) {
  {
    LidarMini lidar(LidarMini::Port::kUSB2);
    const void* h = Handle();
    lidar.Start();
    lidar.Stop();
    lidar.Destroy();
    lidar.Destroy();
    lidar.Start();  // inert now
    EXPECT_EQ(Journal(), (Calls{{"c_LidarMini_create", {Arg::I32(2)}},
                                {"c_LidarMini_start", {Arg::Pointer(h)}},
                                {"c_LidarMini_stop", {Arg::Pointer(h)}},
                                {"c_LidarMini_destroy", {Arg::Pointer(h)}},
                                {"c_LidarMini_destroy", {Arg::Pointer(nullptr)}}}));
    EXPECT_TRUE(velmora_sim::OpenLidarMinis().empty());
  }
  { LidarMini forgotten(LidarMini::Port::kUSB1); }
  EXPECT_EQ(velmora_sim::OpenLidarMinis().size(), 1u) << "going out of scope releases nothing";
}

// A failed open (scripted, or a port the driver does not have) gives an inert object.
TEST_F(LidarMiniTest, InertObjectMakesNoDeviceCallsAndReadsZeros) {
  velmora_sim::ScriptNext("c_LidarMini_create", Result::Null());
  LidarMini scripted(LidarMini::Port::kUSB0);
  LidarMini noSuchPort(static_cast<LidarMini::Port>(9));
  for (LidarMini* lidar : {&scripted, &noSuchPort}) {
    Clear();
    lidar->Start();
    lidar->Stop();
    const LidarMini::LidarInfo info = lidar->GetInfo();
    const LidarMini::LidarHealth health = lidar->GetHealth();
    const LidarMini::ScanData data = lidar->GetData();
    EXPECT_TRUE(Journal().empty());
    EXPECT_EQ(info.GetSerialString(), std::string(32, '0'));
    EXPECT_EQ(info.model + info.firmwareMinor + info.firmwareMajor + info.hardware, 0);
    EXPECT_EQ(health.status, 0);
    EXPECT_EQ(health.errorCode, 0);
    EXPECT_TRUE(data.angles.empty() && data.distances.empty() && data.qualities.empty());
    EXPECT_EQ(data.timestamp, 0);
    lidar->Destroy();
    EXPECT_EQ(Journal(), (Calls{{"c_LidarMini_destroy", {Arg::Pointer(nullptr)}}}));
  }
}

TEST_F(LidarMiniTest, MoveHandsTheDeviceOverAndLeavesTheSourceInert) {
  LidarMini source(LidarMini::Port::kUSB0);
  const void* h = Handle();
  Step(source, &LidarMini::IncreaseFrequencyHz, 1);
  LidarMini target(std::move(source));
  EXPECT_EQ(target.GetCurrentFrequency(), 7.0f);
  Clear();
  source.Start();
  source.Destroy();
  target.Start();
  EXPECT_EQ(Journal(), (Calls{{"c_LidarMini_destroy", {Arg::Pointer(nullptr)}},
                              {"c_LidarMini_start", {Arg::Pointer(h)}}}));
  target.Destroy();
  EXPECT_TRUE(velmora_sim::OpenLidarMinis().empty());
  EXPECT_EQ(target.GetCurrentFrequency(), 7.0f) << "the frequency outlives the device";
}

TEST_F(LidarMiniTest, FirstStepsFromSixHertzExactBytes) {
  LidarMini lidar(LidarMini::Port::kUSB0);
  const void* h = Handle();
  Clear();
  Steps s = Step(lidar, &LidarMini::IncreaseFrequencyTenthHz, 1);
  EXPECT_EQ(s.out, Applied("6.1"));
  EXPECT_EQ(s.err, "");
  s = Step(lidar, &LidarMini::IncreaseFrequencyHz, 1);
  EXPECT_EQ(s.out, Applied("7.1"));
  EXPECT_EQ(Journal(),
            (Calls{{"c_LidarMini_increaseFrequency", {Arg::Pointer(h), Arg::Bool(false)}},
                   {"c_LidarMini_increaseFrequency", {Arg::Pointer(h), Arg::Bool(true)}}}));
  velmora_sim::LidarMiniSimState device;
  ASSERT_TRUE(velmora_sim::GetLidarMiniSim(h, &device));
  EXPECT_EQ(device.frequency, 6.0f + 0.1f + 1.0f) << "the device follows the steps";

  LidarMini fresh(LidarMini::Port::kUSB1);
  Clear();
  s = Step(fresh, &LidarMini::DecreaseFrequencyTenthHz, 1);
  Steps whole = Step(fresh, &LidarMini::DecreaseFrequencyHz, 1);
  EXPECT_EQ(s.err,
            "[LidarMini] DecreaseFrequency blocked: 6 - 0.1 Hz would go below minimum 6 Hz\n");
  EXPECT_EQ(whole.err,
            "[LidarMini] DecreaseFrequency blocked: 6 - 1 Hz would go below minimum 6 Hz\n");
  EXPECT_EQ(s.out + whole.out, "");
  EXPECT_TRUE(Journal().empty());
  EXPECT_EQ(fresh.GetCurrentFrequency(), 6.0f);
}

TEST_F(LidarMiniTest, WholeStepsUpToTwelveThenBlocked) {
  LidarMini lidar(LidarMini::Port::kUSB0);
  EXPECT_EQ(lidar.GetCurrentFrequency(), 6.0f);
  Clear();
  Steps s = Step(lidar, &LidarMini::IncreaseFrequencyHz, 6);
  EXPECT_EQ(s.out, Applied("7") + Applied("8") + Applied("9") + Applied("10") + Applied("11") +
                       Applied("12"));
  EXPECT_EQ(lidar.GetCurrentFrequency(), 12.0f);
  s = Step(lidar, &LidarMini::IncreaseFrequencyHz, 1);
  EXPECT_EQ(s.out, "");
  EXPECT_EQ(s.err, "[LidarMini] IncreaseFrequency blocked: 12 + 1 Hz would exceed maximum 12 Hz\n");
  EXPECT_EQ(lidar.GetCurrentFrequency(), 12.0f);
  EXPECT_EQ(velmora_sim::CountCalls("c_LidarMini_increaseFrequency"), 6u);
}

// Tenth steps do not add up exactly in single precision; the window's slack lets sixty of them
// reach each end, and the report rounds to six digits.
TEST_F(LidarMiniTest, SixtyTenthStepsEachWayThenBlocked) {
  float up = 6.0f;
  for (int i = 0; i < 60; ++i) up += 0.1f;
  float down = up;
  for (int i = 0; i < 60; ++i) down -= 0.1f;
  ASSERT_EQ(up, 12.000013f);
  ASSERT_EQ(down, 6.0000005f);

  LidarMini lidar(LidarMini::Port::kUSB0);
  Clear();
  Steps s = Step(lidar, &LidarMini::IncreaseFrequencyTenthHz, 60);
  EXPECT_EQ(lidar.GetCurrentFrequency(), up);
  EXPECT_EQ(s.err, "");
  ASSERT_GE(s.out.size(), Applied("12").size());
  EXPECT_EQ(s.out.substr(s.out.size() - Applied("12").size()), Applied("12"));
  s = Step(lidar, &LidarMini::IncreaseFrequencyTenthHz, 1);
  EXPECT_EQ(s.err,
            "[LidarMini] IncreaseFrequency blocked: 12 + 0.1 Hz would exceed maximum 12 Hz\n");
  EXPECT_EQ(lidar.GetCurrentFrequency(), up);

  s = Step(lidar, &LidarMini::DecreaseFrequencyTenthHz, 60);
  EXPECT_EQ(lidar.GetCurrentFrequency(), down);
  EXPECT_EQ(s.err, "");
  EXPECT_EQ(s.out.substr(s.out.size() - Applied("6").size()), Applied("6"));
  s = Step(lidar, &LidarMini::DecreaseFrequencyTenthHz, 1);
  EXPECT_EQ(s.err,
            "[LidarMini] DecreaseFrequency blocked: 6 - 0.1 Hz would go below minimum 6 Hz\n");
  EXPECT_EQ(lidar.GetCurrentFrequency(), down);
  EXPECT_EQ(velmora_sim::CountCalls("c_LidarMini_increaseFrequency"), 60u);
  EXPECT_EQ(velmora_sim::CountCalls("c_LidarMini_decreaseFrequency"), 60u);
}

TEST_F(LidarMiniTest, MixedStepsBlockOnTheTargetNotTheCount) {
  LidarMini lidar(LidarMini::Port::kUSB0);
  Step(lidar, &LidarMini::IncreaseFrequencyTenthHz, 1);
  Steps s = Step(lidar, &LidarMini::IncreaseFrequencyHz, 5);
  EXPECT_EQ(lidar.GetCurrentFrequency(), 6.0f + 0.1f + 1.0f + 1.0f + 1.0f + 1.0f + 1.0f);
  EXPECT_EQ(s.out.substr(s.out.size() - Applied("11.1").size()), Applied("11.1"));
  s = Step(lidar, &LidarMini::IncreaseFrequencyHz, 1);
  EXPECT_EQ(s.err,
            "[LidarMini] IncreaseFrequency blocked: 11.1 + 1 Hz would exceed maximum 12 Hz\n");
  s = Step(lidar, &LidarMini::IncreaseFrequencyTenthHz, 9);
  EXPECT_EQ(s.err, "");
  EXPECT_EQ(s.out.substr(s.out.size() - Applied("12").size()), Applied("12"));

  // Three whole steps up and thirty tenth steps down end a little under 6, inside the slack.
  LidarMini other(LidarMini::Port::kUSB1);
  float expected = 6.0f + 1.0f + 1.0f + 1.0f;
  for (int i = 0; i < 30; ++i) expected -= 0.1f;
  ASSERT_LT(expected, 6.0f);
  Step(other, &LidarMini::IncreaseFrequencyHz, 3);
  s = Step(other, &LidarMini::DecreaseFrequencyTenthHz, 30);
  EXPECT_EQ(s.err, "");
  EXPECT_EQ(other.GetCurrentFrequency(), expected);
  EXPECT_EQ(s.out.substr(s.out.size() - Applied("6").size()), Applied("6"));
}

// The range test comes before the handle test: an inert lidar still reports a refused step.
TEST_F(LidarMiniTest, NullHandleIsSilentInRangeAndStillReportsBlockedSteps) {
  velmora_sim::ScriptNext("c_LidarMini_create", Result::Null());
  LidarMini lidar(LidarMini::Port::kUSB0);
  Clear();
  Steps s = Step(lidar, &LidarMini::IncreaseFrequencyHz, 1);
  EXPECT_EQ(s.out + s.err, "");
  EXPECT_EQ(lidar.GetCurrentFrequency(), 6.0f);
  s = Step(lidar, &LidarMini::DecreaseFrequencyHz, 1);
  EXPECT_EQ(s.out, "");
  EXPECT_EQ(s.err, "[LidarMini] DecreaseFrequency blocked: 6 - 1 Hz would go below minimum 6 Hz\n");
  EXPECT_TRUE(Journal().empty());
}

TEST_F(LidarMiniTest, GetDistanceAt) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  // Far enough apart that their difference overflows a float. 3 * 2^126 degrees is 192 past a
  // whole number of turns and -5 * 2^124 is 80 short of one: they point 272, folded 88, apart.
  const float far = std::ldexp(3.0f, 126);
  const float farther = std::ldexp(5.0f, 124);
  struct Case {
    const char* name;
    std::vector<float> angles, distances;
    float angle, tolerance, expected;
  };
  const Case cases[] = {
      {"empty", {}, {}, 0, 360, -1},
      {"nearest", {10, 20}, {1.5f, 2.5f}, 14, 5, 1.5f},
      {"fold at 180", {359.5f}, {2}, 0.5f, 1, 2},
      {"tie goes to the first", {10, 12}, {3, 4}, 11, 5, 3},
      {"zero distance skipped", {10, 11}, {0, 4}, 10, 5, 4},
      {"negative and NaN distances skipped", {10, 11, 12}, {-1, nan, 6}, 10, 5, 6},
      {"tolerance inclusive", {10}, {5}, 13, 3, 5},
      {"just outside tolerance", {10}, {5}, 13, 2.999f, -1},
      {"nothing near", {10, 20}, {1, 2}, 100, 5, -1},
      {"query not normalised", {10}, {7}, 370, 0, 7},
      {"NaN angle", {10}, {7}, nan, 360, -1},
      {"NaN tolerance", {10}, {7}, 10, nan, -1},
      {"fewer distances than angles", {10, 20, 30}, {1}, 30, 1, -1},
      {"no distances at all", {10}, {}, 10, 1, -1},
      {"more distances than angles", {10}, {1, 2}, 10, 1, 1},
      // Headings that keep counting past a turn, and garbage angles from a device.
      {"heading past 540", {5, 90, 180, 270}, {1, 2, 3, 4}, 630, 1, 4},
      {"heading of several turns", {5, 90, 180, 270}, {1, 2, 3, 4}, 1800 + 89.5f, 1, 2},
      {"negative heading", {5, 90, 180, 270}, {1, 2, 3, 4}, -715, 1, 1},
      {"whole turns, then the fold", {10}, {6}, 360 * 3 + 350, 20, 6},
      {"difference of exactly 360", {0}, {8}, 360, 0, 8},
      {"stored +inf never matches", {inf, 90}, {1, 2}, 90, 360, 2},
      {"stored -inf never matches", {-inf}, {1}, 0, 360, -1},
      {"stored NaN never matches", {nan, 12}, {1, 2}, 10, 180, 2},
      {"infinite query", {10}, {7}, inf, 360, -1},
      {"huge angles far apart", {3.0e38f}, {9}, -3.0e38f, 180, 9},
      {"overflowing difference, turns removed first", {far}, {9}, -farther, 88, 9},
      {"overflowing difference, just outside", {far}, {9}, -farther, 87.5f, -1},
      {"overflowing difference, signs swapped", {-far}, {9}, farther, 88, 9},
      {"overflowing difference, signs swapped, just outside", {-far}, {9}, farther, 87.5f, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LidarMini::ScanData data;
    data.angles = c.angles;
    data.distances = c.distances;
    data.distances.shrink_to_fit();  // a read past the end is then caught by ASan
    EXPECT_EQ(data.GetDistanceAt(c.angle, c.tolerance), c.expected);
  }
}

TEST_F(LidarMiniTest, SerialStringIsThirtyTwoUpperCaseHexDigits) {
  LidarMini::LidarInfo info;
  EXPECT_EQ(info.GetSerialString(), std::string(32, '0'));
  const uint8_t bytes[16] = {0x0A, 0xFF, 0x00, 0x41, 0x09, 0x10, 0xC3, 0x7E,
                             0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};
  std::memcpy(info.serialNumber, bytes, sizeof bytes);
  EXPECT_EQ(info.GetSerialString(), "0AFF00410910C37E0123456789ABCDEF");
}

TEST_F(LidarMiniTest, RecordsAreCopiedFieldByFieldFromTheDriver) {
  LidarMini lidar(LidarMini::Port::kUSB3);
  const void* h = Handle();
  struct {
    uint8_t model = 0x2A, gap = 0xEE;
    uint16_t firmware = 0x0305;
    uint8_t hardware = 9, serial[16] = {0xDE, 0xAD, 0xBE, 0xEF}, tail = 0xEE;
  } info;
  struct {
    uint8_t status = 2, gap = 0xEE;
    uint16_t errorCode = 0xBEEF;
  } health;
  static_assert(sizeof info == 22 && sizeof health == 4);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  velmora_sim::ScriptNext("c_LidarMini_getInfo", Result::None().Fill(info));
  velmora_sim::ScriptNext("c_LidarMini_getHealth", Result::None().Fill(health));
  velmora_sim::ScriptNext(
      "c_LidarMini_getData",
      Result::Scan(-1234567890123, {{0.5f, 1.25f, 15}, {359, -2, 0}, {180, nan, -7.5f}}));
  Clear();
  const LidarMini::LidarInfo i = lidar.GetInfo();
  const LidarMini::LidarHealth hl = lidar.GetHealth();
  const LidarMini::ScanData d = lidar.GetData();
  EXPECT_EQ(Journal(), (Calls{{"c_LidarMini_getInfo", {Arg::Pointer(h), Arg::NonNull()}},
                              {"c_LidarMini_getHealth", {Arg::Pointer(h), Arg::NonNull()}},
                              {"c_LidarMini_getData", {Arg::Pointer(h), Arg::NonNull()}}}));
  EXPECT_EQ(i.model, 0x2A);
  EXPECT_EQ(i.firmwareMinor, 0x05);
  EXPECT_EQ(i.firmwareMajor, 0x03);
  EXPECT_EQ(i.hardware, 9);
  EXPECT_EQ(i.GetSerialString(), "DEADBEEF000000000000000000000000");
  EXPECT_EQ(hl.status, 2);
  EXPECT_EQ(hl.errorCode, 0xBEEF);
  EXPECT_EQ(d.timestamp, -1234567890123);
  EXPECT_EQ(d.angles, (std::vector<float>{0.5f, 359, 180}));
  ASSERT_EQ(d.distances.size(), 3u);
  EXPECT_EQ(d.distances[0], 1.25f);
  EXPECT_EQ(d.distances[1], -2.0f);
  EXPECT_TRUE(std::isnan(d.distances[2]));
  EXPECT_EQ(d.qualities, (std::vector<float>{15, 0, -7.5f}));
}

// The simulated lidar rides on the robot and sweeps the field: more points per turn at lower
// frequencies, nothing while stopped.
TEST_F(LidarMiniTest, ScansOfTheSimulatedField) {
  LidarMini lidar(LidarMini::Port::kUSB0);
  EXPECT_TRUE(lidar.GetData().angles.empty()) << "not started";
  lidar.Start();
  velmora_sim::SimStep(0.2);
  const LidarMini::ScanData slow = lidar.GetData();
  EXPECT_EQ(slow.angles.size(), 720u);
  EXPECT_EQ(slow.distances.size(), 720u);
  EXPECT_EQ(slow.qualities.size(), 720u);
  const velmora_sim::RobotPose robot = velmora_sim::Robot();
  EXPECT_EQ(slow.GetDistanceAt(0, 0.25f),
            static_cast<float>(velmora_sim::RayDistance(robot.x, robot.y, robot.heading)))
      << "straight ahead";
  velmora_sim::PlaceRobot({1.0, 2.0, 3.14159265358979323846 / 2});
  EXPECT_NE(lidar.GetData().GetDistanceAt(0, 0.25f), 2.0f) << "the scan was taken before the turn";
  velmora_sim::SimStep(1.0 / 6);
  EXPECT_FLOAT_EQ(lidar.GetData().GetDistanceAt(0, 0.25f), 2.0f) << "turned towards a wall 2 m off";

  Step(lidar, &LidarMini::IncreaseFrequencyHz, 6);
  velmora_sim::SimStep(0.3);  // the 6 Hz scan under way, then one at 12 Hz
  EXPECT_EQ(lidar.GetData().angles.size(), 360u) << "12 Hz";
  lidar.Stop();
  EXPECT_TRUE(lidar.GetData().angles.empty());
  lidar.Start();
  EXPECT_TRUE(lidar.GetData().angles.empty()) << "the first scan after a start is not done yet";

  const LidarMini::LidarInfo info = lidar.GetInfo();
  EXPECT_EQ(info.GetSerialString().substr(30), "00") << "port 0 in the last byte";
  EXPECT_EQ(info.firmwareMajor, 1);
  lidar.Destroy();
}

// Scans come from the lidar's own clock, not from reads: a read between completions gets the
// same scan again, and the timestamps are the completion times, 1/frequency apart.
TEST_F(LidarMiniTest, ScansCompleteOnSimulatedTimeNotOnReads) {
  struct Case {
    int wholeHertzSteps;
    double frequency;
    double readEvery;  // seconds of simulated time between reads
    double seconds;
  };
  const Case cases[] = {
      {0, 6.0, 0.02, 10.0},  // a robot loop reading far faster than the lidar scans
      {6, 12.0, 0.02, 5.0},  // the fastest the library allows
      {0, 6.0, 0.5, 10.0},   // reading slower than the lidar scans: scans are skipped
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.frequency);
    velmora_sim::Reset();
    LidarMini lidar(LidarMini::Port::kUSB1);
    Step(lidar, &LidarMini::IncreaseFrequencyHz, c.wholeHertzSteps);
    lidar.Start();
    const int64_t period = std::llround(1e6 / c.frequency);
    // A scan's timestamp is on this clock: the first completes one period after the start.
    int64_t last = velmora_sim::SimClockMicros();
    int distinct = 0;
    const long reads = std::lround(c.seconds / c.readEvery);
    for (long i = 0; i < reads; ++i) {
      velmora_sim::SimStep(c.readEvery);
      const LidarMini::ScanData scan = lidar.GetData();
      if (scan.angles.empty() || scan.timestamp == last) continue;  // none yet, or the same
      ++distinct;
      // The latest completed scan: done no later than now and no earlier than one period ago.
      const int64_t now = velmora_sim::SimClockMicros();
      EXPECT_LE(scan.timestamp, now);
      EXPECT_GT(scan.timestamp, now - period - 1);
      if (c.readEvery < 1.0 / c.frequency) {
        ASSERT_NEAR(static_cast<double>(scan.timestamp - last), static_cast<double>(period), 1.0);
      }
      last = scan.timestamp;
    }
    velmora_sim::LidarMiniSimState state;
    ASSERT_TRUE(velmora_sim::GetLidarMiniSim(Handle(), &state));
    const double expected = c.seconds * c.frequency;
    EXPECT_NEAR(static_cast<double>(state.scans), expected, 1.0) << "completed, read or not";
    if (c.readEvery < 1.0 / c.frequency) {
      EXPECT_EQ(distinct, state.scans) << "each seen once";
    }
    lidar.Destroy();
  }
}

// A frequency step changes the scan after the one being swept, not the one in progress.
TEST_F(LidarMiniTest, AFrequencyStepTakesEffectFromTheNextScan) {
  LidarMini lidar(LidarMini::Port::kUSB0);
  lidar.Start();
  const int64_t started = velmora_sim::SimClockMicros();
  velmora_sim::SimStep(0.05);                       // a quarter of the way into the first 6 Hz scan
  Step(lidar, &LidarMini::IncreaseFrequencyHz, 6);  // now 12 Hz
  velmora_sim::SimStep(0.1);
  EXPECT_TRUE(lidar.GetData().angles.empty()) << "the first scan still takes 1/6 s";
  velmora_sim::SimStep(0.02);
  const LidarMini::ScanData first = lidar.GetData();
  EXPECT_EQ(first.timestamp - started, 166667);
  EXPECT_EQ(first.angles.size(), 720u) << "a whole turn at 6 Hz";
  velmora_sim::SimStep(0.1);
  const LidarMini::ScanData second = lidar.GetData();
  EXPECT_EQ(second.timestamp - started, 166667 + 83333) << "then 1/12 s";
  EXPECT_EQ(second.angles.size(), 360u);
  lidar.Destroy();
}

}  // namespace
