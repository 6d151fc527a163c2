// Helpers for the tests of the demo program, in both builds: a scratch folder, the program run as
// a user runs it, and the checks of what it prints and writes that hold whatever the physics of
// the simulated field (structure, units, rounding), so that both builds are held to one report.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <map>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "support/Xml.h"
#include "velmora_sim/SimDriver.h"

#if defined(VELMORA_DEMO_PROGRAM)
#include <sys/wait.h>
#endif

namespace velmora_test {

// A temporary folder, named after the running test (CTest runs tests in parallel processes),
// removed when the test ends.
class ReportFolder {
 public:
  ReportFolder()
      : m_dir(std::filesystem::temp_directory_path() /
              (std::string("velmora_demo_test_") +
               ::testing::UnitTest::GetInstance()->current_test_info()->name())) {
    std::error_code ignored;
    std::filesystem::remove_all(m_dir, ignored);
    std::filesystem::create_directories(m_dir);
  }
  ~ReportFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(m_dir, ignored);
  }
  ReportFolder(const ReportFolder&) = delete;
  ReportFolder& operator=(const ReportFolder&) = delete;
  std::string operator/(const char* name) const { return (m_dir / name).string(); }
  const std::filesystem::path& Path() const { return m_dir; }

 private:
  std::filesystem::path m_dir;
};

inline std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

inline std::vector<std::string> SplitCsvLine(const std::string& line) {
  std::vector<std::string> cells;
  std::string cell;
  std::istringstream in(line);
  while (std::getline(in, cell, ',')) cells.push_back(cell);
  if (!line.empty() && line.back() == ',') cells.emplace_back();
  return cells;
}

inline std::vector<const XmlElement*> FindAll(const XmlElement& root, const std::string& name,
                                              const std::string& cls = "") {
  std::vector<const XmlElement*> found;
  root.Find(
      [&](const XmlElement& e) {
        return e.name == name && (cls.empty() || e.Attribute("class") == cls);
      },
      found);
  return found;
}

// The points of a polyline, as x,y pairs.
inline std::vector<std::pair<double, double>> Points(const XmlElement& polyline) {
  std::vector<std::pair<double, double>> points;
  std::istringstream in(polyline.Attribute("points"));
  double x = 0.0;
  double y = 0.0;
  char comma = 0;
  while (in >> x >> comma >> y) points.emplace_back(x, y);
  return points;
}

// The summary's facts by label; NaN for "none". Checks the documented format on the way: the line
// "Summary", then the eighteen labels in their order, each value "none" (where that may be) or a
// number with its unit and that unit's decimals, never "-0".
inline std::map<std::string, double> ReadSummary(const std::string& console) {
  struct Line {
    const char* label;
    const char* unit;
    size_t decimals;
    bool mayBeNone;
  };
  static const Line kLines[] = {
      {"match time", "s", 2, false},         {"parked at", "s", 2, true},
      {"wall gap", "m", 2, false},           {"encoder distance", "m", 2, false},
      {"field distance", "m", 2, false},     {"top speed", "m/s", 2, false},
      {"line seen at", "s", 2, true},        {"left encoder", "counts", 0, false},
      {"right encoder", "counts", 0, false}, {"warmest controller", "C", 1, false},
      {"small lidar rate", "Hz", 1, false},  {"small lidar scan", "points", 0, false},
      {"large lidar nearest", "m", 2, true}, {"large lidar angle", "deg", 0, true},
      {"analog 0", "V", 2, false},           {"analog 1", "V", 2, false},
      {"analog 2", "V", 2, false},           {"analog 3", "V", 2, false}};
  std::map<std::string, double> facts;
  const size_t at = console.find("\nSummary\n");
  if (at == std::string::npos) {
    ADD_FAILURE() << "no summary in:\n" << console;
    return facts;
  }
  std::istringstream in(console.substr(at + 9));
  const std::regex fact(R"(  ([a-z0-9 ]+): (none|(-?[0-9]+)(\.([0-9]+))? (\S+)))");
  for (const Line& expected : kLines) {
    std::string text;
    std::getline(in, text);
    std::smatch m;
    if (!std::regex_match(text, m, fact) || m[1] != expected.label) {
      ADD_FAILURE() << "expected the summary line \"" << expected.label << "\", got: " << text;
      return facts;
    }
    if (m[2] == "none") {
      EXPECT_TRUE(expected.mayBeNone) << text;
      facts[expected.label] = std::numeric_limits<double>::quiet_NaN();
      continue;
    }
    EXPECT_EQ(m[6], expected.unit) << text;
    EXPECT_EQ(m[5].length(), expected.decimals) << text;
    const double value = std::stod(m[3].str() + m[4].str());
    EXPECT_FALSE(value == 0.0 && m[3].str()[0] == '-') << "negative zero: " << text;
    facts[expected.label] = value;
  }
  std::string after;
  EXPECT_TRUE(!std::getline(in, after) || after.empty()) << "after the summary: " << after;
  return facts;
}

