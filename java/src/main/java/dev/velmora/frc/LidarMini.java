package dev.velmora.frc;

import java.lang.ref.Reference;

/**
 * The small 360-degree scanning lidar: one object per lidar opened on a port.
 *
 * <p>It starts and stops scanning, steps the scan frequency in whole and tenth hertz within 6 to
 * 12 Hz (reporting every step on standard output), and reads the lidar's information, health
 * and scans. If the lidar cannot be opened the object is inert: every call quietly does nothing
 * and reads return empty records.
 *
 * <p><b>Lifetime.</b> The lidar is released by {@link #destroy()}, and the object is inert
 * afterwards; a port whose lidar is open cannot be opened again. Call {@code destroy()} when
 * done. An object the program drops without destroying it is released by the garbage collector
 * some time after it becomes unreachable; when is the collector's choice.
 *
 * <p><b>Threads.</b> The library takes no locks: use one object from one thread at a time.
 * {@code destroy()} alone may come from any thread at any time: the lidar is released exactly
 * once, and a call racing it either finishes before the release or does nothing, as on a
 * destroyed object.
 */
public final class LidarMini {
  /** The USB port the lidar is plugged into; the number goes to the driver unchanged. */
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

  // The scan frequency window. It is tested against thresholds a little outside 6 and 12 so
  // that tenth steps, which do not add up exactly in single precision, still reach both ends.
  private static final float WHOLE_STEP = 1.0f;
  private static final float TENTH_STEP = 0.1f;
  private static final float MAXIMUM_FREQUENCY = 12.0f;
  private static final float MINIMUM_FREQUENCY = 6.0f;
  private static final float UPPER_THRESHOLD = 12.001f;
  private static final float LOWER_THRESHOLD = 5.999f;

  private static final int INFO_RECORD_BYTES = 22;
  private static final int HEALTH_RECORD_BYTES = 4;

  private final long m_handle;
  // Null for a lidar the driver did not open: such an object is inert from the start.
  private final Lifetime m_life;
  private float m_currentFrequency = 6.0f;

  /**
   * One scan as three parallel arrays: entry i of each belongs to point i of the scan, in the
   * order the lidar swept it. An empty record means no scan (stopped or inert lidar).
   */
  public static final class ScanData {
    /** Degrees, 0 to 360, counter-clockwise from the lidar's front. */
    public final float[] angles;

    /**
     * Distance to what each point hit, in the lidar's own unit (metres on the simulated device);
     * 0 or below means no valid reading.
     */
    public final float[] distances;

    /** Signal quality on the lidar's own scale (higher is better). */
    public final float[] qualities;

    /** The lidar's stamp for this scan (microseconds on the simulated device). */
    public final long timestamp;

    /** An empty scan. */
    public ScanData() {
      this(new float[0], new float[0], new float[0], 0);
    }

    /**
     * A scan from its three arrays, kept as given (not copied).
     *
     * @param angles degrees of each point
     * @param distances distance of each point
     * @param qualities quality of each point
     * @param timestamp the scan's stamp
     * @throws NullPointerException for a null array
     */
    public ScanData(float[] angles, float[] distances, float[] qualities, long timestamp) {
      this.angles = Checks.notNull("angles", angles);
      this.distances = Checks.notNull("distances", distances);
      this.qualities = Checks.notNull("qualities", qualities);
      this.timestamp = timestamp;
    }

    /**
     * The distance of the valid point whose angle is nearest to {@code angle}, if it lies within
     * {@code tolerance} degrees (inclusive); else -1. Whole turns do not count and the difference
     * folds at 180 degrees, so 359.5 is 1 degree from 0.5 and a gyro heading of 630 looks at
     * 270. Of equally near points the first wins. A point or query whose angle is not finite
     * never matches. Only points present in both {@code angles} and {@code distances} are
     * looked at.
     *
     * @param angle degrees
     * @param tolerance degrees
     * @return the distance found, or -1.0
     */
    public float getDistanceAt(float angle, float tolerance) {
      if (angles.length == 0) {
        return -1.0f;
      }
      if (Float.isInfinite(angle)) {
        return -1.0f;
      }
      int count = Math.min(angles.length, distances.length);
      float[] best = new float[1];
      float result = nearest(false, count, angle, tolerance, best);
      // A difference folded below 0 beats every true match, so it can only hide behind a best
      // difference below 0; then, and only then, the scan is looked at again with whole turns
      // removed.
      if (best[0] < 0.0f) {
        return nearest(true, count, angle, tolerance, best);
      }
      return result;
    }

    private float nearest(boolean reduceTurns, int count, float angle, float tolerance,
        float[] bestOut) {
      float best = Float.MAX_VALUE;
      float result = -1.0f;
      for (int i = 0; i < count; i++) {
        float d = Math.abs(angles[i] - angle);
        if (d > 180.0f) {
          d = 360.0f - d;
        }
        if (reduceTurns && d < 0.0f) {
          d = farDifference(angles[i], angle);
        }
        // Written so that a NaN anywhere makes the test false: a NaN angle matches nothing.
        if (tolerance >= d && best > d && distances[i] > 0.0f) {
          best = d;
          result = distances[i];
        }
      }
      bestOut[0] = best;
      return result;
    }

