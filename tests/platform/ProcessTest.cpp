#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>

#include "platform/Process.h"
#include "support/platform/TempFolder.h"

namespace crx {
namespace {

// A shell script that writes each argument on its own line to a file, then
// exits with the status given in its environment-free first line.
std::string MakeScript(const test::TempFolder& tmp, const std::string& name,
                       const std::string& body) {
  std::string path = tmp.File(name);
  test::WriteFileBytes(path, "#!/bin/sh\n" + body + "\n");
  chmod(path.c_str(), 0755);
  return path;
}

TEST(Process, StartAndWaitPassesArgumentsAsTheyAreAndReturnsTheStatus) {
  test::TempFolder tmp;
  std::string out = tmp.File("args.txt");
  std::string script =
      MakeScript(tmp, "echo args.sh",
                 "basename \"$0\" > '" + out + "'\nfor a in \"$@\"; do printf '%s\\n' \"$a\" >> '" +
                     out + "'; done\nexit 7");
  int rc = Process::StartAndWait(script, {"a b", "\"q\"", "ふるさと", ""});
  EXPECT_EQ(rc, 7);
  EXPECT_EQ(test::ReadFileBytes(out), "echo args.sh\na b\n\"q\"\nふるさと\n\n");
}

TEST(Process, AProgramThatDoesNotExistFailsToStart) {
  EXPECT_EQ(Process::StartAndWait("/no/such/program", {}), Process::kStartFailed);
  EXPECT_EQ(Process::StartAndWait("", {}), Process::kStartFailed);
  EXPECT_EQ(Process::ShellOpen("/no/such/program", "x", 1000), Process::WaitOutcome::StartFailed);
}

TEST(Process, ShellOpenSplitsTheParametersAndTimesOutWithoutFailing) {
  test::TempFolder tmp;
  std::string out = tmp.File("args.txt");
  std::string script = MakeScript(
      tmp, "enc.sh", "for a in \"$@\"; do printf '[%s]' \"$a\" >> '" + out + "'; done\necho noise");
  EXPECT_EQ(Process::ShellOpen(script, "\"/tmp/a b.wav\"  \"/tmp/歌.mp3\" -V2", 10000),
            Process::WaitOutcome::Finished);
  EXPECT_EQ(test::ReadFileBytes(out), "[/tmp/a b.wav][/tmp/歌.mp3][-V2]");

  std::string slow = MakeScript(tmp, "slow.sh", "sleep 5");
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Process::ShellOpen(slow, "", 200), Process::WaitOutcome::TimedOut);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));
}

TEST(Process, ParameterStringsSplitAsOnWindows) {
  using V = std::vector<std::string>;
  EXPECT_EQ(Process::SplitParameterString(""), V{});
  EXPECT_EQ(Process::SplitParameterString("  a  b "), (V{"a", "b"}));
  EXPECT_EQ(Process::SplitParameterString("\"a b\" c"), (V{"a b", "c"}));
  EXPECT_EQ(Process::SplitParameterString("x\"y z\"w"), (V{"xy zw"}));
  EXPECT_EQ(Process::SplitParameterString("\"\""), (V{""}));
  EXPECT_EQ(Process::SplitParameterString("a\\\\b \\\"q\\\""), (V{"a\\\\b", "\"q\""}));
  EXPECT_EQ(Process::SplitParameterString("\"C:\\dir\\\\\" x"), (V{"C:\\dir\\", "x"}));
  EXPECT_EQ(Process::SplitParameterString("\"a \"\"b\"\" c\""), (V{"a \"b\" c"}));
  EXPECT_EQ(Process::SplitParameterString("\"open"), (V{"open"}));
}

TEST(Process, StartFolderIsTheExecutablesFolder) {
  std::string folder = StartFolder();
  EXPECT_EQ(folder, CRX_START_FOLDER);
  OverrideStartFolder("/elsewhere");
  EXPECT_EQ(StartFolder(), "/elsewhere");
  OverrideStartFolder("");
  EXPECT_EQ(StartFolder(), folder);
}

TEST(Process, StartAndCaptureReadsOutputLinesAndTheEndOfTheErrorsInTheGivenFolder) {
  test::TempFolder tmp;
  std::string script = MakeScript(tmp, "talk.sh",
                                  "pwd; printf 'a\\nb'; i=0; while [ $i -lt 3000 ]; do "
                                  "echo \"error line $i\" >&2; i=$((i+1)); done; exit 3");
  std::vector<std::string> lines;
  Process::CaptureOptions options;
  options.workingFolder = tmp.Path();
  options.onOutputLine = [&lines](std::string_view line) { lines.emplace_back(line); };
  const auto result = Process::StartAndCapture(script, {}, options);
  EXPECT_EQ(result.status, 3);
  EXPECT_EQ(lines, (std::vector<std::string>{tmp.Path(), "a", "b"}));
  EXPECT_EQ(result.errorOutput.size(), Process::kMaxErrorOutput);
  EXPECT_TRUE(result.errorOutput.ends_with("error line 2999\n"));

  // A stop request ends the program; a program that is missing never starts.
  std::string slow = MakeScript(tmp, "slow.sh", "echo started; exec sleep 30");
  Process::CaptureOptions stop;
  bool started = false;
  stop.onOutputLine = [&started](std::string_view) { started = true; };
  stop.shouldStop = [&started] { return started; };
  auto begin = std::chrono::steady_clock::now();
  EXPECT_EQ(Process::StartAndCapture(slow, {}, stop).status, Process::kStartFailed);
  EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(10));
  EXPECT_EQ(Process::StartAndCapture("/no/such/program", {}, {}).status, Process::kStartFailed);
}

// Standard error reaches the caller a line at a time while the program
// runs (the second line waits for the first to be seen), "\r" ending a line
// as "\n" and "\r\n" do; the error text of the result stays whole.
TEST(Process, RunInGroupHandsOnErrorLinesAsTheyCome) {
  test::TempFolder tmp;
  const std::string seen = tmp.File("seen");
  const std::string script =
      MakeScript(tmp, "lines.sh",
                 "printf 'one\\r\\ntwo\\r' >&2; while [ ! -e " + test::ShellQuote(seen) +
                     " ]; do sleep 0.01; done; printf '\\nthree\\rfour\\n\\nlast' >&2");
  std::vector<std::string> lines;
  Process::RunOptions options;
  options.timeoutMs = 10000;
  options.onErrorLine = [&](std::string_view line) {
    lines.emplace_back(line);
    if (line == "two") test::WriteFileBytes(seen, "");
  };
  const Process::RunResult run = Process::RunInGroup(script, {}, options);
  EXPECT_EQ(run.outcome, Process::WaitOutcome::Finished);
  EXPECT_EQ(lines, (std::vector<std::string>{"one", "two", "three", "four", "", "last"}));
  EXPECT_EQ(run.errorOutput, "one\r\ntwo\r\nthree\rfour\n\nlast");
}

}  // namespace
}  // namespace crx
