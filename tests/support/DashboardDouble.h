// A dashboard for tests: an frc::SendableBuilder that keeps what a device declares in its
// InitSendable, so a test can read and write the device's properties as the dashboard would.
// It is written against WPILib's public interface alone (every one of the builder's members), so
// the same tests run on the WPILib stand-in and on a real WPILib.
//
//   velmora_test::DashboardDouble dashboard(servo);  // runs servo.InitSendable(dashboard)
//   dashboard.Type();                                // "Servo"
//   dashboard.SetDouble("Value", 0.5);               // as if the dashboard wrote 0.5
//
// Reading a property that is missing, of another kind or without a getter (or writing one
// without a setter) throws std::out_of_range naming the key, so a test fails with a reason.
#pragma once

#include <frc/smartdashboard/Sendable.h>
#include <frc/smartdashboard/SendableBuilder.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace velmora_test {

class DashboardDouble : public frc::SendableBuilder {
 public:
  enum class Kind {
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

  DashboardDouble() = default;
  explicit DashboardDouble(frc::Sendable& sendable) { sendable.InitSendable(*this); }

  const std::string& Type() const { return m_type; }
  bool IsActuator() const { return m_actuator; }
  // Puts the device in its safe state, as entering or leaving test mode does.
  void RunSafeState() const {
    if (m_safeState) m_safeState();
  }
  bool HasSafeState() const { return static_cast<bool>(m_safeState); }

  std::vector<std::string> Keys() const {
    std::vector<std::string> keys;
    for (const Property& p : m_properties) keys.push_back(p.key);
    return keys;
  }
  Kind KindOf(const std::string& key) const { return Find(key).kind; }
  bool CanRead(const std::string& key) const { return Find(key).readable; }
  bool CanWrite(const std::string& key) const { return Find(key).writable; }

  double GetDouble(const std::string& key) const {
    const Property& p = Find(key, Kind::kDouble);
    if (!p.getDouble) throw Refused(key, "read");
    return p.getDouble();
  }
  void SetDouble(const std::string& key, double value) const {
    const Property& p = Find(key, Kind::kDouble);
    if (!p.setDouble) throw Refused(key, "written");
    p.setDouble(value);
  }
  bool GetBoolean(const std::string& key) const {
    const Property& p = Find(key, Kind::kBoolean);
    if (!p.getBoolean) throw Refused(key, "read");
    return p.getBoolean();
  }
  void SetBoolean(const std::string& key, bool value) const {
    const Property& p = Find(key, Kind::kBoolean);
    if (!p.setBoolean) throw Refused(key, "written");
    p.setBoolean(value);
  }
  std::string GetString(const std::string& key) const {
    const Property& p = Find(key, Kind::kString);
    if (!p.getString) throw Refused(key, "read");
    return p.getString();
  }

  // frc::SendableBuilder
  void SetSmartDashboardType(const wpi::Twine& type) override { m_type = type.str(); }
  void SetActuator(bool value) override { m_actuator = value; }
  void SetSafeState(std::function<void()> func) override { m_safeState = std::move(func); }
  void SetUpdateTable(std::function<void()> func) override { m_updateTable = std::move(func); }
  // Nothing is published: an entry without a table, as WPILib's own default entry is.
  nt::NetworkTableEntry GetEntry(const wpi::Twine&) override { return nt::NetworkTableEntry(); }

