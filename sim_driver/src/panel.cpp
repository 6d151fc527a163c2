#include "panel.h"

#include <atomic>
#include <cmath>
#include <mutex>
#include <utility>

namespace velmora_sim::internal {

namespace {

bool Same(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }

}  // namespace

// One panel as the publisher sees it. Every field is guarded by the publisher's mutex.
struct PanelRecord {
  struct Value {
    std::string name;
    wpilib::Kind kind = wpilib::Kind::kDouble;
    bool settable = false;
    std::vector<std::string> options;
    double want = 0.0;              // what the model shows
    double shown = 0.0;             // what WPILib holds, as far as the driver knows
    std::optional<double> outside;  // set from outside, not yet read by the model
    int32_t handle = 0;
  };
  uint64_t id = 0;
  std::string name;
  std::vector<Value> values;
  int32_t device = 0;
  bool released = false;  // the model let go: free the sim device
  bool refused = false;   // WPILib would not create it (the name is taken): nothing to show
};

namespace {

// The publisher's own state. Its mutex is a leaf: never held while WPILib or the driver's lock is
// called into, only around reads and writes of this state.
struct Publisher {
  std::mutex mutex;
  std::vector<std::shared_ptr<PanelRecord>> records;  // in the order the panels were made
  uint64_t nextId = 1;
};

// Never destroyed: the panels of devices a program leaves open refer to it up to exit.
Publisher& P() {
  static auto* publisher = new Publisher;
  return *publisher;
}

// How many values were set from outside and not yet read by their models: a model's read costs
// nothing while this is 0.
std::atomic<int> g_outsideSets{0};

// The value this thread is setting in WPILib right now: WPILib reports that set back, and it is
// the driver's own, not one from outside.
thread_local int32_t t_writingHandle = 0;
thread_local double t_writingValue = 0.0;

// A watched value is known to WPILib's callback by its panel's id and its slot, packed into the
// callback's one pointer; a panel that is gone no longer matches any id.
constexpr unsigned kSlotBits = 8;
constexpr size_t kMaxWatchedSlot = (size_t{1} << kSlotBits) - 1;

void* WatchKey(uint64_t id, size_t slot) {
  return reinterpret_cast<void*>(static_cast<uintptr_t>((id << kSlotBits) | slot));
}

void SetFromOutside(void* key, int32_t handle, double number) {
  if (handle == t_writingHandle && Same(number, t_writingValue)) return;
  const auto packed = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(key));
  const uint64_t id = packed >> kSlotBits;
  const size_t slot = static_cast<size_t>(packed & kMaxWatchedSlot);
  Publisher& p = P();
  const std::lock_guard<std::mutex> lock(p.mutex);
  for (const auto& record : p.records) {
    if (record->id != id || record->released) continue;
    if (slot >= record->values.size()) return;
    PanelRecord::Value& v = record->values[slot];
    if (v.handle != 0 && v.handle != handle) return;  // a stale watch
    if (!v.outside) g_outsideSets.fetch_add(1);
    v.outside = number;
    v.shown = number;
    return;
  }
}

// One piece of publishing, planned under the publisher's mutex and run without it.
struct Job {
  enum class What { kCreate, kUpdate, kFree };
  struct Set {
    size_t slot;
    wpilib::Kind kind;
    int32_t handle;
    double value;
  };
  What what = What::kUpdate;
  std::shared_ptr<PanelRecord> record;
  std::string name;
  int32_t device = 0;
  // kCreate: every value's declaration, made with the model's value.
  std::vector<PanelRecord::Value> declared;
  // kUpdate: the values to set.
  std::vector<Set> sets;
  // Results.
  bool stale = false;
  std::vector<int32_t> handles;
};

std::vector<Job> Plan(Publisher& p, bool checkAll) {
  std::vector<Job> jobs;
  std::vector<std::shared_ptr<PanelRecord>> kept;
  kept.reserve(p.records.size());
  for (auto& record : p.records) {
    PanelRecord& r = *record;
    if (r.released) {
      if (r.device != 0) {
        Job job;
        job.what = Job::What::kFree;
        job.record = record;
        job.name = r.name;
        job.device = r.device;
        jobs.push_back(std::move(job));
      }
      continue;  // forgotten: a late callback for it finds no record
    }
    kept.push_back(record);
    if (r.refused) continue;
    if (r.device == 0) {
      Job job;
      job.what = Job::What::kCreate;
      job.record = record;
      job.name = r.name;
      job.declared = r.values;
      jobs.push_back(std::move(job));
      continue;
    }
    Job job;
    job.record = record;
    job.name = r.name;
    job.device = r.device;
    for (size_t slot = 0; slot < r.values.size(); ++slot) {
      const PanelRecord::Value& v = r.values[slot];
      // A set from outside that the model has not read yet is kept, never shown over.
      if (v.handle == 0 || v.outside || Same(v.want, v.shown)) continue;
      job.sets.push_back(Job::Set{slot, v.kind, v.handle, v.want});
    }
    if (checkAll || !job.sets.empty()) jobs.push_back(std::move(job));
  }
  p.records = std::move(kept);
  return jobs;
}

void Run(Job& job) {
  switch (job.what) {
    case Job::What::kFree:
      // Only the device that still answers to this panel's name: after a reset of WPILib's sim
      // data the handle may belong to another device.
      if (wpilib::DeviceByName(job.name.c_str()) == job.device) wpilib::FreeDevice(job.device);
      return;
    case Job::What::kCreate: {
      job.device = wpilib::CreateDevice(job.name.c_str());
      if (job.device == 0) return;
      job.handles.reserve(job.declared.size());
      for (size_t slot = 0; slot < job.declared.size(); ++slot) {
        const PanelRecord::Value& v = job.declared[slot];
        std::vector<const char*> options;
        for (const std::string& option : v.options) options.push_back(option.c_str());
        const int32_t handle =
            wpilib::CreateValue(job.device, v.name.c_str(), v.settable, v.kind, v.want,
                                options.data(), static_cast<int32_t>(options.size()));
        if (handle != 0 && v.settable && slot <= kMaxWatchedSlot) {
          wpilib::WatchValue(handle, WatchKey(job.record->id, slot), SetFromOutside);
        }
        job.handles.push_back(handle);
      }
      return;
    }
    case Job::What::kUpdate:
      if (wpilib::DeviceByName(job.name.c_str()) != job.device) {
        job.stale = true;  // WPILib's sim data was reset: never write through the old handles
        return;
      }
      for (const Job::Set& set : job.sets) {
        t_writingHandle = set.handle;
        t_writingValue = set.value;
        wpilib::SetValue(set.handle, set.kind, set.value);
        t_writingHandle = 0;
      }
      return;
  }
}

void Store(const Job& job) {
  PanelRecord& r = *job.record;
  switch (job.what) {
    case Job::What::kFree:
      return;
    case Job::What::kCreate:
      r.device = job.device;
      r.refused = job.device == 0;
      for (size_t slot = 0; slot < job.handles.size() && slot < r.values.size(); ++slot) {
        r.values[slot].handle = job.handles[slot];
        if (!r.values[slot].outside) r.values[slot].shown = job.declared[slot].want;
      }
      return;
    case Job::What::kUpdate:
      if (r.device != job.device) return;  // made afresh in the meantime
      if (job.stale) {
        // Made again with the model's values on the next pass.
        r.device = 0;
        for (PanelRecord::Value& v : r.values) {
          v.handle = 0;
          if (v.outside) g_outsideSets.fetch_sub(1);
          v.outside.reset();
        }
        return;
      }
      for (const Job::Set& set : job.sets) {
        PanelRecord::Value& v = r.values[set.slot];
        if (v.handle == set.handle && !v.outside) v.shown = set.value;
      }
      return;
  }
}

// Passes one publish makes at most: the first, and a few for what callbacks changed meanwhile.
constexpr int kMaxPasses = 4;

}  // namespace

