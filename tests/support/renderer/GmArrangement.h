#pragma once

#include <cstdint>
#include <vector>

#include "support/renderer/SmfBuilder.h"

namespace crx::test {

// A dense General MIDI arrangement on all sixteen channels (drums on
// channel 10): piano, bass, strings, brass, lead, organ, guitar, choir, pad,
// flute, sax, marimba, harp, synth bass and a second string section over a
// I-vi-IV-V progression at 120 beats per minute, every channel at the given
// Channel Volume. A format 1 file: a tempo track and one track per channel.
inline std::vector<uint8_t> GmArrangement(int seconds, int channelVolume, bool format0 = false) {
  constexpr uint16_t kDivision = 480;
  constexpr uint32_t kBeat = kDivision;
  constexpr uint32_t kBar = 4 * kBeat;
  constexpr uint32_t kTempo = 500000;                        // 120 beats per minute
  const uint32_t bars = static_cast<uint32_t>(seconds) / 2;  // two seconds a bar
  static constexpr int kRoots[4] = {48, 45, 41, 43};         // C, A, F, G
  static constexpr int kThird[4] = {4, 3, 4, 4};
  static constexpr int kPrograms[16] = {0,  33, 48, 61, 80, 16, 25, 52,
                                        88, 0,  73, 66, 12, 46, 38, 49};

  SmfBuilder b(kDivision);
  int tempo = b.AddTrack();
  b.Tempo(tempo, 0, kTempo);
  b.Raw(tempo, 0, {0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08});
  int tracks[16];
  for (int ch = 0; ch < 16; ++ch) {
    tracks[ch] = b.AddTrack();
    if (ch == 0) b.MasterVolume(tracks[ch], 0);
    if (ch != 9) b.Program(tracks[ch], 0, ch, kPrograms[ch]);
    b.Control(tracks[ch], 0, ch, 7, channelVolume);
    b.Control(tracks[ch], 0, ch, 11, 127);
    b.Control(tracks[ch], 0, ch, 10, 16 + ch * 6);  // spread over the stereo field
  }
  for (uint32_t bar = 0; bar < bars; ++bar) {
    const uint32_t t = bar * kBar;
    const int root = kRoots[bar % 4];
    const int chord[3] = {root, root + kThird[bar % 4], root + 7};
    for (int beat = 0; beat < 4; ++beat) {  // piano and organ: chords on every beat
      for (int n : chord) {
        b.Note(tracks[0], t + beat * kBeat, 0, n + 12, 100, kBeat - 20);
        b.Note(tracks[5], t + beat * kBeat, 5, n + 12, 90, kBeat - 20);
      }
    }
    for (int e = 0; e < 8; ++e) {  // bass, synth bass, guitar: eighths
      b.Note(tracks[1], t + e * kBeat / 2, 1, root - 12 + (e % 2) * 12, 110, kBeat / 2 - 10);
      b.Note(tracks[14], t + e * kBeat / 2, 14, root - 12, 90, kBeat / 2 - 10);
      b.Note(tracks[6], t + e * kBeat / 2, 6, chord[e % 3] + 24, 95, kBeat / 2 - 10);
      b.Note(tracks[11], t + e * kBeat / 2, 11, chord[(e + 1) % 3] + 36, 90, kBeat / 2 - 10);
      b.Note(tracks[12], t + e * kBeat / 2, 12, chord[(e + 2) % 3] + 36, 90, kBeat / 2 - 10);
    }
    for (int n : chord) {  // sustained sections
      b.Note(tracks[2], t, 2, n + 12, 100, kBar - 10);
      b.Note(tracks[7], t, 7, n + 12, 90, kBar - 10);
      b.Note(tracks[8], t, 8, n, 90, kBar - 10);
      b.Note(tracks[15], t, 15, n + 24, 90, kBar - 10);
      b.Note(tracks[13], t, 13, n + 24, 90, kBar - 10);
    }
    for (int beat : {1, 3}) {  // brass stabs
      for (int n : chord) b.Note(tracks[3], t + beat * kBeat, 3, n + 12, 115, kBeat / 2);
    }
    for (int q = 0; q < 4; ++q) {  // lead, flute and sax melodies
      b.Note(tracks[4], t + q * kBeat, 4, chord[q % 3] + 24, 110, kBeat - 30);
      b.Note(tracks[10], t + q * kBeat, 10, chord[(q + 1) % 3] + 36, 100, kBeat - 30);
    }
    b.Note(tracks[10], t, 10, root + 24, 100, kBar / 2);
    for (int e = 0; e < 8; ++e) {  // drums
      const uint32_t at = t + e * kBeat / 2;
      b.Note(tracks[9], at, 9, 42, 100, 60);
      if (e % 4 == 0) b.Note(tracks[9], at, 9, 36, 120, 60);
      if (e % 4 == 2) b.Note(tracks[9], at, 9, 38, 120, 60);
    }
    if (bar % 4 == 0) b.Note(tracks[9], t, 9, 49, 120, 60);
  }
  b.EndAt(tempo, bars * kBar);
  return format0 ? b.Format0() : b.Format1();
}

}  // namespace crx::test
