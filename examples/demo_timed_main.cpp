// velmora_demo built against WPILib: the demo robot as a genuine frc::TimedRobot, started with
// frc::StartRobot in WPILib's desktop simulation, in WPILib's (wall-clock) time. The command line,
// the console report and the files it writes are those of the stand-in build (demo_program.h).
//
//   velmora_demo [--match-seconds S] [--out DIR] [--help]
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
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <stdexcept>
#include <string>
#include <thread>

#include "demo_program.h"
#include "demo_timed_robot.h"
#include "velmora_sim/SimDriver.h"

namespace {

std::atomic<demo::TimedDemoRobot*> g_robot{nullptr};

// The robot WPILib starts; the field finds it here to end the program. frc::StartRobot keeps it
// in a function-local static: it outlives StartRobot, and the program leaves without destroying
// it.
class DemoProgram : public demo::TimedDemoRobot {
 public:
  DemoProgram() { g_robot = this; }
  ~DemoProgram() override { g_robot = nullptr; }
  DemoProgram(const DemoProgram&) = delete;
  DemoProgram& operator=(const DemoProgram&) = delete;
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

demo::MatchResult PlayInWpilib(const demo::ProgramOptions& options) {
  // The field the simulation driver simulates, with the robot's drive wheels on its controller.
  velmora_sim::Reset();
  velmora_sim::AttachDrive(demo::robot_map::kDriveCanId, demo::robot_map::kLeftMotor,
                           demo::robot_map::kRightMotor, demo::robot_map::kMetresPerRevolution);
  std::thread field(PlayField, options.matchSeconds);
  int status = 0;
  try {
    status = frc::StartRobot<DemoProgram>();
  } catch (...) {
    // The field may wait for a program start that never comes; the program leaves without it.
    field.detach();
    throw;
  }
  field.join();
  demo::TimedDemoRobot* robot = g_robot.load();
  if (status != 0 || robot == nullptr) {
    throw std::runtime_error("WPILib did not start the robot program (status " +
                             std::to_string(status) + ")");
  }
  // WPILib's loop has ended: if it ended before the robot's disabled period, end the match here.
  robot->EndMatch();
  return robot->Result();
}

}  // namespace

int main(int argc, char** argv) {
  demo::DemoBuild build;
  build.title = "the robot as a TimedRobot in WPILib's desktop simulation";
  build.about =
      "The robot is a TimedRobot in WPILib's desktop simulation, in wall-clock time: enabled in\n"
      "autonomous through WPILib's simulated driver station for the match's seconds, then\n"
      "disabled.\n";
  // The robot writes its table to std::cout, where frc::StartRobot's robot writes.
  build.play = [](const demo::ProgramOptions& options, std::ostream&) {
    return PlayInWpilib(options);
  };
  const int status = demo::RunProgram(argc, argv, build);
  // WPILib 2020's driver-station thread can miss its wake-up when its destructor joins it at exit,
  // and the program would hang there: its output is written, so leave now.
  std::cout.flush();
  std::fflush(nullptr);
  std::_Exit(status);
}
