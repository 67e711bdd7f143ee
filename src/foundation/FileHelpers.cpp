#include "foundation/FileHelpers.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "foundation/Diagnostics.h"
#include "foundation/FileDescriptor.h"
#include "foundation/GeneralError.h"
#include "platform/TextCodec.h"

namespace crx {
namespace {

// The system code page is UTF-8, whose separators never follow a lead byte.
bool IsLead(unsigned char c, LeadBytes lb) {
  return lb == LeadBytes::Cp932 && TextCodec::IsCp932LeadByte(c);
}

// A separator byte at index i counts unless it is the second byte of a
// double-byte character: it directly follows a lead byte that is not itself
// preceded by a lead byte.
bool CountsAsSeparator(std::string_view s, size_t i, LeadBytes lb) {
  if (i == 0) return true;
  if (!IsLead(static_cast<unsigned char>(s[i - 1]), lb)) return true;
  return i >= 2 && IsLead(static_cast<unsigned char>(s[i - 2]), lb);
}

// Index of the last counting separator among seps, or npos.
size_t LastSeparator(std::string_view s, std::string_view seps, LeadBytes lb) {
  for (size_t i = s.size(); i-- > 0;) {
    if (seps.find(s[i]) != std::string_view::npos && CountsAsSeparator(s, i, lb)) return i;
  }
  return std::string_view::npos;
}

// Opens a regular file for reading; -1 for a folder or a missing file.
int OpenForReading(const std::string& path) {
  if (path.empty()) return -1;
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat st {};
  if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

bool GetCurrentFolder(std::string& out) {
  std::vector<char> buf(4096);
  if (getcwd(buf.data(), buf.size()) == nullptr) return false;
  out = buf.data();
  return true;
}

bool GetFolderOfPath(std::string_view path, std::string& out, LeadBytes lb) {
  size_t sep = LastSeparator(path, "/", lb);
  if (sep != std::string_view::npos && sep > 0) {
    out.assign(path.substr(0, sep));
    return true;
  }
  std::string cwd;
  if (!GetCurrentFolder(cwd)) {
    GeneralErrorMsg(kGeneNoCurrentFolder);
    return false;
  }
  out = cwd;
  return true;
}

std::string GetFolderOfPath(std::string_view path, LeadBytes lb) {
  std::string out;
  GetFolderOfPath(path, out, lb);
  return out;
}

std::string GetFileNameOfPath(std::string_view path, LeadBytes lb) {
  size_t sep = LastSeparator(path, "\\/", lb);
  if (sep == std::string_view::npos || sep == 0) return std::string(path);
  return std::string(path.substr(sep + 1));
}

void RemoveExtension(std::string& path, LeadBytes lb) {
  size_t sep = LastSeparator(path, "\\/", lb);
  size_t nameStart = sep == std::string::npos ? 0 : sep + 1;
  size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || dot < nameStart) return;
  path.resize(dot);
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string out(folder);
  if (out.empty() || (out.back() != '/' && out.back() != '\\')) out.push_back('/');
  out.append(name);
  return out;
}

void ReportPathTooLong(std::string_view path) {
  std::string text(kPathTooLongMessage);
  text.append(" [").append(path).append("]");
  ReportPlain(text);
}

int FileExists(const std::string& path) {
  int fd = OpenForReading(path);
  if (fd < 0) return 0;
  close(fd);
  return 1;
}

uint32_t GetFileSize32(const std::string& path) {
  struct stat st {};
  if (path.empty() || stat(path.c_str(), &st) != 0) return 0;
  if (S_ISDIR(st.st_mode)) return 0;
  uint64_t size = static_cast<uint64_t>(st.st_size);
  if ((size >> 32) != 0) GeneralErrorMsg(kGeneFileSize);
  return static_cast<uint32_t>(size);
}

bool ReadFileLimited(const std::string& path, std::vector<uint8_t>& out, size_t limit) {
  out.clear();
  int fd = OpenForReading(path);
  if (fd < 0) {
    ReportPlain(path);
    GeneralErrorMsg(kGeneOpenFailed, path.c_str());
    return false;
  }
  struct stat st {};
  size_t want = limit;
  if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && static_cast<uint64_t>(st.st_size) < want) {
    want = static_cast<size_t>(st.st_size);
  }
  out.resize(want);
  size_t got = FileDescriptor::ReadFully(fd, out);
  out.resize(got);
  if (limit == kWholeFileReadLimit && got == limit) GeneralErrorMsg(kGeneTooLarge);
  close(fd);
  return true;
}

bool ReadRecord(const std::string& path, std::span<uint8_t> buffer, size_t* bytesRead) {
  if (bytesRead != nullptr) *bytesRead = 0;
  int fd = OpenForReading(path);
  if (fd < 0) {
    GeneralErrorMsg(kGeneOpenFailed, path.c_str());
    return false;
  }
  size_t got = FileDescriptor::ReadFully(fd, buffer);
  close(fd);
  if (bytesRead != nullptr) *bytesRead = got;
  if (got != buffer.size()) GeneralErrorMsg(kGeneTooLarge);
  return true;
}

bool WriteRecord(const std::string& path, std::span<const uint8_t> data, bool withDetail) {
  const char* detail = withDetail && !path.empty() ? path.c_str() : nullptr;
  if (path.empty()) {
    GeneralErrorMsg(kGeneOpenFailed, detail);
    return false;
  }
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    GeneralErrorMsgWithReason(kGeneOpenFailed, detail, errno);
    return false;
  }
  int failure = 0;
  if (!FileDescriptor::WriteFully(fd, data)) failure = errno;
  if (close(fd) != 0 && failure == 0) failure = errno;
  if (failure != 0) GeneralErrorMsgWithReason(kGeneOpenFailed, detail, failure);
  return failure == 0;
}