// What a run printed to its console: every number rounded to at most two decimals (only the
// library's own and the devices' identity lines say more, and they say it as text), and the
// summary in its format.
inline std::map<std::string, double> ReadConsole(const std::string& console) {
  std::smatch m;
  EXPECT_FALSE(std::regex_search(console, m, std::regex(R"([0-9]\.[0-9]{3,})")))
      << "an unrounded number: " << m.str() << "\n"
      << console;
  return ReadSummary(console);
}

// Checks the three files a run wrote into `dir` and returns the number of telemetry rows: a CSV
// with units in its column names and a full row per period in time order, ending at the summary's
// match time; two well-formed SVG pictures, the field with its grid, scale, path, scan and
// markers, the charts with a series per charted column and a point per period.
inline size_t ExpectReportFiles(const std::filesystem::path& dir, double matchTime) {
  std::ifstream csv(dir / "telemetry.csv");
  std::string line;
  EXPECT_TRUE(std::getline(csv, line)) << "telemetry.csv is missing or empty";
  const std::vector<std::string> header = SplitCsvLine(line);
  for (const char* column : {"time_s", "phase", "speed_mps", "distance_m", "ahead_m", "analog0_v",
                             "lidar_hz", "temperature_c", "field_x_m", "field_heading_rad"}) {
    EXPECT_NE(std::find(header.begin(), header.end(), column), header.end()) << column;
  }
  EXPECT_EQ(header.empty() ? "" : header[0], "time_s");
  size_t rows = 0;
  double lastTime = -1.0;
  for (; std::getline(csv, line); ++rows) {
    const std::vector<std::string> cells = SplitCsvLine(line);
    EXPECT_EQ(cells.size(), header.size()) << "row " << rows << ": " << line;
    const double time = cells.empty() ? -1.0 : std::atof(cells[0].c_str());
    // In wall-clock time WPILib's loop catches up on late periods back to back: the same
    // millisecond may stand on a few rows.
    EXPECT_GE(time, lastTime) << "row " << rows << ": " << line;
    lastTime = time;
  }
  EXPECT_GT(rows, 0u);
  EXPECT_NEAR(lastTime, matchTime, 0.005);

  std::unique_ptr<XmlElement> field;
  EXPECT_NO_THROW(field = XmlReader::Parse(ReadFile((dir / "field.svg").string())));
  if (field) {
    for (const char* id : {"grid", "scale", "path", "scan", "markers"}) {
      EXPECT_NE(field->FindById(id), nullptr) << "field.svg: " << id;
    }
  }
  std::unique_ptr<XmlElement> charts;
  EXPECT_NO_THROW(charts = XmlReader::Parse(ReadFile((dir / "charts.svg").string())));
  if (charts) {
    for (const char* column : {"speed_mps", "target_speed_mps", "distance_m", "ahead_m",
                               "left_command", "right_command"}) {
      EXPECT_NE(std::find(header.begin(), header.end(), column), header.end()) << column;
      EXPECT_NE(charts->FindById(std::string("series-") + column), nullptr) << column;
    }
    if (const XmlElement* speed = charts->FindById("series-speed_mps")) {
      size_t points = 0;
      for (const XmlElement* polyline : FindAll(*speed, "polyline")) {
        points += Points(*polyline).size();
      }
      EXPECT_EQ(points, rows) << "a point of speed per period";
    }
  }
  return rows;
}

