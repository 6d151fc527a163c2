// What the simulated colour sensor and analog board read from the simulated world, through the
// library: the floor under the robot, and inputs that follow simulated time.
#include <cmath>

#include "support/TestSupport.h"
#include "velmora/Adexa.h"
#include "velmora/Lumira.h"

namespace {

namespace sim = velmora_sim;
using velmora::Lumira;

class FieldSensorsTest : public velmora_test::DriverTest {};

Lumira::ColorData ColourAt(Lumira& sensor, double x) {
  sim::PlaceRobot(sim::RobotPose{x, 2.0, 0.0});
  return sensor.GetColor();
}

TEST_F(FieldSensorsTest, ColourSensorSeesTheLineOnlyUnderTheRobot) {
  Lumira sensor(3);
  const sim::FieldLayout f = sim::Field();
  const double half = f.lineWidth / 2;
  const struct {
    double x;
    float blue;
  } cases[] = {{1.0, 0.5f},     {f.lineX - half - 0.001, 0.5f}, {f.lineX - half + 0.001, 0.9f},
               {f.lineX, 0.9f}, {f.lineX + half - 0.001, 0.9f}, {f.lineX + half + 0.001, 0.5f}};
  for (const auto& c : cases) {
    const Lumira::ColorData colour = ColourAt(sensor, c.x);
    EXPECT_EQ(colour.component3, c.blue) << "x = " << c.x;
  }
  // In HSV the line is a saturated blue, the carpet has no hue at all.
  ASSERT_TRUE(sensor.SetColorFormat(Lumira::ColorFormat::kHSV));
  const Lumira::ColorData line = ColourAt(sensor, f.lineX);
  EXPECT_NEAR(line.component1, 225.0f, 1.0f);
  EXPECT_GT(line.component2, 0.8f);
  const Lumira::ColorData carpet = ColourAt(sensor, 1.0);
  EXPECT_EQ(carpet.component2, 0.0f);
}

TEST_F(FieldSensorsTest, HeldColourWinsOverTheFloorUntilReset) {
  Lumira sensor(3);
  sim::SetLumiraColor(1.0f, 0.0f, 0.0f);
  EXPECT_EQ(ColourAt(sensor, sim::Field().lineX).component1, 1.0f);
  sim::Reset();
  Lumira fresh(3);
  EXPECT_EQ(ColourAt(fresh, sim::Field().lineX).component3, 0.9f);
}

TEST_F(FieldSensorsTest, AnalogInputsFollowSimulatedTime) {
  velmora::Adexa board;
  // time (s) and the expected volts on inputs 0 to 4: a triangle, a sine, a rise towards 4.5 V
  // with a 3 s time constant, a square wave, and nothing.
  const struct {
    double time;
    float volts[5];
  } cases[] = {
      {0.0, {0.0f, 0.0f, 0.0f, 0.0f, 0.0f}},      {0.5, {0.625f, 1.65f, 0.69083f, 5.0f, 0.0f}},
      {1.0, {1.25f, 3.3f, 1.27561f, 0.0f, 0.0f}}, {4.0, {5.0f, 0.0f, 3.31381f, 0.0f, 0.0f}},
      {6.0, {2.5f, 0.0f, 3.89099f, 0.0f, 0.0f}},
  };
  for (const auto& c : cases) {
    sim::SimStep(c.time - sim::SimTime());
    for (int input = 0; input < 5; ++input) {
      EXPECT_NEAR(board.GetVoltage(input), c.volts[input], 1e-3)
          << "input " << input << " at " << c.time << " s";
    }
  }
  // The raw value is the same reading on the 12-bit scale of the 5 V reference.
  EXPECT_EQ(board.GetRawValue(0), std::lround(2.5 / 5.0 * 4095));
}

TEST_F(FieldSensorsTest, PinnedInputKeepsItsVoltage) {
  velmora::Adexa board;
  sim::SetAdexaVoltage(0, 1.5f);
  sim::SimStep(2.0);
  EXPECT_EQ(board.GetVoltage(0), 1.5f);
  EXPECT_NEAR(board.GetVoltage(2), 4.5 * (1.0 - std::exp(-2.0 / 3.0)), 1e-5) << "others move on";
}

}  // namespace
