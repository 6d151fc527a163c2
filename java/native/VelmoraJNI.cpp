// The JNI bridge between the Java classes (dev.velmora.frc) and the maker's driver.
//
// Each native method of dev.velmora.frc.VelmoraJNI is one driver call: the Java side does every
// check, message, cache and inversion, and this file only widens or narrows arguments to the
// driver's exact types, copies driver records into Java byte arrays for the Java side to decode,
// and builds the small lidar's scan (a C++ object of the driver's) into three Java float arrays.
//
// Rules kept throughout:
//  - no C++ exception leaves a native method: each body runs under Guarded, which turns one into
//    a pending Java exception (OutOfMemoryError for bad_alloc, RuntimeException otherwise);
//  - a Java array is checked for null and length before the driver may write into it (the Java
//    side already passes the right size; a wrong one is a Java exception here, never a write past
//    the end);
//  - no method keeps a local reference beyond its return, and none loops over JNI calls that
//    create them;
//  - the methods are bound with RegisterNatives from one table, so a missing or mistyped driver
//    function fails when the library loads, not at the first call.
#include <jni.h>

#include <cstdint>
#include <cstring>
#include <exception>
#include <new>
#include <string>
#include <utility>

#include "../../src/driver_link/VelmoraDriver.h"

namespace {

constexpr const char* kBridgeClass = "dev/velmora/frc/VelmoraJNI";
constexpr const char* kLidarMiniScanClass = "dev/velmora/frc/LidarMini$ScanData";

// The small lidar's Java scan record and its constructor (float[], float[], float[], long),
// looked up once when the library loads. The class reference is global, so it stays valid.
jclass g_scanClass = nullptr;
jmethodID g_scanConstructor = nullptr;

void ThrowJava(JNIEnv* env, const char* className, const char* message) noexcept {
  if (env->ExceptionCheck()) return;  // the first exception is the one to report
  jclass type = env->FindClass(className);
  if (type == nullptr) return;  // FindClass left its own exception pending
  env->ThrowNew(type, message);
  env->DeleteLocalRef(type);
}

// Runs `body`; a C++ exception becomes a pending Java exception and `fallback` is returned.
template <typename R, typename F>
R Guarded(JNIEnv* env, R fallback, F&& body) noexcept {
  try {
    return std::forward<F>(body)();
  } catch (const std::bad_alloc&) {
    ThrowJava(env, "java/lang/OutOfMemoryError", "out of memory in the Velmora driver");
  } catch (const std::exception& e) {
    ThrowJava(env, "java/lang/RuntimeException", e.what());
  } catch (...) {
    ThrowJava(env, "java/lang/RuntimeException", "unknown C++ exception in the Velmora driver");
  }
  return fallback;
}

template <typename F>
void GuardedVoid(JNIEnv* env, F&& body) noexcept {
  Guarded(env, 0, [&] {
    std::forward<F>(body)();
    return 0;
  });
}

// True when `array` is non-null and holds at least `length` elements; else a Java exception is
// pending.
bool Holds(JNIEnv* env, jarray array, jsize length, const char* what) noexcept {
  if (array == nullptr) {
    ThrowJava(env, "java/lang/NullPointerException", what);
    return false;
  }
  if (env->GetArrayLength(array) < length) {
    ThrowJava(env, "java/lang/IllegalArgumentException", what);
    return false;
  }
  return true;
}

void* Ptr(jlong handle) { return reinterpret_cast<void*>(static_cast<intptr_t>(handle)); }
jlong Handle(void* pointer) { return static_cast<jlong>(reinterpret_cast<intptr_t>(pointer)); }
uint8_t U8(jint value) { return static_cast<uint8_t>(value); }
uint16_t U16(jint value) { return static_cast<uint16_t>(value); }

// A driver text as the bytes it holds (the Java side decodes them).
jbyteArray Bytes(JNIEnv* env, const std::string& text) {
  const auto length = static_cast<jsize>(text.size());
  jbyteArray array = env->NewByteArray(length);
  if (array == nullptr) return nullptr;  // OutOfMemoryError pending
  env->SetByteArrayRegion(array, 0, length, reinterpret_cast<const jbyte*>(text.data()));
  return array;
}

// A Java byte array as text for the driver (a device path); false, with a Java exception
// pending, for a null array or one holding a NUL byte, which would cut the C string the driver
// reads short and name another device.
bool Text(JNIEnv* env, jbyteArray bytes, std::string& text) {
  if (bytes == nullptr) {
    ThrowJava(env, "java/lang/NullPointerException", "path");
    return false;
  }
  const jsize length = env->GetArrayLength(bytes);
  text.resize(static_cast<size_t>(length));
  // &text[0], not the writable data() of C++17: that one needs a newer libstdc++ than the
  // shipped libraries may ask for (in a Debug build it is not inlined).
  env->GetByteArrayRegion(bytes, 0, length, reinterpret_cast<jbyte*>(&text[0]));
  if (text.find('\0') != std::string::npos) {
    ThrowJava(env, "java/lang/IllegalArgumentException", "path holds a NUL byte");
    return false;
  }
  return true;
}

// Fills a driver record in local storage (cleared first) and copies it into `out`.
template <typename Record, typename F>
void ReadRecord(JNIEnv* env, jbyteArray out, F&& read) {
  if (!Holds(env, out, sizeof(Record), "record buffer")) return;
  Record record;
  std::memset(&record, 0, sizeof record);
  std::forward<F>(read)(&record);
  env->SetByteArrayRegion(out, 0, sizeof(Record), reinterpret_cast<const jbyte*>(&record));
}

// Reads a try-get's double through a local and hands it to out[0] when the driver said yes.
template <typename F>
jboolean TryRead(JNIEnv* env, jdoubleArray out, F&& read) {
  if (!Holds(env, out, 1, "result buffer")) return JNI_FALSE;
  double value = 0.0;
  const bool ok = std::forward<F>(read)(&value);
  if (ok) env->SetDoubleArrayRegion(out, 0, 1, &value);
  return ok ? JNI_TRUE : JNI_FALSE;
}

// The driver builds its scan record in storage we provide and leaves its destruction to us.
class DriverScan {
 public:
  DriverScan() = default;
  DriverScan(const DriverScan&) = delete;
  DriverScan& operator=(const DriverScan&) = delete;
  ~DriverScan() {
    if (m_record != nullptr) m_record->~ScanData();
  }
  const LidarMiniJNI::ScanData& Read(void* handle) {
    auto* place = reinterpret_cast<LidarMiniJNI::ScanData*>(m_storage);
    c_LidarMini_getData(handle, place);
    m_record = std::launder(place);
    return *m_record;
  }

