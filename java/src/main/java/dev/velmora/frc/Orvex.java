package dev.velmora.frc;

import edu.wpi.first.wpilibj.CounterBase;
import edu.wpi.first.wpilibj.SpeedController;
import java.nio.charset.StandardCharsets;
import java.util.OptionalDouble;

/**
 * A four-channel CAN motor controller: one object per physical controller.
 *
 * <p>The object opens the controller by CAN ID, hands out its four motor channels ({@link Motor})
 * and four encoder channels ({@link Encoder}), and carries the controller-wide settings and
 * identity queries. Every call but the identity queries is one call into the maker's driver;
 * driver results are passed on as they come, never turned into exceptions.
 *
 * <p><b>Lifetime.</b> Constructing opens the controller; {@link #close()} closes it. Channel
 * objects are made on their first request and belong to the controller: after {@code close()}
 * every call on the controller or on one of its channels throws {@link IllegalStateException}
 * instead of reaching a closed device. A controller that the program drops without closing it
 * (no reference to it or to one of its channels left) is closed by the garbage collector some
 * time after it becomes unreachable: its CAN ID is then free for a new {@code Orvex} and the
 * driver stops holding its motors. When that happens is the collector's choice, so close a
 * controller you are done with, or keep it in a field for the life of the program.
 *
 * <p><b>Threads.</b> The library takes no locks. Use the controller itself (the first request
 * for a channel, the identity queries) from one thread at a time, and get every channel you need
 * before a second thread starts. The channels' own calls may then be shared between threads: a
 * WPILib {@code PIDController} writing a motor channel from its own thread while the robot loop
 * reads {@code get()}, flips {@code setInverted} and reads the encoders is safe. Each such call
 * stands on its own: a {@code set} racing a {@code setInverted} sends the speed with either the
 * old or the new inversion. {@code close()} may be called from any thread, any number of times:
 * the controller is released exactly once, when no call of another thread is inside the driver
 * any more; a call that comes after the close, or races it, throws
 * {@link IllegalStateException} and never reaches the driver with a released handle.
 */
public final class Orvex implements AutoCloseable {
  /** The frequency setting the one-argument constructor opens the controller with. */
  public static final int kDefaultFrequency = 15600;

  /** Motor channels and encoder channels each: indices 0 to 3. */
  public static final int kChannelCount = 4;

  private static final int HIGHEST_INDEX = kChannelCount - 1;

  private final int m_handle;
  private final Motor[] m_motors = new Motor[kChannelCount];
  private final Encoder[] m_encoders = new Encoder[kChannelCount];
  private int m_id;
  private String m_firmwareVersion = "";
  private String m_hardwareVersion = "";
  private final Lifetime m_life;

  /**
   * Opens the controller with CAN ID {@code id} at the frequency setting {@code frequency} (the
   * device's own unit, hertz on the simulated device). Both go to the driver unchanged.
   *
   * @param id the controller's CAN ID
   * @param frequency the frequency setting
   */
  public Orvex(int id, int frequency) {
    VelmoraJNI.load();
    m_handle = VelmoraJNI.orvexCreate(id, frequency);
    m_life = Lifetime.track(this, "Orvex", release(m_handle));
  }

  // The release holds the handle alone, never the controller, which could then never become
  // unreachable.
  private static Runnable release(int handle) {
    return () -> VelmoraJNI.orvexDestroy(handle);
  }

  /**
   * Opens the controller with CAN ID {@code id} at {@link #kDefaultFrequency}.
   *
   * @param id the controller's CAN ID
   */
  public Orvex(int id) {
    this(id, kDefaultFrequency);
  }

  /**
   * Closes the controller. No stop command is sent first: stop the motors yourself if that
   * matters. Its channels refuse every call from then on. Once the controller is released (a
   * call of another thread in progress finishes first), this returns; a second call does
   * nothing.
   */
  @Override
  public void close() {
    m_life.close();
  }

  private static void checkIndex(String prefix, int index) {
    if (index < 0 || index >= kChannelCount) {
      throw new IndexOutOfBoundsException(prefix + HIGHEST_INDEX + "], got: " + index);
    }
  }

