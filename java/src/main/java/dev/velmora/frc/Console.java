package dev.velmora.frc;

import java.io.PrintStream;
import java.nio.charset.StandardCharsets;

/**
 * The library's console lines, written as UTF-8 bytes to the program's current standard output
 * or standard error stream, whatever the platform's default encoding (the frequency report holds
 * an arrow, which must reach a log as the same three bytes on every machine).
 */
final class Console {
  private Console() {}

  static void out(String line) {
    write(System.out, line);
  }

  static void err(String line) {
    write(System.err, line);
  }

  private static void write(PrintStream stream, String text) {
    byte[] bytes = text.getBytes(StandardCharsets.UTF_8);
    stream.write(bytes, 0, bytes.length);
    stream.flush();
  }
}
