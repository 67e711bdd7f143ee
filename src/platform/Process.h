#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace crx {

// Starting outside programs and waiting for them.
class Process {
 public:
  static constexpr int kStartFailed = -1;

  enum class WaitOutcome { Finished, TimedOut, StartFailed };

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
