#include "base/Concurrent.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "base/ThreadScope.h"

namespace kestrun {
namespace {

using Clock = std::chrono::steady_clock;
// Threads are dear to start under Wine (about a millisecond each, and the loader's lock taken at each
// start and end) and many at once on a few cores spin on each other's locks: the helpers are kept
// between calls and shared by all, nested ones included, never more than this many.
constexpr std::size_t kMaxHelpers = 15;
// A helper idle this long ends: under Wine each thread alive holds about a megabyte, which a list of
// 100,000 rows needs more than the next call needs the helper.
constexpr auto kIdleLife = std::chrono::milliseconds(10);
// A helper is asked at once, for an item that may last, and then one more for each further step of
// this length the work goes on: a short job is not worth waking many.
constexpr auto kStepPerHelper = std::chrono::milliseconds(2);

class Job {
 public:
  Job(std::size_t count, std::size_t extra, const std::function<void(std::size_t)>& work)
      : count_(count), extra_(extra), work_(work) {}

  // Takes items until none are left; the first exception stops every taker at its next item.
  void Drain() {
    const ThreadScope scope;
    try {
      for (std::size_t i; (i = next_.fetch_add(1)) < count_;) {
        if (i + 1 < count_) MaybeAskHelper();
        work_(i);
      }
    } catch (...) {
      const std::lock_guard<std::mutex> hold(failureLock_);
      if (!failure_) failure_ = std::current_exception();
      next_ = count_;
    }
  }

  void Rethrow() const {
    if (failure_) std::rethrow_exception(failure_);
  }

  [[nodiscard]] std::size_t Extra() const { return extra_; }  // helpers it may have
  [[nodiscard]] Clock::duration Age() const { return Clock::now() - start_; }

  // Guarded by the pool's lock.
  std::size_t asked = 0;   // helpers asked for
  std::size_t active = 0;  // helpers draining it now
  std::condition_variable idle;

 private:
  void MaybeAskHelper();

  const std::size_t count_, extra_;
  const std::function<void(std::size_t)>& work_;
  const Clock::time_point start_ = Clock::now();
  std::atomic<std::size_t> next_{0};
  std::mutex failureLock_;
  std::exception_ptr failure_;
};

// The shared helpers: a job asks for one at a time, an idle helper takes the ask or a new one is
// started while there are fewer than kMaxHelpers. The helpers hold the state they wait on, so it
// outlives the pool.
class Pool {
 public:
  static Pool& Instance() {
    static Pool pool;
    return pool;
  }

  // Helpers still waiting end on their own: they hold only the state.
  ~Pool() {
    const std::lock_guard<std::mutex> hold(state_->lock);
    for (std::thread& helper : state_->helpers) helper.detach();
    state_->helpers.clear();
  }

  // A helper for job, unless it has its share or none can be had. Called with the job still open.
  void Ask(Job& job) {
    State& state = *state_;
    const std::unique_lock<std::mutex> hold(state.lock, std::try_to_lock);
    if (!hold.owns_lock() || job.asked >= job.Extra()) return;
    if (job.asked > 0 && job.Age() < kStepPerHelper * job.asked) return;
    if (state.waiting <= state.asks.size() && !Start()) return;
    ++job.asked;
    state.asks.push_back(&job);
    state.wake.notify_one();
  }

  // No helper takes job from now on; returns once those that took it are done.
  void Close(Job& job) {
    State& state = *state_;
    std::unique_lock<std::mutex> hold(state.lock);
    std::erase(state.asks, &job);
    job.idle.wait(hold, [&] { return job.active == 0; });
  }

 private:
  struct State {
    std::mutex lock;
    std::condition_variable wake;
    std::deque<Job*> asks;
    std::size_t waiting = 0;  // helpers idle
    std::vector<std::thread> helpers;
  };

  // Called with the lock held.
  bool Start() {
    if (state_->helpers.size() >= kMaxHelpers) return false;
    try {
      state_->helpers.emplace_back([state = state_] { Serve(*state); });
      return true;
    } catch (const std::system_error&) {
      return false;  // fewer threads do the same work
    }
  }

  static void Serve(State& state) {
    std::unique_lock<std::mutex> hold(state.lock);
    for (;;) {
      ++state.waiting;
      const bool asked = state.wake.wait_for(hold, kIdleLife, [&] { return !state.asks.empty(); });
      --state.waiting;
      if (!asked) return Leave(state);
      Job& job = *state.asks.front();
      state.asks.pop_front();
      ++job.active;
      hold.unlock();
      job.Drain();
      hold.lock();
      if (--job.active == 0) job.idle.notify_all();
    }
  }

  // Called with the lock held, on the helper that leaves.
  static void Leave(State& state) {
    const auto self = std::find_if(state.helpers.begin(), state.helpers.end(), [](const std::thread& helper) {
      return helper.get_id() == std::this_thread::get_id();
    });
    if (self == state.helpers.end()) return;
    self->detach();
    state.helpers.erase(self);
  }

  std::shared_ptr<State> state_ = std::make_shared<State>();
};

void Job::MaybeAskHelper() {
  if (extra_ > 0) Pool::Instance().Ask(*this);
}

}  // namespace

void ForEachConcurrently(std::size_t count, unsigned threads, const std::function<void(std::size_t)>& work) {
  const std::size_t extra = std::min<std::size_t>(threads ? threads - 1 : 0, count ? count - 1 : 0);
  Job job(count, extra, work);
  job.Drain();
  if (extra > 0) Pool::Instance().Close(job);
  job.Rethrow();
}

}  // namespace kestrun
