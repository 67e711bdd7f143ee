// Runs the whole lyric conversion on arbitrary bytes read as an XF karaoke
// file: the kana passes with small dictionaries and the reading service, the
// note insertion, the syllables and their timing; lyrics read within their
// lines, with particles as written or as sung.
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "karaoke/XfKaraokeData.h"
#include "lyrics/CVocaloid.h"
#include "lyrics/CVocaloidConvert.h"
#include "platform/MecabReadingService.h"
#include "platform/ReadingService.h"
#include "platform/TextCodec.h"

namespace {

// One analyser for the whole run: loading its dictionary takes far longer
// than a conversion.
class SharedReadings : public crx::ReadingService {
 public:
  explicit SharedReadings(crx::ReadingService& inner) : inner_(inner) {}
  std::optional<std::string> Reading(std::string_view utf8) override {
    return inner_.Reading(utf8);
  }
  std::optional<std::vector<crx::Morpheme>> Morphemes(std::string_view utf8) override {
    return inner_.Morphemes(utf8);
  }

 private:
  crx::ReadingService& inner_;
};

void WriteCp932(const std::string& path, const char* utf8) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << crx::TextCodec::Utf8ToCp932(utf8).value_or("");
}

struct Setup {
  std::string folder = "/tmp/fuzz_conversion_" + std::to_string(getpid());
  std::unique_ptr<crx::MecabReadingService> mecab = crx::MecabReadingService::Create();
  Setup() {
    mkdir(folder.c_str(), 0700);
    WriteCp932(folder + "/kanji.csv", "今日,きょう\r\n故郷,ふるさと\r\n故,ゆえ\r\n二人,ふたり\r\n");
    WriteCp932(folder + "/english.csv", "love,らぶ\r\ni,あい\r\nyou,ゆう\r\n");
    crx::SetReadingServiceFactory([this]() -> std::unique_ptr<crx::ReadingService> {
      if (!mecab) return nullptr;
      return std::make_unique<SharedReadings>(*mecab);
    });
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Setup setup;
  crx::XfKaraokeData song(setup.folder + "/none.mid");  // never exists: an empty object
  song.LoadImage(std::span<const uint8_t>(data, size));
  if (song.Read() != 1) return 0;
  crx::CVocaloid vocaloid;
  std::vector<std::string> lines;
  // Particles sung as they sound, as the headless runs do; the unread lyrics
  // are those of notes.
  crx::ConvertOptions options;
  options.particlesAsSung = size % 2 == 0;
  std::vector<crx::UnsungLyric> unsung;
  crx::CVocaloidConvert::Run(song, vocaloid, 0, setup.folder, lines, options, &unsung);
  if (unsung.size() >= static_cast<size_t>(vocaloid.Count())) __builtin_trap();
  if (vocaloid.Count() == 0 || !vocaloid.At(vocaloid.Count() - 1).IsEndRecord()) __builtin_trap();
  return 0;
}
