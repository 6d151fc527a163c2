#include "frc/smartdashboard/SmartDashboard.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>

#include "Internal.h"
#include "frc/ErrorBase.h"
#include "frc/WPIErrors.h"
#include "frc/smartdashboard/SendableRegistry.h"
#include "networktables/NetworkTableInstance.h"

namespace frc {
namespace {

constexpr const char* kTable = "/SmartDashboard/";

// The registry entry shown under each key.
struct Keys {
  std::mutex mutex;
  std::map<std::string, wpilib_standin::dashboard::UID> entries;
};

// Never destroyed, so that objects destroyed at exit find it.
Keys& GetKeys() {
  static Keys* keys = new Keys;
  return *keys;
}

}  // namespace

nt::NetworkTableEntry SmartDashboard::GetEntry(wpi::StringRef key) {
  return nt::NetworkTableInstance::GetDefault().GetEntry(kTable + key.str());
}

void SmartDashboard::PutData(wpi::StringRef key, Sendable* data) {
  if (data == nullptr) {
    wpi_setGlobalWPIErrorWithContext(NullParameter, "value");
    return;
  }
  Keys& keys = GetKeys();
  std::lock_guard<std::mutex> lock(keys.mutex);
  wpilib_standin::dashboard::UID& uid = keys.entries[key.str()];
  if (wpilib_standin::dashboard::GetSendable(uid) != data) {
    uid = wpilib_standin::dashboard::GetUniqueId(data);
    const std::string table = kTable + key.str();
    wpilib_standin::dashboard::Publish(uid, table);
    nt::NetworkTableInstance::GetDefault().GetEntry(table + "/.name").SetString(key);
  }
}

void SmartDashboard::PutData(Sendable* value) {
  if (value == nullptr) {
    wpi_setGlobalWPIErrorWithContext(NullParameter, "value");
    return;
  }
  const std::string name = SendableRegistry::GetInstance().GetName(value);
  if (!name.empty()) PutData(name, value);
}

Sendable* SmartDashboard::GetData(wpi::StringRef keyName) {
  Keys& keys = GetKeys();
  std::lock_guard<std::mutex> lock(keys.mutex);
  auto it = keys.entries.find(keyName.str());
  Sendable* data =
      it == keys.entries.end() ? nullptr : wpilib_standin::dashboard::GetSendable(it->second);
  if (data == nullptr) {
    wpi_setGlobalWPIErrorWithContext(SmartDashboardMissingKey, keyName);
  }
  return data;
}

bool SmartDashboard::PutNumber(wpi::StringRef keyName, double value) {
  return GetEntry(keyName).SetDouble(value);
}

double SmartDashboard::GetNumber(wpi::StringRef keyName, double defaultValue) {
  return GetEntry(keyName).GetDouble(defaultValue);
}

void SmartDashboard::UpdateValues() {
  Keys& keys = GetKeys();
  std::lock_guard<std::mutex> lock(keys.mutex);
  for (const auto& entry : keys.entries) {
    if (wpilib_standin::dashboard::Update(entry.second)) continue;
    // WPILib 2020 reads a key's entry without looking whether it is still there: once the object
    // a key shows has left the registry (destroyed, say), the next update crashes the program.
    // The stand-in stops there too, and says why.
    std::fprintf(stderr,
                 "SmartDashboard::UpdateValues: the object under the key \"%s\" has left the "
                 "dashboard registry; WPILib 2020 crashes here\n",
                 entry.first.c_str());
    std::abort();
  }
}

}  // namespace frc
