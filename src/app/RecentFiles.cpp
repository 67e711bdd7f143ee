#include "app/RecentFiles.h"

#include <algorithm>

#include "foundation/FileHelpers.h"

namespace crx {

std::vector<std::string> RecentFiles::Parse(std::string_view text) {
  std::vector<std::string> paths;
  while (!text.empty() && paths.size() < kMaxEntries) {
    const size_t end = std::min(text.find('\n'), text.size());
    std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    // Only absolute paths: a NUL or a stray text is no file of ours.
    if (line.empty() || line.front() != '/' || line.size() > kMaxPathBytes ||
        line.find('\0') != std::string_view::npos) {
      continue;
    }
    if (std::find(paths.begin(), paths.end(), line) == paths.end()) paths.emplace_back(line);
  }
  return paths;
}

RecentFiles::RecentFiles(std::string path) : path_(std::move(path)) {
  if (path_.empty()) return;
  std::vector<uint8_t> bytes;
  // A missing list is an empty one, without a message.
  if (FileExists(path_) != 1 || !ReadFileLimited(path_, bytes, kMaxFileBytes)) return;
  paths_ = Parse(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

void RecentFiles::Add(const std::string& path) {
  if (path.empty() || path.find('\n') != std::string::npos) return;
  std::erase(paths_, path);
  paths_.insert(paths_.begin(), path);
  if (paths_.size() > kMaxEntries) paths_.resize(kMaxEntries);
  Save();
}

void RecentFiles::Remove(const std::string& path) {
  if (std::erase(paths_, path) > 0) Save();
}

void RecentFiles::Save() const {
  std::string text;
  for (const std::string& p : paths_) text += p + '\n';
  ReplaceFileText(path_, text);
}

}  // namespace crx
