#include "platform/Process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <mutex>
#include <thread>

extern char** environ;

namespace crx {
namespace {

std::string BaseName(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// How the child's standard streams are set up: inherited, all on /dev/null,
// or input on /dev/null and output and error on the write ends of two pipes.
struct StreamPlan {
  bool quiet = false;
  int outWrite = -1;
  int errWrite = -1;
  std::string workingFolder;
  bool quietOutput = false;  // only standard output on /dev/null
  bool ownGroup = false;     // a process group of its own, default signal handling
};

// Spawns program. Returns the child's id or -1.
pid_t Spawn(const std::string& program, const std::vector<std::string>& args,
            const StreamPlan& plan) {
  if (program.empty()) return -1;
  std::vector<std::string> argvStore;
  argvStore.push_back(BaseName(program));
  argvStore.insert(argvStore.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : argvStore) argv.push_back(a.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (plan.quiet || plan.outWrite >= 0 || plan.errWrite >= 0) {
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  }
  if (plan.quietOutput) posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  if (plan.quiet) {
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  }
  if (plan.outWrite >= 0) posix_spawn_file_actions_adddup2(&actions, plan.outWrite, 1);
  if (plan.errWrite >= 0) posix_spawn_file_actions_adddup2(&actions, plan.errWrite, 2);
  if (!plan.workingFolder.empty()) {
    posix_spawn_file_actions_addchdir_np(&actions, plan.workingFolder.c_str());
  }
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  if (plan.ownGroup) {
    // The child leads a group of its own, so that it and everything it
    // starts can be stopped together; it handles signals as a fresh program.
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGTERM);
    sigaddset(&defaults, SIGPIPE);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(
        &attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  }
  pid_t pid = -1;
  int rc;
  if (program.find('/') == std::string::npos) {
    rc = posix_spawnp(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
  } else {
    rc = posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
  }
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  return rc == 0 ? pid : -1;
}

// A pipe whose ends are closed with the object; both ends close on exec.
struct Pipe {
  std::array<int, 2> fds{-1, -1};
  Pipe() {
    if (pipe2(fds.data(), O_CLOEXEC) != 0) fds = {-1, -1};
  }
  ~Pipe() {
    CloseRead();
    CloseWrite();
  }
  Pipe(const Pipe&) = delete;
  Pipe& operator=(const Pipe&) = delete;
  bool Ok() const { return fds[0] >= 0; }
  void CloseRead() {
    if (fds[0] >= 0) close(fds[0]);
    fds[0] = -1;
  }
  void CloseWrite() {
    if (fds[1] >= 0) close(fds[1]);
    fds[1] = -1;
  }
};

// The status waitpid gave, as StartAndWait returns it.
int ExitStatus(int status) {
  return WIFEXITED(status) ? WEXITSTATUS(status) : Process::kStartFailed;
}

// A file that takes a child's standard error: unnamed, read back once the
// child has ended (a pipe would block a child left running unread).
class ErrorSpool {
 public:
  ErrorSpool() {
    char name[] = "/tmp/crx-errors-XXXXXX";
    fd_ = mkostemp(name, O_CLOEXEC);
    if (fd_ >= 0) unlink(name);
  }
  ~ErrorSpool() {
    if (fd_ >= 0) close(fd_);
  }
  ErrorSpool(const ErrorSpool&) = delete;
  ErrorSpool& operator=(const ErrorSpool&) = delete;
  int Fd() const { return fd_; }
  // The last bytes written, at most limit.
  std::string Tail(size_t limit) const {
    if (fd_ < 0) return {};
    const off_t end = lseek(fd_, 0, SEEK_END);
    if (end <= 0) return {};
    const off_t from = end > static_cast<off_t>(limit) ? end - static_cast<off_t>(limit) : 0;
    std::string text(static_cast<size_t>(end - from), '\0');
    const ssize_t n = pread(fd_, text.data(), text.size(), from);
    text.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return text;
  }

 private:
  int fd_ = -1;
};

// Hands a growing spool's new text to a line callback: "\n" and "\r" both
// end a line, and "\r\n" ends only one. A line longer than the kept error
// text is handed on in pieces of that size.
class ErrorLineReader {
 public:
  ErrorLineReader(const ErrorSpool& spool, const std::function<void(std::string_view line)>& onLine)
      : spool_(spool), onLine_(onLine) {}

  // Reads what was written since the last call.
  void Poll() {
    if (!onLine_ || spool_.Fd() < 0) return;
    std::array<char, 4096> buf{};
    for (;;) {
      const ssize_t n = pread(spool_.Fd(), buf.data(), buf.size(), offset_);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return;
      offset_ += n;
      for (char c : std::string_view(buf.data(), static_cast<size_t>(n))) Take(c);
    }
  }
  // The program has ended: what is left is its last line.
  void Finish() {
    Poll();
    if (onLine_ && !pending_.empty()) onLine_(pending_);
    pending_.clear();
  }

 private:
  void Take(char c) {
    const bool afterReturn = lastWasReturn_;
    lastWasReturn_ = c == '\r';
    if (c == '\n' && afterReturn) return;
    if (c == '\n' || c == '\r') {
      onLine_(pending_);
      pending_.clear();
      return;
    }
    pending_.push_back(c);
    if (pending_.size() >= Process::kMaxErrorOutput) {
      onLine_(pending_);
      pending_.clear();
    }
  }

  const ErrorSpool& spool_;
  const std::function<void(std::string_view line)>& onLine_;
  off_t offset_ = 0;
  std::string pending_;
  bool lastWasReturn_ = false;
};

int WaitForExit(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return Process::kStartFailed;
  }
  return ExitStatus(status);
}

std::mutex g_startFolderMutex;
std::string g_startFolderOverride;

// Programs left running after a timed wait: collected once they have ended,
// so that they do not linger as zombies.
std::mutex g_leftRunningMutex;
std::vector<pid_t> g_leftRunning;

void LeaveRunning(pid_t pid) {
  std::lock_guard lock(g_leftRunningMutex);
  g_leftRunning.push_back(pid);
}

void CollectEnded() {
  std::lock_guard lock(g_leftRunningMutex);
  std::erase_if(g_leftRunning, [](pid_t pid) {
    int status = 0;
    const pid_t r = waitpid(pid, &status, WNOHANG);
    return r == pid || (r < 0 && errno == ECHILD);
  });
}

}  // namespace

int Process::StartAndWait(const std::string& program, const std::vector<std::string>& args) {
  CollectEnded();
  pid_t pid = Spawn(program, args, StreamPlan{});
  if (pid < 0) return kStartFailed;
  return WaitForExit(pid);
}

Process::CaptureResult Process::StartAndCapture(const std::string& program,
                                                const std::vector<std::string>& args,
                                                const CaptureOptions& options) {
  CaptureResult result;
  Pipe out;
  Pipe err;
  if (!out.Ok() || !err.Ok()) return result;
  StreamPlan plan;
  plan.outWrite = out.fds[1];
  plan.errWrite = err.fds[1];
  plan.workingFolder = options.workingFolder;
  const pid_t pid = Spawn(program, args, plan);
  out.CloseWrite();
  err.CloseWrite();
  if (pid < 0) return result;

  constexpr int kPollMs = 100;
  std::string pending;  // standard output after its last complete line
  std::array<char, 4096> buf{};
  bool stopSent = false;
  bool outOpen = true;
  bool errOpen = true;
  while (outOpen || errOpen) {
    if (!stopSent && options.shouldStop && options.shouldStop()) {
      kill(pid, SIGTERM);
      stopSent = true;
    }
    std::array<pollfd, 2> fds{pollfd{out.fds[0], POLLIN, 0}, pollfd{err.fds[0], POLLIN, 0}};
    if (!outOpen) fds[0].fd = -1;
    if (!errOpen) fds[1].fd = -1;
    const int ready = poll(fds.data(), fds.size(), kPollMs);
    if (ready < 0 && errno != EINTR) break;
    if (ready <= 0) continue;
    if (outOpen && fds[0].revents != 0) {
      const ssize_t n = read(out.fds[0], buf.data(), buf.size());
      if (n > 0) {
        pending.append(buf.data(), static_cast<size_t>(n));
        size_t start = 0;
        for (size_t nl = pending.find('\n'); nl != std::string::npos;
             nl = pending.find('\n', start)) {
          if (options.onOutputLine) {
            options.onOutputLine(std::string_view(pending).substr(start, nl - start));
          }
          start = nl + 1;
        }
        pending.erase(0, start);
      } else if (n == 0 || errno != EINTR) {
        outOpen = false;
      }
    }
    if (errOpen && fds[1].revents != 0) {
      const ssize_t n = read(err.fds[0], buf.data(), buf.size());
      if (n > 0) {
        result.errorOutput.append(buf.data(), static_cast<size_t>(n));
        if (result.errorOutput.size() > kMaxErrorOutput) {
          result.errorOutput.erase(0, result.errorOutput.size() - kMaxErrorOutput);
        }
      } else if (n == 0 || errno != EINTR) {
        errOpen = false;
      }
    }
  }
  if (!pending.empty() && options.onOutputLine) options.onOutputLine(pending);
  result.status = WaitForExit(pid);
  return result;
}

Process::RunResult Process::RunInGroup(const std::string& program,
                                       const std::vector<std::string>& args,
                                       const RunOptions& options) {
  CollectEnded();
  RunResult result;
  const ErrorSpool errors;
  StreamPlan plan;
  plan.ownGroup = true;
  plan.quietOutput = options.quietOutput;
  plan.errWrite = errors.Fd();
  const pid_t pid = Spawn(program, args, plan);
  if (pid < 0) return result;
  ErrorLineReader errorLines(errors, options.onErrorLine);
  constexpr auto kPoll = std::chrono::milliseconds(5);
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(options.timeoutMs, 0));
  for (;;) {
    int status = 0;
    const pid_t r = waitpid(pid, &status, WNOHANG);
    if (r == pid) {
      result.outcome = WaitOutcome::Finished;
      result.status = ExitStatus(status);
      break;
    }
    if (r < 0 && errno != EINTR) {
      result.outcome = WaitOutcome::Finished;
      break;
    }
    if (options.shouldStop && options.shouldStop()) {
      StopGroup(pid);
      result.outcome = WaitOutcome::Stopped;
      break;
    }
    if (options.timeoutMs != kNoTimeout && std::chrono::steady_clock::now() >= deadline) {
      LeaveRunning(pid);
      result.outcome = WaitOutcome::TimedOut;
      result.leftRunning = pid;
      break;
    }
    errorLines.Poll();
    std::this_thread::sleep_for(kPoll);
  }
  if (result.outcome == WaitOutcome::TimedOut) {
    errorLines.Poll();
  } else {
    errorLines.Finish();
  }
  result.errorOutput = errors.Tail(kMaxErrorOutput);
  return result;
}

void Process::StopGroup(int pid) {
  if (pid <= 0) return;
  kill(-pid, SIGTERM);
  kill(pid, SIGTERM);  // in case it has left its group
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStopGraceMs);
  for (;;) {
    int status = 0;
    const pid_t r = waitpid(pid, &status, WNOHANG);
    // Not ours to collect (left running and already collected) or gone.
    const bool ended = r == pid || (r < 0 && errno == ECHILD) || (r == 0 && kill(pid, 0) != 0);
    if (ended || std::chrono::steady_clock::now() >= deadline) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  // Whatever of the group is still there (a child that ignores SIGTERM, or
  // the leader itself) ends now.
  kill(-pid, SIGKILL);
  if (kill(pid, 0) == 0) {
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
  }
  std::lock_guard lock(g_leftRunningMutex);
  std::erase(g_leftRunning, pid);
}

Process::WaitOutcome Process::ShellOpen(const std::string& program, std::string_view parameters,
                                        int timeoutMs) {
  CollectEnded();
  StreamPlan plan;
  plan.quiet = true;
  pid_t pid = Spawn(program, SplitParameterString(parameters), plan);
  if (pid < 0) return WaitOutcome::StartFailed;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    int status = 0;
    pid_t r = waitpid(pid, &status, WNOHANG);
    if (r == pid || (r < 0 && errno != EINTR)) return WaitOutcome::Finished;
    if (std::chrono::steady_clock::now() >= deadline) {
      LeaveRunning(pid);
      return WaitOutcome::TimedOut;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

std::vector<std::string> Process::SplitParameterString(std::string_view s) {
  std::vector<std::string> out;
  size_t i = 0;
  const size_t n = s.size();
  for (;;) {
    while (i < n && (s[i] == ' ' || s[i] == '\t')) ++i;
    if (i >= n) break;
    std::string arg;
    bool quoted = false;
    while (i < n) {
      char c = s[i];
      if (!quoted && (c == ' ' || c == '\t')) break;
      if (c == '\\') {
        size_t slashes = 0;
        while (i < n && s[i] == '\\') {
          ++slashes;
          ++i;
        }
        if (i < n && s[i] == '"') {
          arg.append(slashes / 2, '\\');
          if (slashes % 2 == 1) {
            arg.push_back('"');
            ++i;
          }
        } else {
          arg.append(slashes, '\\');
        }
        continue;
      }
      if (c == '"') {
        if (quoted && i + 1 < n && s[i + 1] == '"') {
          arg.push_back('"');  // "" inside quotes is one quote
          i += 2;
          continue;
        }
        quoted = !quoted;
        ++i;
        continue;
      }
      arg.push_back(c);
      ++i;
    }
    out.push_back(std::move(arg));
  }
  return out;
}

std::string StartFolder() {
  {
    std::lock_guard lock(g_startFolderMutex);
    if (!g_startFolderOverride.empty()) return g_startFolderOverride;
  }
  std::vector<char> buf(4096);
  ssize_t len = readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  if (len <= 0) return ".";
  std::string exe(buf.data(), static_cast<size_t>(len));
  size_t slash = exe.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return exe.substr(0, slash);
}

void OverrideStartFolder(const std::string& folder) {
  std::lock_guard lock(g_startFolderMutex);
  g_startFolderOverride = folder;
}

void SleepMs(int milliseconds) {
  if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace crx
