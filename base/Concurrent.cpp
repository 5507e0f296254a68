#include "base/Concurrent.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "base/ThreadScope.h"

namespace kestrun {
namespace {

using Clock = std::chrono::steady_clock;
// Threads are dear to start under Wine (a scan of thirty entries took 40 ms on a dozen threads, 11 ms
// on one) and slow whatever else the process does meanwhile: a helper is added at once, for an item
// that may last, and then one more for each further step of this length the work goes on.
constexpr auto kStepPerHelper = std::chrono::milliseconds(2);

class Workers {
 public:
  Workers(std::size_t count, std::size_t extra, const std::function<void(std::size_t)>& work)
      : count_(count), extra_(extra), work_(work) {
    helpers_.reserve(extra);  // never moved: the joiner holds references while helpers are added
  }

  void Drain() {
    const ThreadScope scope;
    try {
      for (std::size_t i; (i = next_.fetch_add(1)) < count_;) {
        if (i + 1 < count_) MaybeAddHelper();
        work_(i);
      }
    } catch (...) {
      const std::lock_guard<std::mutex> hold(lock_);
      if (!failure_) failure_ = std::current_exception();
      next_ = count_;  // the others stop at their next item
    }
  }

  // Only a running helper adds one, and only while items are left: once the helper at an index is
  // joined, any added after it is already in the list.
  void JoinAll() {
    for (std::size_t h = 0;; ++h) {
      std::thread* helper = nullptr;
      {
        const std::lock_guard<std::mutex> hold(lock_);
        if (h >= helpers_.size()) break;
        helper = &helpers_[h];
      }
      helper->join();
    }
    if (failure_) std::rethrow_exception(failure_);
  }

 private:
  void MaybeAddHelper() {
    const std::unique_lock<std::mutex> hold(lock_, std::try_to_lock);
    if (!hold.owns_lock() || helpers_.size() >= extra_ || noThreads_) return;
    if (!helpers_.empty() && Clock::now() - start_ < kStepPerHelper * helpers_.size()) return;
    try {
      helpers_.emplace_back([this] { Drain(); });
    } catch (const std::system_error&) {
      noThreads_ = true;  // fewer threads do the same work
    }
  }

  const std::size_t count_, extra_;
  const std::function<void(std::size_t)>& work_;
  const Clock::time_point start_ = Clock::now();
  std::atomic<std::size_t> next_{0};
  std::mutex lock_;
  std::vector<std::thread> helpers_;
  bool noThreads_ = false;
  std::exception_ptr failure_;
};

}  // namespace

void ForEachConcurrently(std::size_t count, unsigned threads, const std::function<void(std::size_t)>& work) {
  Workers workers(count, std::min<std::size_t>(threads ? threads - 1 : 0, count ? count - 1 : 0), work);
  workers.Drain();
  workers.JoinAll();
}

}  // namespace kestrun
