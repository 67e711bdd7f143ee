#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace crx {

// A comma-separated list file (the dictionaries) loaded into a table of text
// cells. Constructing it reads, parses and post-processes the file at once;
// failures are shown with the tag GNLL and the rows stored up to the failure
// stay usable.
class CListFile {
 public:
  static constexpr size_t kImageSize = 1'400'000;  // bytes read at most
  static constexpr int kMaxRows = 40'000;          // reaching it is an error
  static constexpr int kMaxColumns = 130;
  static constexpr size_t kCellSize = 256;
  static constexpr size_t kMaxCellLength = kCellSize - 2;  // 254 bytes
  static constexpr char kDefaultSeparator = ',';
  static constexpr int kDefaultColumns = 2;

  static constexpr uint32_t kErrOpen = 0x1E000001;
  static constexpr uint32_t kErrData = 0x1E000002;
  static constexpr uint32_t kErrTooManyRows = 0x1E000003;
  static constexpr uint32_t kErrNoDirectory = 0x1E000005;
  static constexpr uint32_t kErrCellTooLong = 0x1E000006;

  // path: a full path, or a bare file name taken from the current folder.
  explicit CListFile(const std::string& path, char separator = kDefaultSeparator,
                     int columns = kDefaultColumns);

  int RowCount() const { return static_cast<int>(rows_.size()); }
  int ColumnCount() const { return columns_; }
  // The cell's text (at most 254 bytes); empty outside the table.
  const std::string& Cell(int row, int column) const;

  const std::string& FileName() const { return fileName_; }
  const std::string& FullPath() const { return fullPath_; }
  int32_t BytesRead() const { return bytesRead_; }

 private:
  bool ResolvePath(const std::string& path);
  bool ReadImage(std::vector<uint8_t>& image);
  bool Parse(const std::vector<uint8_t>& image);
  void CommaEscapes();

  std::string fileName_;
  std::string fullPath_;
  char separator_;
  int columns_;
  int32_t bytesRead_ = 0;
  std::vector<std::vector<std::string>> rows_;
};

}  // namespace crx
