package dev.velmora.frc.demo;

import java.io.PrintStream;
import java.math.BigDecimal;
import java.math.RoundingMode;

/** The demo's console report: the telemetry table, the events and the summary. */
final class Report {
  private Report() {}

  /**
   * A number with a fixed number of decimals, rounded from its exact binary value half to even,
   * as C's printf rounds: the same digits as the C++ demo prints.
   */
  static String fixed(double value, int decimals) {
    if (Double.isNaN(value)) {
      return "nan";
    }
    if (Double.isInfinite(value)) {
      return value < 0 ? "-inf" : "inf";
    }
    String text = new BigDecimal(value).setScale(decimals, RoundingMode.HALF_EVEN).toPlainString();
    // A negative value that rounds to zero keeps its sign in printf.
    if ((value < 0 || (value == 0.0 && 1.0 / value < 0)) && !text.startsWith("-")) {
      text = "-" + text;
    }
    return text;
  }

  /** Right-aligned in {@code width} characters; a value that rounds to zero prints as zero. */
  static String num(double value, int decimals, int width) {
    if (Math.abs(value) < 0.5 * Math.pow(10.0, -decimals)) {
      value = 0.0;
    }
    String text = fixed(value, decimals);
    StringBuilder padded = new StringBuilder();
    for (int i = text.length(); i < width; i++) {
      padded.append(' ');
    }
    return padded.append(text).toString();
  }

  private static String left(String text, int width) {
    StringBuilder padded = new StringBuilder(text);
    while (padded.length() < width) {
      padded.append(' ');
    }
    return padded.toString();
  }

  private static String ahead(float ahead) {
    return ahead > 0.0f ? num(ahead, 2, 6) : "     -";
  }

  static void printTableHeader(PrintStream out) {
    out.print("  time  phase     L cmd R cmd  L rpm  R rpm  speed   dist  ahead  colour  A0 V  servo"
        + "  lidar\n"
        + "     s                                      m/s      m      m                 deg"
        + "     Hz\n"
        + "  dist: on the encoders since the start; ahead: small lidar, from the robot's centre\n");
  }

  static void printRow(PrintStream out, DemoRobot.Telemetry t) {
    out.print(num(t.time, 2, 6) + "  " + left(t.phase.text, 9) + num(t.leftCommand, 2, 6)
        + num(t.rightCommand, 2, 6) + num(t.leftRpm, 0, 7) + num(t.rightRpm, 0, 7)
        + num(t.speed, 2, 7) + num(t.distance, 2, 7) + " " + ahead(t.ahead) + "  "
        + left(t.colour, 7) + num(t.analog[0], 2, 5) + num(t.servoAngle, 0, 7)
        + num(t.lidarHz, 1, 7) + "\n");
  }

  static void printEvent(PrintStream out, DemoRobot.Event event) {
    out.print(num(event.time, 2, 6) + "  -> " + event.text + "\n");
  }

  private static void fact(PrintStream out, String label, double value, int decimals,
      String unit) {
    out.print("  " + label + ": " + num(value, decimals, 0) + " " + unit + "\n");
  }

  private static void noFact(PrintStream out, String label) {
    out.print("  " + label + ": none\n");
  }

  static void printSummary(PrintStream out, DemoMatch.Result r) {
    if (r.telemetry.isEmpty()) {
      return;
    }
    DemoRobot.Telemetry last = r.telemetry.get(r.telemetry.size() - 1);
    double topSpeed = 0.0;
    double hottest = 0.0;
    for (DemoRobot.Telemetry t : r.telemetry) {
      topSpeed = Math.max(topSpeed, t.speed);
      hottest = Math.max(hottest, t.temperature);
    }
    out.print("\nSummary\n");
    fact(out, "match time", last.time, 2, "s");
    if (r.parkedAt >= 0.0) {
      fact(out, "parked at", r.parkedAt, 2, "s");
    } else {
      noFact(out, "parked at");
    }
    fact(out, "wall gap", r.fieldWallGap, 2, "m");
    fact(out, "encoder distance", last.distance, 2, "m");
    fact(out, "field distance", r.fieldDistance, 2, "m");
    fact(out, "top speed", topSpeed, 2, "m/s");
    if (r.lineAt >= 0.0) {
      fact(out, "line seen at", r.lineAt, 2, "s");
    } else {
      noFact(out, "line seen at");
    }
    fact(out, "left encoder", last.leftCount, 0, "counts");
    fact(out, "right encoder", last.rightCount, 0, "counts");
    fact(out, "warmest controller", hottest, 1, "C");
    fact(out, "small lidar rate", last.lidarHz, 1, "Hz");
    fact(out, "small lidar scan", r.lastScan.angles.length, 0, "points");
    if (r.filteredNearest > 0.0f) {
      fact(out, "large lidar nearest", r.filteredNearest, 2, "m");
      fact(out, "large lidar angle", r.filteredNearestAngle, 0, "deg");
    } else {
      noFact(out, "large lidar nearest");
      noFact(out, "large lidar angle");
    }
    for (int i = 0; i < 4; i++) {
      fact(out, "analog " + i, last.analog[i], 2, "V");
    }
  }
}
