// The boundary with the maker's closed driver library, VelmoraDriver.
//
// Every function the library imports from the driver is declared here, once, with the exact
// argument widths the driver expects: a float stays a float, a byte stays a byte. The records the
// driver fills in the caller's storage are declared here too, with their layout pinned down by
// static_asserts, because a layout mismatch with the driver's build would corrupt data silently.
//
// This header is private to the library and to whatever stands in for the driver; robot programs
// include only the headers under include/velmora/.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#if defined(_WIN32)
#if defined(VELMORA_DRIVER_BUILDING)
#define VELMORA_DRIVER_API __declspec(dllexport)
#else
#define VELMORA_DRIVER_API __declspec(dllimport)
#endif
#else
#define VELMORA_DRIVER_API __attribute__((visibility("default")))
#endif

// ---------------------------------------------------------------------------------------------
// Driver records
// ---------------------------------------------------------------------------------------------

// The small lidar's scan record. It is a C++ object of the driver's own: the driver builds it in
// the caller's storage (placement) and the caller destroys it, so both sides must share one
// standard library and one heap.
namespace LidarMiniJNI {

struct DataPoint {
  float angle;     // degrees
  float distance;  // driver's unit; 0 or below marks a point without a valid reading
  float quality;
};
static_assert(sizeof(DataPoint) == 12, "DataPoint is three packed floats");
static_assert(offsetof(DataPoint, angle) == 0, "DataPoint::angle offset");
static_assert(offsetof(DataPoint, distance) == 4, "DataPoint::distance offset");
static_assert(offsetof(DataPoint, quality) == 8, "DataPoint::quality offset");

struct ScanData {
  int64_t timestamp;
  std::vector<DataPoint> points;
};
static_assert(offsetof(ScanData, timestamp) == 0, "ScanData::timestamp leads the record");
static_assert(offsetof(ScanData, points) == 8, "ScanData::points follows the timestamp");

}  // namespace LidarMiniJNI

