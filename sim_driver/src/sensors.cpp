// Simulated CAN/USB sensors: the Lumira colour sensor and the Pallax sensor, plus the USB port to
// device path look-up they share.
//
// Each open sensor is one Sensor object; its address is the handle. A colour sensor remembers
// what it was told and reads the colour of what it looks at, which lives apart from the sensors
// (Surroundings).
//
// What a colour sensor looks at: the floor of the simulated field straight below the robot's
// centre, where the sensor is mounted facing down. The floor is the field's carpet (grey unless
// SetField says otherwise) with one line across it (blue unless set), lineWidth wide and centred
// on x = lineX.
// A test can instead hold every sensor on one colour with SetLumiraColor, until the next Reset.
#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <iostream>
#include <new>

#include "../../src/driver_link/VelmoraDriver.h"
#include "internal.h"
#include "panel.h"

using velmora_sim::internal::ApplyFill;
using velmora_sim::internal::Next;
using velmora_sim::internal::Record;

namespace {

constexpr int32_t kTransportCan = 0;
constexpr int32_t kTransportUsb = 1;
constexpr int32_t kHighestCanId = 63;

// Colour formats, measure modes and configuration items, as the colour sensor numbers them.
constexpr uint8_t kFormatRgb = 0;
constexpr uint8_t kFormatHsv = 1;
constexpr uint8_t kFormatXyz = 2;
constexpr uint8_t kHighestMeasureMode = 2;
enum ConfigItem : uint8_t {
  kItemColorFormat = 0,
  kItemSampleTimeMs = 1,
  kItemBrightness = 2,
  kItemMeasureMode = 3,
  kItemCanId = 4,
  kItemUsbOverride = 5,
  kItemStatusLed = 6,
};

struct Rgb {
  float red;
  float green;
  float blue;
};

constexpr Rgb kGrey{0.5f, 0.5f, 0.5f};

// What the sensors look at: the field's floor, unless a test holds a colour of its own.
struct Surroundings {
  bool held = false;
  Rgb surface = kGrey;
};

Surroundings& World() {
  static Surroundings world;
  return world;
}

Rgb FloorColour() {
  if (World().held) return World().surface;
  const velmora_sim::FieldLayout field = velmora_sim::Field();
  const velmora_sim::RobotPose robot = velmora_sim::Robot();
  const bool onLine = std::fabs(robot.x - field.lineX) <= field.lineWidth / 2.0;
  const float* c = onLine ? field.line : field.carpet;
  return Rgb{c[0], c[1], c[2]};
}

struct LumiraSettings {
  uint8_t colorFormat = kFormatRgb;
  uint16_t sampleTimeMs = 50;
  uint8_t brightness = 128;
  uint8_t measureMode = 0;
  float measureValue = 0.0f;
  float zmm = 0.0f;
  bool usbOverride = false;
  bool ledOn = true;
  uint8_t ledValue = 255;
};

struct Sensor {
  int32_t canId = 0;
  int32_t transport = kTransportCan;
  std::string path;
  uint16_t readings = 0;  // readings or scans taken so far
  LumiraSettings lumira;  // colour sensors only
  bool lumiraKind = false;
  // A colour set on this sensor's sim device: it sees that from then on, whatever the floor.
  bool colourHeld = false;
  Rgb colour = kGrey;
  // The sensor in WPILib's simulation: "Lumira[CAN 3]", "Pallax[/dev/ttyACM0]".
  velmora_sim::internal::Panel panel;
};

// The sensors that are open, so that their sim devices can be kept up to date. Never destroyed,
// like the sensors a program leaves open.
std::vector<Sensor*>& OpenSensors() {
  static auto* sensors = new std::vector<Sensor*>;
  return *sensors;
}

// Sensors a Reset took from a program that still holds their handles, until it destroys them.
std::vector<Sensor*>& RetiredSensors() {
  static auto* sensors = new std::vector<Sensor*>;
  return *sensors;
}

// The open sensor behind a handle; null for null, unknown or released handles.
Sensor* FindSensor(void* handle) {
  if (handle == nullptr) return nullptr;
  for (Sensor* s : OpenSensors()) {
    if (s == handle) return s;
  }
  return nullptr;
}

Rgb SurfaceColour(const Sensor& s) { return s.colourHeld ? s.colour : FloorColour(); }

// A colour sensor's sim values, in this order: what it sees (settable) and what it does.
enum LumiraValue : size_t { kRed, kGreen, kBlue, kFormat, kReadings };
constexpr const char* kFormatNames[] = {"RGB", "HSV", "XYZ"};
// A Pallax sensor's.
enum PallaxValue : size_t { kScans };

// A sensor on USB is known to the driver by its device path: "Lumira[/dev/ttyACM1]".
void MakePanel(Sensor& s, const char* kind) {
  const std::string address =
      s.transport == kTransportUsb ? s.path : "CAN " + std::to_string(s.canId);
  s.panel = velmora_sim::internal::Panel(std::string(kind) + "[" + address + "]");
  if (s.lumiraKind) {
    const Rgb c = SurfaceColour(s);
    s.panel.Double("Red", true, c.red);
    s.panel.Double("Green", true, c.green);
    s.panel.Double("Blue", true, c.blue);
    s.panel.Enum("Colour format", false, kFormatNames, 3, s.lumira.colorFormat);
    s.panel.Double("Readings", false, 0.0);
  } else {
    s.panel.Double("Scans", false, 0.0);
  }
}

void ShowSensor(Sensor& s) {
  if (!s.panel.Shown()) return;
  if (!s.lumiraKind) {
    s.panel.Show(kScans, s.readings);
    return;
  }
  const Rgb c = SurfaceColour(s);
  s.panel.Show(kRed, c.red);
  s.panel.Show(kGreen, c.green);
  s.panel.Show(kBlue, c.blue);
  s.panel.Show(kFormat, s.lumira.colorFormat);
  s.panel.Show(kReadings, s.readings);
}

void ReadSensor(Sensor& s) {
  if (!s.lumiraKind || !s.panel.Shown()) return;
  bool changed = false;
  for (size_t slot : {kRed, kGreen, kBlue}) changed = s.panel.Changed(slot).has_value() || changed;
  if (!changed) return;
  // A sensor reports each component from 0 (no light) to 1 (full scale), whatever a tool sets:
  // more than full scale reads full scale, and a value that is no number reads no light.
  const auto component = [&](size_t slot) {
    const double v = s.panel.Shown(slot);
    return std::isnan(v) ? 0.0f : static_cast<float>(std::clamp(v, 0.0, 1.0));
  };
  s.colourHeld = true;
  s.colour = Rgb{component(kRed), component(kGreen), component(kBlue)};
}

// The open sensor a create call would collide with: on CAN, one of the same kind on the same ID
// (each kind answers on the bus in its own range); on USB, any sensor on the same device path.
const Sensor* OpenOn(const char* kind, int32_t canId, int32_t transport, const char* path) {
  const bool lumira = std::string(kind) == "Lumira";
  for (const Sensor* s : OpenSensors()) {
    if (s->transport != transport) continue;
    if (transport == kTransportUsb ? s->path == path
                                   : s->canId == canId && s->lumiraKind == lumira) {
      return s;
    }
  }
  return nullptr;
}

// A create call: a scripted null fails it; otherwise a new sensor, unless there is no path to
// open.
Sensor* Open(const char* function, const char* kind, int32_t canId, int32_t transport,
             const char* path) {
  if (auto r = Next(function)) {
    if (r->integer == 0) return nullptr;
  } else if (transport == kTransportUsb && (path == nullptr || *path == '\0')) {
    return nullptr;
  } else if (const Sensor* open = OpenOn(kind, canId, transport, path)) {
    // The device is open already: a real driver cannot open its port twice and answers null.
    const std::string address =
        transport == kTransportUsb ? std::string(path) : "CAN ID " + std::to_string(canId);
    std::cerr << "VelmoraDriver (simulation): " << kind << " on " << address
              << " not opened: " << (open->lumiraKind ? "a Lumira" : "a Pallax") << " on it is "
              << "open already (a sensor object for it that was never destroyed); null handle\n";
    return nullptr;
  }
  auto* s = new (std::nothrow) Sensor;
  if (s == nullptr) return nullptr;
  s->canId = canId;
  s->transport = transport;
  s->path = path != nullptr ? path : "";
  s->lumiraKind = std::string(kind) == "Lumira";
  OpenSensors().push_back(s);
  if (velmora_sim::wpilib::kLinked) MakePanel(*s, kind);
  return s;
}

Sensor* AsSensor(void* handle) { return FindSensor(handle); }

// Releases an open sensor; a handle the driver never gave out, or gave out and took back, is
// left alone rather than freed twice.
void Close(void* handle) {
  auto& retired = RetiredSensors();
  const auto was = std::find(retired.begin(), retired.end(), handle);
  if (was != retired.end()) {
    delete *was;
    retired.erase(was);
    return;
  }
  Sensor* s = FindSensor(handle);
  if (s == nullptr) return;
  auto& open = OpenSensors();
  open.erase(std::find(open.begin(), open.end(), s));
  delete s;
}

// A colour-sensor setter: a scripted answer stands in for the sensor's (and changes nothing);
// otherwise an open sensor takes a valid setting and says true.
template <typename Apply>
bool Setter(const char* function, void* handle, bool valid, Apply apply) {
  if (auto r = Next(function)) return r->integer != 0;
  Sensor* s = AsSensor(handle);
  if (s == nullptr || !valid) return false;
  apply(*s);
  return true;
}

// The surface colour in one of the sensor's formats.
void InFormat(uint8_t format, const Rgb& c, float out[3]) {
  if (format == kFormatHsv) {
    const float hi = std::max({c.red, c.green, c.blue});
    const float lo = std::min({c.red, c.green, c.blue});
    const float span = hi - lo;
    float hue = 0.0f;
    if (span > 0.0f) {
      if (hi == c.red) {
        hue = 60.0f * std::fmod((c.green - c.blue) / span + 6.0f, 6.0f);
      } else if (hi == c.green) {
        hue = 60.0f * ((c.blue - c.red) / span + 2.0f);
      } else {
        hue = 60.0f * ((c.red - c.green) / span + 4.0f);
      }
    }
    out[0] = hue;
    out[1] = hi > 0.0f ? span / hi : 0.0f;
    out[2] = hi;
  } else if (format == kFormatXyz) {
    out[0] = 0.4124f * c.red + 0.3576f * c.green + 0.1805f * c.blue;
    out[1] = 0.2126f * c.red + 0.7152f * c.green + 0.0722f * c.blue;
    out[2] = 0.0193f * c.red + 0.1192f * c.green + 0.9505f * c.blue;
  } else {
    out[0] = c.red;
    out[1] = c.green;
    out[2] = c.blue;
  }
}

// A simulated Pallax scan entry: a gentle bowl, as of a flat wall seen across the sensor's field.
int16_t PallaxEntry(int32_t i, int32_t count) {
  const int32_t offset = 2 * i - (count - 1);
  return static_cast<int16_t>(1000 + offset * offset);
}

}  // namespace

