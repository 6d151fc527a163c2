#include "demo_program.h"

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <iomanip>
#include <iostream>
#include <string>

#include "demo_report.h"

namespace demo {

CommandLine ParseCommandLine(int argc, const char* const argv[], ProgramOptions& options,
                             std::ostream& err) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i] != nullptr ? argv[i] : "";
    if (arg == "--help" || arg == "-h") return CommandLine::kHelp;
    if (arg != "--match-seconds" && arg != "--out") {
      err << "velmora_demo: unknown option " << arg << '\n';
      return CommandLine::kWrong;
    }
    if (i + 1 >= argc || argv[i + 1] == nullptr) {
      err << "velmora_demo: " << arg << " needs a value\n";
      return CommandLine::kWrong;
    }
    const std::string text = argv[++i];
    if (arg == "--out") {
      if (text.empty()) {
        err << "velmora_demo: --out needs a folder name\n";
        return CommandLine::kWrong;
      }
      options.outDir = text;
      continue;
    }
    char* end = nullptr;
    const double seconds = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || *end != '\0' || !std::isfinite(seconds) || seconds <= 0.0 ||
        seconds > kLongestMatch) {
      err << "velmora_demo: --match-seconds must be a number above 0 and at most 600, got: " << text
          << '\n';
      return CommandLine::kWrong;
    }
    options.matchSeconds = seconds;
  }
  return CommandLine::kRun;
}

void PrintUsage(std::ostream& out, const DemoBuild& build) {
  out << "Usage: velmora_demo [options]\n"
         "\n"
         "Runs a match: a robot with every Velmora device drives across a small field, stops in\n"
         "front of the wall and reports what its devices saw.\n"
      << build.about
      << "\n"
         "Options:\n"
         "  --match-seconds S  how long the robot is enabled, in seconds, more than 0 and at\n"
         "                     most 600 (default 15)\n"
         "  --out DIR          folder for telemetry.csv, field.svg and charts.svg (default\n"
         "                     demo_output; created if missing)\n"
         "  --help             show this text\n";
}

int RunProgram(int argc, const char* const argv[], const DemoBuild& build) {
  ProgramOptions options;
  switch (ParseCommandLine(argc, argv, options, std::cerr)) {
    case CommandLine::kHelp:
      PrintUsage(std::cout, build);
      return 0;
    case CommandLine::kWrong:
      PrintUsage(std::cerr, build);
      return 2;
    case CommandLine::kRun:
      break;
  }

  // The folder first: a folder that cannot be made is told before a match is played for it.
  const std::filesystem::path dir(options.outDir);
  std::error_code error;
  std::filesystem::create_directories(dir, error);
  if (error || !std::filesystem::is_directory(dir)) {
    std::cerr << "velmora_demo: cannot make the output folder " << options.outDir << ": "
              << (error ? error.message() : std::string("a file of that name is in the way"))
              << '\n';
    return 1;
  }

  try {
    const std::string csv = (dir / "telemetry.csv").string();
    const std::string field = (dir / "field.svg").string();
    const std::string charts = (dir / "charts.svg").string();

    std::cout << "Velmora demo: " << build.title << ", a " << options.matchSeconds << " s match\n\n"
              << std::flush;  // before WPILib's own console lines, which bypass std::cout
    const auto started = std::chrono::steady_clock::now();
    const MatchResult result = build.play(options, std::cout);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
    PrintSummary(std::cout, result);

    WriteCsv(csv, result);
    WriteSvg(field, result);
    WriteCharts(charts, result);
    std::cout << "\nWrote " << csv << " (" << result.telemetry.size() << " rows), " << field
              << " and " << charts << "\nMatch played in " << std::fixed << std::setprecision(2)
              << took.count() << " s of wall time\n";
    std::cout.unsetf(std::ios::floatfield);
  } catch (const std::exception& e) {
    std::cerr << "velmora_demo: " << e.what() << '\n';
    return 1;
  }
  return 0;
}

}  // namespace demo
