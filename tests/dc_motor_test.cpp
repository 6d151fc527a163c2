// The simulated channels' DC motor on its own: the four datasheet numbers come back out of the
// model, the time constant follows from the inertia, and the battery sags by its resistance.
#include <gtest/gtest.h>

#include <cmath>

#include "../sim_driver/src/dc_motor.h"

namespace {

using velmora_sim::internal::BusVoltage;
using velmora_sim::internal::DcMotor;

constexpr DcMotor kMotor{12.0, 5000.0, 2.4, 100.0, 2.0};
constexpr double kDt = 0.005;

DcMotor::Step RunFor(double seconds, double volts, double inertia, double dt = kDt) {
  DcMotor::Step s{0.0, 0.0, 0.0};
  const long steps = std::lround(seconds / dt);
  for (long i = 0; i < steps; ++i) {
    const DcMotor::Step next = kMotor.Advance(volts, s.speed, inertia, dt, false);
    s = {next.speed, s.turned + next.turned, next.current};
  }
  return s;
}

TEST(DcMotor, TheDatasheetNumbersComeBackOut) {
  // Stalled on its nominal voltage: stall current, and the torque it makes is the stall torque.
  EXPECT_DOUBLE_EQ(kMotor.Current(12.0, 0.0), 100.0);
  EXPECT_DOUBLE_EQ(kMotor.TorqueConstant() * kMotor.Current(12.0, 0.0), 2.4);
  const DcMotor::Step locked = kMotor.Advance(12.0, 0.0, 5e-4, kDt, true);
  EXPECT_EQ(locked.speed, 0.0);
  EXPECT_EQ(locked.turned, 0.0);
  EXPECT_DOUBLE_EQ(locked.current, 100.0);
  // Free: it settles at the free speed drawing the free current, whatever the inertia.
  for (double inertia : {1e-5, 5e-4, 2e-2}) {
    SCOPED_TRACE(inertia);
    const DcMotor::Step free = RunFor(40.0 * kMotor.TimeConstant(inertia), 12.0, inertia);
    EXPECT_NEAR(free.speed / velmora_sim::internal::kRadPerSecPerRpm, 5000.0, 1e-6);
    EXPECT_NEAR(free.current, 2.0, 1e-6);
  }
  // Half the voltage, half the speed: friction grows with speed, so the model stays linear.
  EXPECT_NEAR(RunFor(5.0, 6.0, 5e-4).speed, kMotor.FreeSpeed() / 2, 1e-6);
  // Reversed.
  EXPECT_NEAR(RunFor(5.0, -12.0, 5e-4).speed, -kMotor.FreeSpeed(), 1e-6);
}

// 63 % of the free speed after one time constant, J w_free / T_stall: exactly, because each step
// integrates the exponential rather than a straight line; so a tiny inertia is as stable as a
// large one, and the tick length does not matter.
TEST(DcMotor, ReachesSixtyThreePercentInOneTimeConstant) {
  struct Case {
    double inertia;
    double dt;
  };
  const Case cases[] = {{5e-4, kDt}, {5e-4, 0.0001}, {1e-6, kDt}, {0.05, kDt}, {0.05, 0.1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "J " << c.inertia << " dt " << c.dt);
    const double tau = kMotor.TimeConstant(c.inertia);
    EXPECT_DOUBLE_EQ(tau, c.inertia * kMotor.FreeSpeed() / 2.4);
    // Whole steps only: compare at the time the steps reach, against the exponential there.
    const long steps = std::max(1L, std::lround(tau / c.dt));
    DcMotor::Step s{0.0, 0.0, 0.0};
    double turned = 0.0;
    for (long i = 0; i < steps; ++i) {
      s = kMotor.Advance(12.0, s.speed, c.inertia, c.dt, false);
      turned += s.turned;
    }
    const double t = static_cast<double>(steps) * c.dt;
    const double wf = kMotor.FreeSpeed();
    EXPECT_NEAR(s.speed, wf * (1.0 - std::exp(-t / tau)), 1e-9 * wf);
    EXPECT_NEAR(turned, wf * (t - tau * (1.0 - std::exp(-t / tau))), 1e-9 * wf);
    if (steps > 20) {
      EXPECT_NEAR(s.speed / wf, 1.0 - std::exp(-1.0), 0.01);
    }
  }
}

TEST(DcMotor, ASpinningMotorWithNoVoltageBrakesOnItsOwnBackEmf) {
  const DcMotor::Step spinning = RunFor(2.0, 12.0, 5e-4);
  const DcMotor::Step braked = kMotor.Advance(0.0, spinning.speed, 5e-4, 1.0, false);
  EXPECT_LT(std::fabs(braked.speed), 1e-3 * spinning.speed) << "1 s is nine time constants";
  EXPECT_LT(braked.current, 0.0) << "it generates while it brakes";
}

// The battery: an EMF behind an internal resistance. Stalled motors load it hardest; a generating
// motor lifts the bus above the EMF; nothing drawn, no sag.
TEST(DcMotor, TheBusSagsByTheBatteryResistanceTimesTheCurrent) {
  const double r = kMotor.Resistance();
  const double ke = kMotor.BackEmfConstant();
  EXPECT_EQ(BusVoltage(12.0, 0.02, 0.0, 0.0), 12.0);
  struct Case {
    int stalled;
    double duty;
  };
  for (const Case c : {Case{1, 1.0}, Case{4, 1.0}, Case{4, 0.5}, Case{2, -1.0}}) {
    SCOPED_TRACE(::testing::Message() << c.stalled << " stalled at " << c.duty);
    const double volts = BusVoltage(12.0, 0.02, c.stalled * c.duty * c.duty / r, 0.0);
    const double drawn = c.stalled * c.duty * kMotor.Current(c.duty * volts, 0.0);
    EXPECT_NEAR(volts, 12.0 - 0.02 * drawn, 1e-12);
    EXPECT_LT(volts, 12.0);
  }
  // One motor at full output and free speed, one stalled: the sum of both draws.
  const double w = kMotor.FreeSpeed();
  const double volts = BusVoltage(12.0, 0.02, 2.0 / r, ke * w / r);
  const double drawn = kMotor.Current(volts, w) + kMotor.Current(volts, 0.0);
  EXPECT_NEAR(volts, 12.0 - 0.02 * drawn, 1e-12);
  // Driven backwards by the load at twice its free speed, it generates.
  EXPECT_GT(BusVoltage(12.0, 0.02, 1.0 / r, ke * 2.0 * w / r), 12.0);
}

}  // namespace