namespace velmora_sim {

bool SetLumiraColor(float red, float green, float blue) {
  const velmora_sim::internal::DriverLock lock;
  for (float c : {red, green, blue}) {
    if (!(c >= 0.0f && c <= 1.0f)) return false;
  }
  World() = Surroundings{true, Rgb{red, green, blue}};
  return true;
}

namespace internal {
// Every sensor starts afresh, as controllers and lidars do: a sensor left open before the reset
// no longer holds its CAN ID or port, and its old handle is refused like any unknown one. Its
// memory is kept until its destroy call, so that no new sensor gets its address as a handle.
void ResetSensorSims() {
  World() = Surroundings{};
  for (Sensor* s : OpenSensors()) {
    s->panel = velmora_sim::internal::Panel{};
    RetiredSensors().push_back(s);
  }
  OpenSensors().clear();
}

void ReadSensorPanels() {
  for (Sensor* s : OpenSensors()) ReadSensor(*s);
}

void ShowSensorPanels() {
  for (Sensor* s : OpenSensors()) ShowSensor(*s);
}
}  // namespace internal

}  // namespace velmora_sim

extern "C" {

// USB port n is /dev/ttyACM<n>; a negative port has no path.
std::string FindDevicePath(int32_t port) {
  const velmora_sim::internal::DriverLock lock;
  Record("FindDevicePath", port);
  if (auto r = Next("FindDevicePath")) return r->text;
  return port >= 0 ? "/dev/ttyACM" + std::to_string(port) : std::string();
}

void* c_Lumira_create(int32_t canId) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Lumira_create", canId);
  return Open("c_Lumira_create", "Lumira", canId, kTransportCan, nullptr);
}

