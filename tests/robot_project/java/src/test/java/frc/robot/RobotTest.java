package frc.robot;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;

import dev.velmora.frc.sim.SimWorld;
import edu.wpi.first.hal.HAL;
import edu.wpi.first.hal.sim.DriverStationSim;
import edu.wpi.first.hal.sim.SimHooks;
import edu.wpi.first.networktables.NetworkTableInstance;
import org.junit.jupiter.api.Test;

/** The robot in autonomous on the simulated field, on WPILib's paused and stepped clock. */
class RobotTest {
  @Test
  void autonomousDrivesForwardAndStops() throws InterruptedException {
    HAL.initialize(500, 0);
    NetworkTableInstance.getDefault().startLocal();  // no network server in a test
    SimHooks.pauseTiming();
    Robot robot = new Robot();
    Thread loop = new Thread(robot::startCompetition, "robot loop");
    loop.setDaemon(true);
    loop.start();
    try {
      DriverStationSim station = new DriverStationSim();
      station.setAutonomous(true);
      station.setEnabled(true);
      station.notifyNewData();
      // Four seconds of robot time, 20 ms a step, each step given time to run its period.
      for (int step = 0; step < 200; step++) {
        SimHooks.stepTiming(20_000);
        Thread.sleep(2);
      }
      // The robot's loop runs on its own thread: let it catch up with the clock's last period.
      for (int wait = 0; wait < 10_000 && SimWorld.orvexChannel(Robot.DRIVE_CAN_ID,
          Robot.LEFT_MOTOR).commanded != 0.0; wait++) {
        Thread.sleep(1);
      }
      SimWorld.Pose pose = SimWorld.robotPose();
      assertTrue(pose.x > 1.5, "the robot drove forward: " + pose);
      assertEquals(2.0, pose.y, 0.05, "straight ahead: " + pose);
      double stopped = pose.x;
      for (int step = 0; step < 25; step++) {
        SimHooks.stepTiming(20_000);
        Thread.sleep(2);
      }
      assertEquals(stopped, SimWorld.robotPose().x, 0.01, "it stopped after two seconds");
    } finally {
      robot.endCompetition();
      loop.join(5000);
    }
  }
}
