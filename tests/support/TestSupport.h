// Helpers shared by the test programs: a fixture that starts every test from a fresh simulation
// driver, and a capture of what the library writes to the console.
#pragma once

#include <gtest/gtest.h>

#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "velmora_sim/SimDriver.h"

namespace velmora_test {

using velmora_sim::Arg;
using velmora_sim::Call;
using velmora_sim::Result;

// Every test starts with an empty journal, no scripts and fresh simulated devices.
class DriverTest : public ::testing::Test {
 protected:
  void SetUp() override { velmora_sim::Reset(); }
  void TearDown() override { velmora_sim::Reset(); }

  static std::vector<Call> Journal() { return velmora_sim::Calls(); }
  static std::vector<std::string> Names() { return velmora_sim::CallNames(); }
  static void Clear() { velmora_sim::ClearJournal(); }
};

// Sets the battery voltage that WPILib reports (RobotController::GetInputVoltage), on the
// stand-in and on a real WPILib alike. Tests that change it put back 12 V.
void SetBatteryVoltage(double volts);

// Captures everything written to a standard stream while it lives (std::cout or std::cerr).
class StreamCapture {
 public:
  explicit StreamCapture(std::ostream& stream) : m_stream(stream), m_old(stream.rdbuf()) {
    m_stream.rdbuf(m_buffer.rdbuf());
  }
  ~StreamCapture() { m_stream.rdbuf(m_old); }
  StreamCapture(const StreamCapture&) = delete;
  StreamCapture& operator=(const StreamCapture&) = delete;

  std::string Text() const { return m_buffer.str(); }

 private:
  std::ostream& m_stream;
  std::streambuf* m_old;
  std::ostringstream m_buffer;
};

}  // namespace velmora_test
