package dev.velmora.frc;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;

import dev.velmora.frc.sim.SimDriver;
import edu.wpi.first.hal.PWMConfigDataResult;
import java.nio.charset.StandardCharsets;
import java.util.List;
import java.util.OptionalLong;
import java.util.function.Consumer;
import java.util.stream.Stream;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.function.Executable;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.Arguments;
import org.junit.jupiter.params.provider.MethodSource;

/**
 * Values the driver takes narrower than Java passes them are refused, not cut; texts cross the
 * boundary byte for byte; and the bridge's own checks hold when the natives are called directly,
 * which the device classes never do with a bad argument.
 */
class BoundaryChecksTest extends DriverTestBase {
  static Stream<Arguments> sensorValuesOutsideTheirField() {
    return Stream.of(
        Arguments.of("LED value must be in [0, 255], got: 256",
            (Consumer<Lumira>) l -> l.setStatusLed(true, 256)),
        Arguments.of("LED value must be in [0, 255], got: -1",
            (Consumer<Lumira>) l -> l.setStatusLed(false, -1)),
        Arguments.of("Brightness must be in [0, 255], got: 256",
            (Consumer<Lumira>) l -> l.setBrightness(256)),
        Arguments.of("Brightness must be in [0, 255], got: -1",
            (Consumer<Lumira>) l -> l.setBrightness(-1)),
        Arguments.of("Sample time must be in [0, 65535], got: 65536",
            (Consumer<Lumira>) l -> l.setSampleTimeMs(65536)),
        Arguments.of("Sample time must be in [0, 65535], got: -1",
            (Consumer<Lumira>) l -> l.setSampleTimeMs(-1)));
  }

  @ParameterizedTest(name = "{0}")
  @MethodSource("sensorValuesOutsideTheirField")
  void aColourSensorValueOutsideItsFieldIsRefused(String message, Consumer<Lumira> call) {
    try (Lumira lumira = new Lumira(2)) {
      journal();
      IllegalArgumentException e =
          assertThrows(IllegalArgumentException.class, () -> call.accept(lumira));
      assertEquals(message, e.getMessage());
      assertNoDriverCall();
    }
  }

  @Test
  void colourSensorValuesAtTheEdgesOfTheirFieldsReachTheDriver() {
    try (Lumira lumira = new Lumira(2)) {
      journal();
      lumira.setStatusLed(true, 255);
      lumira.setBrightness(0);
      lumira.setSampleTimeMs(65535);
      assertEquals(List.of("c_Lumira_setStatusLed(handle#1, bool:true, u8:255)",
          "c_Lumira_setBrightness(handle#1, u8:0)",
          "c_Lumira_setSampleTimeMs(handle#1, u16:65535)"), journal());
    }
  }

  @Test
  void analogInputNumbersMustFitAByteAndReachTheBoardWhole() {
    try (Adexa board = new Adexa()) {
      journal();
      for (int channel : new int[] {256, -1, Integer.MIN_VALUE}) {
        IllegalArgumentException raw =
            assertThrows(IllegalArgumentException.class, () -> board.getRawValue(channel));
        assertEquals("Channel must be in [0, 255], got: " + channel, raw.getMessage());
        IllegalArgumentException volts =
            assertThrows(IllegalArgumentException.class, () -> board.getVoltage(channel));
        assertEquals("Channel must be in [0, 255], got: " + channel, volts.getMessage());
      }
      assertNoDriverCall();
      board.getRawValue(200);
      board.getVoltage(255);
      board.getRawValue(128);
      assertEquals(List.of("c_getRawValue(u8:200)", "c_getVoltage(u8:255)",
          "c_getRawValue(u8:128)"), journal());
    }
  }

  @Test
  void aDevicePathHoldingANulIsRefusedNotCutShort() {
    for (Executable open : List.<Executable>of(() -> new Lumira("/dev/ttyACM0\0/x", 0),
        () -> new Pallax("/dev/ttyACM1\0", 0))) {
      IllegalArgumentException e = assertThrows(IllegalArgumentException.class, open);
      assertTrue(e.getMessage().startsWith("path must not hold a NUL character, got: /dev/ttyACM"),
          e.getMessage());
    }
    assertNoDriverCall();
  }

  @Test
  void driverTextsComeBackByteForByte() {
    byte[] serial = {'S', 'N', '-', (byte) 0xFF, 0, (byte) 0xC3, (byte) 0xA9, (byte) 0xFE};
    SimDriver.script("c_Orvex_getSerialNumber next bytes 534e2dff00c3a9fe");
    SimDriver.script("c_Orvex_getHardwareVersion always bytes b3");
    try (Orvex orvex = new Orvex(5)) {
      assertArrayEquals(serial,
          orvex.getSerialNumber().getBytes(StandardCharsets.ISO_8859_1));
      assertArrayEquals(new byte[] {(byte) 0xB3},
          orvex.getHardwareVersion().getBytes(StandardCharsets.ISO_8859_1));
    }
  }