void* c_Lumira_createUsb(const char* path, int32_t n) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Lumira_createUsb", path, n);
  return Open("c_Lumira_createUsb", "Lumira", 0, kTransportUsb, path);
}

void c_Lumira_destroy(void* handle) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Lumira_destroy", handle);
  Close(handle);
}

bool c_Lumira_getColor(void* handle, velmora_driver::LumiraColorRecord* color) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Lumira_getColor", handle, color);
  if (auto r = Next("c_Lumira_getColor")) {
    ApplyFill(*r, color);
    return r->integer != 0 || r->hasFill;
  }
  Sensor* s = AsSensor(handle);
  if (color == nullptr || s == nullptr) return false;
  float components[3];
  InFormat(s->lumira.colorFormat, SurfaceColour(*s), components);
  color->header = ++s->readings;
  color->component1 = components[0];
  color->component2 = components[1];
  color->component3 = components[2];
  color->trailer = s->lumira.colorFormat;
  return true;
}

bool c_Lumira_setColorFormat(void* handle, uint8_t format) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Lumira_setColorFormat", handle, format);
  return Setter("c_Lumira_setColorFormat", handle, format <= kFormatXyz,
                [&](Sensor& s) { s.lumira.colorFormat = format; });
}

bool c_Lumira_setSampleTimeMs(void* handle, uint16_t milliseconds) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Lumira_setSampleTimeMs", handle, milliseconds);
  return Setter("c_Lumira_setSampleTimeMs", handle, milliseconds > 0,
                [&](Sensor& s) { s.lumira.sampleTimeMs = milliseconds; });
}

