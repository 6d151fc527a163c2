package dev.velmora.frc.sim;

import java.util.Objects;

/**
 * The simulated world: time, the field, the robot on it and the simulated devices' physical
 * settings. Static methods only; the world is one per program, as the driver is.
 *
 * <p>A test that drives a robot on the field, in brief:
 *
 * <pre>{@code
 * SimWorld.reset();
 * Orvex drive = new Orvex(5);
 * SimWorld.attachDrive(5, 0, 1, 0.1);     // left wheels on motor 0, right on motor 1
 * SimWorld.placeRobot(1.0, 2.0, 0.0);     // facing along x
 * drive.getMotor(0).set(0.5);
 * drive.getMotor(1).set(0.5);
 * SimWorld.simStep(1.0);                   // one simulated second
 * assertTrue(SimWorld.robotPose().x > 1.0);
 * }</pre>
 *
 * <p><b>Time.</b> The world moves in fixed 5 ms ticks. Built against WPILib (as the released
 * simulation driver is), it follows WPILib's simulated clock: in a WPILib simulation
 * ({@code simulateJava}) the world moves as the robot program runs, and a test moves it with
 * {@link #simStep(double)}, which steps WPILib's clock and so needs WPILib's timing paused
 * ({@code SimHooks.pauseTiming()}); with timing running it is refused.
 */
public final class SimWorld {
  static {
    NativeLoader.load();
  }

  private SimWorld() {}

  /** The robot's place on the field: x and y in metres from the field's corner, heading in radians (0 along +x). */
  public static final class Pose {
    /** Metres from the field's corner along its width. */
    public final double x;
    /** Metres from the field's corner along its height. */
    public final double y;
    /** Radians, 0 along +x, counter-clockwise positive. */
    public final double heading;

    /**
     * A pose.
     *
     * @param x metres along the field's width
     * @param y metres along the field's height
     * @param heading radians, 0 along +x
     */
    public Pose(double x, double y, double heading) {
      this.x = x;
      this.y = y;
      this.heading = heading;
    }

    @Override
    public String toString() {
      return "Pose(x=" + x + " m, y=" + y + " m, heading=" + heading + " rad)";
    }
  }

  /** What one simulated motor channel of a controller is doing now. */
  public static final class MotorState {
    /** False when no open controller has the CAN ID asked for. */
    public final boolean exists;
    /** The last speed sent, -1 to 1 at full scale. */
    public final double commanded;
    /** False after {@code disableMotor} until the next speed. */
    public final boolean enabled;
    /** What the channel is steering towards, RPM. */
    public final double targetRpm;
    /** The shaft's speed, RPM. */
    public final double rpm;
    /** Shaft revolutions since the last encoder reset. */
    public final double revolutions;
    /** Distance per revolution, from the encoder's setup. */
    public final double encoderSetup;
    /** The encoder's 32-bit count register (it wraps). */
    public final int encoderCount;
    /** The controller's temperature, degrees Celsius. */
    public final double temperature;
    /** Whether the shaft is held ({@link #setOrvexMotorLocked}). */
    public final boolean locked;
    /** The inertia on the shaft, kg m^2. */
    public final double inertia;
    /** The controller's output, -1 to 1. */
    public final double duty;
    /** The current through the motor, A. */
    public final double current;

    MotorState(double[] v) {
      exists = v[0] != 0;
      commanded = v[1];
      enabled = v[2] != 0;
      targetRpm = v[3];
      rpm = v[4];
      revolutions = v[5];
      encoderSetup = v[6];
      encoderCount = (int) v[7];
      temperature = v[8];
      locked = v[9] != 0;
      inertia = v[10];
      duty = v[11];
      current = v[12];
    }
  }

  /** The robot's battery: an open-circuit voltage behind an internal resistance. */
  public static final class Battery {
    /** The open-circuit voltage, V. */
    public final double emf;
    /** The internal resistance, ohm. */
    public final double resistance;
    /** The voltage at the bus, after the sag of the current drawn, V. */
    public final double volts;
    /** The current every controller draws, A. */
    public final double current;

