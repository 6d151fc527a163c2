// The usual shape of a robot program with a PID loop: WPILib's PIDController runs on its own
// thread, reads its source (an encoder channel) and writes its output (a motor channel) through
// frc::PIDOutput&, while the robot loop reads and inverts the same channel for telemetry and
// drives the others. Under ThreadSanitizer this program must run clean; in every build the
// journal must show each write of the PID thread exactly once, in its order, with its value.
#include <frc/CounterBase.h>
#include <frc/PIDOutput.h>
#include <frc/SpeedController.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

#include "support/TestSupport.h"
#include "velmora/Orvex.h"

namespace {

using velmora::Orvex;
using velmora_test::Call;

constexpr int kWrites = 3000;

// The PID thread's outputs: k tenths, none of which a float (or a double) holds exactly.
double Output(int k) { return 0.1 * k; }

bool IsOutput(double magnitude) {
  const int k = static_cast<int>(std::lround(magnitude / 0.1));
  return k >= 0 && k <= kWrites && (k == 0 ? magnitude == 0.0 : magnitude == Output(k));
}

class PidThreadTest : public velmora_test::DriverTest {};

TEST_F(PidThreadTest, PidOutputOnItsOwnThreadWhileTheLoopReadsAndInverts) {
  Orvex orvex(5);
  // Every channel is requested before the second thread starts: the controller's own slots and
  // identity cache are one thread at a time.
  Orvex::Motor& driven = orvex.GetMotor(0);
  Orvex::Motor& other = orvex.GetMotor(1);
  Orvex::Encoder& source = orvex.GetEncoder(0, 0.1);
  Orvex::Encoder& otherEncoder = orvex.GetEncoder(1, 0.1);
  Clear();

  std::atomic<bool> start{false};
  std::atomic<bool> done{false};
  std::thread pid([&] {
    frc::PIDOutput& output = driven;
    frc::CounterBase& counter = source;
    while (!start.load()) std::this_thread::yield();
    for (int k = 1; k <= kWrites; ++k) {
      // What a PID loop reads from its source before it writes its output.
      static_cast<void>(source.GetEncoderDistance());
      static_cast<void>(source.GetSpeed());
      static_cast<void>(counter.GetDirection());
      output.PIDWrite(Output(k));
    }
    done.store(true);
  });

  frc::SpeedController& telemetry = driven;
  int loops = 0;
  bool readOnlyOutputs = true;
  start.store(true);
  while (!done.load() || loops < 100) {
    ++loops;
    telemetry.SetInverted(loops % 2 == 0);
    const double shown = telemetry.Get();
    readOnlyOutputs = readOnlyOutputs && IsOutput(std::fabs(shown));
    static_cast<void>(telemetry.GetInverted());
    static_cast<void>(driven.GetRPM());
    if (loops == 50) {
      driven.InvertRPM();
      source.SetReverseDirection();
      source.InvertSpeed();
      otherEncoder.SetReverseDirection();
    }
    other.Set(0.1);
    static_cast<void>(other.Get());
    static_cast<void>(otherEncoder.GetEncoderDistance());
    static_cast<void>(otherEncoder.GetCount());
  }
  pid.join();

  EXPECT_TRUE(readOnlyOutputs) << "Get() showed a speed the PID thread never wrote";
  std::vector<double> written;
  int otherWrites = 0;
  for (const Call& call : velmora_sim::CallsTo("c_Orvex_setMotorSpeed")) {
    ASSERT_EQ(call.args.size(), 3u);
    if (call.args[1].AsInt() == 0) written.push_back(std::fabs(call.args[2].AsF64()));
    if (call.args[1].AsInt() == 1) {
      EXPECT_EQ(call.args[2], velmora_sim::Arg::F64(0.1));
      ++otherWrites;
    }
  }
  ASSERT_EQ(written.size(), static_cast<size_t>(kWrites)) << "each PID write reached the driver";
  for (int k = 1; k <= kWrites; ++k) {
    ASSERT_EQ(written[k - 1], Output(k)) << "write " << k << ", in the PID thread's order";
  }
  EXPECT_EQ(otherWrites, loops);
  EXPECT_EQ(std::fabs(driven.Get()), Output(kWrites)) << "the last speed sent";
  EXPECT_TRUE(source.GetDirection());
  EXPECT_TRUE(otherEncoder.GetDirection());

  // With both threads done, the flags the loop left behind apply exactly.
  driven.SetInverted(true);
  frc::PIDOutput& output = driven;
  output.PIDWrite(0.1);
  EXPECT_EQ(driven.Get(), -0.1);
  EXPECT_EQ(velmora_sim::CallsTo("c_Orvex_setMotorSpeed").back().args[2],
            velmora_sim::Arg::F64(-0.1));
}

}  // namespace
