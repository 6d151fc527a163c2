// The simulation driver's simulated time and device models: what the demo and other tests rely on.
#include <cmath>
#include <cstdint>
#include <functional>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "driver_link/VelmoraDriver.h"
#include "support/TestSupport.h"

namespace {

namespace sim = velmora_sim;
constexpr double kPi = 3.14159265358979323846;

class SimulationTest : public velmora_test::DriverTest {};

TEST_F(SimulationTest, NothingMovesUntilTimeIsStepped) {
  const int32_t h = c_Orvex_create(3, 15600);
  c_Orvex_setMotorSpeed(h, 0, 0.5);
  EXPECT_EQ(c_Orvex_getRPM(h, 0), 0.0);
  EXPECT_EQ(sim::SimTime(), 0.0);
  sim::SimStep(0.1);
  EXPECT_DOUBLE_EQ(sim::SimTime(), 0.1);
  EXPECT_GT(c_Orvex_getRPM(h, 0), 0.0);
}

TEST_F(SimulationTest, RpmFollowsCommandWithLagAndFreeSpeed) {
  const int32_t h = c_Orvex_create(3, 15600);
  c_Orvex_setMotorSpeed(h, 1, 0.5);
  sim::SimStep(0.1);  // one time constant: about 63 % of the way
  const double early = c_Orvex_getRPM(h, 1);
  EXPECT_GT(early, 0.55 * 2500.0);
  EXPECT_LT(early, 0.70 * 2500.0);
  sim::SimStep(1.0);
  // Half the free speed, on the battery as it sags under the motor's small free-running draw.
  const double sag = sim::Battery().volts / 12.0;
  EXPECT_LT(sag, 1.0);
  EXPECT_NEAR(c_Orvex_getRPM(h, 1), 2500.0 * sag, 0.5);
  // Beyond full scale the motor runs at its free speed.
  c_Orvex_setMotorSpeed(h, 1, -3.0);
  sim::SimStep(2.0);
  EXPECT_NEAR(c_Orvex_getRPM(h, 1), -5000.0 * sim::Battery().volts / 12.0, 0.5);
  // Disabled, it coasts to a stop.
  c_Orvex_disableMotor(h, 1);
  sim::SimStep(2.0);
  EXPECT_NEAR(c_Orvex_getRPM(h, 1), 0.0, 1.0);
}

TEST_F(SimulationTest, EncoderDistanceGrowsSteadilyAndIsScaledBySetup) {
  const int32_t h = c_Orvex_create(3, 15600);
  c_Orvex_setEncoder(h, 0, 0.5);  // half a metre per revolution
  c_Orvex_setEncoder(h, 1, 1.0);
  c_Orvex_setMotorSpeed(h, 0, 0.6);
  c_Orvex_setMotorSpeed(h, 1, 0.6);
  double last = -1.0;
  for (int i = 0; i < 100; ++i) {
    sim::SimStep(0.02);
    const double d = c_Orvex_getEncoderDistance(h, 0);
    EXPECT_GT(d, last);
    last = d;
  }
  EXPECT_NEAR(c_Orvex_getEncoderDistance(h, 1), 2.0 * last, 1e-9);
  EXPECT_EQ(c_Orvex_getEncoderCount(h, 1),
            static_cast<int32_t>(std::floor(c_Orvex_getEncoderRaw(h, 1))));
  EXPECT_NEAR(c_Orvex_getEncoderSpeed(h, 0), 3000.0 / 60.0 * 0.5, 1.0);
  c_Orvex_resetEncoder(h, 0);
  EXPECT_EQ(c_Orvex_getEncoderDistance(h, 0), 0.0);
  EXPECT_EQ(c_Orvex_getEncoderCount(h, 0), 0);
}

TEST_F(SimulationTest, PositionTargetsAreReached) {
  const int32_t h = c_Orvex_create(3, 15600);
  c_Orvex_setTargetDistance(h, 2, 4096);  // two revolutions at 2048 counts
  sim::SimStep(5.0);
  EXPECT_NEAR(c_Orvex_getEncoderCount(h, 2), 4096, 3);
  c_Orvex_setTargetVelocity(h, 3, 1200.0f);
  sim::SimStep(2.0);
  EXPECT_NEAR(c_Orvex_getRPM(h, 3), 1200.0, 1.0);
  double target = 0.0;
  EXPECT_TRUE(c_Orvex_tryGetTargetRPM(h, 3, &target));
  EXPECT_EQ(target, 1200.0);
}

TEST_F(SimulationTest, TemperatureRisesWithLoad) {
  const int32_t h = c_Orvex_create(3, 15600);
  const double cold = c_Orvex_getControllerTemp(h);
  // The load is the current: shafts held against a stop draw the most.
  for (int i = 0; i < 4; ++i) sim::SetOrvexMotorLocked(3, i, true);
  for (uint8_t i = 0; i < 4; ++i) c_Orvex_setMotorSpeed(h, i, 1.0);
  sim::SimStep(30.0);
  EXPECT_GT(c_Orvex_getControllerTemp(h), cold + 5.0);
}

// The motor's time constant on the robot's battery, alone at full output: its winding and the
// battery's internal resistance in series (see OrvexMotorModel).
double TimeConstantOnBattery(double inertia) {
  const sim::OrvexMotorModel m = sim::kOrvexMotor;
  const double freeSpeed = m.freeSpeedRpm * kPi / 30.0;
  const double r = m.nominalVolts / m.stallCurrent;
  const double kt = m.stallTorque / m.stallCurrent;
  const double ke = (m.nominalVolts - m.freeCurrent * r) / freeSpeed;
  const double friction = kt * m.freeCurrent / freeSpeed;
  return inertia / (kt * ke / (r + sim::kBatteryResistance) + friction);
}

// A free motor at full output reaches 63 % of its free speed in its time constant, which grows
// with the inertia on its shaft.
TEST_F(SimulationTest, AFreeMotorReachesSixtyThreePercentInItsTimeConstant) {
  for (const double inertia : {sim::kOrvexMotor.defaultInertia, 2e-3, 1e-2}) {
    SCOPED_TRACE(inertia);
    sim::Reset();
    const int32_t h = c_Orvex_create(3, 15600);
    if (inertia != sim::kOrvexMotor.defaultInertia) {
      ASSERT_TRUE(sim::SetOrvexLoadInertia(3, 0, inertia));
    }
    c_Orvex_setMotorSpeed(h, 0, 1.0);
    const double tau = TimeConstantOnBattery(inertia);
    double reached = -1.0;
    while (sim::SimTime() < 5.0 * tau) {
      sim::SimStep(0.005);
      if (reached < 0.0 && c_Orvex_getRPM(h, 0) >= 0.632 * sim::kOrvexMotor.freeSpeedRpm) {
        reached = sim::SimTime();
      }
    }
    EXPECT_NEAR(reached, tau, 0.05 * tau);
    c_Orvex_destroy(h);
  }
  EXPECT_NEAR(TimeConstantOnBattery(sim::kOrvexMotor.defaultInertia), 0.127, 0.001)
      << "the number the documentation gives";
}

// Four locked shafts at full output: each motor draws what a stalled motor draws on the bus
// voltage, and the battery sags by its internal resistance times the total; stopped, it recovers.
TEST_F(SimulationTest, StalledMotorsDrawStallCurrentAndSagTheBattery) {
  const int32_t h = c_Orvex_create(3, 15600);
  c_Orvex_setEncoder(h, 0, 1.0);
  for (uint8_t i = 0; i < 4; ++i) {
    sim::SetOrvexMotorLocked(3, i, true);
    c_Orvex_setMotorSpeed(h, i, 1.0);
  }
  sim::SimStep(0.1);
  const sim::BatteryState battery = sim::Battery();
  const double r = sim::kOrvexMotor.nominalVolts / sim::kOrvexMotor.stallCurrent;
  double total = 0.0;
  for (int i = 0; i < 4; ++i) {
    const sim::OrvexChannelState ch = sim::OrvexChannel(3, i);
    EXPECT_EQ(ch.rpm, 0.0);
    EXPECT_EQ(ch.revolutions, 0.0);
    EXPECT_NEAR(ch.current, battery.volts / r, 1e-9) << "the stall current at the bus voltage";
    total += ch.duty * ch.current;
  }
  EXPECT_EQ(c_Orvex_getEncoderDistance(h, 0), 0.0);
  EXPECT_NEAR(battery.current, total, 1e-9);
  EXPECT_NEAR(battery.volts, 12.0 - sim::kBatteryResistance * total, 1e-9);
  // Four windings of 0.12 ohm in parallel against 0.02 ohm: 7.2 V at the bus, 60 A each.
  EXPECT_NEAR(battery.volts, 7.2, 1e-9);
  // On the nominal 12 V a stalled motor draws its stall current: one locked shaft on a stiff bus.
  EXPECT_NEAR(12.0 / r, sim::kOrvexMotor.stallCurrent, 1e-9);

  for (uint8_t i = 0; i < 4; ++i) c_Orvex_setMotorSpeed(h, i, 0.0);
  sim::SimStep(0.005);
  EXPECT_EQ(sim::Battery().volts, 12.0);
  EXPECT_EQ(sim::Battery().current, 0.0);
  // Unlocked, the shaft turns again.
  sim::SetOrvexMotorLocked(3, 0, false);
  c_Orvex_setMotorSpeed(h, 0, 1.0);
  sim::SimStep(0.5);
  EXPECT_GT(c_Orvex_getRPM(h, 0), 4000.0);
  EXPECT_GT(c_Orvex_getEncoderDistance(h, 0), 0.0);
}

// Settings the model cannot use are refused and change nothing.
TEST_F(SimulationTest, ImpossibleInertiasAndBatteryVoltagesAreRefused) {
  (void)c_Orvex_create(3, 15600);
  for (const double inertia : {0.0, -1e-3, double{NAN}, double{INFINITY}}) {
    EXPECT_FALSE(sim::SetOrvexLoadInertia(3, 1, inertia)) << inertia;
  }
  EXPECT_FALSE(sim::SetOrvexLoadInertia(4, 1, 1e-3)) << "no such controller";
  EXPECT_FALSE(sim::SetOrvexLoadInertia(3, 4, 1e-3)) << "no such channel";
  EXPECT_EQ(sim::OrvexChannel(3, 1).inertia, sim::kOrvexMotor.defaultInertia);
  for (const double volts : {-0.1, 16.5, double{NAN}, double{INFINITY}}) {
    EXPECT_FALSE(sim::SetBatteryEmf(volts)) << volts;
  }
  EXPECT_EQ(sim::Battery().emf, 12.0);
  EXPECT_TRUE(sim::SetBatteryEmf(10.1));
  sim::SimStep(0.005);
  EXPECT_EQ(sim::Battery().volts, 10.1) << "nothing drawn, no sag";
  sim::Reset();
  EXPECT_EQ(sim::Battery().emf, 12.0);
}

// Closed-loop modes hold their target on a sagging battery and under a heavier load.
TEST_F(SimulationTest, TargetVelocityHoldsOnASaggingBattery) {
  const int32_t h = c_Orvex_create(3, 15600);
  ASSERT_TRUE(sim::SetOrvexLoadInertia(3, 3, 4e-3));
  ASSERT_TRUE(sim::SetBatteryEmf(11.0));
  for (uint8_t i = 0; i < 3; ++i) c_Orvex_setMotorSpeed(h, i, 1.0);
  c_Orvex_setTargetVelocity(h, 3, 3000.0f);
  sim::SimStep(5.0);
  EXPECT_LT(sim::Battery().volts, 11.0);
  EXPECT_NEAR(c_Orvex_getRPM(h, 3), 3000.0, 0.5);
  EXPECT_LT(c_Orvex_getRPM(h, 0), 5000.0 * 11.0 / 12.0) << "open loop: slower on the sag";
}

TEST_F(SimulationTest, LimitSwitchesAndAbsolutePositionAreSettable) {
  const int32_t h = c_Orvex_create(11, 15600);
  sim::SetOrvexLimitSwitch(11, 2, true, 1);
  sim::SetOrvexZynderPosition(11, 2, 123.5);
  EXPECT_EQ(c_Orvex_getLimitSwitch(h, 2, true), 1);
  EXPECT_EQ(c_Orvex_getLimitSwitch(h, 2, false), 0);
  EXPECT_EQ(c_Orvex_getZynderPosition(h, 2), 123.5);
}

// Drives a robot across the field and records where it goes.
std::vector<double> DriveAndRecord() {
  sim::Reset();
  const int32_t h = c_Orvex_create(5, 15600);
  sim::AttachDrive(5, 0, 1, 0.05);
  c_Orvex_setMotorSpeed(h, 0, 0.8);
  c_Orvex_setMotorSpeed(h, 1, 0.7);
  std::vector<double> trace;
  for (int i = 0; i < 200; ++i) {
    sim::SimStep(0.05);
    const sim::RobotPose p = sim::Robot();
    trace.insert(trace.end(), {p.x, p.y, p.heading, c_Orvex_getRPM(h, 0)});
  }
  c_Orvex_destroy(h);
  return trace;
}

TEST_F(SimulationTest, SameProgramSameTrace) { EXPECT_EQ(DriveAndRecord(), DriveAndRecord()); }

TEST_F(SimulationTest, RobotDrivesAndStopsAtTheWall) {
  const int32_t h = c_Orvex_create(5, 15600);
  sim::AttachDrive(5, 0, 1, 0.05);
  const sim::RobotPose start = sim::Robot();
  c_Orvex_setMotorSpeed(h, 0, 1.0);
  c_Orvex_setMotorSpeed(h, 1, 1.0);
  sim::SimStep(1.0);
  EXPECT_GT(sim::Robot().x, start.x + 1.0);
  EXPECT_NEAR(sim::Robot().y, start.y, 1e-9);
  sim::SimStep(30.0);
  EXPECT_LE(sim::Robot().x, sim::Field().width - 0.3);
  EXPECT_GT(sim::Robot().x, sim::Field().width - 0.4);
}

TEST_F(SimulationTest, RaysMeetWallsAndObstacle) {
  const sim::FieldLayout f = sim::Field();
  EXPECT_NEAR(sim::RayDistance(1.0, 2.0, 0.0), f.width - 1.0, 1e-9);
  EXPECT_NEAR(sim::RayDistance(1.0, 2.0, kPi), 1.0, 1e-9);
  EXPECT_NEAR(sim::RayDistance(1.0, 1.0, -kPi / 2), 1.0, 1e-9);
  const double y = f.obstacleY + f.obstacleHeight / 2;
  EXPECT_NEAR(sim::RayDistance(1.0, y, 0.0), f.obstacleX - 1.0, 1e-9);
}

TEST_F(SimulationTest, AnotherFieldMovesWallsObstacleAndFloorColours) {
  sim::FieldLayout f;
  f.width = 5.0;
  f.obstacleX = 3.0;
  f.obstacleY = 1.5;
  f.lineX = 1.0;
  f.line[0] = 0.9f;  // a red line
  f.line[2] = 0.1f;
  f.carpet[1] = 0.7f;
  ASSERT_TRUE(sim::SetField(f));
  EXPECT_NEAR(sim::RayDistance(1.0, 3.5, 0.0), 4.0, 1e-9);
  EXPECT_NEAR(sim::RayDistance(1.0, 1.8, 0.0), 2.0, 1e-9);
  void* sensor = c_Lumira_create(3);
  velmora_driver::LumiraColorRecord colour{};
  ASSERT_TRUE(c_Lumira_getColor(sensor, &colour));  // the robot starts on the line at x = 1
  EXPECT_EQ(colour.component1, 0.9f);
  sim::PlaceRobot({2.0, 2.0, 0.0});
  ASSERT_TRUE(c_Lumira_getColor(sensor, &colour));
  EXPECT_EQ(colour.component2, 0.7f);
  c_Lumira_destroy(sensor);
  sim::Reset();
  EXPECT_EQ(sim::Field().width, 8.0);
}

TEST_F(SimulationTest, ImpossibleFieldsAreRefusedAndChangeNothing) {
  const auto with = [](auto change) {
    sim::FieldLayout f;
    change(f);
    return f;
  };
  const sim::FieldLayout refused[] = {
      with([](sim::FieldLayout& f) { f.width = 0.5; }),
      with([](sim::FieldLayout& f) { f.height = NAN; }),
      with([](sim::FieldLayout& f) { f.obstacleX = INFINITY; }),
      with([](sim::FieldLayout& f) { f.obstacleWidth = -0.1; }),
      with([](sim::FieldLayout& f) { f.lineWidth = -1.0; }),
      with([](sim::FieldLayout& f) { f.carpet[0] = 1.5f; }),
      with([](sim::FieldLayout& f) { f.line[2] = NAN; }),
  };
  for (const sim::FieldLayout& f : refused) {
    EXPECT_FALSE(sim::SetField(f));
    EXPECT_EQ(sim::Field().width, 8.0);
    EXPECT_EQ(sim::Field().height, 4.0);
    EXPECT_EQ(sim::Field().obstacleWidth, 0.6);
  }
}

// Every tick of a step is computed, so a step is bounded: beyond the bound, or not a number of
// seconds at all, it is refused at once and nothing moves.
TEST_F(SimulationTest, StepsBeyondTheBoundAreRefusedAtOnceAndMoveNothing) {
  const int32_t h = c_Orvex_create(3, 15600);
  c_Orvex_setMotorSpeed(h, 0, 0.5);
  ASSERT_TRUE(sim::SimStep(0.1));
  const double rpm = c_Orvex_getRPM(h, 0);
  for (double seconds :
       {1e300, double(INFINITY), double(NAN), -0.1, std::nextafter(sim::kMaxSimStepSeconds, 1e9)}) {
    velmora_test::StreamCapture err(std::cerr);
    EXPECT_FALSE(sim::SimStep(seconds)) << seconds;
    EXPECT_NE(err.Text().find("refused"), std::string::npos) << seconds;
    EXPECT_DOUBLE_EQ(sim::SimTime(), 0.1) << seconds;
    EXPECT_EQ(c_Orvex_getRPM(h, 0), rpm) << seconds;
  }
  EXPECT_TRUE(sim::SimStep(0.0));
  EXPECT_DOUBLE_EQ(sim::SimTime(), 0.1);
  // The bound itself is one step.
  EXPECT_TRUE(sim::SimStep(sim::kMaxSimStepSeconds));
  EXPECT_NEAR(sim::SimTime(), 0.1 + sim::kMaxSimStepSeconds, 1e-6);
}

// The count is a 32-bit register: it wraps around past 2^31 either way, and the difference of
// two counts taken as a register's (unsigned) difference is still the distance between them.
TEST_F(SimulationTest, EncoderCountWrapsAroundAsA32BitRegister) {
  for (double speed : {1.0, -1.0}) {
    sim::Reset();
    const int32_t h = c_Orvex_create(3, 15600);
    c_Orvex_setEncoderResolution(h, 0, 65535);
    c_Orvex_setMotorSpeed(h, 0, speed);
    // About 5000 RPM at 65535 counts a turn: 2^31 counts after some 395 s.
    ASSERT_TRUE(sim::SimStep(390.0));
    const int32_t before = c_Orvex_getEncoderCount(h, 0);
    EXPECT_GT(std::abs(static_cast<double>(before)), 2.1e9) << speed;
    ASSERT_TRUE(sim::SimStep(10.0));
    const int32_t after = c_Orvex_getEncoderCount(h, 0);
    EXPECT_EQ(after<0, speed> 0) << "wrapped: " << after;
    const double turns = sim::OrvexChannel(3, 0).revolutions;
    EXPECT_EQ(static_cast<double>(after),
              std::floor(turns * 65535.0) - std::copysign(4294967296.0, speed));
    EXPECT_EQ(sim::OrvexChannel(3, 0).encoderCount, after);
    const uint32_t travelled = speed > 0
                                   ? static_cast<uint32_t>(after) - static_cast<uint32_t>(before)
                                   : static_cast<uint32_t>(before) - static_cast<uint32_t>(after);
    // Free speed on the battery as it sags under the motor's free-running draw.
    const double rpm = std::fabs(sim::OrvexChannel(3, 0).rpm);
    EXPECT_NEAR(rpm, 5000.0 * sim::Battery().volts / 12.0, 1e-6);
    EXPECT_NEAR(travelled, 10.0 * rpm / 60.0 * 65535.0, 1e3);
  }
}

// The simulation's setters check what they are given as SetField does: refused, nothing changed.
TEST_F(SimulationTest, SettersRefuseImpossibleInputsAndChangeNothing) {
  const int32_t h = c_Orvex_create(11, 15600);
  ASSERT_TRUE(sim::PlaceRobot({2.0, 1.5, 0.1}));
  for (const sim::RobotPose& pose :
       {sim::RobotPose{NAN, 2.0, 0.0}, sim::RobotPose{1.0, INFINITY, 0.0},
        sim::RobotPose{1.0, 2.0, NAN}, sim::RobotPose{-0.1, 2.0, 0.0},
        sim::RobotPose{1.0, 4.1, 0.0}}) {
    EXPECT_FALSE(sim::PlaceRobot(pose)) << pose.x << ", " << pose.y << ", " << pose.heading;
  }
  EXPECT_EQ(sim::Robot().x, 2.0);
  EXPECT_EQ(sim::Robot().y, 1.5);
  EXPECT_EQ(sim::Robot().heading, 0.1);
  EXPECT_TRUE(sim::PlaceRobot({1.0, 2.0, 7.0}));
  EXPECT_NEAR(sim::Robot().heading, 7.0 - 2.0 * kPi, 1e-12) << "taken into -pi to pi";

  EXPECT_FALSE(sim::AttachDrive(11, 0, 4, 0.05));
  EXPECT_FALSE(sim::AttachDrive(11, -1, 1, 0.05));
  EXPECT_FALSE(sim::AttachDrive(11, 1, 1, 0.05));
  EXPECT_FALSE(sim::AttachDrive(11, 0, 1, NAN));
  c_Orvex_setMotorSpeed(h, 0, 1.0);
  c_Orvex_setMotorSpeed(h, 1, 1.0);
  sim::SimStep(0.5);
  EXPECT_EQ(sim::RobotDistanceTravelled(), 0.0) << "no drive was attached";

  EXPECT_FALSE(sim::SetOrvexLimitSwitch(12, 0, true, 1)) << "no controller on CAN ID 12";
  EXPECT_FALSE(sim::SetOrvexLimitSwitch(11, 4, true, 1));
  EXPECT_FALSE(sim::SetOrvexZynderPosition(11, 0, NAN));
  EXPECT_FALSE(sim::SetOrvexZynderPosition(11, -1, 10.0));
  const double turns = sim::OrvexChannel(11, 0).revolutions;
  EXPECT_NEAR(c_Orvex_getZynderPosition(h, 0), (turns - std::floor(turns)) * 360.0, 1e-9)
      << "still the shaft's own angle";

  ASSERT_TRUE(sim::SetAdexaVoltage(2, 1.1f));
  EXPECT_FALSE(sim::SetAdexaVoltage(8, 1.0f));
  EXPECT_FALSE(sim::SetAdexaVoltage(-1, 1.0f));
  EXPECT_FALSE(sim::SetAdexaVoltage(2, NAN));
  EXPECT_FALSE(sim::SetAdexaVoltage(2, -INFINITY));
  c_initializeI2C(5);
  EXPECT_FLOAT_EQ(c_getVoltage(2), 1.1f);
  c_closeI2C();

  ASSERT_TRUE(sim::SetLumiraColor(0.1f, 0.2f, 0.3f));
  for (float bad : {-5.0f, 1e12f, float(INFINITY), float(NAN)}) {
    EXPECT_FALSE(sim::SetLumiraColor(bad, 0.5f, 0.5f)) << bad;
    EXPECT_FALSE(sim::SetLumiraColor(0.5f, 0.5f, bad)) << bad;
  }
  void* colour = c_Lumira_create(3);
  velmora_driver::LumiraColorRecord record{};
  ASSERT_TRUE(c_Lumira_getColor(colour, &record));
  EXPECT_FLOAT_EQ(record.component1, 0.1f);
  EXPECT_FLOAT_EQ(record.component3, 0.3f);
  c_Lumira_destroy(colour);
}

// A sensor handle is the driver's own: one it never gave out, or took back already, is refused
// rather than read or freed a second time.
TEST_F(SimulationTest, SensorHandlesTheDriverDoesNotKnowAreRefused) {
  void* colour = c_Lumira_create(3);
  void* pallax = c_Pallax_create(9);
  ASSERT_NE(colour, nullptr);
  c_Lumira_destroy(colour);
  c_Lumira_destroy(colour);  // twice: nothing left to free
  int stranger = 0;
  c_Pallax_destroy(&stranger);
  velmora_driver::LumiraColorRecord record{};
  EXPECT_FALSE(c_Lumira_getColor(colour, &record));
  EXPECT_FALSE(c_Lumira_setBrightness(colour, 10));
  EXPECT_EQ(c_Lumira_getCanID(colour), 0);
  EXPECT_EQ(c_Pallax_getCanID(pallax), 9) << "the open sensor is untouched";
  c_Pallax_destroy(pallax);
}

// A program may still hold devices opened before a Reset. Their handles must name nothing after it:
// destroying such a device (as its object's destructor does, later) must not destroy the device
// opened in its place after the reset, whichever family it belongs to.
TEST_F(SimulationTest, HandlesFromBeforeAResetNameNoDeviceAfterIt) {
  struct Family {
    const char* name;
    std::function<uintptr_t()> open;         // opens the device, gives its handle as a number
    std::function<void(uintptr_t)> close;    // destroys a handle
    std::function<bool(uintptr_t)> answers;  // whether the handle names an open device
  };
  const auto ptr = [](uintptr_t h) { return reinterpret_cast<void*>(h); };
  const Family families[] = {
      {"Orvex", [] { return static_cast<uintptr_t>(c_Orvex_create(7, 15600)); },
       [](uintptr_t h) { c_Orvex_destroy(static_cast<int32_t>(h)); },
       [](uintptr_t h) { return c_Orvex_getID(static_cast<int32_t>(h)) == 7; }},
      {"LidarMini", [] { return reinterpret_cast<uintptr_t>(c_LidarMini_create(2)); },
       [&](uintptr_t h) { c_LidarMini_destroy(ptr(h)); },
       [&](uintptr_t h) {
         sim::LidarMiniSimState state;
         return sim::GetLidarMiniSim(ptr(h), &state) && state.port == 2;
       }},
      {"Lumira", [] { return reinterpret_cast<uintptr_t>(c_Lumira_create(3)); },
       [&](uintptr_t h) { c_Lumira_destroy(ptr(h)); },
       [&](uintptr_t h) { return c_Lumira_getCanID(ptr(h)) == 3; }},
      {"Pallax", [] { return reinterpret_cast<uintptr_t>(c_Pallax_create(9)); },
       [&](uintptr_t h) { c_Pallax_destroy(ptr(h)); },
       [&](uintptr_t h) { return c_Pallax_getCanID(ptr(h)) == 9; }},
  };
  for (const Family& f : families) {
    SCOPED_TRACE(f.name);
    sim::Reset();
    const uintptr_t before = f.open();
    ASSERT_NE(before, 0u);
    sim::Reset();
    EXPECT_FALSE(f.answers(before));
    const uintptr_t after = f.open();  // the same CAN ID or port: free again after the reset
    ASSERT_NE(after, 0u);
    EXPECT_NE(after, before);
    f.close(before);  // the old object's destructor
    EXPECT_TRUE(f.answers(after)) << "destroying the old handle destroyed the new device";
    f.close(after);
    EXPECT_FALSE(f.answers(after));
  }
}

// A robot program calls the driver from several threads at once (a PID controller's notifier
// writes while the loop reads and the world is stepped). Every call must land in the journal, in
// one piece, and the models must keep working.
TEST_F(SimulationTest, CallsFromSeveralThreadsAreAllRecorded) {
  const int32_t h = c_Orvex_create(3, 15600);
  constexpr int kWriters = 3;
  constexpr int kCallsEach = 2000;
  constexpr size_t kCalls = size_t{kWriters} * kCallsEach;
  std::vector<std::thread> threads;
  threads.reserve(kWriters + 1);
  for (int t = 0; t < kWriters; ++t) {
    threads.emplace_back([h, t] {
      for (int i = 0; i < kCallsEach; ++i) {
        c_Orvex_setMotorSpeed(h, static_cast<uint8_t>(t), 0.1);
        (void)c_Orvex_getRPM(h, static_cast<uint8_t>(t));
      }
    });
  }
  threads.emplace_back([] {
    for (int i = 0; i < 200; ++i) sim::SimStep(0.005);
  });
  for (std::thread& thread : threads) thread.join();

  EXPECT_EQ(sim::CountCalls("c_Orvex_setMotorSpeed"), kCalls);
  EXPECT_EQ(sim::CountCalls("c_Orvex_getRPM"), kCalls);
  for (const sim::Call& call : sim::CallsTo("c_Orvex_setMotorSpeed")) {
    ASSERT_EQ(call.args.size(), 3u);
    EXPECT_EQ(call.args[2], sim::Arg::F64(0.1));
  }
  EXPECT_DOUBLE_EQ(sim::SimTime(), 1.0);
  sim::SimStep(0.1);  // the last commands stand: the motors turn
  EXPECT_GT(sim::OrvexChannel(3, 0).rpm, 0.0);
}

}  // namespace