Panel::Panel(const std::string& name) {
  if (!wpilib::kLinked) return;
  auto record = std::make_shared<PanelRecord>();
  record->name = name;
  Publisher& p = P();
  const std::lock_guard<std::mutex> lock(p.mutex);
  record->id = p.nextId++;
  p.records.push_back(record);
  m_record = std::move(record);
}

Panel::~Panel() { Release(); }

Panel::Panel(Panel&& other) noexcept
    : m_record(std::move(other.m_record)), m_values(std::move(other.m_values)) {}

Panel& Panel::operator=(Panel&& other) noexcept {
  if (this != &other) {
    Release();
    m_record = std::move(other.m_record);
    m_values = std::move(other.m_values);
  }
  return *this;
}

void Panel::Release() {
  if (m_record == nullptr) return;
  {
    const std::lock_guard<std::mutex> lock(P().mutex);
    m_record->released = true;
    for (PanelRecord::Value& v : m_record->values) {
      if (v.outside) g_outsideSets.fetch_sub(1);
      v.outside.reset();
    }
  }
  m_record.reset();
  m_values.clear();
}

size_t Panel::Add(const char* name, bool settable, wpilib::Kind kind, double initial,
                  const char* const* options, int32_t count) {
  m_values.push_back(initial);
  if (m_record != nullptr) {
    PanelRecord::Value v;
    v.name = name;
    v.kind = kind;
    v.settable = settable;
    for (int32_t i = 0; options != nullptr && i < count; ++i) v.options.emplace_back(options[i]);
    v.want = initial;
    v.shown = initial;
    const std::lock_guard<std::mutex> lock(P().mutex);
    m_record->values.push_back(std::move(v));
  }
  return m_values.size() - 1;
}

