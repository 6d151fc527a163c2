package dev.velmora.frc;

import static org.junit.jupiter.api.Assertions.assertTrue;

import dev.velmora.frc.sim.SimDriver;
import edu.wpi.first.hal.HAL;
import edu.wpi.first.hal.sim.DriverStationSim;
import edu.wpi.first.hal.sim.SimHooks;
import java.io.ByteArrayOutputStream;
import java.io.IOException;
import java.io.PrintStream;
import java.lang.reflect.InvocationTargetException;
import java.lang.reflect.Method;
import java.lang.reflect.Modifier;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.HashMap;
import java.util.List;
import java.util.Map;
import java.util.OptionalDouble;
import java.util.OptionalLong;
import java.util.concurrent.Callable;
import java.util.stream.Collectors;
import java.util.stream.Stream;
import org.junit.jupiter.api.BeforeAll;
import org.junit.jupiter.api.Test;

/**
 * Runs the shared scenario table through the Java classes and writes one transcript per table
 * file, in the words of the C++ runner (tests/scenarios/scenario_runner_test.cpp); a CTest test
 * holds the two transcripts side by side.
 */
class ScenarioTableTest {
  @BeforeAll
  static void startHal() {
    HAL.initialize(500, 0);
    // The simulation driver follows WPILib's clock: paused, it moves only when a step moves it,
    // as in the C++ test programs.
    SimHooks.pauseTiming();
    // Enabled, as the C++ test programs are: a disabled robot\'s motors stay still.
    DriverStationSim station = new DriverStationSim();
    station.setEnabled(true);
    station.notifyNewData();
  }

  @Test
  void everyFileRunsThroughTheJavaClasses() throws Exception {
    Path table = Paths.get(System.getProperty("velmora.scenarios"));
    Path transcripts = Paths.get(System.getProperty("velmora.transcripts"));
    Files.createDirectories(transcripts);
    List<Path> files;
    try (Stream<Path> listing = Files.list(table)) {
      files = listing.filter(p -> p.toString().endsWith(".txt")).sorted()
          .collect(Collectors.toList());
    }
    assertTrue(!files.isEmpty(), "no scenario files in " + table);
    for (Path file : files) {
      String transcript = runTable(file);
      Files.write(transcripts.resolve(file.getFileName()),
          transcript.getBytes(StandardCharsets.UTF_8));
      assertTrue(transcript.contains("== "), file + " holds no scenario");
    }
  }

  // ---- Results in the transcript's words ------------------------------------------------------

  static String f64(double value) {
    return String.format("f64:0x%016x", Double.doubleToRawLongBits(value));
  }

  static String f32(float value) {
    return String.format("f32:0x%08x", Float.floatToRawIntBits(value));
  }

  static String escape(byte[] bytes) {
    StringBuilder out = new StringBuilder();
    for (byte b : bytes) {
      int v = b & 0xFF;
      if (v == '\\') {
        out.append("\\\\");
      } else if (v == '\n') {
        out.append("\\n");
      } else if (v >= 0x20 && v < 0x7F) {
        out.append((char) v);
      } else {
        out.append(String.format("\\x%02X", v));
      }
    }
    return out.toString();
  }

  static String str(String text) {
    return "\"" + escape(text.getBytes(StandardCharsets.UTF_8)) + "\"";
  }

  /** FNV-1a over the bit patterns of a scan's floats, in order. */
  static final class Digest {
    private long m_hash = 0xCBF29CE484222325L;

    void add(float[] values) {
      for (float value : values) {
        int bits = Float.floatToRawIntBits(value);
        for (int k = 0; k < 4; k++) {
          m_hash ^= (bits >>> (8 * k)) & 0xFF;
          m_hash *= 0x100000001B3L;
        }
      }
    }

    String text() {
      return String.format("%016x", m_hash);
    }
  }