bool c_Lumira_setBrightness(void* handle, uint8_t brightness) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Lumira_setBrightness", handle, brightness);
  return Setter("c_Lumira_setBrightness", handle, true,
                [&](Sensor& s) { s.lumira.brightness = brightness; });
}

bool c_Lumira_setStatusLed(void* handle, bool on, uint8_t value) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Lumira_setStatusLed", handle, on, value);
  return Setter("c_Lumira_setStatusLed", handle, true, [&](Sensor& s) {
    s.lumira.ledOn = on;
    s.lumira.ledValue = value;
  });
}

bool c_Lumira_setMeasureMode(void* handle, uint8_t mode, float value) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Lumira_setMeasureMode", handle, mode, value);
  return Setter("c_Lumira_setMeasureMode", handle, mode <= kHighestMeasureMode, [&](Sensor& s) {
    s.lumira.measureMode = mode;
    s.lumira.measureValue = value;
  });
}

bool c_Lumira_setZmm(void* handle, float millimetres) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Lumira_setZmm", handle, millimetres);
  return Setter("c_Lumira_setZmm", handle, std::isfinite(millimetres),
                [&](Sensor& s) { s.lumira.zmm = millimetres; });
}

bool c_Lumira_setUsbOverride(void* handle, bool enable) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Lumira_setUsbOverride", handle, enable);
  return Setter("c_Lumira_setUsbOverride", handle, true,
                [&](Sensor& s) { s.lumira.usbOverride = enable; });
}

