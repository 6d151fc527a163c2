// Runs the shared scenario table through the C++ library and writes one transcript per table
// file; the Java runner writes the same through the Java classes, and a CTest test holds the two
// side by side. A transcript records, for every step, the driver calls it made (names, argument
// types and values, order), what it wrote to standard output and standard error (bytes), and its
// result or exception.
//
// The table's words: see tests/scenarios/README.md.
#include <gtest/gtest.h>
#include <mockdata/MockHooks.h>

#include <cinttypes>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "ScenarioDriver.h"
#include "support/TestSupport.h"
#include "velmora/Adexa.h"
#include "velmora/Lidar.h"
#include "velmora/LidarMini.h"
#include "velmora/Lumira.h"
#include "velmora/MockDS.h"
#include "velmora/Orvex.h"
#include "velmora/Pallax.h"
#include "velmora/Servo.h"
#include "velmora/ServoContinuous.h"

namespace {

using velmora::Adexa;
using velmora::Lidar;
using velmora::LidarMini;
using velmora::Lumira;
using velmora::MockDS;
using velmora::Orvex;
using velmora::Pallax;
using velmora::Servo;
using velmora::ServoContinuous;
using velmora_scenario::Escape;

// ---- Results in the transcript's words --------------------------------------------------------

std::string Hex(uint64_t bits, int digits) {
  char text[24];
  std::snprintf(text, sizeof text, "%0*" PRIx64, digits, bits);
  return text;
}

std::string F64(double value) {
  uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  return "f64:0x" + Hex(bits, 16);
}

std::string F32(float value) {
  uint32_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  return "f32:0x" + Hex(bits, 8);
}

std::string Bool(bool value) { return value ? "true" : "false"; }

std::string Str(const std::string& text) { return "\"" + Escape(text) + "\""; }

// FNV-1a over the bit patterns of a scan's floats, in order.
class Digest {
 public:
  void Add(float value) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    for (int k = 0; k < 4; ++k) {
      m_hash ^= (bits >> (8 * k)) & 0xFFu;
      m_hash *= 0x100000001B3ull;
    }
  }
  std::string Text() const { return Hex(m_hash, 16); }

 private:
  uint64_t m_hash = 0xCBF29CE484222325ull;
};

std::string ScanText(const LidarMini::ScanData& scan) {
  Digest digest;
  for (float v : scan.angles) digest.Add(v);
  for (float v : scan.distances) digest.Add(v);
  for (float v : scan.qualities) digest.Add(v);
  return "ScanData{points=" + std::to_string(scan.angles.size()) +
         ", timestamp=" + std::to_string(scan.timestamp) + ", digest=" + digest.Text() + "}";
}

// ---- Arguments ---------------------------------------------------------------------------------

class Args {
 public:
  explicit Args(std::vector<std::string> words) : m_words(std::move(words)) {}
  size_t Count() const { return m_words.size(); }
  const std::string& Word(size_t k) const {
    if (k >= m_words.size()) throw std::invalid_argument("scenario: missing argument");
    return m_words[k];
  }
  int I(size_t k) const { return static_cast<int>(std::stol(Word(k), nullptr, 0)); }
  double D(size_t k) const {
    const std::string& w = Word(k);
    if (w == "nan") return std::nan("");
    if (w == "inf") return HUGE_VAL;
    if (w == "-inf") return -HUGE_VAL;
    return std::stod(w);
  }
  float F(size_t k) const { return static_cast<float>(D(k)); }
  bool B(size_t k) const { return Word(k) == "true"; }
  std::string S(size_t k) const { return Word(k) == "\"\"" ? std::string() : Word(k); }
  template <typename E>
  E Enum(size_t k, const std::vector<std::string>& names) const {
    for (size_t i = 0; i < names.size(); ++i) {
      if (names[i] == Word(k)) return static_cast<E>(i);
    }
    throw std::invalid_argument("scenario: unknown enumerator " + Word(k));
  }

