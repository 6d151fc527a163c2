// Extras of the simulation driver, for tests, the demo and benchmarks. The library never includes
// this header: it only sees the driver's flat functions.
//
// Two faces:
//  - a journal: every driver call is recorded with its name and its arguments at their exact
//    types (float bit patterns preserved), and can be queried and cleared;
//  - scripted results: a test can say what the next call (or every call) of a driver function
//    returns and what it writes into the caller's storage. Without a script the simulated
//    devices answer.
//
// Built against WPILib, every open device is also a WPILib sim device ("Orvex[5]", ...). The
// driver calls WPILib's sim API only outside its own lock, so a sim value callback or an
// enumeration callback may call into any device, from any thread. A settable value set from
// outside (by a tool, a test or a callback, at any time) is what the device reads from its next
// call on, never overwritten by the model. After HALSIM_ResetSimDeviceData the open devices are
// shown again under their names, each with its own values. An exception thrown by a callback that
// WPILib runs inside the driver's calls (a sim device's or value's creation, a value's change, the
// input voltage) is reported on the standard error stream and the driver goes on; it never
// reaches the program.
#pragma once

#include <cstdint>
#include <cstring>
#include <iosfwd>
#include <string>
#include <vector>

#if defined(_WIN32)
#if defined(VELMORA_DRIVER_BUILDING)
#define VELMORA_SIM_API __declspec(dllexport)
#else
#define VELMORA_SIM_API __declspec(dllimport)
#endif
#else
#define VELMORA_SIM_API __attribute__((visibility("default")))
#endif

namespace velmora_sim {

// The line the simulation driver writes to the standard error stream, once, when it is loaded. It
// takes the maker's driver's place under the same library name, so a team always sees which of
// the two its program runs with; the maker's driver writes no such line.
inline constexpr const char kLoadedLine[] =
    "[VelmoraDriver] Simulation driver loaded: devices are simulated, no hardware is driven";

// ------------------------------------------------------------------------------------------------
// Journal
// ------------------------------------------------------------------------------------------------

enum class ArgType { Bool, U8, U16, I32, U32, I64, F32, F64, Pointer, Text };

// One argument of a recorded call, at the exact type the driver received it.
struct VELMORA_SIM_API Arg {
  ArgType type = ArgType::I32;
  uint64_t bits = 0;        // the value's bit pattern, zero-extended (floats keep their bits)
  std::string text;         // for Text: the characters up to the NUL
  bool anyPointer = false;  // a pattern that matches every non-null pointer

  static Arg Bool(bool v);
  static Arg U8(uint8_t v);
  static Arg U16(uint16_t v);
  static Arg I32(int32_t v);
  static Arg U32(uint32_t v);
  static Arg I64(int64_t v);
  static Arg F32(float v);
  static Arg F64(double v);
  static Arg Pointer(const void* p);
  static Arg NonNull();  // pattern: any non-null pointer
  static Arg Text(std::string s);

  float AsF32() const;
  double AsF64() const;
  int64_t AsInt() const;  // sign-extended for I32/I64, zero-extended otherwise
  const void* AsPointer() const;
  std::string ToString() const;  // e.g. "f32:2.5(0x40200000)"

