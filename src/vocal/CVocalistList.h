#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace crx {

// One singer of the voice list: the program number that selects it and its
// name (CP932, as the description file holds it).
struct VocalistEntry {
  int32_t program = 0;
  std::string name;
  bool operator==(const VocalistEntry&) const = default;
};

// The singers that the singing editor's voice databases declare, gathered
// from its voice map "voice.map" and one description file "vvoice%d.vvd" per
// voice. The vocal-MIDI writer takes the first entry. Built at once on
// creation; messages are reported as diagnostics, and a description file
// that is not where the map says is asked of the caller's locator.
class CVocalistList {
 public:
  // Where description file number N is, as the user chose it; nothing when
  // the choice was cancelled (the voice is then skipped).
  using DescriptionLocator = std::function<std::optional<std::string>(int number)>;
  // The file dialog a locator shows for a description file.
  static constexpr std::string_view kDescriptionFilter = "vvd files|*.vvd|";
  static constexpr std::string_view kDescriptionExtension = "vvd";

  static constexpr size_t kMaxEntries = 128;
  static constexpr size_t kMaxNameLength = 63;
  // Voice map: bytes before the records are not interpreted; then one
  // 8-byte record per program number, the first byte naming the description
  // file (0: no voice).
  static constexpr size_t kVoiceMapHeaderSize = 32;
  static constexpr size_t kVoiceMapRecordSize = 8;
  // The highest program number that the control stream can carry.
  static constexpr int32_t kMaxProgram = 127;
  static constexpr std::string_view kVoiceMapName = "voice.map";
  static constexpr std::string_view kNameKey = "\"VOICENAME\":=:\"";
  static constexpr std::string_view kDefaultName = "Miku";
  static constexpr std::string_view kUnknownName = "\x95\x73\x96\xbe";  // 不明 in CP932

  // Builds the list from the files in voiceFolder; an empty folder means the
  // root folder. A missing description file is asked of locate after the
  // message naming it; without a locator its voice is skipped.
  explicit CVocalistList(std::string voiceFolder, DescriptionLocator locate = {});

  // The entry the writer uses: the first voice found, "Miku" (program 0)
  // when the voice map names none, "不明" when there is no voice map.
  const VocalistEntry& First() const { return entries_.front(); }
  const std::string& FirstName() const { return entries_.front().name; }
  int32_t FirstProgram() const { return entries_.front().program; }

  // The entries appended while building (0 when the map named no voice).
  int Count() const { return count_; }
  std::span<const VocalistEntry> Entries() const {
    return std::span<const VocalistEntry>(entries_).first(static_cast<size_t>(count_));
  }

  // The voice name in a translated description text: what follows the key
  // up to the next double quote (or the end of the text, or a zero byte), at
  // most kMaxNameLength bytes, never ending inside a double-byte character.
  // Nothing when the key is missing.
  static bool FindVoiceName(std::string_view text, std::string& name);
  // Translates a stored description file into its text.
  static std::string DecodeDescription(std::span<const uint8_t> stored);

 private:
  void Build();
  void ReadVoiceMap(std::span<const uint8_t> map);
  void ReadDescription(int32_t program, int number);
  bool Append(int32_t program, std::string name);

  std::string folder_;
  DescriptionLocator locate_;
  std::vector<VocalistEntry> entries_;
  int count_ = 0;
  bool fullReported_ = false;
};

}  // namespace crx
