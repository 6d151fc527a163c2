#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "networktables/NetworkTableEntry.h"
#include "wpi/ArrayRef.h"
#include "wpi/SmallVector.h"
#include "wpi/StringRef.h"
#include "wpi/Twine.h"
#include "wpilib_standin/Export.h"

namespace nt {
class Value;
}  // namespace nt

namespace frc {

// What a Sendable's InitSendable talks to: the dashboard type, whether the
// object is an actuator, its safe state, and its properties, each with a
// getter (empty: write-only) and a setter (empty: read-only).
class WPILIB_STANDIN_INTERFACE SendableBuilder {
 public:
  virtual ~SendableBuilder() = default;

  virtual void SetSmartDashboardType(const wpi::Twine& type) = 0;
  virtual void SetActuator(bool value) = 0;
  virtual void SetSafeState(std::function<void()> func) = 0;
  virtual void SetUpdateTable(std::function<void()> func) = 0;
  virtual nt::NetworkTableEntry GetEntry(const wpi::Twine& key) = 0;

  virtual void AddBooleanProperty(const wpi::Twine& key, std::function<bool()> getter,
                                  std::function<void(bool)> setter) = 0;
  virtual void AddDoubleProperty(const wpi::Twine& key, std::function<double()> getter,
                                 std::function<void(double)> setter) = 0;
  virtual void AddStringProperty(const wpi::Twine& key, std::function<std::string()> getter,
                                 std::function<void(wpi::StringRef)> setter) = 0;
  virtual void AddBooleanArrayProperty(const wpi::Twine& key,
                                       std::function<std::vector<int>()> getter,
                                       std::function<void(wpi::ArrayRef<int>)> setter) = 0;
  virtual void AddDoubleArrayProperty(const wpi::Twine& key,
                                      std::function<std::vector<double>()> getter,
                                      std::function<void(wpi::ArrayRef<double>)> setter) = 0;
  virtual void AddStringArrayProperty(const wpi::Twine& key,
                                      std::function<std::vector<std::string>()> getter,
                                      std::function<void(wpi::ArrayRef<std::string>)> setter) = 0;
  virtual void AddRawProperty(const wpi::Twine& key, std::function<std::string()> getter,
                              std::function<void(wpi::StringRef)> setter) = 0;
  virtual void AddValueProperty(const wpi::Twine& key,
                                std::function<std::shared_ptr<nt::Value>()> getter,
                                std::function<void(std::shared_ptr<nt::Value>)> setter) = 0;
  virtual void AddSmallStringProperty(
      const wpi::Twine& key, std::function<wpi::StringRef(wpi::SmallVectorImpl<char>& buf)> getter,
      std::function<void(wpi::StringRef)> setter) = 0;
  virtual void AddSmallBooleanArrayProperty(
      const wpi::Twine& key,
      std::function<wpi::ArrayRef<int>(wpi::SmallVectorImpl<int>& buf)> getter,
      std::function<void(wpi::ArrayRef<int>)> setter) = 0;
  virtual void AddSmallDoubleArrayProperty(
      const wpi::Twine& key,
      std::function<wpi::ArrayRef<double>(wpi::SmallVectorImpl<double>& buf)> getter,
      std::function<void(wpi::ArrayRef<double>)> setter) = 0;
  virtual void AddSmallStringArrayProperty(
      const wpi::Twine& key,
      std::function<wpi::ArrayRef<std::string>(wpi::SmallVectorImpl<std::string>& buf)> getter,
      std::function<void(wpi::ArrayRef<std::string>)> setter) = 0;
  virtual void AddSmallRawProperty(
      const wpi::Twine& key, std::function<wpi::StringRef(wpi::SmallVectorImpl<char>& buf)> getter,
      std::function<void(wpi::StringRef)> setter) = 0;
};

}  // namespace frc
