#include "karaoke/LyricTextDecoder.h"

#include <array>
#include <optional>

#include "platform/TextCodec.h"

namespace crx {
namespace {

constexpr char kUnknown[] = "?";
constexpr uint8_t kHighBit = 0x80;
constexpr uint32_t kReplacement = 0xFFFD;
constexpr uint32_t kMaxCodePoint = 0x10FFFF;
constexpr uint32_t kSurrogateFirst = 0xD800;
constexpr uint32_t kLowSurrogateFirst = 0xDC00;
constexpr uint32_t kSurrogateLast = 0xDFFF;
constexpr uint32_t kSurrogateBase = 0x10000;
constexpr int kSurrogateShift = 10;
constexpr uint32_t kSurrogateMask = 0x3FF;

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";

// CP932 single bytes beyond ASCII: the half-width katakana.
constexpr uint8_t kHalfWidthFirst = 0xA1;
constexpr uint8_t kHalfWidthLast = 0xDF;

// CP1252 bytes 0x80-0xFF: the character and its ASCII stand-in. The stand-ins
// avoid the lyric control characters ("/", "<", ">", "^", "%", "[", "]",
// "(", ")", "\").
struct Latin {
  uint32_t codePoint;
  const char* ascii;
};
constexpr std::array<Latin, 128> kCp1252 = {{
    {0x20AC, "E"},  {0, "?"},       {0x201A, ","},  {0x0192, "f"}, {0x201E, "\""}, {0x2026, "..."},
    {0x2020, "+"},  {0x2021, "+"},  {0x02C6, "?"},  {0x2030, "?"}, {0x0160, "S"},  {0x2039, "'"},
    {0x0152, "OE"}, {0, "?"},       {0x017D, "Z"},  {0, "?"},      {0, "?"},       {0x2018, "'"},
    {0x2019, "'"},  {0x201C, "\""}, {0x201D, "\""}, {0x2022, "."}, {0x2013, "-"},  {0x2014, "-"},
    {0x02DC, "~"},  {0x2122, "TM"}, {0x0161, "s"},  {0x203A, "'"}, {0x0153, "oe"}, {0, "?"},
    {0x017E, "z"},  {0x0178, "Y"},  {0x00A0, " "},  {0x00A1, "!"}, {0x00A2, "c"},  {0x00A3, "L"},
    {0x00A4, "?"},  {0x00A5, "Y"},  {0x00A6, "|"},  {0x00A7, "S"}, {0x00A8, "\""}, {0x00A9, "C"},
    {0x00AA, "a"},  {0x00AB, "\""}, {0x00AC, "-"},  {0x00AD, "-"}, {0x00AE, "R"},  {0x00AF, "-"},
    {0x00B0, "o"},  {0x00B1, "+"},  {0x00B2, "2"},  {0x00B3, "3"}, {0x00B4, "'"},  {0x00B5, "u"},
    {0x00B6, "P"},  {0x00B7, "."},  {0x00B8, ","},  {0x00B9, "1"}, {0x00BA, "o"},  {0x00BB, "\""},
    {0x00BC, "?"},  {0x00BD, "?"},  {0x00BE, "?"},  {0x00BF, "?"}, {0x00C0, "A"},  {0x00C1, "A"},
    {0x00C2, "A"},  {0x00C3, "A"},  {0x00C4, "A"},  {0x00C5, "A"}, {0x00C6, "AE"}, {0x00C7, "C"},
    {0x00C8, "E"},  {0x00C9, "E"},  {0x00CA, "E"},  {0x00CB, "E"}, {0x00CC, "I"},  {0x00CD, "I"},
    {0x00CE, "I"},  {0x00CF, "I"},  {0x00D0, "D"},  {0x00D1, "N"}, {0x00D2, "O"},  {0x00D3, "O"},
    {0x00D4, "O"},  {0x00D5, "O"},  {0x00D6, "O"},  {0x00D7, "x"}, {0x00D8, "O"},  {0x00D9, "U"},
    {0x00DA, "U"},  {0x00DB, "U"},  {0x00DC, "U"},  {0x00DD, "Y"}, {0x00DE, "Th"}, {0x00DF, "ss"},
    {0x00E0, "a"},  {0x00E1, "a"},  {0x00E2, "a"},  {0x00E3, "a"}, {0x00E4, "a"},  {0x00E5, "a"},
    {0x00E6, "ae"}, {0x00E7, "c"},  {0x00E8, "e"},  {0x00E9, "e"}, {0x00EA, "e"},  {0x00EB, "e"},
    {0x00EC, "i"},  {0x00ED, "i"},  {0x00EE, "i"},  {0x00EF, "i"}, {0x00F0, "d"},  {0x00F1, "n"},
    {0x00F2, "o"},  {0x00F3, "o"},  {0x00F4, "o"},  {0x00F5, "o"}, {0x00F6, "o"},  {0x00F7, "?"},
    {0x00F8, "o"},  {0x00F9, "u"},  {0x00FA, "u"},  {0x00FB, "u"}, {0x00FC, "u"},  {0x00FD, "y"},
    {0x00FE, "th"}, {0x00FF, "y"},
}};

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

bool HasHighByte(std::string_view text) {
  for (char c : text) {
    if ((static_cast<uint8_t>(c) & kHighBit) != 0) return true;
  }
  return false;
}

// The code point at i of strict UTF-8 (no overlong forms, no surrogates,
// nothing above U+10FFFF); i moves past it. Nothing on a broken sequence
// (i then moves one byte).
std::optional<uint32_t> NextCodePoint(std::string_view text, size_t& i) {
  const uint8_t lead = static_cast<uint8_t>(text[i]);
  size_t length = 0;
  uint32_t value = 0;
  uint32_t least = 0;
  if (lead < 0x80) {
    ++i;
    return lead;
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2, value = lead & 0x1Fu, least = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, value = lead & 0x0Fu, least = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, value = lead & 0x07u, least = 0x10000;
  } else {
    ++i;
    return std::nullopt;
  }
  if (text.size() - i < length) {
    ++i;
    return std::nullopt;
  }
  for (size_t k = 1; k < length; ++k) {
    const uint8_t c = static_cast<uint8_t>(text[i + k]);
    if ((c & 0xC0) != 0x80) {
      ++i;
      return std::nullopt;
    }
    value = value << 6 | (c & 0x3Fu);
  }
  if (value < least || value > kMaxCodePoint ||
      (value >= kSurrogateFirst && value <= kSurrogateLast)) {
    ++i;
    return std::nullopt;
  }
  i += length;
  return value;
}

void AppendUtf8(uint32_t cp, std::string& out) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | cp >> 6));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | cp >> 12));
    out.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | cp >> 18));
    out.push_back(static_cast<char>(0x80 | (cp >> 12 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

}  // namespace

bool LyricTextDecoder::IsStrictUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    if (!NextCodePoint(text, i)) return false;
  }
  return true;
}