 private:
  alignas(LidarMiniJNI::ScanData) unsigned char m_storage[sizeof(LidarMiniJNI::ScanData)];
  LidarMiniJNI::ScanData* m_record = nullptr;
};

// ---- Orvex ------------------------------------------------------------------------------------

jint OrvexCreate(JNIEnv* env, jclass, jint id, jint frequency) {
  return Guarded(env, 0, [&] { return c_Orvex_create(id, frequency); });
}
void OrvexDestroy(JNIEnv* env, jclass, jint h) {
  GuardedVoid(env, [&] { c_Orvex_destroy(h); });
}
jint OrvexGetID(JNIEnv* env, jclass, jint h) {
  return Guarded(env, 0, [&] { return c_Orvex_getID(h); });
}
jbyteArray OrvexGetFirmwareVersion(JNIEnv* env, jclass, jint h) {
  return Guarded<jbyteArray>(env, nullptr,
                             [&] { return Bytes(env, c_Orvex_getFirmwareVersion(h)); });
}
jbyteArray OrvexGetHardwareVersion(JNIEnv* env, jclass, jint h) {
  return Guarded<jbyteArray>(env, nullptr,
                             [&] { return Bytes(env, c_Orvex_getHardwareVersion(h)); });
}
jbyteArray OrvexGetSerialNumber(JNIEnv* env, jclass, jint h) {
  return Guarded<jbyteArray>(env, nullptr, [&] { return Bytes(env, c_Orvex_getSerialNumber(h)); });
}
jint OrvexGetFrequency(JNIEnv* env, jclass, jint h) {
  return Guarded(env, 0, [&] { return c_Orvex_getFrequency(h); });
}
jdouble OrvexGetControllerTemp(JNIEnv* env, jclass, jint h) {
  return Guarded(env, 0.0, [&] { return c_Orvex_getControllerTemp(h); });
}
void OrvexSetMotorStopMode(JNIEnv* env, jclass, jint h, jint mode) {
  GuardedVoid(env, [&] { c_Orvex_setMotorStopMode(h, U8(mode)); });
}
void OrvexSetPIDType(JNIEnv* env, jclass, jint h, jint type) {
  GuardedVoid(env, [&] { c_Orvex_setPIDType(h, U8(type)); });
}
void OrvexAutotuneAll(JNIEnv* env, jclass, jint h) {
  GuardedVoid(env, [&] { c_Orvex_autotuneAll(h); });
}
void OrvexSetCANSensorOsDelay(JNIEnv* env, jclass, jint h, jint delay) {
  GuardedVoid(env, [&] { c_Orvex_setCANSensorOsDelay(h, U16(delay)); });
}
jboolean OrvexGetTargetRPMFromDevice(JNIEnv* env, jclass, jint h, jdoubleArray targets) {
  constexpr jsize kChannels = 4;
  if (!Holds(env, targets, kChannels, "targets")) return JNI_FALSE;
  return Guarded(env, JNI_FALSE, [&] {
    double values[kChannels];
    env->GetDoubleArrayRegion(targets, 0, kChannels, values);
    const bool ok = c_Orvex_getTargetRPMFromDevice(h, values);
    env->SetDoubleArrayRegion(targets, 0, kChannels, values);
    return ok ? JNI_TRUE : JNI_FALSE;
  });
}
void OrvexSetEncoder(JNIEnv* env, jclass, jint h, jint i, jdouble setup) {
  GuardedVoid(env, [&] { c_Orvex_setEncoder(h, U8(i), setup); });
}
void OrvexSetMotorSpeed(JNIEnv* env, jclass, jint h, jint i, jdouble speed) {
  GuardedVoid(env, [&] { c_Orvex_setMotorSpeed(h, U8(i), speed); });
}
void OrvexDisableMotor(JNIEnv* env, jclass, jint h, jint i) {
  GuardedVoid(env, [&] { c_Orvex_disableMotor(h, U8(i)); });
}
void OrvexConfigureMotor(JNIEnv* env, jclass, jint h, jint i, jint configuration) {
  GuardedVoid(env, [&] { c_Orvex_configureMotor(h, U8(i), configuration); });
}
jdouble OrvexGetRPM(JNIEnv* env, jclass, jint h, jint i) {
  return Guarded(env, 0.0, [&] { return c_Orvex_getRPM(h, U8(i)); });
}
jboolean OrvexTryGetRPM(JNIEnv* env, jclass, jint h, jint i, jdoubleArray out) {
  return Guarded(env, JNI_FALSE, [&] {
    return TryRead(env, out, [&](double* v) { return c_Orvex_tryGetRPM(h, U8(i), v); });
  });
}
jboolean OrvexTryGetTargetRPM(JNIEnv* env, jclass, jint h, jint i, jdoubleArray out) {
  return Guarded(env, JNI_FALSE, [&] {
    return TryRead(env, out, [&](double* v) { return c_Orvex_tryGetTargetRPM(h, U8(i), v); });
  });
}
jint OrvexGetLimitSwitch(JNIEnv* env, jclass, jint h, jint i, jboolean which) {
  return Guarded(env, 0, [&] { return c_Orvex_getLimitSwitch(h, U8(i), which == JNI_TRUE); });
}
jdouble OrvexGetZynderPosition(JNIEnv* env, jclass, jint h, jint i) {
  return Guarded(env, 0.0, [&] { return c_Orvex_getZynderPosition(h, U8(i)); });
}
void OrvexSetTargetVelocity(JNIEnv* env, jclass, jint h, jint i, jfloat velocity) {
  GuardedVoid(env, [&] { c_Orvex_setTargetVelocity(h, U8(i), velocity); });
}
void OrvexSetTargetDistance(JNIEnv* env, jclass, jint h, jint i, jint distance) {
  GuardedVoid(env, [&] { c_Orvex_setTargetDistance(h, U8(i), distance); });
}
void OrvexSetTargetAngle(JNIEnv* env, jclass, jint h, jint i, jdouble angle) {
  GuardedVoid(env, [&] { c_Orvex_setTargetAngle(h, U8(i), angle); });
}
void OrvexSetPositionHold(JNIEnv* env, jclass, jint h, jint i, jboolean hold) {
  GuardedVoid(env, [&] { c_Orvex_setPositionHold(h, U8(i), hold == JNI_TRUE); });
}
void OrvexSetSensitivity(JNIEnv* env, jclass, jint h, jint i, jint sensitivity) {
  GuardedVoid(env, [&] { c_Orvex_setSensitivity(h, U8(i), U8(sensitivity)); });
}
void OrvexSetCurrentLimit(JNIEnv* env, jclass, jint h, jint i, jfloat limit) {
  GuardedVoid(env, [&] { c_Orvex_setCurrentLimit(h, U8(i), limit); });
}
void OrvexSetCurrentLimitMode(JNIEnv* env, jclass, jint h, jint i, jint mode) {
  GuardedVoid(env, [&] { c_Orvex_setCurrentLimitMode(h, U8(i), U8(mode)); });
}
void OrvexSetEncoderResolution(JNIEnv* env, jclass, jint h, jint i, jint resolution) {
  GuardedVoid(env, [&] { c_Orvex_setEncoderResolution(h, U8(i), U16(resolution)); });
}
void OrvexSetMotorPIDType(JNIEnv* env, jclass, jint h, jint i, jint type) {
  GuardedVoid(env, [&] { c_Orvex_setMotorPIDType(h, U8(i), U8(type)); });
}
void OrvexAutotuneMotor(JNIEnv* env, jclass, jint h, jint i) {
  GuardedVoid(env, [&] { c_Orvex_autotuneMotor(h, U8(i)); });
}
void OrvexResetEncoder(JNIEnv* env, jclass, jint h, jint i) {
  GuardedVoid(env, [&] { c_Orvex_resetEncoder(h, U8(i)); });
}
jdouble OrvexGetEncoderDistance(JNIEnv* env, jclass, jint h, jint i) {
  return Guarded(env, 0.0, [&] { return c_Orvex_getEncoderDistance(h, U8(i)); });
}
jdouble OrvexGetEncoderRaw(JNIEnv* env, jclass, jint h, jint i) {
  return Guarded(env, 0.0, [&] { return c_Orvex_getEncoderRaw(h, U8(i)); });
}
jint OrvexGetEncoderCount(JNIEnv* env, jclass, jint h, jint i) {
  return Guarded(env, 0, [&] { return c_Orvex_getEncoderCount(h, U8(i)); });
}
jdouble OrvexGetEncoderSpeed(JNIEnv* env, jclass, jint h, jint i) {
  return Guarded(env, 0.0, [&] { return c_Orvex_getEncoderSpeed(h, U8(i)); });
}

// ---- LidarMini --------------------------------------------------------------------------------

jlong LidarMiniCreate(JNIEnv* env, jclass, jint port) {
  return Guarded(env, jlong{0}, [&] { return Handle(c_LidarMini_create(port)); });
}
void LidarMiniDestroy(JNIEnv* env, jclass, jlong h) {
  GuardedVoid(env, [&] { c_LidarMini_destroy(Ptr(h)); });
}
void LidarMiniStart(JNIEnv* env, jclass, jlong h) {
  GuardedVoid(env, [&] { c_LidarMini_start(Ptr(h)); });
}
void LidarMiniStop(JNIEnv* env, jclass, jlong h) {
  GuardedVoid(env, [&] { c_LidarMini_stop(Ptr(h)); });
}
void LidarMiniIncreaseFrequency(JNIEnv* env, jclass, jlong h, jboolean whole) {
  GuardedVoid(env, [&] { c_LidarMini_increaseFrequency(Ptr(h), whole == JNI_TRUE); });
}
void LidarMiniDecreaseFrequency(JNIEnv* env, jclass, jlong h, jboolean whole) {
  GuardedVoid(env, [&] { c_LidarMini_decreaseFrequency(Ptr(h), whole == JNI_TRUE); });
}
void LidarMiniGetInfo(JNIEnv* env, jclass, jlong h, jbyteArray out) {
  GuardedVoid(env, [&] {
    ReadRecord<velmora_driver::LidarMiniInfoRecord>(
        env, out, [&](velmora_driver::LidarMiniInfoRecord* r) { c_LidarMini_getInfo(Ptr(h), r); });
  });
}
void LidarMiniGetHealth(JNIEnv* env, jclass, jlong h, jbyteArray out) {
  GuardedVoid(env, [&] {
    ReadRecord<velmora_driver::LidarMiniHealthRecord>(
        env, out,
        [&](velmora_driver::LidarMiniHealthRecord* r) { c_LidarMini_getHealth(Ptr(h), r); });
  });
}

// One scan as a LidarMini.ScanData: three float arrays of the point count, filled in one pass
// over the driver's points, and the timestamp. The arrays are the only Java allocations.
jobject LidarMiniGetData(JNIEnv* env, jclass, jlong h) {
  return Guarded<jobject>(env, nullptr, [&]() -> jobject {
    DriverScan scan;
    const LidarMiniJNI::ScanData& record = scan.Read(Ptr(h));
    const auto n = static_cast<jsize>(record.points.size());
    jfloatArray angles = env->NewFloatArray(n);
    if (angles == nullptr) return nullptr;
    jfloatArray distances = env->NewFloatArray(n);
    if (distances == nullptr) return nullptr;
    jfloatArray qualities = env->NewFloatArray(n);
    if (qualities == nullptr) return nullptr;
    if (n > 0) {
      auto* a = static_cast<jfloat*>(env->GetPrimitiveArrayCritical(angles, nullptr));
      auto* d = a == nullptr
                    ? nullptr
                    : static_cast<jfloat*>(env->GetPrimitiveArrayCritical(distances, nullptr));
      auto* q = d == nullptr
                    ? nullptr
                    : static_cast<jfloat*>(env->GetPrimitiveArrayCritical(qualities, nullptr));
      if (q != nullptr) {
        for (jsize k = 0; k < n; ++k) {
          const LidarMiniJNI::DataPoint& point = record.points[static_cast<size_t>(k)];
          a[k] = point.angle;
          d[k] = point.distance;
          q[k] = point.quality;
        }
      }
      if (q != nullptr) env->ReleasePrimitiveArrayCritical(qualities, q, 0);
      if (d != nullptr) env->ReleasePrimitiveArrayCritical(distances, d, 0);
      if (a != nullptr) env->ReleasePrimitiveArrayCritical(angles, a, 0);
      if (q == nullptr) {
        ThrowJava(env, "java/lang/OutOfMemoryError", "scan arrays could not be pinned");
        return nullptr;
      }
    }
    jobject result = env->NewObject(g_scanClass, g_scanConstructor, angles, distances, qualities,
                                    static_cast<jlong>(record.timestamp));
    env->DeleteLocalRef(angles);
    env->DeleteLocalRef(distances);
    env->DeleteLocalRef(qualities);
    return result;
  });
}

// ---- Lidar ------------------------------------------------------------------------------------

void LidarCreate(JNIEnv* env, jclass, jint port) {
  GuardedVoid(env, [&] { c_Lidar_create(port); });
}
void LidarStart(JNIEnv* env, jclass) {
  GuardedVoid(env, [&] { c_Lidar_start(); });
}
void LidarStop(JNIEnv* env, jclass) {
  GuardedVoid(env, [&] { c_Lidar_stop(); });
}
void LidarGetData(JNIEnv* env, jclass, jbyteArray out) {
  GuardedVoid(env, [&] {
    ReadRecord<velmora_driver::LidarScanBlock>(
        env, out, [&](velmora_driver::LidarScanBlock* r) { *r = c_Lidar_getData(); });
  });
}
void LidarEnableFilter(JNIEnv* env, jclass, jint filter, jboolean enable) {
  GuardedVoid(env, [&] { c_Lidar_enableFilter(filter, enable == JNI_TRUE); });
}
void LidarClusterConfig(JNIEnv* env, jclass, jfloat value, jint size) {
  GuardedVoid(env, [&] { c_Lidar_clusterConfig(value, size); });
}
void LidarKalmanConfig(JNIEnv* env, jclass, jfloat a, jfloat b, jfloat c) {
  GuardedVoid(env, [&] { c_Lidar_kalmanConfig(a, b, c); });
}
void LidarMovingAverageConfig(JNIEnv* env, jclass, jint size) {
  GuardedVoid(env, [&] { c_Lidar_movingAverageConfig(size); });
}
void LidarMedianConfig(JNIEnv* env, jclass, jint size) {
  GuardedVoid(env, [&] { c_Lidar_medianConfig(size); });
}
void LidarJitterConfig(JNIEnv* env, jclass, jfloat value) {
  GuardedVoid(env, [&] { c_Lidar_jitterConfig(value); });
}

// ---- Lumira and Pallax -------------------------------------------------------------------------

jlong LumiraCreate(JNIEnv* env, jclass, jint canId) {
  return Guarded(env, jlong{0}, [&] { return Handle(c_Lumira_create(canId)); });
}
jlong LumiraCreateUsb(JNIEnv* env, jclass, jbyteArray path, jint n) {
  return Guarded(env, jlong{0}, [&]() -> jlong {
    std::string text;
    if (!Text(env, path, text)) return 0;
    return Handle(c_Lumira_createUsb(text.c_str(), n));
  });
}
void LumiraDestroy(JNIEnv* env, jclass, jlong h) {
  GuardedVoid(env, [&] { c_Lumira_destroy(Ptr(h)); });
}
void LumiraGetColor(JNIEnv* env, jclass, jlong h, jbyteArray out) {
  GuardedVoid(env, [&] {
    ReadRecord<velmora_driver::LumiraColorRecord>(
        env, out, [&](velmora_driver::LumiraColorRecord* r) { c_Lumira_getColor(Ptr(h), r); });
  });
}
jboolean LumiraSetColorFormat(JNIEnv* env, jclass, jlong h, jint format) {
  return Guarded(env, JNI_FALSE,
                 [&] { return jboolean(c_Lumira_setColorFormat(Ptr(h), U8(format))); });
}
jboolean LumiraSetSampleTimeMs(JNIEnv* env, jclass, jlong h, jint ms) {
  return Guarded(env, JNI_FALSE,
                 [&] { return jboolean(c_Lumira_setSampleTimeMs(Ptr(h), U16(ms))); });
}
jboolean LumiraSetBrightness(JNIEnv* env, jclass, jlong h, jint brightness) {
  return Guarded(env, JNI_FALSE,
                 [&] { return jboolean(c_Lumira_setBrightness(Ptr(h), U8(brightness))); });
}
jboolean LumiraSetStatusLed(JNIEnv* env, jclass, jlong h, jboolean on, jint value) {
  return Guarded(env, JNI_FALSE, [&] {
    return jboolean(c_Lumira_setStatusLed(Ptr(h), on == JNI_TRUE, U8(value)));
  });
}
jboolean LumiraSetMeasureMode(JNIEnv* env, jclass, jlong h, jint mode, jfloat value) {
  return Guarded(env, JNI_FALSE,
                 [&] { return jboolean(c_Lumira_setMeasureMode(Ptr(h), U8(mode), value)); });
}
jboolean LumiraSetZmm(JNIEnv* env, jclass, jlong h, jfloat mm) {
  return Guarded(env, JNI_FALSE, [&] { return jboolean(c_Lumira_setZmm(Ptr(h), mm)); });
}
jboolean LumiraSetUsbOverride(JNIEnv* env, jclass, jlong h, jboolean enable) {
  return Guarded(env, JNI_FALSE,
                 [&] { return jboolean(c_Lumira_setUsbOverride(Ptr(h), enable == JNI_TRUE)); });
}
jboolean LumiraSetCanId(JNIEnv* env, jclass, jlong h, jint canId) {
  return Guarded(env, JNI_FALSE, [&] { return jboolean(c_Lumira_setCanId(Ptr(h), canId)); });
}
jboolean LumiraGetConfig(JNIEnv* env, jclass, jlong h, jint item, jlongArray out) {
  if (!Holds(env, out, 1, "result buffer")) return JNI_FALSE;
  return Guarded(env, JNI_FALSE, [&] {
    uint32_t value = 0;
    const bool ok = c_Lumira_getConfig(Ptr(h), U8(item), &value);
    const jlong wide = value;
    env->SetLongArrayRegion(out, 0, 1, &wide);
    return ok ? JNI_TRUE : JNI_FALSE;
  });
}
jint LumiraGetCanID(JNIEnv* env, jclass, jlong h) {
  return Guarded(env, 0, [&] { return c_Lumira_getCanID(Ptr(h)); });
}
jint LumiraGetTransport(JNIEnv* env, jclass, jlong h) {
  return Guarded(env, 0, [&] { return c_Lumira_getTransport(Ptr(h)); });
}

jlong PallaxCreate(JNIEnv* env, jclass, jint canId) {
  return Guarded(env, jlong{0}, [&] { return Handle(c_Pallax_create(canId)); });
}
jlong PallaxCreateUsb(JNIEnv* env, jclass, jbyteArray path, jint n) {
  return Guarded(env, jlong{0}, [&]() -> jlong {
    std::string text;
    if (!Text(env, path, text)) return 0;
    return Handle(c_Pallax_createUsb(text.c_str(), n));
  });
}
void PallaxDestroy(JNIEnv* env, jclass, jlong h) {
  GuardedVoid(env, [&] { c_Pallax_destroy(Ptr(h)); });
}
void PallaxGetData(JNIEnv* env, jclass, jlong h, jbyteArray out, jint length) {
  GuardedVoid(env, [&] {
    ReadRecord<velmora_driver::PallaxScanRecord>(
        env, out,
        [&](velmora_driver::PallaxScanRecord* r) { c_Pallax_getData(Ptr(h), r, length); });
  });
}
void PallaxGetConfig(JNIEnv* env, jclass, jlong h, jbyteArray out, jint item) {
  GuardedVoid(env, [&] {
    ReadRecord<velmora_driver::PallaxConfigRecord>(
        env, out,
        [&](velmora_driver::PallaxConfigRecord* r) { c_Pallax_getConfig(Ptr(h), r, item); });
  });
}
jint PallaxGetCanID(JNIEnv* env, jclass, jlong h) {
  return Guarded(env, 0, [&] { return c_Pallax_getCanID(Ptr(h)); });
}
jint PallaxGetTransport(JNIEnv* env, jclass, jlong h) {
  return Guarded(env, 0, [&] { return c_Pallax_getTransport(Ptr(h)); });
}

// ---- Board, driver station, device paths -------------------------------------------------------

void InitializeI2C(JNIEnv* env, jclass, jint vref) {
  GuardedVoid(env, [&] { c_initializeI2C(vref); });
}
void CloseI2C(JNIEnv* env, jclass) {
  GuardedVoid(env, [&] { c_closeI2C(); });
}
jint GetRawValue(JNIEnv* env, jclass, jint channel) {
  return Guarded(env, 0, [&] { return c_getRawValue(U8(channel)); });
}
jfloat GetVoltage(JNIEnv* env, jclass, jint channel) {
  return Guarded(env, 0.0f, [&] { return c_getVoltage(U8(channel)); });
}
void MockDSCreate(JNIEnv* env, jclass) {
  GuardedVoid(env, [&] { c_MockDS_create(); });
}
void MockDSDestroy(JNIEnv* env, jclass) {
  GuardedVoid(env, [&] { c_MockDS_destroy(); });
}
void MockDSEnable(JNIEnv* env, jclass) {
  GuardedVoid(env, [&] { c_MockDS_enable(); });
}
void MockDSDisable(JNIEnv* env, jclass) {
  GuardedVoid(env, [&] { c_MockDS_disable(); });
}
jbyteArray FindDevicePathBytes(JNIEnv* env, jclass, jint port) {
  return Guarded<jbyteArray>(env, nullptr, [&] { return Bytes(env, FindDevicePath(port)); });
}

jobjectArray BoundMethods(JNIEnv* env, jclass);

#define VELMORA_NATIVE(name, signature, function)                                               \
  JNINativeMethod {                                                                             \
    const_cast<char*>(name), const_cast<char*>(signature), reinterpret_cast<void*>(&(function)) \
  }

// The one table of native methods. Its names and signatures must match VelmoraJNI.java; a
// mismatch fails RegisterNatives, and with it the loading of the library.
const JNINativeMethod kMethods[] = {
    VELMORA_NATIVE("orvexCreate", "(II)I", OrvexCreate),
    VELMORA_NATIVE("orvexDestroy", "(I)V", OrvexDestroy),
    VELMORA_NATIVE("orvexGetID", "(I)I", OrvexGetID),
    VELMORA_NATIVE("orvexGetFirmwareVersion", "(I)[B", OrvexGetFirmwareVersion),
    VELMORA_NATIVE("orvexGetHardwareVersion", "(I)[B", OrvexGetHardwareVersion),
    VELMORA_NATIVE("orvexGetSerialNumber", "(I)[B", OrvexGetSerialNumber),
    VELMORA_NATIVE("orvexGetFrequency", "(I)I", OrvexGetFrequency),
    VELMORA_NATIVE("orvexGetControllerTemp", "(I)D", OrvexGetControllerTemp),
    VELMORA_NATIVE("orvexSetMotorStopMode", "(II)V", OrvexSetMotorStopMode),
    VELMORA_NATIVE("orvexSetPIDType", "(II)V", OrvexSetPIDType),
    VELMORA_NATIVE("orvexAutotuneAll", "(I)V", OrvexAutotuneAll),
    VELMORA_NATIVE("orvexSetCANSensorOsDelay", "(II)V", OrvexSetCANSensorOsDelay),
    VELMORA_NATIVE("orvexGetTargetRPMFromDevice", "(I[D)Z", OrvexGetTargetRPMFromDevice),
    VELMORA_NATIVE("orvexSetEncoder", "(IID)V", OrvexSetEncoder),
    VELMORA_NATIVE("orvexSetMotorSpeed", "(IID)V", OrvexSetMotorSpeed),
    VELMORA_NATIVE("orvexDisableMotor", "(II)V", OrvexDisableMotor),
    VELMORA_NATIVE("orvexConfigureMotor", "(III)V", OrvexConfigureMotor),
    VELMORA_NATIVE("orvexGetRPM", "(II)D", OrvexGetRPM),
    VELMORA_NATIVE("orvexTryGetRPM", "(II[D)Z", OrvexTryGetRPM),
    VELMORA_NATIVE("orvexTryGetTargetRPM", "(II[D)Z", OrvexTryGetTargetRPM),
    VELMORA_NATIVE("orvexGetLimitSwitch", "(IIZ)I", OrvexGetLimitSwitch),
    VELMORA_NATIVE("orvexGetZynderPosition", "(II)D", OrvexGetZynderPosition),
    VELMORA_NATIVE("orvexSetTargetVelocity", "(IIF)V", OrvexSetTargetVelocity),
    VELMORA_NATIVE("orvexSetTargetDistance", "(III)V", OrvexSetTargetDistance),
    VELMORA_NATIVE("orvexSetTargetAngle", "(IID)V", OrvexSetTargetAngle),
    VELMORA_NATIVE("orvexSetPositionHold", "(IIZ)V", OrvexSetPositionHold),
    VELMORA_NATIVE("orvexSetSensitivity", "(III)V", OrvexSetSensitivity),
    VELMORA_NATIVE("orvexSetCurrentLimit", "(IIF)V", OrvexSetCurrentLimit),
    VELMORA_NATIVE("orvexSetCurrentLimitMode", "(III)V", OrvexSetCurrentLimitMode),
    VELMORA_NATIVE("orvexSetEncoderResolution", "(III)V", OrvexSetEncoderResolution),
    VELMORA_NATIVE("orvexSetMotorPIDType", "(III)V", OrvexSetMotorPIDType),
    VELMORA_NATIVE("orvexAutotuneMotor", "(II)V", OrvexAutotuneMotor),
    VELMORA_NATIVE("orvexResetEncoder", "(II)V", OrvexResetEncoder),
    VELMORA_NATIVE("orvexGetEncoderDistance", "(II)D", OrvexGetEncoderDistance),
    VELMORA_NATIVE("orvexGetEncoderRaw", "(II)D", OrvexGetEncoderRaw),
    VELMORA_NATIVE("orvexGetEncoderCount", "(II)I", OrvexGetEncoderCount),
    VELMORA_NATIVE("orvexGetEncoderSpeed", "(II)D", OrvexGetEncoderSpeed),
    VELMORA_NATIVE("lidarMiniCreate", "(I)J", LidarMiniCreate),
    VELMORA_NATIVE("lidarMiniDestroy", "(J)V", LidarMiniDestroy),
    VELMORA_NATIVE("lidarMiniStart", "(J)V", LidarMiniStart),
    VELMORA_NATIVE("lidarMiniStop", "(J)V", LidarMiniStop),
    VELMORA_NATIVE("lidarMiniIncreaseFrequency", "(JZ)V", LidarMiniIncreaseFrequency),
    VELMORA_NATIVE("lidarMiniDecreaseFrequency", "(JZ)V", LidarMiniDecreaseFrequency),
    VELMORA_NATIVE("lidarMiniGetInfo", "(J[B)V", LidarMiniGetInfo),
    VELMORA_NATIVE("lidarMiniGetHealth", "(J[B)V", LidarMiniGetHealth),
    VELMORA_NATIVE("lidarMiniGetData", "(J)Ldev/velmora/frc/LidarMini$ScanData;", LidarMiniGetData),
    VELMORA_NATIVE("lidarCreate", "(I)V", LidarCreate),
    VELMORA_NATIVE("lidarStart", "()V", LidarStart),
    VELMORA_NATIVE("lidarStop", "()V", LidarStop),
    VELMORA_NATIVE("lidarGetData", "([B)V", LidarGetData),
    VELMORA_NATIVE("lidarEnableFilter", "(IZ)V", LidarEnableFilter),
    VELMORA_NATIVE("lidarClusterConfig", "(FI)V", LidarClusterConfig),
    VELMORA_NATIVE("lidarKalmanConfig", "(FFF)V", LidarKalmanConfig),
    VELMORA_NATIVE("lidarMovingAverageConfig", "(I)V", LidarMovingAverageConfig),
    VELMORA_NATIVE("lidarMedianConfig", "(I)V", LidarMedianConfig),
    VELMORA_NATIVE("lidarJitterConfig", "(F)V", LidarJitterConfig),
    VELMORA_NATIVE("lumiraCreate", "(I)J", LumiraCreate),
    VELMORA_NATIVE("lumiraCreateUsb", "([BI)J", LumiraCreateUsb),
    VELMORA_NATIVE("lumiraDestroy", "(J)V", LumiraDestroy),
    VELMORA_NATIVE("lumiraGetColor", "(J[B)V", LumiraGetColor),
    VELMORA_NATIVE("lumiraSetColorFormat", "(JI)Z", LumiraSetColorFormat),
    VELMORA_NATIVE("lumiraSetSampleTimeMs", "(JI)Z", LumiraSetSampleTimeMs),
    VELMORA_NATIVE("lumiraSetBrightness", "(JI)Z", LumiraSetBrightness),
    VELMORA_NATIVE("lumiraSetStatusLed", "(JZI)Z", LumiraSetStatusLed),
    VELMORA_NATIVE("lumiraSetMeasureMode", "(JIF)Z", LumiraSetMeasureMode),
    VELMORA_NATIVE("lumiraSetZmm", "(JF)Z", LumiraSetZmm),
    VELMORA_NATIVE("lumiraSetUsbOverride", "(JZ)Z", LumiraSetUsbOverride),
    VELMORA_NATIVE("lumiraSetCanId", "(JI)Z", LumiraSetCanId),
    VELMORA_NATIVE("lumiraGetConfig", "(JI[J)Z", LumiraGetConfig),
    VELMORA_NATIVE("lumiraGetCanID", "(J)I", LumiraGetCanID),
    VELMORA_NATIVE("lumiraGetTransport", "(J)I", LumiraGetTransport),
    VELMORA_NATIVE("pallaxCreate", "(I)J", PallaxCreate),
    VELMORA_NATIVE("pallaxCreateUsb", "([BI)J", PallaxCreateUsb),
    VELMORA_NATIVE("pallaxDestroy", "(J)V", PallaxDestroy),
    VELMORA_NATIVE("pallaxGetData", "(J[BI)V", PallaxGetData),
    VELMORA_NATIVE("pallaxGetConfig", "(J[BI)V", PallaxGetConfig),
    VELMORA_NATIVE("pallaxGetCanID", "(J)I", PallaxGetCanID),
    VELMORA_NATIVE("pallaxGetTransport", "(J)I", PallaxGetTransport),
    VELMORA_NATIVE("initializeI2C", "(I)V", InitializeI2C),
    VELMORA_NATIVE("closeI2C", "()V", CloseI2C),
    VELMORA_NATIVE("getRawValue", "(I)I", GetRawValue),
    VELMORA_NATIVE("getVoltage", "(I)F", GetVoltage),
    VELMORA_NATIVE("mockDSCreate", "()V", MockDSCreate),
    VELMORA_NATIVE("mockDSDestroy", "()V", MockDSDestroy),
    VELMORA_NATIVE("mockDSEnable", "()V", MockDSEnable),
    VELMORA_NATIVE("mockDSDisable", "()V", MockDSDisable),
    VELMORA_NATIVE("findDevicePath", "(I)[B", FindDevicePathBytes),
    VELMORA_NATIVE("boundMethods", "()[Ljava/lang/String;", BoundMethods),
};

constexpr jsize kMethodCount = static_cast<jsize>(sizeof kMethods / sizeof kMethods[0]);

// "name signature" of every method in the table, for the test that holds it against the native
// methods the Java class declares.
jobjectArray BoundMethods(JNIEnv* env, jclass) {
  return Guarded<jobjectArray>(env, nullptr, [&]() -> jobjectArray {
    jclass stringClass = env->FindClass("java/lang/String");
    if (stringClass == nullptr) return nullptr;
    jobjectArray names = env->NewObjectArray(kMethodCount, stringClass, nullptr);
    env->DeleteLocalRef(stringClass);
    if (names == nullptr) return nullptr;
    for (jsize k = 0; k < kMethodCount; ++k) {
      const std::string entry = std::string(kMethods[k].name) + " " + kMethods[k].signature;
      jstring text = env->NewStringUTF(entry.c_str());
      if (text == nullptr) return nullptr;
      env->SetObjectArrayElement(names, k, text);
      env->DeleteLocalRef(text);  // one local per entry at a time, however long the table
    }
    return names;
  });
}

}  // namespace

