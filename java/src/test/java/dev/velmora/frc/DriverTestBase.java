package dev.velmora.frc;

import static org.junit.jupiter.api.Assertions.assertEquals;

import dev.velmora.frc.sim.SimDriver;
import edu.wpi.first.hal.HAL;
import edu.wpi.first.hal.sim.DriverStationSim;
import edu.wpi.first.hal.sim.SimHooks;
import java.util.Arrays;
import java.util.List;
import org.junit.jupiter.api.AfterEach;
import org.junit.jupiter.api.BeforeAll;
import org.junit.jupiter.api.BeforeEach;

/** Every test starts from a fresh simulation driver, on a started, paused WPILib HAL. */
abstract class DriverTestBase {
  @BeforeAll
  static void startHal() {
    HAL.initialize(500, 0);
    SimHooks.pauseTiming();
    // Enabled, as the C++ test programs are: a disabled robot\'s motors stay still.
    DriverStationSim station = new DriverStationSim();
    station.setEnabled(true);
    station.notifyNewData();
  }

  @BeforeEach
  void freshDriver() {
    SimDriver.reset();
  }

  @AfterEach
  void leaveNothing() {
    SimDriver.reset();
  }

  /** The calls since the last look, in the scenario table's words. */
  static List<String> journal() {
    return Arrays.asList(SimDriver.takeJournal());
  }

  static void assertNoDriverCall() {
    assertEquals(List.of(), journal());
  }
}
