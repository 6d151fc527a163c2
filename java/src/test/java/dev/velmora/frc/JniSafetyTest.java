package dev.velmora.frc;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;

import dev.velmora.frc.sim.SimDriver;
import java.lang.reflect.Method;
import java.lang.reflect.Modifier;
import java.util.Arrays;
import java.util.List;
import java.util.TreeSet;
import java.util.function.Consumer;
import java.util.stream.Stream;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.function.Executable;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.Arguments;
import org.junit.jupiter.params.provider.MethodSource;

/**
 * What Java adds at the boundary: bad references and values refused before they cross, closed
 * devices refused instead of reaching freed driver state, and the native binding complete.
 */
class JniSafetyTest extends DriverTestBase {
  static Stream<Arguments> nullArguments() {
    return Stream.of(
        Arguments.of("LidarMini port", (Executable) () -> new LidarMini(null)),
        Arguments.of("Lidar port", (Executable) () -> new Lidar(null)),
        Arguments.of("Lumira path", (Executable) () -> new Lumira((String) null, 1)),
        Arguments.of("Lumira port", (Executable) () -> new Lumira((Lumira.Port) null, 1)),
        Arguments.of("Pallax path", (Executable) () -> new Pallax((String) null, 1)),
        Arguments.of("Pallax port", (Executable) () -> new Pallax((Pallax.Port) null, 1)));
  }

  @ParameterizedTest(name = "{0}")
  @MethodSource("nullArguments")
  void aNullReferenceIsRefusedBeforeTheDriverSeesIt(String what, Executable construct) {
    assertThrows(NullPointerException.class, construct);
    assertNoDriverCall();
  }

  @Test
  void nullAndShortArraysAndNullEnumsAreRefused() {
    try (Orvex orvex = new Orvex(5); Lumira lumira = new Lumira(2)) {
      journal();
      assertThrows(NullPointerException.class, () -> orvex.getTargetRPMFromDevice(null));
      IllegalArgumentException shortArray = assertThrows(IllegalArgumentException.class,
          () -> orvex.getTargetRPMFromDevice(new double[3]));
      assertEquals("targets must hold 4 values, got: 3", shortArray.getMessage());
      assertThrows(NullPointerException.class, () -> lumira.setColorFormat(null));
      assertThrows(NullPointerException.class, () -> lumira.setMeasureMode(null, 1.0));
      assertThrows(NullPointerException.class, () -> lumira.getConfig(null));
      assertNoDriverCall();
    }
  }

  static Stream<Arguments> valuesNoDeviceByteHolds() {
    return Stream.of(
        Arguments.of("Sensitivity must be in [0, 255], got: 256",
            (Consumer<Orvex>) o -> o.getMotor(0).setSensitivity(256)),
        Arguments.of("Sensitivity must be in [0, 255], got: -1",
            (Consumer<Orvex>) o -> o.getMotor(0).setSensitivity(-1)),
        Arguments.of("Encoder resolution must be in [0, 65535], got: 65536",
            (Consumer<Orvex>) o -> o.getMotor(0).setEncoderResolution(65536)),
        Arguments.of("Current limit mode must be in [0, 255], got: 300",
            (Consumer<Orvex>) o -> o.getMotor(0).setCurrentLimitMode(300)),
        Arguments.of("PID type must be in [0, 255], got: -3",
            (Consumer<Orvex>) o -> o.setPIDType(-3)),
        Arguments.of("Stop mode must be in [0, 255], got: 256",
            (Consumer<Orvex>) o -> o.setMotorStopMode(256)),
        Arguments.of("CAN sensor delay must be in [0, 65535], got: -1",
            (Consumer<Orvex>) o -> o.setCANSensorOsDelay(-1)));
  }

  @ParameterizedTest(name = "{0}")
  @MethodSource("valuesNoDeviceByteHolds")
  void aValueTooWideForItsDeviceFieldIsRefusedNotCut(String message, Consumer<Orvex> call) {
    try (Orvex orvex = new Orvex(5)) {
      orvex.getMotor(0);
      journal();
      IllegalArgumentException e =
          assertThrows(IllegalArgumentException.class, () -> call.accept(orvex));
      assertEquals(message, e.getMessage());
      assertNoDriverCall();
    }
  }

