package dev.velmora.frc;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;
import static org.junit.jupiter.api.Assertions.fail;

import dev.velmora.frc.sim.SimDriver;
import java.lang.reflect.Field;
import java.util.ArrayList;
import java.util.List;
import java.util.concurrent.CyclicBarrier;
import java.util.concurrent.atomic.AtomicInteger;
import java.util.function.Supplier;
import java.util.stream.Stream;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.Arguments;
import org.junit.jupiter.params.provider.MethodSource;

/**
 * A device is released exactly once, by whichever of its closes, racing calls or the garbage
 * collector gets there, and no call reaches the driver with a released handle. Proven on the
 * simulation driver's journal.
 */
class DeviceLifetimeTest extends DriverTestBase {
  private static final int THREADS = 8;
  private static final int ROUNDS = 200;

  /** A device, its release, and the journal prefix of its release call. */
  static Stream<Arguments> devices() {
    return Stream.of(
        Arguments.of("Orvex", (Supplier<Runnable>) () -> new Orvex(5)::close, "c_Orvex_destroy("),
        Arguments.of("Lumira", (Supplier<Runnable>) () -> new Lumira(3)::close,
            "c_Lumira_destroy(handle"),
        Arguments.of("Pallax", (Supplier<Runnable>) () -> new Pallax(4)::close,
            "c_Pallax_destroy(handle"),
        Arguments.of("LidarMini",
            (Supplier<Runnable>) () -> new LidarMini(LidarMini.Port.kUSB2)::destroy,
            "c_LidarMini_destroy(handle"),
        Arguments.of("Adexa", (Supplier<Runnable>) () -> new Adexa()::close, "c_closeI2C("),
        Arguments.of("MockDS", (Supplier<Runnable>) () -> new MockDS()::close,
            "c_MockDS_destroy("));
  }

  @ParameterizedTest(name = "{0}")
  @MethodSource("devices")
  void racingClosesReleaseOnce(String name, Supplier<Runnable> open, String release)
      throws Exception {
    for (int round = 0; round < ROUNDS; round++) {
      Runnable close = open.get();
      journal();
      runTogether(THREADS, close);
      List<String> calls = journal();
      long releases = calls.stream().filter(c -> c.startsWith(release)).count();
      assertEquals(1, releases, "round " + round + ": " + calls);
    }
  }

  @Test
  void callsRacingACloseFinishBeforeTheReleaseOrThrow() throws Exception {
    for (int round = 0; round < ROUNDS / 4; round++) {
      Orvex orvex = new Orvex(5);
      Orvex.Motor motor = orvex.getMotor(0);
      journal();
      AtomicInteger refused = new AtomicInteger();
      AtomicInteger sent = new AtomicInteger();
      runTogether(THREADS, index -> {
        if (index == 0) {
          orvex.close();
          return;
        }
        for (int i = 0; i < 50; i++) {
          try {
            motor.set(0.1);
            sent.incrementAndGet();
          } catch (IllegalStateException e) {
            assertEquals("Orvex is closed", e.getMessage());
            refused.incrementAndGet();
          }
        }
      });
      List<String> calls = journal();
      int destroy = calls.size() - 1;
      assertTrue(destroy >= 0 && calls.get(destroy).startsWith("c_Orvex_destroy("),
          "released last: " + calls);
      assertEquals(1, calls.stream().filter(c -> c.startsWith("c_Orvex_destroy(")).count());
      assertEquals(sent.get(), destroy, "every call that returned reached the driver before");
      assertEquals((THREADS - 1) * 50, sent.get() + refused.get());
    }
  }

  @Test
  void aCallInsideTheDriverHoldsTheReleaseBackUntilItLeaves() throws Exception {
    Orvex orvex = new Orvex(5);
    Orvex.Motor motor = orvex.getMotor(0);
    Field field = Orvex.class.getDeclaredField("m_life");
    field.setAccessible(true);
    Lifetime life = (Lifetime) field.get(orvex);
    journal();
    life.enter(); // as a call of another thread does on its way into the driver
    Thread closer = new Thread(orvex::close);
    closer.start();
    for (int wait = 0; wait < 10_000 && !life.isClosed(); wait++) {
      Thread.sleep(1);
    }
    assertTrue(life.isClosed(), "the close marks the controller closed at once");
    IllegalStateException e = assertThrows(IllegalStateException.class, () -> motor.set(0.1));
    assertEquals("Orvex is closed", e.getMessage());
    assertTrue(closer.isAlive(), "the close waits for the call inside the driver");
    assertNoDriverCall();
    life.exit(); // the call leaves: the last one out releases
    closer.join();
    assertEquals(List.of("c_Orvex_destroy(i32:1)"), journal());
    orvex.close();
    assertNoDriverCall();
  }

  @Test
  void aDroppedOrvexFreesItsCanIdAfterGarbageCollection() throws Exception {
    openDriveAndDrop(9);
    assertEquals(0.1, SimDriver.orvexCommanded(9, 0), 0.0, "the dropped controller drives");
    journal();
    List<String> calls = new ArrayList<>();
    for (int attempt = 0; attempt < 500 && !calls.contains("c_Orvex_destroy(i32:1)"); attempt++) {
      System.gc();
      Thread.sleep(10);
      calls.addAll(journal());
    }
    assertEquals(List.of("c_Orvex_destroy(i32:1)"), calls, "released once by the collector");
    try (Orvex again = new Orvex(9)) {
      assertEquals(9, again.getID(), "the CAN ID opens again");
      assertEquals(0.0, SimDriver.orvexCommanded(9, 0), 0.0, "no motor held from before");
    }
  }

  // Opens a controller, drives one channel and keeps no reference to either.
  private static void openDriveAndDrop(int canId) {
    new Orvex(canId).getMotor(0).set(0.1);
  }

  @Test
  void anUnreachableDeviceClosedAlreadyIsNotReleasedAgain() throws Exception {
    closeAndDrop();
    List<String> calls = new ArrayList<>(journal());
    assertEquals(2, calls.size(), "opened and closed: " + calls);
    for (int attempt = 0; attempt < 20; attempt++) {
      System.gc();
      Thread.sleep(10);
      calls.addAll(journal());
    }
    assertEquals(2, calls.size(), "no second release: " + calls);
  }

  private static void closeAndDrop() {
    new Lumira(7).close();
  }

  private interface Body {
    void run(int index) throws Exception;
  }

  private static void runTogether(int threads, Runnable body) throws Exception {
    runTogether(threads, index -> body.run());
  }

  // Starts the threads at one barrier and rethrows the first failure of any.
  private static void runTogether(int threads, Body body) throws Exception {
    CyclicBarrier start = new CyclicBarrier(threads);
    List<Throwable> failures = new ArrayList<>();
    List<Thread> running = new ArrayList<>();
    for (int t = 0; t < threads; t++) {
      int index = t;
      Thread thread = new Thread(() -> {
        try {
          start.await();
          body.run(index);
        } catch (Throwable e) {
          synchronized (failures) {
            failures.add(e);
          }
        }
      });
      thread.start();
      running.add(thread);
    }
    for (Thread thread : running) {
      // A generous bound, not a timing check: a close that never returns fails here, not as a
      // test run that hangs.
      thread.join(60_000);
      assertFalse(thread.isAlive(), "a thread never finished: a close or a call hangs");
    }
    if (!failures.isEmpty()) {
      Throwable first = failures.get(0);
      if (first instanceof Error) {
        throw (Error) first;
      }
      fail(first);
    }
  }
}
