#include "ordered_pass.hpp"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <exception>
#include <string>
#include <thread>

namespace solver {

int search_threads() {
  if (const char* v = std::getenv("SOLVER_THREADS")) {
    char* end = nullptr;
    const long n = std::strtol(v, &end, 10);
    if (end != v && *end == '\0' && n >= 1) return static_cast<int>(n > 256 ? 256 : n);
  }
  const unsigned hw = std::thread::hardware_concurrency();
  return hw == 0 ? 1 : static_cast<int>(hw);
}

namespace {

// Search threads kept from pass to pass: a pass often lasts milliseconds,
// and threads started afresh for each would spend much of it being created
// and spread over the processors.  The pool is never destroyed (a program
// may end while its threads wait for work).
class WorkerPool {
 public:
  static WorkerPool& get() {
    static WorkerPool* pool = new WorkerPool;
    return *pool;
  }

  // Runs body(0) .. body(n - 1), one per pool thread, once the last job
  // has ended everywhere; returns without waiting for them.
  void start(int n, std::function<void(int)> body) {
    std::unique_lock<std::mutex> lock(mu_);
    idle_cv_.wait(lock, [&] { return busy_ == 0; });
    while (static_cast<int>(threads_.size()) < n) {
      const int index = static_cast<int>(threads_.size());
      threads_.emplace_back([this, index, seen = job_] { loop(index, seen); });
    }
    body_ = std::move(body);
    taking_part_ = n;
    busy_ = n;
    ++job_;
    posted_.store(job_, std::memory_order_release);
    job_cv_.notify_all();
  }

 private:
  void loop(int index, std::uint64_t seen) {
    for (;;) {
      // Passes often follow each other within a millisecond, and a thread
      // woken from sleep may take a good part of one to run again: look for
      // the next job for a while first, giving way to any thread that has
      // work (the one preparing the next pass).
      const auto until = std::chrono::steady_clock::now() + kLookout;
      while (posted_.load(std::memory_order_acquire) == seen &&
             std::chrono::steady_clock::now() < until) {
        std::this_thread::yield();
      }
      std::function<void(int)> body;
      {
        std::unique_lock<std::mutex> lock(mu_);
        job_cv_.wait(lock, [&] { return job_ != seen; });
        seen = job_;
        if (index >= taking_part_) continue;
        body = body_;
      }
      body(index);
      const std::lock_guard<std::mutex> lock(mu_);
      if (--busy_ == 0) idle_cv_.notify_all();
    }
  }