  private static String text(Object value) {
    if (value == null) {
      return "ok";
    }
    if (value instanceof Double) {
      return f64((Double) value);
    }
    if (value instanceof Float) {
      return f32((Float) value);
    }
    if (value instanceof Boolean || value instanceof Integer || value instanceof Long) {
      return value.toString();
    }
    if (value instanceof String) {
      // A driver text: one char per byte of the driver's.
      return "\"" + escape(((String) value).getBytes(StandardCharsets.ISO_8859_1)) + "\"";
    }
    if (value instanceof OptionalDouble) {
      OptionalDouble o = (OptionalDouble) value;
      return o.isPresent() ? "some " + f64(o.getAsDouble()) : "none";
    }
    if (value instanceof OptionalLong) {
      OptionalLong o = (OptionalLong) value;
      return o.isPresent() ? "some " + o.getAsLong() : "none";
    }
    if (value instanceof Enum) {
      return ((Enum<?>) value).name();
    }
    if (value instanceof Orvex.Motor) {
      return "Motor";
    }
    if (value instanceof Orvex.Encoder) {
      return "Encoder";
    }
    if (value instanceof LidarMini.LidarInfo) {
      LidarMini.LidarInfo i = (LidarMini.LidarInfo) value;
      return "LidarInfo{model=" + i.model + ", firmwareMinor=" + i.firmwareMinor
          + ", firmwareMajor=" + i.firmwareMajor + ", hardware=" + i.hardware + ", serial="
          + i.getSerialString() + "}";
    }
    if (value instanceof LidarMini.LidarHealth) {
      LidarMini.LidarHealth h = (LidarMini.LidarHealth) value;
      return "LidarHealth{status=" + h.status + ", errorCode=" + h.errorCode + "}";
    }
    if (value instanceof LidarMini.ScanData) {
      LidarMini.ScanData s = (LidarMini.ScanData) value;
      Digest digest = new Digest();
      digest.add(s.angles);
      digest.add(s.distances);
      digest.add(s.qualities);
      return "ScanData{points=" + s.angles.length + ", timestamp=" + s.timestamp + ", digest="
          + digest.text() + "}";
    }
    if (value instanceof Lidar.ScanData) {
      Lidar.ScanData s = (Lidar.ScanData) value;
      Digest digest = new Digest();
      digest.add(s.angles);
      digest.add(s.distances);
      return "LidarScan{digest=" + digest.text() + ", angle90=" + f32(s.angles[90])
          + ", distance90=" + f32(s.distances[90]) + "}";
    }
    if (value instanceof Lumira.ColorData) {
      Lumira.ColorData c = (Lumira.ColorData) value;
      return "ColorData{header=" + c.header + ", component1=" + f32(c.component1)
          + ", component2=" + f32(c.component2) + ", component3=" + f32(c.component3)
          + ", trailer=" + c.trailer + "}";
    }
    if (value instanceof Pallax.ScanData) {
      Pallax.ScanData s = (Pallax.ScanData) value;
      StringBuilder b = new StringBuilder("ScanData{header=" + s.header + ", values=[");
      for (int i = 0; i < s.values.length; i++) {
        b.append(i > 0 ? ", " : "").append(s.values[i]);
      }
      return b.append("]}").toString();
    }
    if (value instanceof Pallax.Config) {
      Pallax.Config c = (Pallax.Config) value;
      return "Config{valueA=" + c.valueA + ", flagA=" + c.flagA + ", flagB=" + c.flagB
          + ", flagC=" + c.flagC + ", valueB=" + c.valueB + ", valueC=" + c.valueC + "}";
    }
    throw new IllegalArgumentException("scenario: no words for " + value.getClass());
  }

  // ---- Arguments ------------------------------------------------------------------------------

  private static double number(String word) {
    switch (word) {
      case "nan":
        return Double.NaN;
      case "inf":
        return Double.POSITIVE_INFINITY;
      case "-inf":
        return Double.NEGATIVE_INFINITY;
      default:
        return Double.parseDouble(word);
    }
  }

  @SuppressWarnings({"unchecked", "rawtypes"})
  private static Object convert(Class<?> type, String word) {
    if (type == int.class) {
      return Long.decode(word).intValue();
    }
    if (type == double.class) {
      return number(word);
    }
    if (type == float.class) {
      return (float) number(word);
    }
    if (type == boolean.class) {
      return word.equals("true");
    }
    if (type == String.class) {
      return word.equals("\"\"") ? "" : word;
    }
    if (type.isEnum()) {
      return Enum.valueOf((Class<? extends Enum>) type, word);
    }
    throw new IllegalArgumentException("scenario: no argument of type " + type);
  }

