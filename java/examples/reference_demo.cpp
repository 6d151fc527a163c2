// The C++ demo's match in stepped simulated time on a real WPILib, for the test that holds the
// Java demo's report against it: the same robot, field and autonomous, printed the same way.
#include <hal/HAL.h>
#include <mockdata/DriverStationData.h>
#include <mockdata/MockHooks.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "demo_match.h"
#include "demo_report.h"

int main(int argc, char** argv) {
  if (!HAL_Initialize(500, 0)) {
    std::cerr << "HAL_Initialize(500, 0) failed\n";
    return 1;
  }
  // The simulation driver follows WPILib's clock: paused, it moves with the simulation alone.
  HALSIM_PauseTiming();
  // A disabled robot's outputs stay neutral: the match plays enabled, as on the field.
  HALSIM_SetDriverStationEnabled(true);
  HALSIM_NotifyDriverStationNewData();
  demo::MatchOptions options;
  if (argc == 3 && std::string(argv[1]) == "--match-seconds") {
    options.matchSeconds = std::strtod(argv[2], nullptr);
  }
  const demo::MatchResult result = demo::RunMatch(options, std::cout);
  demo::PrintSummary(std::cout, result);
  std::cout.flush();
  std::fflush(nullptr);
  // WPILib 2020's driver-station thread can hang a program's exit; there is nothing to release.
  std::_Exit(0);
}
