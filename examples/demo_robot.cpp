#include "demo_robot.h"

#include <algorithm>
#include <cmath>
#include <iomanip>
#include <sstream>
#include <utility>

namespace demo {

using namespace robot_map;

// ------------------------------------------------------------------------------------------------
// Speed loop
// ------------------------------------------------------------------------------------------------

double SpeedLoop::Update(double setpoint, double measurement, double dt) {
  const double error = setpoint - measurement;
  const double derivative = m_started && dt > 0.0 ? (error - m_lastError) / dt : 0.0;
  m_started = true;
  m_lastError = error;
  const double unlimited = m_gains.kF * setpoint + m_gains.kP * error +
                           m_gains.kI * (m_integral + error * dt) + m_gains.kD * derivative;
  const double output = std::clamp(unlimited, -1.0, 1.0);
  // Integrate only while the output is not pinned at a limit, so the loop does not wind up.
  if (output == unlimited) m_integral += error * dt;
  m_output.PIDWrite(output);
  return output;
}

void SpeedLoop::Reset() {
  m_integral = 0.0;
  m_lastError = 0.0;
  m_started = false;
}

// ------------------------------------------------------------------------------------------------
// Telemetry
// ------------------------------------------------------------------------------------------------

const char* PhaseName(Phase phase) {
  switch (phase) {
    case Phase::kWaiting:
      return "waiting";
    case Phase::kCruise:
      return "cruise";
    case Phase::kApproach:
      return "approach";
    case Phase::kParked:
      return "parked";
    case Phase::kDisabled:
      return "disabled";
  }
  return "?";
}

bool Telemetry::operator==(const Telemetry& o) const {
  return time == o.time && phase == o.phase && leftCommand == o.leftCommand &&
         rightCommand == o.rightCommand && leftRpm == o.leftRpm && rightRpm == o.rightRpm &&
         speed == o.speed && targetSpeed == o.targetSpeed && distance == o.distance &&
         leftCount == o.leftCount && rightCount == o.rightCount && ahead == o.ahead &&
         colour == o.colour && std::equal(std::begin(analog), std::end(analog), o.analog) &&
         servoAngle == o.servoAngle && rollerSpeed == o.rollerSpeed && lidarHz == o.lidarHz &&
         temperature == o.temperature;
}

namespace {

// A colour name for an HSV reading: hue in degrees, saturation and value 0 to 1.
std::string ColourName(float hue, float saturation, float value) {
  if (saturation < 0.4f) {
    if (value > 0.8f) return "white";
    if (value < 0.2f) return "black";
    return "grey";
  }
  if (hue < 20.0f || hue >= 330.0f) return "red";
  if (hue < 70.0f) return "yellow";
  if (hue < 160.0f) return "green";
  if (hue < 260.0f) return "blue";
  return "purple";
}

std::string Hex(int value) {
  std::ostringstream text;
  text << "0x" << std::hex << std::uppercase << value;
  return text.str();
}

}  // namespace

// ------------------------------------------------------------------------------------------------
// The robot
// ------------------------------------------------------------------------------------------------

DemoRobot::DemoRobot()
    : m_drive(kDriveCanId),
      m_leftMotor(m_drive.GetMotor(kLeftMotor)),
      m_rightMotor(m_drive.GetMotor(kRightMotor)),
      m_leftEncoder(m_drive.GetEncoder(kLeftMotor, kMetresPerRevolution)),
      m_rightEncoder(m_drive.GetEncoder(kRightMotor, kMetresPerRevolution)),
      m_scanLidar(kScanLidarPort),
      m_filterLidar(kFilterLidarPort),
      m_colourSensor(kColourSensorCanId),
      m_pallax(kPallaxCanId),
      m_analog(5.0f),
      m_sweepServo(kSweepServoPwm),
      m_roller(kRollerServoPwm),
      // The loops see the motor channels only as WPILib PID outputs.
      m_leftLoop({0.3, 0.8, 0.0, 1.0 / kFreeSpeed}, m_leftMotor),
      m_rightLoop({0.3, 0.8, 0.0, 1.0 / kFreeSpeed}, m_rightMotor) {}

DemoRobot::~DemoRobot() {
  m_scanLidar.Stop();
  m_scanLidar.Destroy();
}

void DemoRobot::RobotInit() {
  // Identity: the first query reads it from the controller, later ones come from memory.
  std::ostringstream orvex;
  orvex << "Orvex CAN " << kDriveCanId << ": ID " << m_drive.GetID() << ", firmware "
        << m_drive.GetFirmwareVersion() << ", hardware " << m_drive.GetHardwareVersion()
        << ", serial " << m_drive.GetSerialNumber() << ", " << m_drive.GetFrequency() << " Hz, "
        << std::fixed << std::setprecision(1) << m_drive.GetControllerTemp() << " C";
  m_identity.push_back(orvex.str());

  // Brake when a motor is told to stop; the controller's own PID type for speed control.
  m_drive.SetMotorStopMode(1);
  m_drive.SetPIDType(0);
  for (velmora::Orvex::Motor* motor : {&m_leftMotor, &m_rightMotor}) {
    motor->SetCurrentLimit(40.0f);
    motor->SetSensitivity(5);
  }
  m_leftEncoder.Reset();
  m_rightEncoder.Reset();

  const velmora::LidarMini::LidarInfo info = m_scanLidar.GetInfo();
  const velmora::LidarMini::LidarHealth health = m_scanLidar.GetHealth();
  std::ostringstream lidar;
  lidar << "LidarMini: model " << Hex(info.model) << ", firmware "
        << static_cast<int>(info.firmwareMajor) << "." << static_cast<int>(info.firmwareMinor)
        << ", hardware " << static_cast<int>(info.hardware) << ", serial " << info.GetSerialString()
        << ", health " << static_cast<int>(health.status);
  m_identity.push_back(lidar.str());
  m_scanLidar.Start();

  // The large lidar smooths its readings in the driver: a median over 5 scans, then a moving
  // average over 3, clusters of at least 3 points, a light Kalman filter and a jitter limit.
  m_filterLidar.MedianConfig(5);
  m_filterLidar.MovingAverageConfig(3);
  m_filterLidar.ClusterConfig(0.05f, 3);
  m_filterLidar.KalmanConfig(0.01f, 0.1f, 1.0f);
  m_filterLidar.JitterConfig(0.02f);
  m_filterLidar.EnableFilter(velmora::Lidar::Filter::kMedian, true);
  m_filterLidar.EnableFilter(velmora::Lidar::Filter::kMovingAverage, true);
  m_filterLidar.EnableFilter(velmora::Lidar::Filter::kCluster, true);
  m_filterLidar.Start();
  m_identity.emplace_back("Lidar: median 5, moving average 3, cluster 3, Kalman and jitter set");

  // The colour sensor reports hue, saturation and value: a line is a hue, whatever the light.
  m_colourSensor.SetColorFormat(velmora::Lumira::ColorFormat::kHSV);
  m_colourSensor.SetSampleTimeMs(20);
  m_colourSensor.SetBrightness(200);
  std::ostringstream lumira;
  lumira << "Lumira CAN " << m_colourSensor.GetCanID() << " over "
         << (m_colourSensor.GetTransport() == velmora::Lumira::Transport::kUSB ? "USB" : "CAN")
         << ", colour format HSV";
  m_identity.push_back(lumira.str());

  const velmora::Pallax::ScanData pallaxScan = m_pallax.GetData(16);
  const velmora::Pallax::Config pallaxConfig = m_pallax.GetConfig(0);
  std::ostringstream pallax;
  pallax << "Pallax CAN " << m_pallax.GetCanID() << ": scan of " << pallaxScan.values.size()
         << " values";
  if (!pallaxScan.values.empty()) {
    const auto [lo, hi] = std::minmax_element(pallaxScan.values.begin(), pallaxScan.values.end());
    pallax << " from " << *lo << " to " << *hi;
  }
  pallax << ", config " << static_cast<int>(pallaxConfig.valueA) << "/"
         << static_cast<int>(pallaxConfig.valueB) << "/" << static_cast<int>(pallaxConfig.valueC);
  m_identity.push_back(pallax.str());

  m_sweepServo.SetAngle(0.0);
  m_sweepServoOffline = false;
  m_roller.StopMotor();
}

void DemoRobot::AutonomousInit(double now) {
  m_startTime = now;
  m_lastTime = now;
  m_phase = Phase::kCruise;
  m_targetSpeed = 0.0;
  m_leftLoop.Reset();
  m_rightLoop.Reset();
  m_leftMotor.SetPositionHold(false);
  m_rightMotor.SetPositionHold(false);
  // Faster scans while the robot moves: 6 Hz to 10 Hz in whole-hertz steps.
  for (int i = 0; i < 4; ++i) m_scanLidar.IncreaseFrequencyHz();
  m_nextScanTime = now;
  Tell(now, "enabled: driving towards the far wall");
}

void DemoRobot::AutonomousPeriodic(double now) {
  ReadScanIfDue(now);
  ReadColour(now);
  Drive(now);
  RunMechanisms(now);
  Record(now);
  m_lastTime = now;
}

void DemoRobot::DisabledInit(double now) {
  m_leftMotor.StopMotor();
  m_rightMotor.StopMotor();
  m_leftMotor.Disable();
  m_rightMotor.Disable();
  m_roller.StopMotor();
  m_sweepServo.SetOffline();
  m_sweepServoOffline = true;
  ReadLargeLidar();
  m_filterLidar.Stop();
  m_phase = Phase::kDisabled;
  Record(now);
  Tell(now, "disabled: every output stopped");
}

std::vector<Event> DemoRobot::TakeEvents() { return std::exchange(m_events, {}); }

void DemoRobot::Tell(double now, std::string text) {
  m_events.push_back(Event{now - m_startTime, std::move(text)});
}

double DemoRobot::EncoderDistance() {
  return (m_leftEncoder.GetEncoderDistance() + m_rightEncoder.GetEncoderDistance()) / 2.0;
}

double DemoRobot::EncoderSpeed() {
  return (m_leftEncoder.GetSpeed() + m_rightEncoder.GetSpeed()) / 2.0;
}

// A new scan arrives once per turn of the lidar, so the robot asks at the scan frequency.
void DemoRobot::ReadScanIfDue(double now) {
  if (now + 1e-9 < m_nextScanTime) return;
  m_scan = m_scanLidar.GetData();
  m_scanAhead = m_scan.GetDistanceAt(0.0f, kAheadToleranceDeg);
  m_distanceAtScan = EncoderDistance();
  m_nextScanTime = now + 1.0 / m_scanLidar.GetCurrentFrequency();
}

void DemoRobot::ReadColour(double now) {
  const velmora::Lumira::ColorData c = m_colourSensor.GetColor();
  m_colour = ColourName(c.component1, c.component2, c.component3);
  const bool onLine = m_colour != "grey";
  if (onLine && !m_onLine) {
    std::ostringstream text;
    text << m_colour << " line under the robot, " << std::fixed << std::setprecision(2)
         << EncoderDistance() << " m from the start";
    Tell(now, text.str());
  }
  m_onLine = onLine;
}

void DemoRobot::Drive(double now) {
  const double dt = std::max(now - m_lastTime, kPeriodSeconds);
  if (m_phase != Phase::kCruise && m_phase != Phase::kApproach) return;

  // The wall is where the last scan saw it, less what the robot has driven since.
  double room = -1.0;
  if (m_scanAhead > 0.0f) {
    room = m_scanAhead - (EncoderDistance() - m_distanceAtScan) - kBumperRadius - kStopGap;
  }
  // Braking curve: the fastest speed from which the robot can still stop in the room left.
  double wanted = kCruiseSpeed;
  if (room >= 0.0) wanted = std::min(wanted, std::sqrt(2.0 * kDeceleration * room));
  if (room >= 0.0 && room < 0.01) wanted = 0.0;
  if (room < 0.0 && m_scanAhead > 0.0f) wanted = 0.0;  // already closer than the gap
  m_targetSpeed = std::min(wanted, m_targetSpeed + kAcceleration * dt);

  if (m_phase == Phase::kCruise && wanted < kCruiseSpeed) {
    m_phase = Phase::kApproach;
    std::ostringstream text;
    text << "wall ahead at " << std::fixed << std::setprecision(2) << m_scanAhead
         << " m: braking, scanning faster";
    Tell(now, text.str());
    // Closer to the wall, fresher scans: up to the 12 Hz maximum.
    m_scanLidar.IncreaseFrequencyHz();
    m_scanLidar.IncreaseFrequencyHz();
  }

  if (m_phase == Phase::kApproach && m_targetSpeed == 0.0 && std::fabs(EncoderSpeed()) < 0.02) {
    m_phase = Phase::kParked;
    m_leftMotor.StopMotor();
    m_rightMotor.StopMotor();
    // Hold the wheels where they are.
    m_leftMotor.SetPositionHold(true);
    m_rightMotor.SetPositionHold(true);
    std::ostringstream text;
    text << "parked, " << std::fixed << std::setprecision(2)
         << (m_scan.GetDistanceAt(0.0f, kAheadToleranceDeg) - kBumperRadius)
         << " m between bumper and wall";
    Tell(now, text.str());
    // Parked, the robot needs scans less often: down to 8.5 Hz, in whole and tenth steps.
    m_scanLidar.DecreaseFrequencyHz();
    m_scanLidar.DecreaseFrequencyHz();
    m_scanLidar.DecreaseFrequencyHz();
    for (int i = 0; i < 5; ++i) m_scanLidar.DecreaseFrequencyTenthHz();
    return;
  }

  m_leftLoop.Update(m_targetSpeed, m_leftEncoder.GetSpeed(), dt);
  m_rightLoop.Update(m_targetSpeed, m_rightEncoder.GetSpeed(), dt);
}

void DemoRobot::RunMechanisms(double now) {
  // The servo sweeps its whole travel, up and back, every 4 seconds.
  const double phase = std::fmod(now - m_startTime, 4.0) / 4.0;
  m_sweepServo.SetAngle(300.0 * (phase < 0.5 ? 2.0 * phase : 2.0 - 2.0 * phase));
  m_sweepServoOffline = false;
  // The roller pulls in while the robot drives and stops when it parks.
  const bool driving = m_phase == Phase::kCruise || m_phase == Phase::kApproach;
  if (driving) {
    m_roller.Set(0.6);
  } else {
    m_roller.StopMotor();
  }
}

void DemoRobot::ReadLargeLidar() {
  const velmora::Lidar::ScanData block = m_filterLidar.GetData();
  m_nearestFiltered = -1.0f;
  for (int i = 0; i < 360; ++i) {
    const float d = block.distances[i];
    if (d > 0.0f && (m_nearestFiltered < 0.0f || d < m_nearestFiltered)) {
      m_nearestFiltered = d;
      m_nearestFilteredAngle = block.angles[i];
    }
  }
}

void DemoRobot::Record(double now) {
  Telemetry& t = m_telemetry;
  t.time = now - m_startTime;
  t.phase = m_phase;
  t.leftCommand = m_leftMotor.Get();
  t.rightCommand = m_rightMotor.Get();
  t.leftRpm = m_leftMotor.GetRPM();
  t.rightRpm = m_rightMotor.GetRPM();
  t.speed = EncoderSpeed();
  t.targetSpeed = m_targetSpeed;
  t.distance = EncoderDistance();
  t.leftCount = m_leftEncoder.GetCount();
  t.rightCount = m_rightEncoder.GetCount();
  t.ahead = m_scanAhead;
  t.colour = m_colour;
  for (int i = 0; i < 4; ++i) t.analog[i] = m_analog.GetVoltage(i);
  // An offline servo (no pulse) holds no angle: it reads 0, as the robot's hardware layer reads
  // the position back from the pulse, also on a desktop WPILib whose simulated layer keeps the
  // last position set.
  t.servoAngle = m_sweepServoOffline ? 0.0 : m_sweepServo.GetAngle();
  t.rollerSpeed = m_roller.Get();
  t.lidarHz = m_scanLidar.GetCurrentFrequency();
  t.temperature = m_drive.GetControllerTemp();
}

}  // namespace demo