  /**
   * Motor channel {@code motorIndex} (0 to 3), made on first request; later calls return the
   * same object. No driver call.
   *
   * @param motorIndex the channel, 0 to 3
   * @return the channel
   * @throws IndexOutOfBoundsException "Motor index must be in [0, 3], got: &lt;index&gt;" for
   *     another index
   * @throws IllegalStateException if the controller is closed
   */
  public Motor getMotor(int motorIndex) {
    m_life.check();
    checkIndex("Motor index must be in [0, ", motorIndex);
    Motor motor = m_motors[motorIndex];
    if (motor == null) {
      motor = new Motor(motorIndex);
      m_motors[motorIndex] = motor;
    }
    return motor;
  }

  /**
   * Encoder channel {@code encoderIndex} (0 to 3), made on first request. The first request
   * sends {@code setupValue} to the device: the distance one shaft revolution counts for, in the
   * unit you want distances in (0.024 makes distances metres for a wheel that rolls 24 mm per
   * revolution). Later requests ignore it.
   *
   * @param encoderIndex the channel, 0 to 3
   * @param setupValue the distance per shaft revolution
   * @return the channel
   * @throws IndexOutOfBoundsException "Encoder index must be in [0, 3], got: &lt;index&gt;" for
   *     another index; nothing is sent then
   * @throws IllegalStateException if the controller is closed
   */
  public Encoder getEncoder(int encoderIndex, double setupValue) {
    m_life.enter();
    try {
      checkIndex("Encoder index must be in [0, ", encoderIndex);
      Encoder encoder = m_encoders[encoderIndex];
      if (encoder == null) {
        VelmoraJNI.orvexSetEncoder(m_handle, encoderIndex, setupValue);
        encoder = new Encoder(encoderIndex);
        m_encoders[encoderIndex] = encoder;
      }
      return encoder;
    } finally {
      m_life.exit();
    }
  }

  // Identity is read once and then served from memory, as soon as the device has given a
  // non-zero ID and both version texts; until then every identity query asks again.
  private void populateDeviceInfo() {
    m_life.enter();
    try {
      if (m_id != 0 && !m_firmwareVersion.isEmpty() && !m_hardwareVersion.isEmpty()) {
        return;
      }
      m_id = VelmoraJNI.orvexGetID(m_handle);
      m_firmwareVersion = text(VelmoraJNI.orvexGetFirmwareVersion(m_handle));
      m_hardwareVersion = text(VelmoraJNI.orvexGetHardwareVersion(m_handle));
    } finally {
      m_life.exit();
    }
  }

  // A driver text kept byte for byte, as the C++ class keeps it in a std::string: one char per
  // byte (ISO-8859-1), so a serial number that is not UTF-8 loses nothing.
  private static String text(byte[] bytes) {
    return new String(bytes, StandardCharsets.ISO_8859_1);
  }

  /**
   * The device's ID (its CAN ID), read once and then served from memory (see the class notes).
   *
   * @return the ID
   */
  public int getID() {
    populateDeviceInfo();
    return m_id;
  }

  /**
   * The firmware version text, as the device gives it (for example "2.4.1"), one char per byte
   * (see {@link #getSerialNumber()}); cached as {@link #getID()}.
   *
   * @return the firmware version
   */
  public String getFirmwareVersion() {
    populateDeviceInfo();
    return m_firmwareVersion;
  }

  /**
   * The hardware version text, as the device gives it (for example "B3"), one char per byte
   * (see {@link #getSerialNumber()}); cached as {@link #getID()}.
   *
   * @return the hardware version
   */
  public String getHardwareVersion() {
    populateDeviceInfo();
    return m_hardwareVersion;
  }

  /**
   * The controller's frequency setting, read from the device each time.
   *
   * @return the frequency setting, in the constructor's unit
   */
  public int getFrequency() {
    m_life.enter();
    try {
      return VelmoraJNI.orvexGetFrequency(m_handle);
    } finally {
      m_life.exit();
    }
  }

  /**
   * The serial number text, read from the device each time. Like the version texts it keeps the
   * device's bytes as they are, one char per byte (ISO-8859-1):
   * {@code getSerialNumber().getBytes(StandardCharsets.ISO_8859_1)} gives them back unchanged,
   * whether or not they are UTF-8 (the device's texts are plain ASCII in practice).
   *
   * @return the serial number
   */
  public String getSerialNumber() {
    m_life.enter();
    try {
      return text(VelmoraJNI.orvexGetSerialNumber(m_handle));
    } finally {
      m_life.exit();
    }
  }

