#include "lyrics/CListFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>

#include "foundation/ByteReader.h"
#include "foundation/Diagnostics.h"
#include "foundation/FileDescriptor.h"
#include "foundation/FileHelpers.h"
#include "foundation/ModuleReporter.h"
#include "platform/TextCodec.h"

namespace crx {
namespace {

constexpr std::array<ErrorEntry, 5> kListErrors{{
    {CListFile::kErrOpen,
     "リストファイルが開けません。ドラッグ＆ドロップの操作はコピーではなく、ショートカットに対して"
     "行ってください。"},
    {CListFile::kErrData, "リストファイルのデータにエラーがあります。"},
    {CListFile::kErrTooManyRows, "リストの件数が多すぎます。"},
    {CListFile::kErrNoDirectory, "ディレクトリが取得できませんでした。"},
    {CListFile::kErrCellTooLong, "リスト内の文字列が長すぎます。"},
}};

const ModuleReporter& Reporter() {
  static const ModuleReporter reporter("GNLL", kListErrors,
                                       "リストファイルでエラーが発生しました。");
  return reporter;
}

constexpr uint8_t kQuote = '"';
constexpr uint8_t kCr = '\r';
constexpr uint8_t kLf = '\n';
constexpr char kBackslash = '\\';

// A cell is a zero-terminated text: bytes after a zero byte do not count.
std::string CellText(std::span<const uint8_t> bytes) {
  auto zero = std::find(bytes.begin(), bytes.end(), uint8_t{0});
  return std::string(bytes.begin(), zero);
}

// "\\" becomes ",". Double-byte characters are stepped over whole, so that a
// trail byte 0x5C (as in ソ or 表) never pairs with a following backslash.
void ReplaceBackslashPairs(std::string& cell) {
  if (cell.find("\\\\") == std::string::npos) return;
  std::string out;
  out.reserve(cell.size());
  for (size_t i = 0; i < cell.size();) {
    unsigned char c = static_cast<unsigned char>(cell[i]);
    if (TextCodec::IsCp932LeadByte(c) && i + 1 < cell.size()) {
      out.append(cell, i, 2);
      i += 2;
    } else if (c == kBackslash && i + 1 < cell.size() && cell[i + 1] == kBackslash) {
      out.push_back(',');
      i += 2;
    } else {
      out.push_back(cell[i]);
      ++i;
    }
  }
  cell = std::move(out);
}

}  // namespace

CListFile::CListFile(const std::string& path, char separator, int columns)
    : separator_(separator), columns_(std::clamp(columns, 1, kMaxColumns)) {
  std::vector<uint8_t> image;
  if (!ResolvePath(path)) return;
  if (!ReadImage(image)) return;
  if (!Parse(image)) ReportPlain(fullPath_);
  CommaEscapes();
}

const std::string& CListFile::Cell(int row, int column) const {
  static const std::string kEmpty;
  if (row < 0 || row >= RowCount() || column < 0 || column >= columns_) return kEmpty;
  return rows_[static_cast<size_t>(row)][static_cast<size_t>(column)];
}

bool CListFile::ResolvePath(const std::string& path) {
  fileName_ = GetFileNameOfPath(path);
  if (fileName_ != path) {
    fullPath_ = path;
    return true;
  }
  std::string folder;
  if (!GetCurrentFolder(folder)) {
    Reporter().Report(kErrNoDirectory);
    return false;
  }
  fullPath_ = JoinPath(folder, fileName_);
  return true;
}

bool CListFile::ReadImage(std::vector<uint8_t>& image) {
  int fd = fullPath_.empty() ? -1 : open(fullPath_.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat st {};
  if (fd >= 0 && (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode))) {
    close(fd);
    fd = -1;
  }
  if (fd < 0) {
    Reporter().Report(kErrOpen);
    return false;
  }
  // The buffer follows the file, up to the bytes read at most.
  size_t want = kImageSize;
  if (S_ISREG(st.st_mode) && static_cast<uint64_t>(st.st_size) < want) {
    want = static_cast<size_t>(st.st_size);
  }
  image.resize(want);
  bytesRead_ = static_cast<int32_t>(FileDescriptor::ReadFully(fd, image));
  image.resize(static_cast<size_t>(bytesRead_));
  close(fd);
  return true;
}

bool CListFile::Parse(const std::vector<uint8_t>& image) {
  ByteReader in(image.data(), static_cast<size_t>(bytesRead_));
  const auto sep = static_cast<uint8_t>(separator_);
  std::vector<std::string> fields(static_cast<size_t>(columns_));
  while (!in.AtEnd()) {
    for (std::string& f : fields) f.clear();
    for (size_t col = 0; col < fields.size(); ++col) {
      std::span<const uint8_t> rest = in.Rest();
      uint8_t first = 0;
      if (in.Peek(first) && first == kQuote) {
        // Quoted: up to the next quote; then skip the quote and one byte.
        auto close = std::find(rest.begin() + 1, rest.end(), kQuote);
        if (close == rest.end()) {
          Reporter().Report(kErrData);
          return false;
        }
        size_t length = static_cast<size_t>(close - rest.begin()) - 1;
        fields[col] = CellText(rest.subspan(1, length));
        in.Seek(std::min(in.Position() + 1 + length + 2, in.Size()));
      } else {
        auto term = std::find_if(rest.begin(), rest.end(),
                                 [sep](uint8_t b) { return b == sep || b == kCr || b == kLf; });
        if (term == rest.end()) {
          Reporter().Report(kErrData);
          ReportPlain(std::to_string(RowCount()) + "行目にエラーがあります。");
          return false;
        }
        size_t length = static_cast<size_t>(term - rest.begin());
        fields[col] = CellText(rest.first(length));
        in.Skip(length + 1);
      }
      uint8_t next = 0;
      if (in.Peek(next) && (next == kCr || next == kLf)) break;
    }
    uint8_t b = 0;
    if (in.Peek(b) && b == kCr) in.Skip(1);
    if (in.Peek(b) && b == kLf) in.Skip(1);

    for (const std::string& f : fields) {
      if (f.size() > kMaxCellLength) {
        Reporter().Report(kErrCellTooLong);
        return false;
      }
    }
    rows_.push_back(fields);
    if (RowCount() >= kMaxRows) {
      Reporter().Report(kErrTooManyRows);
      return false;
    }
  }
  return true;
}

void CListFile::CommaEscapes() {
  for (std::vector<std::string>& row : rows_) {
    for (std::string& cell : row) ReplaceBackslashPairs(cell);
  }
}

}  // namespace crx