 private:
  std::vector<std::string> m_words;
};

const std::vector<std::string> kPorts = {"kUSB0", "kUSB1", "kUSB2", "kUSB3"};
const std::vector<std::string> kFilters = {"kCluster", "kKalman", "kMovingAverage", "kMedian",
                                           "kJitter"};
const std::vector<std::string> kColorFormats = {"kRGB", "kHSV", "kXYZ"};
const std::vector<std::string> kMeasureModes = {"kContinuous", "kSingleShot", "kTriggered"};
const std::vector<std::string> kConfigItems = {"kColorFormat", "kSampleTimeMs", "kBrightness",
                                               "kMeasureMode", "kCanId",        "kUsbOverride",
                                               "kStatusLed"};

// ---- Objects of one scenario --------------------------------------------------------------------

struct Object {
  std::string type;
  void* pointer = nullptr;
  std::function<void()> destroy;  // empty for objects the scenario does not own
};

class Scenario {
 public:
  ~Scenario() { EndAll(); }

  // Destroys the owned objects, newest first, as a program's scope would.
  void EndAll() {
    for (auto it = m_order.rbegin(); it != m_order.rend(); ++it) Close(*it);
    m_order.clear();
  }

  std::string Run(const std::string& target, const std::string& method, const Args& a,
                  const std::string& bind) {
    if (method == "new" || method == "newPort" || method == "newPath") {
      return Construct(target, method, a, bind);
    }
    if (target == "sim" && method == "step") {
      velmora_sim::SimStep(a.D(0));
      return "ok";
    }
    if (target == "world") return WorldCall(method, a);
    auto found = m_objects.find(target);
    if (found == m_objects.end()) throw std::invalid_argument("scenario: no object " + target);
    Object& o = found->second;
    if (method == "close") {
      Close(target);
      return "ok";
    }
    if (o.type == "Orvex") return OrvexCall(*static_cast<Orvex*>(o.pointer), method, a, bind);
    if (o.type == "Motor") return MotorCall(*static_cast<Orvex::Motor*>(o.pointer), method, a);
    if (o.type == "Encoder") {
      return EncoderCall(*static_cast<Orvex::Encoder*>(o.pointer), method, a);
    }
    if (o.type == "LidarMini") {
      return LidarMiniCall(*static_cast<LidarMini*>(o.pointer), method, bind);
    }
    if (o.type == "LidarMiniScan") {
      return ScanCall(*static_cast<LidarMini::ScanData*>(o.pointer), method, a);
    }
    if (o.type == "Lidar") return LidarCall(*static_cast<Lidar*>(o.pointer), method, a);
    if (o.type == "Lumira") return LumiraCall(*static_cast<Lumira*>(o.pointer), method, a);
    if (o.type == "Pallax") return PallaxCall(*static_cast<Pallax*>(o.pointer), method, a);
    if (o.type == "Adexa") return AdexaCall(*static_cast<Adexa*>(o.pointer), method, a);
    if (o.type == "MockDS") return MockDSCall(*static_cast<MockDS*>(o.pointer), method);
    if (o.type == "Servo") return ServoCall(*static_cast<Servo*>(o.pointer), method, a);
    if (o.type == "ServoContinuous") {
      return ServoContinuousCall(*static_cast<ServoContinuous*>(o.pointer), method, a);
    }
    throw std::invalid_argument("scenario: no such type " + o.type);
  }

