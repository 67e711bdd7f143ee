#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace crx {

// Starting outside programs and waiting for them.
class Process {
 public:
  static constexpr int kStartFailed = -1;

  enum class WaitOutcome { Finished, TimedOut, StartFailed, Stopped };
  static constexpr int kNoTimeout = -1;

  // Starts program with the given arguments (argument 0 is the program's
  // file name, added here) and waits for it. The exit status, or
  // kStartFailed when it could not be started or did not exit normally.
  static int StartAndWait(const std::string& program, const std::vector<std::string>& args);

  // Shell open: the parameter string is split as Windows splits a command
  // line, the program runs with its standard streams on /dev/null, and the
  // wait ends after timeoutMs at the latest (the program is then left running,
  // and collected by a later start once it has ended).
  static WaitOutcome ShellOpen(const std::string& program, std::string_view parameters,
                               int timeoutMs);

  // What StartAndCapture does besides starting the program.
  struct CaptureOptions {
    // The program's current folder; empty: this process's.
    std::string workingFolder;
    // Called with every line of the program's standard output (without its
    // line break), as it comes.
    std::function<void(std::string_view line)> onOutputLine;
    // Asked now and then while the program runs; true ends the program
    // (SIGTERM), and the wait goes on until it has ended.
    std::function<bool()> shouldStop;
  };
  struct CaptureResult {
    int status = kStartFailed;  // as StartAndWait
    std::string errorOutput;    // the last kMaxErrorOutput bytes of standard error
  };
  static constexpr size_t kMaxErrorOutput = 16384;

  // Starts program with the given arguments, standard input on /dev/null and
  // standard output and error read through pipes, and waits for it.
  static CaptureResult StartAndCapture(const std::string& program,
                                       const std::vector<std::string>& args,
                                       const CaptureOptions& options);

  // How RunInGroup starts and waits.
  struct RunOptions {
    int timeoutMs = kNoTimeout;
    // Asked every few milliseconds while the program runs; true stops its
    // whole process group (StopGroup) and the result is Stopped.
    std::function<bool()> shouldStop;
    // Standard output on /dev/null; otherwise it is this process's.
    bool quietOutput = false;
    // Called on the waiting thread with every line of standard error
    // (without its line break; a carriage return ends a line too) as it
    // comes; once the program has ended, a last line without a break too.
    std::function<void(std::string_view line)> onErrorLine;
  };
  struct RunResult {
    WaitOutcome outcome = WaitOutcome::StartFailed;
    int status = kStartFailed;  // the exit status once Finished, as StartAndWait
    std::string errorOutput;    // the last kMaxErrorOutput bytes of standard error
    // After a time-out: the program's id, which is also its process group's.
    int leftRunning = -1;
  };
  // Starts program in a process group of its own, standard input on
  // /dev/null and standard error kept aside for the result, and waits until
  // it ends, the time-out passes (it is then left running) or shouldStop
  // says so. A program started so does not see the terminal's Ctrl-C: the
  // caller decides when to stop it.
  static RunResult RunInGroup(const std::string& program, const std::vector<std::string>& args,
                              const RunOptions& options);
  // Ends a process group started by RunInGroup: SIGTERM, then SIGKILL to
  // whatever is left after kStopGraceMs; the leader is collected.
  static void StopGroup(int pid);
  static constexpr int kStopGraceMs = 2000;

  // Windows command-line splitting: blanks separate, double quotes group and
  // are removed, backslashes escape quotes only.
  static std::vector<std::string> SplitParameterString(std::string_view parameters);
};

// The folder of the running executable, where its companion files lie.
std::string StartFolder();
// Replaces the start folder (tests); an empty text restores the real one.
void OverrideStartFolder(const std::string& folder);

void SleepMs(int milliseconds);

}  // namespace crx