bool LyricTextDecoder::IsValidCp932(std::string_view text) {
  return TextCodec::Cp932ToUtf8(text).has_value();
}

LyricEncoding LyricTextDecoder::Detect(const std::vector<std::string>& texts) {
  bool anyHigh = false;
  bool allUtf8 = true;
  bool allCp932 = true;
  for (const std::string& text : texts) {
    if (StartsWith(text, kUtf8Bom) || StartsWith(text, kUtf16LeBom) ||
        StartsWith(text, kUtf16BeBom)) {
      continue;
    }
    if (!HasHighByte(text)) continue;
    anyHigh = true;
    if (allUtf8 && !IsStrictUtf8(text)) allUtf8 = false;
    if (allCp932 && !IsValidCp932(text)) allCp932 = false;
  }
  if (!anyHigh) return LyricEncoding::Cp932;
  if (allUtf8) return LyricEncoding::Utf8;
  return allCp932 ? LyricEncoding::Cp932 : LyricEncoding::Cp1252;
}

std::string LyricTextDecoder::ToCp932(std::string_view text, LyricEncoding encoding) {
  if (StartsWith(text, kUtf8Bom)) return Utf8ToCp932(text.substr(kUtf8Bom.size()));
  if (StartsWith(text, kUtf16LeBom)) {
    return Utf8ToCp932(Utf16ToUtf8(text.substr(kUtf16LeBom.size()), false));
  }
  if (StartsWith(text, kUtf16BeBom)) {
    return Utf8ToCp932(Utf16ToUtf8(text.substr(kUtf16BeBom.size()), true));
  }
  switch (encoding) {
    case LyricEncoding::Utf8:
      return Utf8ToCp932(text);
    case LyricEncoding::Utf16Le:
      return Utf8ToCp932(Utf16ToUtf8(text, false));
    case LyricEncoding::Utf16Be:
      return Utf8ToCp932(Utf16ToUtf8(text, true));
    case LyricEncoding::Cp1252:
      return Cp1252ToAscii(text);
    case LyricEncoding::Cp932:
      break;
  }
  return Cp932Checked(text);
}