  // The simulated world, as velmora_sim offers it (Java: dev.velmora.frc.sim.SimWorld).
  static std::string WorldCall(const std::string& method, const Args& a) {
    if (method == "attachDrive") {
      return Bool(velmora_sim::AttachDrive(a.I(0), a.I(1), a.I(2), a.D(3)));
    }
    if (method == "placeRobot") return Bool(velmora_sim::PlaceRobot({a.D(0), a.D(1), a.D(2)}));
    if (method == "robotPose") {
      const velmora_sim::RobotPose p = velmora_sim::Robot();
      return "pose(" + F64(p.x) + ", " + F64(p.y) + ", " + F64(p.heading) + ")";
    }
    if (method == "robotDistanceTravelled") return F64(velmora_sim::RobotDistanceTravelled());
    if (method == "simStep") return Bool(velmora_sim::SimStep(a.D(0)));
    if (method == "simTime") return F64(velmora_sim::SimTime());
    if (method == "setOrvexMotorLocked") {
      velmora_sim::SetOrvexMotorLocked(a.I(0), a.I(1), a.B(2));
      return "ok";
    }
    if (method == "setOrvexLoadInertia") {
      return Bool(velmora_sim::SetOrvexLoadInertia(a.I(0), a.I(1), a.D(2)));
    }
    if (method == "orvexChannel") {
      const velmora_sim::OrvexChannelState c = velmora_sim::OrvexChannel(a.I(0), a.I(1));
      return "motor(" + Bool(c.exists) + ", " + F64(c.commanded) + ", " + Bool(c.enabled) + ", " +
             F64(c.rpm) + ", " + Bool(c.locked) + ", " + F64(c.inertia) + ", " + F64(c.current) +
             ")";
    }
    if (method == "battery") {
      const velmora_sim::BatteryState b = velmora_sim::Battery();
      return "battery(" + F64(b.emf) + ", " + F64(b.volts) + ", " + F64(b.current) + ")";
    }
    if (method == "setBatteryEmf") return Bool(velmora_sim::SetBatteryEmf(a.D(0)));
    if (method == "setLumiraColor") {
      return Bool(velmora_sim::SetLumiraColor(
          static_cast<float>(a.D(0)), static_cast<float>(a.D(1)), static_cast<float>(a.D(2))));
    }
    if (method == "setAdexaVoltage") {
      return Bool(velmora_sim::SetAdexaVoltage(a.I(0), static_cast<float>(a.D(1))));
    }
    if (method == "rayDistance") return F64(velmora_sim::RayDistance(a.D(0), a.D(1), a.D(2)));
    if (method == "mockDSEnabled") return Bool(velmora_sim::MockDSEnabled());
    throw std::invalid_argument("scenario: no world function " + method);
  }

 private:
  template <typename T>
  void Own(const std::string& name, const std::string& type, std::unique_ptr<T> object) {
    T* raw = object.release();
    Bind(name, type, raw, [raw] { delete raw; });
  }

  void Bind(const std::string& name, const std::string& type, void* pointer,
            std::function<void()> destroy) {
    if (name.empty()) {
      if (destroy) destroy();
      return;
    }
    if (m_objects.count(name) != 0) Close(name);
    m_objects[name] = Object{type, pointer, std::move(destroy)};
    m_order.push_back(name);
  }

  void Close(const std::string& name) {
    auto found = m_objects.find(name);
    if (found == m_objects.end()) return;
    std::function<void()> destroy = std::move(found->second.destroy);
    m_objects.erase(found);
    if (destroy) destroy();
  }

