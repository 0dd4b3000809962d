#include "pty.hpp"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utmp.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace solver::testing {

namespace {

using Clock = std::chrono::steady_clock;

}  // namespace

PtyProcess::PtyProcess(const std::string& program, const std::vector<std::string>& env) {
  if (openpty(&master_, &slave_, nullptr, nullptr, nullptr) != 0) return;
  fcntl(master_, F_SETFD, FD_CLOEXEC);
  const pid_t pid = fork();
  if (pid < 0) return;
  if (pid == 0) {
    close(master_);
    // New session with the terminal as its controlling terminal and the
    // standard streams.
    if (login_tty(slave_) != 0) _exit(126);
    for (const std::string& e : env) putenv(const_cast<char*>(e.c_str()));
    execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  pid_ = pid;
  fcntl(slave_, F_SETFD, FD_CLOEXEC);
  fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
}

PtyProcess::~PtyProcess() {
  if (pid_ > 0 && status_ < 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  if (master_ >= 0) close(master_);
  if (slave_ >= 0) close(slave_);
}

void PtyProcess::send(std::string_view text) {
  std::size_t done = 0;
  const auto deadline = Clock::now() + std::chrono::seconds(10);
  while (done < text.size() && Clock::now() < deadline) {
    const ssize_t w = write(master_, text.data() + done, text.size() - done);
    if (w > 0) {
      done += static_cast<std::size_t>(w);
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
}

void PtyProcess::pump(int timeout_ms) {
  pollfd p{master_, POLLIN, 0};
  if (poll(&p, 1, timeout_ms) <= 0) return;
  char buf[4096];
  for (;;) {
    const ssize_t got = read(master_, buf, sizeof buf);
    if (got <= 0) return;
    for (ssize_t i = 0; i < got; ++i) {
      if (buf[i] != '\r') out_ += buf[i];
    }
  }
}

std::size_t PtyProcess::wait_for(std::string_view text, std::size_t from, int timeout_ms) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    const std::size_t at = out_.find(text, from);
    if (at != std::string::npos) return at;
    if (Clock::now() >= deadline) return std::string::npos;
    pump(20);
  }
}

bool PtyProcess::wait_for_line_mode(bool on, int timeout_ms) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    const bool line_mode = (attributes().c_lflag & ICANON) != 0;
    if (line_mode == on) return true;
    if (Clock::now() >= deadline) return false;
    pump(5);
  }
}

termios PtyProcess::attributes() const {
  termios t{};
  tcgetattr(slave_, &t);
  return t;
}

int PtyProcess::wait_exit(int timeout_ms) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  while (status_ < 0) {
    int ws = 0;
    const pid_t r = waitpid(pid_, &ws, WNOHANG);
    if (r == pid_) {
      status_ = WIFEXITED(ws) ? WEXITSTATUS(ws) : 128 + WTERMSIG(ws);
      break;
    }
    if (Clock::now() >= deadline) return -1;
    pump(10);
  }
  pump(0);
  return status_;
}

}  // namespace solver::testing
