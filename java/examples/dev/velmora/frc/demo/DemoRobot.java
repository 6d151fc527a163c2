package dev.velmora.frc.demo;

import dev.velmora.frc.Adexa;
import dev.velmora.frc.Lidar;
import dev.velmora.frc.LidarMini;
import dev.velmora.frc.Lumira;
import dev.velmora.frc.Orvex;
import dev.velmora.frc.Pallax;
import dev.velmora.frc.Servo;
import dev.velmora.frc.ServoContinuous;
import edu.wpi.first.wpilibj.PIDOutput;
import java.util.ArrayList;
import java.util.List;

/**
 * The demo robot program: one robot with every Velmora device on it, written the way a team
 * writes its own program, so that it can be copied as a skeleton.
 *
 * <p>The robot drives straight across the field under a small PID speed loop, watches the wall
 * ahead with the small lidar and stops in front of it, notices the coloured line on the floor
 * with the colour sensor, sweeps a servo, runs a continuous servo while it drives, and reads the
 * analog board. The methods follow WPILib's robot life cycle (robotInit, autonomousInit,
 * autonomousPeriodic, disabledInit); whatever calls them stands in for WPILib's robot loop. The
 * robot uses nothing but the library and WPILib: no simulation extras.
 */
public final class DemoRobot implements AutoCloseable {
  // Where everything is plugged in, and the robot's dimensions and tuning.
  static final int DRIVE_CAN_ID = 5; // Orvex: motor and encoder 0 left, 1 right
  static final int LEFT_MOTOR = 0;
  static final int RIGHT_MOTOR = 1;
  static final int COLOUR_SENSOR_CAN_ID = 3;
  static final int PALLAX_CAN_ID = 9;
  static final int SWEEP_SERVO_PWM = 0;
  static final int ROLLER_SERVO_PWM = 1;
  static final double PERIOD_SECONDS = 0.02; // the robot loop runs every 20 ms, as WPILib's does
  // Wheel travel per motor revolution, after the gearbox: 5000 RPM of free speed is 2 m/s.
  static final double METRES_PER_REVOLUTION = 0.024;
  static final double FREE_SPEED = 5000.0 / 60.0 * METRES_PER_REVOLUTION; // m/s
  static final double BUMPER_RADIUS = 0.3; // from the robot's centre (where the lidar sits), m
  static final double CRUISE_SPEED = 1.2; // m/s
  static final double ACCELERATION = 1.5; // m/s^2, how fast the speed target may rise
  static final double DECELERATION = 0.8; // m/s^2, the braking curve in front of the wall
  static final double STOP_GAP = 0.25; // bumper to wall when parked, m
  static final float AHEAD_TOLERANCE_DEG = 2.0f; // how far off 0 degrees a lidar point may be

  /**
   * A small PID speed loop that writes its output to any WPILib PID output, here a motor
   * channel. The feed-forward term carries most of the command; the PID terms make up the rest.
   */
  @SuppressWarnings("removal") // wpilibj 2020 marks PIDOutput for removal; it is still its type
  static final class SpeedLoop {
    private final double m_kP;
    private final double m_kI;
    private final double m_kD;
    private final double m_kF;
    private final PIDOutput m_output;
    private double m_integral;
    private double m_lastError;
    private boolean m_started;

    SpeedLoop(double kP, double kI, double kD, double kF, PIDOutput output) {
      m_kP = kP;
      m_kI = kI;
      m_kD = kD;
      m_kF = kF;
      m_output = output;
    }

    double update(double setpoint, double measurement, double dt) {
      double error = setpoint - measurement;
      double derivative = m_started && dt > 0.0 ? (error - m_lastError) / dt : 0.0;
      m_started = true;
      m_lastError = error;
      double unlimited = m_kF * setpoint + m_kP * error + m_kI * (m_integral + error * dt)
          + m_kD * derivative;
      double output = Math.max(-1.0, Math.min(1.0, unlimited));
      // Integrate only while the output is not pinned at a limit, so the loop does not wind up.
      if (output == unlimited) {
        m_integral += error * dt;
      }
      m_output.pidWrite(output);
      return output;
    }

    void reset() {
      m_integral = 0.0;
      m_lastError = 0.0;
      m_started = false;
    }
  }

