#include "platform/Process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

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

// Spawns program; quiet puts the standard streams on /dev/null. Returns the
// child's id or -1.
pid_t Spawn(const std::string& program, const std::vector<std::string>& args, bool quiet) {
  if (program.empty()) return -1;
  std::vector<std::string> argvStore;
  argvStore.push_back(BaseName(program));
  argvStore.insert(argvStore.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : argvStore) argv.push_back(a.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (quiet) {
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  }
  pid_t pid = -1;
  int rc;
  if (program.find('/') == std::string::npos) {
    rc = posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  } else {
    rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  }
  posix_spawn_file_actions_destroy(&actions);
  return rc == 0 ? pid : -1;
}

int WaitForExit(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return Process::kStartFailed;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : Process::kStartFailed;
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
  pid_t pid = Spawn(program, args, false);
  if (pid < 0) return kStartFailed;
  return WaitForExit(pid);
}

Process::WaitOutcome Process::ShellOpen(const std::string& program, std::string_view parameters,
                                        int timeoutMs) {
  CollectEnded();
  pid_t pid = Spawn(program, SplitParameterString(parameters), true);
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
