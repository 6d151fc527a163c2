package dev.velmora.frc;

import java.nio.ByteBuffer;
import java.nio.ByteOrder;

/**
 * The large scanning lidar with switchable filters (cluster, Kalman, moving average, median,
 * jitter), each switched on and off and configured separately.
 *
 * <p><b>Lifetime.</b> The driver keeps one lidar of this kind for the whole program, so a Lidar
 * object holds nothing: every object drives the same device, and none releases it.
 *
 * <p><b>Threads.</b> No locks: drive the lidar from one thread at a time, across all its objects.
 */
public final class Lidar {
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

  /** The lidar's filters; the number goes to the driver unchanged. */
  public enum Filter {
    /** The cluster filter, set up by {@link Lidar#clusterConfig}. */
    kCluster(0),
    /** The Kalman filter, set up by {@link Lidar#kalmanConfig}. */
    kKalman(1),
    /** The moving-average filter, set up by {@link Lidar#movingAverageConfig}. */
    kMovingAverage(2),
    /** The median filter, set up by {@link Lidar#medianConfig}. */
    kMedian(3),
    /** The jitter filter, set up by {@link Lidar#jitterConfig}. */
    kJitter(4);

    /** The filter's number, as the driver knows it. */
    public final int value;

    Filter(int value) {
      this.value = value;
    }
  }

  /** Values per array of a scan: one per degree. */
  public static final int kScanLength = 360;

  private static final int BLOCK_BYTES = 2 * kScanLength * Float.BYTES;

  /** One scan, one value per degree: entry i of {@code distances} was measured at {@code angles[i]}. */
  public static final class ScanData {
    /** Degrees, counter-clockwise from the lidar's front; {@link #kScanLength} values. */
    public final float[] angles;

    /**
     * Distance at each angle, in the lidar's own unit (metres on the simulated device); 0 or
     * below means no valid reading; {@link #kScanLength} values.
     */
    public final float[] distances;

    ScanData(float[] angles, float[] distances) {
      this.angles = angles;
      this.distances = distances;
    }
  }

  /**
   * Opens the lidar on {@code port}. Nothing is checked or thrown: the driver has the one device.
   *
   * @param port the USB port
   * @throws NullPointerException for a null port
   */
  public Lidar(Port port) {
    Checks.notNull("port", port);
    VelmoraJNI.load();
    VelmoraJNI.lidarCreate(port.value);
  }

  /** Starts scanning. */
  public void start() {
    VelmoraJNI.lidarStart();
  }

  /** Stops scanning. */
  public void stop() {
    VelmoraJNI.lidarStop();
  }

  /**
   * The latest scan, after the filters that are switched on: the driver's scan block, its first
   * half the angles and its second half the distances, bit for bit.
   *
   * @return the scan
   */
  public ScanData getData() {
    byte[] block = new byte[BLOCK_BYTES];
    VelmoraJNI.lidarGetData(block);
    ByteBuffer buffer = ByteBuffer.wrap(block).order(ByteOrder.LITTLE_ENDIAN);
    float[] angles = new float[kScanLength];
    float[] distances = new float[kScanLength];
    buffer.asFloatBuffer().get(angles).get(distances);
    return new ScanData(angles, distances);
  }

  /**
   * Switches one filter on or off.
   *
   * @param filter the filter
   * @param enable true switches it on
   * @throws NullPointerException for a null filter
   */
  public void enableFilter(Filter filter, boolean enable) {
    Checks.notNull("filter", filter);
    VelmoraJNI.lidarEnableFilter(filter.value, enable);
  }

  private static boolean sizeInRange(int size) {
    return size >= 1 && size <= 10;
  }

  /**
   * Configures the cluster filter. A size outside 1 to 10 is refused with "Min cluster size to
   * large must be less than 11 and greater than 0" on standard error, and the lidar keeps its
   * previous configuration.
   *
   * @param value the device's own clustering parameter, sent as a single-precision float
   * @param minClusterSize the smallest cluster size, 1 to 10
   */
  public void clusterConfig(double value, int minClusterSize) {
    if (!sizeInRange(minClusterSize)) {
      Console.err("Min cluster size to large must be less than 11 and greater than 0\n");
      return;
    }
    VelmoraJNI.lidarClusterConfig((float) value, minClusterSize);
  }

  /**
   * Configures the Kalman filter with the device's own three parameters, each sent as a
   * single-precision float.
   *
   * @param a first parameter
   * @param b second parameter
   * @param c third parameter
   */
  public void kalmanConfig(double a, double b, double c) {
    VelmoraJNI.lidarKalmanConfig((float) a, (float) b, (float) c);
  }

  /**
   * Configures the moving-average window size. Another size is refused with "Window size to
   * large must be less than 11 and greater than 0" on standard error and nothing is sent.
   *
   * @param windowSize 1 to 10
   */
  public void movingAverageConfig(int windowSize) {
    if (!sizeInRange(windowSize)) {
      Console.err("Window size to large must be less than 11 and greater than 0\n");
      return;
    }
    VelmoraJNI.lidarMovingAverageConfig(windowSize);
  }

  /**
   * Configures the median window size; another size is refused as in
   * {@link #movingAverageConfig(int)}.
   *
   * @param windowSize 1 to 10
   */
  public void medianConfig(int windowSize) {
    if (!sizeInRange(windowSize)) {
      Console.err("Window size to large must be less than 11 and greater than 0\n");
      return;
    }
    VelmoraJNI.lidarMedianConfig(windowSize);
  }

  /**
   * Configures the jitter filter with the device's own threshold, sent as a single-precision
   * float.
   *
   * @param value the threshold
   */
  public void jitterConfig(double value) {
    VelmoraJNI.lidarJitterConfig((float) value);
  }
}