  // ---- One scenario ---------------------------------------------------------------------------

  private static final List<Object> LEFT_OPEN = new ArrayList<>();

  private static final class Scenario {
    private final Map<String, Object> m_objects = new HashMap<>();
    private final List<String> m_order = new ArrayList<>();

    void bind(String name, Object object) throws Exception {
      if (name.isEmpty()) {
        return;
      }
      if (m_objects.containsKey(name)) {
        close(name);
      }
      m_objects.put(name, object);
      m_order.add(name);
    }

    void close(String name) throws Exception {
      Object object = m_objects.remove(name);
      if (object instanceof AutoCloseable) {
        ((AutoCloseable) object).close();
      } else if (object instanceof LidarMini) {
        // The C++ runner leaves a small lidar that no step destroyed open for good (its
        // destructor releases nothing); so does this one, by keeping the object reachable:
        // dropped, the garbage collector would release it in the middle of a later scenario.
        LEFT_OPEN.add(object);
      }
    }

    void endAll() throws Exception {
      for (int i = m_order.size() - 1; i >= 0; i--) {
        close(m_order.get(i));
      }
      m_order.clear();
    }

    Object construct(String type, String how, List<String> a) {
      switch (type) {
        case "Orvex":
          return a.size() == 1 ? new Orvex(Integer.parseInt(a.get(0)))
              : new Orvex(Integer.parseInt(a.get(0)), Integer.parseInt(a.get(1)));
        case "LidarMini":
          return new LidarMini(LidarMini.Port.valueOf(a.get(0)));
        case "Lidar":
          return new Lidar(Lidar.Port.valueOf(a.get(0)));
        case "Lumira":
          if (how.equals("newPort")) {
            return new Lumira(Lumira.Port.valueOf(a.get(0)), Integer.parseInt(a.get(1)));
          }
          if (how.equals("newPath")) {
            return new Lumira((String) convert(String.class, a.get(0)), Integer.parseInt(a.get(1)));
          }
          return new Lumira(Integer.parseInt(a.get(0)));
        case "Pallax":
          if (how.equals("newPort")) {
            return new Pallax(Pallax.Port.valueOf(a.get(0)), Integer.parseInt(a.get(1)));
          }
          if (how.equals("newPath")) {
            return new Pallax((String) convert(String.class, a.get(0)), Integer.parseInt(a.get(1)));
          }
          return new Pallax(Integer.parseInt(a.get(0)));
        case "Adexa":
          return a.isEmpty() ? new Adexa() : new Adexa(number(a.get(0)));
        case "MockDS":
          return new MockDS();
        case "Servo":
          return new Servo(Integer.parseInt(a.get(0)));
        case "ServoContinuous":
          return new ServoContinuous(Integer.parseInt(a.get(0)));
        default:
          throw new IllegalArgumentException("scenario: cannot construct " + type);
      }
    }

    String run(String target, String method, List<String> a, String bind) throws Exception {
      if (method.equals("new") || method.equals("newPort") || method.equals("newPath")) {
        bind(bind, construct(target, method, a));
        return "ok";
      }
      if (target.equals("sim") && method.equals("step")) {
        SimDriver.simStep(number(a.get(0)));
        return "ok";
      }
      Object object = m_objects.get(target);
      if (object == null) {
        throw new IllegalArgumentException("scenario: no object " + target);
      }
      if (method.equals("close")) {
        close(target);
        return "ok";
      }
      if (object instanceof Orvex && method.equals("getTargetRPMFromDevice")) {
        double[] targets = new double[Orvex.kChannelCount];
        boolean ok = ((Orvex) object).getTargetRPMFromDevice(targets);
        return ok + " [" + Arrays.stream(targets).mapToObj(ScenarioTableTest::f64)
            .collect(Collectors.joining(", ")) + "]";
      }
      Method found = null;
      for (Method m : object.getClass().getMethods()) {
        if (m.getName().equals(method) && m.getParameterCount() == a.size()
            && !Modifier.isStatic(m.getModifiers())) {
          found = m;
          break;
        }
      }
      if (found == null) {
        throw new IllegalArgumentException(
            "scenario: " + object.getClass().getSimpleName() + " has no " + method);
      }
      Class<?>[] types = found.getParameterTypes();
      Object[] args = new Object[types.length];
      for (int i = 0; i < types.length; i++) {
        args[i] = convert(types[i], a.get(i));
      }
      Object result;
      try {
        result = found.invoke(object, args);
      } catch (InvocationTargetException e) {
        if (e.getCause() instanceof Exception) {
          throw (Exception) e.getCause();
        }
        throw e;
      }
      String text = text(result);
      if (result instanceof Orvex.Motor || result instanceof Orvex.Encoder
          || result instanceof LidarMini.ScanData) {
        bind(bind, result);
      }
      return text;
    }
  }

