package dev.velmora.frc;

import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.util.OptionalLong;

/**
 * The colour sensor, reached over the CAN bus by its CAN ID or over USB by a port or a device
 * path.
 *
 * <p>Every operation is a single call into the driver; the object keeps nothing but the device
 * handle, so whatever it reports comes fresh from the sensor. Setters return the sensor's answer
 * rather than throwing.
 *
 * <p><b>Lifetime.</b> Constructing opens the sensor (or throws, leaving nothing open);
 * {@link #close()} closes it, and every later call throws {@link IllegalStateException}. A
 * sensor the program drops without closing it is closed by the garbage collector some time after
 * it becomes unreachable, which frees its CAN ID or port; close a sensor you are done with rather
 * than wait for that.
 *
 * <p><b>Threads.</b> The library takes no locks: use one object from one thread at a time.
 * {@code close()} alone may come from any thread at any time: the sensor is released exactly
 * once, and a call racing the close either finishes before the release or throws
 * {@link IllegalStateException}.
 */
public final class Lumira implements AutoCloseable {
  private static final String DEVICE_WORD = "Lumira";
  private static final int COLOR_RECORD_BYTES = 20;

  /** A USB port; the driver turns it into a device path. */
  public enum Port {
    /** USB port 0. */
    kUSB0(0),
    /** USB port 1. */
    kUSB1(1),
    /** USB port 2. */
    kUSB2(2),
    /** USB port 3. */
    kUSB3(3);

    /** The port's number, as the driver knows it. */
    public final int value;

    Port(int value) {
      this.value = value;
    }
  }

  /** The link the sensor is attached over. */
  public enum Transport {
    /** The CAN bus. */
    kCAN,
    /** USB. */
    kUSB
  }

  /** How the sensor reports a colour in {@link ColorData}'s three components. */
  public enum ColorFormat {
    /** Red, green and blue, each 0 to 1. */
    kRGB(0),
    /** Hue in degrees (0 to 360), saturation and value each 0 to 1. */
    kHSV(1),
    /** CIE XYZ tristimulus values. */
    kXYZ(2);

    /** The format's code, as the driver knows it. */
    public final int value;

    ColorFormat(int value) {
      this.value = value;
    }
  }

  /** When the sensor measures; {@link Lumira#setMeasureMode}'s number is the mode's parameter. */
  public enum MeasureMode {
    /** Measures continuously. */
    kContinuous(0),
    /** Measures once per request. */
    kSingleShot(1),
    /** Measures when triggered; the mode's value sets the trigger. */
    kTriggered(2);

    /** The mode's code, as the driver knows it. */
    public final int value;

    MeasureMode(int value) {
      this.value = value;
    }
  }

  /** The configuration values {@link Lumira#getConfig} can read back. */
  public enum ConfigItem {
    /** The {@link ColorFormat} code. */
    kColorFormat(0),
    /** The sample time, milliseconds. */
    kSampleTimeMs(1),
    /** The brightness, 0 to 255. */
    kBrightness(2),
    /** The {@link MeasureMode} code. */
    kMeasureMode(3),
    /** The sensor's CAN ID, 0 to 63. */
    kCanId(4),
    /** 1 when the USB override is on, else 0. */
    kUsbOverride(5),
    /** The status LED setting. */
    kStatusLed(6);

    /** The item's code, as the driver knows it. */
    public final int value;

    ConfigItem(int value) {
      this.value = value;
    }
  }

  /** One colour reading, as the sensor gives it. */
  public static final class ColorData {
    /** The reading's header, 0 to 65535 (its sequence number on the simulated device). */
    public final int header;

    /** Red, hue or X, by the colour format. */
    public final float component1;

    /** Green, saturation or Y, by the colour format. */
    public final float component2;

    /** Blue, value or Z, by the colour format. */
    public final float component3;

    /** The reading's trailer, 0 to 255 (the format code on the simulated device). */
    public final int trailer;

    /**
     * A reading from its fields.
     *
     * @param header the header
     * @param component1 first component
     * @param component2 second component
     * @param component3 third component
     * @param trailer the trailer
     */
    public ColorData(int header, float component1, float component2, float component3,
        int trailer) {
      this.header = header;
      this.component1 = component1;
      this.component2 = component2;
      this.component3 = component3;
      this.trailer = trailer;
    }
  }

