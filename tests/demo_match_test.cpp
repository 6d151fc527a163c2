// The demo's match, played through the shipped library against the simulation driver's simulation:
// it runs to the end, gives the same telemetry every time, and the robot does what it is meant
// to do on the field.
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "demo_match.h"
#include "demo_report.h"
#include "support/TestSupport.h"

namespace {

namespace sim = velmora_sim;
using demo::MatchOptions;
using demo::MatchResult;
using demo::Phase;

class DemoMatchTest : public velmora_test::DriverTest {
 protected:
  // Plays a match quietly: the table goes to `table`, the library's console reports are caught.
  MatchResult Play(double seconds) {
    velmora_test::StreamCapture console(std::cout);
    MatchOptions options;
    options.matchSeconds = seconds;
    table.str("");
    MatchResult result = demo::RunMatch(options, table);
    consoleText = console.Text();
    return result;
  }

  std::ostringstream table;
  std::string consoleText;
};

bool HasEvent(const MatchResult& r, const std::string& start) {
  for (const demo::Event& e : r.events) {
    if (e.text.rfind(start, 0) == 0) return true;
  }
  return false;
}

TEST_F(DemoMatchTest, FullMatchRunsToTheEndAndLeavesEverythingStopped) {
  const MatchResult r = Play(15.0);
  ASSERT_EQ(r.telemetry.size(), 751u) << "750 periods of 20 ms and the disabled state";
  ASSERT_EQ(r.path.size(), r.telemetry.size());
  EXPECT_DOUBLE_EQ(r.telemetry.back().time, 15.0);
  EXPECT_EQ(r.telemetry.back().phase, Phase::kDisabled);
  for (const char* event : {"enabled", "blue line", "wall ahead", "parked", "disabled"}) {
    EXPECT_TRUE(HasEvent(r, event)) << event;
  }
  // Every device took part.
  ASSERT_EQ(r.identity.size(), 5u);
  EXPECT_NE(r.identity[0].find("ID 5, firmware 2.4.1"), std::string::npos) << r.identity[0];
  EXPECT_GT(r.lastScan.angles.size(), 0u);
  EXPECT_GT(r.filteredNearest, 0.0f);
  EXPECT_NE(consoleText.find("[LidarMini] Scan frequency \xE2\x86\x92 10 Hz\n"), std::string::npos);
  EXPECT_NE(consoleText.find("[LidarMini] Scan frequency \xE2\x86\x92 8.5 Hz\n"),
            std::string::npos);
  EXPECT_NE(table.str().find("Summary after 15.0 s"), std::string::npos);

  // The station was disabled and the devices released: nothing is left running.
  EXPECT_FALSE(sim::MockDSEnabled());
  EXPECT_FALSE(sim::OrvexChannel(demo::robot_map::kDriveCanId, 0).exists);
  EXPECT_TRUE(sim::OpenLidarMinis().empty());
}

TEST_F(DemoMatchTest, TwoMatchesGiveIdenticalTelemetry) {
  const MatchResult first = Play(15.0);
  const std::string firstTable = table.str();
  const MatchResult second = Play(15.0);
  ASSERT_EQ(first.telemetry.size(), second.telemetry.size());
  for (size_t i = 0; i < first.telemetry.size(); ++i) {
    ASSERT_EQ(first.telemetry[i], second.telemetry[i]) << "period " << i;
    ASSERT_EQ(first.path[i].x, second.path[i].x) << "period " << i;
    ASSERT_EQ(first.path[i].y, second.path[i].y) << "period " << i;
  }
  EXPECT_EQ(firstTable, table.str());
  EXPECT_EQ(first.lastScan.distances, second.lastScan.distances);
}

TEST_F(DemoMatchTest, EncoderDistanceGrowsSteadilyWhileCruising) {
  const MatchResult r = Play(15.0);
  int cruising = 0;
  for (size_t i = 1; i < r.telemetry.size(); ++i) {
    const demo::Telemetry& before = r.telemetry[i - 1];
    const demo::Telemetry& now = r.telemetry[i];
    if (now.phase == Phase::kCruise && before.phase == Phase::kCruise && before.time > 1.0) {
      ++cruising;
      EXPECT_GT(now.distance, before.distance) << now.time;
      EXPECT_NEAR(now.speed, demo::robot_map::kCruiseSpeed, 0.05) << now.time;
      // What the encoders count is what the wheels roll on the field.
      EXPECT_NEAR(now.distance, r.path[i].x - r.path[0].x, 1e-6) << now.time;
    }
  }
  EXPECT_GT(cruising, 100) << "the robot cruises for a few seconds";
}

TEST_F(DemoMatchTest, RobotStopsBeforeTheWallAndStaysThere) {
  const MatchResult r = Play(15.0);
  ASSERT_GT(r.parkedAt, 0.0);
  const double wall = r.field.width;
  for (const demo::PathPoint& p : r.path) {
    EXPECT_LT(p.x + demo::robot_map::kBumperRadius, wall - 0.1)
        << "bumper off the wall at " << p.time;
  }
  EXPECT_NEAR(r.fieldWallGap, demo::robot_map::kStopGap, 0.05);
  // Parked means parked: the wheels hold from then on.
  for (size_t i = 0; i < r.telemetry.size(); ++i) {
    if (r.path[i].time > r.parkedAt + 0.5) {
      EXPECT_NEAR(r.path[i].x, r.path.back().x, 1e-3);
    }
  }
}

TEST_F(DemoMatchTest, RobotSeesTheLineWhereItIs) {
  const MatchResult r = Play(15.0);
  ASSERT_GE(r.lineAt, 0.0);
  const double lineStart = r.field.lineX - r.field.lineWidth / 2;
  for (size_t i = 0; i < r.path.size(); ++i) {
    const bool onLine = std::fabs(r.path[i].x - r.field.lineX) <= r.field.lineWidth / 2;
    EXPECT_EQ(r.telemetry[i].colour, onLine ? "blue" : "grey") << r.path[i].time;
    if (r.path[i].time == r.lineAt) {
      EXPECT_GE(r.path[i].x, lineStart);
    }
  }
}

TEST_F(DemoMatchTest, ShortMatchEndsDisabledWithoutParking) {
  const MatchResult r = Play(2.0);
  EXPECT_EQ(r.telemetry.size(), 101u);
  EXPECT_LT(r.parkedAt, 0.0);
  EXPECT_EQ(r.telemetry.back().phase, Phase::kDisabled);
  EXPECT_NE(table.str().find("did not park"), std::string::npos);
  EXPECT_GT(r.telemetry[r.telemetry.size() - 2].speed, 1.0) << "still cruising when time ran out";
  EXPECT_EQ(r.telemetry.back().leftCommand, 0.0);
  EXPECT_FALSE(sim::MockDSEnabled());
}

TEST_F(DemoMatchTest, WritesCsvAndSvg) {
  const MatchResult r = Play(3.0);
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() /
      ("velmora_demo_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
  std::filesystem::create_directories(dir);
  const std::string csv = (dir / "telemetry.csv").string();
  const std::string svg = (dir / "field.svg").string();
  demo::WriteCsv(csv, r);
  demo::WriteSvg(svg, r);

  std::ifstream csvFile(csv);
  std::string header;
  std::getline(csvFile, header);
  EXPECT_EQ(header.rfind("time,phase,left_command,", 0), 0u) << header;
  size_t rows = 0;
  for (std::string line; std::getline(csvFile, line);) ++rows;
  EXPECT_EQ(rows, r.telemetry.size());

  std::ifstream svgFile(svg);
  const std::string picture((std::istreambuf_iterator<char>(svgFile)),
                            std::istreambuf_iterator<char>());
  EXPECT_EQ(picture.rfind("<?xml", 0), 0u);
  EXPECT_NE(picture.find("<polyline"), std::string::npos);
  EXPECT_NE(picture.find("<circle"), std::string::npos);
  EXPECT_EQ(picture.substr(picture.size() - 7), "</svg>\n");
  // Windows refuses to delete a file that is still open.
  csvFile.close();
  svgFile.close();
  std::filesystem::remove_all(dir);

  EXPECT_THROW(demo::WriteCsv((dir / "no" / "such" / "folder.csv").string(), r),
               std::runtime_error);
}

}  // namespace
