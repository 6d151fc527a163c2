package dev.velmora.frc;

import java.nio.charset.StandardCharsets;
import java.util.function.IntToLongFunction;

/**
 * Opening a sensor that sits either on the CAN bus or on USB. The colour sensor and the Pallax
 * sensor are opened the same way, by a CAN ID that must lie in 0 to 63 or by a device path (a USB
 * port is first turned into its path by the driver); only the device word in messages and the
 * driver calls differ.
 */
final class CanUsbOpen {
  static final int LOWEST_CAN_ID = 0;
  static final int HIGHEST_CAN_ID = 63;

  /** The driver's create call for a path given as its bytes. */
  interface UsbCreate {
    long create(byte[] path, int n);
  }

  private CanUsbOpen() {}

  static long onCan(String deviceWord, int canId, IntToLongFunction create) {
    if (canId < LOWEST_CAN_ID || canId > HIGHEST_CAN_ID) {
      throw new IndexOutOfBoundsException(deviceWord + " CAN ID must be in [" + LOWEST_CAN_ID
          + ", " + HIGHEST_CAN_ID + "], got: " + canId);
    }
    long handle = create.applyAsLong(canId);
    if (handle == 0) {
      throw new DeviceOpenException("Failed to open " + deviceWord + " on CAN ID " + canId);
    }
    return handle;
  }

  static long atPath(String deviceWord, byte[] path, int n, UsbCreate create) {
    long handle = create.create(path, n);
    if (handle == 0) {
      throw new DeviceOpenException(
          "Failed to open " + deviceWord + " on " + new String(path, StandardCharsets.UTF_8));
    }
    return handle;
  }

  // A device path goes to the driver as a C string: a NUL inside it would end the path there
  // and open another device than the one named, so it is refused.
  static byte[] pathBytes(String path) {
    if (Checks.notNull("path", path).indexOf('\0') >= 0) {
      throw new IllegalArgumentException(
          "path must not hold a NUL character, got: " + path.replace("\0", "\\0"));
    }
    return path.getBytes(StandardCharsets.UTF_8);
  }

  static byte[] portPath(int port) {
    return VelmoraJNI.findDevicePath(port);
  }
}
