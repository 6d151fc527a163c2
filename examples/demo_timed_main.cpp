// velmora_demo built against WPILib: the demo robot as a genuine frc::TimedRobot, started with
// frc::StartRobot in WPILib's desktop simulation, in WPILib's (wall-clock) time.
//
//   velmora_demo [--match-seconds S] [--help]
//
// A thread plays the field's control system: once the robot program has started, it enables
// the robot in autonomous through WPILib's simulated driver station, disables it when the match
// time is up and ends the program. The simulation driver follows WPILib's clock on its own.
#include <frc/RobotBase.h>
#include <hal/HALBase.h>
#include <mockdata/DriverStationData.h>
#include <mockdata/MockHooks.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <thread>

#include "demo_timed_robot.h"
#include "velmora_sim/SimDriver.h"

namespace {

constexpr double kLongestMatch = 600.0;
std::atomic<demo::TimedDemoRobot*> g_robot{nullptr};

// The robot WPILib starts; the field finds it here to end the program.
class DemoProgram : public demo::TimedDemoRobot {
 public:
  DemoProgram() { g_robot = this; }
  ~DemoProgram() override { g_robot = nullptr; }
};

double WpilibSeconds() {
  int32_t status = 0;
  return static_cast<double>(HAL_GetFPGATime(&status)) * 1e-6;
}

void SetRobotState(bool enabled) {
  HALSIM_SetDriverStationDsAttached(true);
  HALSIM_SetDriverStationAutonomous(true);
  HALSIM_SetDriverStationEnabled(enabled);
  HALSIM_NotifyDriverStationNewData();
}

void PlayField(double matchSeconds) {
  using namespace std::chrono_literals;
  HALSIM_WaitForProgramStart();
  std::this_thread::sleep_for(100ms);  // a moment disabled, as on a real field
  SetRobotState(true);
  const double start = WpilibSeconds();
  while (WpilibSeconds() - start < matchSeconds) std::this_thread::sleep_for(5ms);
  SetRobotState(false);
  std::this_thread::sleep_for(100ms);  // the robot's disabled period: it stops everything
  if (demo::TimedDemoRobot* robot = g_robot.load()) robot->EndCompetition();
}

}  // namespace

int main(int argc, char** argv) {
  double matchSeconds = 15.0;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::cout << "Usage: velmora_demo [--match-seconds S]\n\n"
                   "Runs the demo robot as a TimedRobot in WPILib's simulation: enabled in\n"
                   "autonomous for S seconds (more than 0, at most 600; default 15), then\n"
                   "disabled.\n";
      return 0;
    }
    char* end = nullptr;
    const double seconds = i + 1 < argc ? std::strtod(argv[i + 1], &end) : NAN;
    if (arg != "--match-seconds" || end == argv[i + 1] || *end != '\0' || !std::isfinite(seconds) ||
        seconds <= 0.0 || seconds > kLongestMatch) {
      std::cerr << "velmora_demo: expected --match-seconds with a number above 0 and at most "
                   "600\n";
      return 2;
    }
    matchSeconds = seconds;
    ++i;
  }

  // The field the simulation driver simulates, with the robot's drive wheels on its controller.
  velmora_sim::Reset();
  velmora_sim::AttachDrive(demo::robot_map::kDriveCanId, demo::robot_map::kLeftMotor,
                           demo::robot_map::kRightMotor, demo::robot_map::kMetresPerRevolution);
  std::cout << "Velmora demo: the robot as a TimedRobot in WPILib's simulation, " << matchSeconds
            << " s of autonomous\n\n";

  std::thread field(PlayField, matchSeconds);
  const int status = frc::StartRobot<DemoProgram>();
  field.join();

  const velmora_sim::RobotPose end = velmora_sim::Robot();
  std::cout << "\nOn the field: the robot ended at x " << end.x << " m, y " << end.y << " m, "
            << velmora_sim::RayDistance(end.x, end.y, end.heading) - demo::robot_map::kBumperRadius
            << " m from the wall ahead\n";
  // WPILib 2020's driver-station thread can miss its wake-up when its destructor joins it at exit,
  // and the program would hang there: its output is written, so leave now.
  std::cout.flush();
  std::fflush(nullptr);
  std::_Exit(status);
}
