/**
 * The Velmora devices for WPILib 2020 Java robot programs: the CAN motor controller
 * {@link dev.velmora.frc.Orvex} with its motor and encoder channels, the PWM servos
 * {@link dev.velmora.frc.Servo} and {@link dev.velmora.frc.ServoContinuous}, the lidars
 * {@link dev.velmora.frc.LidarMini} and {@link dev.velmora.frc.Lidar}, the sensors
 * {@link dev.velmora.frc.Lumira} and {@link dev.velmora.frc.Pallax}, the analog board
 * {@link dev.velmora.frc.Adexa} and the simulated driver station {@link dev.velmora.frc.MockDS}.
 *
 * <p>Each class turns its calls into calls of the maker's driver ({@code VelmoraDriver}) through
 * the native library {@code VelmoraJNI}, which a program finds on {@code java.library.path} (a
 * WPILib project's build puts it there from the vendor file). The classes behave as the C++
 * library's do, messages and console lines included.
 *
 * <p><b>Failures.</b> An index or CAN ID out of range throws {@link IndexOutOfBoundsException};
 * a refused argument (a null reference, a value too wide for its device field) throws
 * {@link IllegalArgumentException} or {@link NullPointerException} before the driver is called;
 * a device that cannot be opened throws {@link dev.velmora.frc.DeviceOpenException}; a call on a
 * closed device throws {@link IllegalStateException}. Settings out of range are refused with a
 * line on standard error, as in C++. No call crashes the JVM.
 *
 * <p><b>Threads.</b> The library takes no locks and starts no threads of its own (the JVM's
 * cleaner thread releases dropped devices). Use each device object from one thread at a time.
 * The one exception is an {@link dev.velmora.frc.Orvex}'s channels: get every channel you need
 * from the controller before a second thread starts, and the channels' calls may then be shared
 * between threads (a WPILib PID loop writing a motor channel from its own thread while the robot
 * loop reads it, flips its inversion and reads the encoders is the usual case); each such call
 * stands on its own. Where C++ says to destroy a device only when no other thread uses it, Java
 * goes further: {@code close()} (and {@code LidarMini.destroy()}) may come from any thread at any
 * time; the device is released exactly once, and a call racing the close either finishes before
 * the release or throws {@link IllegalStateException} ({@code LidarMini}: does nothing).
 *
 * <p><b>Lifetime.</b> {@code close()} releases a device. A device with a handle of its own
 * ({@link dev.velmora.frc.Orvex}, {@link dev.velmora.frc.Lumira},
 * {@link dev.velmora.frc.Pallax}, {@link dev.velmora.frc.LidarMini}) that the program drops
 * without releasing it is released by the garbage collector some time after it becomes
 * unreachable, so its CAN ID or port opens again; {@link dev.velmora.frc.Adexa} and
 * {@link dev.velmora.frc.MockDS}, one per program, are released only by {@code close()}.
 *
 * <p><b>Servo names.</b> {@link dev.velmora.frc.Servo} is a 300-degree servo and shares its name
 * with WPILib's 180-degree {@code edu.wpi.first.wpilibj.Servo}: import it by its full name
 * ({@code import dev.velmora.frc.Servo;}), which wins over any package import.
 */
package dev.velmora.frc;
