import dev.velmora.frc.DeviceOpenException;
import dev.velmora.frc.LidarMini;
import dev.velmora.frc.Lumira;
import dev.velmora.frc.Orvex;
import edu.wpi.first.hal.HAL;
import edu.wpi.first.hal.sim.DriverStationSim;
import edu.wpi.first.hal.sim.SimHooks;

/**
 * A Java robot program's use of the release as a team gets it: compiled against the unpacked jar,
 * run with the unpacked native libraries. Exits with 0 only when every device answered as it
 * should.
 */
public final class JavaConsumer {
  private JavaConsumer() {}

  private static void require(boolean condition, String what) {
    if (!condition) {
      System.err.println("JavaConsumer: " + what);
      System.exit(1);
    }
  }

  public static void main(String[] args) {
    HAL.initialize(500, 0);
    SimHooks.pauseTiming();
    // Enabled, as a robot on the field: a disabled robot's motors stay still.
    DriverStationSim station = new DriverStationSim();
    station.setEnabled(true);
    station.notifyNewData();
    try (Orvex drive = new Orvex(5)) {
      Orvex.Motor motor = drive.getMotor(0);
      motor.set(0.4);
      require(motor.get() == 0.4, "the motor channel does not keep its speed");
      require(drive.getID() == 5, "the controller does not report its ID");
      SimHooks.stepTiming(500_000);
      require(motor.getRPM() > 0.0, "the motor does not turn in the simulation");
    }
    LidarMini lidar = new LidarMini(LidarMini.Port.kUSB0);
    lidar.start();
    SimHooks.stepTiming(200_000);
    require(lidar.getData().angles.length > 0, "the small lidar gives no scan");
    lidar.destroy();
    try {
      new Lumira(64).close();
      require(false, "CAN ID 64 was accepted");
    } catch (IndexOutOfBoundsException e) {
      require(e.getMessage().equals("Lumira CAN ID must be in [0, 63], got: 64"),
          "unexpected message: " + e.getMessage());
    } catch (DeviceOpenException e) {
      require(false, "CAN ID 64 reached the driver");
    }
    System.out.println("JavaConsumer: the unpacked jar and native libraries work");
    System.exit(0);
  }
}
