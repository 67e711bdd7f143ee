#include "singer/CMbrolaVoice.h"

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "foundation/FileHelpers.h"
#include "platform/Process.h"

namespace crx {
namespace {

constexpr const char* kDatabaseFolder = "/usr/share/mbrola";
constexpr const char* kPackagePrefix = "mbrola-";
constexpr const char* kIgnoreUnknown = "-e";
constexpr const char* kVolumeOption = "-v";
constexpr const char* kPhoName = "phrase.pho";
// No extension: raw 16-bit samples.
constexpr const char* kOutputName = "phrase.raw";
constexpr const char* kUnknownMark = " unknown";
constexpr const char* kWarningMark = "Warning: ";
constexpr const char* kSaturationMark = "Saturation";
constexpr float kSampleScale = 1.0f / 32768.0f;
constexpr int kBytesPerSample = 2;
// jp1 clips now and then at full volume; the others never did.
constexpr double kJp1Volume = 0.7;
constexpr double kVolume = 1.0;
// A clipped phrase is sung again at this part of the volume and raised
// afterwards in floating point.
constexpr double kSofterAfterClipping = 0.5;
constexpr int kMaxTempFolders = 1000;

bool IsExecutable(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

bool IsFile(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The program reads its options with a decimal point, whatever our locale.
std::string FormatVolume(double volume) {
  std::array<char, 32> buffer{};
  const auto r = std::to_chars(buffer.data(), buffer.data() + buffer.size(), volume,
                               std::chars_format::fixed, 2);
  return std::string(buffer.data(), r.ptr);
}

// A path the program cannot take for an option.
std::string Unambiguous(const std::string& path) {
  return !path.empty() && path[0] == '-' ? "./" + path : path;
}

}  // namespace

std::string CMbrolaVoice::FindProgram() {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return {};
  const std::string list = path;
  size_t from = 0;
  while (from <= list.size()) {
    size_t colon = list.find(':', from);
    if (colon == std::string::npos) colon = list.size();
    const std::string folder = list.substr(from, colon - from);
    if (!folder.empty()) {
      const std::string candidate = JoinPath(folder, kProgram);
      if (IsExecutable(candidate)) return candidate;
    }
    from = colon + 1;
  }
  return {};
}

std::string CMbrolaVoice::DatabaseName(DiphoneVoice voice) {
  switch (voice) {
    case DiphoneVoice::Jp1:
      return "jp1";
    case DiphoneVoice::Jp2:
      return "jp2";
    case DiphoneVoice::Jp3:
      return "jp3";
  }
  return "jp2";
}

std::string CMbrolaVoice::FindDatabase(DiphoneVoice voice) {
  const std::string name = DatabaseName(voice);
  for (const std::string& candidate :
       {JoinPath(JoinPath(kDatabaseFolder, name), name), JoinPath(kDatabaseFolder, name)}) {
    if (IsFile(candidate)) return candidate;
  }
  return {};
}

CMbrolaVoice::CMbrolaVoice(DiphoneVoice voice) : voice_(voice) {
  program_ = FindProgram();
  if (program_.empty()) {
    error_ = std::string("the diphone synthesizer (") + kProgram + ") is not installed";
    return;
  }
  database_ = FindDatabase(voice);
  if (database_.empty()) {
    error_ = "the voice " + DatabaseName(voice) + " (package " + kPackagePrefix +
             DatabaseName(voice) + ") is not installed";
    return;
  }
  const char* tmp = std::getenv("TMPDIR");
  const std::string base = tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
  for (int n = 0; n < kMaxTempFolders && folder_.empty(); ++n) {
    const std::string candidate =
        JoinPath(base, "crxmbrola-" + std::to_string(getpid()) + "-" + std::to_string(n));
    if (mkdir(candidate.c_str(), 0700) == 0) folder_ = candidate;
  }
  if (folder_.empty()) {
    error_ = "cannot make a temporary folder in " + base;
    return;
  }
  ready_ = true;
}

CMbrolaVoice::~CMbrolaVoice() {
  if (folder_.empty()) return;
  std::remove(JoinPath(folder_, kPhoName).c_str());
  std::remove(JoinPath(folder_, kOutputName).c_str());
  rmdir(folder_.c_str());
}

bool CMbrolaVoice::RunOnce(const std::string& pho, double volume, Rendered& out, bool& saturated) {
  const std::string phoPath = Unambiguous(JoinPath(folder_, kPhoName));
  const std::string outPath = Unambiguous(JoinPath(folder_, kOutputName));
  {
    std::ofstream file(phoPath, std::ios::binary | std::ios::trunc);
    file << pho;
    if (!file.flush()) {
      error_ = "cannot write the phoneme file " + phoPath;
      return false;
    }
  }
  std::remove(outPath.c_str());
  const Process::CaptureResult run = Process::StartAndCapture(
      program_, {kIgnoreUnknown, kVolumeOption, FormatVolume(volume), database_, phoPath, outPath},
      {});
  std::remove(phoPath.c_str());
  const std::string& err = run.errorOutput;
  if (run.status != 0) {
    std::string reason = err;
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r')) reason.pop_back();
    const size_t lastLine = reason.rfind('\n');
    if (lastLine != std::string::npos) reason = reason.substr(lastLine + 1);
    error_ = std::string(kProgram) +
             (run.status == Process::kStartFailed
                  ? " could not be started or was killed"
                  : " failed (status " + std::to_string(run.status) + ")") +
             (reason.empty() ? "" : ": " + reason);
    std::remove(outPath.c_str());
    return false;
  }
  saturated = err.find(kSaturationMark) != std::string::npos;
  out.unknown.clear();
  for (size_t at = err.find(kWarningMark); at != std::string::npos;
       at = err.find(kWarningMark, at + 1)) {
    const size_t from = at + std::char_traits<char>::length(kWarningMark);
    const size_t mark = err.find(kUnknownMark, from);
    const size_t line = err.find('\n', from);
    if (mark == std::string::npos || (line != std::string::npos && mark > line)) continue;
    out.unknown.push_back(err.substr(from, mark - from));
  }
  std::vector<uint8_t> bytes;
  {
    std::ifstream file(outPath, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  }
  std::remove(outPath.c_str());
  if (bytes.size() > kMaxSamples * kBytesPerSample) bytes.resize(kMaxSamples * kBytesPerSample);
  if (bytes.size() < kBytesPerSample) {
    error_ = std::string(kProgram) + " made no sound";
    return false;
  }
  out.samples.resize(bytes.size() / kBytesPerSample);
  const float gain = kSampleScale / static_cast<float>(volume);
  for (size_t i = 0; i < out.samples.size(); ++i) {
    const auto v = static_cast<int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    out.samples[i] = static_cast<float>(v) * gain;
  }
  return true;
}

bool CMbrolaVoice::Render(const std::string& pho, Rendered& out) {
  if (!ready_) return false;
  const double volume = voice_ == DiphoneVoice::Jp1 ? kJp1Volume : kVolume;
  bool saturated = false;
  if (!RunOnce(pho, volume, out, saturated)) return false;
  if (!saturated) return true;
  return RunOnce(pho, volume * kSofterAfterClipping, out, saturated);
}

}  // namespace crx