  /**
   * The controller's temperature, read from the device each time.
   *
   * @return degrees Celsius
   */
  public double getControllerTemp() {
    m_life.enter();
    try {
      return VelmoraJNI.orvexGetControllerTemp(m_handle);
    } finally {
      m_life.exit();
    }
  }

  /**
   * Selects what the channels do when stopped, by the device's own stop-mode code.
   *
   * @param mode the code, 0 to 255, sent unchanged
   * @throws IllegalArgumentException for a code outside 0 to 255
   */
  public void setMotorStopMode(int mode) {
    m_life.enter();
    try {
      VelmoraJNI.orvexSetMotorStopMode(m_handle, Checks.unsignedByte("Stop mode", mode));
    } finally {
      m_life.exit();
    }
  }

  /**
   * Selects the controller-wide PID type by the device's own code. Each channel has its own
   * too: {@link Motor#setPIDType(int)}.
   *
   * @param type the code, 0 to 255, sent unchanged
   * @throws IllegalArgumentException for a code outside 0 to 255
   */
  public void setPIDType(int type) {
    m_life.enter();
    try {
      VelmoraJNI.orvexSetPIDType(m_handle, Checks.unsignedByte("PID type", type));
    } finally {
      m_life.exit();
    }
  }

  /** Starts the device's auto-tuning of every channel ({@link Motor#autotune()} tunes one). */
  public void autotuneAll() {
    m_life.enter();
    try {
      VelmoraJNI.orvexAutotuneAll(m_handle);
    } finally {
      m_life.exit();
    }
  }

  /**
   * Sets the controller's delay for CAN sensors, in the device's own unit.
   *
   * @param delay the delay, 0 to 65535, sent unchanged
   * @throws IllegalArgumentException for a delay outside 0 to 65535
   */
  public void setCANSensorOsDelay(int delay) {
    m_life.enter();
    try {
      VelmoraJNI.orvexSetCANSensorOsDelay(
          m_handle, Checks.unsignedShort("CAN sensor delay", delay));
    } finally {
      m_life.exit();
    }
  }

  /**
   * Reads the target speed of every channel, in RPM, into {@code targets}.
   *
   * @param targets receives channel i's target at index i; must hold at least
   *     {@link #kChannelCount} values
   * @return the device's answer
   * @throws NullPointerException for a null array
   * @throws IllegalArgumentException for an array shorter than {@link #kChannelCount}
   */
  public boolean getTargetRPMFromDevice(double[] targets) {
    m_life.enter();
    try {
      Checks.notNull("targets", targets);
      if (targets.length < kChannelCount) {
        throw new IllegalArgumentException(
            "targets must hold " + kChannelCount + " values, got: " + targets.length);
      }
      return VelmoraJNI.orvexGetTargetRPMFromDevice(m_handle, targets);
    } finally {
      m_life.exit();
    }
  }

  /**
   * One motor output of an Orvex controller: a WPILib {@link SpeedController} (and so a
   * {@code PIDOutput}), so any WPILib code that drives those can drive it, a
   * {@code PIDController} among them.
   *
   * <p>Every device operation is one driver call for this channel. Get it from
   * {@link Orvex#getMotor(int)}; it lives as long as its controller. Its calls may be made from
   * several threads at once (see {@link Orvex}).
   */
  public final class Motor implements SpeedController {
    private final int m_index;
    // A PID loop writes the speed from its own thread while the robot loop reads it and flips
    // the flags: each stands alone, so a volatile field each is all it takes.
    private volatile double m_speed;
    private volatile boolean m_inverted;
    private volatile boolean m_invertRPM;

    private Motor(int index) {
      m_index = index;
    }

    /**
     * Drives the motor at {@code speed}, the fraction of full output from -1.0 (full reverse) to
     * 1.0 (full forward), negated on an inverted channel. Not clamped: the device receives what
     * you send. Remembers what was sent for {@link #get()}.
     *
     * @param speed -1.0 to 1.0
     */
    @Override
    public void set(double speed) {
      m_life.enter();
      try {
        double sent = m_inverted ? -speed : speed;
        m_speed = sent;
        VelmoraJNI.orvexSetMotorSpeed(m_handle, m_index, sent);
      } finally {
        m_life.exit();
      }
    }

