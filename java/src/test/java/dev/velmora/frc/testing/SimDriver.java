package dev.velmora.frc.testing;

/** The simulation driver's test face: reset, scripted results and the journal. */
public final class SimDriver {
  static {
    System.loadLibrary("VelmoraSimJNI");
  }

  private SimDriver() {}

  /** Journal, scripts and simulated devices back to their start. */
  public static native void reset();

  /** One "script" line of the scenario table, without the word "script". */
  public static native void script(String line);

  /** The calls since the last take, in the scenario table's words; the journal is emptied. */
  public static native String[] takeJournal();

  /** Switches the journal on or off (off for loops that would fill it). */
  public static native void enableJournal(boolean on);

  /** Moves simulated time on. */
  public static native void simStep(double seconds);

  /** Simulated seconds since the last reset. */
  public static native double simTime();

  /** The speed last commanded to a simulated motor channel. */
  public static native double orvexCommanded(int canId, int index);

  /** How many small lidars are open in the driver. */
  public static native int openLidarMinis();

  /** Whether the simulated driver station exists and is enabled. */
  public static native boolean mockDSEnabled();
}
