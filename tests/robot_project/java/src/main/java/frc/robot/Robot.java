package frc.robot;

import dev.velmora.frc.Orvex;
import dev.velmora.frc.sim.SimWorld;
import edu.wpi.first.wpilibj.TimedRobot;
import edu.wpi.first.wpilibj.Timer;

/**
 * A drive base on one Orvex controller: the left wheels on motor 0, the right wheels on motor 1.
 * In autonomous it drives forward for two seconds, then stops.
 */
public class Robot extends TimedRobot {
  static final int DRIVE_CAN_ID = 5;
  static final int LEFT_MOTOR = 0;
  static final int RIGHT_MOTOR = 1;
  /** How far a wheel rolls in one motor revolution, after the gearbox (metres). */
  static final double METRES_PER_REVOLUTION = 0.02;
  static final double AUTONOMOUS_SPEED = 0.3;
  static final double AUTONOMOUS_SECONDS = 2.0;

  // Devices as fields: made when WPILib constructs the robot.
  private final Orvex m_drive = new Orvex(DRIVE_CAN_ID);
  private final Orvex.Motor m_left = m_drive.getMotor(LEFT_MOTOR);
  private final Orvex.Motor m_right = m_drive.getMotor(RIGHT_MOTOR);
  private final Timer m_timer = new Timer();
  private boolean m_reported;

  @Override
  public void autonomousInit() {
    m_timer.reset();
    m_timer.start();
    m_reported = false;
  }

  @Override
  public void autonomousPeriodic() {
    double speed = m_timer.get() < AUTONOMOUS_SECONDS ? AUTONOMOUS_SPEED : 0.0;
    m_left.set(speed);
    m_right.set(speed);
  }

  @Override
  public void disabledInit() {
    m_left.set(0.0);
    m_right.set(0.0);
  }

  // Desktop simulation only (WPILib never calls these on the robot): the simulated field.
  @Override
  public void simulationInit() {
    SimWorld.attachDrive(DRIVE_CAN_ID, LEFT_MOTOR, RIGHT_MOTOR, METRES_PER_REVOLUTION);
    SimWorld.placeRobot(1.0, 2.0, 0.0);
  }

  @Override
  public void simulationPeriodic() {
    if (!m_reported && isAutonomous() && isEnabled() && m_timer.get() > AUTONOMOUS_SECONDS + 0.5) {
      m_reported = true;
      SimWorld.Pose pose = SimWorld.robotPose();
      String line = String.format("Robot: autonomous done at x=%.2f m, y=%.2f m, %.2f m driven",
          pose.x, pose.y, SimWorld.robotDistanceTravelled());
      System.out.println(line);  // in one piece: a tool reading the console sees the whole line
    }
  }
}