    /**
     * The last speed sent, after inversion.
     *
     * @return -1.0 to 1.0 when you keep to that range
     */
    @Override
    public double get() {
      m_life.check();
      return m_speed;
    }

    /**
     * Inverts later {@link #set(double)} calls; the current speed is not sent again.
     *
     * @param isInverted true to invert
     */
    @Override
    public void setInverted(boolean isInverted) {
      m_life.check();
      m_inverted = isInverted;
    }

    /**
     * Whether {@link #set(double)} calls are inverted.
     *
     * @return true when inverted
     */
    @Override
    public boolean getInverted() {
      m_life.check();
      return m_inverted;
    }

    /** Stops driving the channel until the next set; {@link #get()} still reports the last. */
    @Override
    public void disable() {
      m_life.enter();
      try {
        VelmoraJNI.orvexDisableMotor(m_handle, m_index);
      } finally {
        m_life.exit();
      }
    }

    /** {@code set(0.0)}, so inversion applies (an inverted channel sends -0.0). */
    @Override
    public void stopMotor() {
      set(0.0);
    }

    /**
     * {@code set(output)}, so inversion applies: a WPILib PID loop's output ends here.
     *
     * @param output -1.0 to 1.0
     */
    @Override
    public void pidWrite(double output) {
      set(output);
    }

    /**
     * Sends a configuration code of the device's own for this channel, unchanged.
     *
     * @param configuration the code
     */
    public void configure(int configuration) {
      m_life.enter();
      try {
        VelmoraJNI.orvexConfigureMotor(m_handle, m_index, configuration);
      } finally {
        m_life.exit();
      }
    }

    /** Negates every later RPM reading ({@link #getRPM()}, {@link #tryGetRPM()}), for good. */
    public void invertRPM() {
      m_life.check();
      m_invertRPM = true;
    }

    /**
     * The shaft speed, negated after {@link #invertRPM()}.
     *
     * @return revolutions per minute
     */
    public double getRPM() {
      m_life.enter();
      try {
        boolean invert = m_invertRPM;
        double rpm = VelmoraJNI.orvexGetRPM(m_handle, m_index);
        return invert ? -rpm : rpm;
      } finally {
        m_life.exit();
      }
    }

    /**
     * The shaft speed if the device has one to give, negated after {@link #invertRPM()}.
     *
     * @return revolutions per minute, or empty when the device gave none
     */
    public OptionalDouble tryGetRPM() {
      m_life.enter();
      try {
        double[] rpm = new double[1];
        if (!VelmoraJNI.orvexTryGetRPM(m_handle, m_index, rpm)) {
          return OptionalDouble.empty();
        }
        return OptionalDouble.of(m_invertRPM ? -rpm[0] : rpm[0]);
      } finally {
        m_life.exit();
      }
    }

    /**
     * The speed the channel is steering towards, if the device has one to give; never negated
     * by {@link #invertRPM()}.
     *
     * @return revolutions per minute, or empty when the device gave none
     */
    public OptionalDouble tryGetTargetRPM() {
      m_life.enter();
      try {
        double[] rpm = new double[1];
        if (!VelmoraJNI.orvexTryGetTargetRPM(m_handle, m_index, rpm)) {
          return OptionalDouble.empty();
        }
        return OptionalDouble.of(rpm[0]);
      } finally {
        m_life.exit();
      }
    }

    /**
     * The state of one of the channel's two limit switches, as the device reports it.
     *
     * @param which false the first switch, true the second
     * @return the switch state (1.0 closed, 0.0 open on the simulated device)
     */
    public double getLimitSwitch(boolean which) {
      m_life.enter();
      try {
        return VelmoraJNI.orvexGetLimitSwitch(m_handle, m_index, which);
      } finally {
        m_life.exit();
      }
    }

    /**
     * The absolute position of a Zynder encoder on this channel.
     *
     * @return the device's own unit (degrees within one turn, 0 to 360, on the simulated device)
     */
    public double getZynderPosition() {
      m_life.enter();
      try {
        return VelmoraJNI.orvexGetZynderPosition(m_handle, m_index);
      } finally {
        m_life.exit();
      }
    }

    /**
     * The channel index.
     *
     * @return 0 to 3
     * @throws IllegalStateException if the controller is closed
     */
    public int getMotorIndex() {
      m_life.check();
      return m_index;
    }