  private final long m_handle;
  private final Lifetime m_life;

  /**
   * Opens the sensor with CAN ID {@code canId}.
   *
   * @param canId 0 to 63
   * @throws IndexOutOfBoundsException "Lumira CAN ID must be in [0, 63], got: &lt;id&gt;" for
   *     another ID (nothing is opened)
   * @throws DeviceOpenException "Failed to open Lumira on CAN ID &lt;id&gt;" if the sensor does
   *     not answer
   */
  public Lumira(int canId) {
    VelmoraJNI.load();
    m_handle = CanUsbOpen.onCan(DEVICE_WORD, canId, VelmoraJNI::lumiraCreate);
    m_life = Lifetime.track(this, DEVICE_WORD, release(m_handle));
  }

  /**
   * Opens the sensor on a USB port.
   *
   * @param port the USB port
   * @param n goes to the driver unchanged
   * @throws NullPointerException for a null port
   * @throws DeviceOpenException "Failed to open Lumira on &lt;path&gt;", naming the port's
   *     device path, if the sensor cannot be opened
   */
  public Lumira(Port port, int n) {
    Checks.notNull("port", port);
    VelmoraJNI.load();
    m_handle = CanUsbOpen.atPath(DEVICE_WORD, CanUsbOpen.portPath(port.value), n,
        VelmoraJNI::lumiraCreateUsb);
    m_life = Lifetime.track(this, DEVICE_WORD, release(m_handle));
  }

  /**
   * Opens the sensor at a device path (such as "/dev/ttyACM0").
   *
   * @param path the device path
   * @param n goes to the driver unchanged
   * @throws NullPointerException for a null path
   * @throws IllegalArgumentException for a path holding a NUL character
   * @throws DeviceOpenException "Failed to open Lumira on &lt;path&gt;" if the sensor cannot be
   *     opened
   */
  public Lumira(String path, int n) {
    byte[] bytes = CanUsbOpen.pathBytes(path);
    VelmoraJNI.load();
    m_handle = CanUsbOpen.atPath(DEVICE_WORD, bytes, n, VelmoraJNI::lumiraCreateUsb);
    m_life = Lifetime.track(this, DEVICE_WORD, release(m_handle));
  }

  /**
   * Closes the sensor. Once it is released (a call of another thread in progress finishes
   * first), this returns; a second call does nothing.
   */
  @Override
  public void close() {
    m_life.close();
  }

  // The release holds the handle alone, never the sensor, which could then never become
  // unreachable.
  private static Runnable release(long handle) {
    return () -> VelmoraJNI.lumiraDestroy(handle);
  }

  /**
   * The latest colour reading, in the colour format set.
   *
   * @return the reading
   */
  public ColorData getColor() {
    m_life.enter();
    try {
      byte[] record = new byte[COLOR_RECORD_BYTES];
      VelmoraJNI.lumiraGetColor(m_handle, record);
      ByteBuffer b = ByteBuffer.wrap(record).order(ByteOrder.LITTLE_ENDIAN);
      return new ColorData(b.getShort(0) & 0xFFFF, b.getFloat(4), b.getFloat(8), b.getFloat(12),
          b.get(16) & 0xFF);
    } finally {
      m_life.exit();
    }
  }

  /**
   * Selects the colour format of later readings.
   *
   * @param format the format
   * @return the sensor's answer, like every setter: false when it refused or did not respond
   * @throws NullPointerException for a null format
   */
  public boolean setColorFormat(ColorFormat format) {
    m_life.enter();
    try {
      return VelmoraJNI.lumiraSetColorFormat(m_handle, Checks.notNull("format", format).value);
    } finally {
      m_life.exit();
    }
  }

  /**
   * Sets the time of one measurement.
   *
   * @param milliseconds 0 to 65535
   * @return the sensor's answer
   * @throws IllegalArgumentException for a value outside 0 to 65535
   */
  public boolean setSampleTimeMs(int milliseconds) {
    m_life.enter();
    try {
      return VelmoraJNI.lumiraSetSampleTimeMs(
          m_handle, Checks.unsignedShort("Sample time", milliseconds));
    } finally {
      m_life.exit();
    }
  }