  std::mutex mu_;
  std::condition_variable job_cv_;   // pool threads wait here for a job
  std::condition_variable idle_cv_;  // start waits here for the last job
  std::vector<std::thread> threads_;
  std::function<void(int)> body_;
  std::uint64_t job_ = 0;
  std::atomic<std::uint64_t> posted_{0};  // job_, for threads looking out
  static constexpr std::chrono::microseconds kLookout{2000};
  int taking_part_ = 0;
  int busy_ = 0;
};

}  // namespace

OrderedPass::OrderedPass(int workers) : workers_(workers < 1 ? 1 : workers) {}

void OrderedPass::close_unit(Cursor& cur) {
  if (!cur.running) return;
  cur.running = false;
  cur.units_run.emplace_back(cur.unit, cur.candidates);
  cur.candidates = 0;
}

OrderedPass::Gate OrderedPass::enter_unit(Cursor& cur) {
  const std::uint64_t i = cur.seen++;
  if (cur.running) {
    close_unit(cur);
    cur.claimed = next_.fetch_add(1, std::memory_order_relaxed);
  }
  if (abort_.load(std::memory_order_relaxed) ||
      cur.claimed >= best_.load(std::memory_order_acquire)) {
    return Gate::Stop;
  }
  if (i < cur.claimed) return Gate::Skip;
  cur.running = true;
  cur.unit = i;
  return Gate::Run;
}

void OrderedPass::update_attention() {
  attention_.store(pausing_.load() || abort_.load() || best_.load() != kNone,
                   std::memory_order_release);
}

bool OrderedPass::slow_checkpoint(Cursor& cur) {
  if (pausing_.load(std::memory_order_acquire)) {
    std::unique_lock<std::mutex> lock(mu_);
    cur.parked = true;
    ++parked_;
    coord_cv_.notify_all();
    workers_cv_.wait(lock, [&] { return !pausing_.load(); });
    --parked_;
    cur.parked = false;
  }
  return abort_.load(std::memory_order_acquire) || cur.unit > best_.load(std::memory_order_acquire);
}

void OrderedPass::found(Cursor& cur) {
  close_unit(cur);
  std::lock_guard<std::mutex> lock(mu_);
  if (cur.unit < best_.load()) {
    best_.store(cur.unit, std::memory_order_release);
    best_worker_ = cur.worker;
  }
  update_attention();
}

void OrderedPass::run(const std::function<void(Cursor&)>& work,
                      const std::function<bool()>& wants_attention,
                      const std::function<void(int)>& attend,
                      const std::function<bool()>& meanwhile,
                      const std::function<void()>& progress) {
  std::vector<Cursor> cursors(static_cast<std::size_t>(workers_));
  cursors_.clear();
  for (int w = 0; w < workers_; ++w) {
    cursors[w].worker = w;
    cursors[w].claimed = next_.fetch_add(1, std::memory_order_relaxed);
    cursors_.push_back(&cursors[w]);
  }
  WorkerPool::get().start(workers_, [&, this](int w) {
    Cursor& cur = cursors[static_cast<std::size_t>(w)];
    work(cur);
    close_unit(cur);
    const std::lock_guard<std::mutex> lock(mu_);
    ++finished_;
    coord_cv_.notify_all();
  });
  std::exception_ptr failure;
  bool more = static_cast<bool>(meanwhile);
  {
    std::unique_lock<std::mutex> lock(mu_);
    while (finished_ < workers_) {
      if (more && !failure) {
        lock.unlock();
        try {
          more = meanwhile();
        } catch (...) {
          more = false;
          failure = std::current_exception();
        }
        lock.lock();
        if (failure) {
          abort_.store(true);
          update_attention();
        }
      } else {
        coord_cv_.wait_for(lock, std::chrono::milliseconds(10));
      }
      if (finished_ == workers_ || failure) continue;
      lock.unlock();
      if (progress) {
        try {
          progress();
        } catch (...) {
          failure = std::current_exception();
        }
      }
      const bool attend_now = !failure && wants_attention();
      lock.lock();
      if (failure) {
        abort_.store(true);
        update_attention();
        continue;
      }
      if (!attend_now) continue;
      pausing_.store(true);
      update_attention();
      coord_cv_.wait(lock, [&] { return parked_ + finished_ == workers_; });
      int earliest = -1;
      for (const Cursor* c : cursors_) {
        if (c->parked && (earliest < 0 || c->unit < cursors_[earliest]->unit)) earliest = c->worker;
      }
      lock.unlock();
      try {
        attend(earliest);
      } catch (...) {
        failure = std::current_exception();
        abort_.store(true);
      }
      lock.lock();
      pausing_.store(false);
      update_attention();
      workers_cv_.notify_all();
    }
  }
  cursors_.clear();
  // Units before the clear all ran to their end; of the clear's unit count
  // the candidates up to the clear; units after it do not count.
  const std::uint64_t best = best_.load();
  in_order_ = run_ = 0;
  for (const Cursor& cur : cursors) {
    for (const auto& [unit, n] : cur.units_run) {
      run_ += n;
      if (unit < best || (unit == best && cur.worker == best_worker_)) in_order_ += n;
    }
  }
  if (failure) std::rethrow_exception(failure);
}

}  // namespace solver
