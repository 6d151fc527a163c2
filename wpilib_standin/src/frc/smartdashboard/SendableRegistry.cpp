#include "frc/smartdashboard/SendableRegistry.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "Internal.h"
#include "frc/smartdashboard/Sendable.h"
#include "networktables/NetworkTableInstance.h"
#include "wpilib_standin/InMemorySendableBuilder.h"
#include "wpilib_standin/Sim.h"

namespace frc {
namespace {

using wpilib_standin::dashboard::UID;

struct Component {
  UID uid = 0;                   // stays with the entry when the object moves
  Sendable* sendable = nullptr;  // null for a child registered as void*
  std::string name;
  std::string subsystem = "Ungrouped";
  Sendable* parent = nullptr;
  bool liveWindow = false;
  // What the object described to its dashboard table, once one is attached (table not empty).
  std::unique_ptr<wpilib_standin::InMemorySendableBuilder> builder =
      std::make_unique<wpilib_standin::InMemorySendableBuilder>();
  std::string table;
  bool telemetry = true;         // LiveWindow writes its values while not in LiveWindow mode
  bool liveWindowTable = false;  // LiveWindow has attached its table
};

struct Registry {
  mutable std::recursive_mutex mutex;
  std::map<const void*, Component> components;
  // Entries a move left behind: WPILib's Move re-keys the moved entry to the object moved to
  // without removing that object's own entry, which stays, no longer found by its object (so no
  // Remove reaches it), still shown in LiveWindow and under its SmartDashboard keys, and still
  // reading the object through the getters it gave. Kept here for the same reason.
  std::vector<Component> orphans;
  UID lastUid = 0;

  Component& GetOrAdd(const void* key) {
    Component& comp = components[key];
    if (comp.uid == 0) comp.uid = ++lastUid;
    return comp;
  }

  Component* FindUid(UID uid) {
    if (uid == 0) return nullptr;
    for (auto& entry : components) {
      if (entry.second.uid == uid) return &entry.second;
    }
    for (Component& orphan : orphans) {
      if (orphan.uid == uid) return &orphan;
    }
    return nullptr;
  }

  // Every entry LiveWindow goes through: the registered ones, then those moves left behind.
  template <typename F>
  void ForEach(F f) {
    for (auto& entry : components) f(entry.second);
    for (Component& orphan : orphans) f(orphan);
  }

