#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace crx {

// A fixed record field of 260 bytes holds a path of at most 259 bytes.
inline constexpr size_t kPathFieldSize = 260;
inline constexpr size_t kMaxPathLength = kPathFieldSize - 1;
// ReadFileLimited with this limit warns that the file may have been cut.
inline constexpr size_t kWholeFileReadLimit = 0xF0000;  // 983,040 bytes

// Which lead-byte test the path functions apply: the system code page's for
// paths (UTF-8: none), CP932's for lyric text.
enum class LeadBytes { System, Cp932 };

// The process's current folder; false when it cannot be determined.
bool GetCurrentFolder(std::string& out);
// The text before the last "/" separator. With no separator, or one only at
// index 0, the current folder. Returns false (output unchanged) when the
// current folder cannot be determined, after reporting it.
bool GetFolderOfPath(std::string_view path, std::string& out, LeadBytes lb = LeadBytes::System);
std::string GetFolderOfPath(std::string_view path, LeadBytes lb = LeadBytes::System);
// The text after the last "\" or "/"; the whole path when there is none or it
// is the first character.
std::string GetFileNameOfPath(std::string_view path, LeadBytes lb = LeadBytes::System);
// Cuts at the last "." of the file name; a name without a dot (even in a
// folder whose name has one) is left unchanged.
void RemoveExtension(std::string& path, LeadBytes lb = LeadBytes::System);
// folder + "/" + name, without a second separator when the folder already
// ends with one ("/" or a stored drive root such as "C:\").
std::string JoinPath(std::string_view folder, std::string_view name);
// A path fits a 260-byte record field.
inline bool FitsPathField(std::string_view path) { return path.size() <= kMaxPathLength; }
// Shown when a chosen path is longer than its record field can hold.
inline constexpr std::string_view kPathTooLongMessage =
    "パスが長すぎます。259バイト以内のパスを指定してください。";
// Shows kPathTooLongMessage with the path in brackets.
void ReportPathTooLong(std::string_view path);

// 1 if the path names a file that can be opened for reading, else 0.
int FileExists(const std::string& path);
// The file's size (low 32 bits); a folder gives 0. Reports GENE 0x0100000D
// for a file of 4 GiB or more.
uint32_t GetFileSize32(const std::string& path);
// Reads at most limit bytes into out. False when the file cannot be opened,
// after two boxes: the bare path, then GENE 0x01000007 with the path.
bool ReadFileLimited(const std::string& path, std::vector<uint8_t>& out, size_t limit);
// Reads exactly buffer.size() bytes; a short read reports GENE 0x0100000A and
// keeps what was read. False when the file cannot be opened.
bool ReadRecord(const std::string& path, std::span<uint8_t> buffer, size_t* bytesRead = nullptr);
// Creates or truncates the file and writes the bytes. False on failure, after
// GENE 0x01000007 (with the path as detail unless withDetail is false)
// followed by the system's reason, such as a full disk.
bool WriteRecord(const std::string& path, std::span<const uint8_t> data, bool withDetail = true);
// Deletes a file; true when it is gone.
bool RemoveFile(const std::string& path);

// Creates every missing level of the folder path.
void MakeFolders(const std::string& folder);
// The working folder $XDG_CONFIG_HOME/CRXWAV (by default ~/.config/CRXWAV),
// created when missing. False after reporting when no folder is known.
bool GetWorkFolder(std::string& out);

// Latin capitals to small letters in CP932 text, half-width and full-width.
void ToLowerLatin(std::string& cp932);

// Replaces a small file of the program's own (a choice, a list) with the
// text: written under a temporary name beside it, then renamed, so that a
// failure leaves the earlier file whole. Quiet; false on failure.
bool ReplaceFileText(const std::string& path, std::string_view text);

}  // namespace crx
