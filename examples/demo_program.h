// What both builds of velmora_demo share: the command line, and the run around the match (the
// output folder, the summary and the report files). Only how the match is played differs: on the
// WPILib stand-in a stepped match in simulated time (demo_match.h), against WPILib the robot as a
// TimedRobot in WPILib's desktop simulation (demo_timed_main.cpp).
//
//   velmora_demo [--match-seconds S] [--out DIR] [--help]
//
// Exit status: 0 when the match was played and every file written (or --help), 1 when the
// output folder, a file or the match failed (the reason on the standard error stream), 2 for a
// command line it does not understand (the reason and the usage on the standard error stream;
// nothing is played or written).
#pragma once

#include <functional>
#include <iosfwd>
#include <string>

#include "demo_match.h"

namespace demo {

constexpr double kLongestMatch = 600.0;  // s

struct ProgramOptions {
  double matchSeconds = 15.0;  // how long the robot is enabled, s
  std::string outDir = "demo_output";
};

enum class CommandLine { kRun, kHelp, kWrong };

// Reads velmora_demo's options into `options`. A mistake is told on `err` in one line starting
// "velmora_demo: ", and gives kWrong.
CommandLine ParseCommandLine(int argc, const char* const argv[], ProgramOptions& options,
                             std::ostream& err);

// One build of the demo: what its match is, and how to play it.
struct DemoBuild {
  std::string title;  // "Velmora demo: <title>, a 15 s match"
  std::string about;  // how the match is played, for the usage text: lines of at most 90 chars
  // Plays one match; the device identity, the table and the events go to `out` as they happen.
  // Throws when the match cannot be played.
  std::function<MatchResult(const ProgramOptions&, std::ostream& out)> play;
};

void PrintUsage(std::ostream& out, const DemoBuild& build);

// velmora_demo's main: reads the command line, makes the output folder, plays the match, prints
// the summary (PrintSummary) and writes telemetry.csv, field.svg and charts.svg into the folder.
// Returns the exit status.
int RunProgram(int argc, const char* const argv[], const DemoBuild& build);

}  // namespace demo