  Component* Find(const void* key) {
    auto it = components.find(key);
    return it == components.end() ? nullptr : &it->second;
  }
  const Component* Find(const void* key) const {
    auto it = components.find(key);
    return it == components.end() ? nullptr : &it->second;
  }
};

// Never destroyed, so that objects destroyed at exit can still leave it.
Registry& GetRegistry() {
  static Registry* registry = new Registry;
  return *registry;
}

// "Type[channel]"
std::string ChannelName(const wpi::Twine& moduleType, int channel) {
  return (moduleType + wpi::Twine('[') + wpi::Twine(channel) + wpi::Twine(']')).str();
}

// "Type[module,channel]"
std::string ChannelName(const wpi::Twine& moduleType, int moduleNumber, int channel) {
  return (moduleType + wpi::Twine('[') + wpi::Twine(moduleNumber) + wpi::Twine(',') +
          wpi::Twine(channel) + wpi::Twine(']'))
      .str();
}

void AddEntry(Sendable* sendable, const wpi::Twine* subsystem, const wpi::Twine& name,
              bool liveWindow) {
  Registry& registry = GetRegistry();
  std::lock_guard<std::recursive_mutex> lock(registry.mutex);
  Component& comp = registry.GetOrAdd(sendable);
  comp.sendable = sendable;
  comp.name = name.str();
  if (subsystem) comp.subsystem = subsystem->str();
  if (liveWindow) comp.liveWindow = true;
}

}  // namespace

SendableRegistry& SendableRegistry::GetInstance() {
  static SendableRegistry* instance = new SendableRegistry;
  return *instance;
}

void SendableRegistry::Add(Sendable* sendable, const wpi::Twine& name) {
  AddEntry(sendable, nullptr, name, false);
}

void SendableRegistry::Add(Sendable* sendable, const wpi::Twine& moduleType, int channel) {
  AddEntry(sendable, nullptr, ChannelName(moduleType, channel), false);
}

void SendableRegistry::Add(Sendable* sendable, const wpi::Twine& moduleType, int moduleNumber,
                           int channel) {
  AddEntry(sendable, nullptr, ChannelName(moduleType, moduleNumber, channel), false);
}

void SendableRegistry::Add(Sendable* sendable, const wpi::Twine& subsystem,
                           const wpi::Twine& name) {
  AddEntry(sendable, &subsystem, name, false);
}

void SendableRegistry::AddLW(Sendable* sendable, const wpi::Twine& name) {
  AddEntry(sendable, nullptr, name, true);
}

void SendableRegistry::AddLW(Sendable* sendable, const wpi::Twine& moduleType, int channel) {
  AddEntry(sendable, nullptr, ChannelName(moduleType, channel), true);
}

void SendableRegistry::AddLW(Sendable* sendable, const wpi::Twine& moduleType, int moduleNumber,
                             int channel) {
  AddEntry(sendable, nullptr, ChannelName(moduleType, moduleNumber, channel), true);
}

void SendableRegistry::AddLW(Sendable* sendable, const wpi::Twine& subsystem,
                             const wpi::Twine& name) {
  AddEntry(sendable, &subsystem, name, true);
}

void SendableRegistry::AddChild(Sendable* parent, Sendable* child) {
  Registry& registry = GetRegistry();
  std::lock_guard<std::recursive_mutex> lock(registry.mutex);
  Component& comp = registry.GetOrAdd(child);
  comp.sendable = child;
  comp.parent = parent;
}

void SendableRegistry::AddChild(Sendable* parent, void* child) {
  Registry& registry = GetRegistry();
  std::lock_guard<std::recursive_mutex> lock(registry.mutex);
  registry.GetOrAdd(child).parent = parent;
}

bool SendableRegistry::Remove(Sendable* sendable) {
  Registry& registry = GetRegistry();
  std::lock_guard<std::recursive_mutex> lock(registry.mutex);
  if (registry.components.erase(sendable) == 0) return false;
  registry.ForEach([sendable](Component& comp) {
    if (comp.parent == sendable) comp.parent = nullptr;
  });
  return true;
}

// As WPILib's registry does: an entry with a dashboard table has the object describe itself again
// at once, since the getters and setters it gave before point into the object moved from. A move
// constructor of a class derived from SendableHelper calls this from its base, before the derived
// object exists: with a table attached, that is a pure virtual call and the program aborts. Moving
// an object onto itself re-describes it the same way; moving onto an object that has an entry of
// its own leaves that entry behind (see Registry::orphans).
void SendableRegistry::Move(Sendable* to, Sendable* from) {
  Registry& registry = GetRegistry();
  std::lock_guard<std::recursive_mutex> lock(registry.mutex);
  auto it = registry.components.find(from);
  if (it == registry.components.end()) return;
  Component comp = std::move(it->second);
  registry.components.erase(it);
  auto left = registry.components.find(to);
  if (left != registry.components.end()) {
    registry.orphans.push_back(std::move(left->second));
    registry.components.erase(left);
  }
  comp.sendable = to;
  Component& moved = registry.components[to] = std::move(comp);
  if (!moved.table.empty()) {
    moved.builder->ClearProperties();
    to->InitSendable(*moved.builder);
  }
  registry.ForEach([from, to](Component& c) {
    if (c.parent == from) c.parent = to;
  });
}

bool SendableRegistry::Contains(const Sendable* sendable) const {
  Registry& registry = GetRegistry();
  std::lock_guard<std::recursive_mutex> lock(registry.mutex);
  return registry.Find(sendable) != nullptr;
}

std::string SendableRegistry::GetName(const Sendable* sendable) const {
  Registry& registry = GetRegistry();
  std::lock_guard<std::recursive_mutex> lock(registry.mutex);
  const Component* comp = registry.Find(sendable);
  return comp ? comp->name : std::string();
}

void SendableRegistry::SetName(Sendable* sendable, const wpi::Twine& name) {
  Registry& registry = GetRegistry();
  std::lock_guard<std::recursive_mutex> lock(registry.mutex);
  if (Component* comp = registry.Find(sendable)) comp->name = name.str();
}

void SendableRegistry::SetName(Sendable* sendable, const wpi::Twine& moduleType, int channel) {
  SetName(sendable, ChannelName(moduleType, channel));
}

void SendableRegistry::SetName(Sendable* sendable, const wpi::Twine& moduleType, int moduleNumber,
                               int channel) {
  SetName(sendable, ChannelName(moduleType, moduleNumber, channel));
}

void SendableRegistry::SetName(Sendable* sendable, const wpi::Twine& subsystem,
                               const wpi::Twine& name) {
  Registry& registry = GetRegistry();
  std::lock_guard<std::recursive_mutex> lock(registry.mutex);
  if (Component* comp = registry.Find(sendable)) {
    comp->name = name.str();
    comp->subsystem = subsystem.str();
  }
}

std::string SendableRegistry::GetSubsystem(const Sendable* sendable) const {
  Registry& registry = GetRegistry();
  std::lock_guard<std::recursive_mutex> lock(registry.mutex);
  const Component* comp = registry.Find(sendable);
  return comp ? comp->subsystem : std::string();
}

void SendableRegistry::SetSubsystem(Sendable* sendable, const wpi::Twine& subsystem) {
  Registry& registry = GetRegistry();
  std::lock_guard<std::recursive_mutex> lock(registry.mutex);
  if (Component* comp = registry.Find(sendable)) comp->subsystem = subsystem.str();
}

void SendableRegistry::EnableLiveWindow(Sendable* sendable) {
  Registry& registry = GetRegistry();
  std::lock_guard<std::recursive_mutex> lock(registry.mutex);
  if (Component* comp = registry.Find(sendable)) comp->liveWindow = true;
}

void SendableRegistry::DisableLiveWindow(Sendable* sendable) {
  Registry& registry = GetRegistry();
  std::lock_guard<std::recursive_mutex> lock(registry.mutex);
  if (Component* comp = registry.Find(sendable)) comp->liveWindow = false;
}

}  // namespace frc

