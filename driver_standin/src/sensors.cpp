// Simulated CAN/USB sensors: the Lumira colour sensor and the Pallax sensor, plus the USB port to
// device path look-up they share.
#include <new>

#include "../../src/driver_link/VelmoraDriver.h"
#include "internal.h"

using velmora_standin::internal::ApplyFill;
using velmora_standin::internal::Next;
using velmora_standin::internal::Record;

namespace {

constexpr int32_t kTransportCan = 0;
constexpr int32_t kTransportUsb = 1;

struct Sensor {
  int32_t canId = 0;
  int32_t transport = kTransportCan;
  std::string path;
};

// A create call: a scripted null fails it, otherwise a new simulated sensor.
Sensor* Open(const char* function, int32_t canId, int32_t transport, const char* path) {
  if (auto r = Next(function)) {
    if (r->integer == 0) return nullptr;
  }
  auto* s = new (std::nothrow) Sensor;
  if (s == nullptr) return nullptr;
  s->canId = canId;
  s->transport = transport;
  s->path = path != nullptr ? path : "";
  return s;
}

Sensor* AsSensor(void* handle) { return static_cast<Sensor*>(handle); }

// A bool-returning setter: the scripted result if any, else success for an open sensor.
bool SetterResult(const char* function, void* handle) {
  if (auto r = Next(function)) return r->integer != 0;
  return handle != nullptr;
}

}  // namespace

namespace velmora_standin::internal {
void ResetSensorSims() {}
}  // namespace velmora_standin::internal