  void AddBooleanProperty(const wpi::Twine& key, std::function<bool()> getter,
                          std::function<void(bool)> setter) override {
    Property& p = Put(key, Kind::kBoolean, getter != nullptr, setter != nullptr);
    p.getBoolean = std::move(getter);
    p.setBoolean = std::move(setter);
  }
  void AddDoubleProperty(const wpi::Twine& key, std::function<double()> getter,
                         std::function<void(double)> setter) override {
    Property& p = Put(key, Kind::kDouble, getter != nullptr, setter != nullptr);
    p.getDouble = std::move(getter);
    p.setDouble = std::move(setter);
  }
  void AddStringProperty(const wpi::Twine& key, std::function<std::string()> getter,
                         std::function<void(wpi::StringRef)> setter) override {
    Property& p = Put(key, Kind::kString, getter != nullptr, setter != nullptr);
    p.getString = std::move(getter);
  }
  // The other kinds are recorded by key, kind and direction only: no device of this library
  // declares them, and a test that sees one fails on the kind.
  void AddBooleanArrayProperty(const wpi::Twine& key, std::function<std::vector<int>()> getter,
                               std::function<void(wpi::ArrayRef<int>)> setter) override {
    Put(key, Kind::kBooleanArray, getter != nullptr, setter != nullptr);
  }
  void AddDoubleArrayProperty(const wpi::Twine& key, std::function<std::vector<double>()> getter,
                              std::function<void(wpi::ArrayRef<double>)> setter) override {
    Put(key, Kind::kDoubleArray, getter != nullptr, setter != nullptr);
  }
  void AddStringArrayProperty(const wpi::Twine& key,
                              std::function<std::vector<std::string>()> getter,
                              std::function<void(wpi::ArrayRef<std::string>)> setter) override {
    Put(key, Kind::kStringArray, getter != nullptr, setter != nullptr);
  }
  void AddRawProperty(const wpi::Twine& key, std::function<std::string()> getter,
                      std::function<void(wpi::StringRef)> setter) override {
    Put(key, Kind::kRaw, getter != nullptr, setter != nullptr);
  }
  void AddValueProperty(const wpi::Twine& key, std::function<std::shared_ptr<nt::Value>()> getter,
                        std::function<void(std::shared_ptr<nt::Value>)> setter) override {
    Put(key, Kind::kValue, getter != nullptr, setter != nullptr);
  }
  void AddSmallStringProperty(const wpi::Twine& key,
                              std::function<wpi::StringRef(wpi::SmallVectorImpl<char>&)> getter,
                              std::function<void(wpi::StringRef)> setter) override {
    Put(key, Kind::kSmallString, getter != nullptr, setter != nullptr);
  }
  void AddSmallBooleanArrayProperty(
      const wpi::Twine& key, std::function<wpi::ArrayRef<int>(wpi::SmallVectorImpl<int>&)> getter,
      std::function<void(wpi::ArrayRef<int>)> setter) override {
    Put(key, Kind::kSmallBooleanArray, getter != nullptr, setter != nullptr);
  }
  void AddSmallDoubleArrayProperty(
      const wpi::Twine& key,
      std::function<wpi::ArrayRef<double>(wpi::SmallVectorImpl<double>&)> getter,
      std::function<void(wpi::ArrayRef<double>)> setter) override {
    Put(key, Kind::kSmallDoubleArray, getter != nullptr, setter != nullptr);
  }
  void AddSmallStringArrayProperty(
      const wpi::Twine& key,
      std::function<wpi::ArrayRef<std::string>(wpi::SmallVectorImpl<std::string>&)> getter,
      std::function<void(wpi::ArrayRef<std::string>)> setter) override {
    Put(key, Kind::kSmallStringArray, getter != nullptr, setter != nullptr);
  }
  void AddSmallRawProperty(const wpi::Twine& key,
                           std::function<wpi::StringRef(wpi::SmallVectorImpl<char>&)> getter,
                           std::function<void(wpi::StringRef)> setter) override {
    Put(key, Kind::kSmallRaw, getter != nullptr, setter != nullptr);
  }

 private:
  struct Property {
    std::string key;
    Kind kind = Kind::kDouble;
    bool readable = false;
    bool writable = false;
    std::function<double()> getDouble;
    std::function<void(double)> setDouble;
    std::function<bool()> getBoolean;
    std::function<void(bool)> setBoolean;
    std::function<std::string()> getString;
  };

  static std::out_of_range Refused(const std::string& key, const char* what) {
    return std::out_of_range("dashboard property \"" + key + "\" cannot be " + what);
  }
  const Property& Find(const std::string& key) const {
    for (const Property& p : m_properties) {
      if (p.key == key) return p;
    }
    throw std::out_of_range("no dashboard property \"" + key + "\"");
  }
  const Property& Find(const std::string& key, Kind kind) const {
    const Property& p = Find(key);
    if (p.kind != kind) {
      throw std::out_of_range("dashboard property \"" + key + "\" has another kind");
    }
    return p;
  }
  // A key declared again replaces the earlier property in its place, as the dashboard does.
  Property& Put(const wpi::Twine& key, Kind kind, bool readable, bool writable) {
    Property fresh;
    fresh.key = key.str();
    fresh.kind = kind;
    fresh.readable = readable;
    fresh.writable = writable;
    for (Property& p : m_properties) {
      if (p.key == fresh.key) return p = std::move(fresh);
    }
    m_properties.push_back(std::move(fresh));
    return m_properties.back();
  }

  std::string m_type;
  bool m_actuator = false;
  std::function<void()> m_safeState;
  std::function<void()> m_updateTable;
  std::vector<Property> m_properties;
};

}  // namespace velmora_test
