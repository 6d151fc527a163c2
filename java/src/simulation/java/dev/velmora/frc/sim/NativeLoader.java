package dev.velmora.frc.sim;

/** Loads the simulated world's native library, with a message a team can act on when it cannot. */
final class NativeLoader {
  private NativeLoader() {}

  static void load() {
    try {
      System.loadLibrary("VelmoraSimJNI");
    } catch (UnsatisfiedLinkError e) {
      String message = message(e.getMessage(), System.getProperty("java.library.path"),
          System.mapLibraryName("VelmoraSimJNI"), System.mapLibraryName("VelmoraDriver"));
      // On the console as well: WPILib reports only the innermost cause of a robot that failed
      // to construct, and a test runner may hide the error's text.
      System.err.println(message);
      throw new UnsatisfiedLinkError(message);
    }
  }

  static String message(String cause, String searched, String jniFile, String driverFile) {
    String text = cause == null ? "" : cause;
    String what;
    if (text.contains("VelmoraDriver") || text.contains(driverFile)
        || text.contains("dependent libraries")) {
      what = "the simulation driver " + driverFile + " was not found beside " + jniFile
          + ". Both come in the jniDependencies of the vendor file VelmoraSimulation.json";
    } else if (text.contains("no VelmoraSimJNI")) {
      what = jniFile + " is in none of these folders. Add the vendor file "
          + "VelmoraSimulation.json to the project (its jniDependencies bring " + jniFile
          + " and the simulation driver); the simulated world exists only in desktop simulation "
          + "and tests, never on the robot";
    } else {
      what = jniFile + " was found but could not be loaded. Use the archives of one release, "
          + "for this platform";
    }
    return "Velmora: the native library VelmoraSimJNI could not be loaded: " + what
        + ". Folders searched (java.library.path): " + searched + ". The loader said: " + text;
  }
}
