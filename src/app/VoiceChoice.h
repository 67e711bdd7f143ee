#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace crx {

// The singing voice chosen in the settings. The settings record's layout is
// fixed, so the choice lives in a small text file of its own beside it
// ("voice.txt": one word, as the singer's --voice takes it).
class VoiceChoice {
 public:
  enum Voice { kByRange, kFemale, kMale, kFemale2, kVoiceCount };

  struct Entry {
    std::string_view label;     // as the settings dialog offers it
    std::string_view word;      // the singer's --voice value; empty: none given
    std::string_view database;  // the diphone voice that sings it; empty: none
  };
  static constexpr std::array<Entry, kVoiceCount> kEntries = {{
      {"自動（メロディの音域で選ぶ）", "", ""},
      {"女声", "female", "jp2"},
      {"男声", "male", "jp1"},
      {"女声2", "female2", "jp3"},
  }};
  static constexpr std::string_view kFileName = "voice.txt";
  // Where the diphone voices are installed.
  static constexpr std::string_view kDatabaseFolder = "/usr/share/mbrola";

  // The file in the working folder (empty when there is none).
  static std::string DefaultPath();
  // The choice stored in the file; a missing or unknown file: kByRange.
  static Voice Load(const std::string& path);
  // Writes the choice (to a temporary name, then renamed). False on failure.
  static bool Save(const std::string& path, Voice voice);

  // The singer's arguments for the choice: {"--voice", word}, or none.
  static std::vector<std::string> SingerArguments(Voice voice);
  // The diphone voices installed under the folder ("jp1", "jp2", ...).
  static std::vector<std::string> InstalledDatabases(std::string_view folder = kDatabaseFolder);
  // The voice's entry is sung by an installed diphone voice (kByRange: always).
  static bool Installed(Voice voice, const std::vector<std::string>& databases);
};

}  // namespace crx
