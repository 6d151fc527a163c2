package dev.velmora.frc.sim;

/**
 * The simulation driver's own face, for tests and the demo: reset, scripted results, the journal,
 * simulated time and the simulated field. Not part of the library: a robot program on the real
 * driver has none of it.
 */
public final class SimDriver {
  static {
    System.loadLibrary("VelmoraSimTestJNI");
  }

  private SimDriver() {}

  /** Journal, scripts and simulated devices back to their start. */
  public static native void reset();

  /** One "script" line of the scenario table, without the word "script". */
  public static native void script(String line);

  /** The calls since the last take, in the scenario table's words; the journal is emptied. */
  public static native String[] takeJournal();

  /** Switches the journal on or off (off for loops that would fill it). */
  public static native void enableJournal(boolean on);

  /** Moves simulated time on. */
  public static native void simStep(double seconds);

  /** Simulated seconds since the last reset. */
  public static native double simTime();

  /** The speed last commanded to a simulated motor channel. */
  public static native double orvexCommanded(int canId, int index);

  /** How many small lidars are open in the driver. */
  public static native int openLidarMinis();

  /** Whether the simulated driver station exists and is enabled. */
  public static native boolean mockDSEnabled();

  /**
   * Puts the robot's left and right wheels on two channels of a controller.
   *
   * @param canId the controller's CAN ID
   * @param leftMotor the left wheels' channel
   * @param rightMotor the right wheels' channel
   * @param metresPerRevolution how far a wheel rolls in one motor revolution
   */
  public static native void attachDrive(int canId, int leftMotor, int rightMotor,
      double metresPerRevolution);

  /**
   * Where the robot really is.
   *
   * @return x and y in metres from the field's corner, heading in radians
   */
  public static native double[] robotPose();

  /**
   * How far the robot really travelled since the reset.
   *
   * @return metres along its path
   */
  public static native double robotDistanceTravelled();

  /**
   * Distance from a point of the field to the first wall or obstacle along a direction.
   *
   * @param x metres
   * @param y metres
   * @param angle radians
   * @return metres
   */
  public static native double rayDistance(double x, double y, double angle);

  /**
   * The driver's speed call made straight from a native method, for the cost harness.
   *
   * @param handle the controller's driver handle
   * @param index the channel
   * @param speed the speed
   */
  public static native void bareSetMotorSpeed(int handle, int index, double speed);

  /**
   * The driver's RPM read made straight from a native method, for the cost harness.
   *
   * @param handle the controller's driver handle
   * @param index the channel
   * @return the driver's value
   */
  public static native double bareGetRPM(int handle, int index);
}