  std::string Construct(const std::string& type, const std::string& how, const Args& a,
                        const std::string& bind) {
    if (type == "Orvex") {
      Own(bind, type,
          a.Count() == 1 ? std::make_unique<Orvex>(a.I(0))
                         : std::make_unique<Orvex>(a.I(0), a.I(1)));
    } else if (type == "LidarMini") {
      Own(bind, type, std::make_unique<LidarMini>(a.Enum<LidarMini::Port>(0, kPorts)));
    } else if (type == "Lidar") {
      Own(bind, type, std::make_unique<Lidar>(a.Enum<Lidar::Port>(0, kPorts)));
    } else if (type == "Lumira") {
      if (how == "new") Own(bind, type, std::make_unique<Lumira>(a.I(0)));
      if (how == "newPort") {
        Own(bind, type, std::make_unique<Lumira>(a.Enum<Lumira::Port>(0, kPorts), a.I(1)));
      }
      if (how == "newPath") Own(bind, type, std::make_unique<Lumira>(a.S(0), a.I(1)));
    } else if (type == "Pallax") {
      if (how == "new") Own(bind, type, std::make_unique<Pallax>(a.I(0)));
      if (how == "newPort") {
        Own(bind, type, std::make_unique<Pallax>(a.Enum<Pallax::Port>(0, kPorts), a.I(1)));
      }
      if (how == "newPath") Own(bind, type, std::make_unique<Pallax>(a.S(0), a.I(1)));
    } else if (type == "Adexa") {
      Own(bind, type, a.Count() == 0 ? std::make_unique<Adexa>() : std::make_unique<Adexa>(a.F(0)));
    } else if (type == "MockDS") {
      Own(bind, type, std::make_unique<MockDS>());
    } else if (type == "Servo") {
      Own(bind, type, std::make_unique<Servo>(a.I(0)));
    } else if (type == "ServoContinuous") {
      Own(bind, type, std::make_unique<ServoContinuous>(a.I(0)));
    } else {
      throw std::invalid_argument("scenario: cannot construct " + type);
    }
    return "ok";
  }

  std::string OrvexCall(Orvex& o, const std::string& m, const Args& a, const std::string& bind) {
    if (m == "getMotor") {
      Bind(bind, "Motor", &o.GetMotor(a.I(0)), nullptr);
      return "Motor";
    }
    if (m == "getEncoder") {
      Bind(bind, "Encoder", &o.GetEncoder(a.I(0), a.D(1)), nullptr);
      return "Encoder";
    }
    if (m == "getID") return std::to_string(o.GetID());
    if (m == "getFirmwareVersion") return Str(o.GetFirmwareVersion());
    if (m == "getHardwareVersion") return Str(o.GetHardwareVersion());
    if (m == "getFrequency") return std::to_string(o.GetFrequency());
    if (m == "getSerialNumber") return Str(o.GetSerialNumber());
    if (m == "getControllerTemp") return F64(o.GetControllerTemp());
    if (m == "setMotorStopMode") {
      return o.SetMotorStopMode(static_cast<unsigned char>(a.I(0))), "ok";
    }
    if (m == "setPIDType") return o.SetPIDType(static_cast<unsigned char>(a.I(0))), "ok";
    if (m == "autotuneAll") return o.AutotuneAll(), "ok";
    if (m == "setCANSensorOsDelay") {
      return o.SetCANSensorOsDelay(static_cast<unsigned short>(a.I(0))), "ok";
    }
    if (m == "getTargetRPMFromDevice") {
      double targets[Orvex::kChannelCount] = {};
      std::string text = Bool(o.GetTargetRPMFromDevice(targets)) + " [";
      for (int i = 0; i < Orvex::kChannelCount; ++i) {
        text += (i > 0 ? ", " : "") + F64(targets[i]);
      }
      return text + "]";
    }
    throw std::invalid_argument("scenario: Orvex has no " + m);
  }

