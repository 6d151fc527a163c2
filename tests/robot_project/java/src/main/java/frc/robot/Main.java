package frc.robot;

import edu.wpi.first.wpilibj.RobotBase;

/** Starts the robot program: WPILib runs Robot's loop from here, on the robot and in simulation. */
public final class Main {
  private Main() {}

  /**
   * The program's entry point.
   *
   * @param args unused
   */
  public static void main(String... args) {
    RobotBase.startRobot(Robot::new);
  }
}
