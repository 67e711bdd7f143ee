#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "foundation/FileHelpers.h"

namespace crx {

// The main program's settings record, stored raw in "crx_setup.ini": 1088
// bytes, integers 32-bit little-endian, paths NUL-terminated in 260-byte
// fields. Fields are only ever added at the end: a file of an earlier
// record's length (kEarlierSizes) is read as far as it goes, the defaults
// filling the rest, and an earlier program reads the front of a newer file.
struct AppSettings {
  // The loudness the MP3 and the video are brought to, in tenths of LUFS.
  static constexpr int32_t kLoudnessOff = 0;
  static constexpr int32_t kDefaultLoudness = -160;
  static constexpr int32_t kLoudnessTenths = 10;
  static constexpr std::array<size_t, 1> kEarlierSizes = {1084};

  std::array<char, kPathFieldSize> voiceProgramPath{};  // singing-voice program
  int32_t vocalVolume = 100;                            // percent
  int32_t accompanimentVolume = 100;
  int32_t mixVolume = 100;
  int32_t vocalReverb = 0;
  int32_t accompanimentReverb = 0;
  int32_t mixReverb = 0;
  int32_t deleteVocalMidi = 1;  // 1 = delete in step 9 and the automatic run
  int32_t deleteVocalWav = 1;
  int32_t deleteAccompanimentWav = 1;
  int32_t deleteMixedWav = 0;
  std::array<char, kPathFieldSize> mp3EncoderPath{};
  std::array<char, kPathFieldSize> soundEditorPath{};
  int32_t mode = 0;  // 0 manual, 1 automatic WAV, 2 automatic MP3, 3 automatic video
  std::array<char, kPathFieldSize> videoBackgroundPath{};
  int32_t loudness = kDefaultLoudness;  // kLoudnessOff: as mixed

  std::span<uint8_t> Bytes() { return {reinterpret_cast<uint8_t*>(this), sizeof(AppSettings)}; }
  std::span<const uint8_t> Bytes() const {
    return {reinterpret_cast<const uint8_t*>(this), sizeof(AppSettings)};
  }

  // The defaults that do not need the search for outside programs: the
  // numbers above, the MP3 encoder (start folder "lame", else /usr/bin/lame
  // when either exists), the sound editor (/usr/bin/audacity when it exists)
  // and the video background (start folder "white.bmp").
  static AppSettings Defaults(const std::string& startFolder);
};

static_assert(std::endian::native == std::endian::little, "records are stored little-endian");
static_assert(sizeof(AppSettings) == 1088);
static_assert(offsetof(AppSettings, vocalVolume) == 260);
static_assert(offsetof(AppSettings, accompanimentVolume) == 264);
static_assert(offsetof(AppSettings, mixVolume) == 268);
static_assert(offsetof(AppSettings, vocalReverb) == 272);
static_assert(offsetof(AppSettings, accompanimentReverb) == 276);
static_assert(offsetof(AppSettings, mixReverb) == 280);
static_assert(offsetof(AppSettings, deleteVocalMidi) == 284);
static_assert(offsetof(AppSettings, deleteVocalWav) == 288);
static_assert(offsetof(AppSettings, deleteAccompanimentWav) == 292);
static_assert(offsetof(AppSettings, deleteMixedWav) == 296);
static_assert(offsetof(AppSettings, mp3EncoderPath) == 300);
static_assert(offsetof(AppSettings, soundEditorPath) == 560);
static_assert(offsetof(AppSettings, mode) == 820);
static_assert(offsetof(AppSettings, videoBackgroundPath) == 824);
static_assert(offsetof(AppSettings, loudness) == 1084);

inline constexpr const char* kAppSettingsFileName = "crx_setup.ini";

}  // namespace crx
