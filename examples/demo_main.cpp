// velmora_demo: a short simulated match in which every Velmora device takes part.
//
//   velmora_demo [--match-seconds S] [--out DIR] [--help]
//
// Prints the devices' identity, a telemetry table every half second of simulated time, what the
// robot noticed, and a summary; writes the telemetry as CSV, a picture of the field and charts of
// the telemetry over time as SVG into the output folder.
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <iostream>
#include <string>

#include "demo_match.h"
#include "demo_report.h"

namespace {

constexpr double kLongestMatch = 600.0;

void Usage(std::ostream& out) {
  out << "Usage: velmora_demo [options]\n"
         "\n"
         "Runs a simulated match: a robot with every Velmora device drives across a small field,\n"
         "stops in front of the wall and reports what its devices saw.\n"
         "\n"
         "Options:\n"
         "  --match-seconds S  how long the robot is enabled, in simulated seconds, more than 0\n"
         "                     and at most 600 (default 15)\n"
         "  --out DIR          folder for telemetry.csv, field.svg and charts.svg (default\n"
         "                     demo_output; created if missing)\n"
         "  --help             show this text\n";
}

struct Options {
  demo::MatchOptions match;
  std::string outDir = "demo_output";
};

// Reads the options; on a mistake prints what is wrong and the usage, and returns false.
bool Parse(int argc, char** argv, Options& options, bool& help) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](std::string& into) {
      if (i + 1 >= argc) {
        std::cerr << "velmora_demo: " << arg << " needs a value\n";
        return false;
      }
      into = argv[++i];
      return true;
    };
    if (arg == "--help" || arg == "-h") {
      help = true;
      return true;
    }
    std::string text;
    if (arg == "--match-seconds") {
      if (!value(text)) return false;
      char* end = nullptr;
      const double seconds = std::strtod(text.c_str(), &end);
      if (end == text.c_str() || *end != '\0' || !std::isfinite(seconds) || seconds <= 0.0 ||
          seconds > kLongestMatch) {
        std::cerr << "velmora_demo: --match-seconds must be a number above 0 and at most 600, "
                     "got: "
                  << text << '\n';
        return false;
      }
      options.match.matchSeconds = seconds;
    } else if (arg == "--out") {
      if (!value(text)) return false;
      if (text.empty()) {
        std::cerr << "velmora_demo: --out needs a folder name\n";
        return false;
      }
      options.outDir = text;
    } else {
      std::cerr << "velmora_demo: unknown option " << arg << '\n';
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  bool help = false;
  if (!Parse(argc, argv, options, help)) {
    Usage(std::cerr);
    return 2;
  }
  if (help) {
    Usage(std::cout);
    return 0;
  }

  try {
    const std::filesystem::path dir(options.outDir);
    std::filesystem::create_directories(dir);
    const std::string csv = (dir / "telemetry.csv").string();
    const std::string svg = (dir / "field.svg").string();
    const std::string charts = (dir / "charts.svg").string();

    std::cout << "Velmora demo: a " << options.match.matchSeconds
              << " s simulated match on the simulation driver's field\n\n";
    const auto started = std::chrono::steady_clock::now();
    const demo::MatchResult result = demo::RunMatch(options.match, std::cout);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;

    demo::WriteCsv(csv, result);
    demo::WriteSvg(svg, result);
    demo::WriteCharts(charts, result);
    std::cout << "\nWrote " << csv << " (" << result.telemetry.size() << " rows), " << svg
              << " and " << charts << "\nMatch computed in " << took.count() << " s of wall time\n";
  } catch (const std::exception& e) {
    std::cerr << "velmora_demo: " << e.what() << '\n';
    return 1;
  }
  return 0;
}
