#include "keyboard.hpp"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>

namespace solver {

namespace {

// Saved settings, kept where a signal handler can reach them.
volatile sig_atomic_t g_raw_fd = -1;
struct termios g_saved;
// The keyboard of the search that is running, if any.
std::atomic<Keyboard*> g_searching{nullptr};

void on_signal(int sig) {
  Keyboard* k = g_searching.load();
  if (sig != SIGHUP && k != nullptr && k->deliver_signal(sig)) return;
  restore_terminal();
  std::signal(sig, SIG_DFL);
  std::raise(sig);
}

void install_handlers() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction sa {};
    sa.sa_handler = on_signal;
    sigemptyset(&sa.sa_mask);
    sigaction(sig, &sa, nullptr);
  }
  std::atexit([] { restore_terminal(); });
}

}  // namespace

void restore_terminal() noexcept {
  const int fd = g_raw_fd;
  if (fd >= 0) {
    tcsetattr(fd, TCSANOW, &g_saved);
    g_raw_fd = -1;
  }
}

Keyboard::~Keyboard() {
  stop();
  if (fd_ >= 0) close(fd_);
}

bool Keyboard::open_terminal() {
  if (fd_ >= 0) return true;
  fd_ = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd_ < 0) return false;
  struct termios t;
  if (tcgetattr(fd_, &t) != 0) {
    close(fd_);
    fd_ = -1;
    return false;
  }
  install_handlers();
  return true;
}

bool Keyboard::deliver_signal(int sig) noexcept {
  // A signal already waiting means the search has not reacted: give up.
  if (interrupt_signal(pending_.load()) != 0) return false;
  pending_.store(kSignalKey + sig, std::memory_order_release);
  return true;
}

void Keyboard::start() {
  install_handlers();
  g_searching.store(this);
  if (fd_ < 0 || thread_.joinable()) return;
  struct termios t;
  if (tcgetattr(fd_, &t) != 0) return;
  g_saved = t;
  t.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 0;
  g_raw_fd = fd_;
  tcsetattr(fd_, TCSANOW, &t);
  stop_.store(false);
  thread_ = std::thread([this] { reader(); });
}

void Keyboard::stop() {
  Keyboard* self = this;
  g_searching.compare_exchange_strong(self, nullptr);
  if (thread_.joinable()) {
    stop_.store(true);
    thread_.join();
  }
  restore_terminal();
}

void Keyboard::reader() {
  while (!stop_.load(std::memory_order_relaxed)) {
    if (pending_.load(std::memory_order_acquire) >= 0) {
      // One key at a time; later keystrokes stay in the terminal's buffer.
      struct pollfd none {};
      poll(&none, 0, 20);
      continue;
    }
    struct pollfd p {};
    p.fd = fd_;
    p.events = POLLIN;
    const int r = poll(&p, 1, 50);
    if (r <= 0) continue;
    if ((p.revents & POLLIN) == 0) {
      // Hang-up or error: the terminal is gone, no further keys.
      return;
    }
    unsigned char ch;
    int none = -1;
    if (read(fd_, &ch, 1) == 1) pending_.compare_exchange_strong(none, ch);
  }
}

}  // namespace solver