  @Test
  void aClosedControllerAndItsChannelsRefuseEveryCall() {
    Orvex orvex = new Orvex(5);
    Orvex.Motor motor = orvex.getMotor(0);
    Orvex.Encoder encoder = orvex.getEncoder(0, 0.1);
    orvex.close();
    orvex.close();
    assertEquals(List.of("c_Orvex_create(i32:5, i32:15600)", "c_Orvex_setEncoder(i32:1, u8:0, "
        + "f64:0.10000000000000001(0x3fb999999999999a))", "c_Orvex_destroy(i32:1)"), journal());
    List<Executable> calls = List.of(() -> motor.set(0.1), motor::get, motor::getRPM,
        motor::tryGetRPM, () -> motor.setInverted(true), motor::disable, encoder::get,
        encoder::getEncoderDistance, encoder::getDirection, () -> orvex.getMotor(1),
        orvex::getID, orvex::getFrequency);
    for (Executable call : calls) {
      IllegalStateException e = assertThrows(IllegalStateException.class, call);
      assertEquals("Orvex is closed", e.getMessage());
    }
    assertNoDriverCall();
  }

  @Test
  void closedSensorsBoardAndStationRefuseEveryCall() {
    Lumira lumira = new Lumira(1);
    Pallax pallax = new Pallax(2);
    Adexa adexa = new Adexa();
    MockDS station = new MockDS();
    lumira.close();
    pallax.close();
    adexa.close();
    station.close();
    lumira.close();
    pallax.close();
    adexa.close();
    station.close();
    assertEquals(8, journal().size(), "four opens and four closes, the second closes send nothing");
    assertThrows(IllegalStateException.class, lumira::getColor);
    assertThrows(IllegalStateException.class, lumira::getCanID);
    assertThrows(IllegalStateException.class, () -> pallax.getData(5));
    assertThrows(IllegalStateException.class, () -> adexa.getVoltage(0));
    assertThrows(IllegalStateException.class, station::enable);
    assertNoDriverCall();
  }

  @Test
  void everyNativeMethodIsBoundFromTheRegistrationTable() {
    TreeSet<String> declared = new TreeSet<>();
    for (Method m : VelmoraJNI.class.getDeclaredMethods()) {
      if (Modifier.isNative(m.getModifiers())) {
        StringBuilder signature = new StringBuilder(m.getName()).append(" (");
        for (Class<?> p : m.getParameterTypes()) {
          signature.append(descriptor(p));
        }
        declared.add(signature.append(')').append(descriptor(m.getReturnType())).toString());
      }
    }
    TreeSet<String> bound = new TreeSet<>(Arrays.asList(VelmoraJNI.boundMethods()));
    assertEquals(declared, bound);
  }

  private static String descriptor(Class<?> type) {
    if (type.isArray()) {
      return "[" + descriptor(type.getComponentType());
    }
    if (type.isPrimitive()) {
      switch (type.getName()) {
        case "int": return "I";
        case "long": return "J";
        case "double": return "D";
        case "float": return "F";
        case "boolean": return "Z";
        case "void": return "V";
        case "byte": return "B";
        case "short": return "S";
        default: return "C";
      }
    }
    return "L" + type.getName().replace('.', '/') + ";";
  }

  @Test
  void ten_thousandFullScansReadWithoutGrowth() {
    LidarMini lidar = new LidarMini(LidarMini.Port.kUSB0);
    try {
      lidar.start();
      SimDriver.simStep(0.2);
      SimDriver.enableJournal(false);
      long points = 0;
      for (int i = 0; i < 10_000; i++) {
        points += lidar.getData().angles.length;
      }
      assertEquals(10_000L * 720, points, "every read is a full 720-point scan at 6 Hz");
    } finally {
      SimDriver.enableJournal(true);
      lidar.destroy();
    }
  }

  @Test
  void scanArraysAreParallelAndHoldTheDriversPoints() {
    SimDriver.script("c_LidarMini_getData next none scan 99 10,1.5,7 20,2.5,8");
    LidarMini lidar = new LidarMini(LidarMini.Port.kUSB1);
    try {
      LidarMini.ScanData scan = lidar.getData();
      assertArrayEquals(new float[] {10f, 20f}, scan.angles);
      assertArrayEquals(new float[] {1.5f, 2.5f}, scan.distances);
      assertArrayEquals(new float[] {7f, 8f}, scan.qualities);
      assertEquals(99, scan.timestamp);
      assertTrue(new LidarMini.ScanData().angles.length == 0);
    } finally {
      lidar.destroy();
    }
  }
}
