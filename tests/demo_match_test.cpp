// The demo's match, played through the shipped library against the simulation driver's simulation:
// it runs to the end, gives the same telemetry every time, and the robot does what it is meant
// to do on the field.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "demo_match.h"
#include "demo_program.h"
#include "demo_report.h"
#include "support/DemoOutput.h"
#include "support/TestSupport.h"
#include "support/Xml.h"

namespace {

namespace sim = velmora_sim;
using demo::MatchOptions;
using demo::MatchResult;
using demo::Phase;
using velmora_test::FindAll;
using velmora_test::Points;
using velmora_test::ReadFile;
using velmora_test::ReportFolder;
using velmora_test::SplitCsvLine;
using velmora_test::XmlElement;
using velmora_test::XmlReader;

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
    // The wheels' motors take about 0.13 s to come up to speed on the robot's battery, and the
    // speed loop settles within 1.5 s.
    if (now.phase == Phase::kCruise && before.phase == Phase::kCruise && before.time > 1.5) {
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
  std::ostringstream summary;
  demo::PrintSummary(summary, r);
  const auto facts = velmora_test::ReadSummary(summary.str());
  EXPECT_TRUE(std::isnan(facts.at("parked at"))) << summary.str();
  EXPECT_NEAR(facts.at("match time"), 2.0, 1e-9);
  EXPECT_GT(r.telemetry[r.telemetry.size() - 2].speed, 1.0) << "still cruising when time ran out";
  EXPECT_EQ(r.telemetry.back().leftCommand, 0.0);
  EXPECT_FALSE(sim::MockDSEnabled());
}

TEST(DemoXmlReader, RejectsWhatIsNotWellFormed) {
  const char* bad[] = {
      "",
      "<svg>",
      "<svg><g></svg></g>",
      "<svg></svg><svg/>",
      "<svg a=1/>",
      "<svg a=\"1\" a=\"2\"/>",
      "<svg a=\"1\"b=\"2\"/>",
      "<svg>fish & chips</svg>",
      "<svg>1 < 2</svg>",
      "<svg><text>x</txet></svg>",
      "<svg a=\"<\"/>",
  };
  for (const char* text : bad) {
    EXPECT_THROW(XmlReader::Parse(text), std::runtime_error) << text;
  }
  const auto ok = XmlReader::Parse(
      "<?xml version=\"1.0\"?>\n<!-- c --><svg a='1'><text>fish &amp; chips</text><g/></svg>\n");
  ASSERT_EQ(ok->children.size(), 2u);
  EXPECT_EQ(ok->children[0]->text, "fish & chips");
  EXPECT_EQ(ok->Attribute("a"), "1");
}

TEST_F(DemoMatchTest, CsvHeaderCarriesUnitsAndEveryPeriodHasARow) {
  const MatchResult r = Play(15.0);
  ReportFolder dir;
  demo::WriteCsv(dir / "telemetry.csv", r);

  std::ifstream csv(dir / "telemetry.csv");
  std::string line;
  std::getline(csv, line);
  const std::vector<std::string> header = SplitCsvLine(line);
  for (const char* column :
       {"time_s", "speed_mps", "target_speed_mps", "distance_m", "ahead_m", "analog0_v",
        "servo_angle_deg", "lidar_hz", "temperature_c", "field_x_m", "field_heading_rad"}) {
    EXPECT_NE(std::find(header.begin(), header.end(), column), header.end()) << column;
  }
  const size_t ahead = std::find(header.begin(), header.end(), "ahead_m") - header.begin();
  size_t rows = 0;
  for (; std::getline(csv, line); ++rows) {
    const std::vector<std::string> cells = SplitCsvLine(line);
    ASSERT_EQ(cells.size(), header.size()) << "row " << rows << ": " << line;
    ASSERT_LT(rows, r.telemetry.size());
    // No reading straight ahead is an empty cell, not a distance of -1 m.
    if (r.telemetry[rows].ahead > 0.0f) {
      EXPECT_NEAR(std::stod(cells[ahead]), r.telemetry[rows].ahead, 1e-4) << "row " << rows;
    } else {
      EXPECT_EQ(cells[ahead], "") << "row " << rows;
    }
  }
  EXPECT_EQ(rows, r.telemetry.size());
}

TEST_F(DemoMatchTest, ChartsHoldEverySeriesAndTheMatchEvents) {
  const MatchResult r = Play(15.0);
  ReportFolder dir;
  demo::WriteCsv(dir / "telemetry.csv", r);
  demo::WriteCharts(dir / "charts.svg", r);
  std::unique_ptr<XmlElement> svg;
  ASSERT_NO_THROW(svg = XmlReader::Parse(ReadFile(dir / "charts.svg")));
  EXPECT_EQ(svg->name, "svg");

  std::ifstream csv(dir / "telemetry.csv");
  std::string line;
  std::getline(csv, line);
  const std::vector<std::string> columns = SplitCsvLine(line);

  // Each series is named after its CSV column and draws one point per period it has a value for.
  struct Expected {
    const char* column;
    size_t points;
  };
  size_t aheadPeriods = 0;
  for (const demo::Telemetry& t : r.telemetry) aheadPeriods += t.ahead > 0.0f ? 1 : 0;
  const Expected expected[] = {
      {"speed_mps", r.telemetry.size()},    {"target_speed_mps", r.telemetry.size()},
      {"distance_m", r.telemetry.size()},   {"ahead_m", aheadPeriods},
      {"left_command", r.telemetry.size()}, {"right_command", r.telemetry.size()}};
  for (const Expected& e : expected) {
    SCOPED_TRACE(e.column);
    EXPECT_NE(std::find(columns.begin(), columns.end(), e.column), columns.end());
    const XmlElement* group = svg->FindById(std::string("series-") + e.column);
    ASSERT_NE(group, nullptr);
    size_t drawn = 0;
    double lastX = -1.0;
    for (const XmlElement* polyline : FindAll(*group, "polyline")) {
      for (const auto& [x, y] : Points(*polyline)) {
        ++drawn;
        EXPECT_GT(x, lastX) << "time runs left to right";
        lastX = x;
      }
    }
    EXPECT_EQ(drawn, e.points);
  }

  // The three events, in every panel, at the times the match reported them.
  const std::vector<const XmlElement*> panels = FindAll(*svg, "g", "panel");
  ASSERT_EQ(panels.size(), 4u);
  const std::vector<const XmlElement*> events = FindAll(*panels[0], "g", "event");
  ASSERT_EQ(events.size(), 3u);
  EXPECT_NEAR(std::stod(events[0]->Attribute("data-time")), r.lineAt, 0.005);
  EXPECT_NEAR(std::stod(events[2]->Attribute("data-time")), r.parkedAt, 0.005);
  for (const XmlElement* panel : panels) EXPECT_EQ(FindAll(*panel, "g", "event").size(), 3u);
  std::vector<std::string> labels;
  for (const XmlElement* text : FindAll(*panels[0], "text")) labels.push_back(text->text);
  for (const char* label : {"line seen", "braking", "parked", "match time (s)", "m/s"}) {
    EXPECT_NE(std::find(labels.begin(), labels.end(), label), labels.end()) << label;
  }
}

TEST_F(DemoMatchTest, FieldDrawingHasScaleAndMarksStartEventsAndEnd) {
  const MatchResult r = Play(15.0);
  ReportFolder dir;
  demo::WriteSvg(dir / "field.svg", r);
  std::unique_ptr<XmlElement> svg;
  ASSERT_NO_THROW(svg = XmlReader::Parse(ReadFile(dir / "field.svg")));

  for (const char* id : {"grid", "scale", "path", "scan", "markers"}) {
    EXPECT_NE(svg->FindById(id), nullptr) << id;
  }
  EXPECT_GE(Points(*svg->FindById("path")).size(), r.path.size() / 5);
  // Start, line seen, braking, parked and end; the last two share a spot and a label.
  const std::vector<const XmlElement*> marks = FindAll(*svg, "path", "marker");
  ASSERT_EQ(marks.size(), 5u);
  EXPECT_EQ(marks.front()->Attribute("data-time"), "0.00");
  EXPECT_EQ(marks.back()->Attribute("data-time"), "15.00");
  std::string labels;
  for (const XmlElement* text : FindAll(*svg->FindById("markers"), "text")) {
    labels += text->text + "|";
  }
  EXPECT_EQ(labels.find("start 0.00 s|"), 0u) << labels;
  EXPECT_NE(labels.find("parked 6.34 s, end 15.00 s|"), std::string::npos) << labels;
}

TEST_F(DemoMatchTest, ShortMatchStillDrawsWellFormedPictures) {
  const MatchResult r = Play(0.02);
  ReportFolder dir;
  demo::WriteSvg(dir / "field.svg", r);
  demo::WriteCharts(dir / "charts.svg", r);
  std::unique_ptr<XmlElement> charts;
  ASSERT_NO_THROW(charts = XmlReader::Parse(ReadFile(dir / "charts.svg")));
  EXPECT_NO_THROW(XmlReader::Parse(ReadFile(dir / "field.svg")));
  EXPECT_TRUE(FindAll(*charts, "g", "event").empty()) << "nothing happened yet";
  EXPECT_NE(charts->FindById("series-speed_mps"), nullptr);
  // No coordinate may be NaN or infinite, whatever the data.
  const std::string text = ReadFile(dir / "charts.svg");
  EXPECT_EQ(text.find("nan"), std::string::npos);
  EXPECT_EQ(text.find("inf"), std::string::npos);
}

TEST(DemoCharts, ValuesNoChartCanShowAreLeftOutAndTheAxesStayBounded) {
  MatchResult r;
  const double huge = std::numeric_limits<double>::max();
  const double values[] = {0.5,
                           huge,
                           -huge,
                           std::numeric_limits<double>::quiet_NaN(),
                           std::numeric_limits<double>::infinity(),
                           1e-300,
                           0.25};
  double time = 0.0;
  for (const double v : values) {
    demo::Telemetry t;
    t.time = time;
    time += 0.02;
    t.speed = v;
    t.targetSpeed = v;
    t.distance = v;
    t.leftCommand = v;
    t.rightCommand = v;
    // A double beyond float's range has no float value: the lidar's largest stands in.
    t.ahead = std::fabs(v) <= 1e30 || !std::isfinite(v) ? static_cast<float>(v)
                                                        : std::numeric_limits<float>::max();
    r.telemetry.push_back(t);
  }
  ReportFolder dir;
  demo::WriteCharts(dir / "charts.svg", r);  // returns: no endless axis
  const std::string text = ReadFile(dir / "charts.svg");
  std::unique_ptr<XmlElement> svg;
  ASSERT_NO_THROW(svg = XmlReader::Parse(text));
  EXPECT_EQ(text.find("nan"), std::string::npos);
  EXPECT_EQ(text.find("inf"), std::string::npos);
  // The speed line breaks where a value was left out: 0.5, then 1e-300 and 0.25.
  const std::vector<const XmlElement*> lines =
      FindAll(*svg->FindById("series-speed_mps"), "polyline");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(Points(*lines[0]).size(), 1u);
  EXPECT_EQ(Points(*lines[1]).size(), 2u);
  EXPECT_LT(text.size(), 100000u) << "a bounded number of ticks";
}

TEST_F(DemoMatchTest, ReportFilesThatCannotBeWrittenThrow) {
  const MatchResult r = Play(1.0);
  ReportFolder dir;
  const std::string missing = dir / "no/such/folder/file";
  EXPECT_THROW(demo::WriteCsv(missing, r), std::runtime_error);
  EXPECT_THROW(demo::WriteSvg(missing, r), std::runtime_error);
  EXPECT_THROW(demo::WriteCharts(missing, r), std::runtime_error);
}

// The command line both builds of the program read.
std::vector<const char*> Argv(const std::vector<std::string>& args) {
  std::vector<const char*> argv = {"velmora_demo"};
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  return argv;
}

TEST(DemoCommandLine, ReadsWhatItIsGiven) {
  struct Case {
    std::vector<std::string> args;
    demo::CommandLine outcome;
    double seconds;
    const char* out;
  };
  const Case cases[] = {
      {{}, demo::CommandLine::kRun, 15.0, "demo_output"},
      {{"--match-seconds", "2.5", "--out", "x y"}, demo::CommandLine::kRun, 2.5, "x y"},
      {{"--out", "a", "--out", "b"}, demo::CommandLine::kRun, 15.0, "b"},
      {{"--match-seconds", "600"}, demo::CommandLine::kRun, 600.0, "demo_output"},
      {{"--match-seconds", "1e-3"}, demo::CommandLine::kRun, 0.001, "demo_output"},
      {{"--match-seconds", " 7"}, demo::CommandLine::kRun, 7.0, "demo_output"},
      {{"--match-seconds", "3", "--help", "--bogus"}, demo::CommandLine::kHelp, 3.0, ""},
      {{"-h"}, demo::CommandLine::kHelp, 15.0, ""},
  };
  for (const Case& c : cases) {
    const std::vector<const char*> argv = Argv(c.args);
    demo::ProgramOptions options;
    std::ostringstream err;
    SCOPED_TRACE(c.args.empty() ? "(none)" : c.args.front());
    EXPECT_EQ(demo::ParseCommandLine(static_cast<int>(argv.size()), argv.data(), options, err),
              c.outcome);
    EXPECT_EQ(err.str(), "");
    EXPECT_DOUBLE_EQ(options.matchSeconds, c.seconds);
    if (c.outcome == demo::CommandLine::kRun) {
      EXPECT_EQ(options.outDir, c.out);
    }
  }
}

TEST(DemoCommandLine, RefusesWhatItCannotTakeInOneLine) {
  for (const velmora_test::RefusedCommandLine& c : velmora_test::RefusedCommandLines()) {
    const std::vector<const char*> argv = Argv(c.args);
    demo::ProgramOptions options;
    std::ostringstream err;
    EXPECT_EQ(demo::ParseCommandLine(static_cast<int>(argv.size()), argv.data(), options, err),
              demo::CommandLine::kWrong)
        << c.message;
    EXPECT_EQ(err.str(), c.message + "\n");
    EXPECT_EQ(options.matchSeconds, 15.0) << "a refused number is not kept: " << c.message;
  }
}

#if defined(VELMORA_DEMO_PROGRAM)

TEST(DemoProgram, PlaysTheMatchPrintsTheSummaryAndWritesItsFiles) {
  ReportFolder scratch;
  const std::string out = scratch / "out";
  const velmora_test::ProgramRun run = velmora_test::RunDemoProgram({"--out", out}, scratch.Path());
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(run.simulationAnnounced) << "the simulation driver says it is loaded";
  EXPECT_EQ(run.err, "");
  const auto facts = velmora_test::ReadConsole(run.out);
  const size_t rows = velmora_test::ExpectReportFiles(out, 15.0);
  EXPECT_EQ(rows, 751u) << "750 periods of 20 ms and the disabled state";
  EXPECT_NE(run.out.find("Wrote " + out + "/telemetry.csv (751 rows), "), std::string::npos)
      << run.out;
  ASSERT_EQ(facts.size(), 18u);
  EXPECT_EQ(facts.at("match time"), 15.0);
  EXPECT_GT(facts.at("parked at"), 0.0);
  EXPECT_GT(facts.at("line seen at"), 0.0);
  EXPECT_NEAR(facts.at("field distance"), facts.at("encoder distance"), 0.05);
  EXPECT_GT(facts.at("top speed"), 0.5);
  EXPECT_LE(facts.at("top speed"), demo::robot_map::kFreeSpeed * 1.05);
}

TEST(DemoProgram, RefusesBadCommandLinesAndFoldersBeforePlaying) {
  ReportFolder scratch;
  velmora_test::ExpectRefusalsOfTheProgram(scratch.Path());
}

#endif  // VELMORA_DEMO_PROGRAM

}  // namespace
