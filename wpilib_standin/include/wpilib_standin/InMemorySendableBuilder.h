#pragma once

// Stand-in only: a SendableBuilder that keeps what a Sendable declares in
// memory, so that a test or a demo can read and write a device's dashboard
// properties the way the dashboard would. It uses nothing but the public
// frc::SendableBuilder interface.
//
//   wpilib_standin::InMemorySendableBuilder builder;
//   builder.Build(servo);                    // runs servo.InitSendable(builder)
//   builder.GetSmartDashboardType();         // "Servo"
//   builder.SetDouble("Value", 0.5);         // as if the dashboard wrote 0.5
//   builder.GetDouble("Value");              // reads through the getter
//
// Reading a property that does not exist, has another type or has no getter
// (and writing one without a setter) throws std::out_of_range naming the key.

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "frc/smartdashboard/Sendable.h"
#include "frc/smartdashboard/SendableBuilder.h"
#include "networktables/NetworkTableEntry.h"
#include "wpi/ArrayRef.h"
#include "wpi/SmallVector.h"
#include "wpi/StringRef.h"
#include "wpi/Twine.h"

namespace wpilib_standin {

class InMemorySendableBuilder : public frc::SendableBuilder {
 public:
  // The thirteen kinds of property, named after their Add...Property call.
  enum class PropertyKind {
    kBoolean,
    kDouble,
    kString,
    kBooleanArray,
    kDoubleArray,
    kStringArray,
    kRaw,
    kValue,
    kSmallString,
    kSmallBooleanArray,
    kSmallDoubleArray,
    kSmallStringArray,
    kSmallRaw
  };

  // Forgets everything, then lets the object describe itself to this builder.
  void Build(frc::Sendable& sendable) {
    Clear();
    sendable.InitSendable(*this);
  }

  // Forgets the properties only, keeping the type, actuator flag, safe state and update
  // function, as a registry does before an object describes itself again.
  void ClearProperties() { m_properties.clear(); }

  void Clear() {
    m_type.clear();
    m_actuator = false;
    m_safeState = nullptr;
    m_updateTable = nullptr;
    m_properties.clear();
  }

  const std::string& GetSmartDashboardType() const { return m_type; }
  bool IsActuator() const { return m_actuator; }
  bool HasSafeState() const { return static_cast<bool>(m_safeState); }
  // Puts the object in its safe state, as entering or leaving LiveWindow does.
  void RunSafeState() {
    if (m_safeState) m_safeState();
  }
  bool HasUpdateTable() const { return static_cast<bool>(m_updateTable); }
  void RunUpdateTable() {
    if (m_updateTable) m_updateTable();
  }

  // Property keys in the order they were added.
  std::vector<std::string> GetPropertyKeys() const {
    std::vector<std::string> keys;
    for (const auto& property : m_properties) keys.push_back(property.key);
    return keys;
  }
  bool HasProperty(const std::string& key) const { return Find(key) != nullptr; }
  PropertyKind GetPropertyKind(const std::string& key) const { return Get(key).kind; }
  bool CanRead(const std::string& key) const { return Get(key).readable; }
  bool CanWrite(const std::string& key) const { return Get(key).writable; }

  double GetDouble(const std::string& key) const {
    const Property& p = Get(key, PropertyKind::kDouble);
    if (!p.doubleGetter) throw NotAllowed(key, "read");
    return p.doubleGetter();
  }
  void SetDouble(const std::string& key, double value) {
    const Property& p = Get(key, PropertyKind::kDouble);
    if (!p.doubleSetter) throw NotAllowed(key, "written");
    p.doubleSetter(value);
  }
  bool GetBoolean(const std::string& key) const {
    const Property& p = Get(key, PropertyKind::kBoolean);
    if (!p.booleanGetter) throw NotAllowed(key, "read");
    return p.booleanGetter();
  }
  void SetBoolean(const std::string& key, bool value) {
    const Property& p = Get(key, PropertyKind::kBoolean);
    if (!p.booleanSetter) throw NotAllowed(key, "written");
    p.booleanSetter(value);
  }
  // String, raw, small string and small raw properties.
  std::string GetString(const std::string& key) const {
    const Property& p = GetText(key);
    if (!p.stringGetter) throw NotAllowed(key, "read");
    return p.stringGetter();
  }
  void SetString(const std::string& key, const std::string& value) {
    const Property& p = GetText(key);
    if (!p.stringSetter) throw NotAllowed(key, "written");
    p.stringSetter(wpi::StringRef(value));
  }

