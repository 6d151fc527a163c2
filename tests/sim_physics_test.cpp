// The simulated world's physics and the promises a team's test builds on: the motor model within
// its current limit and stop mode, the controller's heat, the ranges of every settable value, the
// battery's supply current, the robot's drive, and the devices' own rules (the analog board's
// inputs, second opens, position targets, the status LED, simulated time). Each case runs on both
// WPILib builds.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "driver_link/VelmoraDriver.h"
#include "support/TestSupport.h"

namespace {

namespace sim = velmora_sim;
constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

class SimPhysicsTest : public velmora_test::DriverTest {};

// Every settable value has its range; outside it the setter refuses and nothing changes.
TEST_F(SimPhysicsTest, LoadInertiaAndDriveGeometryOutsideTheirRangesAreRefused) {
  c_Orvex_create(3, 15600);
  struct Case {
    double value;
    bool accepted;
  };
  for (const Case& c :
       {Case{sim::kMinLoadInertia, true}, Case{sim::kMaxLoadInertia, true}, Case{2e-3, true},
        Case{0.0, false}, Case{-1e-3, false}, Case{sim::kMinLoadInertia * 0.99, false},
        Case{sim::kMaxLoadInertia * 1.01, false}, Case{1e12, false}, Case{1e-320, false},
        Case{kNan, false}, Case{kInf, false}}) {
    ASSERT_TRUE(sim::SetOrvexLoadInertia(3, 2, 7e-4));
    EXPECT_EQ(sim::SetOrvexLoadInertia(3, 2, c.value), c.accepted) << c.value;
    EXPECT_EQ(sim::OrvexChannel(3, 2).inertia, c.accepted ? c.value : 7e-4) << c.value;
  }
  for (const Case& c :
       {Case{0.1, true}, Case{-0.1, true}, Case{sim::kMaxMetresPerRevolution, true},
        Case{-sim::kMaxMetresPerRevolution, true}, Case{0.0, true}, Case{10.01, false},
        Case{-10.01, false}, Case{1e308, false}, Case{kNan, false}, Case{-kInf, false}}) {
    EXPECT_EQ(sim::AttachDrive(3, 0, 1, c.value), c.accepted) << c.value;
  }
}

// At both ends of the inertia range the shaft's speed and the distance it turned agree: a heavy
// load accelerates slowly but does accelerate, and a light one settles at once, in any step size.
TEST_F(SimPhysicsTest, SpeedAndDistanceAgreeAcrossTheWholeInertiaRange) {
  const int32_t h = c_Orvex_create(3, 15600);
  ASSERT_TRUE(sim::SetOrvexLoadInertia(3, 0, sim::kMaxLoadInertia));
  ASSERT_TRUE(sim::SetOrvexLoadInertia(3, 1, sim::kMinLoadInertia));
  c_Orvex_setMotorSpeed(h, 0, 1.0);
  c_Orvex_setMotorSpeed(h, 1, 1.0);
  for (int i = 0; i < 1000; ++i) sim::SimStep(0.001);
  const sim::OrvexChannelState heavy = sim::OrvexChannel(3, 0);
  EXPECT_GT(heavy.rpm, 0.0) << "a heavy load still turns";
  // From rest at a constant acceleration: revolutions = rpm / 60 x t / 2.
  EXPECT_NEAR(heavy.revolutions, heavy.rpm / 60.0 * 1.0 / 2.0, heavy.revolutions * 1e-3);
  EXPECT_GT(c_Orvex_getEncoderCount(h, 0) + 1, 0);
  const sim::OrvexChannelState light = sim::OrvexChannel(3, 1);
  EXPECT_NEAR(light.rpm, 5000.0 * sim::Battery().volts / 12.0, 5.0);
  EXPECT_TRUE(std::isfinite(light.revolutions));
}

// Four controllers reversed at full speed: the back-EMF adds to the supply, and each controller
// holds its winding current at its own limit. The bus never goes below 0 V nor becomes NaN, and
// every current stays within 100 A.
TEST_F(SimPhysicsTest, AReversalAtSpeedStaysWithinTheCurrentLimitAndNeverPullsTheBusNegative) {
  std::vector<int32_t> handles;
  for (int32_t id = 1; id <= 4; ++id) handles.push_back(c_Orvex_create(id, 15600));
  for (int32_t h : handles) {
    for (uint8_t m = 0; m < 4; ++m) c_Orvex_setMotorSpeed(h, m, 1.0);
  }
  sim::SimStep(2.0);
  for (int32_t h : handles) {
    for (uint8_t m = 0; m < 4; ++m) c_Orvex_setMotorSpeed(h, m, -1.0);
  }
  double lowest = 100.0;
  double highest = 0.0;
  for (int i = 0; i < 200; ++i) {
    sim::SimStep(0.005);
    const sim::BatteryState b = sim::Battery();
    ASSERT_FALSE(std::isnan(b.volts));
    lowest = std::min(lowest, b.volts);
    for (int32_t id = 1; id <= 4; ++id) {
      highest = std::max(highest, std::fabs(sim::OrvexChannel(id, 0).current));
    }
  }
  EXPECT_GE(lowest, 0.0) << "sixteen controllers at their limit can pull it down to 0, never past";
  EXPECT_LE(highest, sim::kOrvexControllerLimitAmps * 1.01);
  EXPECT_GT(highest, sim::kOrvexControllerLimitAmps * 0.9) << "the reversal draws at the limit";
  EXPECT_LT(sim::OrvexChannel(1, 0).rpm, -4000.0);
}

// A channel's own current limit: held at it by lowering the output (mode 0), or the output cut
// while over it (mode 1). A limit of 0 leaves the controller's own.
TEST_F(SimPhysicsTest, TheChannelsCurrentLimitAndItsModeShapeTheMotor) {
  const int32_t h = c_Orvex_create(3, 15600);
  for (int m = 0; m < 4; ++m) sim::SetOrvexMotorLocked(3, m, true);
  c_Orvex_setCurrentLimit(h, 0, 30.0f);
  c_Orvex_setCurrentLimit(h, 1, 30.0f);
  c_Orvex_setCurrentLimitMode(h, 1, 1);
  c_Orvex_setCurrentLimit(h, 2, 0.0f);
  c_Orvex_setCurrentLimit(h, 3, 250.0f);  // beyond the controller's own
  for (uint8_t m = 0; m < 4; ++m) c_Orvex_setMotorSpeed(h, m, 1.0);
  sim::SimStep(0.1);
  const sim::OrvexChannelState held = sim::OrvexChannel(3, 0);
  EXPECT_NEAR(held.current, 30.0, 0.5);
  EXPECT_LT(held.duty, 0.5) << "the output lowered to hold the limit";
  const sim::OrvexChannelState cut = sim::OrvexChannel(3, 1);
  EXPECT_EQ(cut.duty, 0.0);
  EXPECT_EQ(cut.current, 0.0);
  for (int m : {2, 3}) {
    EXPECT_GT(sim::OrvexChannel(3, m).current, 60.0) << "channel " << m;
    EXPECT_LE(sim::OrvexChannel(3, m).current, sim::kOrvexControllerLimitAmps) << m;
  }
}

// The stop mode decides what an undriven motor does: shorted, it brakes on its own back-EMF;
// open, it coasts against friction alone and carries no current.
TEST_F(SimPhysicsTest, TheStopModeDecidesBrakeOrCoast) {
  const int32_t brake = c_Orvex_create(3, 15600);
  const int32_t coast = c_Orvex_create(4, 15600);
  c_Orvex_setMotorStopMode(brake, 0);
  c_Orvex_setMotorStopMode(coast, 1);
  for (int32_t h : {brake, coast}) {
    c_Orvex_setMotorSpeed(h, 0, 1.0);
    c_Orvex_setMotorSpeed(h, 1, 1.0);
  }
  sim::SimStep(2.0);
  const double start = c_Orvex_getRPM(brake, 0);
  for (int32_t h : {brake, coast}) {
    c_Orvex_disableMotor(h, 0);        // not driven: disabled
    c_Orvex_setMotorSpeed(h, 1, 0.0);  // not driven: a speed of 0
  }
  sim::SimStep(0.2);
  for (uint8_t m = 0; m < 2; ++m) {
    EXPECT_LT(c_Orvex_getRPM(brake, m), 0.25 * start) << "braked, channel " << int{m};
    EXPECT_GT(c_Orvex_getRPM(coast, m), 0.9 * start) << "coasting, channel " << int{m};
    EXPECT_EQ(sim::OrvexChannel(4, m).current, 0.0);
    EXPECT_LT(sim::OrvexChannel(3, m).current, -1.0) << "braking current";
  }
}

// The controller warms with the heat of the current it carries, not with speed, and cools back
// towards 25 C once the current stops.
TEST_F(SimPhysicsTest, TheControllerHeatsWithCurrentAndCoolsTowardsAmbient) {
  const int32_t stalled = c_Orvex_create(3, 15600);
  const int32_t free = c_Orvex_create(4, 15600);
  for (int m = 0; m < 4; ++m) sim::SetOrvexMotorLocked(3, m, true);
  for (uint8_t m = 0; m < 4; ++m) {
    c_Orvex_setMotorSpeed(stalled, m, 1.0);
    c_Orvex_setMotorSpeed(free, m, 1.0);
  }
  sim::SimStep(60.0);
  const double hot = c_Orvex_getControllerTemp(stalled);
  EXPECT_GT(hot, 60.0) << "four stalled channels";
  EXPECT_LT(c_Orvex_getControllerTemp(free), 25.5) << "free running draws 2 A a channel";
  for (uint8_t m = 0; m < 4; ++m) c_Orvex_setMotorSpeed(stalled, m, 0.0);
  sim::SimStep(20.0);
  const double cooled = c_Orvex_getControllerTemp(stalled);
  EXPECT_LT(cooled, hot);
  EXPECT_NEAR(cooled - 25.0, (hot - 25.0) * std::exp(-1.0), 0.5) << "a 20 s lag";
}

// The battery carries each controller's supply current, duty x winding current, not the winding
// current itself; the bus sags by the internal resistance times it.
TEST_F(SimPhysicsTest, TheBatteryCarriesSupplyCurrentNotWindingCurrent) {
  const int32_t h = c_Orvex_create(3, 15600);
  for (int m = 0; m < 2; ++m) sim::SetOrvexMotorLocked(3, m, true);
  const double duties[] = {0.3, 0.7};
  c_Orvex_setMotorSpeed(h, 0, duties[0]);
  c_Orvex_setMotorSpeed(h, 1, duties[1]);
  sim::SimStep(0.1);
  double supply = 0.0;
  for (int m = 0; m < 2; ++m) {
    const sim::OrvexChannelState ch = sim::OrvexChannel(3, m);
    EXPECT_DOUBLE_EQ(ch.duty, duties[m]);
    supply += ch.duty * ch.current;
    EXPECT_NEAR(ch.current, duties[m] * sim::Battery().volts / 0.12, 1e-6) << "stalled";
  }
  const sim::BatteryState b = sim::Battery();
  EXPECT_NEAR(b.current, supply, 1e-9);
  EXPECT_NEAR(b.volts, b.emf - b.resistance * supply, 1e-9);
}

// Left slower than right: the robot turns counter-clockwise, its heading growing.
TEST_F(SimPhysicsTest, TheRobotTurnsTowardsItsSlowerSide) {
  const int32_t h = c_Orvex_create(3, 15600);
  ASSERT_TRUE(sim::AttachDrive(3, 0, 1, 0.01));
  ASSERT_TRUE(sim::PlaceRobot({4.0, 2.0, 0.0}));
  c_Orvex_setMotorSpeed(h, 0, 0.2);
  c_Orvex_setMotorSpeed(h, 1, 0.4);
  sim::SimStep(0.5);
  const sim::RobotPose pose = sim::Robot();
  EXPECT_GT(pose.heading, 0.05);
  EXPECT_GT(pose.x, 4.0);
  EXPECT_GT(pose.y, 2.0) << "moving forward and to the left";
}

// A target distance is an encoder count: with 1000 counts a revolution, 5000 counts are five
// revolutions. An encoder reset keeps a position target where it was on the shaft.
TEST_F(SimPhysicsTest, PositionTargetsCountInEncoderCountsAndStayOnTheShaftAcrossAReset) {
  const int32_t h = c_Orvex_create(3, 15600);
  c_Orvex_setEncoderResolution(h, 0, 1000);
  c_Orvex_setTargetDistance(h, 0, 5000);
  sim::SimStep(3.0);
  EXPECT_NEAR(sim::OrvexChannel(3, 0).revolutions, 5.0, 0.01);
  EXPECT_NEAR(c_Orvex_getEncoderCount(h, 0), 5000, 10);
  c_Orvex_resetEncoder(h, 0);
  sim::SimStep(2.0);
  EXPECT_NEAR(sim::OrvexChannel(3, 0).revolutions, 0.0, 0.01) << "the shaft stays put";
}

// The analog board has inputs 0 to 7: others are refused and read 0.
TEST_F(SimPhysicsTest, TheAnalogBoardHasEightInputs) {
  c_initializeI2C(5);
  for (int input = -1; input <= 8; ++input) {
    const bool exists = input >= 0 && input < 8;
    EXPECT_EQ(sim::SetAdexaVoltage(input, 1.1f), exists) << input;
  }
  EXPECT_FLOAT_EQ(c_getVoltage(7), 1.1f);
  EXPECT_EQ(c_getVoltage(8), 0.0f);
  EXPECT_EQ(c_getRawValue(8), 0);
  c_closeI2C();
}

// A small lidar's port is taken from its open, whether or not it scans.
TEST_F(SimPhysicsTest, ASmallLidarPortIsTakenWhetherOrNotItScans) {
  velmora_test::StreamCapture errors(std::cerr);
  void* first = c_LidarMini_create(2);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(c_LidarMini_create(2), nullptr) << "not started";
  c_LidarMini_start(first);
  EXPECT_EQ(c_LidarMini_create(2), nullptr) << "scanning";
  c_LidarMini_stop(first);
  EXPECT_EQ(c_LidarMini_create(2), nullptr) << "stopped";
  c_LidarMini_destroy(first);
  void* again = c_LidarMini_create(2);
  EXPECT_NE(again, nullptr);
  c_LidarMini_destroy(again);
}

// The status LED reads back 0 while it is off, whatever its setting.
TEST_F(SimPhysicsTest, TheStatusLedReadsBackOffAsZero) {
  void* lumira = c_Lumira_create(4);
  ASSERT_NE(lumira, nullptr);
  uint32_t value = 1;
  struct Case {
    bool on;
    uint8_t setting;
    uint32_t reads;
  };
  for (const Case& c : {Case{false, 200, 0}, Case{true, 17, 17}, Case{false, 0, 0}}) {
    ASSERT_TRUE(c_Lumira_setStatusLed(lumira, c.on, c.setting));
    ASSERT_TRUE(c_Lumira_getConfig(lumira, 6, &value));
    EXPECT_EQ(value, c.reads) << c.on << " " << int{c.setting};
  }
  c_Lumira_destroy(lumira);
}

// Steps add up exactly: a thousand 1 ms steps are one second, not a tick more or less.
TEST_F(SimPhysicsTest, SmallStepsAddUpToWholeTicksWithoutSlack) {
  for (int i = 0; i < 1000; ++i) sim::SimStep(0.001);
  EXPECT_NEAR(sim::SimTime(), 1.0, 1e-12);
  for (int i = 0; i < 7; ++i) sim::SimStep(0.002);  // 14 ms: two ticks, 4 ms pending
  EXPECT_NEAR(sim::SimTime(), 1.01, 1e-12);
  sim::SimStep(0.001);
  EXPECT_NEAR(sim::SimTime(), 1.015, 1e-12);
}

}  // namespace