    // How far apart two directions are that lie more than a turn apart: whole turns are removed
    // before the fold at 180; a direction that is not finite gives NaN, which matches nothing.
    private static float farDifference(float stored, float query) {
      if (!Float.isFinite(stored) || !Float.isFinite(query)) {
        return Float.NaN;
      }
      float d = Math.abs(stored - query);
      if (!Float.isFinite(d)) {
        d = Math.abs(stored % 360.0f - query % 360.0f);
      }
      d = d % 360.0f;
      return d > 180.0f ? 360.0f - d : d;
    }
  }

  /** What the lidar says about itself. A default record is all zeros. */
  public static final class LidarInfo {
    /** The lidar's model code, 0 to 255. */
    public final int model;

    /** Firmware version, minor part (32 in 1.32), 0 to 255. */
    public final int firmwareMinor;

    /** Firmware version, major part (1 in 1.32), 0 to 255. */
    public final int firmwareMajor;

    /** Hardware revision, 0 to 255. */
    public final int hardware;

    private final byte[] m_serialNumber;

    /** An all-zero record. */
    public LidarInfo() {
      this(0, 0, 0, 0, new byte[16]);
    }

    /**
     * A record from its fields.
     *
     * @param model model code
     * @param firmwareMinor firmware minor version
     * @param firmwareMajor firmware major version
     * @param hardware hardware revision
     * @param serialNumber the 16 serial-number bytes, first byte first (copied)
     * @throws IllegalArgumentException unless {@code serialNumber} holds 16 bytes
     */
    public LidarInfo(int model, int firmwareMinor, int firmwareMajor, int hardware,
        byte[] serialNumber) {
      if (Checks.notNull("serialNumber", serialNumber).length != 16) {
        throw new IllegalArgumentException(
            "serialNumber must hold 16 bytes, got: " + serialNumber.length);
      }
      this.model = model;
      this.firmwareMinor = firmwareMinor;
      this.firmwareMajor = firmwareMajor;
      this.hardware = hardware;
      m_serialNumber = serialNumber.clone();
    }

    /**
     * The serial number's 16 bytes, first byte first.
     *
     * @return a copy of the bytes
     */
    public byte[] getSerialNumber() {
      return m_serialNumber.clone();
    }

    /**
     * The serial number as 32 upper-case hexadecimal digits, first byte first ("0AFF00...").
     *
     * @return the text
     */
    public String getSerialString() {
      StringBuilder text = new StringBuilder(32);
      for (byte b : m_serialNumber) {
        text.append(Character.toUpperCase(Character.forDigit((b >> 4) & 0xF, 16)));
        text.append(Character.toUpperCase(Character.forDigit(b & 0xF, 16)));
      }
      return text.toString();
    }
  }

  /** The lidar's own health report. A default record is all zeros. */
  public static final class LidarHealth {
    /** The lidar's status code, 0 to 255 (0: good on the simulated device). */
    public final int status;

    /** The lidar's error code, 0 to 65535, 0 when there is none. */
    public final int errorCode;

    /** An all-zero record. */
    public LidarHealth() {
      this(0, 0);
    }

    /**
     * A record from its fields.
     *
     * @param status status code
     * @param errorCode error code
     */
    public LidarHealth(int status, int errorCode) {
      this.status = status;
      this.errorCode = errorCode;
    }
  }

  /**
   * Opens the lidar on {@code port}. Never throws for a lidar that does not answer: the object
   * is inert then.
   *
   * @param port the USB port
   * @throws NullPointerException for a null port
   */
  public LidarMini(Port port) {
    Checks.notNull("port", port);
    VelmoraJNI.load();
    m_handle = VelmoraJNI.lidarMiniCreate(port.value);
    m_life = m_handle == 0 ? null : Lifetime.track(this, "LidarMini", release(m_handle));
  }

  // The release holds the handle alone, never the lidar object, which could then never become
  // unreachable.
  private static Runnable release(long handle) {
    return () -> VelmoraJNI.lidarMiniDestroy(handle);
  }

  // Starts a driver call on an open lidar; false for an inert object. Pair true with exit().
  private boolean enter() {
    return m_life != null && m_life.tryEnter();
  }

  private void exit() {
    m_life.exit();
  }

  /** Starts scanning. */
  public void start() {
    if (enter()) {
      try {
        VelmoraJNI.lidarMiniStart(m_handle);
      } finally {
        exit();
      }
    }
  }

  /** Stops scanning; {@link #getData()} returns empty scans until the next start. */
  public void stop() {
    if (enter()) {
      try {
        VelmoraJNI.lidarMiniStop(m_handle);
      } finally {
        exit();
      }
    }
  }