  static std::string MotorCall(Orvex::Motor& c, const std::string& m, const Args& a) {
    double rpm = 0.0;
    if (m == "set") return c.Set(a.D(0)), "ok";
    if (m == "get") return F64(c.Get());
    if (m == "setInverted") return c.SetInverted(a.B(0)), "ok";
    if (m == "getInverted") return Bool(c.GetInverted());
    if (m == "disable") return c.Disable(), "ok";
    if (m == "stopMotor") return c.StopMotor(), "ok";
    if (m == "pidWrite") return c.PIDWrite(a.D(0)), "ok";
    if (m == "configure") return c.Configure(a.I(0)), "ok";
    if (m == "invertRPM") return c.InvertRPM(), "ok";
    if (m == "getRPM") return F64(c.GetRPM());
    if (m == "tryGetRPM") return c.TryGetRPM(rpm) ? "some " + F64(rpm) : "none";
    if (m == "tryGetTargetRPM") return c.TryGetTargetRPM(rpm) ? "some " + F64(rpm) : "none";
    if (m == "getLimitSwitch") return F64(c.GetLimitSwitch(a.B(0)));
    if (m == "getZynderPosition") return F64(c.GetZynderPosition());
    if (m == "getMotorIndex") return std::to_string(c.GetMotorIndex());
    if (m == "setTargetVelocity") return c.SetTargetVelocity(a.F(0)), "ok";
    if (m == "setTargetDistance") return c.SetTargetDistance(a.I(0)), "ok";
    if (m == "setTargetAngle") return c.SetTargetAngle(a.D(0)), "ok";
    if (m == "setPositionHold") return c.SetPositionHold(a.B(0)), "ok";
    if (m == "setSensitivity") return c.SetSensitivity(static_cast<unsigned char>(a.I(0))), "ok";
    if (m == "setCurrentLimit") return c.SetCurrentLimit(a.F(0)), "ok";
    if (m == "setCurrentLimitMode") {
      return c.SetCurrentLimitMode(static_cast<unsigned char>(a.I(0))), "ok";
    }
    if (m == "setEncoderResolution") {
      return c.SetEncoderResolution(static_cast<unsigned short>(a.I(0))), "ok";
    }
    if (m == "setPIDType") return c.SetPIDType(static_cast<unsigned char>(a.I(0))), "ok";
    if (m == "autotune") return c.Autotune(), "ok";
    throw std::invalid_argument("scenario: Motor has no " + m);
  }

  static std::string EncoderCall(Orvex::Encoder& c, const std::string& m, const Args& a) {
    if (m == "get") return std::to_string(c.Get());
    if (m == "reset") return c.Reset(), "ok";
    if (m == "getPeriod") return F64(c.GetPeriod());
    if (m == "setMaxPeriod") return c.SetMaxPeriod(a.D(0)), "ok";
    if (m == "getStopped") return Bool(c.GetStopped());
    if (m == "getDirection") return Bool(c.GetDirection());
    if (m == "getEncoderDistance") return F64(c.GetEncoderDistance());
    if (m == "getRaw") return F64(c.GetRaw());
    if (m == "getCount") return std::to_string(c.GetCount());
    if (m == "getSpeed") return F64(c.GetSpeed());
    if (m == "setReverseDirection") return c.SetReverseDirection(), "ok";
    if (m == "invertSpeed") return c.InvertSpeed(), "ok";
    if (m == "getEncoderIndex") return std::to_string(c.GetEncoderIndex());
    throw std::invalid_argument("scenario: Encoder has no " + m);
  }

  std::string LidarMiniCall(LidarMini& l, const std::string& m, const std::string& bind) {
    if (m == "start") return l.Start(), "ok";
    if (m == "stop") return l.Stop(), "ok";
    if (m == "destroy") return l.Destroy(), "ok";
    if (m == "increaseFrequencyHz") return l.IncreaseFrequencyHz(), "ok";
    if (m == "increaseFrequencyTenthHz") return l.IncreaseFrequencyTenthHz(), "ok";
    if (m == "decreaseFrequencyHz") return l.DecreaseFrequencyHz(), "ok";
    if (m == "decreaseFrequencyTenthHz") return l.DecreaseFrequencyTenthHz(), "ok";
    if (m == "getCurrentFrequency") return F32(l.GetCurrentFrequency());
    if (m == "getInfo") {
      const LidarMini::LidarInfo info = l.GetInfo();
      return "LidarInfo{model=" + std::to_string(info.model) +
             ", firmwareMinor=" + std::to_string(info.firmwareMinor) +
             ", firmwareMajor=" + std::to_string(info.firmwareMajor) +
             ", hardware=" + std::to_string(info.hardware) + ", serial=" + info.GetSerialString() +
             "}";
    }
    if (m == "getHealth") {
      const LidarMini::LidarHealth health = l.GetHealth();
      return "LidarHealth{status=" + std::to_string(health.status) +
             ", errorCode=" + std::to_string(health.errorCode) + "}";
    }
    if (m == "getData") {
      auto scan = std::make_unique<LidarMini::ScanData>(l.GetData());
      std::string text = ScanText(*scan);
      Own(bind, "LidarMiniScan", std::move(scan));
      return text;
    }
    throw std::invalid_argument("scenario: LidarMini has no " + m);
  }