  bool operator==(const Arg& other) const;
  bool operator!=(const Arg& other) const { return !(*this == other); }
};

struct VELMORA_SIM_API Call {
  std::string name;
  std::vector<Arg> args;
  std::string ToString() const;  // e.g. "c_Orvex_create(i32:7, i32:15600)"
  bool operator==(const Call& other) const;
  bool operator!=(const Call& other) const { return !(*this == other); }
};

VELMORA_SIM_API std::ostream& operator<<(std::ostream& os, const Arg& arg);
VELMORA_SIM_API std::ostream& operator<<(std::ostream& os, const Call& call);

VELMORA_SIM_API std::vector<Call> Calls();                           // every call, in order
VELMORA_SIM_API std::vector<Call> CallsTo(const std::string& name);  // calls of one function
VELMORA_SIM_API std::vector<std::string> CallNames();                // names, in order
VELMORA_SIM_API size_t CountCalls(const std::string& name);
// The journal is for tests, and costs memory (about 230 bytes a call): it is off when a program
// starts, so that a team's simulation records nothing however long it runs. Reset(), where a test
// starts, turns it on; EnableJournal turns it on or off. When on, it keeps the latest
// JournalLimit() calls (kDefaultJournalLimit unless set) and counts the older ones it let go; a
// test that needs more says so with SetJournalLimit (0: no limit).
constexpr size_t kDefaultJournalLimit = 100000;
VELMORA_SIM_API void ClearJournal();          // also clears the count of calls let go
VELMORA_SIM_API void EnableJournal(bool on);  // off: calls are not recorded
VELMORA_SIM_API bool JournalEnabled();
VELMORA_SIM_API void SetJournalLimit(size_t calls);  // until the next Reset
VELMORA_SIM_API size_t JournalLimit();
VELMORA_SIM_API uint64_t DroppedCalls();  // calls recorded and let go for the limit

// ------------------------------------------------------------------------------------------------
// Scripted results
// ------------------------------------------------------------------------------------------------

// One point of a scripted small-lidar scan (same layout as the driver's scan point).
struct ScanPoint {
  float angle;
  float distance;
  float quality;
};

// What one call of a driver function returns and what it writes into the caller's storage.
// A function reads the part that fits its own signature: integers, bools and pointers from
// `integer` (0 is a null pointer), doubles and floats from `real`, strings from `text`; `fill`
// is copied over the caller's output storage (out-parameter or record; for the large lidar the
// returned block); `scan` is the small lidar's scan.
struct VELMORA_SIM_API Result {
  int64_t integer = 0;
  double real = 0.0;
  std::string text;
  std::vector<uint8_t> fill;
  bool hasFill = false;
  int64_t scanTimestamp = 0;
  std::vector<ScanPoint> scan;
  bool hasScan = false;

  static Result Int(int64_t v);
  static Result Bool(bool v);
  static Result Real(double v);
  static Result Text(std::string s);
  static Result Null();  // a create call that fails: null pointer (or handle 0)
  static Result None();  // no return value of interest; use with Fill or Scan
  static Result Scan(int64_t timestamp, std::vector<ScanPoint> points);

