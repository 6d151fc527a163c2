// The demo robot program: one robot with every Velmora device on it, written the way a team
// writes its own program, so that it can be copied as a skeleton.
//
// The robot drives straight across the field under a small PID speed loop, watches the wall
// ahead with the small lidar and stops in front of it, notices the coloured line on the floor
// with the colour sensor, sweeps a servo, runs a continuous servo while it drives, and reads the
// analog board. The methods follow WPILib's robot life cycle (RobotInit, AutonomousInit,
// AutonomousPeriodic, DisabledInit); whatever calls them stands in for WPILib's robot loop. The
// robot uses nothing but the library and WPILib: no simulation extras.
#pragma once

#include <frc/PIDOutput.h>

#include <string>
#include <vector>

#include "velmora/Adexa.h"
#include "velmora/Lidar.h"
#include "velmora/LidarMini.h"
#include "velmora/Lumira.h"
#include "velmora/Orvex.h"
#include "velmora/Pallax.h"
#include "velmora/Servo.h"
#include "velmora/ServoContinuous.h"

namespace demo {

// Where everything is plugged in, and the robot's dimensions and tuning.
namespace robot_map {
constexpr int kDriveCanId = 5;  // Orvex: motor and encoder 0 left, 1 right
constexpr int kLeftMotor = 0;
constexpr int kRightMotor = 1;
constexpr int kColourSensorCanId = 3;
constexpr int kPallaxCanId = 9;
constexpr int kSweepServoPwm = 0;
constexpr int kRollerServoPwm = 1;
constexpr auto kScanLidarPort = velmora::LidarMini::Port::kUSB0;
constexpr auto kFilterLidarPort = velmora::Lidar::Port::kUSB1;

constexpr double kPeriodSeconds = 0.02;  // the robot loop runs every 20 ms, as WPILib's does
// Wheel travel per motor revolution, after the gearbox: 5000 RPM of free speed is 2 m/s.
constexpr double kMetresPerRevolution = 0.024;
constexpr double kFreeSpeed = 5000.0 / 60.0 * kMetresPerRevolution;  // m/s
constexpr double kBumperRadius = 0.3;  // from the robot's centre (where the lidar sits), m

constexpr double kCruiseSpeed = 1.2;        // m/s
constexpr double kAcceleration = 1.5;       // m/s^2, how fast the speed target may rise
constexpr double kDeceleration = 0.8;       // m/s^2, the braking curve in front of the wall
constexpr double kStopGap = 0.25;           // bumper to wall when parked, m
constexpr float kAheadToleranceDeg = 2.0f;  // how far off 0 degrees a lidar point may be
}  // namespace robot_map

// A small PID speed loop that writes its output to any WPILib PID output, here a motor channel.
// The feed-forward term carries most of the command (speed over free speed); the PID terms make
// up the rest.
class SpeedLoop {
 public:
  struct Gains {
    double kP = 0.0;
    double kI = 0.0;
    double kD = 0.0;
    double kF = 0.0;
  };

  SpeedLoop(Gains gains, frc::PIDOutput& output) : m_gains(gains), m_output(output) {}

  // One step of the loop: writes the output, limited to -1..1, and returns it.
  double Update(double setpoint, double measurement, double dt);
  void Reset();

 private:
  Gains m_gains;
  frc::PIDOutput& m_output;
  double m_integral = 0.0;
  double m_lastError = 0.0;
  bool m_started = false;
};

// What the robot is doing.
enum class Phase { kWaiting, kCruise, kApproach, kParked, kDisabled };
const char* PhaseName(Phase phase);

// One period as the robot saw it: its own telemetry, from its own sensors.
struct Telemetry {
  double time = 0.0;  // s since the match started
  Phase phase = Phase::kWaiting;
  double leftCommand = 0.0;  // last speed sent to the motor, -1..1
  double rightCommand = 0.0;
  double leftRpm = 0.0;
  double rightRpm = 0.0;
  double speed = 0.0;        // m/s, mean of both encoders
  double targetSpeed = 0.0;  // m/s, what the speed loops aim for
  double distance = 0.0;     // m travelled, mean of both encoders
  int leftCount = 0;         // encoder counts
  int rightCount = 0;
  float ahead = -1.0f;       // m from the lidar to the nearest obstacle straight ahead; -1: none
  std::string colour;        // what the colour sensor sees
  float analog[4] = {};      // analog board inputs 0 to 3, volts
  double servoAngle = 0.0;   // degrees
  double rollerSpeed = 0.0;  // continuous servo, -1..1
  float lidarHz = 0.0f;      // the small lidar's scan frequency
  double temperature = 0.0;  // motor controller, degrees Celsius