  static std::string ScanCall(const LidarMini::ScanData& s, const std::string& m, const Args& a) {
    if (m == "getDistanceAt") return F32(s.GetDistanceAt(a.F(0), a.F(1)));
    throw std::invalid_argument("scenario: ScanData has no " + m);
  }

  static std::string LidarCall(Lidar& l, const std::string& m, const Args& a) {
    if (m == "start") return l.Start(), "ok";
    if (m == "stop") return l.Stop(), "ok";
    if (m == "getData") {
      const Lidar::ScanData scan = l.GetData();
      Digest digest;
      for (float v : scan.angles) digest.Add(v);
      for (float v : scan.distances) digest.Add(v);
      return "LidarScan{digest=" + digest.Text() + ", angle90=" + F32(scan.angles[90]) +
             ", distance90=" + F32(scan.distances[90]) + "}";
    }
    if (m == "enableFilter") {
      return l.EnableFilter(a.Enum<Lidar::Filter>(0, kFilters), a.B(1)), "ok";
    }
    if (m == "clusterConfig") return l.ClusterConfig(a.F(0), a.I(1)), "ok";
    if (m == "kalmanConfig") return l.KalmanConfig(a.F(0), a.F(1), a.F(2)), "ok";
    if (m == "movingAverageConfig") return l.MovingAverageConfig(a.I(0)), "ok";
    if (m == "medianConfig") return l.MedianConfig(a.I(0)), "ok";
    if (m == "jitterConfig") return l.JitterConfig(a.F(0)), "ok";
    throw std::invalid_argument("scenario: Lidar has no " + m);
  }

  static std::string Transport(int value) { return value == 1 ? "kUSB" : "kCAN"; }

  static std::string LumiraCall(Lumira& s, const std::string& m, const Args& a) {
    if (m == "getColor") {
      const Lumira::ColorData c = s.GetColor();
      return "ColorData{header=" + std::to_string(c.header) + ", component1=" + F32(c.component1) +
             ", component2=" + F32(c.component2) + ", component3=" + F32(c.component3) +
             ", trailer=" + std::to_string(c.trailer) + "}";
    }
    if (m == "setColorFormat") {
      return Bool(s.SetColorFormat(a.Enum<Lumira::ColorFormat>(0, kColorFormats)));
    }
    if (m == "setSampleTimeMs") return Bool(s.SetSampleTimeMs(static_cast<unsigned short>(a.I(0))));
    if (m == "setBrightness") return Bool(s.SetBrightness(static_cast<unsigned char>(a.I(0))));
    if (m == "setStatusLed") {
      return Bool(s.SetStatusLed(a.B(0), static_cast<unsigned char>(a.I(1))));
    }
    if (m == "setMeasureMode") {
      return Bool(s.SetMeasureMode(a.Enum<Lumira::MeasureMode>(0, kMeasureModes), a.F(1)));
    }
    if (m == "setZmm") return Bool(s.SetZmm(a.F(0)));
    if (m == "setUsbOverride") return Bool(s.SetUsbOverride(a.B(0)));
    if (m == "setCanId") return Bool(s.SetCanId(a.I(0)));
    if (m == "getConfig") {
      unsigned int value = 0;
      const bool ok = s.GetConfig(a.Enum<Lumira::ConfigItem>(0, kConfigItems), value);
      return ok ? "some " + std::to_string(value) : "none";
    }
    if (m == "getCanID") return std::to_string(s.GetCanID());
    if (m == "getTransport") return Transport(static_cast<int>(s.GetTransport()));
    throw std::invalid_argument("scenario: Lumira has no " + m);
  }

