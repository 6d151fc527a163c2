package dev.velmora.frc;

import edu.wpi.first.hal.HAL;
import edu.wpi.first.wpilibj.PWMSpeedController;
import edu.wpi.first.wpilibj.smartdashboard.SendableRegistry;

/**
 * A continuous-rotation servo on a WPILib PWM output, driven as a WPILib speed controller
 * ({@link PWMSpeedController}, and so a {@code PWM}, a {@code SpeedController} and a
 * {@code PIDOutput}) from -1.0 (full reverse) to 1.0 (full forward).
 *
 * <p>The pulse runs from 0.5 ms (full reverse) through the 1.5 ms stop point to 2.5 ms (full
 * forward), with a deadband of 1.45 ms to 1.55 ms, at the four-times PWM period. Full reverse is
 * the shortest pulse the output can produce, one raw step above "no pulse". The output starts
 * stopped and latched. Everything else (set, get, inversion, stopMotor, the dashboard
 * description) is WPILib's PWM speed controller, unchanged; the dashboard name is
 * "ServoContinuous[&lt;channel&gt;]" and the usage report resource 82, instance channel + 1. It
 * never calls the maker's driver.
 *
 * <p><b>Lifetime.</b> Constructing claims the PWM channel; {@link #close()} releases it.
 *
 * <p><b>Threads.</b> WPILib's PWM rules: use one object from one thread at a time.
 */
public class ServoContinuous extends PWMSpeedController {
  private static final double MAX_PULSE_MS = 2.5;
  private static final double DEADBAND_MAX_MS = 1.55;
  private static final double CENTER_MS = 1.5;
  private static final double DEADBAND_MIN_MS = 1.45;
  private static final double MIN_PULSE_MS = 0.5;
  private static final int CONTINUOUS_SERVO_RESOURCE_TYPE = 82;

  /**
   * Claims PWM {@code channel}, stopped, and reports it for usage.
   *
   * @param channel 0 to 9 on the roboRIO's header, 10 to 19 on its MXP port
   */
  public ServoContinuous(int channel) {
    super(channel);
    setBounds(MAX_PULSE_MS, DEADBAND_MAX_MS, CENTER_MS, DEADBAND_MIN_MS, MIN_PULSE_MS);
    ShortestPulse.keepProducible(this);
    setPeriodMultiplier(PeriodMultiplier.k4X);
    setSpeed(0.0);
    setZeroLatch();
    HAL.report(CONTINUOUS_SERVO_RESOURCE_TYPE, Servo.usageInstance(getChannel()));
    SendableRegistry.setName(this, "ServoContinuous", getChannel());
  }
}
