package dev.velmora.frc;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.io.File;
import java.io.IOException;
import java.net.URISyntaxException;
import java.net.URL;
import java.net.URLClassLoader;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.List;
import java.util.stream.Collectors;
import javax.tools.Diagnostic;
import javax.tools.DiagnosticCollector;
import javax.tools.JavaCompiler;
import javax.tools.JavaFileObject;
import javax.tools.StandardJavaFileManager;
import javax.tools.ToolProvider;
import org.junit.jupiter.api.Test;

/**
 * The import the docs tell a team to write gives them this library's 300-degree servo whatever
 * package imports the file also has, and no import pair silently gives them WPILib's 180-degree
 * one: robot code compiled here as a team writes it.
 */
class ServoNameTest {
  private static final String ROBOT = "class Arm {\n"
      + "  Servo servo() { return null; }\n"
      + "  double travel(Servo s) { return s.getMaxAngle(); }\n"
      + "}\n";

  @Test
  void theDocumentedImportWinsOverWpilibsPackageImport() throws Exception {
    Class<?> arm = compile("import edu.wpi.first.wpilibj.*;\nimport dev.velmora.frc.Servo;\n"
        + ROBOT);
    assertEquals(Servo.class.getName(), arm.getDeclaredMethod("servo").getReturnType().getName());
  }

  @Test
  void twoPackageImportsDoNotCompileRatherThanPickOne() throws Exception {
    List<String> errors = errors(
        "import edu.wpi.first.wpilibj.*;\nimport dev.velmora.frc.*;\n" + ROBOT);
    assertFalse(errors.isEmpty(), "compiled with an ambiguous Servo");
    assertTrue(errors.get(0).contains("reference to Servo is ambiguous"), errors.get(0));
  }

  // ---- Compiling a robot file against the library's and WPILib's jars ------------------------

  private static String classPath() throws URISyntaxException {
    return jarOf(Servo.class) + File.pathSeparator + jarOf(edu.wpi.first.wpilibj.Servo.class)
        + File.pathSeparator + jarOf(edu.wpi.first.wpilibj.SpeedController.class);
  }

  private static String jarOf(Class<?> type) throws URISyntaxException {
    URL location = type.getProtectionDomain().getCodeSource().getLocation();
    return Path.of(location.toURI()).toString();
  }

  private static List<String> errors(String source) throws Exception {
    Path dir = Files.createTempDirectory("velmora-servo-name");
    return run(source, dir).getDiagnostics().stream()
        .filter(d -> d.getKind() == Diagnostic.Kind.ERROR)
        .map(d -> d.getMessage(null)).collect(Collectors.toList());
  }

  private static Class<?> compile(String source) throws Exception {
    Path dir = Files.createTempDirectory("velmora-servo-name");
    DiagnosticCollector<JavaFileObject> diagnostics = run(source, dir);
    assertTrue(diagnostics.getDiagnostics().stream()
        .noneMatch(d -> d.getKind() == Diagnostic.Kind.ERROR),
        diagnostics.getDiagnostics().toString());
    URLClassLoader loader = new URLClassLoader(new URL[] {dir.toUri().toURL()},
        ServoNameTest.class.getClassLoader());
    return loader.loadClass("Arm");
  }

  private static DiagnosticCollector<JavaFileObject> run(String source, Path dir)
      throws IOException, URISyntaxException {
    Path file = dir.resolve("Arm.java");
    Files.writeString(file, source);
    JavaCompiler javac = ToolProvider.getSystemJavaCompiler();
    DiagnosticCollector<JavaFileObject> diagnostics = new DiagnosticCollector<>();
    try (StandardJavaFileManager files = javac.getStandardFileManager(diagnostics, null, null)) {
      javac.getTask(null, files, diagnostics,
          List.of("-classpath", classPath(), "-d", dir.toString(), "-proc:none"), null,
          files.getJavaFileObjects(file)).call();
    }
    return diagnostics;
  }
}
