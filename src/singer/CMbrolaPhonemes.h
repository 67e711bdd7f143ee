#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "singer/CDiphoneTable.h"

namespace crx {

// One sung mora in neutral terms: its onset ("" for none, else a romanised
// onset such as "k", "ky", "sh", "ch", "ny", "ngy") and its vowel (a, i, u,
// e or o). The moraic nasal is the onset "N" without a vowel.
struct Mora {
  std::string onset;
  char vowel = 'a';
  bool operator==(const Mora&) const = default;
};

// The phones of the diphone voices for the moras of sung Japanese: the
// phonetic symbols of the vocal sequence read as moras, and for each mora the
// ways each voice can say it, best first. Whether a way joins its
// neighbours is for the diphone table to tell.
class CMbrolaPhonemes {
 public:
  static constexpr std::string_view kNasal = "N";

  // The mora of a phonetic symbol of the sequence ("k a", "S i", "J M",
  // "p\\' i", "N"); false when the symbol is none of ours.
  static bool MoraOf(std::string_view phonetic, Mora& out);
  // The vowel of a symbol's last phoneme (a when it has none of the five).
  static char VowelOf(std::string_view phonetic);

  // The onset phones that can start the mora, best first (an empty list is
  // the bare vowel). afterPause: the mora follows silence or the moraic
  // nasal, where the voiced fricatives are said as affricates.
  static std::vector<std::vector<std::string>> Onsets(DiphoneVoice voice, const Mora& mora,
                                                      bool afterPause);
  // The vowel phones of the mora, best first.
  static std::vector<std::string> Vowels(DiphoneVoice voice, char vowel);
  // The phone a long vowel is held on between its head and tail: the voice's
  // steadier long symbol where it has one that joins, else the vowel.
  static std::string BodyOf(DiphoneVoice voice, const std::string& vowel);
  // The moraic nasal before the phone that follows it (silence at the end),
  // best first.
  static std::vector<std::string> Nasals(DiphoneVoice voice, std::string_view next);
  // True for a moraic nasal phone of any voice.
  static bool IsNasal(std::string_view phone);
  // Nominal length in seconds of an onset phone said before the beat.
  static double OnsetSeconds(std::string_view phone);
  // How late (seconds; early when negative) the voice starts the vowel
  // after the onset phone before it, as measured on its recordings; the
  // phone's end is moved by as much so that the vowel sounds on the beat.
  static double VoicingLag(DiphoneVoice voice, std::string_view phone, bool afterPause);
};

}  // namespace crx
