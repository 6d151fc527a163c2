// Opening and closing the two CAN/USB sensors: the CAN ID range, the open failures, the USB port
// look-up, the single release and the hand-over of a sensor by move. Both sensors share this
// behaviour, so every test runs for each of them.
#include <climits>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>

#include "support/TestSupport.h"
#include "velmora/Lumira.h"
#include "velmora/Pallax.h"

namespace {

using velmora::Lumira;
using velmora::Pallax;
using velmora_test::Arg;
using velmora_test::Call;
using velmora_test::Result;
using Calls = std::vector<Call>;

template <typename Sensor>
struct Device;
template <>
struct Device<Lumira> {
  static constexpr const char* kWord = "Lumira";
};
template <>
struct Device<Pallax> {
  static constexpr const char* kWord = "Pallax";
};

static_assert(!std::is_copy_constructible_v<Lumira> && !std::is_copy_assignable_v<Lumira>);
static_assert(!std::is_copy_constructible_v<Pallax> && !std::is_copy_assignable_v<Pallax>);
static_assert(std::is_nothrow_move_constructible_v<Lumira> &&
              std::is_nothrow_move_assignable_v<Lumira>);
static_assert(std::is_nothrow_move_constructible_v<Pallax> &&
              std::is_nothrow_move_assignable_v<Pallax>);

template <typename Sensor>
class SensorOpenTest : public velmora_test::DriverTest {
 protected:
  using Port = typename Sensor::Port;
  using Transport = typename Sensor::Transport;

  static std::string Word() { return Device<Sensor>::kWord; }
  static std::string Fn(const char* operation) { return "c_" + Word() + "_" + operation; }

  // The handle the object passes to the driver, as the journal saw it.
  static const void* HandleOf(const Sensor& sensor) {
    sensor.GetCanID();
    return velmora_sim::Calls().back().args.at(0).AsPointer();
  }
};

using Sensors = ::testing::Types<Lumira, Pallax>;
TYPED_TEST_SUITE(SensorOpenTest, Sensors);

TYPED_TEST(SensorOpenTest, CanIdsOutsideTheRangeAreRefusedWithoutADriverCall) {
  for (int id : {-1, 64, INT_MIN, INT_MAX}) {
    SCOPED_TRACE(id);
    try {
      TypeParam sensor(id);
      ADD_FAILURE() << "no exception";
    } catch (const std::out_of_range& e) {
      EXPECT_EQ(e.what(), this->Word() + " CAN ID must be in [0, 63], got: " + std::to_string(id));
    }
  }
  EXPECT_TRUE(this->Journal().empty());
}

TYPED_TEST(SensorOpenTest, RangeEndsOpenAndAreReleasedOnce) {
  for (int id : {0, 63}) {
    SCOPED_TRACE(id);
    this->Clear();
    const void* handle = nullptr;
    {
      TypeParam sensor(id);
      handle = this->HandleOf(sensor);
    }
    EXPECT_EQ(this->Journal(), (Calls{{this->Fn("create"), {Arg::I32(id)}},
                                      {this->Fn("getCanID"), {Arg::Pointer(handle)}},
                                      {this->Fn("destroy"), {Arg::Pointer(handle)}}}));
  }
}

// A sensor that cannot be opened throws and leaves nothing to release.
TYPED_TEST(SensorOpenTest, OpenFailuresNameWhatCouldNotBeOpened) {
  const std::string word = this->Word();
  struct Case {
    const char* name;
    std::function<void()> open;
    std::string message;
  };
  const Case cases[] = {
      {"CAN ID", [] { TypeParam s(5); }, "Failed to open " + word + " on CAN ID 5"},
      {"path", [] { TypeParam s("/dev/ttyUSB7", 3); },
       "Failed to open " + word + " on /dev/ttyUSB7"},
      {"empty path", [] { TypeParam s("", 3); }, "Failed to open " + word + " on "},
      {"port", [] { TypeParam s(TypeParam::Port::kUSB1, 3); },
       "Failed to open " + word + " on /dev/ttyACM1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    velmora_sim::Reset();
    velmora_sim::ScriptNext(this->Fn("create"), Result::Null());
    velmora_sim::ScriptNext(this->Fn("createUsb"), Result::Null());
    try {
      c.open();
      ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(e.what(), c.message);
    }
    EXPECT_EQ(velmora_sim::CountCalls(this->Fn("destroy")), 0u);
  }
}

TYPED_TEST(SensorOpenTest, PortConstructorAsksForThePathOnceAndPassesItOn) {
  { TypeParam sensor(TypeParam::Port::kUSB2, 115200); }
  EXPECT_EQ(this->Names(), (std::vector<std::string>{"FindDevicePath", this->Fn("createUsb"),
                                                     this->Fn("destroy")}));
  EXPECT_EQ(this->Journal().at(0), (Call{"FindDevicePath", {Arg::I32(2)}}));
  EXPECT_EQ(this->Journal().at(1),
            (Call{this->Fn("createUsb"), {Arg::Text("/dev/ttyACM2"), Arg::I32(115200)}}));

  // Neither the port nor the path is checked: an unknown port's empty path goes to the driver.
  this->Clear();
  velmora_sim::ScriptNext("FindDevicePath", Result::Text(""));
  EXPECT_THROW(TypeParam(static_cast<typename TypeParam::Port>(-7), -1), std::runtime_error);
  EXPECT_EQ(this->Journal(), (Calls{{"FindDevicePath", {Arg::I32(-7)}},
                                    {this->Fn("createUsb"), {Arg::Text(""), Arg::I32(-1)}}}));
}

TYPED_TEST(SensorOpenTest, MovingHandsTheSensorOnAndReleasesEachOnce) {
  const void* first = nullptr;
  const void* second = nullptr;
  {
    TypeParam a(1);
    first = this->HandleOf(a);
    TypeParam b(std::move(a));
    EXPECT_EQ(this->HandleOf(b), first);
    TypeParam c("/dev/ttyACM0", 0);
    second = this->HandleOf(c);
    this->Clear();
    c = std::move(b);  // c lets go of its own sensor first
    EXPECT_EQ(this->Journal(), (Calls{{this->Fn("destroy"), {Arg::Pointer(second)}}}));
    EXPECT_EQ(this->HandleOf(c), first);
    this->Clear();
  }
  EXPECT_EQ(this->Journal(), (Calls{{this->Fn("destroy"), {Arg::Pointer(first)}}}));
}

TYPED_TEST(SensorOpenTest, TransportIsUsbOnlyWhenTheDriverSaysOne) {
  using Transport = typename TypeParam::Transport;
  TypeParam sensor(4);
  EXPECT_EQ(sensor.GetTransport(), Transport::kCAN);
  const std::pair<int, Transport> cases[] = {
      {1, Transport::kUSB}, {0, Transport::kCAN}, {2, Transport::kCAN}, {-1, Transport::kCAN}};
  for (const auto& [reported, expected] : cases) {
    velmora_sim::ScriptNext(this->Fn("getTransport"), Result::Int(reported));
    EXPECT_EQ(sensor.GetTransport(), expected) << reported;
  }
  EXPECT_EQ(static_cast<int>(Transport::kUSB), 1);
  TypeParam onUsb(TypeParam::Port::kUSB0, 0);
  EXPECT_EQ(onUsb.GetTransport(), Transport::kUSB);
}

}  // namespace