    Battery(double[] v) {
      emf = v[0];
      resistance = v[1];
      volts = v[2];
      current = v[3];
    }
  }

  /**
   * The field: a walled rectangle (origin in one corner, metres), one box-shaped obstacle and a
   * coloured line across the floor at {@code x = lineX}; colours as red, green and blue 0 to 1.
   * The defaults are the simulation's own field.
   */
  public static final class Field {
    /** Metres along x. */
    public double width = 8.0;
    /** Metres along y. */
    public double height = 4.0;
    /** The obstacle's corner nearest the origin, metres. */
    public double obstacleX = 5.5;
    /** The obstacle's corner nearest the origin, metres. */
    public double obstacleY = 2.6;
    /** The obstacle's size along x, metres. */
    public double obstacleWidth = 0.6;
    /** The obstacle's size along y, metres. */
    public double obstacleHeight = 0.6;
    /** Where the line crosses the field (its centre), metres. */
    public double lineX = 3.0;
    /** The line's width, metres. */
    public double lineWidth = 0.15;
    /** The carpet's colour. */
    public float[] carpet = {0.5f, 0.5f, 0.5f};
    /** The line's colour. */
    public float[] line = {0.1f, 0.3f, 0.9f};

    /** The simulation's own field. */
    public Field() {}

    double[] numbers() {
      return new double[] {width, height, obstacleX, obstacleY, obstacleWidth, obstacleHeight,
          lineX, lineWidth, carpet[0], carpet[1], carpet[2], line[0], line[1], line[2]};
    }

    static Field of(double[] v) {
      Field f = new Field();
      f.width = v[0];
      f.height = v[1];
      f.obstacleX = v[2];
      f.obstacleY = v[3];
      f.obstacleWidth = v[4];
      f.obstacleHeight = v[5];
      f.lineX = v[6];
      f.lineWidth = v[7];
      f.carpet = new float[] {(float) v[8], (float) v[9], (float) v[10]};
      f.line = new float[] {(float) v[11], (float) v[12], (float) v[13]};
      return f;
    }
  }

  /** The longest {@link #simStep(double)}, seconds (an hour). */
  public static final double MAX_SIM_STEP_SECONDS = 3600.0;

  /**
   * Every simulated device, the field, the robot, the battery and simulated time back to their
   * start; every open device is released in the driver (device objects still open read nothing
   * afterwards: make them again).
   */
  public static void reset() {
    nativeReset();
  }

  /**
   * Moves simulated time on by whole 5 ms ticks.
   *
   * @param seconds how far, 0 to {@link #MAX_SIM_STEP_SECONDS}
   * @return false (nothing moved, a line on standard error says why) for a negative, too long or
   *     not-a-number step, or, built against WPILib, while WPILib's timing is running
   */
  public static boolean simStep(double seconds) {
    return nativeSimStep(seconds);
  }

  /**
   * Simulated seconds since the last reset.
   *
   * @return seconds
   */
  public static double simTime() {
    return nativeSimTime();
  }

  /**
   * The simulated time on the program's clock, as device timestamps give it.
   *
   * @return microseconds
   */
  public static long simClockMicros() {
    return nativeSimClockMicros();
  }

  /**
   * Returns once every change the devices made so far is in WPILib's sim data: sim devices, sim
   * values and the battery voltage. The driver publishes them after each call, one thread at a
   * time; a call that finds another thread publishing (the world's own pass on WPILib's clock,
   * say) leaves its changes to that thread and returns. So a test that reads sim values through
   * WPILib's sim API ({@code SimDeviceSim}, {@code RoboRioSim}) right after device calls calls this
   * first. {@link #simStep} does the same before it returns.
   *
   * @return false when that took longer than two seconds, which happens only when called from
   *     inside a WPILib sim callback: WPILib runs those under a lock the publishing thread needs
   */
  public static boolean flushSimValues() {
    return nativeFlushSimValues();
  }