  /** What the robot is doing. */
  enum Phase {
    kWaiting("waiting"), kCruise("cruise"), kApproach("approach"), kParked("parked"),
    kDisabled("disabled");

    final String text;

    Phase(String text) {
      this.text = text;
    }
  }

  /** One period as the robot saw it: its own telemetry, from its own sensors. */
  static final class Telemetry {
    double time;
    Phase phase = Phase.kWaiting;
    double leftCommand;
    double rightCommand;
    double leftRpm;
    double rightRpm;
    double speed;
    double targetSpeed;
    double distance;
    int leftCount;
    int rightCount;
    float ahead = -1.0f;
    String colour = "";
    final float[] analog = new float[4];
    double servoAngle;
    double rollerSpeed;
    float lidarHz;
    double temperature;

    Telemetry copy() {
      Telemetry t = new Telemetry();
      t.time = time;
      t.phase = phase;
      t.leftCommand = leftCommand;
      t.rightCommand = rightCommand;
      t.leftRpm = leftRpm;
      t.rightRpm = rightRpm;
      t.speed = speed;
      t.targetSpeed = targetSpeed;
      t.distance = distance;
      t.leftCount = leftCount;
      t.rightCount = rightCount;
      t.ahead = ahead;
      t.colour = colour;
      System.arraycopy(analog, 0, t.analog, 0, 4);
      t.servoAngle = servoAngle;
      t.rollerSpeed = rollerSpeed;
      t.lidarHz = lidarHz;
      t.temperature = temperature;
      return t;
    }
  }

  /** Something worth telling that happened during a period. */
  static final class Event {
    final double time;
    final String text;

    Event(double time, String text) {
      this.time = time;
      this.text = text;
    }
  }

  // Devices.
  private final Orvex m_drive = new Orvex(DRIVE_CAN_ID);
  private final Orvex.Motor m_leftMotor = m_drive.getMotor(LEFT_MOTOR);
  private final Orvex.Motor m_rightMotor = m_drive.getMotor(RIGHT_MOTOR);
  private final Orvex.Encoder m_leftEncoder = m_drive.getEncoder(LEFT_MOTOR, METRES_PER_REVOLUTION);
  private final Orvex.Encoder m_rightEncoder =
      m_drive.getEncoder(RIGHT_MOTOR, METRES_PER_REVOLUTION);
  private final LidarMini m_scanLidar = new LidarMini(LidarMini.Port.kUSB0);
  private final Lidar m_filterLidar = new Lidar(Lidar.Port.kUSB1);
  private final Lumira m_colourSensor = new Lumira(COLOUR_SENSOR_CAN_ID);
  private final Pallax m_pallax = new Pallax(PALLAX_CAN_ID);
  private final Adexa m_analog = new Adexa(5.0);
  private final Servo m_sweepServo = new Servo(SWEEP_SERVO_PWM);
  private boolean m_sweepServoOffline; // setOffline since the last setAngle
  private final ServoContinuous m_roller = new ServoContinuous(ROLLER_SERVO_PWM);

  // Control: the loops see the motor channels only as WPILib PID outputs.
  private final SpeedLoop m_leftLoop = new SpeedLoop(0.3, 0.8, 0.0, 1.0 / FREE_SPEED, m_leftMotor);
  private final SpeedLoop m_rightLoop =
      new SpeedLoop(0.3, 0.8, 0.0, 1.0 / FREE_SPEED, m_rightMotor);
  private Phase m_phase = Phase.kWaiting;
  private double m_lastTime;
  private double m_startTime;
  private double m_targetSpeed;

  // What the sensors said last.
  private LidarMini.ScanData m_scan = new LidarMini.ScanData();
  private double m_nextScanTime;
  private float m_scanAhead = -1.0f;
  private double m_distanceAtScan;
  private String m_colour = "";
  private boolean m_onLine;
  private float m_nearestFiltered = -1.0f;
  private float m_nearestFilteredAngle;

  private final Telemetry m_telemetry = new Telemetry();
  private final List<Event> m_events = new ArrayList<>();
  private final List<String> m_identity = new ArrayList<>();

  /** Releases every device, the small lidar (which needs its explicit destroy) among them. */
  @Override
  public void close() {
    m_scanLidar.stop();
    m_scanLidar.destroy();
    m_roller.close();
    m_sweepServo.close();
    m_analog.close();
    m_pallax.close();
    m_colourSensor.close();
    m_drive.close();
  }

