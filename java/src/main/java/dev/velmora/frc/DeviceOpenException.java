package dev.velmora.frc;

/**
 * Thrown when a device cannot be opened: the driver gave no handle for the CAN ID, port or
 * device path asked for. Nothing is left open when it is thrown. The message names the device
 * and where it was looked for, for example "Failed to open Lumira on CAN ID 5".
 */
public class DeviceOpenException extends RuntimeException {
  private static final long serialVersionUID = 1L;

  /**
   * A device that could not be opened.
   *
   * @param message which device, and where it was looked for
   */
  public DeviceOpenException(String message) {
    super(message);
  }
}
