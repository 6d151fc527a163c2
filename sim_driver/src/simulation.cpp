// Simulated time, the field and the robot that drives on it.
//
// Time advances in fixed ticks, so every run of the same program sees the same readings. Built on
// its own, the driver's time advances only in SimStep. Built against WPILib, it follows WPILib's
// simulated clock instead: every driver call first brings the world up to HAL_GetFPGATime, tick
// by tick, so the devices move however the program's loop is run (TimedRobot's notifier, a test
// stepping paused timing, or wall-clock time), and a test that pauses and steps WPILib's timing
// gets the same readings on every run. Each tick first advances the motor controllers, then moves
// the robot according to the wheels' motors. The lidars, the colour sensor and the analog board
// read this state when the program asks them.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <initializer_list>
#include <iostream>
#include <mutex>
#include <thread>

#include "internal.h"
#include "panel.h"

namespace velmora_sim {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kRobotRadius = 0.3;
constexpr double kTrackWidth = 0.55;  // metres between the wheels

struct Drive {
  bool attached = false;
  int32_t canId = 0;
  int left = 0;
  int right = 1;
  double metresPerRevolution = 0.0;
};

struct World {
  long long ticks = 0;
  double pending = 0.0;  // stepped time not yet a whole tick
  // Following WPILib's clock: the last time read from it, and the time since then not yet a
  // whole tick, in microseconds.
  bool clockSeen = false;
  uint64_t clockLast = 0;
  uint64_t clockPending = 0;
  // WPILib's clock at tick 0, so that timestamps of the simulated devices read on WPILib's clock.
  int64_t epochMicros = 0;
  FieldLayout field;
  RobotPose robot;
  double travelled = 0.0;
  Drive drive;
  bool stationExists = false;
  bool stationEnabled = false;
  // Built against WPILib: whether its driver station had the robot enabled at the last call.
  bool wpilibEnabled = true;
  // Ticks due and not yet computed, and whether a thread is working them off.
  uint64_t owed = 0;
  bool catchingUp = false;
  std::thread::id owner;
  bool ownerIsPass = false;
};

World& W() {
  static World world;
  return world;
}

// Would the robot's disc at (x, y) overlap a wall or the obstacle?
bool Blocked(double x, double y) {
  const FieldLayout& f = W().field;
  if (x < kRobotRadius || y < kRobotRadius || x > f.width - kRobotRadius ||
      y > f.height - kRobotRadius) {
    return true;
  }
  const double nx = std::clamp(x, f.obstacleX, f.obstacleX + f.obstacleWidth);
  const double ny = std::clamp(y, f.obstacleY, f.obstacleY + f.obstacleHeight);
  return std::hypot(x - nx, y - ny) < kRobotRadius;
}

void MoveRobot(double dt) {
  World& w = W();
  if (!w.drive.attached) return;
  // The wheels roll what their motors turned in this tick.
  const double vl =
      internal::OrvexChannelTurns(w.drive.canId, w.drive.left) * w.drive.metresPerRevolution / dt;
  const double vr =
      internal::OrvexChannelTurns(w.drive.canId, w.drive.right) * w.drive.metresPerRevolution / dt;
  const double v = (vl + vr) / 2.0;
  const double omega = (vr - vl) / kTrackWidth;
  RobotPose next = w.robot;
  next.heading = std::remainder(w.robot.heading + omega * dt, 2.0 * kPi);
  next.x += v * dt * std::cos(next.heading);
  next.y += v * dt * std::sin(next.heading);
  if (!std::isfinite(next.heading)) next.heading = w.robot.heading;  // never a pose lost for good
  if (!std::isfinite(next.x) || !std::isfinite(next.y) || Blocked(next.x, next.y)) {
    // Bumpers against a wall: the robot can turn on the spot but not move into it.
    next.x = w.robot.x;
    next.y = w.robot.y;
  }
  w.travelled += std::hypot(next.x - w.robot.x, next.y - w.robot.y);
  w.robot = next;
}

void Tick() {
  World& w = W();
  internal::OrvexTick(internal::kTickSeconds);
  MoveRobot(internal::kTickSeconds);
  ++w.ticks;
  internal::LidarTick(internal::NowMicros());
}

// Distance along a ray from (x, y) to an axis-aligned box, or infinity when it misses.
double RayToBox(double x, double y, double dx, double dy, double x0, double y0, double x1,
                double y1) {
  double tmin = 0.0;
  double tmax = INFINITY;
  const double origin[2] = {x, y};
  const double dir[2] = {dx, dy};
  const double lo[2] = {x0, y0};
  const double hi[2] = {x1, y1};
  for (int axis = 0; axis < 2; ++axis) {
    if (std::fabs(dir[axis]) < 1e-12) {
      if (origin[axis] < lo[axis] || origin[axis] > hi[axis]) return INFINITY;
      continue;
    }
    double t0 = (lo[axis] - origin[axis]) / dir[axis];
    double t1 = (hi[axis] - origin[axis]) / dir[axis];
    if (t0 > t1) std::swap(t0, t1);
    tmin = std::max(tmin, t0);
    tmax = std::min(tmax, t1);
    if (tmin > tmax) return INFINITY;
  }
  return tmin;
}

}  // namespace

