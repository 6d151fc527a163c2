package dev.velmora.frc;

import static org.junit.jupiter.api.Assertions.assertEquals;

import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.CsvSource;

/** Numbers in console messages come out as a C++ stream prints them (six significant digits). */
class NumberTextTest {
  @ParameterizedTest(name = "{0} prints as {1}")
  @CsvSource({
      "6.0, 6", "12.0, 12", "0.1, 0.1", "100000, 100000", "1000000, 1e+06", "1234567, 1.23457e+06",
      "999999.5, 1e+06", "0.0001, 0.0001", "0.00001234, 1.234e-05", "-2.5, -2.5",
      "123.456789, 123.457", "1e-300, 1e-300", "1.5e+100, 1.5e+100", "0.000123456789, 0.000123457"})
  void doublesInGeneralNotation(double value, String text) {
    assertEquals(text, NumberText.general(value));
  }

  @ParameterizedTest(name = "float {0} prints as {1}")
  @CsvSource({"6.1, 6.1", "11.1, 11.1", "12.000013, 12", "6.0000005, 6", "0.1, 0.1",
      "5.999, 5.999", "12.001, 12.001"})
  void floatsAreWidenedFirst(float value, String text) {
    assertEquals(text, NumberText.general(value));
  }

  @ParameterizedTest(name = "{0}")
  @CsvSource({"NaN, nan", "Infinity, inf", "-Infinity, -inf", "-0.0, -0", "0.0, 0"})
  void specialValues(double value, String text) {
    assertEquals(text, NumberText.general(value));
  }
}
