package dev.velmora.frc;

/**
 * The native methods of the driver bridge: each is one call into the maker's driver, with the
 * arguments at the driver's widths (the bridge narrows an {@code int} index to its low byte).
 * Everything else, the checks, messages, caches and inversions, is done by the device classes
 * before they get here. Loading this class loads the native library {@code VelmoraJNI}, which
 * loads the driver {@code VelmoraDriver} beside it.
 */
final class VelmoraJNI {
  /** Why the native library did not load, in words a team can act on; null once it loaded. */
  private static final String LOAD_FAILURE = loadNativeLibrary();

  private VelmoraJNI() {}

  private static String loadNativeLibrary() {
    try {
      System.loadLibrary("VelmoraJNI");
      return null;
    } catch (UnsatisfiedLinkError e) {
      String message = loadFailureMessage(e.getMessage(), System.getProperty("java.library.path"),
          System.mapLibraryName("VelmoraJNI"), System.mapLibraryName("VelmoraDriver"));
      // On the console at once: a robot whose devices are fields fails while WPILib constructs
      // it, and WPILib prints only the innermost cause of what it caught.
      System.err.println(message);
      return message;
    }
  }

  /**
   * What a team reads when the JNI library or the driver it needs cannot be loaded: which
   * library, where it was looked for and which vendor file or driver to add.
   *
   * @param cause the loader's own message
   * @param searched the folders of java.library.path
   * @param jniFile the JNI library's file name on this system
   * @param driverFile the driver's file name on this system
   * @return the message
   */
  static String loadFailureMessage(String cause, String searched, String jniFile,
      String driverFile) {
    String text = cause == null ? "" : cause;
    String what;
    if (text.contains("VelmoraDriver") || text.contains(driverFile)
        || text.contains("dependent libraries")) {
      what = "the driver " + driverFile + " was not found beside the JNI library " + jniFile
          + ". For desktop simulation and tests add the vendor file VelmoraSimulation.json (it "
          + "brings the simulation driver); on the robot install the maker's driver";
    } else if (text.contains("no VelmoraJNI")) {
      what = "the JNI library " + jniFile + " is in none of these folders. Add the vendor file "
          + "Velmora.json to the project (its jniDependencies bring " + jniFile + ")";
    } else {
      what = jniFile + " was found but could not be loaded. Use the archives of one release, "
          + "for this platform (Velmora.json and VelmoraSimulation.json of the same version)";
    }
    return "Velmora: the native library VelmoraJNI could not be loaded: " + what
        + ". Folders searched (java.library.path): " + searched + ". The loader said: " + text;
  }

  /**
   * Makes sure the native library is loaded; a failure surfaces here, at construction.
   *
   * @throws UnsatisfiedLinkError with {@link #loadFailureMessage} when it is not
   */
  static void load() {
    if (LOAD_FAILURE != null) {
      // A fresh error each time, with no cause: WPILib's report of a robot that failed to
      // construct shows the innermost cause only, and this message is the one to show.
      throw new UnsatisfiedLinkError(LOAD_FAILURE);
    }
  }

  // Orvex controller
  static native int orvexCreate(int id, int frequency);

  static native void orvexDestroy(int handle);

  static native int orvexGetID(int handle);

  static native byte[] orvexGetFirmwareVersion(int handle);

  static native byte[] orvexGetHardwareVersion(int handle);

  static native byte[] orvexGetSerialNumber(int handle);

  static native int orvexGetFrequency(int handle);

  static native double orvexGetControllerTemp(int handle);

  static native void orvexSetMotorStopMode(int handle, int mode);

  static native void orvexSetPIDType(int handle, int type);

  static native void orvexAutotuneAll(int handle);

  static native void orvexSetCANSensorOsDelay(int handle, int delay);

  static native boolean orvexGetTargetRPMFromDevice(int handle, double[] targets);

  static native void orvexSetEncoder(int handle, int index, double setupValue);

  // Orvex motor channel
  static native void orvexSetMotorSpeed(int handle, int index, double speed);

  static native void orvexDisableMotor(int handle, int index);

  static native void orvexConfigureMotor(int handle, int index, int configuration);

  static native double orvexGetRPM(int handle, int index);

  static native boolean orvexTryGetRPM(int handle, int index, double[] rpm);