bool SimStep(double seconds) {
  if (seconds == 0.0) return true;
  if (!(seconds > 0.0) || !(seconds <= internal::kMaxStepSeconds)) {
    // Each tick is computed: a step without bound (1e300 s, infinity) would never return.
    std::cerr << "velmora_sim::SimStep(" << seconds << "): refused, a step is from 0 to "
              << internal::kMaxStepSeconds << " seconds of simulated time; nothing moved\n";
    return false;
  }
  if (wpilib::kLinked) {
    // WPILib 2020 moves only paused time when stepped: running, its clock follows the wall clock
    // and the world with it.
    if (!wpilib::TimingPaused()) {
      std::cerr << "velmora_sim::SimStep(" << seconds
                << "): refused, WPILib's timing is not paused (HALSIM_PauseTiming): its clock "
                   "follows the wall clock, and so does the simulated world\n";
      return false;
    }
    // One clock for the whole program: step WPILib's, and the world follows it on the call's way
    // in. Stepped without the driver's lock: stepping wakes WPILib's notifiers, whose threads
    // call into devices.
    wpilib::StepClock(static_cast<uint64_t>(std::llround(seconds * 1e6)));
    {
      const velmora_sim::internal::DriverLock lock;
      internal::FollowWpilibClock(true);  // every tick of the step, whoever started on them
    }
    // The world's own pass may still be publishing what the step moved: the step returns with
    // the sim values showing it.
    internal::PublishedWithin(internal::kFlushWait);
    return true;
  }
  const velmora_sim::internal::DriverLock lock;
  World& w = W();
  w.pending += seconds;
  // Whole ticks, with a little slack so that steps of 0.1 s make exactly 20 ticks despite
  // rounding; counted at once so that the rounding does not add up over a long step.
  const auto ticks =
      static_cast<long long>(std::floor((w.pending + 1e-9) / internal::kTickSeconds));
  w.pending -= static_cast<double>(ticks) * internal::kTickSeconds;
  w.owed += static_cast<uint64_t>(ticks);
  internal::WorkOffTicks(true);
  return true;
}

double SimTime() {
  const velmora_sim::internal::DriverLock lock;
  return static_cast<double>(W().ticks) * internal::kTickSeconds;
}

bool FlushSimValues() { return internal::PublishedWithin(internal::kFlushWait); }

int64_t SimClockMicros() {
  const velmora_sim::internal::DriverLock lock;
  return W().epochMicros + W().ticks * static_cast<int64_t>(internal::kTickMicros);
}

FieldLayout Field() {
  const velmora_sim::internal::DriverLock lock;
  return W().field;
}