size_t Panel::Double(const char* name, bool settable, double initial) {
  return Add(name, settable, wpilib::Kind::kDouble, initial);
}

size_t Panel::Boolean(const char* name, bool settable, bool initial) {
  return Add(name, settable, wpilib::Kind::kBoolean, initial ? 1.0 : 0.0);
}

size_t Panel::Enum(const char* name, bool settable, const char* const* options, int32_t count,
                   int32_t initial) {
  return Add(name, settable, wpilib::Kind::kEnum, initial, options, count);
}

void Panel::Show(size_t slot, double value) {
  if (m_record == nullptr || slot >= m_values.size() || Same(m_values[slot], value)) return;
  m_values[slot] = value;
  const std::lock_guard<std::mutex> lock(P().mutex);
  m_record->values[slot].want = value;
}

std::optional<double> Panel::Changed(size_t slot) {
  if (m_record == nullptr || slot >= m_values.size() || g_outsideSets.load() == 0) {
    return std::nullopt;
  }
  double number = 0.0;
  {
    const std::lock_guard<std::mutex> lock(P().mutex);
    PanelRecord::Value& v = m_record->values[slot];
    if (!v.outside) return std::nullopt;
    number = *v.outside;
    v.outside.reset();
    g_outsideSets.fetch_sub(1);
    v.want = number;
  }
  m_values[slot] = number;
  return number;
}

void Publish() {
  if (!wpilib::kLinked) return;
  Publisher& p = P();
  try {
    for (int pass = 0; pass < kMaxPasses; ++pass) {
      std::vector<Job> jobs;
      {
        const std::lock_guard<std::mutex> lock(p.mutex);
        jobs = Plan(p, pass == 0);
      }
      if (jobs.empty()) return;
      for (Job& job : jobs) Run(job);
      const std::lock_guard<std::mutex> lock(p.mutex);
      for (const Job& job : jobs) Store(job);
    }
  } catch (...) {
    // Out of memory while planning: the changes wait for the next round.
  }
}

}  // namespace velmora_sim::internal
