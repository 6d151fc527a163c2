package dev.velmora.frc;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;

import dev.velmora.frc.sim.SimWorld;
import edu.wpi.first.hal.sim.SimDeviceSim;
import edu.wpi.first.hal.sim.SimHooks;
import edu.wpi.first.networktables.NetworkTableInstance;
import edu.wpi.first.wpilibj.TimedRobot;
import org.junit.jupiter.api.Test;

/**
 * A team's Java TimedRobot, run by WPILib's own loop on WPILib's (paused, stepped) clock: its
 * devices move with that clock and are WPILib sim devices.
 */
class TimedRobotTest extends DriverTestBase {
  static final class Robot extends TimedRobot {
    Orvex m_drive;
    Orvex.Motor m_motor;
    Orvex.Encoder m_encoder;
    volatile int m_periods;
    volatile double m_rpm;
    volatile double m_distance;

    @Override
    public void robotInit() {
      m_drive = new Orvex(8);
      m_motor = m_drive.getMotor(0);
      m_encoder = m_drive.getEncoder(0, 0.024);
    }

    @Override
    public void robotPeriodic() {
      m_motor.set(0.5);
      m_rpm = m_motor.getRPM();
      m_distance = m_encoder.getEncoderDistance();
      m_periods++;
    }
  }

  @Test
  void aTimedRobotsDevicesMoveOnWpilibsClock() throws Exception {
    // No network server for a test robot: NetworkTables stays inside the process.
    NetworkTableInstance.getDefault().startLocal();
    Robot robot = new Robot();
    Thread loop = new Thread(robot::startCompetition, "robot loop");
    loop.setDaemon(true);
    loop.start();
    try {
      // One second of robot time, 20 ms at a time, each step waiting for its period to run.
      for (int step = 0; step < 50; step++) {
        int before = robot.m_periods;
        SimHooks.stepTiming(20_000);
        for (int wait = 0; wait < 1000 && robot.m_periods == before; wait++) {
          Thread.sleep(1);
        }
      }
      assertTrue(robot.m_periods >= 40, "periods run: " + robot.m_periods);
      assertTrue(robot.m_rpm > 1000.0, "the motor turns on WPILib's clock: " + robot.m_rpm);
      assertTrue(robot.m_distance > 0.5, "the wheel rolled: " + robot.m_distance);
      assertTrue(SimWorld.flushSimValues());
      SimDeviceSim device = new SimDeviceSim("Orvex[8]");
      assertEquals(0.5, device.getDouble("Motor 0 speed").get(), 0.0);
      assertTrue(device.getDouble("Motor 0 RPM").get() > 1000.0);
    } finally {
      robot.endCompetition();
      loop.join(5000);
      if (robot.m_drive != null) {
        robot.m_drive.close();
      }
    }
  }
}
