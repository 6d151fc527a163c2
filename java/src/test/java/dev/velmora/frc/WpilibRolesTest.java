package dev.velmora.frc;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertNotNull;
import static org.junit.jupiter.api.Assertions.assertTrue;

import dev.velmora.frc.sim.SimDriver;
import dev.velmora.frc.sim.SimWorld;
import edu.wpi.first.hal.sim.PWMSim;
import edu.wpi.first.hal.sim.SimDeviceSim;
import edu.wpi.first.hal.sim.SimHooks;
import edu.wpi.first.networktables.NetworkTable;
import edu.wpi.first.networktables.NetworkTableInstance;
import edu.wpi.first.wpilibj.CounterBase;
import edu.wpi.first.wpilibj.PIDController;
import edu.wpi.first.wpilibj.PIDOutput;
import edu.wpi.first.wpilibj.PIDSourceType;
import edu.wpi.first.wpilibj.PWM;
import edu.wpi.first.wpilibj.SpeedController;
import edu.wpi.first.wpilibj.smartdashboard.SendableBuilderImpl;
import edu.wpi.first.wpilibj.smartdashboard.SendableRegistry;
import java.util.List;
import org.junit.jupiter.api.Test;

/** The devices in WPILib's own roles, on wpilibj 2020's types (2020 marks PIDOutput for removal). */
@SuppressWarnings("removal")
class WpilibRolesTest extends DriverTestBase {
  @Test
  void motorChannelIsASpeedControllerAndPidOutput() {
    try (Orvex orvex = new Orvex(5)) {
      SpeedController controller = orvex.getMotor(1);
      PIDOutput output = controller;
      journal();
      controller.setInverted(true);
      output.pidWrite(0.1);
      controller.stopMotor();
      assertEquals(
          List.of("c_Orvex_setMotorSpeed(i32:1, u8:1, f64:-0.10000000000000001(0xbfb999999999999a))",
              "c_Orvex_setMotorSpeed(i32:1, u8:1, f64:-0(0x8000000000000000))"),
          journal());
      assertEquals(-0.0, controller.get());
    }
  }

  @Test
  void wpilibPidControllerDrivesAMotorChannelFromItsOwnThread() throws Exception {
    try (Orvex orvex = new Orvex(6)) {
      Orvex.Motor motor = orvex.getMotor(0);
      edu.wpi.first.wpilibj.PIDSource source = new edu.wpi.first.wpilibj.PIDSource() {
        @Override
        public void setPIDSourceType(PIDSourceType pidSource) {}

        @Override
        public PIDSourceType getPIDSourceType() {
          return PIDSourceType.kDisplacement;
        }

        @Override
        public double pidGet() {
          return 0.0;
        }
      };
      PIDController pid = new PIDController(0.1, 0.0, 0.0, source, motor, 0.02);
      try {
        pid.setSetpoint(1.0);
        pid.enable();
        // The controller's notifier runs on WPILib's (paused) clock: step it until the loop has
        // written its output through pidWrite.
        for (int i = 0; i < 200 && SimDriver.orvexCommanded(6, 0) == 0.0; i++) {
          SimHooks.stepTiming(20_000);
          Thread.sleep(5);
        }
        assertEquals(0.1, SimDriver.orvexCommanded(6, 0), 1e-12);
        assertEquals(0.1, motor.get(), 1e-12);
      } finally {
        pid.disable();
        pid.close();
      }
    }
  }

  @Test
  void encoderChannelIsACounter() {
    SimDriver.script("c_Orvex_getEncoderCount always int 77");
    try (Orvex orvex = new Orvex(5)) {
      CounterBase counter = orvex.getEncoder(2, 0.1);
      journal();
      assertEquals(77, counter.get());
      assertFalse(counter.getDirection());
      orvex.getEncoder(2, 0.1).setReverseDirection();
      assertTrue(counter.getDirection());
      assertEquals(0.0, counter.getPeriod());
      counter.reset();
      assertEquals(List.of("c_Orvex_getEncoderCount(i32:1, u8:2)", "c_Orvex_resetEncoder(i32:1, u8:2)"),
          journal());
    }
  }

  @Test
  void servoIsAPwmOutputWithTheServoPulseSettings() {
    try (Servo servo = new Servo(3)) {
      PWM pwm = servo;
      PWMSim sim = new PWMSim(3);
      assertTrue(sim.getInitialized());
      assertEquals(3, sim.getPeriodScale(), "four-times period");
      assertEquals(1, pwm.getRawBounds().min, "the shortest pulse the output can produce");
      assertEquals("Servo[3]", SendableRegistry.getName(servo));
      servo.setAngle(150.0);
      assertEquals(0.5, sim.getPosition(), 1e-9);
      assertEquals(150.0, servo.getAngle(), 1e-6);
      servo.setOffline();
      assertEquals(0, sim.getRawValue());
    }
    // Closed: the channel can be claimed again.
    try (Servo again = new Servo(3)) {
      assertNotNull(again);
    }
  }

  @Test
  void servoShowsItsPositionOnTheDashboard() {
    try (Servo servo = new Servo(5)) {
      NetworkTable table = NetworkTableInstance.getDefault().getTable("velmora-test-servo");
      SendableBuilderImpl builder = new SendableBuilderImpl();
      builder.setTable(table);
      servo.initSendable(builder);
      servo.set(0.1);
      builder.updateTable();
      assertEquals("Servo", table.getEntry(".type").getString(""));
      assertEquals(servo.get(), table.getEntry("Value").getDouble(-1.0), 0.0);
    }
  }

  @Test
  void continuousServoIsAStoppedLatchedSpeedController() {
    try (ServoContinuous servo = new ServoContinuous(4)) {
      SpeedController controller = servo;
      PWMSim sim = new PWMSim(4);
      assertEquals(3, sim.getPeriodScale());
      assertEquals(0.0, sim.getSpeed(), 0.0);
      assertEquals(1, servo.getRawBounds().min);
      assertEquals("ServoContinuous[4]", SendableRegistry.getName(servo));
      controller.set(-1.0);
      assertEquals(-1.0, sim.getSpeed(), 0.0);
      controller.stopMotor();
      assertEquals(0.0, controller.get(), 0.0);
    }
  }

  @Test
  void openDevicesAreWpilibSimDevices() {
    try (Orvex orvex = new Orvex(7); Lumira lumira = new Lumira(3)) {
      orvex.getMotor(2).set(0.1);
      assertTrue(SimWorld.flushSimValues());
      assertNotNull(new SimDeviceSim("Orvex[7]").getDouble("Motor 2 speed"));
      assertEquals(0.1, new SimDeviceSim("Orvex[7]").getDouble("Motor 2 speed").get(), 0.0);
      assertEquals(3, lumira.getCanID());
      assertTrue(new SimDeviceSim("Lumira[CAN 3]").getNativeHandle() != 0);
      // Devices move on WPILib's clock.
      SimHooks.stepTiming(500_000);
      assertTrue(orvex.getMotor(2).getRPM() > 0.0);
    }
  }
}
