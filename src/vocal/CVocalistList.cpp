#include "vocal/CVocalistList.h"

#include <cstdio>
#include <utility>

#include "foundation/Diagnostics.h"
#include "foundation/FileHelpers.h"
#include "platform/TextCodec.h"
#include "vocal/VoiceDescriptionCode.h"

namespace crx {
namespace {

constexpr const char* kAskDescriptionFormat = "vvoice%d.vvdがある場所を指定してください。";
constexpr const char* kNoNameFormat = "vvoice%d.vvdに音源名がありません。";
constexpr const char* kShortVoiceMap = "voice.mapの形式が正しくありません。";
constexpr const char* kTooManyVoices =
    "voice.mapの音源が多すぎます。プログラム番号0から127までの音源だけを使います。";

std::string DescriptionFileName(int number) {
  char name[32];
  std::snprintf(name, sizeof name, "vvoice%d.vvd", number);
  return name;
}

std::string FormatNumber(const char* format, int number) {
  char text[256];
  std::snprintf(text, sizeof text, format, number);
  return text;
}

}  // namespace

CVocalistList::CVocalistList(std::string voiceFolder, DescriptionLocator locate)
    : folder_(std::move(voiceFolder)), locate_(std::move(locate)), entries_(kMaxEntries) {
  Build();
}

void CVocalistList::Build() {
  count_ = 0;
  entries_.front() = {0, std::string(kDefaultName)};
  const std::string mapPath = JoinPath(folder_, kVoiceMapName);
  if (!FileExists(mapPath)) {
    Append(0, std::string(kUnknownName));
    return;
  }
  std::vector<uint8_t> map;
  if (!ReadFileLimited(mapPath, map, kWholeFileReadLimit)) return;
  ReadVoiceMap(map);
}

void CVocalistList::ReadVoiceMap(std::span<const uint8_t> map) {
  if (map.size() < kVoiceMapHeaderSize) {
    ReportPlain(kShortVoiceMap);
    return;
  }
  bool tooMany = false;
  // A record counts when its first byte lies within the data read.
  for (size_t offset = kVoiceMapHeaderSize, program = 0; offset < map.size();
       offset += kVoiceMapRecordSize, ++program) {
    const uint8_t number = map[offset];
    if (number == 0) continue;
    if (program > static_cast<size_t>(kMaxProgram)) {
      tooMany = true;
      break;
    }
    ReadDescription(static_cast<int32_t>(program), number);
  }
  if (tooMany && !fullReported_) {
    fullReported_ = true;
    ReportPlain(kTooManyVoices);
  }
}

void CVocalistList::ReadDescription(int32_t program, int number) {
  std::string path = JoinPath(folder_, DescriptionFileName(number));
  if (!FileExists(path)) {
    if (!locate_) return;
    ReportPlain(FormatNumber(kAskDescriptionFormat, number));
    std::optional<std::string> chosen = locate_(number);
    if (!chosen) return;
    path = std::move(*chosen);
  }
  std::vector<uint8_t> stored;
  if (!ReadFileLimited(path, stored, kWholeFileReadLimit)) return;
  std::string name;
  if (!FindVoiceName(DecodeDescription(stored), name)) {
    ReportPlain(FormatNumber(kNoNameFormat, number));
    return;
  }
  Append(program, std::move(name));
}

bool CVocalistList::Append(int32_t program, std::string name) {
  if (static_cast<size_t>(count_) >= kMaxEntries) {
    if (!fullReported_) {
      fullReported_ = true;
      ReportPlain(kTooManyVoices);
    }
    return false;
  }
  entries_[static_cast<size_t>(count_)] = {program, std::move(name)};
  ++count_;
  return true;
}

std::string CVocalistList::DecodeDescription(std::span<const uint8_t> stored) {
  std::string text(stored.size(), '\0');
  for (size_t i = 0; i < stored.size(); ++i) {
    text[i] = static_cast<char>(kDescriptionDecoder[stored[i]]);
  }
  return text;
}

bool CVocalistList::FindVoiceName(std::string_view text, std::string& name) {
  const size_t key = text.find(kNameKey);
  if (key == std::string_view::npos) return false;
  std::string_view rest = text.substr(key + kNameKey.size());
  size_t end = 0;
  while (end < rest.size() && end < kMaxNameLength && rest[end] != '"' && rest[end] != '\0') {
    if (TextCodec::IsCp932LeadByte(static_cast<unsigned char>(rest[end]))) {
      // A double-byte character that does not fit whole ends the name.
      if (end + 2 > kMaxNameLength || end + 1 >= rest.size()) break;
      end += 2;
    } else {
      ++end;
    }
  }
  name.assign(rest.substr(0, end));
  return true;
}

}  // namespace crx
