package dev.velmora.frc;

/**
 * Argument checks shared by the device classes. A value that the driver receives as an unsigned
 * byte or word is refused with an {@link IllegalArgumentException} when it does not fit, rather
 * than cut to its low bits and sent as another value.
 */
final class Checks {
  private Checks() {}

  static int unsignedByte(String what, int value) {
    if (value < 0 || value > 255) {
      throw new IllegalArgumentException(what + " must be in [0, 255], got: " + value);
    }
    return value;
  }

  static int unsignedShort(String what, int value) {
    if (value < 0 || value > 65535) {
      throw new IllegalArgumentException(what + " must be in [0, 65535], got: " + value);
    }
    return value;
  }

  static <T> T notNull(String what, T value) {
    if (value == null) {
      throw new NullPointerException(what + " must not be null");
    }
    return value;
  }
}
