package dev.velmora.frc;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;

import dev.velmora.frc.sim.SimDriver;
import java.lang.management.ManagementFactory;
import org.junit.jupiter.api.Test;

/**
 * A scalar call makes one crossing and allocates nothing on the Java heap; a scan read allocates
 * its result and nothing more. Measured by the bytes this thread allocated, not by time.
 */
class AllocationTest extends DriverTestBase {
  private static final com.sun.management.ThreadMXBean THREADS =
      (com.sun.management.ThreadMXBean) ManagementFactory.getThreadMXBean();

  private static long allocated() {
    return THREADS.getThreadAllocatedBytes(Thread.currentThread().getId());
  }

  @Test
  void scalarCallsAllocateNothing() {
    try (Orvex orvex = new Orvex(5)) {
      Orvex.Motor motor = orvex.getMotor(0);
      Orvex.Encoder encoder = orvex.getEncoder(0, 0.1);
      SimDriver.enableJournal(false);
      double sum = 0.0;
      // Warm up: class loading and the first calls allocate; what is measured comes after.
      for (int i = 0; i < 20_000; i++) {
        motor.set(0.1);
        sum += motor.getRPM() + encoder.getEncoderDistance() + motor.get();
      }
      long before = allocated();
      for (int i = 0; i < 100_000; i++) {
        motor.set(0.1);
        sum += motor.getRPM() + encoder.getEncoderDistance() + motor.get();
      }
      long bytes = allocated() - before;
      assertEquals(0, bytes, "bytes allocated by 400,000 scalar calls");
      assertTrue(sum >= 0.0);
    } finally {
      SimDriver.enableJournal(true);
    }
  }

  @Test
  void aFullScanAllocatesOnlyItsResult() {
    LidarMini lidar = new LidarMini(LidarMini.Port.kUSB0);
    try {
      lidar.start();
      SimDriver.simStep(0.2);
      SimDriver.enableJournal(false);
      for (int i = 0; i < 200; i++) {
        lidar.getData();
      }
      int reads = 1000;
      long before = allocated();
      long points = 0;
      for (int i = 0; i < reads; i++) {
        points += lidar.getData().angles.length;
      }
      long perRead = (allocated() - before) / reads;
      assertEquals(720L * reads, points);
      // Three float arrays of 720 and the record that holds them: 3 x (16 + 2880) + 32 bytes
      // with compressed references; anything beyond is allocation the read should not make.
      long result = 3 * (16 + 720 * 4) + 32;
      assertTrue(perRead <= result, "bytes per read: " + perRead + ", result: " + result);
    } finally {
      SimDriver.enableJournal(true);
      lidar.destroy();
    }
  }
}
