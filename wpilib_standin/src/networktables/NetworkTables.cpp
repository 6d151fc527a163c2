#include <map>
#include <mutex>
#include <string>

#include "networktables/NetworkTableEntry.h"
#include "networktables/NetworkTableInstance.h"

namespace nt {
namespace {

struct Value {
  enum class Type { kBoolean, kDouble, kString } type = Type::kDouble;
  bool boolean = false;
  double number = 0.0;
  std::string text;
};

struct Store {
  std::mutex mutex;
  std::map<std::string, Value> values;
};

// Never destroyed, so that objects destroyed at exit can still write to it.
Store& GetStore() {
  static Store* store = new Store;
  return *store;
}

// The value at `name` if it has type `type`, or null.
const Value* Find(std::map<std::string, Value>& values, const std::string& name, Value::Type type) {
  auto it = values.find(name);
  return it == values.end() || it->second.type != type ? nullptr : &it->second;
}

// The slot for a value of type `type` at `name`, or null when another type is there.
Value* Slot(std::map<std::string, Value>& values, const std::string& name, Value::Type type) {
  auto inserted = values.try_emplace(name);
  if (inserted.second) inserted.first->second.type = type;
  return inserted.first->second.type == type ? &inserted.first->second : nullptr;
}

}  // namespace

bool NetworkTableEntry::Exists() const {
  Store& store = GetStore();
  std::lock_guard<std::mutex> lock(store.mutex);
  return store.values.count(m_name) != 0;
}

bool NetworkTableEntry::GetBoolean(bool defaultValue) const {
  Store& store = GetStore();
  std::lock_guard<std::mutex> lock(store.mutex);
  const Value* value = Find(store.values, m_name, Value::Type::kBoolean);
  return value ? value->boolean : defaultValue;
}

double NetworkTableEntry::GetDouble(double defaultValue) const {
  Store& store = GetStore();
  std::lock_guard<std::mutex> lock(store.mutex);
  const Value* value = Find(store.values, m_name, Value::Type::kDouble);
  return value ? value->number : defaultValue;
}

std::string NetworkTableEntry::GetString(wpi::StringRef defaultValue) const {
  Store& store = GetStore();
  std::lock_guard<std::mutex> lock(store.mutex);
  const Value* value = Find(store.values, m_name, Value::Type::kString);
  return value ? value->text : defaultValue.str();
}

bool NetworkTableEntry::SetBoolean(bool value) {
  if (m_name.empty()) return false;
  Store& store = GetStore();
  std::lock_guard<std::mutex> lock(store.mutex);
  Value* slot = Slot(store.values, m_name, Value::Type::kBoolean);
  if (slot) slot->boolean = value;
  return slot != nullptr;
}

bool NetworkTableEntry::SetDouble(double value) {
  if (m_name.empty()) return false;
  Store& store = GetStore();
  std::lock_guard<std::mutex> lock(store.mutex);
  Value* slot = Slot(store.values, m_name, Value::Type::kDouble);
  if (slot) slot->number = value;
  return slot != nullptr;
}

bool NetworkTableEntry::SetString(const wpi::Twine& value) {
  if (m_name.empty()) return false;
  Store& store = GetStore();
  std::lock_guard<std::mutex> lock(store.mutex);
  Value* slot = Slot(store.values, m_name, Value::Type::kString);
  if (slot) slot->text = value.str();
  return slot != nullptr;
}

NetworkTableInstance NetworkTableInstance::GetDefault() { return NetworkTableInstance(); }

NetworkTableEntry NetworkTableInstance::GetEntry(const wpi::Twine& name) {
  return NetworkTableEntry(name.str());
}

}  // namespace nt