  @Test
  void servosReportTheirUsageWithTheChannelCountedFromOne() {
    assertEquals(1, Servo.usageInstance(0));
    assertEquals(4, Servo.usageInstance(3));
    assertEquals(20, Servo.usageInstance(19));
    assertEquals(Integer.MAX_VALUE, Servo.usageInstance(Integer.MAX_VALUE),
        "the last channel number does not wrap to a negative instance");
  }

  @Test
  void theContinuousServosDeadbandRunsFrom1point45To1point55Milliseconds() {
    try (ServoContinuous servo = new ServoContinuous(6)) {
      PWMConfigDataResult raw = servo.getRawBounds();
      // Raw steps of 0.001 ms, 1.5 ms at raw 999; the bottom is raised to the shortest pulse.
      assertEquals(1999, raw.max, "2.5 ms");
      assertEquals(1049, raw.deadbandMax, "1.55 ms");
      assertEquals(999, raw.center, "1.5 ms");
      assertEquals(949, raw.deadbandMin, "1.45 ms");
      assertEquals(1, raw.min, "the shortest pulse");
    }
  }

  // ---- The bridge's own checks, natives called directly -----------------------------------

  @Test
  void theBridgeRefusesNullAndShortBuffersBeforeTheDriverWrites() {
    long lumira = VelmoraJNI.lumiraCreate(1);
    long pallax = VelmoraJNI.pallaxCreate(2);
    long lidar = VelmoraJNI.lidarMiniCreate(0);
    int orvex = VelmoraJNI.orvexCreate(5, 15600);
    journal();
    try {
      List<Executable> nulls = List.of(
          () -> VelmoraJNI.lumiraGetColor(lumira, null),
          () -> VelmoraJNI.lumiraGetConfig(lumira, 0, null),
          () -> VelmoraJNI.pallaxGetData(pallax, null, 1),
          () -> VelmoraJNI.pallaxGetConfig(pallax, null, 0),
          () -> VelmoraJNI.lidarMiniGetInfo(lidar, null),
          () -> VelmoraJNI.lidarMiniGetHealth(lidar, null),
          () -> VelmoraJNI.lidarGetData(null),
          () -> VelmoraJNI.orvexGetTargetRPMFromDevice(orvex, null),
          () -> VelmoraJNI.orvexTryGetRPM(orvex, 0, null),
          () -> VelmoraJNI.orvexTryGetTargetRPM(orvex, 0, null),
          () -> VelmoraJNI.lumiraCreateUsb(null, 0),
          () -> VelmoraJNI.pallaxCreateUsb(null, 0));
      for (Executable call : nulls) {
        assertThrows(NullPointerException.class, call);
      }
      List<Executable> short_ = List.of(
          () -> VelmoraJNI.lumiraGetColor(lumira, new byte[19]),
          () -> VelmoraJNI.lumiraGetConfig(lumira, 0, new long[0]),
          () -> VelmoraJNI.pallaxGetData(pallax, new byte[135], 1),
          () -> VelmoraJNI.pallaxGetConfig(pallax, new byte[5], 0),
          () -> VelmoraJNI.lidarMiniGetInfo(lidar, new byte[21]),
          () -> VelmoraJNI.lidarMiniGetHealth(lidar, new byte[3]),
          () -> VelmoraJNI.lidarGetData(new byte[2 * 360 * 4 - 1]),
          () -> VelmoraJNI.orvexGetTargetRPMFromDevice(orvex, new double[3]),
          () -> VelmoraJNI.orvexTryGetRPM(orvex, 0, new double[0]),
          () -> VelmoraJNI.orvexTryGetTargetRPM(orvex, 0, new double[0]),
          () -> VelmoraJNI.lumiraCreateUsb("/dev/a\0b".getBytes(StandardCharsets.UTF_8), 0),
          () -> VelmoraJNI.pallaxCreateUsb(new byte[] {'/', 0}, 0));
      for (Executable call : short_) {
        assertThrows(IllegalArgumentException.class, call);
      }
      assertNoDriverCall();
    } finally {
      VelmoraJNI.lumiraDestroy(lumira);
      VelmoraJNI.pallaxDestroy(pallax);
      VelmoraJNI.lidarMiniDestroy(lidar);
      VelmoraJNI.orvexDestroy(orvex);
    }
  }

  @Test
  void aConfigurationValueAtOrAbove2To31ComesBackUnsigned() {
    long lumira = VelmoraJNI.lumiraCreate(1);
    try {
      long[] value = {-5};
      SimDriver.script("c_Lumira_getConfig next bool true fill 00000080");
      assertTrue(VelmoraJNI.lumiraGetConfig(lumira, 2, value));
      assertEquals(0x8000_0000L, value[0]);
      SimDriver.script("c_Lumira_getConfig next bool true fill ffffffff");
      assertTrue(VelmoraJNI.lumiraGetConfig(lumira, 2, value));
      assertEquals(0xFFFF_FFFFL, value[0]);
    } finally {
      VelmoraJNI.lumiraDestroy(lumira);
    }
    try (Lumira sensor = new Lumira(1)) {
      SimDriver.script("c_Lumira_getConfig next bool true fill feffffff");
      assertEquals(OptionalLong.of(0xFFFF_FFFEL), sensor.getConfig(Lumira.ConfigItem.kStatusLed));
    }
  }
}
