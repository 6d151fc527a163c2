// Assigning and moving servos that the dashboard shows: under a SmartDashboard key, in
// LiveWindow's test mode, or in LiveWindow's telemetry, which a robot loop writes for every PWM
// output from its first pass on. WPILib's registry has a moved object describe itself to its
// table again, so neither may let it reach a servo that is not complete, and no entry a key
// shows may leave the registry. Runs on the stand-in and on a real WPILib; its own program,
// since the dashboard and LiveWindow are process-wide.
#include <frc/livewindow/LiveWindow.h>
#include <frc/smartdashboard/SendableRegistry.h>
#include <frc/smartdashboard/SmartDashboard.h>
#include <networktables/NetworkTableInstance.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "gtest/gtest.h"
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

// Assigning releases the old channel and drives the other one; the servo keeps its dashboard
// entry, so its tables show the new channel's values. A servo constructed from it takes them on.
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

  a = std::move(b);  // this used to abort on a pure virtual call

  EXPECT_EQ(a.GetChannel(), second);
  EXPECT_EQ(NameOf(a), type + "[" + std::to_string(second) + "]");
  EXPECT_TRUE(frc::SendableRegistry::GetInstance().Contains(&b)) << "b keeps its entry";
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

}  // namespace