  // frc::SendableBuilder
  void SetSmartDashboardType(const wpi::Twine& type) override { m_type = type.str(); }
  void SetActuator(bool value) override { m_actuator = value; }
  void SetSafeState(std::function<void()> func) override { m_safeState = std::move(func); }
  void SetUpdateTable(std::function<void()> func) override { m_updateTable = std::move(func); }
  nt::NetworkTableEntry GetEntry(const wpi::Twine&) override { return nt::NetworkTableEntry(); }

  void AddBooleanProperty(const wpi::Twine& key, std::function<bool()> getter,
                          std::function<void(bool)> setter) override {
    Property& p = Put(key, PropertyKind::kBoolean, getter != nullptr, setter != nullptr);
    p.booleanGetter = std::move(getter);
    p.booleanSetter = std::move(setter);
  }
  void AddDoubleProperty(const wpi::Twine& key, std::function<double()> getter,
                         std::function<void(double)> setter) override {
    Property& p = Put(key, PropertyKind::kDouble, getter != nullptr, setter != nullptr);
    p.doubleGetter = std::move(getter);
    p.doubleSetter = std::move(setter);
  }
  void AddStringProperty(const wpi::Twine& key, std::function<std::string()> getter,
                         std::function<void(wpi::StringRef)> setter) override {
    Property& p = Put(key, PropertyKind::kString, getter != nullptr, setter != nullptr);
    p.stringGetter = std::move(getter);
    p.stringSetter = std::move(setter);
  }
  void AddBooleanArrayProperty(const wpi::Twine& key, std::function<std::vector<int>()> getter,
                               std::function<void(wpi::ArrayRef<int>)> setter) override {
    Put(key, PropertyKind::kBooleanArray, getter != nullptr, setter != nullptr);
  }
  void AddDoubleArrayProperty(const wpi::Twine& key, std::function<std::vector<double>()> getter,
                              std::function<void(wpi::ArrayRef<double>)> setter) override {
    Put(key, PropertyKind::kDoubleArray, getter != nullptr, setter != nullptr);
  }
  void AddStringArrayProperty(const wpi::Twine& key,
                              std::function<std::vector<std::string>()> getter,
                              std::function<void(wpi::ArrayRef<std::string>)> setter) override {
    Put(key, PropertyKind::kStringArray, getter != nullptr, setter != nullptr);
  }
  void AddRawProperty(const wpi::Twine& key, std::function<std::string()> getter,
                      std::function<void(wpi::StringRef)> setter) override {
    Property& p = Put(key, PropertyKind::kRaw, getter != nullptr, setter != nullptr);
    p.stringGetter = std::move(getter);
    p.stringSetter = std::move(setter);
  }
  void AddValueProperty(const wpi::Twine& key, std::function<std::shared_ptr<nt::Value>()> getter,
                        std::function<void(std::shared_ptr<nt::Value>)> setter) override {
    Put(key, PropertyKind::kValue, getter != nullptr, setter != nullptr);
  }
  void AddSmallStringProperty(const wpi::Twine& key,
                              std::function<wpi::StringRef(wpi::SmallVectorImpl<char>& buf)> getter,
                              std::function<void(wpi::StringRef)> setter) override {
    PutSmallText(key, PropertyKind::kSmallString, std::move(getter), std::move(setter));
  }
  void AddSmallBooleanArrayProperty(
      const wpi::Twine& key,
      std::function<wpi::ArrayRef<int>(wpi::SmallVectorImpl<int>& buf)> getter,
      std::function<void(wpi::ArrayRef<int>)> setter) override {
    Put(key, PropertyKind::kSmallBooleanArray, getter != nullptr, setter != nullptr);
  }
  void AddSmallDoubleArrayProperty(
      const wpi::Twine& key,
      std::function<wpi::ArrayRef<double>(wpi::SmallVectorImpl<double>& buf)> getter,
      std::function<void(wpi::ArrayRef<double>)> setter) override {
    Put(key, PropertyKind::kSmallDoubleArray, getter != nullptr, setter != nullptr);
  }
  void AddSmallStringArrayProperty(
      const wpi::Twine& key,
      std::function<wpi::ArrayRef<std::string>(wpi::SmallVectorImpl<std::string>& buf)> getter,
      std::function<void(wpi::ArrayRef<std::string>)> setter) override {
    Put(key, PropertyKind::kSmallStringArray, getter != nullptr, setter != nullptr);
  }
  void AddSmallRawProperty(const wpi::Twine& key,
                           std::function<wpi::StringRef(wpi::SmallVectorImpl<char>& buf)> getter,
                           std::function<void(wpi::StringRef)> setter) override {
    PutSmallText(key, PropertyKind::kSmallRaw, std::move(getter), std::move(setter));
  }

