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
 * {@link #close()} closes it, and every later call throws {@link IllegalStateException}.
 *
 * <p><b>Threads.</b> No locks: use one object from one thread at a time.
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

  private long m_handle;

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
  }

  /**
   * Opens the sensor at a device path (such as "/dev/ttyACM0").
   *
   * @param path the device path
   * @param n goes to the driver unchanged
   * @throws NullPointerException for a null path
   * @throws DeviceOpenException "Failed to open Lumira on &lt;path&gt;" if the sensor cannot be
   *     opened
   */
  public Lumira(String path, int n) {
    byte[] bytes = CanUsbOpen.pathBytes(path);
    VelmoraJNI.load();
    m_handle = CanUsbOpen.atPath(DEVICE_WORD, bytes, n, VelmoraJNI::lumiraCreateUsb);
  }

  /** Closes the sensor. A second call does nothing. */
  @Override
  public void close() {
    if (m_handle == 0) {
      return;
    }
    long handle = m_handle;
    m_handle = 0;
    VelmoraJNI.lumiraDestroy(handle);
  }

  private long handle() {
    if (m_handle == 0) {
      throw new IllegalStateException("Lumira is closed");
    }
    return m_handle;
  }

  /**
   * The latest colour reading, in the colour format set.
   *
   * @return the reading
   */
  public ColorData getColor() {
    byte[] record = new byte[COLOR_RECORD_BYTES];
    VelmoraJNI.lumiraGetColor(handle(), record);
    ByteBuffer b = ByteBuffer.wrap(record).order(ByteOrder.LITTLE_ENDIAN);
    return new ColorData(b.getShort(0) & 0xFFFF, b.getFloat(4), b.getFloat(8), b.getFloat(12),
        b.get(16) & 0xFF);
  }

  /**
   * Selects the colour format of later readings.
   *
   * @param format the format
   * @return the sensor's answer, like every setter: false when it refused or did not respond
   * @throws NullPointerException for a null format
   */
  public boolean setColorFormat(ColorFormat format) {
    long handle = handle();
    return VelmoraJNI.lumiraSetColorFormat(handle, Checks.notNull("format", format).value);
  }

  /**
   * Sets the time of one measurement.
   *
   * @param milliseconds 0 to 65535
   * @return the sensor's answer
   * @throws IllegalArgumentException for a value outside 0 to 65535
   */
  public boolean setSampleTimeMs(int milliseconds) {
    long handle = handle();
    return VelmoraJNI.lumiraSetSampleTimeMs(
        handle, Checks.unsignedShort("Sample time", milliseconds));
  }

  /**
   * Sets the sensor's brightness.
   *
   * @param brightness 0 to 255
   * @return the sensor's answer
   * @throws IllegalArgumentException for a value outside 0 to 255
   */
  public boolean setBrightness(int brightness) {
    long handle = handle();
    return VelmoraJNI.lumiraSetBrightness(handle, Checks.unsignedByte("Brightness", brightness));
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
    long handle = handle();
    return VelmoraJNI.lumiraSetStatusLed(handle, on, Checks.unsignedByte("LED value", value));
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
    long handle = handle();
    return VelmoraJNI.lumiraSetMeasureMode(
        handle, Checks.notNull("mode", mode).value, (float) value);
  }

  /**
   * Sets the sensor's Z distance, sent as a single-precision float.
   *
   * @param millimetres the distance
   * @return the sensor's answer
   */
  public boolean setZmm(double millimetres) {
    return VelmoraJNI.lumiraSetZmm(handle(), (float) millimetres);
  }

  /**
   * Switches the USB override on or off.
   *
   * @param enable true switches it on
   * @return the sensor's answer
   */
  public boolean setUsbOverride(boolean enable) {
    return VelmoraJNI.lumiraSetUsbOverride(handle(), enable);
  }

  /**
   * Gives the sensor a new CAN ID; the sensor decides which IDs it accepts (0 to 63 on the
   * simulated device).
   *
   * @param canId the new ID, sent unchanged
   * @return the sensor's answer
   */
  public boolean setCanId(int canId) {
    return VelmoraJNI.lumiraSetCanId(handle(), canId);
  }

  /**
   * Reads one configuration value (see {@link ConfigItem} for what each holds).
   *
   * @param item which value
   * @return the value, 0 to 4294967295, or empty when the sensor did not give it
   * @throws NullPointerException for a null item
   */
  public OptionalLong getConfig(ConfigItem item) {
    long handle = handle();
    long[] value = new long[1];
    if (!VelmoraJNI.lumiraGetConfig(handle, Checks.notNull("item", item).value, value)) {
      return OptionalLong.empty();
    }
    return OptionalLong.of(value[0]);
  }

  /**
   * The sensor's CAN ID as it reports it.
   *
   * @return the CAN ID
   */
  public int getCanID() {
    return VelmoraJNI.lumiraGetCanID(handle());
  }

  /**
   * The link the sensor is attached over.
   *
   * @return {@link Transport#kUSB} when the driver reports 1, else {@link Transport#kCAN}
   */
  public Transport getTransport() {
    return VelmoraJNI.lumiraGetTransport(handle()) == 1 ? Transport.kUSB : Transport.kCAN;
  }
}
