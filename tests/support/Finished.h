#pragma once
// A one-shot signal from a thread that finished its work, waited for with a deadline. (In place of
// std::promise<void>: every toolchain the tests are built with has <condition_variable>, and not
// every one has <future>.)
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace velmora_test {

class Finished {
 public:
  void Set() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_done = true;
    m_changed.notify_all();
  }
  // True once Set was called; false if `deadline` passed first.
  template <typename Rep, typename Period>
  bool WaitFor(std::chrono::duration<Rep, Period> deadline) {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, deadline, [this] { return m_done; });
  }

 private:
  std::mutex m_mutex;
  std::condition_variable m_changed;
  bool m_done = false;
};

}  // namespace velmora_test