  /** Once at start-up: identity, configuration, lidars started. */
  public void robotInit() {
    // Identity: the first query reads it from the controller, later ones come from memory.
    m_identity.add("Orvex CAN " + DRIVE_CAN_ID + ": ID " + m_drive.getID() + ", firmware "
        + m_drive.getFirmwareVersion() + ", hardware " + m_drive.getHardwareVersion()
        + ", serial " + m_drive.getSerialNumber() + ", " + m_drive.getFrequency() + " Hz, "
        + Report.fixed(m_drive.getControllerTemp(), 1) + " C");

    // Brake when a motor is told to stop; the controller's own PID type for speed control.
    m_drive.setMotorStopMode(1);
    m_drive.setPIDType(0);
    for (Orvex.Motor motor : List.of(m_leftMotor, m_rightMotor)) {
      motor.setCurrentLimit(40.0);
      motor.setSensitivity(5);
    }
    m_leftEncoder.reset();
    m_rightEncoder.reset();

    LidarMini.LidarInfo info = m_scanLidar.getInfo();
    LidarMini.LidarHealth health = m_scanLidar.getHealth();
    m_identity.add("LidarMini: model 0x" + Integer.toHexString(info.model).toUpperCase()
        + ", firmware " + info.firmwareMajor + "." + info.firmwareMinor + ", hardware "
        + info.hardware + ", serial " + info.getSerialString() + ", health " + health.status);
    m_scanLidar.start();

    // The large lidar smooths its readings in the driver: a median over 5 scans, then a moving
    // average over 3, clusters of at least 3 points, a light Kalman filter and a jitter limit.
    m_filterLidar.medianConfig(5);
    m_filterLidar.movingAverageConfig(3);
    m_filterLidar.clusterConfig(0.05, 3);
    m_filterLidar.kalmanConfig(0.01, 0.1, 1.0);
    m_filterLidar.jitterConfig(0.02);
    m_filterLidar.enableFilter(Lidar.Filter.kMedian, true);
    m_filterLidar.enableFilter(Lidar.Filter.kMovingAverage, true);
    m_filterLidar.enableFilter(Lidar.Filter.kCluster, true);
    m_filterLidar.start();
    m_identity.add("Lidar: median 5, moving average 3, cluster 3, Kalman and jitter set");

    // The colour sensor reports hue, saturation and value: a line is a hue, whatever the light.
    m_colourSensor.setColorFormat(Lumira.ColorFormat.kHSV);
    m_colourSensor.setSampleTimeMs(20);
    m_colourSensor.setBrightness(200);
    m_identity.add("Lumira CAN " + m_colourSensor.getCanID() + " over "
        + (m_colourSensor.getTransport() == Lumira.Transport.kUSB ? "USB" : "CAN")
        + ", colour format HSV");

    Pallax.ScanData pallaxScan = m_pallax.getData(16);
    Pallax.Config pallaxConfig = m_pallax.getConfig(0);
    StringBuilder pallax = new StringBuilder("Pallax CAN " + m_pallax.getCanID() + ": scan of "
        + pallaxScan.values.length + " values");
    if (pallaxScan.values.length > 0) {
      short lo = pallaxScan.values[0];
      short hi = pallaxScan.values[0];
      for (short v : pallaxScan.values) {
        lo = (short) Math.min(lo, v);
        hi = (short) Math.max(hi, v);
      }
      pallax.append(" from ").append(lo).append(" to ").append(hi);
    }
    pallax.append(", config ").append(pallaxConfig.valueA).append('/').append(pallaxConfig.valueB)
        .append('/').append(pallaxConfig.valueC);
    m_identity.add(pallax.toString());

    m_sweepServo.setAngle(0.0);
    m_sweepServoOffline = false;
    m_roller.stopMotor();
  }

  /**
   * When the match starts (the driver station enables the robot).
   *
   * @param now seconds on the robot's clock
   */
  public void autonomousInit(double now) {
    m_startTime = now;
    m_lastTime = now;
    m_phase = Phase.kCruise;
    m_targetSpeed = 0.0;
    m_leftLoop.reset();
    m_rightLoop.reset();
    m_leftMotor.setPositionHold(false);
    m_rightMotor.setPositionHold(false);
    // Faster scans while the robot moves: 6 Hz to 10 Hz in whole-hertz steps.
    for (int i = 0; i < 4; i++) {
      m_scanLidar.increaseFrequencyHz();
    }
    m_nextScanTime = now;
    tell(now, "enabled: driving towards the far wall");
  }