namespace velmora_driver {

// Small lidar information record, 22 bytes at natural alignment.
struct LidarMiniInfoRecord {
  uint8_t model;
  uint16_t firmware;  // low byte: minor version, high byte: major version
  uint8_t hardware;
  uint8_t serialNumber[16];
};
static_assert(sizeof(LidarMiniInfoRecord) == 22, "LidarMiniInfoRecord size");
static_assert(offsetof(LidarMiniInfoRecord, model) == 0, "LidarMiniInfoRecord::model");
static_assert(offsetof(LidarMiniInfoRecord, firmware) == 2, "LidarMiniInfoRecord::firmware");
static_assert(offsetof(LidarMiniInfoRecord, hardware) == 4, "LidarMiniInfoRecord::hardware");
static_assert(offsetof(LidarMiniInfoRecord, serialNumber) == 5, "LidarMiniInfoRecord::serial");

// Small lidar health record, 4 bytes.
struct LidarMiniHealthRecord {
  uint8_t status;
  uint16_t errorCode;
};
static_assert(sizeof(LidarMiniHealthRecord) == 4, "LidarMiniHealthRecord size");
static_assert(offsetof(LidarMiniHealthRecord, status) == 0, "LidarMiniHealthRecord::status");
static_assert(offsetof(LidarMiniHealthRecord, errorCode) == 2, "LidarMiniHealthRecord::errorCode");

// Large lidar scan block: exactly 2880 bytes, two arrays of 360 four-byte values, one per degree.
struct LidarScanBlock {
  float angles[360];
  float distances[360];
};
static_assert(sizeof(LidarScanBlock) == 2880, "LidarScanBlock is 2880 bytes");
static_assert(offsetof(LidarScanBlock, angles) == 0, "LidarScanBlock first array");
static_assert(offsetof(LidarScanBlock, distances) == 1440, "LidarScanBlock second array");

// Colour sensor reading, 20 bytes.
struct LumiraColorRecord {
  uint16_t header;
  float component1;
  float component2;
  float component3;
  uint8_t trailer;
};
static_assert(sizeof(LumiraColorRecord) == 20, "LumiraColorRecord size");
static_assert(offsetof(LumiraColorRecord, header) == 0, "LumiraColorRecord::header");
static_assert(offsetof(LumiraColorRecord, component1) == 4, "LumiraColorRecord::component1");
static_assert(offsetof(LumiraColorRecord, component2) == 8, "LumiraColorRecord::component2");
static_assert(offsetof(LumiraColorRecord, component3) == 12, "LumiraColorRecord::component3");
static_assert(offsetof(LumiraColorRecord, trailer) == 16, "LumiraColorRecord::trailer");

// Pallax scan record: a leading byte, a count, and room for 64 signed 16-bit entries.
constexpr int kPallaxMaxValues = 64;
struct PallaxScanRecord {
  uint8_t header;
  int32_t count;  // number of valid entries; the driver promises 0 to 64
  int16_t values[kPallaxMaxValues];
};
static_assert(sizeof(PallaxScanRecord) == 136, "PallaxScanRecord size");
static_assert(offsetof(PallaxScanRecord, header) == 0, "PallaxScanRecord::header");
static_assert(offsetof(PallaxScanRecord, count) == 4, "PallaxScanRecord::count");
static_assert(offsetof(PallaxScanRecord, values) == 8, "PallaxScanRecord::values");

// Pallax configuration record: six single bytes; bytes 1 to 3 are flags.
struct PallaxConfigRecord {
  uint8_t valueA;
  uint8_t flagA;
  uint8_t flagB;
  uint8_t flagC;
  uint8_t valueB;
  uint8_t valueC;
};
static_assert(sizeof(PallaxConfigRecord) == 6, "PallaxConfigRecord size");
static_assert(offsetof(PallaxConfigRecord, valueA) == 0, "PallaxConfigRecord::valueA");
static_assert(offsetof(PallaxConfigRecord, flagA) == 1, "PallaxConfigRecord::flagA");
static_assert(offsetof(PallaxConfigRecord, flagB) == 2, "PallaxConfigRecord::flagB");
static_assert(offsetof(PallaxConfigRecord, flagC) == 3, "PallaxConfigRecord::flagC");
static_assert(offsetof(PallaxConfigRecord, valueB) == 4, "PallaxConfigRecord::valueB");
static_assert(offsetof(PallaxConfigRecord, valueC) == 5, "PallaxConfigRecord::valueC");

// Handles: the Orvex family uses a 32-bit integer; the others an opaque pointer (null: no device).
using OrvexHandle = int32_t;
using DeviceHandle = void*;

}  // namespace velmora_driver

// ---------------------------------------------------------------------------------------------
// Driver functions
// ---------------------------------------------------------------------------------------------

// A few driver functions hand back a caller-owned std::string by value. That is a C++ object
// crossing a C-linkage boundary, which works because both sides share one C++ runtime; tell the
// compilers we know.
#if defined(__clang__)
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wreturn-type-c-linkage"
#elif defined(_MSC_VER)
#pragma warning(push)
#pragma warning(disable : 4190)
#endif