bool c_Lumira_setCanId(void* handle, int32_t canId) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Lumira_setCanId", handle, canId);
  return Setter("c_Lumira_setCanId", handle, canId >= 0 && canId <= kHighestCanId,
                [&](Sensor& s) { s.canId = canId; });
}

bool c_Lumira_getConfig(void* handle, uint8_t item, uint32_t* value) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Lumira_getConfig", handle, item, value);
  if (auto r = Next("c_Lumira_getConfig")) {
    ApplyFill(*r, value);
    return r->integer != 0;
  }
  const Sensor* s = AsSensor(handle);
  if (s == nullptr || value == nullptr) return false;
  const LumiraSettings& l = s->lumira;
  switch (item) {
    case kItemColorFormat:
      *value = l.colorFormat;
      return true;
    case kItemSampleTimeMs:
      *value = l.sampleTimeMs;
      return true;
    case kItemBrightness:
      *value = l.brightness;
      return true;
    case kItemMeasureMode:
      *value = l.measureMode;
      return true;
    case kItemCanId:
      *value = static_cast<uint32_t>(s->canId);
      return true;
    case kItemUsbOverride:
      *value = l.usbOverride ? 1u : 0u;
      return true;
    case kItemStatusLed:
      *value = l.ledOn ? l.ledValue : 0u;
      return true;
    default:
      return false;
  }
}

int32_t c_Lumira_getCanID(void* handle) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Lumira_getCanID", handle);
  if (auto r = Next("c_Lumira_getCanID")) return static_cast<int32_t>(r->integer);
  const Sensor* s = AsSensor(handle);
  return s != nullptr ? s->canId : 0;
}

int32_t c_Lumira_getTransport(void* handle) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Lumira_getTransport", handle);
  if (auto r = Next("c_Lumira_getTransport")) return static_cast<int32_t>(r->integer);
  const Sensor* s = AsSensor(handle);
  return s != nullptr ? s->transport : kTransportCan;
}

void* c_Pallax_create(int32_t canId) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Pallax_create", canId);
  return Open("c_Pallax_create", "Pallax", canId, kTransportCan, nullptr);
}

void* c_Pallax_createUsb(const char* path, int32_t n) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Pallax_createUsb", path, n);
  return Open("c_Pallax_createUsb", "Pallax", 0, kTransportUsb, path);
}

void c_Pallax_destroy(void* handle) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Pallax_destroy", handle);
  Close(handle);
}

// A scan of the requested length (0 to 64 entries); its header counts the scans.
bool c_Pallax_getData(void* handle, velmora_driver::PallaxScanRecord* scan, int32_t length) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Pallax_getData", handle, scan, length);
  if (auto r = Next("c_Pallax_getData")) {
    ApplyFill(*r, scan);
    return r->integer != 0 || r->hasFill;
  }
  Sensor* s = AsSensor(handle);
  if (s == nullptr || scan == nullptr) return false;
  const int32_t n = std::clamp<int32_t>(length, 0, velmora_driver::kPallaxMaxValues);
  scan->header = static_cast<uint8_t>(++s->readings);
  scan->count = n;
  for (int32_t i = 0; i < n; ++i) scan->values[i] = PallaxEntry(i, n);
  return true;
}

bool c_Pallax_getConfig(void* handle, velmora_driver::PallaxConfigRecord* config, int32_t item) {
  const velmora_sim::internal::DriverLock lock;
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
  const velmora_sim::internal::DriverLock lock;
  Record("c_Pallax_getCanID", handle);
  if (auto r = Next("c_Pallax_getCanID")) return static_cast<int32_t>(r->integer);
  const Sensor* s = AsSensor(handle);
  return s != nullptr ? s->canId : 0;
}

int32_t c_Pallax_getTransport(void* handle) {
  const velmora_sim::internal::DriverLock lock;
  Record("c_Pallax_getTransport", handle);
  if (auto r = Next("c_Pallax_getTransport")) return static_cast<int32_t>(r->integer);
  const Sensor* s = AsSensor(handle);
  return s != nullptr ? s->transport : kTransportCan;
}

}  // extern "C"
