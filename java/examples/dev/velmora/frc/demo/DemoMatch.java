package dev.velmora.frc.demo;

import dev.velmora.frc.LidarMini;
import dev.velmora.frc.MockDS;
import dev.velmora.frc.sim.SimDriver;
import edu.wpi.first.hal.HAL;
import edu.wpi.first.hal.sim.DriverStationSim;
import edu.wpi.first.hal.sim.SimHooks;
import java.io.PrintStream;
import java.util.ArrayList;
import java.util.List;

/**
 * The Java demo: the demo robot plays a simulated match on the simulation driver's field, the
 * same field and the same autonomous as the C++ demo, in stepped simulated time, and prints the
 * same identity lines, telemetry table, events and summary.
 *
 * <p>This part stands in for what surrounds a robot program on a real field: WPILib's robot loop
 * (calling the robot's methods every 20 ms), the field's control system (the simulated driver
 * station) and the field itself (the simulation driver, stepped in simulated time, which moves
 * WPILib's paused clock with it).
 *
 * <pre>java ... dev.velmora.frc.demo.DemoMatch [--match-seconds S] [--help]</pre>
 */
public final class DemoMatch {
  private static final double LONGEST_MATCH = 600.0;
  private static final double REPORT_SECONDS = 0.5;

  /** What a match leaves: the robot's own view, the events and the field's truth at the end. */
  static final class Result {
    final List<String> identity = new ArrayList<>();
    final List<DemoRobot.Telemetry> telemetry = new ArrayList<>();
    double parkedAt = -1.0;
    double lineAt = -1.0;
    double fieldDistance;
    double fieldWallGap;
    LidarMini.ScanData lastScan = new LidarMini.ScanData();
    float filteredNearest = -1.0f;
    float filteredNearestAngle;
  }

  private DemoMatch() {}

  private static void takeEvents(DemoRobot robot, Result result, PrintStream out) {
    for (DemoRobot.Event event : robot.takeEvents()) {
      Report.printEvent(out, event);
      if (result.lineAt < 0.0 && event.text.contains(" line ")) {
        result.lineAt = event.time;
      }
      if (result.parkedAt < 0.0 && event.text.startsWith("parked")) {
        result.parkedAt = event.time;
      }
    }
  }

  private static void period(DemoRobot robot, Result result, PrintStream out, boolean row) {
    result.telemetry.add(robot.latest().copy());
    takeEvents(robot, result, out);
    if (row) {
      Report.printRow(out, robot.latest());
    }
  }

  /**
   * Plays one match of {@code matchSeconds} on a fresh field.
   *
   * @param matchSeconds how long the robot is enabled
   * @param out where the identity, the table and the events go as they happen
   * @return the match's record
   */
  static Result play(double matchSeconds, PrintStream out) {
    SimDriver.reset();
    SimDriver.attachDrive(DemoRobot.DRIVE_CAN_ID, DemoRobot.LEFT_MOTOR, DemoRobot.RIGHT_MOTOR,
        DemoRobot.METRES_PER_REVOLUTION);
    long periods = Math.round(matchSeconds / DemoRobot.PERIOD_SECONDS);
    long reportEvery = Math.max(1L, Math.round(REPORT_SECONDS / DemoRobot.PERIOD_SECONDS));

    Result result = new Result();
    try (MockDS station = new MockDS(); DemoRobot robot = new DemoRobot()) {
      robot.robotInit();
      result.identity.addAll(robot.identity());
      for (String line : result.identity) {
        out.print(line + "\n");
      }
      out.print("\n");
      Report.printTableHeader(out);

      station.enable();
      robot.autonomousInit(SimDriver.simTime());
      takeEvents(robot, result, out);
      for (long i = 0; i < periods; i++) {
        robot.autonomousPeriodic(SimDriver.simTime());
        period(robot, result, out, i % reportEvery == 0);
        SimDriver.simStep(DemoRobot.PERIOD_SECONDS);
      }

      station.disable();
      robot.disabledInit(SimDriver.simTime());
      period(robot, result, out, true);
      double[] end = SimDriver.robotPose();
      result.lastScan = robot.lastScan();
      result.filteredNearest = robot.nearestFilteredDistance();
      result.filteredNearestAngle = robot.nearestFilteredAngle();
      result.fieldDistance = SimDriver.robotDistanceTravelled();
      result.fieldWallGap =
          SimDriver.rayDistance(end[0], end[1], end[2]) - DemoRobot.BUMPER_RADIUS;
    }
    return result;
  }

  private static void usage(PrintStream out) {
    out.print("Usage: DemoMatch [options]\n"
        + "\n"
        + "Runs a match: a robot with every Velmora device drives across a small field, stops in\n"
        + "front of the wall and reports what its devices saw. The Java robot, in stepped\n"
        + "simulated time on the simulation driver's field.\n"
        + "\n"
        + "Options:\n"
        + "  --match-seconds S  how long the robot is enabled, in seconds, more than 0 and at\n"
        + "                     most 600 (default 15)\n"
        + "  --help             show this text\n");
  }

  /**
   * Plays the match and prints its report.
   *
   * @param args the command line
   */
  public static void main(String[] args) {
    double matchSeconds = 15.0;
    for (int i = 0; i < args.length; i++) {
      if (args[i].equals("--help") || args[i].equals("-h")) {
        usage(System.out);
        return;
      }
      if (!args[i].equals("--match-seconds") || i + 1 >= args.length) {
        System.err.print("DemoMatch: " + (args[i].equals("--match-seconds")
            ? "--match-seconds needs a value" : "unknown option " + args[i]) + "\n");
        usage(System.err);
        System.exit(2);
      }
      String text = args[++i];
      double seconds;
      try {
        seconds = Double.parseDouble(text);
      } catch (NumberFormatException e) {
        seconds = Double.NaN;
      }
      if (!(seconds > 0.0 && seconds <= LONGEST_MATCH)) {
        System.err.print("DemoMatch: --match-seconds must be a number above 0 and at most 600, "
            + "got: " + text + "\n");
        usage(System.err);
        System.exit(2);
      }
      matchSeconds = seconds;
    }

    HAL.initialize(500, 0);
    // The match moves WPILib's clock in steps: paused, it moves with the simulation alone.
    SimHooks.pauseTiming();
    // A disabled robot's outputs stay neutral: the match plays enabled, as on the field.
    DriverStationSim station = new DriverStationSim();
    station.setEnabled(true);
    station.notifyNewData();
    PrintStream out = System.out;
    out.print("Velmora demo: the Java robot on the simulation driver's field in stepped simulated "
        + "time, a " + Report.num(matchSeconds, 0, 0).replace(".0", "") + " s match\n\n");
    long started = System.nanoTime();
    Result result = play(matchSeconds, out);
    double took = (System.nanoTime() - started) / 1e9;
    Report.printSummary(out, result);
    out.print("\nMatch played in " + Report.fixed(took, 2) + " s of wall time\n");
    out.flush();
    // WPILib's HAL threads would keep the JVM alive.
    System.exit(0);
  }
}