  // Runs one step under capture; the transcript gets the driver calls, the console bytes and the
  // result, in that order.
  private static void step(StringBuilder out, Callable<String> step) throws Exception {
    PrintStream oldOut = System.out;
    PrintStream oldErr = System.err;
    ByteArrayOutputStream outBytes = new ByteArrayOutputStream();
    ByteArrayOutputStream errBytes = new ByteArrayOutputStream();
    String result;
    System.setOut(new PrintStream(outBytes, true, "UTF-8"));
    System.setErr(new PrintStream(errBytes, true, "UTF-8"));
    try {
      result = step.call();
    } catch (IndexOutOfBoundsException e) {
      result = "throws IndexOutOfBounds " + str(e.getMessage());
    } catch (IllegalArgumentException e) {
      result = "throws IllegalArgument " + str(e.getMessage());
    } catch (DeviceOpenException e) {
      result = "throws DeviceOpen " + str(e.getMessage());
    } finally {
      System.setOut(oldOut);
      System.setErr(oldErr);
    }
    for (String call : SimDriver.takeJournal()) {
      out.append("  call ").append(call).append('\n');
    }
    if (outBytes.size() > 0) {
      out.append("  out ").append(escape(outBytes.toByteArray())).append('\n');
    }
    if (errBytes.size() > 0) {
      out.append("  err ").append(escape(errBytes.toByteArray())).append('\n');
    }
    out.append("< ").append(result).append('\n');
  }

  private static String runTable(Path file) throws Exception {
    StringBuilder out = new StringBuilder();
    Scenario scenario = null;
    for (String line : Files.readAllLines(file, StandardCharsets.UTF_8)) {
      String[] w = line.trim().isEmpty() ? new String[0] : line.trim().split("\\s+");
      if (w.length == 0 || w[0].startsWith("#")) {
        continue;
      }
      if (w[0].equals("scenario")) {
        finish(out, scenario);
        // Every scenario starts at 0 on WPILib's paused clock, so that a scan's timestamp, which is
        // on that clock, reads the same in both languages.
        SimHooks.restartTiming();
        SimDriver.reset();
        scenario = new Scenario();
        out.append("== ").append(line.substring(line.indexOf("scenario") + 9)).append('\n');
        continue;
      }
      if (scenario == null) {
        throw new IOException("scenario: step before the first scenario in " + file);
      }
      if (w[0].equals("script")) {
        SimDriver.script(line.substring(line.indexOf("script") + 7));
        continue;
      }
      // "repeat <n> <step>": the step n times over, each in the transcript.
      int times = 1;
      String[] step = w;
      if (w[0].equals("repeat") && w.length > 2) {
        times = Integer.parseInt(w[1]);
        step = Arrays.copyOfRange(w, 2, w.length);
      }
      final String[] s = step;
      List<String> args = new ArrayList<>(Arrays.asList(s).subList(2, s.length));
      String bind = "";
      if (args.size() >= 2 && args.get(args.size() - 2).equals("->")) {
        bind = args.get(args.size() - 1);
        args = args.subList(0, args.size() - 2);
      }
      final Scenario current = scenario;
      final List<String> stepArgs = args;
      final String stepBind = bind;
      for (int k = 0; k < times; k++) {
        out.append("> ").append(String.join(" ", s)).append('\n');
        step(out, () -> current.run(s[0], s[1], stepArgs, stepBind));
      }
    }
    finish(out, scenario);
    return out.toString();
  }

  private static void finish(StringBuilder out, Scenario scenario) throws Exception {
    if (scenario == null) {
      return;
    }
    out.append("> (end)\n");
    step(out, () -> {
      scenario.endAll();
      return "ok";
    });
  }
}
