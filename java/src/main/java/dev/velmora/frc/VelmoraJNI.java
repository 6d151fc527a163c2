package dev.velmora.frc;

/**
 * The native methods of the driver bridge: each is one call into the maker's driver, with the
 * arguments at the driver's widths (the bridge narrows an {@code int} index to its low byte).
 * Everything else, the checks, messages, caches and inversions, is done by the device classes
 * before they get here. Loading this class loads the native library {@code VelmoraJNI}, which
 * loads the driver {@code VelmoraDriver} beside it.
 */
final class VelmoraJNI {
  static {
    try {
      System.loadLibrary("VelmoraJNI");
    } catch (UnsatisfiedLinkError e) {
      // Say where it was looked for: the usual cause is a library folder missing from the path.
      UnsatisfiedLinkError clear = new UnsatisfiedLinkError("VelmoraJNI could not be loaded; it "
          + "and the driver VelmoraDriver belong in a folder on java.library.path ("
          + System.getProperty("java.library.path") + "): " + e.getMessage());
      clear.initCause(e);
      throw clear;
    }
  }

  private VelmoraJNI() {}

  /** Makes sure the native library is loaded; a failure surfaces here, at construction. */
  static void load() {
    // Class initialisation did the work.
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
