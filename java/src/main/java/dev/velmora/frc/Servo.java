package dev.velmora.frc;

import edu.wpi.first.hal.HAL;
import edu.wpi.first.wpilibj.PWM;
import edu.wpi.first.wpilibj.smartdashboard.SendableBuilder;
import edu.wpi.first.wpilibj.smartdashboard.SendableRegistry;

/**
 * A positional servo with 300 degrees of travel on a WPILib PWM output ({@link PWM}); not
 * WPILib's own 180-degree {@code edu.wpi.first.wpilibj.Servo}.
 *
 * <p><b>Importing.</b> Both classes are named {@code Servo}, and both are on every robot
 * program's class path. Import this one by its full name,
 * {@code import dev.velmora.frc.Servo;}: a single-class import always wins over a package import
 * such as {@code import edu.wpi.first.wpilibj.*;}, while with two package imports and no
 * single-class import the name is ambiguous and the program does not compile, so the compiler
 * never picks one silently. When an IDE offers both for an unresolved {@code Servo}, pick
 * {@code dev.velmora.frc}. An object built from WPILib's class by mistake shows it: its
 * {@code getMaxAngle()} reads 180, not 300. To use both kinds in one file, import this one and
 * write WPILib's by its full name.
 *
 * <p>The output sends pulses from 0.5 ms (position 0.0, 0 degrees) to 2.5 ms (position 1.0, 300
 * degrees) with no deadband, at the four-times PWM period. The bottom of the range is the
 * shortest pulse the output can produce, one raw step above "no pulse", so that every angle
 * keeps the output taking commands. It never calls the maker's driver: all state lives in the
 * PWM output. Shown on the dashboard as "Servo[&lt;channel&gt;]" and reported for usage as
 * resource 33, instance channel + 1.
 *
 * <p><b>Lifetime.</b> Constructing claims the PWM channel; {@link #close()} releases it
 * (WPILib's PWM rules).
 *
 * <p><b>Threads.</b> WPILib's PWM rules: use one object from one thread at a time.
 */
public class Servo extends PWM {
  private static final double MAX_PULSE_MS = 2.5;
  private static final double MIN_PULSE_MS = 0.5;
  private static final double NO_DEADBAND_MS = 0.0;
  private static final double MAX_ANGLE = 300.0;
  private static final double MIN_ANGLE = 0.0;
  private static final int SERVO_RESOURCE_TYPE = 33;

  /**
   * Claims PWM {@code channel} with the servo's pulse settings and reports the servo for usage.
   *
   * @param channel 0 to 9 on the roboRIO's header, 10 to 19 on its MXP port
   */
  public Servo(int channel) {
    super(channel);
    setBounds(MAX_PULSE_MS, NO_DEADBAND_MS, NO_DEADBAND_MS, NO_DEADBAND_MS, MIN_PULSE_MS);
    ShortestPulse.keepProducible(this);
    setPeriodMultiplier(PeriodMultiplier.k4X);
    HAL.report(SERVO_RESOURCE_TYPE, usageInstance(channel));
    SendableRegistry.setName(this, "Servo", channel);
  }

  // Usage reports number an instance from 1: the channel plus one, never past the int range.
  static int usageInstance(int channel) {
    return channel == Integer.MAX_VALUE ? Integer.MAX_VALUE : channel + 1;
  }

  /**
   * Moves to position {@code value}; the PWM output limits values outside 0.0 to 1.0.
   *
   * @param value 0.0 (0 degrees) to 1.0 (300 degrees)
   */
  public void set(double value) {
    setPosition(value);
  }

  /** Stops the pulse (raw value 0) until the next set or setAngle: the servo goes limp. */
  public void setOffline() {
    setRaw(0);
  }

  /**
   * The position last set, read back from the PWM output.
   *
   * @return 0.0 to 1.0
   */
  public double get() {
    return getPosition();
  }

  /**
   * Moves to {@code degrees}; values outside 0 to 300 are clamped.
   *
   * @param degrees 0 to 300
   */
  public void setAngle(double degrees) {
    if (degrees < MIN_ANGLE) {
      degrees = MIN_ANGLE;
    } else if (degrees > MAX_ANGLE) {
      degrees = MAX_ANGLE;
    }
    setPosition((degrees - MIN_ANGLE) / getServoAngleRange());
  }

  /**
   * The angle last set.
   *
   * @return degrees, 0 to 300
   */
  public double getAngle() {
    return getPosition() * getServoAngleRange() + MIN_ANGLE;
  }

  /**
   * The far end of the travel.
   *
   * @return 300 degrees
   */
  public double getMaxAngle() {
    return MAX_ANGLE;
  }

  /**
   * The near end of the travel.
   *
   * @return 0 degrees
   */
  public double getMinAngle() {
    return MIN_ANGLE;
  }

  private double getServoAngleRange() {
    return MAX_ANGLE - MIN_ANGLE;
  }

  /**
   * Dashboard description: type "Servo" with the property "Value", the position 0.0 to 1.0,
   * readable and settable.
   *
   * @param builder WPILib's builder
   */
  @Override
  public void initSendable(SendableBuilder builder) {
    builder.setSmartDashboardType("Servo");
    builder.addDoubleProperty("Value", this::get, this::set);
  }
}
