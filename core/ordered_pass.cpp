#include "ordered_pass.hpp"

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
                      const std::function<void(int)>& attend) {
  std::vector<Cursor> cursors(static_cast<std::size_t>(workers_));
  cursors_.clear();
  for (int w = 0; w < workers_; ++w) {
    cursors[w].worker = w;
    cursors[w].claimed = next_.fetch_add(1, std::memory_order_relaxed);
    cursors_.push_back(&cursors[w]);
  }
  std::vector<std::thread> threads;
  threads.reserve(cursors.size());
  for (Cursor& cur : cursors) {
    threads.emplace_back([&, this] {
      work(cur);
      close_unit(cur);
      std::lock_guard<std::mutex> lock(mu_);
      ++finished_;
      coord_cv_.notify_all();
    });
  }
  std::exception_ptr failure;
  {
    std::unique_lock<std::mutex> lock(mu_);
    while (finished_ < workers_) {
      coord_cv_.wait_for(lock, std::chrono::milliseconds(10));
      if (finished_ == workers_ || failure) continue;
      lock.unlock();
      const bool attend_now = wants_attention();
      lock.lock();
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
  for (std::thread& t : threads) t.join();
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