  /**
   * Puts the robot at a pose, its heading taken into -pi to pi.
   *
   * @param x metres
   * @param y metres
   * @param heading radians
   * @return false (the robot where it was) unless every number is finite and the robot's centre
   *     is on the field
   */
  public static boolean placeRobot(double x, double y, double heading) {
    return nativePlaceRobot(x, y, heading);
  }

  /**
   * Where the robot really is.
   *
   * @return its pose
   */
  public static Pose robotPose() {
    double[] p = nativeRobotPose();
    return new Pose(p[0], p[1], p[2]);
  }

  /**
   * How far the robot really travelled since the reset.
   *
   * @return metres along its path
   */
  public static double robotDistanceTravelled() {
    return nativeRobotDistanceTravelled();
  }

  /**
   * Puts the robot's left and right wheels on two channels of a controller. Without it the
   * robot stands still, whatever its motors do.
   *
   * @param canId the controller's CAN ID
   * @param leftMotor the left wheels' channel, 0 to 3
   * @param rightMotor the right wheels' channel, 0 to 3, not the left one
   * @param metresPerRevolution how far a wheel rolls in one motor revolution (after the gearbox)
   * @return false (the drive unchanged) unless the channels are two different ones of 0 to 3 and
   *     the distance is finite
   */
  public static boolean attachDrive(int canId, int leftMotor, int rightMotor,
      double metresPerRevolution) {
    return nativeAttachDrive(canId, leftMotor, rightMotor, metresPerRevolution);
  }

  /**
   * Distance from a point of the field to the first wall or obstacle along a direction.
   *
   * @param x metres
   * @param y metres
   * @param angle radians
   * @return metres
   */
  public static double rayDistance(double x, double y, double angle) {
    return nativeRayDistance(x, y, angle);
  }

  /**
   * The field the robot drives on.
   *
   * @return a copy of it
   */
  public static Field field() {
    return Field.of(nativeField());
  }

  /**
   * Another field, from now until the next reset.
   *
   * @param field the field
   * @return false (the field unchanged) unless every number is finite, the field is at least 1 m
   *     each way, the obstacle and the line have sizes of 0 or more and the colours are within 0
   *     to 1
   * @throws NullPointerException if field or one of its colours is null
   * @throws IllegalArgumentException if a colour does not have three components
   */
  public static boolean setField(Field field) {
    Objects.requireNonNull(field, "field");
    Objects.requireNonNull(field.carpet, "field.carpet");
    Objects.requireNonNull(field.line, "field.line");
    if (field.carpet.length != 3 || field.line.length != 3) {
      throw new IllegalArgumentException("a colour is red, green and blue: three components");
    }
    return nativeSetField(field.numbers());
  }

  /**
   * What one motor channel of a simulated controller is doing now.
   *
   * @param canId the controller's CAN ID
   * @param index the channel, 0 to 3
   * @return its state; {@link MotorState#exists} is false when no open controller has the ID
   */
  public static MotorState orvexChannel(int canId, int index) {
    return new MotorState(nativeOrvexChannel(canId, index));
  }

  /**
   * Holds a motor's shaft (or lets it go): a locked shaft does not turn, whatever the controller
   * gives it, and draws what a stalled motor draws.
   *
   * @param canId the controller's CAN ID
   * @param index the channel, 0 to 3
   * @param locked whether the shaft is held
   */
  public static void setOrvexMotorLocked(int canId, int index, boolean locked) {
    nativeSetOrvexMotorLocked(canId, index, locked);
  }

  /**
   * The inertia on a channel's shaft, from now until the controller is destroyed.
   *
   * @param canId the controller's CAN ID
   * @param index the channel, 0 to 3
   * @param inertia kg m^2
   * @return false (nothing changed) unless the controller is open and the inertia is positive and
   *     finite
   */
  public static boolean setOrvexLoadInertia(int canId, int index, double inertia) {
    return nativeSetOrvexLoadInertia(canId, index, inertia);
  }