  static std::string PallaxCall(Pallax& s, const std::string& m, const Args& a) {
    if (m == "getData") {
      const Pallax::ScanData scan = s.GetData(a.I(0));
      std::string text = "ScanData{header=" + std::to_string(scan.header) + ", values=[";
      for (size_t i = 0; i < scan.values.size(); ++i) {
        text += (i > 0 ? ", " : "") + std::to_string(scan.values[i]);
      }
      return text + "]}";
    }
    if (m == "getConfig") {
      const Pallax::Config c = s.GetConfig(a.I(0));
      return "Config{valueA=" + std::to_string(c.valueA) + ", flagA=" + Bool(c.flagA) +
             ", flagB=" + Bool(c.flagB) + ", flagC=" + Bool(c.flagC) +
             ", valueB=" + std::to_string(c.valueB) + ", valueC=" + std::to_string(c.valueC) + "}";
    }
    if (m == "getCanID") return std::to_string(s.GetCanID());
    if (m == "getTransport") return Transport(static_cast<int>(s.GetTransport()));
    throw std::invalid_argument("scenario: Pallax has no " + m);
  }

  static std::string AdexaCall(Adexa& b, const std::string& m, const Args& a) {
    if (m == "getRawValue") return std::to_string(b.GetRawValue(a.I(0)));
    if (m == "getVoltage") return F32(b.GetVoltage(a.I(0)));
    if (m == "getVref") return F32(b.vref);
    throw std::invalid_argument("scenario: Adexa has no " + m);
  }

  static std::string MockDSCall(MockDS& ds, const std::string& m) {
    if (m == "enable") return ds.Enable(), "ok";
    if (m == "disable") return ds.Disable(), "ok";
    throw std::invalid_argument("scenario: MockDS has no " + m);
  }

  static std::string ServoCall(Servo& s, const std::string& m, const Args& a) {
    if (m == "set") return s.Set(a.D(0)), "ok";
    if (m == "get") return F64(s.Get());
    if (m == "setAngle") return s.SetAngle(a.D(0)), "ok";
    if (m == "getAngle") return F64(s.GetAngle());
    if (m == "getMaxAngle") return F64(s.GetMaxAngle());
    if (m == "getMinAngle") return F64(s.GetMinAngle());
    if (m == "setOffline") return s.SetOffline(), "ok";
    if (m == "getRaw") return std::to_string(s.GetRaw());
    if (m == "getPosition") return F64(s.GetPosition());
    throw std::invalid_argument("scenario: Servo has no " + m);
  }

  static std::string ServoContinuousCall(ServoContinuous& s, const std::string& m, const Args& a) {
    if (m == "set") return s.Set(a.D(0)), "ok";
    if (m == "get") return F64(s.Get());
    if (m == "setInverted") return s.SetInverted(a.B(0)), "ok";
    if (m == "stopMotor") return s.StopMotor(), "ok";
    if (m == "pidWrite") return s.PIDWrite(a.D(0)), "ok";
    if (m == "getRaw") return std::to_string(s.GetRaw());
    if (m == "getSpeed") return F64(s.GetSpeed());
    throw std::invalid_argument("scenario: ServoContinuous has no " + m);
  }

  std::map<std::string, Object> m_objects;
  std::vector<std::string> m_order;
};