std::string_view LyricTextDecoder::AsciiFor(uint32_t codePoint) {
  if (codePoint < kHighBit) return {};
  for (const Latin& latin : kCp1252) {
    if (latin.codePoint == codePoint) return latin.ascii;
  }
  return kUnknown;
}

std::string LyricTextDecoder::Utf8ToCp932(std::string_view utf8) {
  if (IsStrictUtf8(utf8)) {
    if (std::optional<std::string> whole = TextCodec::Utf8ToCp932(utf8)) return *whole;
  }
  // Character by character: each that CP932 holds, else its stand-in.
  std::string out;
  for (size_t i = 0; i < utf8.size();) {
    const size_t start = i;
    const std::optional<uint32_t> cp = NextCodePoint(utf8, i);
    if (!cp) {
      out += kUnknown;
      continue;
    }
    if (*cp < kHighBit) {
      out.push_back(static_cast<char>(*cp));
      continue;
    }
    if (std::optional<std::string> one = TextCodec::Utf8ToCp932(utf8.substr(start, i - start))) {
      out += *one;
    } else {
      out += AsciiFor(*cp);
    }
  }
  return out;
}

std::string LyricTextDecoder::Cp932Checked(std::string_view cp932) {
  if (IsValidCp932(cp932)) return std::string(cp932);
  std::string out;
  for (size_t i = 0; i < cp932.size();) {
    const uint8_t c = static_cast<uint8_t>(cp932[i]);
    if (c < kHighBit || (c >= kHalfWidthFirst && c <= kHalfWidthLast)) {
      out.push_back(static_cast<char>(c));
      ++i;
    } else if (TextCodec::IsCp932LeadByte(c) && i + 1 < cp932.size() &&
               IsValidCp932(cp932.substr(i, 2))) {
      out += cp932.substr(i, 2);
      i += 2;
    } else {
      out += kUnknown;
      ++i;
    }
  }
  return out;
}

std::string LyricTextDecoder::Cp1252ToAscii(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char ch : text) {
    const uint8_t c = static_cast<uint8_t>(ch);
    if (c < kHighBit) {
      out.push_back(ch);
    } else {
      out += kCp1252[c - kHighBit].ascii;
    }
  }
  return out;
}

std::string LyricTextDecoder::Utf16ToUtf8(std::string_view bytes, bool bigEndian) {
  std::string out;
  auto unitAt = [&](size_t i) -> uint32_t {
    const uint32_t a = static_cast<uint8_t>(bytes[i]);
    const uint32_t b = static_cast<uint8_t>(bytes[i + 1]);
    return bigEndian ? (a << 8 | b) : (b << 8 | a);
  };
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    uint32_t unit = unitAt(i);
    if (unit >= kSurrogateFirst && unit < kLowSurrogateFirst && i + 3 < bytes.size()) {
      const uint32_t low = unitAt(i + 2);
      if (low >= kLowSurrogateFirst && low <= kSurrogateLast) {
        unit =
            kSurrogateBase + ((unit & kSurrogateMask) << kSurrogateShift) + (low & kSurrogateMask);
        i += 2;
      }
    }
    // A lone surrogate has no character.
    if (unit >= kSurrogateFirst && unit <= kSurrogateLast) unit = kReplacement;
    AppendUtf8(unit, out);
  }
  return out;
}

}  // namespace crx