 private:
  struct Property {
    std::string key;
    PropertyKind kind = PropertyKind::kDouble;
    bool readable = false;
    bool writable = false;
    std::function<bool()> booleanGetter;
    std::function<void(bool)> booleanSetter;
    std::function<double()> doubleGetter;
    std::function<void(double)> doubleSetter;
    std::function<std::string()> stringGetter;
    std::function<void(wpi::StringRef)> stringSetter;
  };

  static std::out_of_range NotAllowed(const std::string& key, const char* what) {
    return std::out_of_range("dashboard property \"" + key + "\" cannot be " + what);
  }

  const Property* Find(const std::string& key) const {
    for (const auto& property : m_properties) {
      if (property.key == key) return &property;
    }
    return nullptr;
  }
  const Property& Get(const std::string& key) const {
    const Property* p = Find(key);
    if (!p) throw std::out_of_range("no dashboard property \"" + key + "\"");
    return *p;
  }
  const Property& Get(const std::string& key, PropertyKind kind) const {
    const Property& p = Get(key);
    if (p.kind != kind)
      throw std::out_of_range("dashboard property \"" + key + "\" has another type");
    return p;
  }
  const Property& GetText(const std::string& key) const {
    const Property& p = Get(key);
    if (p.kind != PropertyKind::kString && p.kind != PropertyKind::kRaw &&
        p.kind != PropertyKind::kSmallString && p.kind != PropertyKind::kSmallRaw) {
      throw std::out_of_range("dashboard property \"" + key + "\" is not a string");
    }
    return p;
  }

  // Adds the property, or replaces one with the same key in its place.
  Property& Put(const wpi::Twine& key, PropertyKind kind, bool readable, bool writable) {
    Property fresh;
    fresh.key = key.str();
    fresh.kind = kind;
    fresh.readable = readable;
    fresh.writable = writable;
    for (auto& property : m_properties) {
      if (property.key == fresh.key) return property = std::move(fresh);
    }
    m_properties.push_back(std::move(fresh));
    return m_properties.back();
  }

  void PutSmallText(const wpi::Twine& key, PropertyKind kind,
                    std::function<wpi::StringRef(wpi::SmallVectorImpl<char>&)> getter,
                    std::function<void(wpi::StringRef)> setter) {
    Property& p = Put(key, kind, getter != nullptr, setter != nullptr);
    if (getter) {
      p.stringGetter = [getter = std::move(getter)]() {
        wpi::SmallVector<char, 128> buf;
        return getter(buf).str();
      };
    }
    p.stringSetter = std::move(setter);
  }

  std::string m_type;
  bool m_actuator = false;
  std::function<void()> m_safeState;
  std::function<void()> m_updateTable;
  std::vector<Property> m_properties;
};

}  // namespace wpilib_standin
