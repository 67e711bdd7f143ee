// Runs the kana passes over a song made from the input: the bytes before the
// first two zero bytes are the dictionary (kanji.csv and english.csv alike),
// the rest are lyric texts separated by zero bytes, one per melody note.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "karaoke/XfKaraokeData.h"
#include "lyrics/CVocaloidConvertDictionary.h"
#include "lyrics/CVocaloidConvertDigit.h"
#include "lyrics/CVocaloidConvertEnglish.h"
#include "lyrics/CVocaloidConvertLongVowel.h"
#include "lyrics/CVocaloidConvertPhonetic.h"
#include "lyrics/CVocaloidConvertRemoveChar.h"

namespace {

constexpr size_t kMaxLyrics = 64;
constexpr size_t kMaxLyricBytes = 200;

const std::string& Folder() {
  static const std::string folder = [] {
    std::string f = "/tmp/fuzz_kanapasses_" + std::to_string(getpid());
    mkdir(f.c_str(), 0700);
    return f;
  }();
  return folder;
}

void Write(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Vlq(uint32_t v) {
  std::string s(1, static_cast<char>(v & 0x7F));
  while ((v >>= 7) != 0) s.insert(s.begin(), static_cast<char>(0x80 | (v & 0x7F)));
  return s;
}

std::string Chunk(std::string_view id, const std::string& body) {
  uint32_t n = static_cast<uint32_t>(body.size());
  std::string s(id);
  for (int shift = 24; shift >= 0; shift -= 8) s.push_back(static_cast<char>((n >> shift) & 0xFF));
  return s + body;
}

// A format 0 karaoke file: one note of 480 ticks per lyric on channel 0.
std::string Song(const std::vector<std::string>& lyrics) {
  std::string header("MThd\0\0\0\6\0\0\0\1\1\xE0", 14);
  std::string main;
  std::string words;
  for (size_t k = 0; k < lyrics.size(); ++k) {
    main += std::string("\0\x90\x3C\x64", 4) + Vlq(480) + "\x80\x3C\x40";
    words += Vlq(k == 0 ? 0 : 480) + "\xFF\x05" + Vlq(static_cast<uint32_t>(lyrics[k].size())) +
             lyrics[k];
  }
  main += std::string("\0\xFF\x2F\0", 4);
  words += std::string("\0\xFF\x2F\0", 4);
  return header + Chunk("MTrk", main) + Chunk("XFIH", std::string("\0\xFF\x2F\0", 4)) +
         Chunk("XFKM", words);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view in(reinterpret_cast<const char*>(data), size);
  size_t split = in.find(std::string_view("\0\0", 2));
  std::string_view dictionary = in.substr(0, split);
  std::vector<std::string> lyrics;
  if (split != std::string_view::npos) {
    std::string_view rest = in.substr(split + 2);
    while (!rest.empty() && lyrics.size() < kMaxLyrics) {
      size_t zero = rest.find('\0');
      lyrics.emplace_back(rest.substr(0, std::min(zero, kMaxLyricBytes)));
      if (zero == std::string_view::npos) break;
      rest.remove_prefix(zero + 1);
    }
  }
  if (lyrics.empty()) lyrics.emplace_back("a");
  Write(Folder() + "/kanji.csv", dictionary);
  Write(Folder() + "/english.csv", dictionary);
  Write(Folder() + "/song.mid", Song(lyrics));

  crx::XfKaraokeData song(Folder() + "/song.mid");
  if (song.LyricTrack() == nullptr) return 0;
  crx::CVocaloidConvertRemoveChar spaces(song, ' ', "\x81\x40");
  crx::CVocaloidConvertRemoveChar marks(song, '<');
  crx::CVocaloidConvertDigit digits(song);
  crx::CVocaloidConvertDictionary kanji(song, 0, Folder());
  crx::CVocaloidConvertLongVowel vowels(song);
  crx::CVocaloidConvertPhonetic readings(song);
  crx::CVocaloidConvertEnglish english(song, Folder());
  return 0;
}