namespace wpilib_standin {

namespace dashboard {
namespace {

// Writes what the object describes into its table: each readable boolean, number and text
// property (the others have no value the stand-in keeps), then the object's own update function.
void UpdateTable(frc::Component& comp) {
  if (comp.table.empty()) return;
  InMemorySendableBuilder& builder = *comp.builder;
  auto entry = [&comp](const std::string& key) {
    return nt::NetworkTableInstance::GetDefault().GetEntry(comp.table + "/" + key);
  };
  if (!builder.GetSmartDashboardType().empty()) {
    entry(".type").SetString(builder.GetSmartDashboardType());
  }
  using Kind = InMemorySendableBuilder::PropertyKind;
  for (const std::string& key : builder.GetPropertyKeys()) {
    if (!builder.CanRead(key)) continue;
    switch (builder.GetPropertyKind(key)) {
      case Kind::kBoolean:
        entry(key).SetBoolean(builder.GetBoolean(key));
        break;
      case Kind::kDouble:
        entry(key).SetDouble(builder.GetDouble(key));
        break;
      case Kind::kString:
      case Kind::kRaw:
      case Kind::kSmallString:
      case Kind::kSmallRaw:
        entry(key).SetString(builder.GetString(key));
        break;
      default:
        break;
    }
  }
  builder.RunUpdateTable();
}

}  // namespace

UID GetUniqueId(frc::Sendable* sendable) {
  if (sendable == nullptr) return 0;
  frc::Registry& registry = frc::GetRegistry();
  std::lock_guard<std::recursive_mutex> lock(registry.mutex);
  frc::Component& comp = registry.GetOrAdd(sendable);
  comp.sendable = sendable;
  return comp.uid;
}

frc::Sendable* GetSendable(UID uid) {
  frc::Registry& registry = frc::GetRegistry();
  std::lock_guard<std::recursive_mutex> lock(registry.mutex);
  frc::Component* comp = registry.FindUid(uid);
  return comp ? comp->sendable : nullptr;
}

void Publish(UID uid, const std::string& table) {
  frc::Registry& registry = frc::GetRegistry();
  std::lock_guard<std::recursive_mutex> lock(registry.mutex);
  frc::Component* comp = registry.FindUid(uid);
  if (comp == nullptr || comp->sendable == nullptr) return;
  comp->builder->ClearProperties();
  comp->table = table;
  comp->sendable->InitSendable(*comp->builder);
  UpdateTable(*comp);
}

bool Update(UID uid) {
  frc::Registry& registry = frc::GetRegistry();
  std::lock_guard<std::recursive_mutex> lock(registry.mutex);
  frc::Component* comp = registry.FindUid(uid);
  if (comp == nullptr) return uid == 0;
  UpdateTable(*comp);
  return true;
}

void SetTelemetry(frc::Sendable* sendable, bool enabled) {
  frc::Registry& registry = frc::GetRegistry();
  std::lock_guard<std::recursive_mutex> lock(registry.mutex);
  if (frc::Component* comp = registry.Find(sendable)) comp->telemetry = enabled;
}

void DisableAllTelemetry() {
  frc::Registry& registry = frc::GetRegistry();
  std::lock_guard<std::recursive_mutex> lock(registry.mutex);
  registry.ForEach([](frc::Component& comp) { comp.telemetry = false; });
}

void UpdateLiveWindow(bool liveWindowMode, bool startLiveWindowMode) {
  frc::Registry& registry = frc::GetRegistry();
  std::lock_guard<std::recursive_mutex> lock(registry.mutex);
  registry.ForEach([&](frc::Component& comp) {
    if (!comp.liveWindow || comp.sendable == nullptr || comp.parent != nullptr) return;
    if (!liveWindowMode && !comp.telemetry) return;
    if (!comp.liveWindowTable) {
      // Tables wait for a name, so that a name set after construction is the one shown.
      if (comp.name.empty()) return;
      std::string table = "/LiveWindow/" + comp.subsystem;
      if (comp.name != comp.subsystem) table += "/" + comp.name;
      nt::NetworkTableInstance::GetDefault().GetEntry(table + "/.name").SetString(comp.name);
      comp.builder->ClearProperties();
      comp.table = table;
      comp.sendable->InitSendable(*comp.builder);
      comp.liveWindowTable = true;
    }
    if (startLiveWindowMode) comp.builder->RunSafeState();
    UpdateTable(comp);
  });
}

void StopLiveWindowMode() {
  frc::Registry& registry = frc::GetRegistry();
  std::lock_guard<std::recursive_mutex> lock(registry.mutex);
  registry.ForEach([](frc::Component& comp) {
    if (comp.liveWindow && comp.liveWindowTable) comp.builder->RunSafeState();
  });
}

}  // namespace dashboard

bool IsLiveWindowEnabled(const frc::Sendable* sendable) {
  frc::Registry& registry = frc::GetRegistry();
  std::lock_guard<std::recursive_mutex> lock(registry.mutex);
  const frc::Component* comp = registry.Find(sendable);
  return comp && comp->liveWindow;
}

}  // namespace wpilib_standin
