// A permanent-magnet DC motor, as the simulated Orvex channels drive it, and the battery that feeds
// them. Plain arithmetic with no state of its own, so it can be checked on its own.
//
// The basis is the four numbers a motor's datasheet gives at its nominal voltage: free speed,
// stall torque, stall current and free current. From them:
//   winding resistance    R  = V / I_stall
//   torque constant       Kt = T_stall / I_stall
//   back-EMF constant     Ke = (V - I_free R) / w_free
//   viscous friction      b  = Kt I_free / w_free   (torque per rad/s)
// so that, on its nominal voltage, a stalled motor draws the stall current and gives the stall
// torque, and a free motor settles exactly at the free speed drawing the free current. The shaft
// carries an inertia J (rotor, gearbox and load, seen at the motor shaft):
//   J dw/dt = Kt I - b w,   I = (V_motor - Ke w) / R
// which is linear in w: on a steady voltage the speed approaches its final value exponentially
// with the time constant
//   tau = J / (Kt Ke / R + b) = J w_free / T_stall.
// A tick integrates that exponential exactly, so any inertia is stable and the result does not
// depend on the tick length beyond the voltage being held for the tick.
//
// The motor controller chops the supply: the motor sees duty x V_bus and the supply delivers
// duty x I. The battery is an ideal source E behind an internal resistance R_b (cells, leads,
// breaker), so V_bus = E - R_b x (sum of what the controllers draw); with the shaft speeds held
// for a tick, that is solved exactly for the bus voltage (BusVoltage) instead of iterated.
#pragma once

#include <cmath>

namespace velmora_sim::internal {

constexpr double kRadPerSecPerRpm = 3.14159265358979323846 / 30.0;

struct DcMotor {
  double nominalVolts;
  double freeSpeedRpm;
  double stallTorque;   // N m
  double stallCurrent;  // A
  double freeCurrent;   // A

  double Resistance() const { return nominalVolts / stallCurrent; }
  double TorqueConstant() const { return stallTorque / stallCurrent; }
  double FreeSpeed() const { return freeSpeedRpm * kRadPerSecPerRpm; }  // rad/s
  double BackEmfConstant() const {
    return (nominalVolts - freeCurrent * Resistance()) / FreeSpeed();
  }
  double Friction() const { return TorqueConstant() * freeCurrent / FreeSpeed(); }

  // The time constant of a free shaft with inertia `inertia` on a stiff supply.
  double TimeConstant(double inertia) const { return inertia * FreeSpeed() / stallTorque; }

  // The winding current at a motor voltage and shaft speed (rad/s).
  double Current(double volts, double speed) const {
    return (volts - BackEmfConstant() * speed) / Resistance();
  }

  // Where the shaft is after `dt` seconds on `volts`, from `speed` (rad/s), with `inertia`.
  struct Step {
    double speed;    // rad/s at the end
    double turned;   // radians turned during the step
    double current;  // A, at the start of the step (what the battery sees for it)
  };
  // A coasting motor has its leads open: no current, only friction slows it.
  //
  // The exponential is taken as 1 - e^(-k dt) = -expm1(-k dt), exact for the smallest k dt (a
  // heavy load, a short step) where 1 - exp(...) would cancel to 0 and freeze the shaft; the
  // distance turned uses the same factor, so the encoder and the speed agree at every inertia.
  Step Advance(double volts, double speed, double inertia, double dt, bool locked,
               bool coast = false) const {
    if (locked) return {0.0, 0.0, coast ? 0.0 : Current(volts, 0.0)};
    const double r = Resistance();
    const double kt = TorqueConstant();
    const double ke = BackEmfConstant();
    // J w' = kt (volts - ke w) / r - b w  =  drive - k J w; coasting, J w' = -b w.
    const double damping = coast ? Friction() : kt * ke / r + Friction();
    const double k = damping / inertia;
    const double final = coast ? 0.0 : kt * volts / r / damping;
    const double approach = -std::expm1(-k * dt);  // 1 - e^(-k dt), in [0, 1]
    const double end = final + (speed - final) * (1.0 - approach);
    // (1 - e^(-k dt)) / k, as dt when k dt is too small to tell.
    const double kdt = k * dt;
    const double lag = kdt > 1e-12 ? approach / k : dt * (1.0 - 0.5 * kdt);
    const double turned = final * dt + (speed - final) * lag;
    return {end, turned, coast ? 0.0 : Current(volts, speed)};
  }
};

// The bus voltage when the controllers' channels draw from a battery of EMF `emf` and internal
// resistance `resistance`, given per channel its duty d, winding resistance R, back-EMF constant
// Ke and speed w: each channel draws d (d V - Ke w) / R, so
//   V = (E + R_b sum(d Ke w / R)) / (1 + R_b sum(d^2 / R)).
// The caller sums `conductance` = sum(d^2 / R) and `backEmfCurrent` = sum(d Ke w / R).
inline double BusVoltage(double emf, double resistance, double conductance, double backEmfCurrent) {
  return (emf + resistance * backEmfCurrent) / (1.0 + resistance * conductance);
}

}  // namespace velmora_sim::internal
