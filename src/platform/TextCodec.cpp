#include "platform/TextCodec.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace crx {
namespace {

// One conversion descriptor per direction and thread, opened on first use.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (Valid()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool Valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts all of in; on an invalid or unconvertible sequence either fails
  // or, when lossy, writes "?" for one byte and goes on.
  std::optional<std::string> Run(std::string_view in, bool lossy) {
    if (!Valid()) return std::nullopt;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    std::string out;
    std::vector<char> buf(in.size() * 4 + 16);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    while (srcLeft > 0) {
      char* dst = buf.data();
      size_t dstLeft = buf.size();
      size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
      out.append(buf.data(), static_cast<size_t>(dst - buf.data()));
      if (r != static_cast<size_t>(-1)) continue;
      if (errno == E2BIG) continue;
      if (!lossy) return std::nullopt;
      // EILSEQ or EINVAL (cut character): skip one byte.
      out.push_back('?');
      ++src;
      --srcLeft;
      iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    }
    char* dst = buf.data();
    size_t dstLeft = buf.size();
    iconv(cd_, nullptr, nullptr, &dst, &dstLeft);
    out.append(buf.data(), static_cast<size_t>(dst - buf.data()));
    return out;
  }

 private:
  iconv_t cd_;
};

Converter& ToUtf8() {
  thread_local Converter c("UTF-8", "CP932");
  return c;
}

Converter& FromUtf8() {
  thread_local Converter c("CP932", "UTF-8");
  return c;
}

Converter& EucJpIn() {
  thread_local Converter c("UTF-8", "EUC-JP");
  return c;
}

Converter& EucJpOut() {
  thread_local Converter c("EUC-JP", "UTF-8");
  return c;
}

}  // namespace

std::optional<std::string> TextCodec::EucJpToUtf8(std::string_view eucJp) {
  return EucJpIn().Run(eucJp, false);
}

std::optional<std::string> TextCodec::Utf8ToEucJp(std::string_view utf8) {
  return EucJpOut().Run(utf8, false);
}

std::optional<std::string> TextCodec::Cp932ToUtf8(std::string_view cp932) {
  return ToUtf8().Run(cp932, false);
}

std::string TextCodec::Cp932ToUtf8Lossy(std::string_view cp932) {
  std::optional<std::string> r = ToUtf8().Run(cp932, true);
  return r ? *r : std::string(cp932);
}

std::optional<std::string> TextCodec::Utf8ToCp932(std::string_view utf8) {
  return FromUtf8().Run(utf8, false);
}

}  // namespace crx