bool SetField(const FieldLayout& f) {
  const velmora_sim::internal::DriverLock lock;
  const auto finite = [](std::initializer_list<double> values) {
    for (double v : values) {
      if (!std::isfinite(v)) return false;
    }
    return true;
  };
  const auto colour = [](const float(&c)[3]) {
    for (float v : c) {
      if (!(v >= 0.0f && v <= 1.0f)) return false;
    }
    return true;
  };
  if (!finite({f.width, f.height, f.obstacleX, f.obstacleY, f.obstacleWidth, f.obstacleHeight,
               f.lineX, f.lineWidth}) ||
      f.width < 1.0 || f.height < 1.0 || f.obstacleWidth < 0.0 || f.obstacleHeight < 0.0 ||
      f.lineWidth < 0.0 || !colour(f.carpet) || !colour(f.line)) {
    return false;
  }
  W().field = f;
  return true;
}
RobotPose Robot() {
  const velmora_sim::internal::DriverLock lock;
  return W().robot;
}
bool PlaceRobot(const RobotPose& pose) {
  const velmora_sim::internal::DriverLock lock;
  const FieldLayout& f = W().field;
  if (!std::isfinite(pose.x) || !std::isfinite(pose.y) || !std::isfinite(pose.heading) ||
      pose.x < 0.0 || pose.x > f.width || pose.y < 0.0 || pose.y > f.height) {
    return false;
  }
  W().robot = RobotPose{pose.x, pose.y, std::remainder(pose.heading, 2.0 * kPi)};
  return true;
}
double RobotDistanceTravelled() {
  const velmora_sim::internal::DriverLock lock;
  return W().travelled;
}

bool AttachDrive(int32_t canId, int leftMotor, int rightMotor, double metresPerRevolution) {
  const velmora_sim::internal::DriverLock lock;
  const auto motor = [](int index) { return index >= 0 && index < 4; };
  if (!motor(leftMotor) || !motor(rightMotor) || leftMotor == rightMotor ||
      !(std::fabs(metresPerRevolution) <= kMaxMetresPerRevolution)) {
    return false;
  }
  W().drive = Drive{true, canId, leftMotor, rightMotor, metresPerRevolution};
  return true;
}

double RayDistance(double x, double y, double angle) {
  const velmora_sim::internal::DriverLock lock;
  return internal::RayDistanceOn(W().field, x, y, angle);
}

double internal::RayDistanceOn(const FieldLayout& f, double x, double y, double angle) {
  const double dx = std::cos(angle);
  const double dy = std::sin(angle);
  double best = INFINITY;
  // The walls, seen from inside the field.
  if (dx > 1e-12) best = std::min(best, (f.width - x) / dx);
  if (dx < -1e-12) best = std::min(best, -x / dx);
  if (dy > 1e-12) best = std::min(best, (f.height - y) / dy);
  if (dy < -1e-12) best = std::min(best, -y / dy);
  best = std::min(best, RayToBox(x, y, dx, dy, f.obstacleX, f.obstacleY,
                                 f.obstacleX + f.obstacleWidth, f.obstacleY + f.obstacleHeight));
  return std::max(best, 0.0);
}

