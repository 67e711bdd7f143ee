#include "support/vocal/PeerReaders.h"

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>

#include "support/platform/TempFolder.h"

namespace crx::test {
namespace {

constexpr const char* kPython = "/usr/bin/python3";
constexpr const char* kVsqJar = "/usr/share/jcadencii/Cadencii.jar";

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

}  // namespace

std::vector<std::string> CommandLines(const std::string& command, int* status) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) {
    if (status != nullptr) *status = -1;
    return {};
  }
  char buf[8192];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, n);
  const int raw = pclose(pipe);
  if (status != nullptr) *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return SplitLines(out);
}

bool HaveMido() {
  int status = -1;
  CommandLines(std::string(kPython) + " -c 'import mido' 2>/dev/null", &status);
  return status == 0;
}

std::vector<std::string> MidoSummary(const std::string& path, const std::string& peers) {
  return CommandLines(std::string(kPython) + " " + peers + "midi_summary.py " + ShellQuote(path));
}

bool HaveVsqReader() {
  int status = -1;
  CommandLines(std::string("test -r ") + kVsqJar + " && command -v java >/dev/null", &status);
  return status == 0;
}

namespace {
VsqView RunVsqProbe(const std::string& path, const std::string& peers, const char* extra) {
  TempFolder errors;
  const std::string errorFile = errors.File("stderr.txt");
  VsqView view;
  view.lines = CommandLines(std::string("java -cp ") + kVsqJar + " " + peers + "VsqProbe.java " +
                                ShellQuote(path) + extra + " 2>" + ShellQuote(errorFile),
                            &view.status);
  view.faults = SplitLines(ReadFileBytes(errorFile));
  return view;
}
}  // namespace

VsqView ReadWithVsqReader(const std::string& path, const std::string& peers) {
  return RunVsqProbe(path, peers, "");
}

VsqView ReadSecondsWithVsqReader(const std::string& path, const std::string& peers) {
  return RunVsqProbe(path, peers, " seconds");
}

bool HaveMidicsv() {
  int status = -1;
  CommandLines("command -v midicsv >/dev/null", &status);
  return status == 0;
}

std::vector<std::string> MidicsvRows(const std::string& path, int* status) {
  return CommandLines("midicsv " + ShellQuote(path) + " 2>&1", status);
}

std::string Hex(const std::string& bytes) {
  static const char* kDigits = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    out += kDigits[c >> 4];
    out += kDigits[c & 15];
  }
  return out;
}

}  // namespace crx::test
