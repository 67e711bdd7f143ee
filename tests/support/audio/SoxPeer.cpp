#include "support/audio/SoxPeer.h"

#include <unistd.h>

#include <cstdio>

#include "platform/Process.h"
#include "support/audio/AudioSamples.h"
#include "support/platform/TempFolder.h"

namespace crx::test {
namespace {

constexpr const char* kSox = "/usr/bin/sox";

}  // namespace

bool SoxAvailable() { return access(kSox, X_OK) == 0; }

int RunSox(const std::vector<std::string>& args) {
  std::vector<std::string> all = {"-V1"};
  all.insert(all.end(), args.begin(), args.end());
  return Process::StartAndWait(kSox, all);
}

std::string SoxInfo(const std::string& path, char key) {
  std::string cmd = std::string(kSox) + " --i -" + key + " " + ShellQuote(path) + " 2>/dev/null";
  FILE* p = popen(cmd.c_str(), "r");
  if (p == nullptr) return {};
  std::string out;
  char buf[256];
  while (std::fgets(buf, sizeof buf, p) != nullptr) out += buf;
  if (pclose(p) != 0) return {};
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

std::vector<int16_t> SoxSamples16(const std::string& path) {
  TempFolder folder;
  const std::string raw = folder.File("samples.raw");
  if (RunSox({"-D", path, "-t", "raw", "-e", "signed-integer", "-b", "16", "-L", raw}) != 0)
    return {};
  const std::string bytes = ReadFileBytes(raw);
  return SamplesOf(std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

}  // namespace crx::test