  /**
   * Sets a limit switch of a simulated controller's channel.
   *
   * @param canId the controller's CAN ID
   * @param index the channel, 0 to 3
   * @param which which of the channel's two switches
   * @param state the state it reports
   * @return false (nothing changed) when no open controller has the ID or the channel is not 0 to
   *     3
   */
  public static boolean setOrvexLimitSwitch(int canId, int index, boolean which, int state) {
    return nativeSetOrvexLimitSwitch(canId, index, which, state);
  }

  /**
   * Sets the absolute encoder's position of a simulated controller's channel.
   *
   * @param canId the controller's CAN ID
   * @param index the channel, 0 to 3
   * @param position the position it reports, finite
   * @return false (nothing changed) when no open controller has the ID, the channel is not 0 to 3
   *     or the position is not finite
   */
  public static boolean setOrvexZynderPosition(int canId, int index, double position) {
    return nativeSetOrvexZynderPosition(canId, index, position);
  }

  /**
   * The robot's battery now.
   *
   * @return its state
   */
  public static Battery battery() {
    return new Battery(nativeBattery());
  }

  /**
   * The battery's open-circuit voltage, from now until the next reset.
   *
   * @param volts 0 to 16
   * @return false (nothing changed) unless finite and within 0 to 16 V
   */
  public static boolean setBatteryEmf(double volts) {
    return nativeSetBatteryEmf(volts);
  }

  /**
   * The colour every simulated colour sensor sees, from now until the next reset (until then a
   * sensor sees the floor under the robot).
   *
   * @param red 0 to 1
   * @param green 0 to 1
   * @param blue 0 to 1
   * @return false (nothing changed) unless each component is within 0 to 1
   */
  public static boolean setLumiraColor(float red, float green, float blue) {
    return nativeSetLumiraColor(red, green, blue);
  }

  /**
   * The voltage on one input of the simulated analog board, from now until the next reset (an
   * input never set follows its signal of simulated time).
   *
   * @param channel 0 to 7
   * @param volts finite
   * @return false (nothing changed) for another input or a voltage that is not finite
   */
  public static boolean setAdexaVoltage(int channel, float volts) {
    return nativeSetAdexaVoltage(channel, volts);
  }

  /**
   * Whether the simulated driver station exists and is enabled.
   *
   * @return true when a {@code MockDS} is open and enabled
   */
  public static boolean mockDSEnabled() {
    return nativeMockDSEnabled();
  }

  private static native void nativeReset();

  private static native boolean nativeSimStep(double seconds);

  private static native double nativeSimTime();

  private static native long nativeSimClockMicros();

  private static native boolean nativeFlushSimValues();

  private static native boolean nativePlaceRobot(double x, double y, double heading);

  private static native double[] nativeRobotPose();

  private static native double nativeRobotDistanceTravelled();

  private static native boolean nativeAttachDrive(int canId, int left, int right, double metres);

  private static native double nativeRayDistance(double x, double y, double angle);

  private static native double[] nativeField();

  private static native boolean nativeSetField(double[] numbers);

  private static native double[] nativeOrvexChannel(int canId, int index);

  private static native void nativeSetOrvexMotorLocked(int canId, int index, boolean locked);

  private static native boolean nativeSetOrvexLoadInertia(int canId, int index, double inertia);

  private static native boolean nativeSetOrvexLimitSwitch(int canId, int index, boolean which,
      int state);

  private static native boolean nativeSetOrvexZynderPosition(int canId, int index,
      double position);

  private static native double[] nativeBattery();

  private static native boolean nativeSetBatteryEmf(double volts);

  private static native boolean nativeSetLumiraColor(float red, float green, float blue);

  private static native boolean nativeSetAdexaVoltage(int channel, float volts);

  private static native boolean nativeMockDSEnabled();
}