extern "C" {

// Orvex four-channel CAN motor controller: controller-wide calls.
VELMORA_DRIVER_API int32_t c_Orvex_create(int32_t id, int32_t frequency);
VELMORA_DRIVER_API void c_Orvex_destroy(int32_t handle);
VELMORA_DRIVER_API int32_t c_Orvex_getID(int32_t handle);
VELMORA_DRIVER_API std::string c_Orvex_getFirmwareVersion(int32_t handle);
VELMORA_DRIVER_API std::string c_Orvex_getHardwareVersion(int32_t handle);
VELMORA_DRIVER_API std::string c_Orvex_getSerialNumber(int32_t handle);
VELMORA_DRIVER_API int32_t c_Orvex_getFrequency(int32_t handle);
VELMORA_DRIVER_API double c_Orvex_getControllerTemp(int32_t handle);
VELMORA_DRIVER_API void c_Orvex_setMotorStopMode(int32_t handle, uint8_t mode);
VELMORA_DRIVER_API void c_Orvex_setPIDType(int32_t handle, uint8_t type);
VELMORA_DRIVER_API void c_Orvex_autotuneAll(int32_t handle);
VELMORA_DRIVER_API void c_Orvex_setCANSensorOsDelay(int32_t handle, uint16_t delay);
VELMORA_DRIVER_API bool c_Orvex_getTargetRPMFromDevice(int32_t handle, double* targets);
VELMORA_DRIVER_API void c_Orvex_setEncoder(int32_t handle, uint8_t index, double setupValue);

// Orvex motor channel calls.
VELMORA_DRIVER_API void c_Orvex_setMotorSpeed(int32_t handle, uint8_t index, double speed);
VELMORA_DRIVER_API void c_Orvex_disableMotor(int32_t handle, uint8_t index);
VELMORA_DRIVER_API void c_Orvex_configureMotor(int32_t handle, uint8_t index, int32_t configuration);
VELMORA_DRIVER_API double c_Orvex_getRPM(int32_t handle, uint8_t index);
VELMORA_DRIVER_API bool c_Orvex_tryGetRPM(int32_t handle, uint8_t index, double* rpm);
VELMORA_DRIVER_API bool c_Orvex_tryGetTargetRPM(int32_t handle, uint8_t index, double* rpm);
VELMORA_DRIVER_API int32_t c_Orvex_getLimitSwitch(int32_t handle, uint8_t index, bool which);
VELMORA_DRIVER_API double c_Orvex_getZynderPosition(int32_t handle, uint8_t index);
VELMORA_DRIVER_API void c_Orvex_setTargetVelocity(int32_t handle, uint8_t index, float velocity);
VELMORA_DRIVER_API void c_Orvex_setTargetDistance(int32_t handle, uint8_t index, int32_t distance);
VELMORA_DRIVER_API void c_Orvex_setTargetAngle(int32_t handle, uint8_t index, double angle);
VELMORA_DRIVER_API void c_Orvex_setPositionHold(int32_t handle, uint8_t index, bool hold);
VELMORA_DRIVER_API void c_Orvex_setSensitivity(int32_t handle, uint8_t index, uint8_t sensitivity);
VELMORA_DRIVER_API void c_Orvex_setCurrentLimit(int32_t handle, uint8_t index, float limit);
VELMORA_DRIVER_API void c_Orvex_setCurrentLimitMode(int32_t handle, uint8_t index, uint8_t mode);
VELMORA_DRIVER_API void c_Orvex_setEncoderResolution(int32_t handle, uint8_t index,
                                                     uint16_t resolution);
VELMORA_DRIVER_API void c_Orvex_setMotorPIDType(int32_t handle, uint8_t index, uint8_t type);
VELMORA_DRIVER_API void c_Orvex_autotuneMotor(int32_t handle, uint8_t index);

// Orvex encoder channel calls.
VELMORA_DRIVER_API void c_Orvex_resetEncoder(int32_t handle, uint8_t index);
VELMORA_DRIVER_API double c_Orvex_getEncoderDistance(int32_t handle, uint8_t index);
VELMORA_DRIVER_API double c_Orvex_getEncoderRaw(int32_t handle, uint8_t index);
VELMORA_DRIVER_API int32_t c_Orvex_getEncoderCount(int32_t handle, uint8_t index);
VELMORA_DRIVER_API double c_Orvex_getEncoderSpeed(int32_t handle, uint8_t index);

// Small 360-degree lidar. The destroy call must accept a null handle.
VELMORA_DRIVER_API void* c_LidarMini_create(int32_t port);
VELMORA_DRIVER_API void c_LidarMini_destroy(void* handle);
VELMORA_DRIVER_API void c_LidarMini_start(void* handle);
VELMORA_DRIVER_API void c_LidarMini_stop(void* handle);
VELMORA_DRIVER_API void c_LidarMini_increaseFrequency(void* handle, bool wholeHertz);
VELMORA_DRIVER_API void c_LidarMini_decreaseFrequency(void* handle, bool wholeHertz);
VELMORA_DRIVER_API void c_LidarMini_getInfo(void* handle,
                                            velmora_driver::LidarMiniInfoRecord* info);
VELMORA_DRIVER_API void c_LidarMini_getHealth(void* handle,
                                              velmora_driver::LidarMiniHealthRecord* health);
// Builds a LidarMiniJNI::ScanData in the caller's (unconstructed) storage; the caller destroys it.
VELMORA_DRIVER_API void c_LidarMini_getData(void* handle, LidarMiniJNI::ScanData* storage);

// Large filtering lidar: one process-wide device, no handle.
VELMORA_DRIVER_API void c_Lidar_create(int32_t port);
VELMORA_DRIVER_API void c_Lidar_start();
VELMORA_DRIVER_API void c_Lidar_stop();
VELMORA_DRIVER_API velmora_driver::LidarScanBlock c_Lidar_getData();
VELMORA_DRIVER_API void c_Lidar_enableFilter(int32_t filter, bool enable);
VELMORA_DRIVER_API void c_Lidar_clusterConfig(float value, int32_t minClusterSize);
VELMORA_DRIVER_API void c_Lidar_kalmanConfig(float a, float b, float c);
VELMORA_DRIVER_API void c_Lidar_movingAverageConfig(int32_t windowSize);
VELMORA_DRIVER_API void c_Lidar_medianConfig(int32_t windowSize);
VELMORA_DRIVER_API void c_Lidar_jitterConfig(float value);

// Lumira colour sensor, on CAN or USB.
VELMORA_DRIVER_API void* c_Lumira_create(int32_t canId);
VELMORA_DRIVER_API void* c_Lumira_createUsb(const char* path, int32_t n);
VELMORA_DRIVER_API void c_Lumira_destroy(void* handle);
VELMORA_DRIVER_API bool c_Lumira_getColor(void* handle, velmora_driver::LumiraColorRecord* color);
VELMORA_DRIVER_API bool c_Lumira_setColorFormat(void* handle, uint8_t format);
VELMORA_DRIVER_API bool c_Lumira_setSampleTimeMs(void* handle, uint16_t milliseconds);
VELMORA_DRIVER_API bool c_Lumira_setBrightness(void* handle, uint8_t brightness);
VELMORA_DRIVER_API bool c_Lumira_setStatusLed(void* handle, bool on, uint8_t value);
VELMORA_DRIVER_API bool c_Lumira_setMeasureMode(void* handle, uint8_t mode, float value);
VELMORA_DRIVER_API bool c_Lumira_setZmm(void* handle, float millimetres);
VELMORA_DRIVER_API bool c_Lumira_setUsbOverride(void* handle, bool enable);
VELMORA_DRIVER_API bool c_Lumira_setCanId(void* handle, int32_t canId);
VELMORA_DRIVER_API bool c_Lumira_getConfig(void* handle, uint8_t item, uint32_t* value);
VELMORA_DRIVER_API int32_t c_Lumira_getCanID(void* handle);
VELMORA_DRIVER_API int32_t c_Lumira_getTransport(void* handle);

// Pallax sensor, on CAN or USB. Note the argument order of the reads: record, then integer.
VELMORA_DRIVER_API void* c_Pallax_create(int32_t canId);
VELMORA_DRIVER_API void* c_Pallax_createUsb(const char* path, int32_t n);
VELMORA_DRIVER_API void c_Pallax_destroy(void* handle);
VELMORA_DRIVER_API bool c_Pallax_getData(void* handle, velmora_driver::PallaxScanRecord* scan,
                                         int32_t length);
VELMORA_DRIVER_API bool c_Pallax_getConfig(void* handle, velmora_driver::PallaxConfigRecord* config,
                                           int32_t item);
VELMORA_DRIVER_API int32_t c_Pallax_getCanID(void* handle);
VELMORA_DRIVER_API int32_t c_Pallax_getTransport(void* handle);

// Adexa analog-input board on I2C: one process-wide board.
VELMORA_DRIVER_API void c_initializeI2C(int32_t vref);
VELMORA_DRIVER_API void c_closeI2C();
VELMORA_DRIVER_API int32_t c_getRawValue(uint8_t channel);
VELMORA_DRIVER_API float c_getVoltage(uint8_t channel);

// Simulated driver station: one process-wide station.
VELMORA_DRIVER_API void c_MockDS_create();
VELMORA_DRIVER_API void c_MockDS_destroy();
VELMORA_DRIVER_API void c_MockDS_enable();
VELMORA_DRIVER_API void c_MockDS_disable();

// The device path of a USB port value, owned by the caller.
VELMORA_DRIVER_API std::string FindDevicePath(int32_t port);

}  // extern "C"

#if defined(__clang__)
#pragma clang diagnostic pop
#elif defined(_MSC_VER)
#pragma warning(pop)
#endif
