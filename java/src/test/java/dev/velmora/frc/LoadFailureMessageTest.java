package dev.velmora.frc;

import static org.junit.jupiter.api.Assertions.assertTrue;

import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.CsvSource;

/** What a team reads when the JNI library or the driver cannot be loaded, per loader message. */
class LoadFailureMessageTest {
  @ParameterizedTest(name = "{0}")
  @CsvSource(delimiter = '|', value = {
      // The project lacks VelmoraSimulation.json: the JNI library loads, its driver is missing.
      "/p/natives/libVelmoraJNI.so: libVelmoraDriver.so: cannot open shared object file: No such"
          + " file or directory | libVelmoraJNI.so | libVelmoraDriver.so"
          + " | the driver libVelmoraDriver.so was not found beside the JNI library"
          + " libVelmoraJNI.so. For desktop simulation and tests add the vendor file"
          + " VelmoraSimulation.json",
      // The same on Windows, where the loader does not name the missing DLL.
      "C:\\p\\VelmoraJNI.dll: Can't find dependent libraries | VelmoraJNI.dll | VelmoraDriver.dll"
          + " | the driver VelmoraDriver.dll was not found beside the JNI library VelmoraJNI.dll",
      // The project lacks Velmora.json's native library altogether.
      "no VelmoraJNI in java.library.path: /p/natives | libVelmoraJNI.so | libVelmoraDriver.so"
          + " | the JNI library libVelmoraJNI.so is in none of these folders. Add the vendor file"
          + " Velmora.json",
      // Found but not loadable: another platform's or another release's file.
      "/p/natives/libVelmoraJNI.so: wrong ELF class: ELFCLASS32 | libVelmoraJNI.so"
          + " | libVelmoraDriver.so | libVelmoraJNI.so was found but could not be loaded",
  })
  void namesTheLibraryTheFoldersAndWhatToAdd(String cause, String jniFile, String driverFile,
      String advice) {
    String message = VelmoraJNI.loadFailureMessage(cause, "/p/natives:/q", jniFile, driverFile);
    assertTrue(message.startsWith("Velmora: the native library VelmoraJNI could not be loaded: "
        + advice), message);
    assertTrue(message.contains("Folders searched (java.library.path): /p/natives:/q."), message);
    assertTrue(message.endsWith("The loader said: " + cause), message);
  }
}
