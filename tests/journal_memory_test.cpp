// The simulation driver's memory over a whole season of simulation: its journal of calls is for
// tests, off until asked for and bounded when on, so a team's program that runs for hours keeps a
// flat footprint.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <fstream>

#include "support/TestSupport.h"
#include "velmora/Orvex.h"

namespace {

namespace sim = velmora_sim;

// First in this program, before any test's Reset: a program starts with the journal off.
TEST(JournalMemoryTest, AProgramStartsWithTheJournalOff) {
  EXPECT_FALSE(sim::JournalEnabled());
  velmora::Orvex orvex(5);
  orvex.GetMotor(0).Set(0.1);
  EXPECT_TRUE(sim::Calls().empty()) << "nothing recorded that nobody asked for";
}

class JournalLimitTest : public velmora_test::DriverTest {};

// Reset, where a test starts, turns the journal on at its default limit; on, it keeps the latest
// calls up to its limit and counts those it let go.
TEST_F(JournalLimitTest, TheJournalKeepsTheLatestCallsUpToItsLimit) {
  EXPECT_TRUE(sim::JournalEnabled());
  EXPECT_EQ(sim::JournalLimit(), sim::kDefaultJournalLimit);
  velmora::Orvex orvex(5);
  velmora::Orvex::Motor& motor = orvex.GetMotor(1);
  sim::ClearJournal();
  sim::SetJournalLimit(100);
  for (int i = 0; i < 250; ++i) motor.Set(i / 1000.0);
  const std::vector<sim::Call> calls = sim::Calls();
  ASSERT_EQ(calls.size(), 100u);
  EXPECT_EQ(sim::DroppedCalls(), 150u);
  EXPECT_EQ(calls.back().args.at(2).AsF64(), 249 / 1000.0) << "the latest call kept";
  EXPECT_EQ(calls.front().args.at(2).AsF64(), 150 / 1000.0);

  sim::SetJournalLimit(10);  // a lower limit lets the oldest go at once
  EXPECT_EQ(sim::Calls().size(), 10u);
  EXPECT_EQ(sim::DroppedCalls(), 240u);
  sim::SetJournalLimit(0);  // no limit: a test that needs every call says so
  for (int i = 0; i < 300; ++i) motor.Set(0.1);
  EXPECT_EQ(sim::Calls().size(), 310u);
  sim::ClearJournal();
  EXPECT_EQ(sim::DroppedCalls(), 0u);

  sim::EnableJournal(false);
  motor.Set(0.1);
  EXPECT_TRUE(sim::Calls().empty());
  sim::Reset();
  EXPECT_TRUE(sim::JournalEnabled());
  EXPECT_EQ(sim::JournalLimit(), sim::kDefaultJournalLimit);
}

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define VELMORA_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define VELMORA_SANITIZED 1
#endif
#endif

#if defined(__linux__) && !defined(VELMORA_SANITIZED)
// Resident memory of this process in bytes, as the kernel counts it.
int64_t ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  int64_t size = 0;
  int64_t resident = 0;
  statm >> size >> resident;
  return resident * 4096;
}
#endif

// Ten million driver calls through the shipped library with the journal off, as a long simulation
// makes them: resident memory grows by less than 10 MB.
TEST_F(JournalLimitTest, TenMillionCallsWithTheJournalOffKeepResidentMemoryFlat) {
#if !defined(__linux__)
  GTEST_SKIP() << "resident memory is read from /proc/self/statm, which only Linux has";
#elif defined(VELMORA_SANITIZED)
  GTEST_SKIP() << "a sanitizer keeps freed memory and shadow memory of its own: resident memory "
                  "says nothing about the driver's there";
#else
  sim::EnableJournal(false);
  velmora::Orvex orvex(5);
  velmora::Orvex::Motor& motor = orvex.GetMotor(0);
  velmora::Orvex::Encoder& encoder = orvex.GetEncoder(0, 0.1);
  double sink = 0.0;
  const auto calls = [&](int64_t rounds) {
    for (int64_t i = 0; i < rounds; ++i) {
      motor.Set(static_cast<double>(i % 200) / 200.0);
      sink += motor.GetRPM();
      sink += encoder.GetEncoderDistance();
      sink += motor.GetLimitSwitch(false);
      motor.SetTargetVelocity(1000.0f);
    }
  };
  calls(20000);  // every allocation a steady program makes, made once
  const int64_t before = ResidentBytes();
  calls(2000000);  // five driver calls a round: 10 million
  const int64_t grown = ResidentBytes() - before;
  EXPECT_LT(grown, 10 * 1024 * 1024) << "grew by " << grown << " bytes";
  EXPECT_TRUE(sim::Calls().empty());
  EXPECT_TRUE(std::isfinite(sink));
#endif
}

}  // namespace
