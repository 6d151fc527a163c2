// velmora_demo on the WPILib stand-in: a short simulated match in which every Velmora device takes
// part, played in stepped simulated time (demo_match.h), the same on every run and machine.
//
//   velmora_demo [--match-seconds S] [--out DIR] [--help]
//
// Prints the devices' identity, a telemetry table every half second of simulated time, what the
// robot noticed, and a summary; writes the telemetry as CSV, a picture of the field and charts of
// the telemetry over time as SVG into the output folder (demo_program.h).
#include <ostream>

#include "demo_match.h"
#include "demo_program.h"

int main(int argc, char** argv) {
  demo::DemoBuild build;
  build.title = "the simulation driver's field in stepped simulated time";
  build.about =
      "The match is played in stepped simulated time: it takes a fraction of a second and is the\n"
      "same on every run.\n";
  build.play = [](const demo::ProgramOptions& options, std::ostream& out) {
    demo::MatchOptions match;
    match.matchSeconds = options.matchSeconds;
    return demo::RunMatch(match, out);
  };
  return demo::RunProgram(argc, argv, build);
}
