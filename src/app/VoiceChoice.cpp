#include "app/VoiceChoice.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "foundation/FileHelpers.h"

namespace crx {

std::string VoiceChoice::DefaultPath() {
  std::string folder;
  if (!GetWorkFolder(folder) || folder.empty()) return {};
  return JoinPath(folder, kFileName);
}

VoiceChoice::Voice VoiceChoice::Load(const std::string& path) {
  std::ifstream in(path);
  std::string word;
  if (!path.empty() && in && std::getline(in, word)) {
    if (!word.empty() && word.back() == '\r') word.pop_back();
    for (size_t i = 1; i < kEntries.size(); ++i) {
      if (kEntries[i].word == word) return static_cast<Voice>(i);
    }
  }
  return kByRange;
}

bool VoiceChoice::Save(const std::string& path, Voice voice) {
  if (path.empty() || voice < kByRange || voice >= kVoiceCount) return false;
  return ReplaceFileText(path, std::string(kEntries[static_cast<size_t>(voice)].word) + "\n");
}

std::vector<std::string> VoiceChoice::SingerArguments(Voice voice) {
  if (voice <= kByRange || voice >= kVoiceCount) return {};
  return {"--voice", std::string(kEntries[static_cast<size_t>(voice)].word)};
}

std::vector<std::string> VoiceChoice::InstalledDatabases(std::string_view folder) {
  std::vector<std::string> found;
  for (const Entry& e : kEntries) {
    if (e.database.empty()) continue;
    const std::string name(e.database);
    const std::string inFolder = JoinPath(JoinPath(folder, name), name);
    std::error_code ec;
    if (std::filesystem::is_regular_file(inFolder, ec) ||
        std::filesystem::is_regular_file(JoinPath(folder, name), ec)) {
      found.push_back(name);
    }
  }
  std::sort(found.begin(), found.end());
  return found;
}

bool VoiceChoice::Installed(Voice voice, const std::vector<std::string>& databases) {
  if (voice <= kByRange || voice >= kVoiceCount) return true;
  const std::string_view db = kEntries[static_cast<size_t>(voice)].database;
  return std::find(databases.begin(), databases.end(), db) != databases.end();
}

}  // namespace crx
