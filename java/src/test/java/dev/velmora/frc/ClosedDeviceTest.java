package dev.velmora.frc;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertTrue;
import static org.junit.jupiter.api.Assertions.fail;

import java.lang.reflect.InvocationTargetException;
import java.lang.reflect.Method;
import java.lang.reflect.Modifier;
import java.util.ArrayList;
import java.util.List;
import java.util.Set;
import java.util.function.Supplier;
import java.util.stream.Stream;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.Arguments;
import org.junit.jupiter.params.provider.MethodSource;

/**
 * Every public method of every closed device, found by reflection so that a method added later
 * is covered too: each throws {@link IllegalStateException} and none reaches the driver. A
 * destroyed small lidar is inert instead: every call does nothing.
 */
class ClosedDeviceTest extends DriverTestBase {
  // The releases themselves, which a closed device accepts again.
  private static final Set<String> RELEASES = Set.of("close", "destroy");

  /** Closed objects and the word their refusals name. */
  static Stream<Arguments> closedObjects() {
    return Stream.of(
        Arguments.of("Orvex", (Supplier<List<Object>>) () -> {
          Orvex orvex = new Orvex(5);
          Orvex.Motor motor = orvex.getMotor(1);
          Orvex.Encoder encoder = orvex.getEncoder(2, 0.1);
          orvex.close();
          return List.of(orvex, motor, encoder);
        }, "Orvex is closed"),
        Arguments.of("Lumira", closing(() -> new Lumira(3)), "Lumira is closed"),
        Arguments.of("Pallax", closing(() -> new Pallax(4)), "Pallax is closed"),
        Arguments.of("Adexa", closing(Adexa::new), "Adexa is closed"),
        Arguments.of("MockDS", closing(MockDS::new), "MockDS is closed"));
  }

  private static Supplier<List<Object>> closing(Supplier<AutoCloseable> open) {
    return () -> {
      AutoCloseable device = open.get();
      try {
        device.close();
      } catch (Exception e) {
        throw new AssertionError(e);
      }
      return List.of(device);
    };
  }

  @ParameterizedTest(name = "{0}")
  @MethodSource("closedObjects")
  void everyPublicMethodOfAClosedDeviceThrows(String name, Supplier<List<Object>> closed,
      String message) throws Exception {
    List<Object> objects = closed.get();
    journal();
    List<String> called = new ArrayList<>();
    for (Object object : objects) {
      for (Method method : publicMethods(object)) {
        called.add(method.getName());
        try {
          method.invoke(object, arguments(method));
          fail(object.getClass().getSimpleName() + "." + method.getName() + " did not throw");
        } catch (InvocationTargetException e) {
          Throwable cause = e.getCause();
          assertTrue(cause instanceof IllegalStateException,
              method + " threw " + cause);
          assertEquals(message, cause.getMessage(), method.toString());
        }
        assertNoDriverCall();
      }
    }
    assertFalse(called.isEmpty());
  }

  @Test
  void aDestroyedSmallLidarIsInertToEveryCall() throws Exception {
    LidarMini lidar = new LidarMini(LidarMini.Port.kUSB0);
    lidar.destroy();
    journal();
    int called = 0;
    for (Method method : publicMethods(lidar)) {
      method.invoke(lidar, arguments(method));
      called++;
    }
    assertTrue(called >= 10, "methods called: " + called);
    // Refused frequency steps still say so, as on an object that never opened a lidar; nothing
    // reaches the driver.
    assertNoDriverCall();
    lidar.destroy();
    assertEquals(List.of("c_LidarMini_destroy(ptr:null)"), journal(),
        "a second destroy sends a null handle, as the C++ class does");
  }

  // Public instance methods, inherited WPILib ones included (SpeedController.setVoltage ends in
  // set), but not Object's and not the releases.
  private static List<Method> publicMethods(Object object) {
    List<Method> methods = new ArrayList<>();
    for (Method method : object.getClass().getMethods()) {
      if (Modifier.isStatic(method.getModifiers())
          || method.getDeclaringClass() == Object.class
          || RELEASES.contains(method.getName())) {
        continue;
      }
      methods.add(method);
    }
    return methods;
  }

  // A valid argument of each type, so that only the closed-device guard can refuse the call.
  private static Object[] arguments(Method method) {
    Class<?>[] types = method.getParameterTypes();
    Object[] values = new Object[types.length];
    for (int i = 0; i < types.length; i++) {
      Class<?> type = types[i];
      if (type == int.class) {
        values[i] = 1;
      } else if (type == double.class) {
        values[i] = 0.1;
      } else if (type == float.class) {
        values[i] = 0.1f;
      } else if (type == long.class) {
        values[i] = 1L;
      } else if (type == boolean.class) {
        values[i] = true;
      } else if (type == double[].class) {
        values[i] = new double[Orvex.kChannelCount];
      } else if (type.isEnum()) {
        values[i] = type.getEnumConstants()[0];
      } else {
        throw new AssertionError("no argument for " + type + " of " + method);
      }
    }
    return values;
  }
}