  static native boolean orvexTryGetTargetRPM(int handle, int index, double[] rpm);

  static native int orvexGetLimitSwitch(int handle, int index, boolean which);

  static native double orvexGetZynderPosition(int handle, int index);

  static native void orvexSetTargetVelocity(int handle, int index, float velocity);

  static native void orvexSetTargetDistance(int handle, int index, int distance);

  static native void orvexSetTargetAngle(int handle, int index, double angle);

  static native void orvexSetPositionHold(int handle, int index, boolean hold);

  static native void orvexSetSensitivity(int handle, int index, int sensitivity);

  static native void orvexSetCurrentLimit(int handle, int index, float limit);

  static native void orvexSetCurrentLimitMode(int handle, int index, int mode);

  static native void orvexSetEncoderResolution(int handle, int index, int resolution);

  static native void orvexSetMotorPIDType(int handle, int index, int type);

  static native void orvexAutotuneMotor(int handle, int index);

  // Orvex encoder channel
  static native void orvexResetEncoder(int handle, int index);

  static native double orvexGetEncoderDistance(int handle, int index);

  static native double orvexGetEncoderRaw(int handle, int index);

  static native int orvexGetEncoderCount(int handle, int index);

  static native double orvexGetEncoderSpeed(int handle, int index);

  // Small lidar
  static native long lidarMiniCreate(int port);

  static native void lidarMiniDestroy(long handle);

  static native void lidarMiniStart(long handle);

  static native void lidarMiniStop(long handle);

  static native void lidarMiniIncreaseFrequency(long handle, boolean wholeHertz);

  static native void lidarMiniDecreaseFrequency(long handle, boolean wholeHertz);

  static native void lidarMiniGetInfo(long handle, byte[] record);

  static native void lidarMiniGetHealth(long handle, byte[] record);

  static native LidarMini.ScanData lidarMiniGetData(long handle);

  // Large lidar
  static native void lidarCreate(int port);

  static native void lidarStart();

  static native void lidarStop();

  static native void lidarGetData(byte[] block);

  static native void lidarEnableFilter(int filter, boolean enable);

  static native void lidarClusterConfig(float value, int minClusterSize);

  static native void lidarKalmanConfig(float a, float b, float c);

  static native void lidarMovingAverageConfig(int windowSize);

  static native void lidarMedianConfig(int windowSize);

  static native void lidarJitterConfig(float value);

  // Colour sensor
  static native long lumiraCreate(int canId);

  static native long lumiraCreateUsb(byte[] path, int n);

  static native void lumiraDestroy(long handle);

  static native void lumiraGetColor(long handle, byte[] record);

  static native boolean lumiraSetColorFormat(long handle, int format);

  static native boolean lumiraSetSampleTimeMs(long handle, int milliseconds);

  static native boolean lumiraSetBrightness(long handle, int brightness);

  static native boolean lumiraSetStatusLed(long handle, boolean on, int value);

  static native boolean lumiraSetMeasureMode(long handle, int mode, float value);

  static native boolean lumiraSetZmm(long handle, float millimetres);

  static native boolean lumiraSetUsbOverride(long handle, boolean enable);

  static native boolean lumiraSetCanId(long handle, int canId);

  static native boolean lumiraGetConfig(long handle, int item, long[] value);

  static native int lumiraGetCanID(long handle);

  static native int lumiraGetTransport(long handle);

  // Pallax sensor
  static native long pallaxCreate(int canId);

  static native long pallaxCreateUsb(byte[] path, int n);

  static native void pallaxDestroy(long handle);

  static native void pallaxGetData(long handle, byte[] record, int length);

  static native void pallaxGetConfig(long handle, byte[] record, int item);

  static native int pallaxGetCanID(long handle);

  static native int pallaxGetTransport(long handle);

  // Analog board and simulated driver station: one of each per process, no handle
  static native void initializeI2C(int vref);

  static native void closeI2C();

  static native int getRawValue(int channel);

  static native float getVoltage(int channel);

  static native void mockDSCreate();

  static native void mockDSDestroy();

  static native void mockDSEnable();

  static native void mockDSDisable();

  // The device path of a USB port, as the driver's bytes
  static native byte[] findDevicePath(int port);

  /** "name signature" of every method the native library binds, for the binding test. */
  static native String[] boundMethods();
}
