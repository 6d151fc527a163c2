package dev.velmora.frc;

import edu.wpi.first.hal.PWMConfigDataResult;
import edu.wpi.first.hal.PWMJNI;
import edu.wpi.first.wpilibj.PWM;
import java.lang.reflect.Field;

/**
 * The shortest pulse a servo's PWM output can send. Raw pulse values count steps of the output's
 * loop timing, and raw 0 means "no pulse". The servos' 0.5 ms minimum lies one step below that
 * (raw -1): a position or speed at the bottom of the range would then work out to raw 0 or less,
 * which the output refuses. The shortest pulse the output can produce is raw 1.
 */
final class ShortestPulse {
  private static final int SHORTEST_PULSE_RAW = 1;

  private ShortestPulse() {}

  /**
   * Raises the minimum raw bound of {@code pwm} to the shortest pulse it can produce, if the
   * bounds set in milliseconds put it lower; the other four bounds stay as they are.
   */
  static void keepProducible(PWM pwm) {
    PWMConfigDataResult bounds = pwm.getRawBounds();
    if (bounds.min >= SHORTEST_PULSE_RAW) {
      return;
    }
    int handle = handleOf(pwm);
    if (handle == 0) {
      return;
    }
    PWMJNI.setPWMConfigRaw(handle, bounds.max, bounds.deadbandMax, bounds.center,
        bounds.deadbandMin, SHORTEST_PULSE_RAW);
  }

  // wpilibj's PWM keeps its HAL handle to itself, and offers no raw-bounds setter: read it.
  private static int handleOf(PWM pwm) {
    try {
      Field field = PWM.class.getDeclaredField("m_handle");
      field.setAccessible(true);
      return field.getInt(pwm);
    } catch (ReflectiveOperationException | RuntimeException e) {
      return 0;
    }
  }
}