// Command lines the demo refuses, each with the one line it says why.
struct RefusedCommandLine {
  std::vector<std::string> args;
  std::string message;
};

inline std::vector<RefusedCommandLine> RefusedCommandLines() {
  // A number it cannot take: the rule, and what it got.
  auto seconds = [](const std::string& text) {
    return RefusedCommandLine{
        {"--match-seconds", text},
        "velmora_demo: --match-seconds must be a number above 0 and at most 600, got: " + text};
  };
  return {
      {{"--speed", "1"}, "velmora_demo: unknown option --speed"},
      {{"--match-seconds=3"}, "velmora_demo: unknown option --match-seconds=3"},
      {{"3"}, "velmora_demo: unknown option 3"},
      {{"--match-seconds"}, "velmora_demo: --match-seconds needs a value"},
      {{"--out"}, "velmora_demo: --out needs a value"},
      {{"--out", ""}, "velmora_demo: --out needs a folder name"},
      seconds("abc"),
      seconds(""),
      seconds("3s"),
      seconds("0"),
      seconds("-1"),
      seconds("600.5"),
      seconds("nan"),
      seconds("inf"),
      seconds("1e999"),
  };
}

#if defined(VELMORA_DEMO_PROGRAM)

// A run of the demo program as a user starts it, from a shell.
struct ProgramRun {
  int status = -1;  // the exit status; -1 when it did not exit on its own
  std::string out;
  std::string err;                   // without the simulation driver's line at load (below)
  bool simulationAnnounced = false;  // the standard error stream began with that line
};

inline ProgramRun RunDemoProgram(const std::vector<std::string>& args,
                                 const std::filesystem::path& scratch) {
  const std::string out = (scratch / "stdout.txt").string();
  const std::string err = (scratch / "stderr.txt").string();
  std::string command = std::string("'") + VELMORA_DEMO_PROGRAM + "'";
  for (const std::string& arg : args) command += " '" + arg + "'";  // no quotes in the tests' args
  command += " >'" + out + "' 2>'" + err + "'";
  const int raw = std::system(command.c_str());
  ProgramRun run;
  run.status = raw != -1 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.out = ReadFile(out);
  run.err = ReadFile(err);
  // The program runs with the simulation driver, which says so first, once, when it is loaded.
  const std::string loaded = std::string(velmora_sim::kLoadedLine) + "\n";
  if (run.err.compare(0, loaded.size(), loaded) == 0) {
    run.err.erase(0, loaded.size());
    run.simulationAnnounced = true;
  }
  return run;
}

// Every refused command line: exit status 2, nothing on the standard output, the reason and the
// usage on the standard error stream, and no output folder made. An output folder that cannot be
// made: exit status 1 before any match is played.
inline void ExpectRefusalsOfTheProgram(const std::filesystem::path& scratch) {
  const std::string never = (scratch / "never").string();
  for (const RefusedCommandLine& c : RefusedCommandLines()) {
    std::vector<std::string> args = {"--out", never};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const ProgramRun run = RunDemoProgram(args, scratch);
    SCOPED_TRACE(c.message);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.substr(0, run.err.find('\n')), c.message);
    EXPECT_NE(run.err.find("\nUsage: velmora_demo [options]\n"), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(never));
  }

  const std::filesystem::path file = scratch / "a_file";
  std::ofstream(file) << "not a folder\n";
  const ProgramRun run = RunDemoProgram({"--out", file.string(), "--match-seconds", "1"}, scratch);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "") << "no match played for a folder that cannot be made";
  EXPECT_EQ(run.err.find("velmora_demo: cannot make the output folder " + file.string() + ": "), 0u)
      << run.err;
  EXPECT_EQ(ReadFile(file.string()), "not a folder\n");

  const ProgramRun help = RunDemoProgram({"--help"}, scratch);
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.find("Usage: velmora_demo [options]\n"), 0u) << help.out;
  EXPECT_NE(help.out.find("--match-seconds S"), std::string::npos);
  EXPECT_NE(help.out.find("--out DIR"), std::string::npos);
  EXPECT_EQ(help.err, "");
}

#endif  // VELMORA_DEMO_PROGRAM

}  // namespace velmora_test
