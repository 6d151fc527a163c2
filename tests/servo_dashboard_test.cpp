// Assigning and moving servos that the dashboard shows: under a SmartDashboard key, in
// LiveWindow's test mode, or in LiveWindow's telemetry, which a robot loop writes for every PWM
// output from its first pass on. WPILib's registry has a moved object describe itself to its
// table again, so neither may let it reach a servo that is not complete, and no entry a key
// shows may leave the registry. Runs on the stand-in and on a real WPILib; its own program,
// since the dashboard and LiveWindow are process-wide.
#include <frc/ErrorBase.h>
#include <frc/livewindow/LiveWindow.h>
#include <frc/smartdashboard/SendableRegistry.h>
#include <frc/smartdashboard/SmartDashboard.h>
#include <networktables/NetworkTableInstance.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "gtest/gtest.h"
#include "support/Finished.h"
#include "velmora/Servo.h"
#include "velmora/ServoContinuous.h"

namespace {

using velmora::Servo;
using velmora::ServoContinuous;

constexpr double kUnset = -7.0;  // what an entry nobody wrote reads as

double Entry(const std::string& path) {
  return nt::NetworkTableInstance::GetDefault().GetEntry(path).GetDouble(kUnset);
}

std::string NameOf(frc::Sendable& s) { return frc::SendableRegistry::GetInstance().GetName(&s); }

// WPILib 2020's SmartDashboard::UpdateValues fails on a key whose object has left the registry,
// so servos a key has shown live as long as the program.
template <typename ServoType>
ServoType& KeptServo(ServoType servo) {
  static std::vector<std::unique_ptr<ServoType>> kept;
  kept.push_back(std::make_unique<ServoType>(std::move(servo)));
  return *kept.back();
}

// Puts an object that describes nothing and lives as long as the program under `key`, so that
// the servo the key showed may go.
void ForgetKey(const std::string& key) {
  struct Inert final : frc::Sendable {
    void InitSendable(frc::SendableBuilder& /*builder*/) override {}
  };
  static Inert inert;
  frc::SmartDashboard::PutData(key, &inert);
}

// On WPILib, a table that starts listening (a SmartDashboard key, LiveWindow mode) reports each
// settable property's value once, on its listener thread, and the setter runs at the next
// SmartDashboard::UpdateValues. Letting that happen now keeps it from setting a servo later.
void Settle() {
  nt::NetworkTableInstance::GetDefault().WaitForEntryListenerQueue(10.0);
  frc::SmartDashboard::UpdateValues();
}

// How the dashboard comes to hold a table for a servo.
enum class Table { kSmartDashboard, kLiveWindowMode, kTelemetry };

struct Case {
  const char* what;
  Table table;
};

const Case kCases[] = {{"SmartDashboard key", Table::kSmartDashboard},
                       {"LiveWindow mode", Table::kLiveWindowMode},
                       {"LiveWindow telemetry", Table::kTelemetry}};

// Writes the tables, as a robot loop does each pass.
void WriteValues(Table table) {
  if (table == Table::kSmartDashboard) {
    frc::SmartDashboard::UpdateValues();
  } else {
    frc::LiveWindow::GetInstance()->UpdateValues();
  }
}

// The errors WPILib recorded, as "code function: message" lines. Every call on a servo without a
// channel (the dashboard reading a moved-from servo, say) leaves one: "HAL: A handle parameter
// was passed incorrectly". One such error is WPILib's own and not counted: its PWM destructor
// reports it once for every moved-from output it destroys, whatever the class.
std::string Errors() {
  std::string text;
  for (const frc::Error& e : frc::ErrorBase::GetGlobalErrors()) {
    if (e.GetFunction() == "~PWM") continue;
    text += std::to_string(e.GetCode()) + " " + e.GetFunction() + ": " + e.GetMessage() + "\n";
  }
  return text;
}

// Assigning releases the old channel and drives the other one; the entry goes with the move,
// unless no table shows the other servo's entry yet, and the moved-from servo leaves the registry.
// Either way a table that showed the assigned-to servo (a's key; for LiveWindow, whose tables show
// both servos, the other servo's table) shows its new channel. A servo constructed from it takes
// the entry on.
template <typename ServoType>
void AssignOverAServoOnTheDashboard(const Case& c, const std::string& type, int first, int second) {
  SCOPED_TRACE(c.what);
  auto* liveWindow = frc::LiveWindow::GetInstance();
  ServoType& a = KeptServo(ServoType(first));
  ServoType& b = KeptServo(ServoType(second));
  std::string table = "/LiveWindow/Ungrouped/" + NameOf(a);
  if (c.table == Table::kSmartDashboard) {
    const std::string key = std::string(c.what) + "/" + type + std::to_string(first);
    frc::SmartDashboard::PutData(key, &a);
    table = "/SmartDashboard/" + key;
  }
  if (c.table == Table::kLiveWindowMode) liveWindow->SetEnabled(true);
  WriteValues(c.table);
  Settle();
  a.Set(0.7);
  WriteValues(c.table);
  ASSERT_EQ(Entry(table + "/Value"), a.Get()) << table;
  if (c.table != Table::kSmartDashboard) table = "/LiveWindow/Ungrouped/" + NameOf(b);

  a.ClearGlobalErrors();
  a = std::move(b);  // this used to abort on a pure virtual call

  EXPECT_EQ(a.GetChannel(), second);
  EXPECT_EQ(NameOf(a), type + "[" + std::to_string(second) + "]");
  EXPECT_FALSE(frc::SendableRegistry::GetInstance().Contains(&b)) << "b leaves the registry";
  a.Set(0.1);
  WriteValues(c.table);
  EXPECT_NEAR(a.Get(), 0.1, 1e-3);
  EXPECT_EQ(Entry(table + "/Value"), a.Get()) << table << " shows a's new channel";
  {
    ServoType reopened(first);
    EXPECT_EQ(reopened.GetChannel(), first) << "the released channel opens again";
  }

  ServoType& moved = KeptServo(std::move(a));
  moved.Set(0.3);
  WriteValues(c.table);
  EXPECT_EQ(Entry(table + "/Value"), moved.Get()) << table << " follows the servo";
  EXPECT_EQ(NameOf(moved), type + "[" + std::to_string(second) + "]");
  EXPECT_FALSE(frc::SendableRegistry::GetInstance().Contains(&a));
  EXPECT_EQ(Errors(), "");
  if (c.table == Table::kLiveWindowMode) liveWindow->SetEnabled(false);
}

TEST(ServoDashboardTest, AssigningOverAServoOnTheDashboardShowsItsNewChannel) {
  int channel = 0;
  for (const Case& c : kCases) {
    AssignOverAServoOnTheDashboard<Servo>(c, "Servo", channel, channel + 1);
    AssignOverAServoOnTheDashboard<ServoContinuous>(c, "ServoContinuous", channel + 2, channel + 3);
    channel += 4;
  }
}

// As a team would write it: the key keeps showing the servo, now on its new channel.
TEST(ServoDashboardTest, AssignmentOverAServoUnderAKeyRunsClean) {
  Servo& a = KeptServo(Servo(18));
  frc::SmartDashboard::PutData("A", &a);
  frc::SmartDashboard::UpdateValues();
  Settle();
  a = Servo(19);  // the temporary's entry leaves the registry with it; the key's stays
  a.SetAngle(30.0);
  frc::SmartDashboard::UpdateValues();
  EXPECT_EQ(a.GetChannel(), 19);
  EXPECT_NEAR(a.Get(), 0.1, 1e-3);
  EXPECT_EQ(frc::SmartDashboard::GetNumber("A/Value", kUnset), a.Get());
}

// A team's program that moves a servo off the dashboard: the entry goes with the move, so once
// the moved-from servo is gone the dashboard still shows the servo that drives the channel, and
// never reads one without a channel (it used to, logging a HAL error at every update, and crashed
// WPILib's next update once the moved-from servo was destroyed).
template <typename ServoType>
void MoveAServoOffTheDashboard(const Case& c, const std::string& type, int first, int second) {
  SCOPED_TRACE(c.what);
  auto* liveWindow = frc::LiveWindow::GetInstance();
  ServoType a(first);
  std::string table;
  std::string key;
  {
    ServoType b(second);
    if (c.table == Table::kSmartDashboard) {
      key = std::string(c.what) + "/spare " + type + std::to_string(second);
      frc::SmartDashboard::PutData(key, &b);
      table = "/SmartDashboard/" + key;
    }
    if (c.table == Table::kLiveWindowMode) liveWindow->SetEnabled(true);
    WriteValues(c.table);
    Settle();
    if (c.table != Table::kSmartDashboard) table = "/LiveWindow/Ungrouped/" + NameOf(b);
    b.Set(0.7);
    WriteValues(c.table);
    ASSERT_EQ(Entry(table + "/Value"), b.Get()) << table;

    a.ClearGlobalErrors();
    a = std::move(b);
    EXPECT_FALSE(frc::SendableRegistry::GetInstance().Contains(&b));
    EXPECT_EQ(NameOf(a), type + "[" + std::to_string(second) + "]");
  }
  a.Set(0.1);
  for (int pass = 0; pass < 3; ++pass) {
    frc::SmartDashboard::UpdateValues();
    frc::LiveWindow::GetInstance()->UpdateValues();
  }
  EXPECT_EQ(Entry(table + "/Value"), a.Get()) << table << " shows the servo that took the entry";
  EXPECT_EQ(Errors(), "") << "the dashboard read a servo without a channel";
  if (c.table == Table::kLiveWindowMode) liveWindow->SetEnabled(false);
  if (!key.empty()) ForgetKey(key);
}

// The earlier tests keep their servos on channels 1, 3, 5, 7, 9, 11 and 19; the next ones let
// theirs go once their keys show something else.
TEST(ServoDashboardTest, AServoMovedOffTheDashboardAndDestroyedLeavesItClean) {
  for (const Case& c : kCases) {
    MoveAServoOffTheDashboard<Servo>(c, "Servo", 12, 13);
    MoveAServoOffTheDashboard<ServoContinuous>(c, "ServoContinuous", 14, 15);
  }
}

// Runs `f`, and ends the program failed should it not return within a few seconds: WPILib's move
// assignment of an object to itself never returns, and a test that reaches it should fail at
// once, not at CTest's timeout.
template <typename F>
void WithinSeconds(const char* what, F f) {
  velmora_test::Finished finished;
  std::thread watchdog([&finished, what] {
    if (!finished.WaitFor(std::chrono::seconds(10))) {
      std::fprintf(stderr, "%s: not done after 10 s; it hangs\n", what);
      std::fflush(nullptr);
      std::_Exit(3);
    }
  });
  f();
  finished.Set();
  watchdog.join();
}

// A servo assigned to itself keeps its channel, its entry and its tables.
template <typename ServoType>
void AssignAServoOnTheDashboardToItself(const Case& c, const std::string& type, int channel) {
  SCOPED_TRACE(c.what);
  auto* liveWindow = frc::LiveWindow::GetInstance();
  ServoType a(channel);
  std::string table = "/LiveWindow/Ungrouped/" + NameOf(a);
  std::string key;
  if (c.table == Table::kSmartDashboard) {
    key = std::string(c.what) + "/self " + type + std::to_string(channel);
    frc::SmartDashboard::PutData(key, &a);
    table = "/SmartDashboard/" + key;
  }
  if (c.table == Table::kLiveWindowMode) liveWindow->SetEnabled(true);
  WriteValues(c.table);
  Settle();
  a.Set(0.7);
  ServoType& same = a;
  WithinSeconds("assigning a servo to itself", [&] { a = std::move(same); });
  EXPECT_EQ(a.GetChannel(), channel);
  EXPECT_NEAR(a.Get(), 0.7, 1e-3);
  EXPECT_EQ(NameOf(a), type + "[" + std::to_string(channel) + "]");
  a.Set(0.2);
  WriteValues(c.table);
  EXPECT_EQ(Entry(table + "/Value"), a.Get()) << table;
  if (c.table == Table::kLiveWindowMode) liveWindow->SetEnabled(false);
  if (!key.empty()) ForgetKey(key);
}

TEST(ServoDashboardTest, AServoAssignedToItselfKeepsItsChannelAndEntry) {
  for (const Case& c : kCases) {
    AssignAServoOnTheDashboardToItself<Servo>(c, "Servo", 12);
    AssignAServoOnTheDashboardToItself<ServoContinuous>(c, "ServoContinuous", 14);
  }
}

// Both servos under SmartDashboard keys: the assigned-to servo takes the other's entry and key;
// its own key keeps its last value. The dashboard and LiveWindow keep working, with both keys,
// after the moved-from servo is gone and after the servo itself is.
template <typename ServoType>
void AssignBetweenTwoServosUnderKeys(const std::string& type) {
  SCOPED_TRACE(type);
  const std::string mine = "two keys/arm " + type;
  const std::string theirs = "two keys/spare " + type;
  {
    ServoType a(16);
    {
      ServoType b(17);
      frc::SmartDashboard::PutData(mine, &a);
      frc::SmartDashboard::PutData(theirs, &b);
      frc::SmartDashboard::UpdateValues();
      Settle();
      a.Set(0.7);
      frc::SmartDashboard::UpdateValues();
      const double last = frc::SmartDashboard::GetNumber(mine + "/Value", kUnset);

      a.ClearGlobalErrors();
      a = std::move(b);
      EXPECT_EQ(NameOf(a), type + "[17]");
      EXPECT_FALSE(frc::SendableRegistry::GetInstance().Contains(&b));
      a.Set(0.1);
      frc::SmartDashboard::UpdateValues();
      EXPECT_EQ(frc::SmartDashboard::GetNumber(theirs + "/Value", kUnset), a.Get());
      EXPECT_EQ(frc::SmartDashboard::GetNumber(mine + "/Value", kUnset), last);
    }
    for (int pass = 0; pass < 3; ++pass) {
      frc::SmartDashboard::UpdateValues();
      frc::LiveWindow::GetInstance()->UpdateValues();
    }
    EXPECT_EQ(Errors(), "");
    ForgetKey(theirs);  // the key whose servo goes next
  }
  frc::SmartDashboard::UpdateValues();
  frc::LiveWindow::GetInstance()->UpdateValues();
  ForgetKey(mine);
}

// After an assignment between two servos in LiveWindow's telemetry, either may be destroyed
// first: LiveWindow, which writes every entry each robot loop, never reaches a destroyed servo.
template <typename ServoType>
void DestroyEitherFirst(const std::string& type) {
  for (bool assignedToFirst : {true, false}) {
    SCOPED_TRACE(type + (assignedToFirst ? ": the assigned-to servo first" : ": the other first"));
    auto* liveWindow = frc::LiveWindow::GetInstance();
    auto a = std::make_unique<ServoType>(16);
    auto b = std::make_unique<ServoType>(17);
    a->ClearGlobalErrors();
    liveWindow->UpdateValues();
    *a = std::move(*b);
    a->Set(0.4);
    liveWindow->UpdateValues();
    (assignedToFirst ? a : b).reset();
    liveWindow->UpdateValues();
    frc::SmartDashboard::UpdateValues();
    a.reset();
    b.reset();
    liveWindow->UpdateValues();
    EXPECT_EQ(Errors(), "");
  }
}

TEST(ServoDashboardTest, EitherServoMayBeDestroyedFirstAfterAnAssignment) {
  DestroyEitherFirst<Servo>("Servo");
  DestroyEitherFirst<ServoContinuous>("ServoContinuous");
}

TEST(ServoDashboardTest, AssigningBetweenTwoServosUnderKeysKeepsBothKeysWorking) {
  AssignBetweenTwoServosUnderKeys<Servo>("Servo");
  AssignBetweenTwoServosUnderKeys<ServoContinuous>("ServoContinuous");
}

}  // namespace
