#include "app/DroppedKaraoke.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace crx {
namespace {

constexpr std::array<std::string_view, 3> kExtensions = {".mid", ".midi", ".kar"};
constexpr std::string_view kMidiHeader = "MThd";

bool HasMidiExtension(const std::filesystem::path& path) {
  std::string extension = path.extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return std::find(kExtensions.begin(), kExtensions.end(), extension) != kExtensions.end();
}

bool StartsAsMidi(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::array<char, kMidiHeader.size()> head{};
  return in.read(head.data(), head.size()) &&
         std::string_view(head.data(), head.size()) == kMidiHeader;
}

}  // namespace

std::string_view DroppedKaraoke::Problem(const std::vector<std::string>& paths) {
  if (paths.size() != 1) return kSeveralMessage;
  const std::filesystem::path path(paths.front());
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) return kFolderMessage;
  if (!std::filesystem::is_regular_file(path, ec)) return kMissingMessage;
  if (!HasMidiExtension(path) && !StartsAsMidi(path)) return kNotMidiMessage;
  return {};
}

}  // namespace crx
