#include "process.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

namespace solver::testing {

RunResult run_program(const std::string& program, const std::vector<std::string>& args,
                      const std::string& input, const std::vector<std::string>& env,
                      int timeout_seconds, int send_signal, int signal_after_ms) {
  RunResult result;
  int in_pipe[2], out_pipe[2], err_pipe[2];
  if (pipe2(in_pipe, O_CLOEXEC) != 0 || pipe2(out_pipe, O_CLOEXEC) != 0 ||
      pipe2(err_pipe, O_CLOEXEC) != 0) {
    return result;
  }
  const pid_t pid = fork();
  if (pid == 0) {
    // Detach from the controlling terminal so the program sees no keyboard.
    setsid();
    dup2(in_pipe[0], 0);
    dup2(out_pipe[1], 1);
    dup2(err_pipe[1], 2);
    for (const std::string& e : env) putenv(const_cast<char*>(e.c_str()));
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(in_pipe[0]);
  close(out_pipe[1]);
  close(err_pipe[1]);
  signal(SIGPIPE, SIG_IGN);
  std::size_t written = 0;
  int in_fd = in_pipe[1];
  fcntl(in_fd, F_SETFL, O_NONBLOCK);
  if (input.empty()) {
    close(in_fd);
    in_fd = -1;
  }
  const auto start = std::chrono::steady_clock::now();
  const auto deadline = start + std::chrono::seconds(timeout_seconds);
  const auto signal_at = start + std::chrono::milliseconds(signal_after_ms);
  bool signalled = send_signal == 0;
  int out_fd = out_pipe[0], err_fd = err_pipe[0];
  while (out_fd >= 0 || err_fd >= 0) {
    pollfd fds[3];
    int n = 0;
    if (out_fd >= 0) fds[n++] = {out_fd, POLLIN, 0};
    if (err_fd >= 0) fds[n++] = {err_fd, POLLIN, 0};
    if (in_fd >= 0) fds[n++] = {in_fd, POLLOUT, 0};
    const int r = poll(fds, static_cast<nfds_t>(n), 10);
    if (!signalled && std::chrono::steady_clock::now() >= signal_at) {
      kill(pid, send_signal);
      signalled = true;
    }
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      result.timed_out = true;
      break;
    }
    if (r <= 0) continue;
    for (int i = 0; i < n; ++i) {
      if (fds[i].revents == 0) continue;
      if (fds[i].fd == in_fd) {
        const ssize_t w = write(in_fd, input.data() + written, input.size() - written);
        if (w > 0) written += static_cast<std::size_t>(w);
        if (w < 0 || written == input.size()) {
          close(in_fd);
          in_fd = -1;
        }
        continue;
      }
      char buf[65536];
      const ssize_t got = read(fds[i].fd, buf, sizeof buf);
      std::string& sink = fds[i].fd == out_fd ? result.out : result.err;
      if (got > 0) {
        sink.append(buf, static_cast<std::size_t>(got));
      } else {
        close(fds[i].fd);
        (fds[i].fd == out_fd ? out_fd : err_fd) = -1;
      }
    }
  }
  if (in_fd >= 0) close(in_fd);
  if (out_fd >= 0) close(out_fd);
  if (err_fd >= 0) close(err_fd);
  int wstatus = 0;
  waitpid(pid, &wstatus, 0);
  if (WIFEXITED(wstatus)) result.status = WEXITSTATUS(wstatus);
  if (WIFSIGNALED(wstatus)) result.status = 128 + WTERMSIG(wstatus);
  return result;
}

namespace {

// "Www Mmm dd hh:mm:ss yyyy", the asctime form without its newline.
bool is_time_line(const std::string& l) {
  static const char* const kDays = "SunMonTueWedThuFriSat";
  static const char* const kMonths = "JanFebMarAprMayJunJulAugSepOctNovDec";
  if (l.size() != 24) return false;
  auto in = [](const char* list, const std::string& w) {
    for (const char* p = list; *p; p += 3)
      if (w.compare(0, 3, p, 3) == 0) return true;
    return false;
  };
  auto digit = [&](std::size_t i) { return l[i] >= '0' && l[i] <= '9'; };
  return in(kDays, l.substr(0, 3)) && l[3] == ' ' && in(kMonths, l.substr(4, 3)) && l[7] == ' ' &&
         (l[8] == ' ' || digit(8)) && digit(9) && l[10] == ' ' && digit(11) && digit(12) &&
         l[13] == ':' && digit(14) && digit(15) && l[16] == ':' && digit(17) && digit(18) &&
         l[19] == ' ' && digit(20) && digit(21) && digit(22) && digit(23);
}

}  // namespace

std::string mask_time_lines(const std::string& text) {
  std::string out;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t eol = text.find('\n', pos);
    const bool has_eol = eol != std::string::npos;
    if (!has_eol) eol = text.size();
    const std::string line = text.substr(pos, eol - pos);
    out += is_time_line(line) ? "<time>" : line;
    if (has_eol) out += '\n';
    pos = eol + 1;
  }
  return out;
}

std::string program_path(const std::string& name) {
  return std::string(SOLVER_BINARY_DIR) + "/" + name;
}

}  // namespace solver::testing
