#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace crx {

// The karaoke files loaded last, newest first, kept in a small text file
// in the working folder ("recent.txt": one UTF-8 path per line), so that
// step 1 can load one again in a click.
class RecentFiles {
 public:
  static constexpr std::string_view kFileName = "recent.txt";
  static constexpr size_t kMaxEntries = 8;
  // Longer lines are no paths of ours and are skipped.
  static constexpr size_t kMaxPathBytes = 4096;
  static constexpr size_t kMaxFileBytes = 64 * 1024;
  static constexpr std::string_view kMissingMessage =
      "ファイルが見つかりません。移動または削除された可能性があります。"
      "最近使ったファイルの一覧から外しました。";

  // The entries of a file's text: paths, blank lines and duplicates
  // skipped, at most kMaxEntries.
  static std::vector<std::string> Parse(std::string_view text);

  // Reads the list from the file (none there: empty). An empty path keeps
  // the list in memory only.
  explicit RecentFiles(std::string path);

  const std::vector<std::string>& Paths() const { return paths_; }
  // Puts the path first (moving it when listed) and writes the file.
  void Add(const std::string& path);
  void Remove(const std::string& path);

 private:
  void Save() const;

  std::string path_;
  std::vector<std::string> paths_;
};

}  // namespace crx