bool RemoveFile(const std::string& path) {
  if (path.empty()) return false;
  return unlink(path.c_str()) == 0 || errno == ENOENT;
}

void MakeFolders(const std::string& folder) {
  if (folder.empty()) return;
  std::string path = folder;
  if (path.back() != '/') path.push_back('/');
  for (size_t i = 1; i < path.size(); ++i) {
    if (path[i] != '/') continue;
    std::string level = path.substr(0, i);
    mkdir(level.c_str(), 0755);  // levels that exist already fail quietly
  }
}

bool GetWorkFolder(std::string& out) {
  std::string base;
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg != nullptr && xdg[0] == '/') {
    base = xdg;
  } else {
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') {
      GeneralErrorMsg(kGeneNoCurrentFolder);
      return false;
    }
    base = JoinPath(home, ".config");
  }
  std::string work = JoinPath(base, "CRXWAV");
  struct stat st {};
  if (stat(work.c_str(), &st) != 0) MakeFolders(work);
  out = work;
  return true;
}

void ToLowerLatin(std::string& text) {
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (TextCodec::IsCp932LeadByte(c)) {
      if (i + 1 < text.size()) {
        unsigned char t = static_cast<unsigned char>(text[i + 1]);
        // Full-width Ａ-Ｚ are 82 60-82 79, ａ-ｚ are 82 81-82 9A.
        if (c == 0x82 && t >= 0x60 && t <= 0x79) text[i + 1] = static_cast<char>(t + 0x21);
      }
      ++i;
    } else if (c >= 'A' && c <= 'Z') {
      text[i] = static_cast<char>(c + 32);
    }
  }
}

bool ReplaceFileText(const std::string& path, std::string_view text) {
  if (path.empty()) return false;
  const std::string temporary = path + ".tmp";
  const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  bool ok = FileDescriptor::WriteFully(
      fd, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
  ok = close(fd) == 0 && ok;
  if (!ok || std::rename(temporary.c_str(), path.c_str()) != 0) {
    unlink(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace crx
