#include "velmora/Orvex.h"

#include <stdexcept>
#include <string>

#include "../driver_link/VelmoraDriver.h"

namespace velmora {
namespace {

constexpr int kHighestIndex = Orvex::kChannelCount - 1;

[[noreturn]] void ThrowBadIndex(const char* prefix, int index) {
  throw std::out_of_range(std::string(prefix) + std::to_string(kHighestIndex) +
                          "], got: " + std::to_string(index));
}

}  // namespace

Orvex::Orvex(int id, int frequency) : m_handle(c_Orvex_create(id, frequency)) {}

Orvex::Orvex(int id) : Orvex(id, kDefaultFrequency) {}

Orvex::~Orvex() {
  // The destroy call is the last word to the device; the channel objects make no driver call
  // when they go. Release the cache, then encoders, then motors, each array from slot 3 down.
  c_Orvex_destroy(m_handle);
  m_firmwareVersion.clear();
  m_hardwareVersion.clear();
  for (int i = kChannelCount - 1; i >= 0; --i) m_encoders[i].reset();
  for (int i = kChannelCount - 1; i >= 0; --i) m_motors[i].reset();
}

void Orvex::CheckMotorIndex(int motorIndex) {
  if (motorIndex < 0 || motorIndex >= kChannelCount) {
    ThrowBadIndex("Motor index must be in [0, ", motorIndex);
  }
}

void Orvex::CheckEncoderIndex(int encoderIndex) {
  if (encoderIndex < 0 || encoderIndex >= kChannelCount) {
    ThrowBadIndex("Encoder index must be in [0, ", encoderIndex);
  }
}

Orvex::Motor& Orvex::GetMotor(int motorIndex) {
  CheckMotorIndex(motorIndex);
  auto& slot = m_motors[motorIndex];
  if (!slot) slot = std::make_unique<Motor>(m_handle, motorIndex);
  return *slot;
}

Orvex::Encoder& Orvex::GetEncoder(int encoderIndex, double setupValue) {
  CheckEncoderIndex(encoderIndex);
  auto& slot = m_encoders[encoderIndex];
  if (!slot) {
    c_Orvex_setEncoder(m_handle, static_cast<uint8_t>(encoderIndex), setupValue);
    slot = std::make_unique<Encoder>(m_handle, encoderIndex);
  }
  return *slot;
}

void Orvex::PopulateDeviceInfo() {
  if (m_id != 0 && !m_firmwareVersion.empty() && !m_hardwareVersion.empty()) return;
  m_id = c_Orvex_getID(m_handle);
  m_firmwareVersion = c_Orvex_getFirmwareVersion(m_handle);
  m_hardwareVersion = c_Orvex_getHardwareVersion(m_handle);
}

int Orvex::GetID() {
  PopulateDeviceInfo();
  return m_id;
}

std::string Orvex::GetFirmwareVersion() {
  PopulateDeviceInfo();
  return m_firmwareVersion;
}

std::string Orvex::GetHardwareVersion() {
  PopulateDeviceInfo();
  return m_hardwareVersion;
}

int Orvex::GetFrequency() { return c_Orvex_getFrequency(m_handle); }

std::string Orvex::GetSerialNumber() { return c_Orvex_getSerialNumber(m_handle); }

double Orvex::GetControllerTemp() { return c_Orvex_getControllerTemp(m_handle); }

void Orvex::SetMotorStopMode(unsigned char mode) { c_Orvex_setMotorStopMode(m_handle, mode); }

void Orvex::SetPIDType(unsigned char type) { c_Orvex_setPIDType(m_handle, type); }

void Orvex::AutotuneAll() { c_Orvex_autotuneAll(m_handle); }

void Orvex::SetCANSensorOsDelay(unsigned short delay) {
  c_Orvex_setCANSensorOsDelay(m_handle, delay);
}

bool Orvex::GetTargetRPMFromDevice(double* const targets) {
  // The driver writes through this pointer unchecked; a null would crash the robot program.
  if (targets == nullptr) return false;
  return c_Orvex_getTargetRPMFromDevice(m_handle, targets);
}

}  // namespace velmora
