#include "ui/TargetFacts.h"

#include <algorithm>

#include "base/ThreadScope.h"

namespace kestrun {

TargetFacts::TargetFacts(IPlatform& platform)
    : platform_(platform), worker_([this] {
        const ThreadScope scope;
        Work();
      }) {}

TargetFacts::~TargetFacts() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  worker_.join();
}

void TargetFacts::Start(std::shared_ptr<const StartupRows> rows, std::function<void()> ready) {
  {
    std::lock_guard lock(mutex_);
    rows_ = rows ? std::move(rows) : std::make_shared<const StartupRows>();
    taken_.assign(rows_->size(), false);
    next_ = preferFirst_ = preferCount_ = 0;
    ++generation_;
    ready_ = std::move(ready);
    results_.clear();
    announced_ = false;
    lastAnnounced_ = {};
  }
  wake_.notify_all();
}

void TargetFacts::Prefer(int first, int count) {
  std::lock_guard lock(mutex_);
  preferFirst_ = std::max(first, 0);
  preferCount_ = std::max(count, 0);
}

std::vector<std::pair<int, RowFacts>> TargetFacts::Take() {
  std::lock_guard lock(mutex_);
  announced_ = false;
  return std::exchange(results_, {});
}

int TargetFacts::NextRow() {
  const int count = static_cast<int>(rows_->size());
  for (int row = preferFirst_; row < std::min(count, preferFirst_ + preferCount_); ++row)
    if (!taken_[static_cast<size_t>(row)]) return row;
  while (next_ < count && taken_[static_cast<size_t>(next_)]) ++next_;
  return next_ < count ? next_ : -1;
}

void TargetFacts::Work() {
  // Behind the window's own thread: a start or a rescan must not wait for these.
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
  TargetResolver resolver(platform_);
  std::uint64_t resolved = 0;  // the generation the resolver's knowledge is of
  std::unique_lock lock(mutex_);
  for (;;) {
    int row = -1;
    wake_.wait(lock, [&] { return stop_ || (row = NextRow()) >= 0; });
    if (stop_) return;
    taken_[static_cast<size_t>(row)] = true;
    const std::shared_ptr<const StartupRows> rows = rows_;  // kept while the lock is let go
    const StartupRow& entry = (*rows)[static_cast<size_t>(row)];
    const std::uint64_t generation = generation_;
    lock.unlock();
    // A new list is a new look at the machine: files may have come or gone since the last.
    if (std::exchange(resolved, generation) != generation) resolver.Forget();
    RowFacts facts = Find(resolver, entry);
    lock.lock();
    if (generation != generation_) continue;
    results_.emplace_back(row, std::move(facts));
    Announce(NextRow() < 0);
  }
}

// A message per row would flood the window's queue, and posted messages go before painting and
// input: one per batch, at most every kBatch, and at once when the work is done. A message the
// window never got (posted to a handle it no longer has) is posted again with the next batch.
void TargetFacts::Announce(bool done) {
  const auto now = std::chrono::steady_clock::now();
  if (!ready_ || results_.empty() || ((announced_ || !done) && now - lastAnnounced_ < kBatch)) return;
  announced_ = true;
  lastAnnounced_ = now;
  ready_();
}

RowFacts TargetFacts::Find(TargetResolver& resolver, const StartupRow& row) {
  RowFacts facts;
  facts.target = resolver.Resolve(row);
  facts.resolved = true;
  if (facts.target.exists) facts.publisher = Publisher(facts.target.executable);
  return facts;
}

FilePublisher TargetFacts::Publisher(const std::string& path) {
  Stamped stamp;
  if (platform_.FileStamp(path, stamp.size, stamp.written) != ERROR_SUCCESS) return {};
  const std::string key = PathKey(path);
  if (const auto known = checked_.find(key);
      known != checked_.end() && known->second.size == stamp.size && known->second.written == stamp.written)
    return known->second.publisher;
  // A cache of one file: this one keeps the time limit, the stamp says when to ask again.
  stamp.publisher = PublisherCache(platform_).Check(path);
  return (checked_[key] = std::move(stamp)).publisher;
}

}  // namespace kestrun
