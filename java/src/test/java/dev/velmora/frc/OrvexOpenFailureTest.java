package dev.velmora.frc;

import static org.junit.jupiter.api.Assertions.assertEquals;

import org.junit.jupiter.api.Test;

/**
 * An Orvex the driver could not open does not throw: the program runs on with an inert object,
 * which a team notices by its empty firmware version.
 */
class OrvexOpenFailureTest extends DriverTestBase {
  @Test
  void aSecondOrvexOnAnOpenCanIdIsInertAndSaysSoByItsEmptyVersion() {
    try (Orvex first = new Orvex(5); Orvex second = new Orvex(5)) {
      assertEquals("2.4.1", first.getFirmwareVersion());
      assertEquals("", second.getFirmwareVersion());
      assertEquals(2, journal().stream().filter("c_Orvex_create(i32:5, i32:15600)"::equals).count(),
          "both opens reached the driver");
    }
  }
}
