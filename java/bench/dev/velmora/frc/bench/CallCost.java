package dev.velmora.frc.bench;

import dev.velmora.frc.LidarMini;
import dev.velmora.frc.Orvex;
import dev.velmora.frc.sim.SimDriver;
import edu.wpi.first.hal.HAL;
import edu.wpi.first.hal.sim.SimHooks;
import java.lang.management.ManagementFactory;
import java.lang.reflect.Field;
import java.util.Arrays;

/**
 * What a Java call costs: nanoseconds per call of the library's {@code set} and {@code getRPM}
 * against a bare native method that makes the same driver call, and heap bytes allocated per
 * call. The four measurements take turns, round after round, so that the machine's drift falls on
 * all of them alike; each is reported as the median of the rounds with their range.
 *
 * <pre>java ... dev.velmora.frc.bench.CallCost [rounds] [calls per round]</pre>
 */
public final class CallCost {
  private static final com.sun.management.ThreadMXBean THREADS =
      (com.sun.management.ThreadMXBean) ManagementFactory.getThreadMXBean();

  private static volatile double s_sink;

  private CallCost() {}

  private interface Loop {
    void run(int calls);
  }

  private static long allocated() {
    return THREADS.getThreadAllocatedBytes(Thread.currentThread().getId());
  }

  private static String line(String name, double[] nanos, double bytes) {
    double[] sorted = nanos.clone();
    Arrays.sort(sorted);
    return String.format("%-34s %7.1f ns  (%.1f to %.1f)  %6.1f bytes/call", name,
        sorted[sorted.length / 2], sorted[0], sorted[sorted.length - 1], bytes);
  }

  /**
   * Runs the measurements and prints one line each.
   *
   * @param args rounds and calls per round
   * @throws ReflectiveOperationException if the controller's handle cannot be read
   */
  public static void main(String[] args) throws ReflectiveOperationException {
    int rounds = args.length > 0 ? Integer.parseInt(args[0]) : 11;
    int calls = args.length > 1 ? Integer.parseInt(args[1]) : 2_000_000;
    HAL.initialize(500, 0);
    SimHooks.pauseTiming();
    SimDriver.reset();
    SimDriver.enableJournal(false);
    Orvex orvex = new Orvex(5);
    Orvex.Motor motor = orvex.getMotor(0);
    Field handleField = Orvex.class.getDeclaredField("m_handle");
    handleField.setAccessible(true);
    final int handle = handleField.getInt(orvex);
    LidarMini lidar = new LidarMini(LidarMini.Port.kUSB0);
    lidar.start();
    SimDriver.simStep(0.2);

    String[] names = {"Motor.set (library)", "c_Orvex_setMotorSpeed (bare JNI)",
        "Motor.getRPM (library)", "c_Orvex_getRPM (bare JNI)", "LidarMini.getData, 720 points"};
    Loop[] loops = {
        n -> {
          for (int i = 0; i < n; i++) {
            motor.set(0.1);
          }
        },
        n -> {
          for (int i = 0; i < n; i++) {
            SimDriver.bareSetMotorSpeed(handle, 0, 0.1);
          }
        },
        n -> {
          double sum = 0.0;
          for (int i = 0; i < n; i++) {
            sum += motor.getRPM();
          }
          s_sink = sum;
        },
        n -> {
          double sum = 0.0;
          for (int i = 0; i < n; i++) {
            sum += SimDriver.bareGetRPM(handle, 0);
          }
          s_sink = sum;
        },
        n -> {
          long points = 0;
          for (int i = 0; i < n; i++) {
            points += lidar.getData().angles.length;
          }
          s_sink = points;
        }};
    int[] perRound = {calls, calls, calls, calls, Math.max(1, calls / 200)};
    double[][] nanos = new double[loops.length][rounds];
    double[] bytes = new double[loops.length];
    for (int k = 0; k < loops.length; k++) {
      loops[k].run(perRound[k]); // warm-up
    }
    for (int r = 0; r < rounds; r++) {
      for (int k = 0; k < loops.length; k++) {
        long before = allocated();
        long start = System.nanoTime();
        loops[k].run(perRound[k]);
        long took = System.nanoTime() - start;
        bytes[k] += (double) (allocated() - before) / perRound[k] / rounds;
        nanos[k][r] = (double) took / perRound[k];
      }
    }
    System.out.printf("%d interleaved rounds; median ns per call (range), heap bytes per call%n",
        rounds);
    for (int k = 0; k < loops.length; k++) {
      System.out.println(line(names[k], nanos[k], bytes[k]));
    }
    double[] setRatio = new double[rounds];
    double[] rpmRatio = new double[rounds];
    for (int r = 0; r < rounds; r++) {
      setRatio[r] = nanos[0][r] / nanos[1][r];
      rpmRatio[r] = nanos[2][r] / nanos[3][r];
    }
    Arrays.sort(setRatio);
    Arrays.sort(rpmRatio);
    System.out.printf("set / bare: %.2f (%.2f to %.2f); getRPM / bare: %.2f (%.2f to %.2f)%n",
        setRatio[rounds / 2], setRatio[0], setRatio[rounds - 1], rpmRatio[rounds / 2], rpmRatio[0],
        rpmRatio[rounds - 1]);
    lidar.destroy();
    orvex.close();
    System.exit(0);
  }
}
