package dev.velmora.frc;

import java.math.BigDecimal;
import java.math.MathContext;
import java.math.RoundingMode;

/**
 * Numbers as the C++ library's console messages print them: a stream's default insertion,
 * general notation with six significant digits (the C {@code %g} conversion), so that the same
 * value gives the same characters in both languages: 6.0 prints as "6", 0.1f as "0.1",
 * 12.000013f as "12", 1e-05 and 1.5e+10 in exponent form.
 */
final class NumberText {
  private static final int PRECISION = 6;

  private NumberText() {}

  /** A float as C++ prints it (the float widened to double, as the stream does). */
  static String general(float value) {
    return general((double) value);
  }

  /** A double in {@code %g} form with six significant digits. */
  static String general(double value) {
    if (Double.isNaN(value)) {
      return (Double.doubleToRawLongBits(value) < 0) ? "-nan" : "nan";
    }
    if (Double.isInfinite(value)) {
      return value < 0 ? "-inf" : "inf";
    }
    if (value == 0.0) {
      return (1.0 / value < 0) ? "-0" : "0";
    }
    // The exact binary value, rounded once to six significant digits, half to even, as the C
    // library does.
    BigDecimal rounded =
        new BigDecimal(value).round(new MathContext(PRECISION, RoundingMode.HALF_EVEN));
    int exponent = rounded.precision() - rounded.scale() - 1;
    String text;
    if (exponent < -4 || exponent >= PRECISION) {
      BigDecimal mantissa = rounded.movePointLeft(exponent);
      String digits = stripZeros(mantissa.setScale(PRECISION - 1, RoundingMode.UNNECESSARY)
          .toPlainString());
      int magnitude = Math.abs(exponent);
      text = digits + "e" + (exponent < 0 ? "-" : "+") + (magnitude < 10 ? "0" : "") + magnitude;
    } else {
      text = stripZeros(rounded.setScale(Math.max(0, PRECISION - 1 - exponent),
          RoundingMode.UNNECESSARY).toPlainString());
    }
    return text;
  }

  private static String stripZeros(String text) {
    if (text.indexOf('.') < 0) {
      return text;
    }
    int end = text.length();
    while (text.charAt(end - 1) == '0') {
      end--;
    }
    if (text.charAt(end - 1) == '.') {
      end--;
    }
    return text.substring(0, end);
  }
}
