#include "lyrics/CLyricCorrection.h"

#include <map>
#include <span>

#include "karaoke/XfKaraokeData.h"
#include "lyrics/CSyllableTable.h"
#include "lyrics/CTextEditDlg.h"
#include "lyrics/Cp932Text.h"
#include "lyrics/LyricEvent.h"
#include "lyrics/LyricLines.h"
#include "midi/MidiEvent.h"
#include "midi/MidiTrackData.h"
#include "platform/UiServices.h"

namespace crx {
namespace {

const std::string& Cp932Of(const char* utf8Literal, std::string& cache) {
  if (cache.empty()) cache = Cp932Text::FromUtf8(utf8Literal);
  return cache;
}

const std::string& LongVowelMark() {
  static std::string mark;
  return Cp932Of("ー", mark);
}

bool HoldsParticle(std::string_view cp932) {
  static const std::string ha = Cp932Text::FromUtf8("は");
  static const std::string he = Cp932Text::FromUtf8("へ");
  for (size_t i = 0; i < cp932.size(); i += Cp932Text::CharLength(cp932, i)) {
    const std::string_view c = cp932.substr(i, Cp932Text::CharLength(cp932, i));
    if (c == ha || c == he) return true;
  }
  return false;
}

}  // namespace

bool CLyricCorrection::IsPlainKana(std::string_view cp932) {
  for (size_t i = 0; i < cp932.size();) {
    const size_t len = Cp932Text::CharLength(cp932, i);
    const std::string_view c = cp932.substr(i, len);
    if (len != 2 || (!CSyllableTable::IsTableKana(c) && c != LongVowelMark())) return false;
    i += len;
  }
  return true;
}

bool CLyricCorrection::NeedsCorrection(std::string_view cp932) {
  return !IsPlainKana(cp932) || HoldsParticle(cp932);
}

int CLyricCorrection::Run(XfKaraokeData& song, bool particlesAsSung) {
  return song.LyricTrack() != nullptr ? Run(*song.LyricTrack(), particlesAsSung) : 0;
}

int CLyricCorrection::Run(MidiTrackData& lyricTrack, bool particlesAsSung) {
  // Where the line's reading marks は or へ as particles, the dialog starts
  // with them as sung: the user only confirms.
  std::map<int, std::string> sung;
  if (particlesAsSung) {
    for (SungParticleLyric& p : LyricLines::SungParticles(lyricTrack)) {
      sung.emplace(p.event, std::move(p.text));
    }
  }
  int shown = 0;
  std::string context;
  std::span<MidiEvent> events = lyricTrack.Events();
  for (size_t index = 0; index < events.size(); ++index) {
    MidiEvent& event = events[index];
    if (!LyricEvent::IsLyric(event)) continue;
    const std::string target = LyricEvent::Text(event);
    const std::string before = context;
    context += target;
    if (NeedsCorrection(target)) {
      auto particles = sung.find(static_cast<int>(index));
      CTextEditDlg dialog(context, particles != sung.end() ? particles->second : target);
      Ui().RunModal(dialog);
      ++shown;
      const std::string& corrected = dialog.Target();
      // An unchanged lyric keeps its event's bytes as they are.
      if (!corrected.empty() && corrected != target) LyricEvent::Rewrite(event, corrected);
      context = before + corrected;
    }
    context = std::string(Cp932Text::Tail(context, kContextBytes));
  }
  return shown;
}

}  // namespace crx