  // Bytes written over the caller's storage: exactly sizeof(T) bytes of `value`.
  template <typename T>
  Result& Fill(const T& value) {
    fill.resize(sizeof(T));
    std::memcpy(fill.data(), &value, sizeof(T));
    hasFill = true;
    return *this;
  }
};

// The next call of `function` gets `result` (queued: several ScriptNext calls serve several calls).
VELMORA_SIM_API void ScriptNext(const std::string& function, const Result& result);
// Every call of `function` gets `result` once the queue is empty, until ClearScripts or Reset.
VELMORA_SIM_API void ScriptAlways(const std::string& function, const Result& result);
VELMORA_SIM_API void ClearScripts();

// Journal, scripts and every simulated device back to their start; the journal on, at its default
// limit. Handles are never handed out again: a handle from before the reset names no device after
// it, so destroying a device opened before the reset never destroys one opened after it.
VELMORA_SIM_API void Reset();

// ------------------------------------------------------------------------------------------------
// Simulated devices: settings a test or the demo can make
// ------------------------------------------------------------------------------------------------

// Opening a device that is open already (a controller on the CAN ID of an open controller, a
// colour sensor or a Pallax on the CAN ID of an open sensor of its kind, any sensor on the device
// path of an open sensor, a small lidar on the port of an open one) is refused as the device
// driver refuses it: a null handle (0 for a controller), and a line on the standard error stream
// that names the device and says why. A device opens again once it is released; Reset releases
// every device.

// [orvex]
// Controllers are named by the CAN ID they were opened with. Each setter is refused (false,
// nothing changed) when no open controller has that CAN ID or the channel is not 0 to 3; the
// absolute encoder's position must be finite.
VELMORA_SIM_API bool SetOrvexLimitSwitch(int32_t canId, int index, bool which, int32_t state);
VELMORA_SIM_API bool SetOrvexZynderPosition(int32_t canId, int index, double position);

// What one simulated motor channel is doing now.
struct OrvexChannelState {
  bool exists = false;     // false when no open controller has that CAN ID
  double commanded = 0.0;  // last speed sent, -1..1 at full scale
  bool enabled = false;    // false after disableMotor until the next speed
  double targetRpm = 0.0;  // what the channel is steering towards
  double rpm = 0.0;
  double revolutions = 0.0;   // shaft revolutions since the last encoder reset
  double encoderSetup = 1.0;  // distance per revolution, from setEncoder
  int32_t encoderCount = 0;   // a 32-bit register: wraps from 2147483647 to -2147483648
  double temperature = 0.0;   // the controller's temperature, degrees Celsius
  bool locked = false;        // the shaft is held (SetOrvexMotorLocked)
  double inertia = 0.0;       // on the shaft, kg m^2
  double duty = 0.0;          // the controller's output, -1 to 1
  double current = 0.0;       // through the motor, A (the battery sees duty x current)
};
VELMORA_SIM_API OrvexChannelState OrvexChannel(int32_t canId, int index);

// The DC motor on every channel, by the numbers of its datasheet at its nominal voltage. The model
// derives from them the winding resistance R = V / I_stall, the torque constant
// Kt = T_stall / I_stall, the back-EMF constant Ke = (V - I_free R) / w_free and a viscous
// friction b = Kt I_free / w_free, so that a stalled motor draws the stall current and a free one
// settles at the free speed drawing the free current. With an inertia J on the shaft it follows
//   J dw/dt = Kt I - b w,   I = (duty x V_bus - Ke w) / R,
// so on a steady supply a free motor approaches its speed with the time constant
// tau = J w_free / T_stall (0.109 s with the default inertia); the battery's internal resistance
// adds to R while the motor draws from it, which lengthens that (alone at full output:
// tau = J / (Kt Ke / (R + R_b) + b), 0.127 s with the default inertia).
struct OrvexMotorModel {
  double nominalVolts = 12.0;
  double freeSpeedRpm = 5000.0;
  double stallTorque = 2.4;      // N m
  double stallCurrent = 100.0;   // A
  double freeCurrent = 2.0;      // A
  double defaultInertia = 5e-4;  // kg m^2, rotor, gearbox and load seen at the motor shaft
};
constexpr OrvexMotorModel kOrvexMotor{};

// A locked shaft does not turn, whatever the controller gives it: it draws what a stalled motor
// draws. Also settable as the sim value "Motor <n> locked" of the controller's sim device.
VELMORA_SIM_API void SetOrvexMotorLocked(int32_t canId, int index, bool locked);
// The inertia on a channel's shaft, kg m^2, from now until the controller is destroyed. Refused
// (false, nothing changed) unless within kMinLoadInertia to kMaxLoadInertia. Also the sim value
// "Motor <n> load inertia"; a refused value set there is put back and reported on the standard
// error stream.
constexpr double kMinLoadInertia = 1e-6;  // kg m^2, less than a bare rotor
constexpr double kMaxLoadInertia = 1e3;   // kg m^2, far more than a robot's mechanism
VELMORA_SIM_API bool SetOrvexLoadInertia(int32_t canId, int index, double inertia);

// Each channel's controller keeps the winding current within a limit: the channel's
// SetCurrentLimit in amps (0, below 0 or no number: none of its own), never more than the
// controller's own kOrvexControllerLimitAmps. Current limit mode 0 (and any code but 1) holds the
// current at the limit by lowering the output; mode 1 cuts the output for a 5 ms tick while the
// current would exceed it. The controller's stop mode decides what an undriven motor does (no
// output: disabled, the robot disabled, or a speed of 0): 0 (and any code but 1) shorts its
// leads, so it brakes on its own back-EMF; 1 leaves them open, so it coasts against friction
// only. The controller warms with the heat of the winding currents it carries (0.004 ohm of
// switches and leads, 1 degree C per watt above 25 C, a 20 s lag) and cools towards 25 C.
constexpr double kOrvexControllerLimitAmps = 100.0;

// The robot's battery: an open-circuit voltage (12 V) behind an internal resistance (cells, leads
// and breaker, 0.02 ohm). Every controller's supply current, the sum of duty x motor current of
// its channels, flows through it, so the bus voltage the motors get sags as
// V_bus = EMF - 0.02 ohm x total current. Built against WPILib, the bus voltage is WPILib's
// simulated input voltage (HALSIM_SetRoboRioVInVoltage), so RobotController::GetInputVoltage()
// reads the sag; a voltage set there by a test or a tool becomes the battery's open-circuit
// voltage.
constexpr double kBatteryVolts = 12.0;
constexpr double kBatteryResistance = 0.02;  // ohm
constexpr double kMaximumBatteryVolts = 16.0;
struct BatteryState {
  double emf = kBatteryVolts;
  double resistance = kBatteryResistance;
  double volts = kBatteryVolts;  // at the bus
  double current = 0.0;          // drawn by every controller, A
};
VELMORA_SIM_API BatteryState Battery();
// The open-circuit voltage, from now until the next Reset. Refused (false, nothing changed)
// unless finite and within 0 to 16 V.
VELMORA_SIM_API bool SetBatteryEmf(double volts);

// [lidars]

// Both simulated lidars ride on the robot of the simulated field (see [simulation]), at its
// centre, with 0 degrees along the robot's heading and angles growing counter-clockwise; they
// measure the distance to the first wall or obstacle, and see nothing (distance 0) beyond 12 m.

// The simulated small lidar, on ports 0 to 3; opening another port, or a port whose lidar is
// open, fails (null handle, and a line on the standard error stream). Scanning takes 4320 samples a
// second, so a scan holds 720 points at 6 Hz (every half degree) and 360 at 12 Hz. The device steps
// its frequency as told, within its own 5 to 15 Hz.
//
// Scans follow simulated time, not reads: from its start the lidar completes a scan every
// 1/frequency seconds of simulated time (see [simulation]). A read returns the latest completed
// scan, and the same scan again until the next one completes; reading faster makes no more scans.
// A scan's points are what the lidar sees from where the robot is when the scan completes; its
// timestamp is the completion time in microseconds on the program's clock (WPILib's
// HAL_GetFPGATime in a build against WPILib, the simulated time since Reset otherwise). A
// frequency step takes effect from the scan after the one being swept. Until the first scan after
// a start completes, and while stopped, a read returns an empty scan.
struct LidarMiniSimState {
  int32_t port = 0;
  bool scanning = false;
  float frequency = 6.0f;  // as the device itself keeps it
  int64_t scans = 0;       // scans completed
  int64_t timestamp = 0;   // timestamp of the latest completed scan
};
// The handles of the small lidars that are open (created and not yet destroyed), oldest first.
VELMORA_SIM_API std::vector<const void*> OpenLidarMinis();
// The state of the open small lidar behind `handle`; false if no such lidar is open.
VELMORA_SIM_API bool GetLidarMiniSim(const void* handle, LidarMiniSimState* state);

// The simulated large lidar: one per process. Its scan has one point per degree. Once created and
// started it completes a scan every 0.1 s of simulated time (10 Hz, its own fixed rate), by the
// same rule as the small lidar; distances are 0 until its first scan completes and while stopped.
// It keeps the filter switches and the last configuration of each filter (filter numbers 0 cluster,
// 1 Kalman, 2 moving average, 3 median, 4 jitter).
constexpr int kLidarFilterCount = 5;
struct LidarSimState {
  bool created = false;
  int32_t port = 0;
  bool scanning = false;
  bool filterEnabled[kLidarFilterCount] = {};
  float clusterValue = 0.0f;
  int32_t clusterMinSize = 0;
  float kalman[3] = {};
  int32_t movingAverageWindow = 0;
  int32_t medianWindow = 0;
  float jitter = 0.0f;
  int64_t scans = 0;  // scans completed
};
VELMORA_SIM_API LidarSimState GetLidarSim();

// [sensors]

// The colour every simulated colour sensor sees, as red, green and blue from 0 to 1, from now
// until the next Reset. Until set, a sensor sees the floor under the robot (see [simulation]). A
// reading reports it in the sensor's colour format: 0 RGB, 1 HSV (hue in
// degrees, saturation and value from 0 to 1), 2 CIE XYZ; its header counts the sensor's readings
// from 1 and its trailer is the format code. Each sensor remembers its colour format, sample time,
// brightness, measure mode, CAN ID (0 to 63), USB override and status LED; getConfig reads them
// back with the item codes 0 to 6 in that order. Refused (false, nothing changed) unless each
// component is within 0 to 1. A colour set on a sensor's sim device from outside is clipped to 0
// to 1 (a value that is no number reads 0), as the sensor reports it.
VELMORA_SIM_API bool SetLumiraColor(float red, float green, float blue);

// [board]

// The voltage on one input (0 to 7) of the simulated analog board, from now until the next Reset;
// an input never set follows its signal of simulated time (see [simulation]). Readings are clipped
// to 0 and the board's reference; the raw value is the 12-bit reading round(volts / vref * 4095).
// A closed board, or another input, reads 0. Refused (false, nothing changed) for another input
// or a voltage that is not finite.
VELMORA_SIM_API bool SetAdexaVoltage(int channel, float volts);

// Whether the simulated driver station exists and is enabled.
//
// A robot disabled by either driver station stays still: while a MockDS exists and is disabled,
// or, built against WPILib, while WPILib's driver station has the robot disabled (the HAL's
// control word, as HALSIM_SetDriverStationEnabled or the simulation GUI sets it), every motor
// channel gets no power whatever is commanded and stops as the stop mode says; the controller's sim
// device shows "Motor <n> enabled" false and a target RPM of 0. What was commanded is kept: enabled
// again, the latest command applies. WPILib's simulation starts with the robot disabled; without
// a MockDS the motors turn only once WPILib's driver station enables the robot. Built on its own,
// only a MockDS gates the motors (without one they run, as on a bench).
VELMORA_SIM_API bool MockDSEnabled();

// [simulation]
// Simulated time, in fixed 5 ms ticks, so the same program gives the same readings on every run
// and machine. Built on its own, the driver's time moves only when the program steps it, as fast
// as the machine can compute. Built against WPILib, it runs on WPILib's simulated clock
// (HAL_GetFPGATime), not on the program's calls: every driver call brings it up to the clock, so
// does the world's own pass every 20 ms of WPILib's clock (a WPILib notifier named "Velmora
// simulated world", which also publishes the sim devices and the battery voltage), and a change of
// WPILib's driver station takes effect at its instant. A long run of ticks lets other threads'
// calls in every 20 ms of simulated time; they see the world as far as it has come.
//
// SimStep computes every tick of the step, so one step is at most kMaxSimStepSeconds (an hour):
// a longer one, a negative one or one that is not a number is refused (false, nothing moves, a
// line on the standard error stream says why); 0 moves nothing and succeeds. Built against
// WPILib, SimStep steps WPILib's clock (HALSIM_StepTiming), which WPILib 2020 moves only while its
// timing is paused (HALSIM_PauseTiming), and returns with the world at the new time: with timing
// running SimStep is refused, and the world follows WPILib's clock as it runs. When WPILib's clock
// itself jumps by more than an hour at once, the world computes the last hour of it and keeps
// SimTime with the clock.
constexpr double kMaxSimStepSeconds = 3600.0;
VELMORA_SIM_API bool SimStep(double seconds);
VELMORA_SIM_API double SimTime();  // seconds since the last Reset
// Built against WPILib, the driver publishes its sim devices, sim values and the battery voltage
// after each call, one thread at a time; a call that finds another thread publishing (the world's
// own pass on WPILib's clock, say) leaves its changes to that thread and returns. A test that reads
// sim values through WPILib's sim API right after device calls calls FlushSimValues first: it
// returns once every change the driver made so far is in WPILib's sim data. (SimStep does the same
// before it returns. The world moves up to WPILib's clock at the next device call or pass, not
// here.) False when that took longer than two seconds, which happens only when it is called from
// inside a WPILib sim callback: WPILib runs those under a lock the publishing thread needs.
// Without WPILib it does nothing.
VELMORA_SIM_API bool FlushSimValues();
// The simulated time on the program's clock, in microseconds, as device timestamps give it:
// WPILib's clock (HAL_GetFPGATime) in whole ticks when the driver follows it, otherwise
// SimTime() in microseconds.
VELMORA_SIM_API int64_t SimClockMicros();

// The field: a walled rectangle (origin in one corner, metres), one box-shaped obstacle, and a
// coloured line across the floor at x = lineX; the floor's colours as red, green and blue 0 to 1.
struct FieldLayout {
  double width = 8.0;
  double height = 4.0;
  double obstacleX = 5.5, obstacleY = 2.6, obstacleWidth = 0.6, obstacleHeight = 0.6;
  double lineX = 3.0, lineWidth = 0.15;
  float carpet[3] = {0.5f, 0.5f, 0.5f};
  float line[3] = {0.1f, 0.3f, 0.9f};
};
VELMORA_SIM_API FieldLayout Field();
// Another field, from now until the next Reset. Refused (false, the field unchanged) unless every
// number is finite, the field is at least 1 m each way, the obstacle and the line have sizes of 0
// or more, and the colours are within 0 to 1.
VELMORA_SIM_API bool SetField(const FieldLayout& field);

// The robot: a disc of radius 0.3 m with a differential drive; heading in radians, 0 along +x.
struct RobotPose {
  double x = 1.0;
  double y = 2.0;
  double heading = 0.0;
};
VELMORA_SIM_API RobotPose Robot();
// Puts the robot at a pose, its heading taken into -pi to pi. Refused (false, the robot where it
// was) unless every number is finite and the robot's centre is on the field.
VELMORA_SIM_API bool PlaceRobot(const RobotPose& pose);
VELMORA_SIM_API double RobotDistanceTravelled();  // metres along the path since Reset

// Which channels of which controller drive the left and right wheels, and how far a wheel rolls
// in one motor revolution (after the gearbox). Without this the robot stands still. Refused
// (false, the drive unchanged) unless the channels are two different ones of 0 to 3 and the
// distance is within -kMaxMetresPerRevolution to kMaxMetresPerRevolution (negative: the gearbox
// turns the wheel against the motor).
constexpr double kMaxMetresPerRevolution = 10.0;
VELMORA_SIM_API bool AttachDrive(int32_t canId, int leftMotor, int rightMotor,
                                 double metresPerRevolution);

// Distance from a point on the field to the first wall or obstacle along a direction (radians).
VELMORA_SIM_API double RayDistance(double x, double y, double angle);

// What the other simulated devices read from this world:
//  - the colour sensors look down at the floor under the robot's centre: the field's carpet (grey,
//    red, green and blue 0.5 each, unless set), and its line (blue, 0.1, 0.3, 0.9) lineWidth wide,
//    centred on x = lineX;
//  - the analog board's inputs follow signals of simulated time, each at 0 V when time starts:
//    input 0 a triangle from 0 V up to 5 V and back every 8 s, input 1 a sine between 0 V and
//    3.3 V with a 2 s period, input 2 a rise towards 4.5 V with a 3 s time constant, input 3 a
//    square wave, 0 V in the first half of every second and 5 V in the second; inputs 4 to 7 0 V.

}  // namespace velmora_sim