  /**
   * Every period while enabled.
   *
   * @param now seconds on the robot's clock
   */
  public void autonomousPeriodic(double now) {
    readScanIfDue(now);
    readColour(now);
    drive(now);
    runMechanisms(now);
    record(now);
    m_lastTime = now;
  }

  /**
   * When the robot is disabled: every output stopped.
   *
   * @param now seconds on the robot's clock
   */
  public void disabledInit(double now) {
    m_leftMotor.stopMotor();
    m_rightMotor.stopMotor();
    m_leftMotor.disable();
    m_rightMotor.disable();
    m_roller.stopMotor();
    m_sweepServo.setOffline();
    m_sweepServoOffline = true;
    readLargeLidar();
    m_filterLidar.stop();
    m_phase = Phase.kDisabled;
    record(now);
    tell(now, "disabled: every output stopped");
  }

  Telemetry latest() {
    return m_telemetry;
  }

  List<Event> takeEvents() {
    List<Event> events = new ArrayList<>(m_events);
    m_events.clear();
    return events;
  }

  LidarMini.ScanData lastScan() {
    return m_scan;
  }

  List<String> identity() {
    return m_identity;
  }

  float nearestFilteredDistance() {
    return m_nearestFiltered;
  }

  float nearestFilteredAngle() {
    return m_nearestFilteredAngle;
  }

  private void tell(double now, String text) {
    m_events.add(new Event(now - m_startTime, text));
  }

  private double encoderDistance() {
    return (m_leftEncoder.getEncoderDistance() + m_rightEncoder.getEncoderDistance()) / 2.0;
  }

  private double encoderSpeed() {
    return (m_leftEncoder.getSpeed() + m_rightEncoder.getSpeed()) / 2.0;
  }

  // A new scan arrives once per turn of the lidar, so the robot asks at the scan frequency.
  private void readScanIfDue(double now) {
    if (now + 1e-9 < m_nextScanTime) {
      return;
    }
    m_scan = m_scanLidar.getData();
    m_scanAhead = m_scan.getDistanceAt(0.0f, AHEAD_TOLERANCE_DEG);
    m_distanceAtScan = encoderDistance();
    m_nextScanTime = now + 1.0 / m_scanLidar.getCurrentFrequency();
  }

  // A colour name for an HSV reading: hue in degrees, saturation and value 0 to 1.
  private static String colourName(float hue, float saturation, float value) {
    if (saturation < 0.4f) {
      if (value > 0.8f) {
        return "white";
      }
      if (value < 0.2f) {
        return "black";
      }
      return "grey";
    }
    if (hue < 20.0f || hue >= 330.0f) {
      return "red";
    }
    if (hue < 70.0f) {
      return "yellow";
    }
    if (hue < 160.0f) {
      return "green";
    }
    if (hue < 260.0f) {
      return "blue";
    }
    return "purple";
  }

  private void readColour(double now) {
    Lumira.ColorData c = m_colourSensor.getColor();
    m_colour = colourName(c.component1, c.component2, c.component3);
    boolean onLine = !m_colour.equals("grey");
    if (onLine && !m_onLine) {
      tell(now, m_colour + " line under the robot, " + Report.fixed(encoderDistance(), 2)
          + " m from the start");
    }
    m_onLine = onLine;
  }

