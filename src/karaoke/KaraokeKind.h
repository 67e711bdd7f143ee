#pragma once

#include <string_view>

namespace crx {

// The kinds of karaoke MIDI files the song model is loaded from.
enum class KaraokeKind {
  Xf,             // format 0 with "XFIH" and the lyrics in "XFKM"
  XfInMainTrack,  // XF data ("$Lyrc" cue, lyric events) inside the track itself
  SoftKaraoke,    // a .kar file: text events in a "Words" track, "@" header lines
  LyricMidi,      // one lyric event per note, as singing editors write
};

// A short Japanese name of the kind, for messages.
constexpr std::string_view KaraokeKindName(KaraokeKind kind) {
  switch (kind) {
    case KaraokeKind::Xf:
      return "XF形式";
    case KaraokeKind::XfInMainTrack:
      return "XF形式(トラック内の歌詞)";
    case KaraokeKind::SoftKaraoke:
      return "KAR形式";
    case KaraokeKind::LyricMidi:
      return "歌詞付きMIDI";
  }
  return "MIDI";
}

}  // namespace crx