// Runs one step under capture; the transcript gets the driver calls, the console bytes and the
// result, in that order.
void Step(std::ostream& out, const std::function<std::string()>& step) {
  std::string result;
  std::string outText;
  std::string errText;
  {
    velmora_test::StreamCapture capturedOut(std::cout);
    velmora_test::StreamCapture capturedErr(std::cerr);
    try {
      result = step();
    } catch (const std::out_of_range& e) {
      result = "throws IndexOutOfBounds " + Str(e.what());
    } catch (const std::invalid_argument& e) {
      result = "throws IllegalArgument " + Str(e.what());
    } catch (const std::runtime_error& e) {
      result = "throws DeviceOpen " + Str(e.what());
    }
    outText = capturedOut.Text();
    errText = capturedErr.Text();
  }
  for (const std::string& call : velmora_scenario::TakeJournal()) out << "  call " << call << "\n";
  if (!outText.empty()) out << "  out " << Escape(outText) << "\n";
  if (!errText.empty()) out << "  err " << Escape(errText) << "\n";
  out << "< " << result << "\n";
}

std::vector<std::string> Words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

// Runs every scenario of one table file; returns the transcript.
std::string RunTable(const std::filesystem::path& file) {
  std::ifstream in(file);
  std::ostringstream out;
  std::unique_ptr<Scenario> scenario;
  auto finish = [&] {
    if (!scenario) return;
    out << "> (end)\n";
    Step(out, [&] {
      scenario->EndAll();
      return std::string("ok");
    });
    scenario.reset();
  };
  for (std::string line; std::getline(in, line);) {
    const std::vector<std::string> words = Words(line);
    if (words.empty() || words[0][0] == '#') continue;
    if (words[0] == "scenario") {
      finish();
      // Every scenario starts at 0 on WPILib's paused clock, so that a scan's timestamp, which is
      // on that clock, reads the same in both languages.
      HALSIM_RestartTiming();
      velmora_scenario::ResetDriver();
      scenario = std::make_unique<Scenario>();
      out << "== " << line.substr(line.find("scenario") + 9) << "\n";
      continue;
    }
    if (!scenario) throw std::invalid_argument("scenario: step before the first scenario");
    if (words[0] == "script") {
      velmora_scenario::Script(line.substr(line.find("script") + 7));
      continue;
    }
    // "repeat <n> <step>": the step n times over, each in the transcript.
    int times = 1;
    std::vector<std::string> w = words;
    if (w[0] == "repeat" && w.size() > 2) {
      times = std::stoi(w[1]);
      w.erase(w.begin(), w.begin() + 2);
    }
    std::string bind;
    std::vector<std::string> args(w.begin() + 2, w.end());
    if (args.size() >= 2 && args[args.size() - 2] == "->") {
      bind = args.back();
      args.resize(args.size() - 2);
    }
    if (w.size() < 2) throw std::invalid_argument("scenario: want <target> <method>: " + line);
    std::string shown;
    for (const std::string& word : w) shown += (shown.empty() ? "" : " ") + word;
    const std::string target = w[0];
    const std::string method = w[1];
    for (int k = 0; k < times; ++k) {
      out << "> " << shown << "\n";
      Step(out, [&] { return scenario->Run(target, method, Args(args), bind); });
    }
  }
  finish();
  return out.str();
}

TEST(ScenarioTable, EveryFileRunsThroughTheCppLibrary) {
  const std::filesystem::path table(VELMORA_SCENARIO_DIR);
  const std::filesystem::path transcripts(VELMORA_TRANSCRIPT_DIR);
  std::filesystem::create_directories(transcripts);
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(table)) {
    if (entry.path().extension() != ".txt") continue;
    SCOPED_TRACE(entry.path().string());
    const std::string transcript = RunTable(entry.path());
    std::ofstream(transcripts / entry.path().filename(), std::ios::binary) << transcript;
    EXPECT_NE(transcript.find("== "), std::string::npos);
    ++files;
  }
  EXPECT_GT(files, 0);
}

}  // namespace