extern "C" {

std::string FindDevicePath(int32_t port) {
  Record("FindDevicePath", port);
  if (auto r = Next("FindDevicePath")) return r->text;
  return "/dev/ttyACM" + std::to_string(port);
}

void* c_Lumira_create(int32_t canId) {
  Record("c_Lumira_create", canId);
  return Open("c_Lumira_create", canId, kTransportCan, nullptr);
}

void* c_Lumira_createUsb(const char* path, int32_t n) {
  Record("c_Lumira_createUsb", path, n);
  return Open("c_Lumira_createUsb", 0, kTransportUsb, path);
}

void c_Lumira_destroy(void* handle) {
  Record("c_Lumira_destroy", handle);
  delete AsSensor(handle);
}

bool c_Lumira_getColor(void* handle, velmora_driver::LumiraColorRecord* color) {
  Record("c_Lumira_getColor", handle, color);
  if (auto r = Next("c_Lumira_getColor")) {
    ApplyFill(*r, color);
    return r->integer != 0 || r->hasFill;
  }
  if (color == nullptr || handle == nullptr) return false;
  color->header = 0xC0;
  color->component1 = 0.2f;
  color->component2 = 0.3f;
  color->component3 = 0.25f;
  color->trailer = 0x0F;
  return true;
}

bool c_Lumira_setColorFormat(void* handle, uint8_t format) {
  Record("c_Lumira_setColorFormat", handle, format);
  return SetterResult("c_Lumira_setColorFormat", handle);
}

bool c_Lumira_setSampleTimeMs(void* handle, uint16_t milliseconds) {
  Record("c_Lumira_setSampleTimeMs", handle, milliseconds);
  return SetterResult("c_Lumira_setSampleTimeMs", handle);
}

bool c_Lumira_setBrightness(void* handle, uint8_t brightness) {
  Record("c_Lumira_setBrightness", handle, brightness);
  return SetterResult("c_Lumira_setBrightness", handle);
}

bool c_Lumira_setStatusLed(void* handle, bool on, uint8_t value) {
  Record("c_Lumira_setStatusLed", handle, on, value);
  return SetterResult("c_Lumira_setStatusLed", handle);
}

bool c_Lumira_setMeasureMode(void* handle, uint8_t mode, float value) {
  Record("c_Lumira_setMeasureMode", handle, mode, value);
  return SetterResult("c_Lumira_setMeasureMode", handle);
}

bool c_Lumira_setZmm(void* handle, float millimetres) {
  Record("c_Lumira_setZmm", handle, millimetres);
  return SetterResult("c_Lumira_setZmm", handle);
}

bool c_Lumira_setUsbOverride(void* handle, bool enable) {
  Record("c_Lumira_setUsbOverride", handle, enable);
  return SetterResult("c_Lumira_setUsbOverride", handle);
}

bool c_Lumira_setCanId(void* handle, int32_t canId) {
  Record("c_Lumira_setCanId", handle, canId);
  const bool ok = SetterResult("c_Lumira_setCanId", handle);
  if (ok && handle != nullptr) AsSensor(handle)->canId = canId;
  return ok;
}

bool c_Lumira_getConfig(void* handle, uint8_t item, uint32_t* value) {
  Record("c_Lumira_getConfig", handle, item, value);
  if (auto r = Next("c_Lumira_getConfig")) {
    ApplyFill(*r, value);
    return r->integer != 0;
  }
  if (handle == nullptr || value == nullptr) return false;
  *value = 0;
  return true;
}

int32_t c_Lumira_getCanID(void* handle) {
  Record("c_Lumira_getCanID", handle);
  if (auto r = Next("c_Lumira_getCanID")) return static_cast<int32_t>(r->integer);
  return handle != nullptr ? AsSensor(handle)->canId : 0;
}

int32_t c_Lumira_getTransport(void* handle) {
  Record("c_Lumira_getTransport", handle);
  if (auto r = Next("c_Lumira_getTransport")) return static_cast<int32_t>(r->integer);
  return handle != nullptr ? AsSensor(handle)->transport : kTransportCan;
}

void* c_Pallax_create(int32_t canId) {
  Record("c_Pallax_create", canId);
  return Open("c_Pallax_create", canId, kTransportCan, nullptr);
}

void* c_Pallax_createUsb(const char* path, int32_t n) {
  Record("c_Pallax_createUsb", path, n);
  return Open("c_Pallax_createUsb", 0, kTransportUsb, path);
}

void c_Pallax_destroy(void* handle) {
  Record("c_Pallax_destroy", handle);
  delete AsSensor(handle);
}

bool c_Pallax_getData(void* handle, velmora_driver::PallaxScanRecord* scan, int32_t length) {
  Record("c_Pallax_getData", handle, scan, length);
  if (auto r = Next("c_Pallax_getData")) {
    ApplyFill(*r, scan);
    return r->integer != 0 || r->hasFill;
  }
  if (handle == nullptr || scan == nullptr) return false;
  const int32_t n =
      length < 0
          ? 0
          : (length > velmora_driver::kPallaxMaxValues ? velmora_driver::kPallaxMaxValues : length);
  scan->header = 0xA5;
  scan->count = n;
  for (int32_t i = 0; i < n; ++i) scan->values[i] = static_cast<int16_t>(100 * i - 1000);
  return true;
}

bool c_Pallax_getConfig(void* handle, velmora_driver::PallaxConfigRecord* config, int32_t item) {
  Record("c_Pallax_getConfig", handle, config, item);
  if (auto r = Next("c_Pallax_getConfig")) {
    ApplyFill(*r, config);
    return r->integer != 0 || r->hasFill;
  }
  if (handle == nullptr || config == nullptr) return false;
  *config = velmora_driver::PallaxConfigRecord{1, 1, 0, 1, 20, 30};
  return true;
}

int32_t c_Pallax_getCanID(void* handle) {
  Record("c_Pallax_getCanID", handle);
  if (auto r = Next("c_Pallax_getCanID")) return static_cast<int32_t>(r->integer);
  return handle != nullptr ? AsSensor(handle)->canId : 0;
}

int32_t c_Pallax_getTransport(void* handle) {
  Record("c_Pallax_getTransport", handle);
  if (auto r = Next("c_Pallax_getTransport")) return static_cast<int32_t>(r->integer);
  return handle != nullptr ? AsSensor(handle)->transport : kTransportCan;
}

}  // extern "C"