    /**
     * Steers the channel to a shaft speed. Sent as a single-precision float.
     *
     * @param velocity the device's own unit (RPM on the simulated device)
     */
    public void setTargetVelocity(double velocity) {
      m_life.enter();
      try {
        VelmoraJNI.orvexSetTargetVelocity(m_handle, m_index, (float) velocity);
      } finally {
        m_life.exit();
      }
    }

    /**
     * Steers the channel to an encoder position.
     *
     * @param distance the device's own unit (encoder counts on the simulated device)
     */
    public void setTargetDistance(int distance) {
      m_life.enter();
      try {
        VelmoraJNI.orvexSetTargetDistance(m_handle, m_index, distance);
      } finally {
        m_life.exit();
      }
    }

    /**
     * Steers the shaft to an angle.
     *
     * @param angle the device's own unit (degrees from the last encoder reset on the simulated
     *     device)
     */
    public void setTargetAngle(double angle) {
      m_life.enter();
      try {
        VelmoraJNI.orvexSetTargetAngle(m_handle, m_index, angle);
      } finally {
        m_life.exit();
      }
    }

    /**
     * Holds the shaft where it is, or returns to speed control.
     *
     * @param hold true holds the shaft; false returns to speed control
     */
    public void setPositionHold(boolean hold) {
      m_life.enter();
      try {
        VelmoraJNI.orvexSetPositionHold(m_handle, m_index, hold);
      } finally {
        m_life.exit();
      }
    }

    /**
     * The channel's sensitivity, 0 to 10 on the device's own scale. A value of 11 to 255 is
     * refused with "[Orvex] Sensitivity must be in [0, 10], got: &lt;value&gt;" on standard
     * error and nothing is sent.
     *
     * @param sensitivity 0 to 10
     * @throws IllegalArgumentException for a value outside 0 to 255, which no device byte holds
     */
    public void setSensitivity(int sensitivity) {
      m_life.enter();
      try {
        Checks.unsignedByte("Sensitivity", sensitivity);
        if (sensitivity > 10) {
          Console.err("[Orvex] Sensitivity must be in [0, 10], got: " + sensitivity + "\n");
          return;
        }
        VelmoraJNI.orvexSetSensitivity(m_handle, m_index, sensitivity);
      } finally {
        m_life.exit();
      }
    }

    /**
     * The channel's current limit, sent as a single-precision float, unchecked.
     *
     * @param limit the device's own unit
     */
    public void setCurrentLimit(double limit) {
      m_life.enter();
      try {
        VelmoraJNI.orvexSetCurrentLimit(m_handle, m_index, (float) limit);
      } finally {
        m_life.exit();
      }
    }

    /**
     * Selects how the current limit applies, by the device's own mode code.
     *
     * @param mode 0 to 255, sent unchanged
     * @throws IllegalArgumentException for a code outside 0 to 255
     */
    public void setCurrentLimitMode(int mode) {
      m_life.enter();
      try {
        VelmoraJNI.orvexSetCurrentLimitMode(
            m_handle, m_index, Checks.unsignedByte("Current limit mode", mode));
      } finally {
        m_life.exit();
      }
    }

    /**
     * The encoder's resolution.
     *
     * @param resolution counts per shaft revolution, 0 to 65535 (2048 on the simulated device
     *     until set)
     * @throws IllegalArgumentException for a value outside 0 to 65535
     */
    public void setEncoderResolution(int resolution) {
      m_life.enter();
      try {
        VelmoraJNI.orvexSetEncoderResolution(
            m_handle, m_index, Checks.unsignedShort("Encoder resolution", resolution));
      } finally {
        m_life.exit();
      }
    }

    /**
     * Selects this channel's PID type by the device's own code; {@link Orvex#setPIDType(int)}
     * sets the controller-wide one.
     *
     * @param type 0 to 255, sent unchanged
     * @throws IllegalArgumentException for a code outside 0 to 255
     */
    public void setPIDType(int type) {
      m_life.enter();
      try {
        VelmoraJNI.orvexSetMotorPIDType(m_handle, m_index, Checks.unsignedByte("PID type", type));
      } finally {
        m_life.exit();
      }
    }

    /** Starts the device's auto-tuning of this channel. */
    public void autotune() {
      m_life.enter();
      try {
        VelmoraJNI.orvexAutotuneMotor(m_handle, m_index);
      } finally {
        m_life.exit();
      }
    }
  }

