/**
 * The simulated world of the simulation driver, for Java robot programs in desktop simulation
 * and their tests: place the robot on the simulated field, put its wheels on two motor channels,
 * hold a motor's shaft, step simulated time, read where the robot is, set what the sensors see.
 *
 * <p>This package ships as its own artifact ({@code Velmora-simulation-java}, in the vendor file
 * {@code VelmoraSimulation.json}) together with the simulation driver and the native library
 * {@code VelmoraSimJNI} that binds this package to it. A robot program on the robot has none of
 * it: there the maker's driver takes the simulation driver's place. Use it from simulation code
 * and tests only (a class the robot's {@code Main} never loads on the robot, or a test).
 *
 * <p>Every call here does what the C++ function of the same name in {@code velmora_sim} does
 * (header {@code velmora_sim/SimDriver.h}): a refused setting returns {@code false} and changes
 * nothing, as there. Calls may come from any thread.
 */
package dev.velmora.frc.sim;
