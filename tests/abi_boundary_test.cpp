// What crosses the boundaries between the driver, the library and the robot program: objects
// that own heap memory, exceptions and console lines. On Windows each of the three is its own
// module (VelmoraDriver.dll, Velmora.dll, the program), and the maker's driver is built by Visual
// Studio, so these only work when every module shares one C++ ABI and one runtime.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <typeinfo>
#include <vector>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "support/TestSupport.h"
#include "velmora/Lidar.h"
#include "velmora/LidarMini.h"
#include "velmora/Lumira.h"
#include "velmora/Orvex.h"
#include "velmora/Pallax.h"

namespace {

using velmora::Lidar;
using velmora::LidarMini;
using velmora::Lumira;
using velmora::Orvex;
using velmora::Pallax;
using velmora_test::Result;

class AbiBoundaryTest : public velmora_test::DriverTest {};

// The driver returns the serial number as a std::string by value: made in the driver's module,
// moved into the library's, handed to the program. Long enough to live on the heap (no
// small-string buffer), so a mismatched allocator or layout shows up as a crash or garbage.
TEST_F(AbiBoundaryTest, DriverStringCrossesIntoTheProgramIntact) {
  const std::string serial = "ORX-0123456789-ABCDEFGHIJKLMNOPQRSTUVWXYZ-" + std::string(200, 'z');
  velmora_sim::ScriptNext("c_Orvex_getSerialNumber", Result::Text(serial));
  velmora_sim::ScriptNext("c_Orvex_getSerialNumber", Result::Text("S1"));
  Orvex orvex(7);
  for (int round = 0; round < 50; ++round) {
    velmora_sim::ScriptNext("c_Orvex_getSerialNumber", Result::Text(serial));
  }
  EXPECT_EQ(orvex.GetSerialNumber(), serial);
  EXPECT_EQ(orvex.GetSerialNumber(), "S1") << "a short string, in the small-string buffer";
  for (int round = 0; round < 50; ++round) {
    ASSERT_EQ(orvex.GetSerialNumber(), serial) << round;
  }
}

// The driver fills a scan record holding std::vectors in the library's storage; the library
// destroys it after copying the points out. A full 720-point scan, many times over.
TEST_F(AbiBoundaryTest, ScanRecordFilledByTheDriverIsDestroyedByTheLibrary) {
  std::vector<velmora_sim::ScanPoint> points;
  points.reserve(720);
  for (int i = 0; i < 720; ++i) {
    const auto f = static_cast<float>(i);
    points.push_back({f * 0.5f, 0.1f + f, static_cast<float>(i % 47)});
  }
  LidarMini lidar(LidarMini::Port::kUSB0);
  for (int round = 0; round < 20; ++round) {
    velmora_sim::ScriptNext("c_LidarMini_getData", Result::Scan(1000 + round, points));
    const LidarMini::ScanData data = lidar.GetData();
    ASSERT_EQ(data.angles.size(), 720u);
    ASSERT_EQ(data.distances.size(), 720u);
    ASSERT_EQ(data.qualities.size(), 720u);
    EXPECT_EQ(data.timestamp, 1000 + round);
    EXPECT_EQ(data.angles[719], 359.5f);
    EXPECT_EQ(data.distances[3], 0.1f + 3.0f);
    EXPECT_EQ(data.qualities[100], 6.0f);
  }
}

// Every exception the library throws reaches the program as its own type with its message.
template <typename Expected, typename Call>
void ExpectThrow(const Call& call, const std::string& message) {
  try {
    call();
    ADD_FAILURE() << "nothing thrown; expected: " << message;
  } catch (const std::exception& e) {
    EXPECT_EQ(typeid(e), typeid(Expected)) << typeid(e).name() << ": " << e.what();
    EXPECT_EQ(std::string(e.what()), message);
  }
}

TEST_F(AbiBoundaryTest, EveryExceptionArrivesByTypeAndMessage) {
  Orvex orvex(3);
  ExpectThrow<std::out_of_range>([&] { orvex.GetMotor(4); },
                                 "Motor index must be in [0, 3], got: 4");
  ExpectThrow<std::out_of_range>([&] { orvex.GetEncoder(-1, 0.1); },
                                 "Encoder index must be in [0, 3], got: -1");
  ExpectThrow<std::out_of_range>([] { Lumira sensor(64); },
                                 "Lumira CAN ID must be in [0, 63], got: 64");
  ExpectThrow<std::out_of_range>([] { Pallax sensor(-1); },
                                 "Pallax CAN ID must be in [0, 63], got: -1");
  velmora_sim::ScriptNext("c_Lumira_create", Result::Null());
  ExpectThrow<std::runtime_error>([] { Lumira sensor(5); }, "Failed to open Lumira on CAN ID 5");
  velmora_sim::ScriptNext("c_Pallax_create", Result::Null());
  ExpectThrow<std::runtime_error>([] { Pallax sensor(6); }, "Failed to open Pallax on CAN ID 6");
  velmora_sim::ScriptNext("c_Lumira_createUsb", Result::Null());
  ExpectThrow<std::runtime_error>([] { Lumira sensor("COM7", 2); },
                                  "Failed to open Lumira on COM7");
  velmora_sim::ScriptNext("c_Pallax_createUsb", Result::Null());
  ExpectThrow<std::runtime_error>([] { Pallax sensor("COM8", 1); },
                                  "Failed to open Pallax on COM8");
}

// Sends the C runtime's standard error to a file while it lives, as the console would get it.
class StderrToFile {
 public:
  explicit StderrToFile(const std::string& path) : m_path(path) {
    std::fflush(stderr);
#ifdef _WIN32
    m_saved = _dup(2);
    std::FILE* file = std::fopen(path.c_str(), "w");  // text mode, as a console stream is
    _dup2(_fileno(file), 2);
#else
    m_saved = dup(2);
    std::FILE* file = std::fopen(path.c_str(), "w");
    dup2(fileno(file), 2);
#endif
    std::fclose(file);
  }
  ~StderrToFile() {
    std::fflush(stderr);
#ifdef _WIN32
    _dup2(m_saved, 2);
    _close(m_saved);
#else
    dup2(m_saved, 2);
    close(m_saved);
#endif
  }
  StderrToFile(const StderrToFile&) = delete;
  StderrToFile& operator=(const StderrToFile&) = delete;

  std::string Bytes() const {
    std::ifstream in(m_path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

 private:
  std::string m_path;
  int m_saved = -1;
};

// The library's warnings go to std::cerr, which writes through the C runtime: on Windows in text
// mode, so each line ends in "\r\n" there, as a team sees it in its console or a redirected log.
TEST_F(AbiBoundaryTest, ConsoleLinesEndAsTheCRuntimeWritesThem) {
  const std::string path = ::testing::TempDir() + "velmora_abi_stderr.txt";
  std::string bytes;
  {
    StderrToFile capture(path);
    Lidar lidar(Lidar::Port::kUSB0);
    lidar.ClusterConfig(0.1f, 11);
    lidar.MedianConfig(0);
    bytes = capture.Bytes();
  }
  std::remove(path.c_str());
#ifdef _WIN32
  const std::string eol = "\r\n";
#else
  const std::string eol = "\n";
#endif
  EXPECT_EQ(bytes, "Min cluster size to large must be less than 11 and greater than 0" + eol +
                       "Window size to large must be less than 11 and greater than 0" + eol);
}

}  // namespace
