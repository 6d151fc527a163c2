// A team's program, whole: a spare servo on the dashboard is moved into the servo the robot
// drives, the spare goes out of scope, and the robot loop goes on updating the dashboard. It
// must end normally (exit status 0) with the dashboard following the servo that took the entry
// and never reading the moved-from one: no error reported from anywhere but WPILib's own PWM
// destructor, which reports a moved-from output once whatever its class. CTest also fails it on
// a line of WPILib's error reports that names any other place.
#include <frc/ErrorBase.h>
#include <frc/smartdashboard/SmartDashboard.h>
#include <hal/HAL.h>

#include <cstdio>
#include <cstdlib>

#include "velmora/Servo.h"

namespace {

int Run() {
  if (!HAL_Initialize(500, 0)) {
    std::fputs("HAL_Initialize failed\n", stderr);
    return 1;
  }
  velmora::Servo arm(2);
  {
    velmora::Servo spare(3);
    frc::SmartDashboard::PutData("Spare", &spare);
    frc::SmartDashboard::UpdateValues();
    arm = std::move(spare);
  }
  arm.SetAngle(30.0);
  for (int pass = 0; pass < 5; ++pass) frc::SmartDashboard::UpdateValues();  // the robot loop
  const double shown = frc::SmartDashboard::GetNumber("Spare/Value", -1.0);
  int result = 0;
  if (shown != arm.Get()) {
    std::fprintf(stderr, "the key shows %f, the servo is at %f\n", shown, arm.Get());
    result = 1;
  }
  for (const frc::Error& e : frc::ErrorBase::GetGlobalErrors()) {
    // WPILib's PWM destructor reports a moved-from output's missing channel once, for every class:
    // that one is WPILib's own. Any other error means something read a servo without a channel.
    if (e.GetFunction() == "~PWM") continue;
    std::fprintf(stderr, "reported: %d %s: %s\n", e.GetCode(), e.GetFunction().c_str(),
                 e.GetMessage().c_str());
    result = 1;
  }
  return result;
}

}  // namespace

int main() {
  const int result = Run();
  std::puts(result == 0 ? "clean" : "failed");
  // As a robot program on WPILib's desktop simulation leaves: without static destructors, which
  // would wait for WPILib's driver-station thread should an error report have started it.
  std::fflush(nullptr);
  std::_Exit(result);
}
