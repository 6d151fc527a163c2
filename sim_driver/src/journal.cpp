// The simulation driver's journal of driver calls and its table of scripted results.
#include <atomic>
#include <deque>
#include <iomanip>
#include <map>
#include <ostream>
#include <sstream>
#include <thread>

#include "internal.h"

namespace velmora_sim {
namespace {

// The journal is for tests. A team's simulation that never asks for it records nothing (a season
// of simulated matches would otherwise hold every call it ever made); once asked for, it keeps the
// latest calls up to its limit and counts the ones it let go.
struct State {
  std::deque<Call> journal;
  bool journalOn = false;
  size_t limit = kDefaultJournalLimit;
  uint64_t dropped = 0;
  std::map<std::string, std::deque<Result>> queued;
  std::map<std::string, Result> always;
};

State& S() {
  static State state;
  return state;
}

template <typename T>
uint64_t BitsOf(T v) {
  uint64_t bits = 0;
  std::memcpy(&bits, &v, sizeof(T));
  return bits;
}

}  // namespace

Arg Arg::Bool(bool v) { return Arg{ArgType::Bool, v ? 1u : 0u, {}, false}; }
Arg Arg::U8(uint8_t v) { return Arg{ArgType::U8, v, {}, false}; }
Arg Arg::U16(uint16_t v) { return Arg{ArgType::U16, v, {}, false}; }
Arg Arg::I32(int32_t v) { return Arg{ArgType::I32, static_cast<uint32_t>(v), {}, false}; }
Arg Arg::U32(uint32_t v) { return Arg{ArgType::U32, v, {}, false}; }
Arg Arg::I64(int64_t v) { return Arg{ArgType::I64, static_cast<uint64_t>(v), {}, false}; }
Arg Arg::F32(float v) { return Arg{ArgType::F32, BitsOf(v), {}, false}; }
Arg Arg::F64(double v) { return Arg{ArgType::F64, BitsOf(v), {}, false}; }
Arg Arg::Pointer(const void* p) {
  return Arg{ArgType::Pointer, static_cast<uint64_t>(reinterpret_cast<uintptr_t>(p)), {}, false};
}
Arg Arg::NonNull() { return Arg{ArgType::Pointer, 0, {}, true}; }
Arg Arg::Text(std::string s) { return Arg{ArgType::Text, 0, std::move(s), false}; }

float Arg::AsF32() const {
  float f = 0;
  uint32_t b = static_cast<uint32_t>(bits);
  std::memcpy(&f, &b, sizeof f);
  return f;
}

double Arg::AsF64() const {
  double d = 0;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}

int64_t Arg::AsInt() const {
  if (type == ArgType::I32) return static_cast<int32_t>(static_cast<uint32_t>(bits));
  return static_cast<int64_t>(bits);
}

const void* Arg::AsPointer() const {
  return reinterpret_cast<const void*>(static_cast<uintptr_t>(bits));
}

std::string Arg::ToString() const {
  std::ostringstream os;
  switch (type) {
    case ArgType::Bool:
      os << "bool:" << (bits ? "true" : "false");
      break;
    case ArgType::U8:
      os << "u8:" << bits;
      break;
    case ArgType::U16:
      os << "u16:" << bits;
      break;
    case ArgType::I32:
      os << "i32:" << AsInt();
      break;
    case ArgType::U32:
      os << "u32:" << bits;
      break;
    case ArgType::I64:
      os << "i64:" << AsInt();
      break;
    case ArgType::F32:
      os << "f32:" << std::setprecision(9) << AsF32() << "(0x" << std::hex << bits << ")";
      break;
    case ArgType::F64:
      os << "f64:" << std::setprecision(17) << AsF64() << "(0x" << std::hex << bits << ")";
      break;
    case ArgType::Pointer:
      if (anyPointer) {
        os << "ptr:<non-null>";
      } else {
        os << "ptr:0x" << std::hex << bits;
      }
      break;
    case ArgType::Text:
      os << "text:\"" << text << "\"";
      break;
  }
  return os.str();
}

bool Arg::operator==(const Arg& other) const {
  if (type != other.type) return false;
  if (type == ArgType::Pointer && (anyPointer || other.anyPointer)) {
    const uint64_t actual = anyPointer ? other.bits : bits;
    return (anyPointer && other.anyPointer) || actual != 0;
  }
  if (type == ArgType::Text) return text == other.text;
  return bits == other.bits;
}

std::string Call::ToString() const {
  std::string s = name + "(";
  for (size_t i = 0; i < args.size(); ++i) {
    if (i > 0) s += ", ";
    s += args[i].ToString();
  }
  return s + ")";
}

bool Call::operator==(const Call& other) const { return name == other.name && args == other.args; }

std::ostream& operator<<(std::ostream& os, const Arg& arg) { return os << arg.ToString(); }
std::ostream& operator<<(std::ostream& os, const Call& call) { return os << call.ToString(); }

std::vector<Call> Calls() {
  const velmora_sim::internal::DriverLock lock;
  return std::vector<Call>(S().journal.begin(), S().journal.end());
}

std::vector<Call> CallsTo(const std::string& name) {
  const velmora_sim::internal::DriverLock lock;
  std::vector<Call> out;
  for (const Call& c : S().journal) {
    if (c.name == name) out.push_back(c);
  }
  return out;
}

std::vector<std::string> CallNames() {
  const velmora_sim::internal::DriverLock lock;
  std::vector<std::string> out;
  out.reserve(S().journal.size());
  for (const Call& c : S().journal) out.push_back(c.name);
  return out;
}

size_t CountCalls(const std::string& name) {
  const velmora_sim::internal::DriverLock lock;
  size_t n = 0;
  for (const Call& c : S().journal) n += c.name == name ? 1 : 0;
  return n;
}

void ClearJournal() {
  const velmora_sim::internal::DriverLock lock;
  S().journal.clear();
  S().journal.shrink_to_fit();
  S().dropped = 0;
}
void EnableJournal(bool on) {
  const velmora_sim::internal::DriverLock lock;
  S().journalOn = on;
}
bool JournalEnabled() {
  const velmora_sim::internal::DriverLock lock;
  return S().journalOn;
}
void SetJournalLimit(size_t calls) {
  const velmora_sim::internal::DriverLock lock;
  State& s = S();
  s.limit = calls;
  while (s.limit != 0 && s.journal.size() > s.limit) {
    s.journal.pop_front();
    ++s.dropped;
  }
}
size_t JournalLimit() {
  const velmora_sim::internal::DriverLock lock;
  return S().limit;
}
uint64_t DroppedCalls() {
  const velmora_sim::internal::DriverLock lock;
  return S().dropped;
}

Result Result::Int(int64_t v) {
  Result r;
  r.integer = v;
  r.real = static_cast<double>(v);
  return r;
}
Result Result::Bool(bool v) { return Int(v ? 1 : 0); }
Result Result::Real(double v) {
  Result r;
  r.real = v;
  return r;
}
Result Result::Text(std::string s) {
  Result r;
  r.text = std::move(s);
  return r;
}
Result Result::Null() { return Result{}; }
Result Result::None() { return Result{}; }
Result Result::Scan(int64_t timestamp, std::vector<ScanPoint> points) {
  Result r;
  r.scanTimestamp = timestamp;
  r.scan = std::move(points);
  r.hasScan = true;
  return r;
}

void ScriptNext(const std::string& function, const Result& result) {
  const velmora_sim::internal::DriverLock lock;
  S().queued[function].push_back(result);
}

void ScriptAlways(const std::string& function, const Result& result) {
  const velmora_sim::internal::DriverLock lock;
  S().always[function] = result;
}

void ClearScripts() {
  const velmora_sim::internal::DriverLock lock;
  S().queued.clear();
  S().always.clear();
}

void Reset() {
  const velmora_sim::internal::DriverLock lock;
  ClearJournal();
  ClearScripts();
  // A test starts here: it reads the journal, up to the default limit.
  S().journalOn = true;
  S().limit = kDefaultJournalLimit;
  internal::ResetOrvexSim();
  internal::ResetLidarSims();
  internal::ResetSensorSims();
  internal::ResetBoardSims();
  internal::ResetSimulation();
}

namespace internal {

std::recursive_mutex& DriverMutex() {
  static std::recursive_mutex mutex;
  return mutex;
}

namespace {
std::atomic<int> g_waiting{0};         // threads waiting for the driver's lock
std::atomic<uint64_t> g_handovers{0};  // lock takes by counted threads
}  // namespace

void LockDriver(std::unique_lock<std::recursive_mutex>& guard) {
  g_waiting.fetch_add(1);
  guard.lock();
  g_handovers.fetch_add(1);
  g_waiting.fetch_sub(1);
}

void ShareLock() {
  if (g_waiting.load() == 0 || CallDepth() != 1) return;
  const uint64_t seen = g_handovers.load();
  DriverMutex().unlock();
  // Let one waiting thread take it; it gives it back once its call is done.
  for (int spin = 0; spin < 100000 && g_handovers.load() == seen && g_waiting.load() > 0; ++spin) {
    std::this_thread::yield();
  }
  DriverMutex().lock();
}

int& CallDepth() {
  thread_local int depth = 0;
  return depth;
}

void Append(Call&& call) {
  State& s = S();
  if (s.limit != 0 && s.journal.size() >= s.limit) {
    s.journal.pop_front();
    ++s.dropped;
  }
  s.journal.push_back(std::move(call));
}
bool JournalOn() { return S().journalOn; }

std::optional<Result> Next(const char* name) {
  State& s = S();
  if (s.queued.empty() && s.always.empty()) return std::nullopt;  // the common, fast case
  auto q = s.queued.find(name);
  if (q != s.queued.end() && !q->second.empty()) {
    Result r = std::move(q->second.front());
    q->second.pop_front();
    if (q->second.empty()) s.queued.erase(q);
    return r;
  }
  auto a = s.always.find(name);
  if (a != s.always.end()) return a->second;
  return std::nullopt;
}

}  // namespace internal
}  // namespace velmora_sim
