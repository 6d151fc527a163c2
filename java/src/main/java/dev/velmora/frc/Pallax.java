package dev.velmora.frc;

import java.nio.ByteBuffer;
import java.nio.ByteOrder;

/**
 * The scanning sensor, reached over the CAN bus by its CAN ID or over USB by a port or a device
 * path.
 *
 * <p>It reads scans of up to 64 values and the sensor's configuration record; every operation is
 * a single call into the driver. Opening, the CAN ID range and the messages are those of
 * {@link Lumira}, with "Pallax" as the device word.
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
public final class Pallax implements AutoCloseable {
  private static final String DEVICE_WORD = "Pallax";
  private static final int SCAN_RECORD_BYTES = 136;
  private static final int CONFIG_RECORD_BYTES = 6;

  /** The most values one scan holds. */
  public static final int kMaxScanLength = 64;

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

  /** One scan, as the sensor reports it. */
  public static final class ScanData {
    /** The scan's leading byte, 0 to 255 (a scan counter on the simulated device). */
    public final int header;

    /** The measured values in scan order, on the sensor's own scale; at most 64. */
    public final short[] values;

    ScanData(int header, short[] values) {
      this.header = header;
      this.values = values;
    }
  }

  /** The sensor's configuration record: three values and three flags, each the sensor's own. */
  public static final class Config {
    /** First configuration value, 0 to 255. */
    public final int valueA;

    /** First configuration flag. */
    public final boolean flagA;

    /** Second configuration flag. */
    public final boolean flagB;

    /** Third configuration flag. */
    public final boolean flagC;

    /** Second configuration value, 0 to 255. */
    public final int valueB;

    /** Third configuration value, 0 to 255. */
    public final int valueC;

    Config(int valueA, boolean flagA, boolean flagB, boolean flagC, int valueB, int valueC) {
      this.valueA = valueA;
      this.flagA = flagA;
      this.flagB = flagB;
      this.flagC = flagC;
      this.valueB = valueB;
      this.valueC = valueC;
    }
  }

  private final long m_handle;
  private final Lifetime m_life;

  /**
   * Opens the sensor with CAN ID {@code canId}.
   *
   * @param canId 0 to 63
   * @throws IndexOutOfBoundsException "Pallax CAN ID must be in [0, 63], got: &lt;id&gt;" for
   *     another ID (nothing is opened)
   * @throws DeviceOpenException "Failed to open Pallax on CAN ID &lt;id&gt;" if the sensor does
   *     not answer
   */
  public Pallax(int canId) {
    VelmoraJNI.load();
    m_handle = CanUsbOpen.onCan(DEVICE_WORD, canId, VelmoraJNI::pallaxCreate);
    m_life = Lifetime.track(this, DEVICE_WORD, release(m_handle));
  }

  /**
   * Opens the sensor on a USB port.
   *
   * @param port the USB port
   * @param n goes to the driver unchanged
   * @throws NullPointerException for a null port
   * @throws DeviceOpenException "Failed to open Pallax on &lt;path&gt;", naming the port's
   *     device path, if the sensor cannot be opened
   */
  public Pallax(Port port, int n) {
    Checks.notNull("port", port);
    VelmoraJNI.load();
    m_handle = CanUsbOpen.atPath(DEVICE_WORD, CanUsbOpen.portPath(port.value), n,
        VelmoraJNI::pallaxCreateUsb);
    m_life = Lifetime.track(this, DEVICE_WORD, release(m_handle));
  }

  /**
   * Opens the sensor at a device path (such as "/dev/ttyACM1").
   *
   * @param path the device path
   * @param n goes to the driver unchanged
   * @throws NullPointerException for a null path
   * @throws IllegalArgumentException for a path holding a NUL character
   * @throws DeviceOpenException "Failed to open Pallax on &lt;path&gt;" if the sensor cannot be
   *     opened
   */
  public Pallax(String path, int n) {
    byte[] bytes = CanUsbOpen.pathBytes(path);
    VelmoraJNI.load();
    m_handle = CanUsbOpen.atPath(DEVICE_WORD, bytes, n, VelmoraJNI::pallaxCreateUsb);
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
    return () -> VelmoraJNI.pallaxDestroy(handle);
  }

  /**
   * Asks for a scan of {@code length} values, brought into 1 to 64. The scan holds as many
   * values as the sensor reports, at most 64.
   *
   * @param length the values wanted
   * @return the scan
   */
  public ScanData getData(int length) {
    m_life.enter();
    try {
      int requested = Math.max(1, Math.min(length, kMaxScanLength));
      byte[] record = new byte[SCAN_RECORD_BYTES];
      VelmoraJNI.pallaxGetData(m_handle, record, requested);
      ByteBuffer b = ByteBuffer.wrap(record).order(ByteOrder.LITTLE_ENDIAN);
      // The record's own count says how many entries are valid, trusted only as far as the record
      // reaches.
      int count = Math.max(0, Math.min(b.getInt(4), kMaxScanLength));
      short[] values = new short[count];
      for (int i = 0; i < count; i++) {
        values[i] = b.getShort(8 + 2 * i);
      }
      return new ScanData(record[0] & 0xFF, values);
    } finally {
      m_life.exit();
    }
  }

  /**
   * Reads the configuration record.
   *
   * @param item the sensor's own selector, sent unchanged
   * @return the record
   */
  public Config getConfig(int item) {
    m_life.enter();
    try {
      byte[] r = new byte[CONFIG_RECORD_BYTES];
      VelmoraJNI.pallaxGetConfig(m_handle, r, item);
      return new Config(r[0] & 0xFF, r[1] != 0, r[2] != 0, r[3] != 0, r[4] & 0xFF, r[5] & 0xFF);
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
      return VelmoraJNI.pallaxGetCanID(m_handle);
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
      return VelmoraJNI.pallaxGetTransport(m_handle) == 1 ? Transport.kUSB : Transport.kCAN;
    } finally {
      m_life.exit();
    }
  }
}
