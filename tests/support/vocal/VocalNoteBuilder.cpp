#include "support/vocal/VocalNoteBuilder.h"

#include <gtest/gtest.h>

#include <span>

#include "lyrics/CSyllableTable.h"
#include "midi/MidiEvent.h"
#include "platform/TextCodec.h"

namespace crx::test {

std::string Cp932(std::string_view utf8) {
  std::optional<std::string> out = TextCodec::Utf8ToCp932(utf8);
  EXPECT_TRUE(out.has_value()) << utf8;
  return out.value_or(std::string());
}

VocalNote Syllable(int tick, int note, int length, std::string_view kanaUtf8) {
  VocalNote record;
  record.startTick = tick;
  record.noteNumber = note;
  record.length = length;
  record.lyric = Cp932(kanaUtf8);
  PhoneticSymbol symbol = CSyllableTable::Phonetic(record.lyric);
  record.phonetic = symbol.phonetic;
  record.consonant = symbol.consonant;
  return record;
}

VocalNote EndRecord(int tick) {
  VocalNote record = Syllable(tick, kEndNoteNumber, 0, "あ");
  record.consonant = kConsonantValue;
  return record;
}

std::vector<VocalNote> SungMelody(const std::vector<MelodyStep>& steps, int endTick) {
  std::vector<VocalNote> out;
  for (size_t i = 0; i < steps.size(); ++i) {
    const int next = i + 1 < steps.size() ? steps[i + 1].tick : endTick;
    out.push_back(Syllable(steps[i].tick, steps[i].note, next - steps[i].tick - 1, steps[i].kana));
  }
  out.push_back(EndRecord(endTick));
  return out;
}

std::unique_ptr<MidiTrackData> TempoTrack(const std::vector<std::pair<int, int>>& tempos,
                                          int& lastTick) {
  auto track = std::make_unique<MidiTrackData>();
  track->SetForm(kFormNotes);
  lastTick = 0;
  for (auto [tick, tempo] : tempos) {
    MidiEvent e;
    e.kind = MidiKind::Meta;
    e.subtype = kMetaTempo;
    e.value = tempo;
    e.delta = tick - lastTick;
    const uint8_t bytes[3] = {static_cast<uint8_t>(tempo >> 16), static_cast<uint8_t>(tempo >> 8),
                              static_cast<uint8_t>(tempo)};
    e.SetData(std::span<const uint8_t>(bytes));
    track->Append(std::move(e));
    lastTick = tick;
  }
  return track;
}

}  // namespace crx::test
