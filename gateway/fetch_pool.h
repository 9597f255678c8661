#pragma once
// A few threads that run upstream requests off the accept loop, so a slow
// upstream never delays an answer the cache can give.

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// At most this many upstream requests are in flight at once.
constexpr int kFetchThreads = 4;

class FetchPool {
 public:
  explicit FetchPool(int threads = kFetchThreads);
  // Waits for the jobs running; the ones still queued are dropped.
  ~FetchPool();
  FetchPool(const FetchPool&) = delete;
  FetchPool& operator=(const FetchPool&) = delete;

  void Run(std::function<void()> job);

 private:
  void Work();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> jobs_;
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};
