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
 * a {@link dev.velmora.frc.Lumira} or {@link dev.velmora.frc.Pallax} that cannot be opened
 * throws {@link dev.velmora.frc.DeviceOpenException} (an {@link dev.velmora.frc.Orvex} the
 * driver could not open does not throw: see its constructor); a call on a closed device throws
 * {@link IllegalStateException}. A native library that cannot be loaded ({@code VelmoraJNI}, or
 * the driver it needs) makes the first device's construction throw {@link UnsatisfiedLinkError}
 * naming the library, the folders searched and the vendor file to add. Settings out of range are
 * refused with a line on standard error, as in C++. No call crashes the JVM.
 *
 * <p><b>Threads.</b> The library takes no locks. A device object is used from one thread at a
 * time; the channels of an {@link dev.velmora.frc.Orvex} may be shared between threads once they
 * have been handed out (a WPILib PID loop on its own thread is the usual case). Close a device
 * only when no other thread uses it.
 */
package dev.velmora.frc;
