package dev.velmora.frc;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;

import dev.velmora.frc.sim.SimWorld;
import org.junit.jupiter.api.Test;

/**
 * The shipped simulated world's Java API against the simulation driver: the same refusals and
 * the same world as the C++ functions it binds.
 */
class SimWorldTest extends DriverTestBase {
  @Test
  void aRobotOnAnAttachedDriveMovesAndALockedMotorHoldsIt() {
    try (Orvex drive = new Orvex(7)) {
      assertTrue(SimWorld.attachDrive(7, 0, 1, 0.02));
      assertTrue(SimWorld.placeRobot(2.0, 1.0, 0.0));
      drive.getMotor(0).set(0.3);
      drive.getMotor(1).set(0.3);
      assertTrue(SimWorld.simStep(1.0));
      SimWorld.Pose moved = SimWorld.robotPose();
      assertTrue(moved.x > 2.2, "it drove along x: " + moved);
      assertEquals(1.0, moved.y, 1e-9);
      assertEquals(moved.x - 2.0, SimWorld.robotDistanceTravelled(), 1e-9);

      SimWorld.setOrvexMotorLocked(7, 0, true);
      SimWorld.setOrvexMotorLocked(7, 1, true);
      SimWorld.MotorState left = SimWorld.orvexChannel(7, 0);
      assertTrue(left.exists && left.locked);
      assertEquals(0.3, left.commanded, 0.0);
      assertTrue(SimWorld.simStep(0.5));
      SimWorld.Pose held = SimWorld.robotPose();
      assertEquals(0.0, SimWorld.orvexChannel(7, 0).rpm, 0.0);
      assertTrue(SimWorld.orvexChannel(7, 0).current > 25.0, "a held motor draws 0.3 of stall current");
      assertTrue(held.x - moved.x < 0.05, "locked wheels stop the robot: " + held);
      assertTrue(SimWorld.battery().volts < SimWorld.battery().emf, "the battery sags");
    }
  }

  @Test
  void refusedSettingsChangeNothing() {
    SimWorld.Pose start = SimWorld.robotPose();
    assertFalse(SimWorld.placeRobot(-1.0, 2.0, 0.0), "off the field");
    assertFalse(SimWorld.placeRobot(Double.NaN, 2.0, 0.0));
    assertEquals(start.x, SimWorld.robotPose().x, 0.0);
    assertFalse(SimWorld.attachDrive(7, 1, 1, 0.02), "one channel for both sides");
    assertFalse(SimWorld.attachDrive(7, 0, 4, 0.02), "no channel 4");
    assertFalse(SimWorld.attachDrive(7, 0, 1, Double.POSITIVE_INFINITY));
    assertFalse(SimWorld.simStep(-0.1));
    assertFalse(SimWorld.simStep(SimWorld.MAX_SIM_STEP_SECONDS + 1.0));
    assertFalse(SimWorld.setBatteryEmf(16.5));
    assertFalse(SimWorld.setLumiraColor(1.5f, 0f, 0f));
    assertFalse(SimWorld.setAdexaVoltage(8, 1.0f));
    assertFalse(SimWorld.setOrvexLoadInertia(7, 0, 1e-3), "no controller on CAN ID 7");
    assertFalse(SimWorld.orvexChannel(7, 0).exists);
    SimWorld.Field small = new SimWorld.Field();
    small.width = 0.5;
    assertFalse(SimWorld.setField(small), "a field under 1 m");
    assertEquals(8.0, SimWorld.field().width, 0.0);
    assertEquals(0.0, SimWorld.simTime(), 0.0);
  }

  @Test
  void badArgumentsOfTheJavaSideThrowBeforeTheDriver() {
    assertThrows(NullPointerException.class, () -> SimWorld.setField(null));
    SimWorld.Field twoColours = new SimWorld.Field();
    twoColours.line = new float[] {0.1f, 0.2f};
    assertThrows(IllegalArgumentException.class, () -> SimWorld.setField(twoColours));
  }

  @Test
  void theFieldAndTheRayReadWhatWasSet() {
    SimWorld.Field field = new SimWorld.Field();
    field.width = 6.1;
    field.obstacleWidth = 0.0;
    field.obstacleHeight = 0.0;
    assertTrue(SimWorld.setField(field));
    assertEquals(6.1, SimWorld.field().width, 0.0);
    // From the robot's start, straight along +x to the far wall.
    assertEquals(6.1 - 1.0, SimWorld.rayDistance(1.0, 2.0, 0.0), 1e-9);
    SimWorld.reset();
    assertEquals(8.0, SimWorld.field().width, 0.0);
  }
}
