#include "frc/smartdashboard/SendableRegistry.h"

#include <map>
#include <mutex>
#include <string>

#include "frc/smartdashboard/Sendable.h"
#include "wpilib_standin/Sim.h"

namespace frc {
namespace {

struct Component {
  Sendable* sendable = nullptr;  // null for a child registered as void*
  std::string name;
  std::string subsystem = "Ungrouped";
  Sendable* parent = nullptr;
  bool liveWindow = false;
};

struct Registry {
  mutable std::recursive_mutex mutex;
  std::map<const void*, Component> components;

  Component& GetOrAdd(const void* key) { return components[key]; }

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
  for (auto& entry : registry.components) {
    if (entry.second.parent == sendable) entry.second.parent = nullptr;
  }
  return true;
}

void SendableRegistry::Move(Sendable* to, Sendable* from) {
  Registry& registry = GetRegistry();
  std::lock_guard<std::recursive_mutex> lock(registry.mutex);
  auto it = registry.components.find(from);
  if (it == registry.components.end() || to == from) return;
  Component comp = std::move(it->second);
  registry.components.erase(it);
  comp.sendable = to;
  registry.components[to] = std::move(comp);
  for (auto& entry : registry.components) {
    if (entry.second.parent == from) entry.second.parent = to;
  }
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

}  // namespace frc

namespace wpilib_standin {

bool IsLiveWindowEnabled(const frc::Sendable* sendable) {
  frc::Registry& registry = frc::GetRegistry();
  std::lock_guard<std::recursive_mutex> lock(registry.mutex);
  const frc::Component* comp = registry.Find(sendable);
  return comp && comp->liveWindow;
}

}  // namespace wpilib_standin