  /**
   * One encoder input of an Orvex controller: a WPILib {@link CounterBase}, so any WPILib code
   * that reads a counter can read it.
   *
   * <p>The set-up value given to {@link Orvex#getEncoder(int, double)} is the distance one shaft
   * revolution counts for: distances come in its unit and speeds in its unit per second. The
   * channel lives as long as its controller; its calls may be made from several threads at once.
   */
  public final class Encoder implements CounterBase {
    private final int m_index;
    private volatile boolean m_reverseDirection;
    private volatile boolean m_invertSpeed;

    private Encoder(int index) {
      m_index = index;
    }

    /**
     * The device count, as {@link #getCount()} (WPILib's counter view).
     *
     * @return encoder counts since the last reset
     */
    @Override
    public int get() {
      m_life.enter();
      try {
        return VelmoraJNI.orvexGetEncoderCount(m_handle, m_index);
      } finally {
        m_life.exit();
      }
    }

    /** Sets the count and the distance back to 0. */
    @Override
    public void reset() {
      m_life.enter();
      try {
        VelmoraJNI.orvexResetEncoder(m_handle, m_index);
      } finally {
        m_life.exit();
      }
    }

    /**
     * Always 0: this device reports no pulse period.
     *
     * @return 0.0
     */
    @Override
    public double getPeriod() {
      m_life.check();
      return 0.0;
    }

    /**
     * Ignored: the maximum period does not apply to this device.
     *
     * @param maxPeriod ignored
     */
    @Override
    public void setMaxPeriod(double maxPeriod) {
      m_life.check();
    }

    /**
     * Whether the shaft stands still.
     *
     * @return true exactly when the device reports a speed of 0
     */
    @Override
    public boolean getStopped() {
      m_life.enter();
      try {
        return VelmoraJNI.orvexGetEncoderSpeed(m_handle, m_index) == 0.0;
      } finally {
        m_life.exit();
      }
    }

    /**
     * Whether distances are reversed.
     *
     * @return true once {@link #setReverseDirection()} has been called
     */
    @Override
    public boolean getDirection() {
      m_life.check();
      return m_reverseDirection;
    }

    /**
     * The distance since the last reset: shaft revolutions times the set-up value, negated after
     * {@link #setReverseDirection()}.
     *
     * @return the set-up value's unit
     */
    public double getEncoderDistance() {
      m_life.enter();
      try {
        boolean reverse = m_reverseDirection;
        double distance = VelmoraJNI.orvexGetEncoderDistance(m_handle, m_index);
        return reverse ? -distance : distance;
      } finally {
        m_life.exit();
      }
    }

    /**
     * The raw reading; no inversion applies.
     *
     * @return the device's own unit (encoder counts, with fractions, on the simulated device)
     */
    public double getRaw() {
      m_life.enter();
      try {
        return VelmoraJNI.orvexGetEncoderRaw(m_handle, m_index);
      } finally {
        m_life.exit();
      }
    }

    /**
     * The position in whole encoder counts since the last reset; no inversion applies.
     *
     * @return encoder counts
     */
    public int getCount() {
      m_life.enter();
      try {
        return VelmoraJNI.orvexGetEncoderCount(m_handle, m_index);
      } finally {
        m_life.exit();
      }
    }

    /**
     * The speed, negated after {@link #invertSpeed()}.
     *
     * @return the set-up value's unit per second
     */
    public double getSpeed() {
      m_life.enter();
      try {
        boolean invert = m_invertSpeed;
        double speed = VelmoraJNI.orvexGetEncoderSpeed(m_handle, m_index);
        return invert ? -speed : speed;
      } finally {
        m_life.exit();
      }
    }

    /** Negates {@link #getEncoderDistance()} from now on, for good. */
    public void setReverseDirection() {
      m_life.check();
      m_reverseDirection = true;
    }

    /** Negates {@link #getSpeed()} from now on, for good. */
    public void invertSpeed() {
      m_life.check();
      m_invertSpeed = true;
    }

    /**
     * The channel index.
     *
     * @return 0 to 3
     * @throws IllegalStateException if the controller is closed
     */
    public int getEncoderIndex() {
      m_life.check();
      return m_index;
    }
  }
}