  bool operator==(const Telemetry& other) const;
  bool operator!=(const Telemetry& other) const { return !(*this == other); }
};

// Something worth telling that happened during a period.
struct Event {
  double time = 0.0;
  std::string text;
};

class DemoRobot {
 public:
  // Opens every device, like the member initialisers of a WPILib robot class.
  DemoRobot();
  // Releases the small lidar, the one device that is not released on its own.
  ~DemoRobot();

  DemoRobot(const DemoRobot&) = delete;
  DemoRobot& operator=(const DemoRobot&) = delete;

  // Once at start-up: identity, configuration, lidars started.
  void RobotInit();
  // When the match starts (the driver station enables the robot).
  void AutonomousInit(double now);
  // Every period while enabled.
  void AutonomousPeriodic(double now);
  // When the robot is disabled: every output stopped.
  void DisabledInit(double now);

  const Telemetry& Latest() const { return m_telemetry; }
  // The events since the last call, oldest first.
  std::vector<Event> TakeEvents();
  // The last scan of the small lidar, in the lidar's own angles (0 straight ahead,
  // counter-clockwise, degrees).
  const velmora::LidarMini::ScanData& LastScan() const { return m_scan; }
  // What the devices said about themselves in RobotInit, one line each.
  const std::vector<std::string>& Identity() const { return m_identity; }
  // The large lidar's latest block: distance and angle of its nearest valid reading.
  float NearestFilteredDistance() const { return m_nearestFiltered; }
  float NearestFilteredAngle() const { return m_nearestFilteredAngle; }
  Phase CurrentPhase() const { return m_phase; }

 private:
  void ReadScanIfDue(double now);
  void ReadColour(double now);
  void Drive(double now);
  void RunMechanisms(double now);
  void ReadLargeLidar();
  void Record(double now);
  void Tell(double now, std::string text);
  double EncoderDistance();
  double EncoderSpeed();

  // Devices.
  velmora::Orvex m_drive;
  velmora::Orvex::Motor& m_leftMotor;
  velmora::Orvex::Motor& m_rightMotor;
  velmora::Orvex::Encoder& m_leftEncoder;
  velmora::Orvex::Encoder& m_rightEncoder;
  velmora::LidarMini m_scanLidar;
  velmora::Lidar m_filterLidar;
  velmora::Lumira m_colourSensor;
  velmora::Pallax m_pallax;
  velmora::Adexa m_analog;
  velmora::Servo m_sweepServo;
  bool m_sweepServoOffline = false;  // SetOffline since the last SetAngle
  velmora::ServoContinuous m_roller;

  // Control.
  SpeedLoop m_leftLoop;
  SpeedLoop m_rightLoop;
  Phase m_phase = Phase::kWaiting;
  double m_lastTime = 0.0;
  double m_startTime = 0.0;
  double m_targetSpeed = 0.0;

  // What the sensors said last.
  velmora::LidarMini::ScanData m_scan;
  double m_nextScanTime = 0.0;
  float m_scanAhead = -1.0f;      // straight-ahead distance in the last scan
  double m_distanceAtScan = 0.0;  // encoder distance when that scan was read
  std::string m_colour;
  bool m_onLine = false;
  float m_nearestFiltered = -1.0f;
  float m_nearestFilteredAngle = 0.0f;

  Telemetry m_telemetry;
  std::vector<Event> m_events;
  std::vector<std::string> m_identity;
};

}  // namespace demo