extern "C" JNIEXPORT jint JNICALL JNI_OnLoad(JavaVM* vm, void* /*reserved*/) {
  JNIEnv* env = nullptr;
  if (vm->GetEnv(reinterpret_cast<void**>(&env), JNI_VERSION_1_8) != JNI_OK) return JNI_ERR;
  jclass bridge = env->FindClass(kBridgeClass);
  if (bridge == nullptr) return JNI_ERR;
  const jint registered = env->RegisterNatives(bridge, kMethods, kMethodCount);
  env->DeleteLocalRef(bridge);
  if (registered != JNI_OK) return JNI_ERR;
  jclass scan = env->FindClass(kLidarMiniScanClass);
  if (scan == nullptr) return JNI_ERR;
  g_scanClass = static_cast<jclass>(env->NewGlobalRef(scan));
  env->DeleteLocalRef(scan);
  if (g_scanClass == nullptr) return JNI_ERR;
  g_scanConstructor = env->GetMethodID(g_scanClass, "<init>", "([F[F[FJ)V");
  if (g_scanConstructor == nullptr) return JNI_ERR;
  return JNI_VERSION_1_8;
}

extern "C" JNIEXPORT void JNICALL JNI_OnUnload(JavaVM* vm, void* /*reserved*/) {
  JNIEnv* env = nullptr;
  if (vm->GetEnv(reinterpret_cast<void**>(&env), JNI_VERSION_1_8) != JNI_OK) return;
  if (g_scanClass != nullptr) env->DeleteGlobalRef(g_scanClass);
  g_scanClass = nullptr;
  g_scanConstructor = nullptr;
}