namespace internal {

double Now() { return SimTime(); }

double NowMicros() { return static_cast<double>(W().ticks) * static_cast<double>(kTickMicros); }

int64_t EpochMicros() { return W().epochMicros; }

void SetStationState(bool exists, bool enabled) {
  W().stationExists = exists;
  W().stationEnabled = enabled;
}

// A robot disabled by either driver station stays still: the library's MockDS (when one exists)
// and, built against WPILib, WPILib's own driver station as the HAL's control word reports it.
bool MotorsPowered() {
  const World& w = W();
  return (!w.stationExists || w.stationEnabled) && w.wpilibEnabled;
}

void ResetSimulation() {
  // WPILib's driver station is not the world's to reset: it stays as WPILib last reported it.
  const bool wpilibEnabled = W().wpilibEnabled;
  W() = World{};
  W().wpilibEnabled = wpilibEnabled;
  // Time starts now: what WPILib's clock did before the reset does not move the new world.
  uint64_t now = 0;
  if (wpilib::Clock(&now)) {
    W().clockSeen = true;
    W().clockLast = now;
    W().epochMicros = static_cast<int64_t>(now);
  }
}

// A step whose ticks another call took over waits for them without the lock (held once by this
// thread), looking again now and then.
void WaitUntilCaughtUp() {
  while (W().catchingUp) {
    DriverMutex().unlock();
    std::this_thread::sleep_for(std::chrono::microseconds(100));
    DriverMutex().lock();
  }
}

// Whether this thread runs the world's own pass (WorldPass) rather than a program's call.
thread_local bool t_inWorldPass = false;

void WorkOffTicks(bool finish) {
  World& w = W();
  const std::thread::id me = std::this_thread::get_id();
  if (w.catchingUp && w.owner != me) {
    // The world's own pass never waits for anyone, nor takes over.
    if (t_inWorldPass) return;
    // A call while a program's call works off a long run sees the world as far as it has come
    // (it waits for no more than one loop's worth of ticks, at ShareLock).
    if (!finish && !w.ownerIsPass) return;
    // A call that must see the world at WPILib's clock (a step, a driver station change), or one
    // that finds only the world's own pass at work, takes the work over: the same call sees the
    // same world however far the pass had come.
    w.owner = me;
    w.ownerIsPass = false;
  } else if (!w.catchingUp) {
    if (w.owed == 0) return;
    w.catchingUp = true;
    w.owner = me;
    w.ownerIsPass = t_inWorldPass;
  }
  // A robot loop's worth of ticks at a time: a thread waiting for the driver meanwhile waits for
  // no more than that.
  constexpr int kTicksPerShare = static_cast<int>(kWorldPassMicros / kTickMicros);
  int since = 0;
  while (w.owed > 0 && w.catchingUp && w.owner == me) {
    --w.owed;
    Tick();
    if (++since == kTicksPerShare && w.owed > 0) {
      since = 0;
      ShareLock();
    }
  }
  if (w.catchingUp && w.owner == me) {
    w.catchingUp = false;
    return;
  }
  // Another call took the work over: a step waits for it, without the lock.
  if (finish && CallDepth() == 1) WaitUntilCaughtUp();
}

void FollowWpilibClock(bool finish) {
  uint64_t now = 0;
  if (!wpilib::Clock(&now)) return;
  World& w = W();
  if (!w.clockSeen || now < w.clockLast) {
    // The first look at the clock, or WPILib restarted its timing (HAL_Initialize does): from
    // here on the world follows it.
    w.clockSeen = true;
    w.clockLast = now;
    w.epochMicros = static_cast<int64_t>(now) - w.ticks * static_cast<int64_t>(kTickMicros);
    return;
  }
  w.clockPending += now - w.clockLast;
  w.clockLast = now;
  uint64_t ticks = w.clockPending / kTickMicros;
  w.clockPending -= ticks * kTickMicros;
  w.owed += ticks;
  if (w.owed > kMaxStepTicks) {
    // WPILib's clock jumped further than one step may go (stepped by a day, say): the world
    // computes the last hour of it and takes the time before that as passed without change, so
    // that the call returns and SimTime stays with WPILib's clock.
    const uint64_t skipped = w.owed - kMaxStepTicks;
    std::cerr << "velmora_sim: WPILib's clock moved on by "
              << static_cast<double>(w.owed) * kTickSeconds << " s at once; the simulated world "
              << "computes the last " << kMaxStepSeconds << " s of it\n";
    w.ticks += static_cast<long long>(skipped);
    w.owed = kMaxStepTicks;
  }
  WorkOffTicks(finish);
}

namespace {

// Changes of WPILib's enabled state that WPILib reported to the driver, and whether the driver
// has to register for them again (WPILib dropped its callback: HALSIM_ResetDriverStationData).
std::atomic<uint64_t> g_enabledEvents{0};
std::atomic<bool> g_rewatchEnabled{false};

// WPILib's driver station enabled or disabled the robot, now on WPILib's clock: the world runs up
// to this instant as it was, and from it in the new state, whether or not the program calls a
// device. Runs on the thread that changed the state, under WPILib's lock of it: it takes the
// driver's lock (no thread holding that ever waits for WPILib) but calls nothing of WPILib's
// beyond the clock; what changes is published by the next call or the next pass of the world.
void EnabledChanged(bool enabled) {
  std::unique_lock<std::recursive_mutex> lock(DriverMutex(), std::defer_lock);
  LockDriver(lock);
  ++CallDepth();
  FollowWpilibClock(true);
  W().wpilibEnabled = enabled;
  g_enabledEvents.fetch_add(1);
  LeaveCall();
  --CallDepth();
}

// The world's own pass on WPILib's clock: a driver call that calls no device. It brings the world
// up to the clock and publishes it, so that the motors, the battery voltage WPILib reports and the
// sim devices move with WPILib's clock between the program's calls.
void WorldPass() {
  t_inWorldPass = true;
  { const DriverLock lock; }
  t_inWorldPass = false;
}

}  // namespace

uint64_t EnabledEvents() { return g_enabledEvents.load(); }

void WatchWorld() {
  wpilib::WatchEnabled(&EnabledChanged);
  wpilib::RunOnClock(&WorldPass, kWorldPassMicros);
}

void EnterCall(bool robotEnabled, uint64_t enabledEvents) {
  FollowWpilibClock();
  // WPILib reports each change as it happens (EnabledChanged). A state read on the way in that
  // differs although no change was reported means WPILib's driver station data was reset, which
  // drops the driver's callback: take the state now, and register again.
  if (g_enabledEvents.load() == enabledEvents && robotEnabled != W().wpilibEnabled) {
    W().wpilibEnabled = robotEnabled;
    g_rewatchEnabled.store(true);
  }
  ReadOrvexPanels();
  ReadSensorPanels();
  ReadBoardPanels();
}

void LeaveCall() {
  ShowOrvexPanels();
  ShowLidarPanels();
  ShowSensorPanels();
  ShowBoardPanels();
}

namespace {

// Publishing in rounds: one thread at a time publishes the panels' changes and the battery
// voltage. A call that finds another thread publishing (the world's own pass, say) asks it for one
// more round, which carries the call's changes, and returns without waiting: a thread that calls a
// device from inside a WPILib sim callback holds WPILib's lock, which the publishing thread may
// need. So a sim value read right after a call can still be the one before it while another thread
// publishes; a test that reads sim values waits for the round first (PublishedWithin, through
// FlushSimValues and SimStep).
struct PublishRounds {
  std::mutex mutex;
  bool active = false;
  bool again = false;     // a call made changes since the running round began
  uint64_t started = 0;   // rounds begun
  uint64_t finished = 0;  // the number of the last round that ended
};

PublishRounds& Rounds() {
  static auto* rounds = new PublishRounds;  // never destroyed: a pass may publish during exit
  return *rounds;
}

// Rounds one thread runs in a row for others before it goes back to its own program.
constexpr int kMaxRounds = 8;

// Whether this thread runs a round: a callback that calls a device from inside it must not wait
// for its own round.
thread_local bool t_publishing = false;

void PublishRound() {
  try {
    Publish();
    PublishBattery();
  } catch (...) {
    // Out of memory: what is left goes with the next round.
  }
}

// Runs rounds until no call asks for another, or kMaxRounds; called with the rounds' mutex held.
void RunRounds(std::unique_lock<std::mutex>& lock) {
  PublishRounds& r = Rounds();
  r.active = true;
  t_publishing = true;
  for (int round = 0; round < kMaxRounds; ++round) {
    r.again = false;
    const uint64_t number = ++r.started;
    lock.unlock();
    PublishRound();
    lock.lock();
    r.finished = number;
    if (!r.again) break;
  }
  t_publishing = false;
  r.active = false;
}

void PublishChanges() {
  PublishRounds& r = Rounds();
  std::unique_lock<std::mutex> lock(r.mutex);
  if (r.active) {
    r.again = true;
    return;
  }
  RunRounds(lock);
}

}  // namespace

bool PublishedWithin(std::chrono::milliseconds limit) {
  if (!wpilib::kLinked) return true;
  // Inside this thread's own round (a WPILib callback it runs): the round cannot end meanwhile.
  if (t_publishing) return false;
  PublishRounds& r = Rounds();
  std::unique_lock<std::mutex> lock(r.mutex);
  if (r.active) {
    r.again = true;
    // Looks now and then rather than waiting on a condition variable, whose timed wait needs a
    // newer C library than the driver's floor.
    const uint64_t ours = r.started + 1;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (r.active && r.finished < ours) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      lock.unlock();
      std::this_thread::sleep_for(std::chrono::microseconds(50));
      lock.lock();
    }
    if (r.finished >= ours) return true;
    // The publisher stopped before the round for this thread's changes: this thread runs it.
  }
  RunRounds(lock);
  return true;
}

void PublishAfterCall() {
  if (!t_publishing) PublishChanges();
  if (g_rewatchEnabled.exchange(false)) wpilib::RewatchEnabled();
  wpilib::KeepClockRunnerDue();
}

}  // namespace internal
}  // namespace velmora_sim