  /**
   * Sets the sensor's brightness.
   *
   * @param brightness 0 to 255
   * @return the sensor's answer
   * @throws IllegalArgumentException for a value outside 0 to 255
   */
  public boolean setBrightness(int brightness) {
    m_life.enter();
    try {
      return VelmoraJNI.lumiraSetBrightness(
          m_handle, Checks.unsignedByte("Brightness", brightness));
    } finally {
      m_life.exit();
    }
  }

  /**
   * Switches the status LED on or off.
   *
   * @param on true switches it on
   * @param value the LED's setting, 0 to 255 on the sensor's own scale
   * @return the sensor's answer
   * @throws IllegalArgumentException for a value outside 0 to 255
   */
  public boolean setStatusLed(boolean on, int value) {
    m_life.enter();
    try {
      return VelmoraJNI.lumiraSetStatusLed(m_handle, on, Checks.unsignedByte("LED value", value));
    } finally {
      m_life.exit();
    }
  }

  /**
   * Selects the measure mode.
   *
   * @param mode the mode
   * @param value the mode's parameter (for example the trigger distance in millimetres), sent as
   *     a single-precision float
   * @return the sensor's answer
   * @throws NullPointerException for a null mode
   */
  public boolean setMeasureMode(MeasureMode mode, double value) {
    m_life.enter();
    try {
      return VelmoraJNI.lumiraSetMeasureMode(
          m_handle, Checks.notNull("mode", mode).value, (float) value);
    } finally {
      m_life.exit();
    }
  }

  /**
   * Sets the sensor's Z distance, sent as a single-precision float.
   *
   * @param millimetres the distance
   * @return the sensor's answer
   */
  public boolean setZmm(double millimetres) {
    m_life.enter();
    try {
      return VelmoraJNI.lumiraSetZmm(m_handle, (float) millimetres);
    } finally {
      m_life.exit();
    }
  }

  /**
   * Switches the USB override on or off.
   *
   * @param enable true switches it on
   * @return the sensor's answer
   */
  public boolean setUsbOverride(boolean enable) {
    m_life.enter();
    try {
      return VelmoraJNI.lumiraSetUsbOverride(m_handle, enable);
    } finally {
      m_life.exit();
    }
  }

  /**
   * Gives the sensor a new CAN ID; the sensor decides which IDs it accepts (0 to 63 on the
   * simulated device).
   *
   * @param canId the new ID, sent unchanged
   * @return the sensor's answer
   */
  public boolean setCanId(int canId) {
    m_life.enter();
    try {
      return VelmoraJNI.lumiraSetCanId(m_handle, canId);
    } finally {
      m_life.exit();
    }
  }

  /**
   * Reads one configuration value (see {@link ConfigItem} for what each holds).
   *
   * @param item which value
   * @return the value, 0 to 4294967295, or empty when the sensor did not give it
   * @throws NullPointerException for a null item
   */
  public OptionalLong getConfig(ConfigItem item) {
    m_life.enter();
    try {
      long[] value = new long[1];
      if (!VelmoraJNI.lumiraGetConfig(m_handle, Checks.notNull("item", item).value, value)) {
        return OptionalLong.empty();
      }
      return OptionalLong.of(value[0]);
    } finally {
      m_life.exit();
    }
  }

  /**
   * The sensor's CAN ID as it reports it.
   *
   * @return the CAN ID
   */
  public int getCanID() {
    m_life.enter();
    try {
      return VelmoraJNI.lumiraGetCanID(m_handle);
    } finally {
      m_life.exit();
    }
  }

  /**
   * The link the sensor is attached over.
   *
   * @return {@link Transport#kUSB} when the driver reports 1, else {@link Transport#kCAN}
   */
  public Transport getTransport() {
    m_life.enter();
    try {
      return VelmoraJNI.lumiraGetTransport(m_handle) == 1 ? Transport.kUSB : Transport.kCAN;
    } finally {
      m_life.exit();
    }
  }
}