  private void drive(double now) {
    double dt = Math.max(now - m_lastTime, PERIOD_SECONDS);
    if (m_phase != Phase.kCruise && m_phase != Phase.kApproach) {
      return;
    }
    // The wall is where the last scan saw it, less what the robot has driven since.
    double room = -1.0;
    if (m_scanAhead > 0.0f) {
      room = m_scanAhead - (encoderDistance() - m_distanceAtScan) - BUMPER_RADIUS - STOP_GAP;
    }
    // Braking curve: the fastest speed from which the robot can still stop in the room left.
    double wanted = CRUISE_SPEED;
    if (room >= 0.0) {
      wanted = Math.min(wanted, Math.sqrt(2.0 * DECELERATION * room));
    }
    if (room >= 0.0 && room < 0.01) {
      wanted = 0.0;
    }
    if (room < 0.0 && m_scanAhead > 0.0f) {
      wanted = 0.0; // already closer than the gap
    }
    m_targetSpeed = Math.min(wanted, m_targetSpeed + ACCELERATION * dt);

    if (m_phase == Phase.kCruise && wanted < CRUISE_SPEED) {
      m_phase = Phase.kApproach;
      tell(now, "wall ahead at " + Report.fixed(m_scanAhead, 2) + " m: braking, scanning faster");
      // Closer to the wall, fresher scans: up to the 12 Hz maximum.
      m_scanLidar.increaseFrequencyHz();
      m_scanLidar.increaseFrequencyHz();
    }

    if (m_phase == Phase.kApproach && m_targetSpeed == 0.0 && Math.abs(encoderSpeed()) < 0.02) {
      m_phase = Phase.kParked;
      m_leftMotor.stopMotor();
      m_rightMotor.stopMotor();
      // Hold the wheels where they are.
      m_leftMotor.setPositionHold(true);
      m_rightMotor.setPositionHold(true);
      tell(now, "parked, "
          + Report.fixed(m_scan.getDistanceAt(0.0f, AHEAD_TOLERANCE_DEG) - BUMPER_RADIUS, 2)
          + " m between bumper and wall");
      // Parked, the robot needs scans less often: down to 8.5 Hz, in whole and tenth steps.
      m_scanLidar.decreaseFrequencyHz();
      m_scanLidar.decreaseFrequencyHz();
      m_scanLidar.decreaseFrequencyHz();
      for (int i = 0; i < 5; i++) {
        m_scanLidar.decreaseFrequencyTenthHz();
      }
      return;
    }

    m_leftLoop.update(m_targetSpeed, m_leftEncoder.getSpeed(), dt);
    m_rightLoop.update(m_targetSpeed, m_rightEncoder.getSpeed(), dt);
  }

  private void runMechanisms(double now) {
    // The servo sweeps its whole travel, up and back, every 4 seconds.
    double phase = ((now - m_startTime) % 4.0) / 4.0;
    m_sweepServo.setAngle(300.0 * (phase < 0.5 ? 2.0 * phase : 2.0 - 2.0 * phase));
    m_sweepServoOffline = false;
    // The roller pulls in while the robot drives and stops when it parks.
    boolean driving = m_phase == Phase.kCruise || m_phase == Phase.kApproach;
    if (driving) {
      m_roller.set(0.6);
    } else {
      m_roller.stopMotor();
    }
  }

  private void readLargeLidar() {
    Lidar.ScanData block = m_filterLidar.getData();
    m_nearestFiltered = -1.0f;
    for (int i = 0; i < Lidar.kScanLength; i++) {
      float d = block.distances[i];
      if (d > 0.0f && (m_nearestFiltered < 0.0f || d < m_nearestFiltered)) {
        m_nearestFiltered = d;
        m_nearestFilteredAngle = block.angles[i];
      }
    }
  }

  private void record(double now) {
    Telemetry t = m_telemetry;
    t.time = now - m_startTime;
    t.phase = m_phase;
    t.leftCommand = m_leftMotor.get();
    t.rightCommand = m_rightMotor.get();
    t.leftRpm = m_leftMotor.getRPM();
    t.rightRpm = m_rightMotor.getRPM();
    t.speed = encoderSpeed();
    t.targetSpeed = m_targetSpeed;
    t.distance = encoderDistance();
    t.leftCount = m_leftEncoder.getCount();
    t.rightCount = m_rightEncoder.getCount();
    t.ahead = m_scanAhead;
    t.colour = m_colour;
    for (int i = 0; i < 4; i++) {
      t.analog[i] = m_analog.getVoltage(i);
    }
    // An offline servo (no pulse) holds no angle: it reads 0, as the robot's hardware layer reads
    // the position back from the pulse, also on a desktop WPILib whose simulated layer keeps the
    // last position set.
    t.servoAngle = m_sweepServoOffline ? 0.0 : m_sweepServo.getAngle();
    t.rollerSpeed = m_roller.get();
    t.lidarHz = m_scanLidar.getCurrentFrequency();
    t.temperature = m_drive.getControllerTemp();
  }
}