  /**
   * Releases the lidar; the object is inert from then on. Safe to call more than once, from
   * several threads at once: the lidar is released once, when no call of another thread is in
   * progress any more, and before this returns.
   */
  public void destroy() {
    // The first destroy releases the lidar (once no call is in progress); every other one, and
    // one of an object that never opened a lidar, sends the driver a null handle, which it
    // accepts: the same calls as the C++ class makes.
    if (m_life == null || !m_life.close()) {
      VelmoraJNI.lidarMiniDestroy(0);
    }
    Reference.reachabilityFence(this);
  }

  /**
   * Raises the scan frequency by 1 Hz. The frequency is kept by this object (a new object starts
   * at 6 Hz) and never read back from the lidar. A step that would leave 6 to 12 Hz is refused
   * with a "blocked" line on standard error; an applied step prints "[LidarMini] Scan frequency
   * → &lt;Hz&gt; Hz" on standard output.
   */
  public void increaseFrequencyHz() {
    applyFrequencyChange(WHOLE_STEP, true);
  }

  /** Raises the scan frequency by 0.1 Hz, within 6 to 12 Hz (as {@link #increaseFrequencyHz}). */
  public void increaseFrequencyTenthHz() {
    applyFrequencyChange(TENTH_STEP, true);
  }

  /** Lowers the scan frequency by 1 Hz, within 6 to 12 Hz (as {@link #increaseFrequencyHz}). */
  public void decreaseFrequencyHz() {
    applyFrequencyChange(WHOLE_STEP, false);
  }

  /** Lowers the scan frequency by 0.1 Hz, within 6 to 12 Hz (as {@link #increaseFrequencyHz}). */
  public void decreaseFrequencyTenthHz() {
    applyFrequencyChange(TENTH_STEP, false);
  }

  /**
   * The scan frequency this object has set.
   *
   * @return hertz, 6 to 12
   */
  public float getCurrentFrequency() {
    return m_currentFrequency;
  }

  private void applyFrequencyChange(float step, boolean increase) {
    float target = increase ? m_currentFrequency + step : m_currentFrequency - step;
    // The range test comes first, so an inert object still reports a refused step.
    if (increase && target > UPPER_THRESHOLD) {
      Console.err("[LidarMini] IncreaseFrequency blocked: " + NumberText.general(m_currentFrequency)
          + " + " + NumberText.general(step) + " Hz would exceed maximum "
          + NumberText.general(MAXIMUM_FREQUENCY) + " Hz\n");
      return;
    }
    if (!increase && target < LOWER_THRESHOLD) {
      Console.err("[LidarMini] DecreaseFrequency blocked: " + NumberText.general(m_currentFrequency)
          + " - " + NumberText.general(step) + " Hz would go below minimum "
          + NumberText.general(MINIMUM_FREQUENCY) + " Hz\n");
      return;
    }
    if (!enter()) {
      return;
    }
    try {
      boolean wholeHertz = step == WHOLE_STEP;
      if (increase) {
        VelmoraJNI.lidarMiniIncreaseFrequency(m_handle, wholeHertz);
      } else {
        VelmoraJNI.lidarMiniDecreaseFrequency(m_handle, wholeHertz);
      }
    } finally {
      exit();
    }
    m_currentFrequency = target;
    Console.out("[LidarMini] Scan frequency \u2192 " + NumberText.general(m_currentFrequency)
        + " Hz\n");
  }

  /**
   * Model, firmware, hardware and serial number.
   *
   * @return the record; all zeros from an inert object
   */
  public LidarInfo getInfo() {
    if (!enter()) {
      return new LidarInfo();
    }
    byte[] record = new byte[INFO_RECORD_BYTES];
    try {
      VelmoraJNI.lidarMiniGetInfo(m_handle, record);
    } finally {
      exit();
    }
    byte[] serial = new byte[16];
    System.arraycopy(record, 5, serial, 0, 16);
    return new LidarInfo(record[0] & 0xFF, record[2] & 0xFF, record[3] & 0xFF, record[4] & 0xFF,
        serial);
  }

  /**
   * The lidar's health report.
   *
   * @return the record; all zeros from an inert object
   */
  public LidarHealth getHealth() {
    if (!enter()) {
      return new LidarHealth();
    }
    byte[] record = new byte[HEALTH_RECORD_BYTES];
    try {
      VelmoraJNI.lidarMiniGetHealth(m_handle, record);
    } finally {
      exit();
    }
    return new LidarHealth(record[0] & 0xFF, (record[2] & 0xFF) | (record[3] & 0xFF) << 8);
  }

  /**
   * The latest scan (a new one each turn of the lidar, so at the scan frequency).
   *
   * @return the scan; empty from an inert or stopped lidar
   */
  public ScanData getData() {
    if (!enter()) {
      return new ScanData();
    }
    try {
      return VelmoraJNI.lidarMiniGetData(m_handle);
    } finally {
      exit();
    }
  }
}
